#include "system/ProcessManager.h"

#include "framework/EventLoop.h"
#include "platform/Processes.h"

#include <algorithm>
#include <cstring>

namespace ProcessManager {

int oserr = 0;

namespace {
constexpr int SerialNumberSize = 8;
static_assert(sizeof(ProcessSerialNumber) == SerialNumberSize);

ProcessSerialNumber* serialNumber(const framework::MemoryBlock& block)
{
    return reinterpret_cast<ProcessSerialNumber*>(block.address());
}
} // namespace

framework::MemoryBlock GetFrontProcess()
{
    framework::MemoryBlock psn(SerialNumberSize);
    oserr = ::GetFrontProcess(serialNumber(psn));
    return psn;
}

framework::MemoryBlock GetCurrentProcess()
{
    framework::MemoryBlock psn(SerialNumberSize);
    oserr = ::GetCurrentProcess(serialNumber(psn));
    return psn;
}

void SetFrontProcess(const framework::MemoryBlock& psn)
{
    // A block shorter than a serial number reads as zeros past its end, never beyond it.
    ProcessSerialNumber number{};
    std::memcpy(&number, psn.address(), size_t(std::min(psn.Size(), SerialNumberSize)));
    oserr = ::SetFrontProcess(&number);
}

void BringMeToFront()
{
    const framework::MemoryBlock current = GetCurrentProcess();
    const framework::MemoryBlock front = GetFrontProcess();
    for (int i = 0; i < SerialNumberSize; ++i) {
        if (current.Byte(i) != front.Byte(i)) {
            SetFrontProcess(current);
            return;
        }
        framework::yieldToEventLoop();
    }
}

} // namespace ProcessManager
