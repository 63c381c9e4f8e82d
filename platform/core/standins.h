// What an entry point and the stand-ins' tests need from the core besides the Win32 calls.
#pragma once

#include <windows.h>

namespace standins {

// The handle the program gets as its own instance.
HINSTANCE ProgramInstance();

// Stops the timers, forgets the queue and closes a window the program left open.
void ShutDown();

}  // namespace standins
