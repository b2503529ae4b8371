#include "platform/Processes.h"

#include "platform/PlatformTestApi.h"

#include <QGuiApplication>
#include <QWindow>

#include <optional>
#include <unistd.h>

namespace {

constexpr OSErr paramErr = -50;

std::optional<bool> s_activeOverride;
QList<ProcessSerialNumber> s_setFrontCalls;

bool applicationActive()
{
    if (s_activeOverride)
        return *s_activeOverride;
    return qGuiApp && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

uint32_t ownProcessId()
{
    return static_cast<uint32_t>(::getpid());
}

// The window that should take the keyboard: a modal one first, since activating anything
// behind it would only be refused.
QWindow* windowToActivate()
{
    if (QWindow* modal = QGuiApplication::modalWindow())
        return modal;
    if (QWindow* focus = QGuiApplication::focusWindow())
        return focus;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->type() != Qt::ToolTip && window->type() != Qt::Popup)
            return window;
    }
    return nullptr;
}

} // namespace

OSErr GetCurrentProcess(ProcessSerialNumber* psn)
{
    if (!psn)
        return paramErr;
    *psn = {0, ownProcessId()};
    return 0;
}

OSErr GetFrontProcess(ProcessSerialNumber* psn)
{
    if (!psn)
        return paramErr;
    *psn = {0, applicationActive() ? ownProcessId() : 0};
    return 0;
}

OSErr SetFrontProcess(const ProcessSerialNumber* psn)
{
    if (!psn)
        return paramErr;
    // Kept for the tests; only the latest few, so a long run in the background does not
    // grow the record without end.
    if (s_setFrontCalls.size() == 16)
        s_setFrontCalls.removeFirst();
    s_setFrontCalls.append(*psn);
    if (psn->highLongOfPSN != 0 || psn->lowLongOfPSN != ownProcessId())
        return procNotFound;
    if (qGuiApp) {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible())
                window->raise();
        }
        if (QWindow* window = windowToActivate())
            window->requestActivate();
    }
    // A played "other process in front" gives the front up, as a real one would.
    if (s_activeOverride)
        s_activeOverride = true;
    return 0;
}

namespace platform::test {

void setApplicationActive(std::optional<bool> active)
{
    s_activeOverride = active;
}

QList<ProcessSerialNumber> setFrontProcessCalls()
{
    return s_setFrontCalls;
}

void clearSetFrontProcessCalls()
{
    s_setFrontCalls.clear();
}

} // namespace platform::test
