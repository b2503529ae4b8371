#pragma once

// What the program and the privileged helper say to each other over the helper's control
// channel (its standard input and output, a Unix stream socket).
//
// Once it runs, the helper sends Ready. Then, for each tool: the program sends a
// RequestHeader with the tool's end of a socket pair attached (SCM_RIGHTS), then `length`
// bytes holding `count` NUL-terminated strings: the tool's path, then its arguments. The
// helper answers one int32_t: 0 when the tool has started, otherwise the errno of the
// failed start.

#include <cstdint>

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

} // namespace helperprotocol
