// The SDL2 screen: one desktop window for the stand-ins, with full screen, scaling, pointer
// mapping, the display being taken away, and SDL's events turned into keys and closes.
#include "platform/screen.h"

#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/letterbox.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include <SDL.h>

namespace screen {
namespace {

struct Fit {
    int x = 0, y = 0, w = 0, h = 0;
};

struct State {
    SDL_Window* window = nullptr;
    bool fullScreen = false;

    // What is on the window surface now, so a resize or expose can repaint it
    // and a steady frame only updates its own rectangle.
    std::vector<uint8_t> lastFrame;
    int lastWidth = 0, lastHeight = 0;
    SDL_Surface* paintedSurface = nullptr;
    int paintedWidth = 0, paintedHeight = 0;
    Fit paintedFit;
    std::vector<int> sourceColumn;  // for each target column of the fit, its mode column
};

State state;
// Whether SDL's video was ever started, by the window or for a box: a second try would fail the
// same way, and repeat what the display libraries said on stderr.
bool videoTried = false;

// Where the mode's pixels show in the window; the box never exceeds the window, so SDL's ints hold it.
Fit FitMode(int windowWidth, int windowHeight, int width, int height) {
    const letterbox::Box box = letterbox::Fit(windowWidth, windowHeight, width, height);
    return Fit{static_cast<int>(box.left), static_cast<int>(box.top), static_cast<int>(box.width),
               static_cast<int>(box.height)};
}

Fit CurrentFit(int width, int height) {
    int windowWidth = 0, windowHeight = 0;
    SDL_GetWindowSize(state.window, &windowWidth, &windowHeight);
    return FitMode(windowWidth, windowHeight, width, height);
}

bool IsXrgb(const SDL_PixelFormat* format) {
    return format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000 && format->Gmask == 0x0000FF00 &&
           format->Bmask == 0x000000FF;
}

// Nearest-pixel scaling straight into a 32-bit window surface, of the mode's rows
// [firstRow, endRow) only: each target row is scaled once and repeated rows are copied.
// Returns the band of the window it drew.
SDL_Rect ScaleInto(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height, int pitch,
                   int firstRow, int endRow) {
    if (static_cast<int>(state.sourceColumn.size()) != fit.w) {
        state.sourceColumn.resize(static_cast<size_t>(fit.w));
        for (int column = 0; column < fit.w; ++column) {
            state.sourceColumn[static_cast<size_t>(column)] = static_cast<int>(int64_t{column} * width / fit.w);
        }
    }
    // Target row r shows mode row r * height / fit.h, so mode row s covers the target
    // rows from ceil(s * fit.h / height) on.
    const int targetBegin = static_cast<int>((int64_t{firstRow} * fit.h + height - 1) / height);
    const int targetEnd = static_cast<int>((int64_t{endRow} * fit.h + height - 1) / height);
    const int repeat = fit.w % width == 0 ? fit.w / width : 0;
    auto* base = static_cast<uint8_t*>(target->pixels);
    int previousSource = -1;
    uint32_t* previousRow = nullptr;
    for (int row = targetBegin; row < targetEnd; ++row) {
        const int source = static_cast<int>(int64_t{row} * height / fit.h);
        auto* out = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(fit.y + row) * static_cast<size_t>(target->pitch)) +
                    fit.x;
        if (source == previousSource) {
            std::memcpy(out, previousRow, static_cast<size_t>(fit.w) * 4);
        } else {
            const auto* in = reinterpret_cast<const uint32_t*>(pixels + static_cast<size_t>(source) * static_cast<size_t>(pitch));
            if (repeat > 0) {
                uint32_t* next = out;
                for (int column = 0; column < width; ++column) {
                    for (int copy = 0; copy < repeat; ++copy) *next++ = in[column];
                }
            } else {
                for (int column = 0; column < fit.w; ++column) out[column] = in[state.sourceColumn[static_cast<size_t>(column)]];
            }
        }
        previousSource = source;
        previousRow = out;
    }
    return SDL_Rect{fit.x, fit.y + targetBegin, fit.w, targetEnd - targetBegin};
}

void ScaleAnyFormat(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height,
                    int pitch) {
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), width, height, 32,
                                                             pitch, SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) return;
    SDL_Rect to{fit.x, fit.y, fit.w, fit.h};
    SDL_BlitScaled(source, nullptr, target, &to);
    SDL_FreeSurface(source);
}

// Paints the mode's rows [firstRow, endRow) of the last frame; everything when the window
// surface is new or has changed size.
void Paint(int firstRow, int endRow) {
    const uint8_t* pixels = state.lastFrame.data();
    const int width = state.lastWidth, height = state.lastHeight, pitch = state.lastWidth * 4;
    SDL_Surface* target = SDL_GetWindowSurface(state.window);
    if (target == nullptr) return;
    const Fit fit = FitMode(target->w, target->h, width, height);
    const bool whole = target != state.paintedSurface || target->w != state.paintedWidth ||
                       target->h != state.paintedHeight || fit.x != state.paintedFit.x ||
                       fit.y != state.paintedFit.y || fit.w != state.paintedFit.w || fit.h != state.paintedFit.h;
    if (whole) {
        // The bars around a letterboxed mode stay black; they are drawn only on a change.
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        state.sourceColumn.clear();
        firstRow = 0;
        endRow = height;
    }
    SDL_Rect band{fit.x, fit.y, fit.w, fit.h};
    if (fit.w > 0 && firstRow < endRow) {
        if (IsXrgb(target->format) && SDL_LockSurface(target) == 0) {
            band = ScaleInto(target, fit, pixels, width, height, pitch, firstRow, endRow);
            SDL_UnlockSurface(target);
        } else {
            ScaleAnyFormat(target, fit, pixels, width, height, pitch);
        }
    }
    if (whole) {
        SDL_UpdateWindowSurface(state.window);
    } else if (band.h > 0 && firstRow < endRow) {
        SDL_UpdateWindowSurfaceRects(state.window, &band, 1);
    }
    state.paintedSurface = target;
    state.paintedWidth = target->w;
    state.paintedHeight = target->h;
    state.paintedFit = fit;
}

void Repaint() {
    if (state.window == nullptr) return;
    if (state.lastFrame.empty()) {
        PaintBlack();
        return;
    }
    Paint(0, state.lastHeight);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            standins::DisplayTakenAway();
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // A full-screen program loses the screen with the focus; a window stays in view.
            if (state.fullScreen) standins::DisplayTakenAway();
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            standins::DisplayGivenBack();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Repaint();
            break;
        default:
            break;
    }
}

// Whether SDL's video runs on a driver that only draws into memory, which nobody sees.
bool DrawsIntoMemory() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

bool Open(const char* title, int width, int height) {
    if (state.window != nullptr) return false;
    // The window surface goes straight to the display server (shared memory on X11). SDL would
    // otherwise emulate it with a GL texture, which on a software GL costs a good part of a core
    // at 50 frames a second. The environment can still ask for it.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    videoTried = true;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "varnelo: no display to open the window on (%s)\n", SDL_GetError());
        return false;
    }
    // SDL falls back to drivers that draw into memory only; nobody would see the demo there,
    // unless they were asked for by name.
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr && DrawsIntoMemory()) {
        std::fprintf(stderr, "varnelo: no display to open the window on (no X11 or Wayland display could be opened)\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    state.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                    SDL_WINDOW_HIDDEN);
    if (state.window == nullptr) {
        std::fprintf(stderr, "varnelo: cannot open the window (%s)\n", SDL_GetError());
        return false;
    }
    return true;
}

void Close() {
    if (state.window != nullptr) SDL_DestroyWindow(state.window);
    state = State{};
}

bool IsOpen() { return state.window != nullptr; }

void Show() {
    if (state.window != nullptr) SDL_ShowWindow(state.window);
}

void PaintBlack() {
    if (state.window == nullptr) return;
    SDL_Surface* target = SDL_GetWindowSurface(state.window);
    if (target == nullptr) return;
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    SDL_UpdateWindowSurface(state.window);
    state.paintedSurface = nullptr;
}

void EnterFullScreen() {
    if (state.window == nullptr || state.fullScreen) return;
    state.fullScreen = true;
    SDL_Rect desktop{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(state.window), &desktop) != 0) return;
    // Cover the desktop by hand first: a desktop without a window manager ignores full-screen
    // requests, and SDL ignores placement once its full-screen flag is set.
    SDL_SetWindowBordered(state.window, SDL_FALSE);
    SDL_SetWindowPosition(state.window, desktop.x, desktop.y);
    SDL_SetWindowSize(state.window, desktop.w, desktop.h);
    SDL_SetWindowFullscreen(state.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    // The change arrives asynchronously; the cursor is placed right after set-up, in the
    // coordinates of the new size, so wait for it a little.
    const Uint64 deadline = SDL_GetTicks64() + 1000;
    int width = 0, height = 0;
    do {
        SDL_PumpEvents();
        SDL_GetWindowSize(state.window, &width, &height);
        if (width == desktop.w && height == desktop.h) break;
        SDL_Delay(2);
    } while (SDL_GetTicks64() < deadline);
    Repaint();
}

void LeaveFullScreen() {
    if (state.window == nullptr || !state.fullScreen) return;
    state.fullScreen = false;
    SDL_SetWindowFullscreen(state.window, 0);
}

void DesktopSize(int& width, int& height) {
    SDL_Rect desktop{};
    if (state.window != nullptr && SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(state.window), &desktop) == 0) {
        width = desktop.w;
        height = desktop.h;
    } else if (state.window != nullptr) {
        SDL_GetWindowSize(state.window, &width, &height);
    }
}

void Present(const uint8_t* pixels, int width, int height, int pitch) {
    if (state.window == nullptr || pixels == nullptr || width <= 0 || height <= 0) return;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const bool sameSize = width == state.lastWidth && height == state.lastHeight;
    state.lastFrame.resize(rowBytes * static_cast<size_t>(height));
    state.lastWidth = width;
    state.lastHeight = height;
    // Only the rows that changed since the last frame are scaled and sent: a spot that
    // stands still costs a comparison, a moving one the band it covers.
    int firstChanged = height, endChanged = 0;
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch);
        uint8_t* kept = state.lastFrame.data() + rowBytes * static_cast<size_t>(row);
        if (sameSize && std::memcmp(kept, in, rowBytes) == 0) continue;
        std::memcpy(kept, in, rowBytes);
        firstChanged = std::min(firstChanged, row);
        endChanged = row + 1;
    }
    Paint(firstChanged, endChanged);
}

bool PointerInMode(int width, int height, int& x, int& y) {
    if (state.window == nullptr) return false;
    int pointerX = 0, pointerY = 0;
    if (SDL_GetMouseFocus() == state.window) {
        // Kept current by the pointer events the message loop pumps; SDL's global position
        // is a cache that a pointer warped by another program does not refresh.
        SDL_GetMouseState(&pointerX, &pointerY);
    } else {
        int windowX = 0, windowY = 0;
        SDL_GetGlobalMouseState(&pointerX, &pointerY);
        SDL_GetWindowPosition(state.window, &windowX, &windowY);
        pointerX -= windowX;
        pointerY -= windowY;
    }
    const Fit fit = CurrentFit(width, height);
    if (fit.w <= 0 || fit.h <= 0) return false;
    x = static_cast<int>(letterbox::PixelAt(pointerX, fit.x, fit.w, width));
    y = static_cast<int>(letterbox::PixelAt(pointerY, fit.y, fit.h, height));
    return true;
}

void MovePointerInMode(int width, int height, int x, int y) {
    if (state.window == nullptr || width <= 0 || height <= 0) return;
    const Fit fit = CurrentFit(width, height);
    SDL_WarpMouseInWindow(state.window, static_cast<int>(letterbox::MiddleOf(x, fit.x, fit.w, width)),
                          static_cast<int>(letterbox::MiddleOf(y, fit.y, fit.h, height)));
}

void ShowPointer(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

namespace {

// Windows virtual-key codes for the keys SDL reports; keys without one are not delivered.
unsigned VirtualKey(SDL_Keycode code) {
    if (code >= SDLK_a && code <= SDLK_z) return static_cast<unsigned>('A' + (code - SDLK_a));
    if (code >= SDLK_0 && code <= SDLK_9) return static_cast<unsigned>('0' + (code - SDLK_0));
    if (code >= SDLK_F1 && code <= SDLK_F12) return static_cast<unsigned>(0x70 + (code - SDLK_F1));
    if (code >= SDLK_F13 && code <= SDLK_F24) return static_cast<unsigned>(0x70 + 12 + (code - SDLK_F13));
    if (code >= SDLK_KP_1 && code <= SDLK_KP_9) return static_cast<unsigned>(0x61 + (code - SDLK_KP_1));
    switch (code) {
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return 0x12;
        case SDLK_PAUSE: return 0x13;
        case SDLK_CAPSLOCK: return 0x14;
        case SDLK_SPACE: return 0x20;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_END: return 0x23;
        case SDLK_HOME: return 0x24;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_PRINTSCREEN: return 0x2C;
        case SDLK_INSERT: return 0x2D;
        case SDLK_DELETE: return 0x2E;
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

void Handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            if (const unsigned key = VirtualKey(event.key.keysym.sym); key != 0) {
                standins::PostKeyDown(key, static_cast<unsigned>(event.key.keysym.scancode), event.key.repeat != 0);
            }
            break;
        case SDL_QUIT:
            standins::PostClose();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                standins::PostClose();
            } else {
                HandleWindowEvent(event.window);
            }
            break;
        default:
            break;
    }
}

}  // namespace

void WaitForInput(int timeoutMs) {
    SDL_Event event;
    // Blocks in the display connection until an event arrives or the time is up.
    if (SDL_WaitEventTimeout(&event, timeoutMs) == 0) return;
    Handle(event);
    while (SDL_PollEvent(&event) != 0) Handle(event);
}

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// A program started from a shell has its terminal: the text goes to stderr, one line, headed by
// the caption as a command-line tool's messages are. One started from the desktop's menu has
// none, so where a display can show it the text also goes into a box, which the user answers
// before the program goes on, as on Windows.
void Tell(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (!SDL_WasInit(SDL_INIT_VIDEO) && (std::exchange(videoTried, true) || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)) {
        return;
    }
    // SDL would look for an X display of its own even behind a driver that draws into memory.
    if (!DrawsIntoMemory()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void Finish(int) {
    Close();
    SDL_Quit();
}

}  // namespace screen
