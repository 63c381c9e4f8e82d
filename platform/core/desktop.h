// The display as the core's Win32 and DirectDraw halves both see it: the display mode that the
// pointer is measured in, exclusive use, and the display taken away or the window minimised.
#pragma once

#include <cstdint>

namespace desktop {

// The display mode: the one set in full screen, or the desktop's while frames go to a window;
// 0 x 0 for neither, and then the window's own client size counts.
void SetModeSize(int width, int height);
void ModeSize(int& width, int& height);
void SetWindowSize(int width, int height);

// While a program holds the display exclusively, its being taken away loses the flip chain.
void SetExclusive(bool exclusive);
bool Exclusive();
// Counts the losses of the flip chain.
uint32_t LossCount();
// What the screens' reports of the display's absence mean in each mode: in full screen the
// display was taken from the program, in a window the window is minimised.
bool DisplayAway();
bool WindowMinimised();

// As at the start of a process.
void Reset();

}  // namespace desktop
