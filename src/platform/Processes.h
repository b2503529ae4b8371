#pragma once

// The Process Manager's front-process calls, on Linux. A serial number is (0, process id).
// This process is in front while the application is active; otherwise some other process
// is, and the program never needs to know which.

#include <cstdint>

struct ProcessSerialNumber
{
    uint32_t highLongOfPSN;
    uint32_t lowLongOfPSN;
};

using OSErr = int16_t;

// A serial number that names no process of ours.
constexpr OSErr procNotFound = -600;

OSErr GetCurrentProcess(ProcessSerialNumber* psn);
// Another process in front is reported as (0, 0): a process that is not this one.
OSErr GetFrontProcess(ProcessSerialNumber* psn);
// Only this process can be brought to the front: its windows are raised and activated.
OSErr SetFrontProcess(const ProcessSerialNumber* psn);
