// The stand-in for the slice of USER32 and GDI32 the program uses, on any screen: one window
// class and window, a message queue fed by the screen's input and by close requests, drift-free
// coalesced timers, the cursor in the display mode's pixels, Alt+F4, and message boxes the screen
// puts in front of the user.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/core/close_requests.h"
#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/screen.h"

struct HINSTANCE__ ProgramInstanceObject;
struct HWND__ WindowObject;
struct HICON__ ApplicationIconObject;
struct HICON__ ArrowCursorObject;
struct HBRUSH__ BlackBrushObject;
struct HMONITOR__ MonitorObject;

namespace {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure;
};

// A window timer: due times on a fixed grid from its start, so the period does not drift.
struct Timer {
    UINT_PTR id;
    uint64_t periodMs;
    uint64_t dueMs;
};

struct State {
    std::vector<RegisteredClass> classes;
    WNDPROC windowProcedure = nullptr;  // of the one window while it exists
    bool windowAlive = false;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCount = 0;
    HCURSOR cursor = &ArrowCursorObject;  // the class's, until SetCursor
    std::deque<MSG> posted;
    std::vector<Timer> timers;
    POINT lastCursor{0, 0};
    RECT windowRect{0, 0, 0, 0};  // on the screen; the window has no frame of its own
    LONG style = 0;
};

State state;

bool IsOurWindow(HWND window) { return window == &WindowObject && state.windowAlive; }

void DestroyOurWindow() {
    if (!state.windowAlive) return;
    state.timers.clear();
    state.posted.clear();
    // The procedure still sees a live window while it handles WM_DESTROY, as on Windows.
    state.windowProcedure(&WindowObject, WM_DESTROY, 0, 0);
    state.windowAlive = false;
    state.windowProcedure = nullptr;
    screen::Close();
}

void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!state.windowAlive) return;
    MSG msg{};
    msg.hwnd = &WindowObject;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    state.posted.push_back(msg);
}

// A minimised window: what Windows answers for one, no client area, far off the screen.
bool Minimised() { return desktop::WindowMinimised(); }
constexpr LONG MinimisedCorner = -32000;

// The pointer, in the pixels of the display mode, clamped to it.
bool ReadPointer(POINT& point) {
    int width{}, height{}, x{}, y{};
    desktop::ModeSize(width, height);
    if (width <= 0 || height <= 0 || !screen::PointerInMode(width, height, x, y)) return false;
    point.x = std::clamp(x, 0, width - 1);
    point.y = std::clamp(y, 0, height - 1);
    return true;
}

// As Windows does, a timer makes a WM_TIMER only when the queue is empty, and ticks missed
// meanwhile are one: the next due time is the first grid point after now, not a backlog.
bool TakeDueTick(uint64_t now, MSG& msg) {
    for (Timer& timer : state.timers) {
        if (timer.dueMs > now) continue;
        timer.dueMs += (now - timer.dueMs) / timer.periodMs * timer.periodMs + timer.periodMs;
        msg = MSG{};
        msg.hwnd = &WindowObject;
        msg.message = WM_TIMER;
        msg.wParam = timer.id;
        return true;
    }
    return false;
}

uint64_t NextDue() {
    uint64_t next = UINT64_MAX;
    for (const Timer& timer : state.timers) next = timer.dueMs < next ? timer.dueMs : next;
    return next;
}

}  // namespace

namespace standins {

HINSTANCE ProgramInstance() { return &ProgramInstanceObject; }

// As at the end of a process: its classes, timers, queue and cursor count go with it.
void ShutDown() {
    state = State{};
    desktop::Reset();
    screen::Close();
}

void PostKeyDown(unsigned virtualKey, unsigned scanCode, bool repeat) {
    // Repeat count 1, the scan code, and bit 30 for a key that was already down.
    Post(WM_KEYDOWN, virtualKey,
         static_cast<LPARAM>(1 | (static_cast<LPARAM>(scanCode & 0xFF) << 16) | (repeat ? (LPARAM{1} << 30) : 0)));
}

void PostClose() { Post(WM_CLOSE, 0, 0); }

}  // namespace standins

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return &ApplicationIconObject; }
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return &ArrowCursorObject; }
HGDIOBJ WINAPI GetStockObject(int object) { return object == BLACK_BRUSH ? &BlackBrushObject : nullptr; }

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr) {
        return 0;
    }
    for (const auto& known : state.classes) {
        if (known.name == windowClass->lpszClassName) return 0;
    }
    state.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc});
    return static_cast<ATOM>(0xC000 + state.classes.size());
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int, int width,
                            int height, HWND, HMENU, HINSTANCE, LPVOID) {
    if (className == nullptr || state.windowAlive) return nullptr;  // one window is all it offers
    WNDPROC procedure = nullptr;
    for (const auto& known : state.classes) {
        if (known.name == className) procedure = known.procedure;
    }
    if (procedure == nullptr) return nullptr;
    if (!screen::Open(windowName != nullptr ? windowName : "", width, height)) return nullptr;
    desktop::SetWindowSize(width, height);
    state.windowRect = RECT{0, 0, width, height};
    state.style = 0;
    state.windowProcedure = procedure;
    state.windowAlive = true;
    state.quitPosted = false;
    // From now on a close request has a window to close; the screen has set up its own answer
    // to one while opening, and the watch goes in front of it.
    close_requests::Watch();
    return &WindowObject;
}

BOOL WINAPI ShowWindow(HWND window, int) {
    if (!IsOurWindow(window)) return FALSE;
    screen::Show();
    return FALSE;  // it was hidden before
}

BOOL WINAPI UpdateWindow(HWND window) {
    if (!IsOurWindow(window)) return FALSE;
    screen::PaintBlack();  // the class brush is black
    return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
    state.cursorCount += show ? 1 : -1;
    screen::ShowPointer(state.cursorCount >= 0 && state.cursor != nullptr);
    return state.cursorCount;
}

// As Windows: no cursor shows nothing, whatever the count.
HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    const HCURSOR previous = state.cursor;
    state.cursor = cursor;
    screen::ShowPointer(state.cursorCount >= 0 && cursor != nullptr);
    return previous;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC timerFunc) {
    // Callback timers are not part of the slice; the program takes its ticks as messages.
    if (!IsOurWindow(window) || timerFunc != nullptr) return 0;
    const uint64_t period = elapseMs == 0 ? 1 : elapseMs;
    for (Timer& timer : state.timers) {
        if (timer.id == id) {
            timer = Timer{id, period, screen::NowMs() + period};  // restarts it
            return id == 0 ? 1 : id;
        }
    }
    state.timers.push_back(Timer{id, period, screen::NowMs() + period});
    return id == 0 ? 1 : id;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    int width{}, height{};
    desktop::ModeSize(width, height);
    if (!screen::IsOpen() || width <= 0 || height <= 0) return FALSE;
    screen::MovePointerInMode(width, height, std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    POINT read{0, 0};
    if (point == nullptr || !ReadPointer(read)) return FALSE;
    *point = read;
    return TRUE;
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
    if (!IsOurWindow(window) || index != GWL_STYLE) return 0;
    const LONG previous = state.style;
    state.style = value;
    return previous;
}

BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT) {
    if (!IsOurWindow(window) || width < 0 || height < 0) return FALSE;
    state.windowRect = RECT{x, y, x + width, y + height};
    desktop::SetWindowSize(width, height);
    return TRUE;
}

// One monitor: the screen's desktop.
HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD) { return IsOurWindow(window) ? &MonitorObject : nullptr; }

BOOL WINAPI GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
    if (monitor != &MonitorObject || info == nullptr || info->cbSize != sizeof(MONITORINFO)) return FALSE;
    int width{}, height{};
    screen::DesktopSize(width, height);
    info->rcMonitor = info->rcWork = RECT{0, 0, width, height};
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

bool standins::ClientAreaOnScreen(HWND window, RECT& area) {
    if (!IsOurWindow(window)) return false;
    area = Minimised() ? RECT{MinimisedCorner, MinimisedCorner, MinimisedCorner, MinimisedCorner} : state.windowRect;
    return true;
}

// The core's window has no border or title of its own: its client area is all of it.
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD) { return rect != nullptr ? TRUE : FALSE; }

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (!IsOurWindow(window) || rect == nullptr) return FALSE;
    const RECT& area = state.windowRect;
    *rect = Minimised() ? RECT{0, 0, 0, 0} : RECT{0, 0, area.right - area.left, area.bottom - area.top};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    if (!IsOurWindow(window) || point == nullptr) return FALSE;
    point->x += Minimised() ? MinimisedCorner : state.windowRect.left;
    point->y += Minimised() ? MinimisedCorner : state.windowRect.top;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    if (msg == nullptr) return -1;
    for (;;) {
        // A close request from outside (Ctrl+C, a logout) closes the window as its close box does.
        if (close_requests::Take()) standins::PostClose();
        if (state.quitPosted) {
            state.quitPosted = false;
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(state.quitCode);
            return FALSE;
        }
        const uint64_t now = screen::NowMs();
        bool taken = false;
        if (!state.posted.empty()) {
            *msg = state.posted.front();
            state.posted.pop_front();
            taken = true;
        } else {
            taken = TakeDueTick(now, *msg);
        }
        if (taken) {
            msg->time = static_cast<DWORD>(now);
            ReadPointer(state.lastCursor);
            msg->pt = state.lastCursor;
            return TRUE;
        }
        const uint64_t due = NextDue();
        const int timeoutMs = due == UINT64_MAX ? -1 : static_cast<int>(std::min<uint64_t>(due - std::min(due, now), INT_MAX));
        screen::WaitForInput(timeoutMs);
    }
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }  // no WM_CHAR: nothing reads them

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || !IsOurWindow(msg->hwnd)) return 0;
    return state.windowProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsOurWindow(window)) return 0;
    return state.windowProcedure(window, message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    state.quitPosted = true;
    state.quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && IsOurWindow(window)) DestroyOurWindow();
    // Alt+F4 asks the window to close, as its close box does.
    if (message == WM_SYSKEYDOWN && wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN) != 0 && IsOurWindow(window)) {
        return state.windowProcedure(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

// The box is answered at once: the screen shows the text where its user will see it.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    screen::Tell(caption != nullptr ? caption : "Error", text != nullptr ? text : "");
    return 1;  // IDOK
}
