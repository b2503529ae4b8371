#include "framework/EventLoop.h"

#include "framework/TestApi.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace framework {
namespace {
long s_yields = 0;
bool s_quitRequested = false;
} // namespace

void yieldToEventLoop()
{
    ++s_yields;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void yieldAndWait()
{
    ++s_yields;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void quitApplication()
{
    s_quitRequested = true;
    QCoreApplication::quit();
}

bool quitRequested()
{
    return s_quitRequested;
}

namespace test {
long yieldCount()
{
    return s_yields;
}
void resetQuitRequest()
{
    s_quitRequested = false;
}
} // namespace test

} // namespace framework
