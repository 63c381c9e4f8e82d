// The one desktop window behind the Win32 and DirectDraw stand-ins: full-screen switching,
// scaling the 32-bit picture onto it, mapping the pointer to picture coordinates, and noticing
// when the display is taken away (minimised, or full-screen focus lost).
#pragma once

#include <cstdint>

#include <SDL.h>

namespace screen {

// Opens a hidden window of the given client size; false (with the reason on stderr) when
// there is no display to open it on.
bool Open(const char* title, int width, int height);
void Close();
bool IsOpen();
SDL_Window* Window();

void Show();
void PaintBlack();

// Desktop full screen with the picture scaled to fit; returns once the window has its new size
// (or after a short bound, for a desktop that never gives it).
void EnterFullScreen();
void LeaveFullScreen();
bool IsFullScreen();

// The size of the picture that Present shows; until one is set, the window's own size.
void SetPictureSize(int width, int height);

// Shows width x height pixels of blue-green-red-unused 32-bit pixels, pitch bytes a row.
void Present(const uint8_t* pixels, int width, int height, int pitch);

// Window events that the message loop does not turn into messages.
void HandleWindowEvent(const SDL_WindowEvent& event);

// Counts the times the display was taken away; Available is false while it is away.
uint32_t LossCount();
bool Available();

// Pointer position in picture pixels, clamped to the picture; false without a window.
bool PointerInPicture(int& x, int& y);
void MovePointerToPicture(int x, int y);

}  // namespace screen
