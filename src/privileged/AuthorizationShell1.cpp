#include "privileged/AuthorizationShell1.h"

#include "installer/debugRoutines.h"

void AuthorizationShell1::PartialData(const QByteArray& chunk)
{
    // Exactly as read: the tool's own line feeds reach the log as they are.
    debugRoutines::outputDebugString(chunk);
}

void AuthorizationShell1::Completed()
{
    m_done = true;
}
