// The display as the core's Win32 and DirectDraw halves both see it: the size of the picture
// that is shown and that the pointer is measured in, exclusive use, and the display taken away.
#pragma once

#include <cstdint>

#include <windows.h>

namespace desktop {

// The picture: the display mode, or the whole desktop while frames go to a window; 0 x 0 for
// neither, and then the window's own client size counts.
void SetPictureSize(int width, int height);
void PictureSize(int& width, int& height);
void SetWindowSize(int width, int height);

// While a program holds the display exclusively, its being taken away loses the flip chain.
void SetExclusive(bool exclusive);
bool Exclusive();
// Counts the losses of the flip chain; Available is false while the display is away (in a
// window: while the window is minimised).
uint32_t LossCount();
bool Available();

// The client area of the program's window on the screen, for a clipper bound to it (empty
// while the window is minimised); false for any other window.
bool ClientAreaOnScreen(HWND window, RECT& area);

// As at the start of a process.
void Reset();

}  // namespace desktop
