#include "platform/Authorization.h"

#include "platform/HelperProtocol.h"
#include "platform/PlatformTestApi.h"
#include "platform/SpawnSetup.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

struct AuthorizationOpaqueRef
{
    pid_t helper = -1;
    int control = -1; // our end of the helper's control channel
};

namespace {

constexpr AuthorizationFlags KnownFlags =
    kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights |
    kAuthorizationFlagPartialRights | kAuthorizationFlagDestroyRights |
    kAuthorizationFlagPreAuthorize;

const char* const SystemPkexec = "/usr/bin/pkexec";
const char* const HelperName = "ppd-installer-helper";

// pkexec's own words for its failures, told apart because it ends with 127 for them all.
// Nobody could be asked: no agent is registered, and pkexec could not start one of its
// own on a terminal.
const char* const NoAgentMessages[] = {"No authentication agent found",
                                       "Error creating textual authentication agent",
                                       "Error registering local authentication agent"};
const char* const CannotRunMessage = "Cannot run program";

QString s_pkexecPath;
QString s_helperPath;
bool s_forceUnprivileged = false;
std::optional<OSStatus> s_createFailure;
int s_created = 0;

// Tools started directly are our children; nobody waits for them, so they are reaped here
// whenever the calls run, and never pile up as zombies.
std::vector<pid_t> s_unreaped;

void reapFinished()
{
    for (auto it = s_unreaped.begin(); it != s_unreaped.end();) {
        const pid_t result = ::waitpid(*it, nullptr, WNOHANG);
        if (result == *it || (result < 0 && errno == ECHILD))
            it = s_unreaped.erase(it);
        else
            ++it;
    }
}

bool privileged()
{
    return !s_forceUnprivileged && ::geteuid() == 0;
}

std::string pkexecPath()
{
    return s_pkexecPath.isEmpty() ? std::string(SystemPkexec)
                                  : QFile::encodeName(s_pkexecPath).toStdString();
}

// The helper lives beside the program's executable.
std::string helperPath()
{
    if (!s_helperPath.isEmpty())
        return QFile::encodeName(s_helperPath).toStdString();
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    std::string path(buffer, size_t(length));
    return path.substr(0, path.rfind('/') + 1) + HelperName;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The caller's end of a tool's socket pair as a stdio stream. Unbuffered, so that what is
// written reaches the tool without a flush, and reads and writes may alternate on a socket
// that cannot seek.
OSStatus openStream(int fd, FILE** stream)
{
    FILE* file = ::fdopen(fd, "r+");
    if (!file) {
        ::close(fd);
        return errAuthorizationToolEnvironmentError;
    }
    ::setvbuf(file, nullptr, _IONBF, 0);
    *stream = file;
    return errAuthorizationSuccess;
}

// A helper that has been let go ends at the end of its channel; it is given a moment to
// do so and is otherwise reaped later.
void endHelper(AuthorizationOpaqueRef& ref)
{
    closeFd(ref.control);
    if (ref.helper < 0)
        return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const pid_t result = ::waitpid(ref.helper, nullptr, WNOHANG);
        if (result == ref.helper || (result < 0 && errno != EINTR)) {
            ref.helper = -1;
            return;
        }
        const timespec pause{0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    s_unreaped.push_back(ref.helper);
    ref.helper = -1;
}

// Adds what pkexec wrote to its pipe to said; closes the pipe at its end or on an error.
void readMessages(int& fd, std::string& said)
{
    char buffer[512];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0)
        said.append(buffer, size_t(got));
    else if (got == 0 || errno != EINTR)
        closeFd(fd);
}

OSStatus statusOfFailedStart(int waitStatus, const std::string& messages)
{
    if (!WIFEXITED(waitStatus))
        return errAuthorizationToolExecuteFailure;
    switch (WEXITSTATUS(waitStatus)) {
    case 126:
        return errAuthorizationCanceled;
    case 127:
        for (const char* noAgent : NoAgentMessages) {
            if (messages.find(noAgent) != std::string::npos)
                return errAuthorizationInteractionNotAllowed;
        }
        if (messages.find(CannotRunMessage) != std::string::npos)
            return errAuthorizationToolExecuteFailure;
        return errAuthorizationDenied;
    default:
        return errAuthorizationToolExecuteFailure;
    }
}

// Starts the helper through pkexec and waits until it says it runs or pkexec has ended.
// pkexec is our own child, so that polkit asks about this program; it keeps descriptors
// 0 to 2 only, so the control channel is the helper's standard input and output and
// pkexec's messages come on a pipe of their own.
OSStatus startHelper(AuthorizationOpaqueRef& ref)
{
    const std::string helper = helperPath();
    if (helper.empty() || ::access(helper.c_str(), X_OK) != 0)
        return errAuthorizationToolExecuteFailure;

    int control[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control) != 0)
        return errAuthorizationToolEnvironmentError;
    int messages[2];
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        ::close(control[0]);
        ::close(control[1]);
        return errAuthorizationToolEnvironmentError;
    }

    const std::string pkexec = pkexecPath();
    std::vector<char*> argv{const_cast<char*>(pkexec.c_str()), const_cast<char*>(helper.c_str()),
                            nullptr};
    pid_t pid = -1;
    int spawned;
    {
        SpawnSetup setup(control[1], control[1], messages[1]);
        spawned = ::posix_spawn(&pid, pkexec.c_str(), &setup.actions, &setup.attributes,
                                argv.data(), environ);
    }
    ::close(control[1]);
    ::close(messages[1]);
    if (spawned != 0) {
        ::close(control[0]);
        ::close(messages[0]);
        return errAuthorizationToolExecuteFailure;
    }

    // The dialog is the system's; this call returns only once the user has answered.
    std::string said;
    uint32_t ready = 0;
    size_t readyBytes = 0;
    bool channelOpen = true;
    while (channelOpen && readyBytes < sizeof ready) {
        pollfd watched[2] = {{control[0], POLLIN, 0}, {messages[0], POLLIN, 0}};
        if (::poll(watched, messages[0] >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (messages[0] >= 0 && watched[1].revents)
            readMessages(messages[0], said);
        if (watched[0].revents) {
            const ssize_t got = ::read(control[0], reinterpret_cast<char*>(&ready) + readyBytes,
                                       sizeof ready - readyBytes);
            if (got > 0)
                readyBytes += size_t(got);
            else if (got == 0 || errno != EINTR)
                channelOpen = false;
        }
    }

    if (readyBytes == sizeof ready && ready == helperprotocol::Ready) {
        closeFd(messages[0]);
        ref.helper = pid;
        ref.control = control[0];
        return errAuthorizationSuccess;
    }

    ::close(control[0]);
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    // pkexec has gone, so whatever it said is all there, up to the end of the pipe.
    while (messages[0] >= 0)
        readMessages(messages[0], said);
    return statusOfFailedStart(waitStatus, said);
}

// Asks the helper to start the tool on the given end; -60031 when it will not, or is gone.
OSStatus executeThroughHelper(AuthorizationOpaqueRef& ref, int toolEnd, const char* path,
                              char* const* arguments)
{
    std::string payload(path);
    payload.push_back('\0');
    uint32_t count = 1;
    for (char* const* argument = arguments; argument && *argument; ++argument, ++count) {
        payload.append(*argument);
        payload.push_back('\0');
    }
    const helperprotocol::RequestHeader header{helperprotocol::RequestMagic, count,
                                               uint32_t(payload.size())};

    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec headerBytes{const_cast<helperprotocol::RequestHeader*>(&header), sizeof header};
    msghdr message{};
    message.msg_iov = &headerBytes;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* attached = CMSG_FIRSTHDR(&message);
    attached->cmsg_level = SOL_SOCKET;
    attached->cmsg_type = SCM_RIGHTS;
    attached->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(attached), &toolEnd, sizeof(int));

    ssize_t sent;
    do {
        sent = ::sendmsg(ref.control, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    // The header is small enough to go in one piece on a stream socket with room in it;
    // a helper that has gone shows here or in the answer.
    bool talking = sent == ssize_t(sizeof header) &&
                   helperprotocol::sendAll(ref.control, payload.data(), payload.size());
    int32_t answer = 0;
    talking = talking && helperprotocol::readAll(ref.control, &answer, sizeof answer);
    if (!talking) {
        endHelper(ref);
        return errAuthorizationToolExecuteFailure;
    }
    return answer == 0 ? errAuthorizationSuccess : errAuthorizationToolExecuteFailure;
}

OSStatus executeDirectly(int toolEnd, const char* path, char* const* arguments)
{
    std::vector<char*> argv{const_cast<char*>(path)};
    for (char* const* argument = arguments; argument && *argument; ++argument)
        argv.push_back(*argument);
    argv.push_back(nullptr);

    pid_t pid = -1;
    SpawnSetup setup(toolEnd, toolEnd, toolEnd);
    if (::posix_spawn(&pid, path, &setup.actions, &setup.attributes, argv.data(), environ) != 0)
        return errAuthorizationToolExecuteFailure;
    s_unreaped.push_back(pid);
    return errAuthorizationSuccess;
}

} // namespace

OSStatus AuthorizationCreate(const AuthorizationRights*, const AuthorizationEnvironment*,
                             AuthorizationFlags flags, AuthorizationRef* authorization)
{
    reapFinished();
    if (flags & ~KnownFlags)
        return errAuthorizationInvalidFlags;
    if (!authorization)
        return errAuthorizationInvalidRef;
    if (s_createFailure) {
        const OSStatus status = *s_createFailure;
        s_createFailure.reset();
        return status;
    }
    *authorization = new AuthorizationOpaqueRef;
    ++s_created;
    return errAuthorizationSuccess;
}

OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe)
{
    reapFinished();
    if (!authorization)
        return errAuthorizationInvalidRef;
    if (!pathToTool || !communicationsPipe)
        return errAuthorizationInvalidPointer;
    if (options != kAuthorizationFlagDefaults)
        return errAuthorizationInvalidFlags;

    const bool direct = privileged();
    if (!direct && authorization->control < 0) {
        const OSStatus started = startHelper(*authorization);
        if (started != errAuthorizationSuccess)
            return started;
    }

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return errAuthorizationToolEnvironmentError;
    const OSStatus status =
        direct ? executeDirectly(pair[1], pathToTool, arguments)
               : executeThroughHelper(*authorization, pair[1], pathToTool, arguments);
    // The tool (or the helper) holds its end now; ours would keep the stream from ending.
    ::close(pair[1]);
    if (status != errAuthorizationSuccess) {
        ::close(pair[0]);
        return status;
    }
    return openStream(pair[0], communicationsPipe);
}

OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags flags)
{
    reapFinished();
    if (!authorization)
        return errAuthorizationInvalidRef;
    if (flags & ~KnownFlags)
        return errAuthorizationInvalidFlags;
    // The helper serves this reference alone, so it goes with it whatever the flags say.
    endHelper(*authorization);
    delete authorization;
    return errAuthorizationSuccess;
}

namespace platform::test {

void setPkexecPath(const QString& path)
{
    s_pkexecPath = path;
}

void setHelperPath(const QString& path)
{
    s_helperPath = path;
}

void setForceUnprivileged(bool force)
{
    s_forceUnprivileged = force;
}

void failNextAuthorizationCreate(OSStatus status)
{
    s_createFailure = status;
}

int authorizationCreateCount()
{
    return s_created;
}

} // namespace platform::test
