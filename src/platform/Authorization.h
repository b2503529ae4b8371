#pragma once

// Authorization Services' three calls for running a tool with administrator rights, on
// Linux through polkit.
//
// As root a tool starts directly. Otherwise the first execute on a reference starts the
// privileged helper once through pkexec, which asks the user; later executes on the same
// reference go to that helper and ask nothing. Each execute hands back one end of a
// socket pair whose other end is the tool's standard input, output and error.

#include <cstdint>
#include <cstdio>

using OSStatus = int32_t;
using AuthorizationFlags = uint32_t;

struct AuthorizationOpaqueRef;
using AuthorizationRef = AuthorizationOpaqueRef*;

// Rights and environments are accepted for the calls' shape; this system grants rights
// through pkexec's default action and reads neither.
struct AuthorizationItem
{
    const char* name;
    size_t valueLength;
    void* value;
    uint32_t flags;
};

struct AuthorizationItemSet
{
    uint32_t count;
    AuthorizationItem* items;
};

using AuthorizationRights = AuthorizationItemSet;
using AuthorizationEnvironment = AuthorizationItemSet;

enum : OSStatus {
    errAuthorizationSuccess = 0,
    errAuthorizationInvalidSet = -60001,
    errAuthorizationInvalidRef = -60002,
    errAuthorizationInvalidTag = -60003,
    errAuthorizationInvalidPointer = -60004,
    errAuthorizationDenied = -60005,
    errAuthorizationCanceled = -60006,
    errAuthorizationInteractionNotAllowed = -60007,
    errAuthorizationInternal = -60008,
    errAuthorizationExternalizeNotAllowed = -60009,
    errAuthorizationInternalizeNotAllowed = -60010,
    errAuthorizationInvalidFlags = -60011,
    errAuthorizationToolExecuteFailure = -60031,
    errAuthorizationToolEnvironmentError = -60032,
    errAuthorizationBadAddress = -60033,
};

enum : AuthorizationFlags {
    kAuthorizationFlagDefaults = 0,
    kAuthorizationFlagInteractionAllowed = 1 << 0,
    kAuthorizationFlagExtendRights = 1 << 1,
    kAuthorizationFlagPartialRights = 1 << 2,
    kAuthorizationFlagDestroyRights = 1 << 3,
    kAuthorizationFlagPreAuthorize = 1 << 4,
};

// Makes a reference; shows nothing and starts nothing.
OSStatus AuthorizationCreate(const AuthorizationRights* rights,
                             const AuthorizationEnvironment* environment, AuthorizationFlags flags,
                             AuthorizationRef* authorization);

// Starts the tool at pathToTool with the NULL-terminated argument vector, each argument
// passed exactly as given and no shell involved. Returns only when the outcome is known:
// 0 with an open stream in *communicationsPipe; -60006 when the user dismissed the
// dialog; -60005 when the rights were refused; -60007 when nobody could be asked;
// -60031 when the tool or the helper cannot be started.
OSStatus AuthorizationExecuteWithPrivileges(AuthorizationRef authorization, const char* pathToTool,
                                            AuthorizationFlags options, char* const* arguments,
                                            FILE** communicationsPipe);

// Releases the reference and ends its helper.
OSStatus AuthorizationFree(AuthorizationRef authorization, AuthorizationFlags flags);
