// The frame in a window, as set-up, presentation and the frame step use it: the window over its
// monitor or framed, the shape the frame takes, where the frame shows on the screen, the pointer carried between the two, and the copy
// that brings the window up to a frame.
#pragma once

#include "display/display.h"
#include "platform/letterbox.h"

// The shape the frame takes in a window, whatever the window's size; square at first.
void SetFrameShape(letterbox::Shape shape);
// Makes the window a borderless one over the whole of its monitor.
void CoverMonitor(HWND hwnd);
// Makes the window one with a title and a border, resizable and maximisable, its client area the
// largest whole multiple of the frame in its shape whose window fits the monitor's work area
// (once where none does), centred on it.
void FrameWindow(HWND hwnd);
// Where the frame shows on the screen in a window; false while there is nowhere to show it
// (a minimised window has no client area).
bool FrameOnScreen(RECT* onScreen);
// The pointer between screen and frame coordinates. In exclusive mode the screen is the frame;
// in a window the frame is scaled into the client area, and a point outside it counts as on the
// nearest edge. False, the point untouched, while the window has nowhere to show the frame.
bool ScreenToFrame(POINT* point);
bool FrameToScreen(POINT* point);
// A window's copy of a frame: the part of the page that goes, and where on the screen. Whole
// when the window shows nothing known, the frame moved on the screen, or FramesBetweenWholeCopies
// have gone since the last whole copy (it mends what a window passing over ours left); otherwise
// only what differs from what the window shows.
constexpr int FramesBetweenWholeCopies = 50;
struct WindowCopy {
    bool placed = false;   // false: there is nowhere to show the frame (or no page to copy)
    bool whole = false;
    bool changed = false;  // whether anything goes at all; part and target are empty if not
    RECT part = {0, 0, 0, 0};
    RECT target = {0, 0, 0, 0};
};
// Answers, changing nothing: the copy that brings the window up to the locked page.
WindowCopy PlanWindowCopy(const void* page, LONG pitch);
// Records, once a frame and while the page is still locked, that the window shows the page as
// planned: a copy not placed forgets what it showed, so that the next one goes whole.
void RecordWindowCopy(const void* page, LONG pitch, const WindowCopy& copy);
// The window shows nothing known, as after a failed copy or a release: the next copy goes whole.
void ForgetWindowCopies();
