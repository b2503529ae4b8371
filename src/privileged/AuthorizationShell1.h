#pragma once

#include "privileged/AuthorizationShell.h"

// The shell the program uses: the tool's output goes to the log pane as it arrives, and
// `done` tells the owner that the output has ended.
class AuthorizationShell1 : public AuthorizationShell
{
public:
    bool done() const { return m_done; }
    // Cleared by the owner before each start.
    void setDone(bool done) { m_done = done; }

protected:
    void PartialData(const QByteArray& chunk) override;
    void Completed() override;

private:
    bool m_done = false;
};
