// What USER32's stand-in offers besides the Win32 calls: to an entry point, to the tests, to its
// DirectDraw half, and to the screens that hand input back.
#pragma once

#include <windows.h>

namespace standins {

// The handle the program gets as its own instance.
HINSTANCE ProgramInstance();

// Forgets the classes, timers, queue and cursor count, and closes a window the program left open.
void ShutDown();

// The client area of the program's window on the screen, for a clipper bound to it (empty
// while the window is minimised); false for any other window.
bool ClientAreaOnScreen(HWND window, RECT& area);

// What a screen reports from within screen::WaitForInput. A key went down: its Windows
// virtual-key code, and whether it was already down.
void PostKeyDown(unsigned virtualKey, unsigned scanCode, bool repeat);
// The user closed the window.
void PostClose();

}  // namespace standins
