// The privileged helper. pkexec starts it as root with its control channel as standard
// input and output. It runs one command for the program, the copy of a PPD into a system
// PPD folder, and ends when the channel ends: when the program frees its authorization,
// exits or crashes. It trusts nothing it is sent: the command must have exactly the shape
// of that copy, its destination must lie in a folder that nobody but root (or the helper's
// own user) can change, and every argument goes to the tool as given, with no shell.

#include "platform/HelperProtocol.h"
#include "platform/SpawnSetup.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

// The one command this helper runs with rights: CopyTool CopyOptions SOURCE DESTINATION.
const char* const CopyTool = "/bin/cp";
const char* const CopyOptions = "-fp";
// Where a destination may lie: the system PPD folder, at the root or in a test's volume.
const std::string PPDFolderEnd = "/Library/Printers/PPDs/Contents/Resources/en.lproj";

constexpr int ChannelIn = STDIN_FILENO;
constexpr int ChannelOut = STDOUT_FILENO;

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether nobody but root or this helper's user can change what the folder and every folder
// above it hold: otherwise a link could be put in the destination's place between the check
// and the copy. A sticky folder (such as /tmp) is safe for entries others do not own.
bool folderChainIsSafe(std::string folder)
{
    for (;;) {
        struct stat status;
        if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return false;
        if (status.st_uid != 0 && status.st_uid != ::geteuid())
            return false;
        if ((status.st_mode & (S_IWGRP | S_IWOTH)) && !(status.st_mode & S_ISVTX))
            return false;
        if (folder == "/")
            return true;
        const size_t slash = folder.rfind('/');
        folder = slash == 0 ? std::string("/") : folder.substr(0, slash);
    }
}

// Whether the command is the copy of a regular file into a safe PPD folder; if so, gives
// the destination as it was checked (its folder resolved), which is what the tool gets.
bool allowed(const std::vector<std::string>& command, std::string& checkedDestination)
{
    if (command.size() != 4 || command[0] != CopyTool || command[1] != CopyOptions)
        return false;
    const std::string& source = command[2];
    const std::string& destination = command[3];
    struct stat status;
    if (source.empty() || source.front() != '/' || destination.empty() ||
        destination.front() != '/' || ::stat(source.c_str(), &status) != 0 ||
        !S_ISREG(status.st_mode))
        return false;
    const size_t slash = destination.rfind('/');
    const std::string name = destination.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    char* resolved = ::realpath(slash == 0 ? "/" : destination.substr(0, slash).c_str(), nullptr);
    if (!resolved)
        return false;
    const std::string folder = resolved;
    std::free(resolved);
    if (!endsWith(folder, PPDFolderEnd) || !folderChainIsSafe(folder))
        return false;
    // A new file, or a plain file to replace: never through a link or into a folder.
    checkedDestination = folder + "/" + name;
    return ::lstat(checkedDestination.c_str(), &status) != 0 ? errno == ENOENT
                                                             : S_ISREG(status.st_mode);
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
    std::string destination;
    if (!allowed(request.strings, destination))
        return EPERM;
    std::vector<std::string> command = request.strings;
    command.back() = destination;

    std::vector<char*> argv;
    for (const std::string& text : command)
        argv.push_back(const_cast<char*>(text.c_str()));
    argv.push_back(nullptr);

    const SpawnSetup setup(request.toolEnd, request.toolEnd, request.toolEnd);
    pid_t pid;
    const int result =
        ::posix_spawn(&pid, argv.front(), &setup.actions, &setup.attributes, argv.data(), environ);
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
