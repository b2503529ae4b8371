// The privileged helper. pkexec starts it as root with its control channel as standard
// input and output. It starts the tools that the program asks for, if they are on its
// list, and ends when the channel ends: when the program frees its authorization, exits
// or crashes. It trusts nothing it is sent: the tool must be on the list by its exact
// path, and every argument goes to the tool as given, with no shell in between.

#include "platform/HelperProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The only tools this helper runs with rights.
const char* const AllowedTools[] = {"/bin/cp"};

constexpr int ChannelIn = STDIN_FILENO;
constexpr int ChannelOut = STDOUT_FILENO;

bool allowed(const std::string& path)
{
    for (const char* tool : AllowedTools) {
        if (path == tool)
            return true;
    }
    return false;
}

struct Request
{
    int toolEnd = -1;
    std::vector<std::string> strings; // the tool's path, then its arguments
};

enum class Received { Request, End, Broken };

// Reads one request. The descriptor travels with the header's bytes; any other
// descriptor that comes with it is closed unused.
Received receive(Request& request)
{
    helperprotocol::RequestHeader header{};
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
    iovec headerBytes{&header, sizeof header};
    msghdr message{};
    message.msg_iov = &headerBytes;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;

    ssize_t got;
    do {
        got = ::recvmsg(ChannelIn, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got == 0)
        return Received::End;
    if (got < 0)
        return Received::Broken;

    for (cmsghdr* part = CMSG_FIRSTHDR(&message); part; part = CMSG_NXTHDR(&message, part)) {
        if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (part->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(part) + i * sizeof(int), sizeof fd);
            if (request.toolEnd < 0)
                request.toolEnd = fd;
            else
                ::close(fd);
        }
    }

    if (size_t(got) < sizeof header &&
        !helperprotocol::readAll(ChannelIn, reinterpret_cast<char*>(&header) + got,
                                 sizeof header - size_t(got)))
        return Received::Broken;
    if (header.magic != helperprotocol::RequestMagic || header.count == 0 ||
        header.count > helperprotocol::MaxStrings || header.length > helperprotocol::MaxLength)
        return Received::Broken;

    std::string payload(header.length, '\0');
    if (!helperprotocol::readAll(ChannelIn, payload.data(), payload.size()))
        return Received::Broken;
    if (payload.empty() || payload.back() != '\0')
        return Received::Broken;
    size_t start = 0;
    while (start < payload.size()) {
        const size_t end = payload.find('\0', start);
        request.strings.push_back(payload.substr(start, end - start));
        start = end + 1;
    }
    if (request.strings.size() != header.count)
        return Received::Broken;
    return Received::Request;
}

// Starts the tool on its end of the socket pair as its standard input, output and error,
// with the signals as a fresh process has them. Returns 0 or the errno of the start.
int start(const Request& request)
{
    if (request.toolEnd < 0)
        return EBADF;
    if (!allowed(request.strings.front()))
        return EPERM;

    std::vector<char*> argv;
    for (const std::string& text : request.strings)
        argv.push_back(const_cast<char*>(text.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, request.toolEnd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, request.toolEnd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, request.toolEnd, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid;
    const int result =
        ::posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return result;
}

} // namespace

int main()
{
    // The channel's end is the usual way out; this covers a parent that dies while the
    // channel is somehow held open elsewhere.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Started tools are reaped by the system; a program gone away must not kill us
    // half-way through an answer.
    ::signal(SIGCHLD, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);

    struct stat channel;
    if (::fstat(ChannelIn, &channel) != 0 || !S_ISSOCK(channel.st_mode))
        return 2;

    // Standard error was pkexec's, for its messages to the program; we have nothing to add.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }

    const uint32_t ready = helperprotocol::Ready;
    if (!helperprotocol::sendAll(ChannelOut, &ready, sizeof ready))
        return 1;

    for (;;) {
        Request request;
        const Received received = receive(request);
        if (received != Received::Request) {
            if (request.toolEnd >= 0)
                ::close(request.toolEnd);
            return received == Received::End ? 0 : 1;
        }
        const int32_t answer = start(request);
        ::close(request.toolEnd);
        if (!helperprotocol::sendAll(ChannelOut, &answer, sizeof answer))
            return 1;
    }
}
