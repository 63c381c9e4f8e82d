// The window a test of the core opens: a class of the given procedure, and its one window.
#pragma once

#include <windows.h>

inline HWND OpenTestWindow(WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = "test";
    RegisterClassExA(&windowClass);  // refused when already there, which is as good
    return CreateWindowExA(0, "test", "", 0, 0, 0, 320, 200, nullptr, nullptr, nullptr, nullptr);
}
