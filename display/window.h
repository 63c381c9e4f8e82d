// The frame in a window, as set-up and presentation use it: the window over its monitor, where
// the frame shows on the screen, and what of it changed since the window last got it.
#pragma once

#include "display/display.h"

// Makes the window a borderless one over the whole of its monitor.
void CoverMonitor(HWND hwnd);
// Where the frame shows on the screen in a window; false while there is nowhere to show it
// (a minimised window has no client area).
bool FrameOnScreen(RECT* onScreen);
// What of the locked page differs from what the window shows, and where that goes on the
// screen; false when nothing does or there is nowhere to show it. The page becomes what the
// window shows. ForgetShownFrame makes the next frame go whole, as after a failed copy.
bool ChangedPart(const void* page, LONG pitch, RECT* part, RECT* target);
void ForgetShownFrame();
