#pragma once

// What the program and the privileged helper say to each other over the helper's control
// channel (its standard input and output, a Unix stream socket).
//
// Once it runs, the helper sends Ready. Then, for each tool: the program sends a
// RequestHeader with the tool's end of a socket pair attached (SCM_RIGHTS), then `length`
// bytes holding `count` NUL-terminated strings: the tool's path, then its arguments. The
// helper answers one int32_t: 0 when the tool has started, otherwise the errno of the
// failed start.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace helperprotocol {

constexpr uint32_t Ready = 0x48445050; // "PPDH" as the bytes arrive on this machine
constexpr uint32_t RequestMagic = 0x51525050;

struct RequestHeader
{
    uint32_t magic;
    uint32_t count;
    uint32_t length;
};

// Bounds the helper enforces, far above what a copy command needs.
constexpr uint32_t MaxStrings = 1024;
constexpr uint32_t MaxLength = 1u << 20;

// Reads exactly size bytes; false at the end of the channel or on an error.
inline bool readAll(int fd, void* data, size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

// Sends exactly size bytes over a socket; a peer that has gone is an error, not a signal.
inline bool sendAll(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= size_t(sent);
    }
    return true;
}

} // namespace helperprotocol
