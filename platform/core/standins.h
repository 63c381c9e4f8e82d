// What USER32's stand-in offers besides the Win32 calls: to an entry point, to the tests, to its
// DirectDraw half, and to the screens that hand input back.
#pragma once

#include <windows.h>

namespace standins {

// Runs the program's WinMain as Windows runs one started from a shell, then forgets the program's
// state and lets the screen finish; the program's exit code. Lives apart (run_program.cpp), as
// only a program links WinMain.
int RunProgram();

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
// The display was taken from the program (another program in front, the window minimised, the
// page hidden), and given back.
void DisplayTakenAway();
void DisplayGivenBack();

}  // namespace standins
