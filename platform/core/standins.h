// What the Linux entry point needs from the SDL2 stand-ins besides the Win32 calls themselves.
#pragma once

#include <windows.h>

namespace standins {

// The handle the program gets as its own instance.
HINSTANCE ProgramInstance();

// Stops the timers, closes a window the program left open and shuts SDL down.
void ShutDown();

}  // namespace standins
