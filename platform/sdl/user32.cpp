// The SDL2 stand-in for the slice of USER32 and GDI32 the program uses: one window class and
// window, a blocking message queue fed by SDL events, drift-free timers, virtual-key codes and
// the cursor in picture coordinates, and message boxes as lines on stderr.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <SDL.h>

#include "platform/sdl/screen.h"
#include "platform/sdl/standins.h"

struct HINSTANCE__ ProgramInstanceObject;
struct HWND__ WindowObject;
struct HICON__ ApplicationIconObject;
struct HICON__ ArrowCursorObject;
struct HBRUSH__ BlackBrushObject;

namespace {

struct RegisteredClass {
    std::string name;
    WNDPROC procedure;
};

// One tick source per timer: a thread that sleeps until absolute due times, so the period
// does not drift, and pushes at most one pending tick, as Windows coalesces WM_TIMER.
class TickThread {
public:
    TickThread(UINT_PTR id, UINT periodMs, Uint32 eventType)
        : id_(id), period_(std::chrono::milliseconds(periodMs == 0 ? 1 : periodMs)), eventType_(eventType) {
        thread_ = std::thread([this] { Run(); });
    }
    ~TickThread() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    UINT_PTR Id() const { return id_; }
    // Called when the message loop hands the tick out; only then may the next one be queued.
    void Delivered() { pending_.store(false); }

private:
    void Run() {
        auto due = std::chrono::steady_clock::now() + period_;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_until(lock, due, [this] { return stopping_; })) {
            if (!pending_.exchange(true)) {
                SDL_Event event{};
                event.type = eventType_;
                event.user.code = 0;
                event.user.data1 = this;
                if (SDL_PushEvent(&event) != 1) pending_.store(false);
            }
            due += period_;
            // After a long stall (a suspended process) start afresh instead of catching up.
            const auto now = std::chrono::steady_clock::now();
            if (due + 10 * period_ < now) due = now + period_;
        }
    }

    const UINT_PTR id_;
    const std::chrono::steady_clock::duration period_;
    const Uint32 eventType_;
    std::atomic<bool> pending_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

struct State {
    std::vector<RegisteredClass> classes;
    WNDPROC windowProcedure = nullptr;  // of the one window while it exists
    bool windowAlive = false;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCount = 0;
    Uint32 tickEventType = 0;
    std::vector<std::unique_ptr<TickThread>> timers;
    POINT lastCursor{0, 0};
};

State state;

bool IsOurWindow(HWND window) { return window == &WindowObject && state.windowAlive; }

void StopTimers() { state.timers.clear(); }

void DestroyOurWindow() {
    if (!state.windowAlive) return;
    StopTimers();
    // The procedure still sees a live window while it handles WM_DESTROY, as on Windows.
    state.windowProcedure(&WindowObject, WM_DESTROY, 0, 0);
    state.windowAlive = false;
    state.windowProcedure = nullptr;
    screen::Close();
}

// Windows virtual-key codes for the keys SDL reports; keys without one are not delivered.
WPARAM VirtualKey(const SDL_Keysym& key) {
    const SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z) return static_cast<WPARAM>('A' + (code - SDLK_a));
    if (code >= SDLK_0 && code <= SDLK_9) return static_cast<WPARAM>('0' + (code - SDLK_0));
    if (code >= SDLK_F1 && code <= SDLK_F12) return static_cast<WPARAM>(VK_F1 + (code - SDLK_F1));
    if (code >= SDLK_F13 && code <= SDLK_F24) return static_cast<WPARAM>(VK_F1 + 12 + (code - SDLK_F13));
    if (code >= SDLK_KP_1 && code <= SDLK_KP_9) return static_cast<WPARAM>(0x61 + (code - SDLK_KP_1));
    switch (code) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_PAUSE: return VK_PAUSE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_PAGEUP: return VK_PRIOR;
        case SDLK_PAGEDOWN: return VK_NEXT;
        case SDLK_END: return VK_END;
        case SDLK_HOME: return VK_HOME;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_CAPSLOCK: return 0x14;
        case SDLK_PRINTSCREEN: return 0x2C;
        case SDLK_KP_0: return 0x60;
        case SDLK_KP_MULTIPLY: return 0x6A;
        case SDLK_KP_PLUS: return 0x6B;
        case SDLK_KP_MINUS: return 0x6D;
        case SDLK_KP_PERIOD: return 0x6E;
        case SDLK_KP_DIVIDE: return 0x6F;
        case SDLK_NUMLOCKCLEAR: return 0x90;
        case SDLK_SCROLLLOCK: return 0x91;
        case SDLK_SEMICOLON: return 0xBA;
        case SDLK_EQUALS: return 0xBB;
        case SDLK_COMMA: return 0xBC;
        case SDLK_MINUS: return 0xBD;
        case SDLK_PERIOD: return 0xBE;
        case SDLK_SLASH: return 0xBF;
        case SDLK_BACKQUOTE: return 0xC0;
        case SDLK_LEFTBRACKET: return 0xDB;
        case SDLK_BACKSLASH: return 0xDC;
        case SDLK_RIGHTBRACKET: return 0xDD;
        case SDLK_QUOTE: return 0xDE;
        default: return 0;
    }
}

// Turns one SDL event into a message for the program; false for events it has no message for.
bool Translate(const SDL_Event& event, MSG& message) {
    message.hwnd = &WindowObject;
    message.wParam = 0;
    message.lParam = 0;
    if (event.type == state.tickEventType) {
        auto* timer = static_cast<TickThread*>(event.user.data1);
        for (const auto& running : state.timers) {
            if (running.get() != timer) continue;
            timer->Delivered();
            message.message = WM_TIMER;
            message.wParam = timer->Id();
            return true;
        }
        return false;  // a tick of a timer that has stopped since
    }
    switch (event.type) {
        case SDL_KEYDOWN: {
            const WPARAM key = VirtualKey(event.key.keysym);
            if (key == 0) return false;
            message.message = WM_KEYDOWN;
            message.wParam = key;
            // Repeat count 1, the scan code, and bit 30 for a key that was already down.
            message.lParam = static_cast<LPARAM>(1 | (static_cast<LPARAM>(event.key.keysym.scancode & 0xFF) << 16) |
                                                 (event.key.repeat ? (LPARAM{1} << 30) : 0));
            return true;
        }
        case SDL_QUIT:
            message.message = WM_CLOSE;
            return true;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                message.message = WM_CLOSE;
                return true;
            }
            screen::HandleWindowEvent(event.window);
            return false;
        default:
            return false;
    }
}

}  // namespace

namespace standins {

HINSTANCE ProgramInstance() { return &ProgramInstanceObject; }

void ShutDown() {
    StopTimers();
    state.windowAlive = false;
    state.windowProcedure = nullptr;
    screen::Close();
    SDL_Quit();
}

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
    if (state.tickEventType == 0) state.tickEventType = SDL_RegisterEvents(1);
    state.windowProcedure = procedure;
    state.windowAlive = true;
    state.quitPosted = false;
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
    SDL_ShowCursor(state.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return state.cursorCount;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC timerFunc) {
    // Callback timers are not part of the slice; the program takes its ticks as messages.
    if (!IsOurWindow(window) || timerFunc != nullptr) return 0;
    for (auto it = state.timers.begin(); it != state.timers.end(); ++it) {
        if ((*it)->Id() == id) {
            state.timers.erase(it);
            break;
        }
    }
    state.timers.push_back(std::make_unique<TickThread>(id, elapseMs, state.tickEventType));
    return id == 0 ? 1 : id;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    if (!screen::IsOpen()) return FALSE;
    screen::MovePointerToPicture(x, y);
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    int x = 0, y = 0;
    if (point == nullptr || !screen::PointerInPicture(x, y)) return FALSE;
    point->x = x;
    point->y = y;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    if (msg == nullptr) return -1;
    for (;;) {
        if (state.quitPosted) {
            state.quitPosted = false;
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(state.quitCode);
            return FALSE;
        }
        SDL_Event event;
        // Blocks in the X connection until an event or a pushed tick arrives.
        if (SDL_WaitEvent(&event) == 0) return -1;
        if (Translate(event, *msg)) {
            msg->time = SDL_GetTicks();
            int x = 0, y = 0;
            if (screen::PointerInPicture(x, y)) state.lastCursor = POINT{x, y};
            msg->pt = state.lastCursor;
            return TRUE;
        }
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

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE && IsOurWindow(window)) DestroyOurWindow();
    return 0;
}

// A program started from a shell has its terminal: the text goes to stderr, one line, headed by
// the caption as a command-line tool's messages are, and the box is answered at once.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error", text != nullptr ? text : "");
    return 1;  // IDOK
}
