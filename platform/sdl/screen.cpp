// The SDL2 screen: one desktop window for the stand-ins, full screen or in a window of its own
// (Alt+Enter), with the picture in its chosen shape, pointer mapping, the display being taken
// away, and SDL's events turned into keys and closes.
#include "platform/screen.h"

#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/letterbox.h"
#include "platform/sdl/box.h"
#include "platform/sdl/keys.h"
#include "platform/sdl/scale.h"
#include "platform/sdl/start.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <SDL.h>

namespace screen {
namespace {

using scaling::Fit;

// How frames reach the window, chosen when it is first shown.
enum class Drawing {
    Undecided,
    // Straight into the window surface, where SDL's driver has one of its own: X11 hands it to
    // the display server in shared memory, and only the rows that changed are sent.
    WindowSurface,
    // Where it has none (Wayland): the frame goes to a renderer as a texture of its own size,
    // which the renderer scales into the window's real pixels.
    Renderer,
    // Neither could be started, so no frame would ever show.
    Nothing,
};

// What the last frame was drawn into, and where in it: the next is drawn whole where any of it
// has changed.
struct Painted {
    const SDL_Surface* surface = nullptr;  // the window surface; the renderer has none
    int width = 0, height = 0;  // of the surface or the renderer's output, in pixels
    Fit fit;
    int frameWidth = 0, frameHeight = 0;  // the mode's, which the scaling's column table is made for
    bool operator==(const Painted&) const = default;
};

struct State {
    SDL_Window* window = nullptr;
    int openedWidth = 0, openedHeight = 0;  // the client size the program asked for
    // Whether the stand-in DirectDraw holds the display, and whether the user wants to see it in a
    // window all the same (asked at the start, or with Alt+Enter since); full screen is both the
    // first and not the second.
    bool exclusive = false;
    bool inWindow = false;
    Drawing drawing = Drawing::Undecided;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;

    // What is on the window now, so a resize or expose can repaint it and a steady frame
    // costs nothing more.
    std::vector<uint8_t> lastFrame;
    int lastWidth = 0, lastHeight = 0;
    Painted painted;
    scaling::ColumnTable sourceColumn;

    // Where the pointer counts as being while SDL cannot say (a Wayland client learns of the
    // pointer only over its own window): where it was put, or last seen; in window coordinates.
    int heldX = 0, heldY = 0;
    // Whether the window moved under a pointer that has not moved since: SDL gives the pointer's
    // place in the window as it was until the next motion, one made after the move (the move's
    // own crossings report the place as it was).
    bool heldAfterMove = false;
    // Frames still drawn whole after the window changed: a compositor may give the new size only
    // after SDL has reported it (a tiling one through XWayland, SDL 2.32 and 3 on Wayland), and a
    // light that stands still would leave the picture drawn for the old size until it moved.
    int framesDrawnWhole = 0;
    Uint32 movedAt = 0;

    // Whether SDL's video was ever started, by the window or for a box: a second try would fail
    // the same way, and repeat what the display libraries said on stderr. Outlives the window.
    bool videoTried = false;
};

State state;
// How the program asked to start; kept apart from the window, which a toggle changes.
struct Start {
    bool inWindow = false;
    letterbox::Shape shape;
};
Start chosenStart;
// What a start-up that failed ends with, as the program's own early returns do.
constexpr int StartFailed = 1;

// Where the mode's pixels show in an area of the window's pixels, in the chosen shape; the box
// never exceeds the area, so SDL's ints hold it.
Fit FitMode(int areaWidth, int areaHeight, int width, int height) {
    const letterbox::Box box = letterbox::Place(areaWidth, areaHeight, width, height, chosenStart.shape);
    return Fit{static_cast<int>(box.left), static_cast<int>(box.top), static_cast<int>(box.width),
               static_cast<int>(box.height)};
}


// The window's size in its real pixels, which a scaled Wayland output makes larger than its size
// in window coordinates (the pointer's); X11 knows no such difference.
void PixelSize(int& width, int& height) {
    if (state.renderer == nullptr || SDL_GetRendererOutputSize(state.renderer, &width, &height) != 0) {
        SDL_GetWindowSizeInPixels(state.window, &width, &height);
    }
}

// A window coordinate as the pixel in the middle of the area it covers, and back.
int ToPixels(int coordinate, int windowSide, int pixelSide) {
    return windowSide <= 0 ? coordinate : static_cast<int>((2 * int64_t{coordinate} + 1) * pixelSide / (2 * int64_t{windowSide}));
}
int ToWindow(int pixel, int windowSide, int pixelSide) {
    return pixelSide <= 0 ? pixel : static_cast<int>(int64_t{pixel} * windowSide / pixelSide);
}

// The window's size in coordinates (the pointer's) and in pixels, and where a mode of width x
// height shows in those pixels.
struct Measure {
    int width{}, height{}, pixelWidth{}, pixelHeight{};
    Fit fit;
};
Measure MeasureWindow(int width, int height) {
    Measure window;
    SDL_GetWindowSize(state.window, &window.width, &window.height);
    PixelSize(window.pixelWidth, window.pixelHeight);
    window.fit = FitMode(window.pixelWidth, window.pixelHeight, width, height);
    return window;
}

// Paints the mode's rows [firstRow, endRow) of the last frame into the window surface; everything
// when the surface is new or has changed size.
void PaintSurface(int firstRow, int endRow) {
    const uint8_t* pixels = state.lastFrame.data();
    const int width = state.lastWidth, height = state.lastHeight, pitch = state.lastWidth * 4;
    SDL_Surface* target = SDL_GetWindowSurface(state.window);
    if (target == nullptr) return;  // for now: minimised, or in the middle of a resize
    const Fit fit = FitMode(target->w, target->h, width, height);
    const Painted now{target, target->w, target->h, fit, width, height};
    const bool whole = now != state.painted || state.framesDrawnWhole > 0;
    if (state.framesDrawnWhole > 0) --state.framesDrawnWhole;
    if (whole) {
        // The bars around a letterboxed mode stay black; they are drawn only on a change.
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        state.sourceColumn.clear();
        firstRow = 0;
        endRow = height;
    }
    SDL_Rect band{fit.x, fit.y, fit.w, fit.h};
    if (fit.w > 0 && firstRow < endRow) {
        if (scaling::IsXrgb(target->format) && SDL_LockSurface(target) == 0) {
            band = scaling::ScaleInto(target, fit, pixels, width, height, pitch, firstRow, endRow, state.sourceColumn);
            SDL_UnlockSurface(target);
        } else {
            scaling::ScaleAnyFormat(target, fit, pixels, width, height, pitch);
        }
    }
    if (whole) {
        SDL_UpdateWindowSurface(state.window);
    } else if (band.h > 0 && firstRow < endRow) {
        SDL_UpdateWindowSurfaceRects(state.window, &band, 1);
    }
    state.painted = now;
}

// A texture of the mode's size for the renderer to scale, sampled at the nearest pixel.
bool TextureFor(int width, int height) {
    if (state.texture != nullptr && state.textureWidth == width && state.textureHeight == height) return true;
    if (state.texture != nullptr) SDL_DestroyTexture(state.texture);
    state.texture = SDL_CreateTexture(state.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    state.textureWidth = state.texture != nullptr ? width : 0;
    state.textureHeight = state.texture != nullptr ? height : 0;
    return state.texture != nullptr && SDL_SetTextureScaleMode(state.texture, SDL_ScaleModeNearest) == 0;
}

// The renderer's picture is drawn whole every time (its buffers keep nothing one can rely on),
// so a frame whose rows are all unchanged, in an output of the same size, is not drawn at all.
void PaintRenderer(int firstRow, int endRow) {
    int outputWidth{}, outputHeight{};
    if (SDL_GetRendererOutputSize(state.renderer, &outputWidth, &outputHeight) != 0) return;
    const int width = state.lastWidth, height = state.lastHeight;
    const Fit fit = FitMode(outputWidth, outputHeight, width, height);
    const Painted now{nullptr, outputWidth, outputHeight, fit, width, height};
    const bool whole = now != state.painted || state.framesDrawnWhole > 0;
    if (state.framesDrawnWhole > 0) --state.framesDrawnWhole;
    if (!whole && firstRow >= endRow) return;
    if (!TextureFor(width, height)) return;
    if (whole) {
        firstRow = 0;
        endRow = height;
    }
    // Nearest again on every whole drawing: SDL 2.32 and 3 on Wayland may make the renderer's
    // textures anew when the window leaves or takes full screen, sampled linearly.
    if (whole) SDL_SetTextureScaleMode(state.texture, SDL_ScaleModeNearest);
    const SDL_Rect rows{0, firstRow, width, endRow - firstRow};
    const int pitch = width * 4;
    SDL_UpdateTexture(state.texture, &rows, state.lastFrame.data() + static_cast<size_t>(firstRow) * static_cast<size_t>(pitch), pitch);
    SDL_RenderClear(state.renderer);
    const SDL_Rect to{fit.x, fit.y, fit.w, fit.h};
    SDL_RenderCopy(state.renderer, state.texture, nullptr, &to);
    SDL_RenderPresent(state.renderer);
    state.painted = now;
}

void Paint(int firstRow, int endRow) {
    if (state.drawing == Drawing::WindowSurface) PaintSurface(firstRow, endRow);
    if (state.drawing == Drawing::Renderer) PaintRenderer(firstRow, endRow);
}

void Repaint() {
    if (state.window == nullptr) return;
    if (state.lastFrame.empty()) {
        PaintBlack();
        return;
    }
    Paint(0, state.lastHeight);
}

// Chooses, once, how frames reach the window. With SDL's emulation of a window surface turned off
// (Open), SDL gives one only where its driver has its own, which is the cheaper way; elsewhere a
// renderer that SDL can start is the way.
void ChooseDrawing() {
    if (state.window == nullptr || state.drawing != Drawing::Undecided) return;
    if (SDL_GetWindowSurface(state.window) != nullptr) {
        state.drawing = Drawing::WindowSurface;
        return;
    }
    state.renderer = SDL_CreateRenderer(state.window, -1, 0);
    state.drawing = state.renderer != nullptr ? Drawing::Renderer : Drawing::Nothing;
    if (state.renderer != nullptr) SDL_SetRenderDrawColor(state.renderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            standins::DisplayTakenAway();
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // A full-screen program loses the screen with the focus; a window stays in view.
            if (state.exclusive && !state.inWindow) standins::DisplayTakenAway();
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            standins::DisplayGivenBack();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            state.framesDrawnWhole = 25;
            Repaint();
            break;
        default:
            break;
    }
}

bool DriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, name) == 0;
}

// Whether SDL's video runs on a driver that only draws into memory, which nobody sees.
bool DrawsIntoMemory() { return DriverIs("offscreen") || DriverIs("dummy"); }

// Whether SDL can say where the pointer is when it is not over the window: on X11 it asks the
// server; a Wayland client is told of the pointer only while it is over one of its surfaces.
bool SeesPointerEverywhere() { return DriverIs("x11"); }

// What the display server does for a request arrives asynchronously: pumps its events until
// `done` holds, for at most the time given.
template <typename Done>
void PumpUntil(Uint64 milliseconds, Done done) {
    for (const Uint64 deadline = SDL_GetTicks64() + milliseconds; SDL_GetTicks64() < deadline;) {
        SDL_PumpEvents();
        if (done()) return;
        SDL_Delay(2);
    }
}

// The pointer is measured in the window's new size at once (the cursor is placed right after
// set-up): waits for that size a little.
void AwaitSize(int width, int height) {
    PumpUntil(1000, [=] {
        int shownWidth{}, shownHeight{};
        SDL_GetWindowSize(state.window, &shownWidth, &shownHeight);
        return shownWidth == width && shownHeight == height;
    });
}

void CoverDisplay() {
    SDL_Rect desktop{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(state.window), &desktop) != 0) return;
    // Cover the desktop by hand first: a desktop without a window manager ignores full-screen
    // requests, and SDL ignores placement once its full-screen flag is set. The window stops
    // being resizable only once it has its place, so that whoever sees it fixed sees it there.
    SDL_SetWindowBordered(state.window, SDL_FALSE);
    SDL_SetWindowPosition(state.window, desktop.x, desktop.y);
    SDL_SetWindowSize(state.window, desktop.w, desktop.h);
    // A Wayland compositor sizes the window itself; a tiling one floats a window of fixed size
    // (SDL 2.32 and 3 give a window that is not resizable a fixed one), which then leaves full
    // screen as a floating window rather than into its tile.
    if (!DriverIs("wayland")) SDL_SetWindowResizable(state.window, SDL_FALSE);
    SDL_SetWindowFullscreen(state.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    AwaitSize(desktop.w, desktop.h);
    Repaint();
}

// The frame the window is sized for: the last one shown, else the client size asked for.
void FrameSize(int& width, int& height) {
    width = state.lastWidth > 0 ? state.lastWidth : state.openedWidth;
    height = state.lastWidth > 0 ? state.lastHeight : state.openedHeight;
}

// A window manager says how thick its frame is only once it has framed the window; without one
// nothing ever comes, so it is waited for briefly.
letterbox::Border BorderSizes() {
    int top{}, left{}, bottom{}, right{};
    PumpUntil(100, [&] {
        return SDL_GetWindowBordersSize(state.window, &top, &left, &bottom, &right) != 0 || top + left + bottom + right != 0;
    });
    return {left, top, right, bottom};
}

// The window's client area, placed where windows may go on the display.
SDL_Rect WindowPlace() {
    int width{}, height{};
    FrameSize(width, height);
    SDL_Rect usable{};
    SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(state.window), &usable);
    const letterbox::Box client =
        letterbox::WindowOnWorkArea({usable.x, usable.y, usable.w, usable.h}, width, height, chosenStart.shape, BorderSizes());
    return SDL_Rect{static_cast<int>(client.left), static_cast<int>(client.top), static_cast<int>(client.width), static_cast<int>(client.height)};
}

// Titled, framed, resizable and maximisable; resizable only once placed, so that whoever sees
// it so sees it in its place. Where the compositor sizes windows itself (a tiling one,
// Wayland's), the size it gives holds and the picture is fitted into it.
void ShowInWindow() {
    // On Wayland the size is asked for while still full screen, as the size to come back to: a
    // floating compositor gives it, a tiling one its tile. Asked for after, SDL 2.32 and 3 draw at
    // the size asked for within the tile, out of place under the pointer.
    const bool wayland = DriverIs("wayland");
    const SDL_Rect place = WindowPlace();
    if (wayland) SDL_SetWindowSize(state.window, place.w, place.h);
    SDL_SetWindowFullscreen(state.window, 0);
    SDL_SetWindowBordered(state.window, SDL_TRUE);
    if (!wayland) {
        SDL_SetWindowSize(state.window, place.w, place.h);
        SDL_SetWindowPosition(state.window, place.x, place.y);
    }
    SDL_SetWindowResizable(state.window, SDL_TRUE);
    AwaitSize(place.w, place.h);
    Repaint();
}

void ShowAsChosen() {
    if (state.inWindow) {
        ShowInWindow();
    } else {
        CoverDisplay();
    }
}

}  // namespace

void ChooseStart(bool inWindow, letterbox::Shape shape) { chosenStart = Start{inWindow, shape}; }

bool Open(const char* title, int width, int height) {
    if (state.window != nullptr) return false;
    // Where SDL's driver has a window surface of its own (shared memory on X11), frames go
    // straight into it. SDL would otherwise emulate one with a GL texture of the window's size,
    // which on a software GL costs a good part of a core at 50 frames a second; where the
    // driver has none, a renderer does better (ChooseDrawing). The environment can still ask
    // for the emulation.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // A Wayland client cannot move the pointer. SDL would lock it in the window instead and
    // make up positions from its motion, which no longer match where the user sees it.
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_WAYLAND_EMULATE_MOUSE_WARP, "0", SDL_HINT_DEFAULT);
    state.videoTried = true;
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
    // In the real pixels of a scaled Wayland output, so that they stay sharp; X11 has no other.
    // On Wayland resizable from the first: a tiling compositor tiles only a window that may be
    // sized. On X11 it is sized by hand for full screen, resizable once in a window.
    state.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                    SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                                        (DriverIs("wayland") ? SDL_WINDOW_RESIZABLE : 0));
    if (state.window == nullptr) {
        std::fprintf(stderr, "varnelo: cannot open the window (%s)\n", SDL_GetError());
        return false;
    }
    state.openedWidth = width;
    state.openedHeight = height;
    state.inWindow = chosenStart.inWindow;
    return true;
}

void Close() {
    if (state.texture != nullptr) SDL_DestroyTexture(state.texture);
    if (state.renderer != nullptr) SDL_DestroyRenderer(state.renderer);
    if (state.window != nullptr) {
        // What SDL 3 still has to tell the window manager about the window goes before it does.
        SDL_HideWindow(state.window);
        PumpUntil(20, [] { return false; });
        SDL_DestroyWindow(state.window);
    }
    const bool videoTried = state.videoTried;
    state = State{};
    state.videoTried = videoTried;
}

bool IsOpen() { return state.window != nullptr; }

// The way to draw is chosen before the window shows: a renderer may have SDL make the window
// anew, which a shown window would do in sight.
void Show() {
    if (state.window == nullptr) return;
    ChooseDrawing();
    SDL_ShowWindow(state.window);
}

void PaintBlack() {
    if (state.window == nullptr) return;
    if (state.drawing == Drawing::Renderer) {
        SDL_RenderClear(state.renderer);
        SDL_RenderPresent(state.renderer);
        state.painted = Painted{};  // the next frame is drawn whole
        return;
    }
    SDL_Surface* target = state.drawing == Drawing::WindowSurface ? SDL_GetWindowSurface(state.window) : nullptr;
    if (target == nullptr) return;
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    SDL_UpdateWindowSurface(state.window);
    state.painted = Painted{};
}

bool CanDraw() {
    ChooseDrawing();
    return state.drawing == Drawing::WindowSurface || state.drawing == Drawing::Renderer;
}

void EnterFullScreen() {
    if (state.window == nullptr || state.exclusive) return;
    state.exclusive = true;
    ShowAsChosen();
}

// SDL 3 leaves full screen asynchronously; a window destroyed before it has makes it send the
// window manager a message about a window that is gone, which ends the program in Xlib's error
// handler: so the leaving is waited for, briefly.
void LeaveFullScreen() {
    if (state.window == nullptr || !state.exclusive) return;
    state.exclusive = false;
    if (state.inWindow) return;
    SDL_SetWindowFullscreen(state.window, 0);
    PumpUntil(500, [] { return (SDL_GetWindowFlags(state.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0; });
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
    state.lastFrame.resize(rowBytes * static_cast<size_t>(height));
    state.lastWidth = width;
    state.lastHeight = height;
    // Only the rows that changed since the last frame are scaled and sent: a spot that
    // stands still costs a comparison, a moving one the band it covers. (A frame of another
    // size is drawn whole, whatever its rows.)
    int firstChanged = height, endChanged = 0;
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch);
        uint8_t* kept = state.lastFrame.data() + rowBytes * static_cast<size_t>(row);
        if (std::memcmp(kept, in, rowBytes) == 0) continue;
        std::memcpy(kept, in, rowBytes);
        firstChanged = std::min(firstChanged, row);
        endChanged = row + 1;
    }
    Paint(firstChanged, endChanged);
}

bool PointerInMode(int width, int height, int& x, int& y) {
    if (state.window == nullptr) return false;
    if (SDL_GetMouseFocus() == state.window) {
        // Kept current by the pointer events the message loop pumps; SDL's global position
        // is a cache that a pointer warped by another program does not refresh.
        if (!state.heldAfterMove) SDL_GetMouseState(&state.heldX, &state.heldY);
    } else if (SeesPointerEverywhere()) {
        int windowX{}, windowY{};
        SDL_GetGlobalMouseState(&state.heldX, &state.heldY);
        SDL_GetWindowPosition(state.window, &windowX, &windowY);
        state.heldX -= windowX;
        state.heldY -= windowY;
    }
    const Measure window = MeasureWindow(width, height);
    if (window.fit.w <= 0 || window.fit.h <= 0) return false;
    x = static_cast<int>(letterbox::PixelAt(ToPixels(state.heldX, window.width, window.pixelWidth), window.fit.x, window.fit.w, width));
    y = static_cast<int>(letterbox::PixelAt(ToPixels(state.heldY, window.height, window.pixelHeight), window.fit.y, window.fit.h, height));
    return true;
}

// Where the platform refuses to move the pointer (Wayland), the light stays where it was put
// until the pointer shows up over the window.
void MovePointerInMode(int width, int height, int x, int y) {
    if (state.window == nullptr || width <= 0 || height <= 0) return;
    const Measure window = MeasureWindow(width, height);
    state.heldX = ToWindow(static_cast<int>(letterbox::MiddleOf(x, window.fit.x, window.fit.w, width)), window.width, window.pixelWidth);
    state.heldY = ToWindow(static_cast<int>(letterbox::MiddleOf(y, window.fit.y, window.fit.h, height)), window.height, window.pixelHeight);
    SDL_WarpMouseInWindow(state.window, state.heldX, state.heldY);
}

void ShowPointer(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

namespace {

// The pointer stays where it is on the desktop while the window changes around it, and so does
// the light: on X11, where a window knows its place.
void ToggleWindow() {
    if (state.window == nullptr) return;
    const bool over = SDL_GetMouseFocus() == state.window && SeesPointerEverywhere();
    SDL_Point before{}, after{}, from{}, to{};
    SDL_GetMouseState(&before.x, &before.y);
    if (over && !state.heldAfterMove) SDL_GetMouseState(&state.heldX, &state.heldY);
    SDL_GetWindowPosition(state.window, &from.x, &from.y);
    state.inWindow = !state.inWindow;
    ShowAsChosen();
    state.framesDrawnWhole = 25;
    SDL_GetWindowPosition(state.window, &to.x, &to.y);
    SDL_GetMouseState(&after.x, &after.y);
    // A pointer that moved meanwhile was seen in the window's new place.
    state.heldAfterMove = over && before.x == after.x && before.y == after.y;
    if (state.heldAfterMove) {
        state.heldX += from.x - to.x;
        state.heldY += from.y - to.y;
        state.movedAt = SDL_GetTicks();
    }
}

void Handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            if (keys::SwitchesWindow(event.key)) {
                // The key held down repeats; the switch is made once.
                if (event.key.repeat == 0) ToggleWindow();
            } else if (const unsigned key = keys::VirtualKey(event.key.keysym.sym); key != 0) {
                standins::PostKeyDown(key, static_cast<unsigned>(event.key.keysym.scancode), event.key.repeat != 0);
            }
            break;
        case SDL_MOUSEMOTION:
            if (SDL_TICKS_PASSED(event.motion.timestamp, state.movedAt + 1)) state.heldAfterMove = false;
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
// before the program goes on, as on Windows. Every box this program shows tells of a start that
// failed, so a close request while it waits ends the program as such a start ends: with 1.
void Tell(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (state.videoTried) return;
        state.videoTried = true;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    }
    // SDL would look for an X display of its own even behind a driver that draws into memory.
    if (!DrawsIntoMemory()) box::Show(caption, text, StartFailed);
}

void Finish(int) {
    Close();
    SDL_Quit();
}

}  // namespace screen
