// The display: DirectDraw 7 set-up, restore and release, page presentation, and the
// set-up log with its Czech error texts.
#pragma once

#include <cstdint>

#include <windows.h>
#include <ddraw.h>

#include "platform/letterbox.h"

// Set-up, restore and release. Result codes pass through unchanged; 0 is success. A display
// that refuses the exclusive mode gets the frames in a window instead: the result is then still
// the refusal, and PresentationReady tells whether frames can be shown at all.
HRESULT InitDirectDraw(HWND hwnd, int32_t width, int32_t height);
// Chosen before set-up from the start options: a start in a window asks for no exclusive mode, and
// the shape is the one the frame takes wherever it shows in a window.
void ChooseDisplay(bool startInWindow, letterbox::Shape shape);
// Alt+Enter: full screen becomes a window and back. Where the exclusive mode was granted it is left
// and taken again (a refusal on the way back keeps the window); elsewhere only the window changes.
// Logs nothing: the log tells the set-up alone.
void SwitchFullScreen();
HRESULT RestoreSurfaces();
void ReleaseDirectDraw();
bool PresentationReady();
// While PresentationReady is false after a set-up: what was tried and refused, for the user.
const char* PresentationRefusal();

// Presentation, once per tick: LockPage, then (only after 1) copy the frame and FlipPages.
// LockPage returns 1 and the page's address when the current page is locked at 32 bits.
int LockPage(void** pixels);
// The row pitch in bytes that the last successful LockPage reported.
LONG LockedPagePitch();
void FlipPages();
// The last frame put in the window again, whole, as after a resize; nothing in exclusive mode.
void RepaintWindow();

// "DirectX.log" in the working directory, rewritten at every start.
void LogStart();
void LogLine(const char* text);
// The Czech text (Windows-1250) for a result code; never null.
const char* DDErrorText(HRESULT code);
// The byte that stands for a character in Windows-1250, the code page of those texts; throws
// where the code page has none, as it does when a text is converted at compile time.
char Windows1250Byte(char32_t character);

// Module-wide display state, owned by the set-up and presentation code.
extern LPDIRECTDRAW7 lpDD;
extern LPDIRECTDRAWSURFACE7 lpDDSPrimary;
extern LPDIRECTDRAWSURFACE7 lpDDSBack;
extern LPDIRECTDRAWSURFACE7 lpDDSOne;
extern LPDIRECTDRAWSURFACE7 lpDDSTwo;
extern LPDIRECTDRAWCLIPPER lpDDClipper;
// Set while the frames go to a window rather than to an exclusive full-screen mode.
extern int32_t bWindowed;
// Set while the window has its title and border, rather than covering the monitor.
extern int32_t bFramed;
extern HWND DisplayWindow;
extern DDSURFACEDESC2 ddsd;
extern int32_t DisplayWidth;
extern int32_t DisplayHeight;
extern int32_t bPageOne;
