#pragma once

#include "framework/MemoryBlock.h"

// Bringing the program back to the front after another process (the system's
// authentication dialog) has taken it. Serial numbers are 8-byte blocks that are only
// ever compared byte by byte.
namespace ProcessManager {

// The status of the last Process Manager call made through this module.
extern int oserr;

framework::MemoryBlock GetFrontProcess();
framework::MemoryBlock GetCurrentProcess();
// Raises NilObjectException for a nil block.
void SetFrontProcess(const framework::MemoryBlock& psn);

// Makes the program the front process when another one is in front.
void BringMeToFront();

} // namespace ProcessManager
