// The screen contract: what the Win32 and DirectDraw 7 rules in platform/core ask of the one
// place the display mode shows, and what a screen hands back to them. A screen only shows pixels,
// reports input and the display's absence, and waits; the rules stay in the core. A screen is a
// file that defines these functions (platform/sdl, platform/web, platform/memory); the executable
// links exactly one.
#pragma once

#include <cstdint>

namespace screen {

// CreateWindowExA: prepares a hidden place of the window's client size; false, with the
// reason told to the user, when there is nowhere to show it.
bool Open(const char* title, int width, int height);
// The window's destruction, and the end of the program: puts the place away.
void Close();
bool IsOpen();

// ShowWindow and UpdateWindow: shows the place, painted in the class brush (black).
void Show();
void PaintBlack();
// DirectDrawCreateEx: whether frames can reach the place. False only when showing it found no
// way at all to draw there; a place merely out of sight for now (minimised) can still be drawn on.
bool CanDraw();

// SetCooperativeLevel: exclusive full screen shows the mode scaled to fill the screen.
void EnterFullScreen();
void LeaveFullScreen();

// The desktop a window can cover, in pixels: the display mode while frames go to a window.
void DesktopSize(int& width, int& height);

// Flip, and a copy onto the desktop: shows width x height blue-green-red-unused 32-bit pixels,
// pitch bytes a row.
void Present(const uint8_t* pixels, int width, int height, int pitch);

// GetCursorPos and SetCursorPos, in the pixels of a width x height display mode, unclamped;
// false without a place.
bool PointerInMode(int width, int height, int& x, int& y);
void MovePointerInMode(int width, int height, int x, int y);

// ShowCursor: whether the pointer is drawn over the place.
void ShowPointer(bool shown);

// GetMessageA, when no message is waiting: returns once input has been handed back
// (PostKeyDown, PostClose), or after timeoutMs on the NowMs clock (-1: never).
void WaitForInput(int timeoutMs);
// Milliseconds from an arbitrary start, never going back.
uint64_t NowMs();

// MessageBoxA: puts the text, under its caption, in front of the user.
void Tell(const char* caption, const char* text);

// The entry point, after the program returned: lets go of everything and says it ended.
void Finish(int exitCode);

}  // namespace screen

// What a screen hands back to the core, from within WaitForInput (keys, closes, the display taken
// away and given back), is declared in platform/core/standins.h.
