// The recording doubles: each wrapped call is logged, then answered as scripted or by the core; DirectDraw by proxies.
#include "tests/fakes/recorder.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#include <timeapi.h>

#include "platform/core/standins.h"
#include "platform/screen.h"

namespace recorder {
namespace {

struct Scripted {
    std::deque<HRESULT> next;
    bool forever = false;
};

struct State {
    std::vector<std::string> calls;
    std::map<std::string, Scripted, std::less<>> scripts;
    LockFormat locks;
    HWND window = nullptr;
    int pages = 0;
};
State state;

std::string Text(const void* handle) {
    if (handle == nullptr) return "null";
    if (handle == standins::ProgramInstance()) return "instance";
    if (handle == state.window) return "window";
    return "other";
}
std::string Text(const char* text) { return text == nullptr ? "null" : '"' + std::string(text) + '"'; }
std::string Text(const std::string& text) { return text; }
std::string Text(const WNDCLASSEXA* windowClass) { return Text(windowClass->lpszClassName); }
std::string Text(TIMERPROC function) { return function == nullptr ? "null" : "function"; }
std::string Text(MSG*) { return "message"; }
template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>> std::string Text(T value) {
    const auto bits = static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
    std::ostringstream out;
    if (bits >= 0x10000) out << "0x" << std::hex;  // flags and styles
    out << bits;
    return out.str();
}
std::string Text(const MSG* message) { return Text(message->message) + ", " + Text(message->wParam); }
std::string Text(const RECT* rect) {
    return rect == nullptr ? "null" : Text(rect->left) + "," + Text(rect->top) + "," + Text(rect->right) + "," + Text(rect->bottom);
}
std::string Text(RECT*) { return "rect"; }  // an out parameter of a Win32 call, not yet filled

template <typename... Args> void Record(const std::string& name, const Args&... args) {
    std::string text;
    ((text += ", " + Text(args)), ...);
    state.calls.push_back(name + "(" + text.substr(text.empty() ? 0 : 2) + ")");
}

// The scripted answer due for a call, or DD_OK to let it through.
HRESULT Due(std::string_view name) {
    auto found = state.scripts.find(name);
    if (found == state.scripts.end() || found->second.next.empty()) return DD_OK;
    const HRESULT result = found->second.next.front();
    if (!found->second.forever || found->second.next.size() > 1) found->second.next.pop_front();
    return result;
}

// One of the core's DirectDraw objects behind a name: each call recorded as "name.Method(args)", then answered as
// scripted or handed on; a Release always goes through, as the core frees what it made.
template <typename Interface> struct Proxy : Interface {
    Proxy(Interface* core, std::string called) : real(core), name(std::move(called)) {}
    Interface* real;
    std::string name;

    ULONG Release() override {
        Record(name + ".Release");
        return real->Release();
    }
    template <typename Through, typename... Args> HRESULT Pass(const char* method, Through through, const Args&... args) {
        Record(name + "." + method, args...);
        const HRESULT scripted = Due(method);
        return scripted != DD_OK ? scripted : through();
    }
};

struct Surface final : Proxy<IDirectDrawSurface7> {
    using Proxy::Proxy;
    std::vector<uint8_t> padded;

    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE) override {
        const HRESULT result = Pass("Lock", [&] { return real->Lock(rect, desc, flags, nullptr); }, rect, desc->dwSize, flags);
        if (result != DD_OK) return result;
        desc->ddpfPixelFormat.dwRGBBitCount = state.locks.bitCount;
        if (state.locks.padding != 0) {
            desc->lPitch += state.locks.padding;
            padded.assign(static_cast<size_t>(desc->lPitch) * desc->dwHeight, 0xA5);
            desc->lpSurface = padded.data();
        }
        if (state.locks.nullPointer) desc->lpSurface = nullptr;
        return DD_OK;
    }
    HRESULT Unlock(LPRECT rect) override { return Pass("Unlock", [&] { return real->Unlock(rect); }, rect); }
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT rect, DWORD flags) override {
        auto* from = static_cast<Surface*>(source);
        return Pass("BltFast", [&] { return real->BltFast(x, y, from->real, rect, flags); }, x, y, from->name,
                    static_cast<const RECT*>(rect), flags);
    }
    HRESULT Blt(LPRECT target, LPDIRECTDRAWSURFACE7 source, LPRECT rect, DWORD flags, LPDDBLTFX effects) override {
        auto* from = static_cast<Surface*>(source);
        return Pass("Blt", [&] { return real->Blt(target, from->real, rect, flags, effects); },
                    static_cast<const RECT*>(target), from->name, static_cast<const RECT*>(rect), flags, effects);
    }
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override {
        return Pass("Flip", [&] { return real->Flip(nullptr, flags); }, target, flags);
    }
    HRESULT Restore() override { return Pass("Restore", [&] { return real->Restore(); }); }
};
std::vector<std::unique_ptr<Surface>> surfaces;

struct Clipper final : Proxy<IDirectDrawClipper> {
    using Proxy::Proxy;
    HRESULT SetHWnd(DWORD flags, HWND window) override {
        return Pass("SetHWnd", [&] { return real->SetHWnd(flags, window); }, flags, window);
    }
};
std::vector<std::unique_ptr<Clipper>> clippers;

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    auto* bound = static_cast<Clipper*>(clipper);
    return Pass("SetClipper", [&] { return real->SetClipper(bound != nullptr ? bound->real : nullptr); },
                std::string(bound != nullptr ? "Clipper" : "null"));
}

LPDIRECTDRAWSURFACE7 Adopt(LPDIRECTDRAWSURFACE7 real, std::string name) {
    return surfaces.emplace_back(std::make_unique<Surface>(real, std::move(name))).get();
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) {
    const HRESULT result = Pass("GetAttachedSurface", [&] { return real->GetAttachedSurface(caps, surface); },
                                caps->dwCaps, caps->dwCaps2, caps->dwCaps3, caps->dwCaps4);
    if (result == DD_OK) *surface = Adopt(*surface, "Back");
    return result;
}

struct DirectDraw final : Proxy<IDirectDraw7> {
    using Proxy::Proxy;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        return Pass("SetCooperativeLevel", [&] { return real->SetCooperativeLevel(window, flags); }, window, flags);
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh, DWORD flags) override {
        return Pass("SetDisplayMode", [&] { return real->SetDisplayMode(width, height, bits, refresh, flags); },
                    width, height, bits, refresh, flags);
    }
    HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override {
        const HRESULT result = Pass("CreateSurface", [&] { return real->CreateSurface(desc, surface, outer); },
                                    desc->dwFlags, desc->ddsCaps.dwCaps, desc->dwBackBufferCount, desc->dwWidth, desc->dwHeight, outer);
        const bool primary = desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE;
        if (result == DD_OK) *surface = Adopt(*surface, primary ? "Primary" : "Offscreen" + std::to_string(++state.pages));
        return result;
    }
    HRESULT RestoreDisplayMode() override { return Pass("RestoreDisplayMode", [&] { return real->RestoreDisplayMode(); }); }
    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override {
        const HRESULT result = Pass("CreateClipper", [&] { return real->CreateClipper(flags, clipper, outer); }, flags, outer);
        if (result == DD_OK) *clipper = clippers.emplace_back(std::make_unique<Clipper>(*clipper, "Clipper")).get();
        return result;
    }
};
std::unique_ptr<DirectDraw> directDraw;

// A Win32 call: recorded, then failed with 0 if scripted, else made by the core. WINMM answers error codes, so
// a scripted failure of one answers the code given.
template <typename Result, typename... Params, typename... Args>
Result Call(const char* name, Result (*real)(Params...), Args... args) {
    Record(name, args...);
    if constexpr (std::is_void_v<Result>) {
        real(args...);
    } else {
        const HRESULT scripted = Due(name);
        if constexpr (std::is_same_v<Result, MMRESULT>) if (scripted != DD_OK) return static_cast<MMRESULT>(scripted);
        if (scripted != DD_OK) return Result{};
        const Result result = real(args...);
        if constexpr (std::is_same_v<Result, HWND>) state.window = result;
        return result;
    }
}

}  // namespace

void Reset() {
    standins::ShutDown();
    surfaces.clear();
    clippers.clear();
    directDraw.reset();
    state = State{};
    memory_screen::Get() = memory_screen::State{};
}

void ForgetCalls() { state.calls.clear(); }

std::vector<std::string> Calls(std::string_view prefix) {
    std::vector<std::string> calls;
    std::ranges::copy_if(state.calls, std::back_inserter(calls), [prefix](const std::string& call) { return call.starts_with(prefix); });
    return calls;
}

void Script(std::string_view name, std::vector<HRESULT> results, bool forever) {
    Scripted& script = state.scripts[std::string(name)];
    script.next.insert(script.next.end(), results.begin(), results.end());
    script.forever = forever;
}

LockFormat& Locks() { return state.locks; }
const std::vector<uint8_t>& Padded(const IDirectDrawSurface7* surface) { return static_cast<const Surface*>(surface)->padded; }

void Key(WPARAM virtualKey) {
    memory_screen::Get().inputs.push_back([virtualKey](int) { standins::PostKeyDown(static_cast<unsigned>(virtualKey), 0, false); });
}

void AltKey(WPARAM virtualKey, bool repeat) {
    memory_screen::Get().inputs.push_back([virtualKey, repeat](int) {
        // Dispatched as the loop would take it from the queue: bit 29 Alt, bit 30 already down; the
        // character that TranslateMessage makes of Alt+Enter follows it.
        MSG message{state.window, WM_SYSKEYDOWN, virtualKey, LPARAM{1} | LPARAM{1} << 29 | (repeat ? LPARAM{1} << 30 : 0), 0, {0, 0}};
        DispatchMessageA(&message);
        if (virtualKey == VK_RETURN) {
            message.message = WM_SYSCHAR;
            message.wParam = '\r';
            DispatchMessageA(&message);
        }
    });
}

void Tick(std::function<void()> before) {
    memory_screen::Get().inputs.push_back([before](int timeoutMs) {
        memory_screen::Get().nowMs += static_cast<uint64_t>(std::max(timeoutMs, 0));
        if (before) before();
    });
}

}  // namespace recorder

#define WRAP(type, name, params, ...) \
    type __real_##name params;        \
    type __wrap_##name params { return recorder::Call(#name, __real_##name, __VA_ARGS__); }
extern "C" {
WRAP(ATOM, RegisterClassExA, (const WNDCLASSEXA* a), a)
WRAP(BOOL, ShowWindow, (HWND a, int b), a, b)
WRAP(BOOL, UpdateWindow, (HWND a), a)
WRAP(int, ShowCursor, (BOOL a), a)
WRAP(UINT_PTR, SetTimer, (HWND a, UINT_PTR b, UINT c, TIMERPROC d), a, b, c, d)
WRAP(BOOL, SetCursorPos, (int a, int b), a, b)
WRAP(BOOL, GetCursorPos, (LPPOINT a), a)
WRAP(BOOL, GetMessageA, (LPMSG a, HWND b, UINT c, UINT d), a, b, c, d)
WRAP(LRESULT, DispatchMessageA, (const MSG* a), a)
WRAP(LRESULT, SendMessageA, (HWND a, UINT b, WPARAM c, LPARAM d), a, b, c, d)
WRAP(void, PostQuitMessage, (int a), a)
WRAP(LRESULT, DefWindowProcA, (HWND a, UINT b, WPARAM c, LPARAM d), a, b, c, d)
WRAP(int, MessageBoxA, (HWND a, LPCSTR b, LPCSTR c, UINT d), a, b, c, d)
WRAP(LONG, SetWindowLongA, (HWND a, int b, LONG c), a, b, c)
WRAP(BOOL, SetWindowPos, (HWND a, HWND b, int c, int d, int e, int f, UINT g), a, b, c, d, e, f, g)
WRAP(HMONITOR, MonitorFromWindow, (HWND a, DWORD b), a, b)
WRAP(BOOL, GetMonitorInfoA, (HMONITOR a, LPMONITORINFO b), a, b)
WRAP(BOOL, GetClientRect, (HWND a, LPRECT b), a, b)
WRAP(BOOL, ClientToScreen, (HWND a, LPPOINT b), a, b)
WRAP(BOOL, AdjustWindowRectEx, (LPRECT a, DWORD b, BOOL c, DWORD d), a, b, c, d)
WRAP(HCURSOR, SetCursor, (HCURSOR a), a)
WRAP(MMRESULT, timeBeginPeriod, (UINT a), a)
WRAP(MMRESULT, timeEndPeriod, (UINT a), a)
WRAP(HWND, CreateWindowExA, (DWORD a, LPCSTR b, LPCSTR c, DWORD d, int e, int f, int g, int h, HWND i, HMENU j, HINSTANCE k, LPVOID l),
     a, b, c, d, e, f, g, h, i, j, k, l)
HRESULT __real_DirectDrawCreateEx(GUID*, LPVOID*, REFIID, IUnknown*);
HRESULT __wrap_DirectDrawCreateEx(GUID* driver, LPVOID* object, REFIID iid, IUnknown* outer) {
    const bool ours = std::memcmp(&iid, &IID_IDirectDraw7, sizeof iid) == 0;
    recorder::Record("DirectDrawCreateEx", driver, ours ? "IID_IDirectDraw7" : "other", outer);
    HRESULT result = recorder::Due("DirectDrawCreateEx");
    if (result == DD_OK) result = __real_DirectDrawCreateEx(driver, object, iid, outer);
    if (result == DD_OK) {
        recorder::directDraw = std::make_unique<recorder::DirectDraw>(static_cast<IDirectDraw7*>(*object), "DirectDraw");
        *object = static_cast<IDirectDraw7*>(recorder::directDraw.get());
    }
    return result;
}
}
