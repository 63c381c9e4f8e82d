// The recording Win32 double: the call log, the scripted message queue, the cursor and the
// class and window it pretends to create.
#include "tests/fakes/win32/win32_fake.h"

#include <cstdio>
#include <deque>

struct HINSTANCE__ FakeInstanceObject;
struct HWND__ FakeWindowObject;
struct HICON__ FakeLargeIconObject;
struct HICON__ FakeSmallIconObject;
struct HICON__ FakeArrowObject;
struct HBRUSH__ FakeBlackBrushObject;

namespace win32_fake {
namespace {

struct State {
    std::vector<std::string> calls;
    std::deque<Step> script;
    WNDCLASSEXA registered{};
    std::string registeredName;
    bool failRegister = false;
    bool failCreate = false;
    bool windowAlive = false;
    bool quitPosted = false;
    int quitCode = 0;
    bool ranDry = false;
    LRESULT defWindowProcResult = 0;
    POINT cursor{0, 0};
    int cursorFailures = 0;
    int cursorCount = 0;
    std::function<void(const std::string&)> observer;
};

State& state() {
    static State instance;
    return instance;
}

std::string Name(const void* handle) {
    if (handle == nullptr) return "null";
    if (handle == &FakeInstanceObject) return "instance";
    if (handle == &FakeWindowObject) return "window";
    if (handle == &FakeLargeIconObject) return "large icon";
    if (handle == &FakeSmallIconObject) return "small icon";
    if (handle == &FakeArrowObject) return "arrow";
    if (handle == &FakeBlackBrushObject) return "black brush";
    return "unknown handle";
}

// Resource names are small numbers in pointer clothing.
std::string ResourceName(LPCSTR name) {
    const auto value = reinterpret_cast<uintptr_t>(name);
    if (value <= 0xFFFF) return std::to_string(value);
    return std::string("\"") + name + "\"";
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Text(LPCSTR text) { return text == nullptr ? "null" : std::string("\"") + text + "\""; }

void Record(std::string call) {
    if (state().observer) state().observer(call);
    state().calls.push_back(std::move(call));
}

LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != &FakeWindowObject || !state().windowAlive) return 0;
    return state().registered.lpfnWndProc(window, message, wParam, lParam);
}

}  // namespace

HINSTANCE Instance() { return &FakeInstanceObject; }
HWND Window() { return &FakeWindowObject; }

void Reset() { state() = State{}; }
void Script(std::vector<Step> steps) { state().script.assign(steps.begin(), steps.end()); }
void FailRegisterClass() { state().failRegister = true; }
void FailCreateWindow() { state().failCreate = true; }
void SetDefWindowProcResult(LRESULT result) { state().defWindowProcResult = result; }
void MoveCursor(int x, int y) { state().cursor = POINT{x, y}; }
void FailGetCursorPos(int times) { state().cursorFailures = times; }

std::vector<std::string> Calls() { return state().calls; }

std::vector<std::string> CallsOf(std::string_view function) {
    std::vector<std::string> found;
    for (const auto& call : state().calls) {
        if (call.compare(0, function.size(), function) == 0 && call.size() > function.size() &&
            call[function.size()] == '(') {
            found.push_back(call);
        }
    }
    return found;
}

const WNDCLASSEXA& RegisteredClass() { return state().registered; }
std::string RegisteredClassName() { return state().registeredName; }
int CursorCount() { return state().cursorCount; }
bool RanDry() { return state().ranDry; }
void Observe(std::function<void(const std::string&)> observer) { state().observer = std::move(observer); }

}  // namespace win32_fake

using win32_fake::Deliver;
using win32_fake::Hex;
using win32_fake::Name;
using win32_fake::Record;
using win32_fake::ResourceName;
using win32_fake::state;
using win32_fake::Text;

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    Record("LoadIconA(" + Name(instance) + ", " + ResourceName(name) + ")");
    return instance == nullptr ? &FakeSmallIconObject : &FakeLargeIconObject;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    Record("LoadCursorA(" + Name(instance) + ", " + ResourceName(name) + ")");
    return &FakeArrowObject;
}

HGDIOBJ WINAPI GetStockObject(int object) {
    Record("GetStockObject(" + std::to_string(object) + ")");
    return object == BLACK_BRUSH ? &FakeBlackBrushObject : nullptr;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    Record("RegisterClassExA(" + Text(windowClass->lpszClassName) + ")");
    if (state().failRegister) return 0;
    state().registered = *windowClass;
    state().registeredName = windowClass->lpszClassName != nullptr ? windowClass->lpszClassName : "";
    return 0xC001;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    Record("CreateWindowExA(" + Hex(exStyle) + ", " + Text(className) + ", " + Text(windowName) + ", " +
           Hex(style) + ", " + Hex(static_cast<uint32_t>(x)) + ", " + Hex(static_cast<uint32_t>(y)) + ", " +
           std::to_string(width) + ", " + std::to_string(height) + ", " + Name(parent) + ", " + Name(menu) +
           ", " + Name(instance) + ", " + Name(param) + ")");
    if (state().failCreate || className == nullptr || state().registeredName != className) return nullptr;
    state().windowAlive = true;
    return &FakeWindowObject;
}

BOOL WINAPI ShowWindow(HWND window, int cmdShow) {
    Record("ShowWindow(" + Name(window) + ", " + std::to_string(cmdShow) + ")");
    return FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    Record("UpdateWindow(" + Name(window) + ")");
    return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
    Record("ShowCursor(" + std::to_string(show) + ")");
    state().cursorCount += show ? 1 : -1;
    return state().cursorCount;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC timerFunc) {
    Record("SetTimer(" + Name(window) + ", " + std::to_string(id) + ", " + std::to_string(elapseMs) + ", " +
           (timerFunc == nullptr ? "null" : "callback") + ")");
    return id == 0 ? 1 : id;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    Record("SetCursorPos(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    state().cursor = POINT{x, y};
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    Record("GetCursorPos()");
    if (state().cursorFailures > 0) {
        --state().cursorFailures;
        return FALSE;
    }
    *point = state().cursor;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    Record("GetMessageA(" + Name(window) + ", " + std::to_string(filterMin) + ", " + std::to_string(filterMax) + ")");
    *msg = MSG{};
    if (!state().quitPosted && state().script.empty()) state().ranDry = true;
    if (state().quitPosted || state().script.empty()) {
        state().quitPosted = false;
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(state().quitCode);
        return FALSE;
    }
    win32_fake::Step step = std::move(state().script.front());
    state().script.pop_front();
    if (step.before) step.before();
    msg->hwnd = &FakeWindowObject;
    msg->message = step.message;
    msg->wParam = step.wParam;
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    Record("TranslateMessage(" + Hex(msg->message) + ")");
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    Record("DispatchMessageA(" + Hex(msg->message) + ", " + std::to_string(msg->wParam) + ")");
    return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("SendMessageA(" + Name(window) + ", " + Hex(message) + ", " + std::to_string(wParam) + ", " +
           std::to_string(lParam) + ")");
    return Deliver(window, message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    Record("PostQuitMessage(" + std::to_string(exitCode) + ")");
    state().quitPosted = true;
    state().quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("DefWindowProcA(" + Name(window) + ", " + Hex(message) + ", " + std::to_string(wParam) + ", " +
           std::to_string(lParam) + ")");
    // Default processing of a close request destroys the window, which sends WM_DESTROY.
    if (message == WM_CLOSE && window == &FakeWindowObject && state().windowAlive) {
        Deliver(window, WM_DESTROY, 0, 0);
        state().windowAlive = false;
        return 0;
    }
    return state().defWindowProcResult;
}

int WINAPI MessageBoxA(HWND window, LPCSTR text, LPCSTR caption, UINT type) {
    Record("MessageBoxA(" + Name(window) + ", " + Text(text) + ", " + Text(caption) + ", " + Hex(type) + ")");
    return 1;  // IDOK, the only button offered
}
