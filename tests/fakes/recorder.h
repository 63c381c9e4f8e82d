// The recording doubles, linked in front of the core: they log every Win32 and DirectDraw call and script failures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "platform/memory/screen.h"

namespace recorder {

// A fresh process: no calls, scripts, window, classes or display; the screen as new.
void Reset();
void ForgetCalls();
// "Function(args)" or "Object.Method(args)", handles and objects by name; optionally only those starting with prefix.
std::vector<std::string> Calls(std::string_view prefix = {});

// The next calls of a function or method ("RegisterClassExA", "Lock", ...) fail with these results (a Win32
// function with 0, a WINMM one with the result) without reaching the core; a DD_OK lets its call through.
void Script(std::string_view name, std::vector<HRESULT> results, bool forever = false);
// What successful Locks report from now on: a null pointer, another depth, or rows padded with 0xA5 (Padded).
struct LockFormat {
    bool nullPointer = false;
    DWORD bitCount = 32;
    LONG padding = 0;
};
LockFormat& Locks();
const std::vector<uint8_t>& Padded(const IDirectDrawSurface7* surface);

// Input for the message loop: a key press, or the clock running to the next tick, after which before runs.
void Key(WPARAM virtualKey);
// A key pressed with Alt held (WM_SYSKEYDOWN, then WM_SYSCHAR for Enter), or held on for a repeat.
void AltKey(WPARAM virtualKey, bool repeat = false);
void Tick(std::function<void()> before = {});

}  // namespace recorder
