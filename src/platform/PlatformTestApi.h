#pragma once

// Seams for the tests of the system stand-ins: who is in front, which pkexec and helper
// are used, and whether the unprivileged road is taken even as root.

#include "platform/Authorization.h"
#include "platform/Processes.h"

#include <QList>
#include <QString>

#include <optional>

namespace platform::test {

// Whether the application counts as active; nullopt asks the toolkit. While set to false,
// another process is in front until SetFrontProcess brings ours back.
void setApplicationActive(std::optional<bool> active);
// The latest SetFrontProcess calls (up to 16), with the serial numbers they were given.
QList<ProcessSerialNumber> setFrontProcessCalls();
void clearSetFrontProcessCalls();

// The program used in place of pkexec; empty restores the system's.
void setPkexecPath(const QString& path);
// The helper started through pkexec; empty restores the one beside the executable.
void setHelperPath(const QString& path);
// Take the road of an ordinary user (through pkexec and the helper) even as root.
void setForceUnprivileged(bool force);
// The status the next AuthorizationCreate returns instead of making a reference.
void failNextAuthorizationCreate(OSStatus status);
// How many references AuthorizationCreate has made.
int authorizationCreateCount();

} // namespace platform::test
