// The application shell: the entry function and the window procedure with the frame step.
#pragma once

#include <cstdint>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int cmdShow);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Set by F12, cleared by the next frame step after it saved the screenshot.
extern int32_t bScreenshot;
