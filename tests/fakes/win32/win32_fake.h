// A recording double of the Win32 slice the program calls: linked in place of USER32 and GDI32,
// it logs every call with its arguments, feeds the message loop from a script and plays the
// default processing that turns a close request into WM_DESTROY.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace win32_fake {

// The handles the double hands out; tests pass Instance() to WinMain.
HINSTANCE Instance();
HWND Window();

// One message that GetMessageA hands out. Before runs just before it is handed out, so a
// test can move the cursor or script the display for that very message.
struct Step {
    UINT message;
    WPARAM wParam = 0;
    std::function<void()> before = {};
};

// Forgets calls, script and window; the cursor goes back to (0, 0), shown.
void Reset();
void Script(std::vector<Step> steps);

// Results to answer with instead of success.
void FailRegisterClass();
void FailCreateWindow();
void SetDefWindowProcResult(LRESULT result);
// The cursor as the pointer sits now; FailGetCursorPos makes the next n reads fail.
void MoveCursor(int x, int y);
void FailGetCursorPos(int times);

// "Function(arg, ...)" per call; handles by name ("instance", "window", "null", ...).
std::vector<std::string> Calls();
std::vector<std::string> CallsOf(std::string_view function);
// The class record RegisterClassExA was given, with its name kept as a string.
const WNDCLASSEXA& RegisteredClass();
std::string RegisteredClassName();
// The count ShowCursor keeps: below 0 the cursor is hidden.
int CursorCount();
// Called with each call's text as it is made, to interleave it with other doubles' logs.
void Observe(std::function<void(const std::string&)> observer);
// True when GetMessageA found the script empty with no quit message posted.
bool RanDry();

}  // namespace win32_fake
