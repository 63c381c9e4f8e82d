// The web screen: the display mode on a <canvas> that the page places by the one rule of where
// pixels show, the pointer anywhere on the page in the mode's pixels, keys as Windows virtual-key
// codes, and waits that give the browser its turn (the page's script side is library.js).
#include "platform/screen.h"

#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/letterbox.h"
#include "platform/web/boundary.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// The page's side, in library.js.
extern "C" {
int varnelo_open(int width, int height);
void varnelo_close();
void varnelo_show();
void varnelo_paint_black();
void varnelo_resize(int width, int height);
void varnelo_present(const uint8_t* rgba, int width, int height);
void varnelo_pointer(PagePointer* pointer);
// The pixel of a width x height mode that the spot was last put on: where the page's arrow
// keys take it from.
void varnelo_spot(int x, int y, int width, int height);
void varnelo_warp(int x, int y);
void varnelo_show_pointer(int shown);
// Suspends the program (Asyncify) until input is queued or timeoutMs (-1: none) has passed.
void varnelo_wait(int timeoutMs);
// Takes the oldest queued input into `input`; its kind, VARNELO_INPUT_NONE once none is left.
int varnelo_next_input(PageInput* input);
void varnelo_tell(const char* caption, const char* text);
void varnelo_ended(int exitCode);
}

namespace screen {
namespace {

struct State {
    bool open = false;
    int windowWidth = 0, windowHeight = 0;
    int canvasWidth = 0, canvasHeight = 0;
    std::vector<uint8_t> rgba;
};

State state;

}  // namespace

bool Open(const char*, int width, int height) {
    if (state.open || varnelo_open(width, height) == 0) return false;
    state.open = true;
    state.windowWidth = state.canvasWidth = width;
    state.windowHeight = state.canvasHeight = height;
    return true;
}

void Close() {
    if (state.open) varnelo_close();
    state = State{};
}

bool IsOpen() { return state.open; }

void Show() {
    if (state.open) varnelo_show();
}

void PaintBlack() {
    if (state.open) varnelo_paint_black();
}

// The canvas exists before the program starts: whatever opens can be drawn on.
bool CanDraw() { return state.open; }

// The page is the screen: the canvas fills it already, whatever the cooperative level.
void EnterFullScreen() {}
void LeaveFullScreen() {}

// A window on the page would have the page to itself: the desktop is the window's own size.
void DesktopSize(int& width, int& height) {
    width = state.windowWidth;
    height = state.windowHeight;
}

void Present(const uint8_t* pixels, int width, int height, int pitch) {
    if (!state.open || pixels == nullptr || width <= 0 || height <= 0) return;
    if (width != state.canvasWidth || height != state.canvasHeight) {
        varnelo_resize(width, height);
        state.canvasWidth = width;
        state.canvasHeight = height;
    }
    // The canvas takes red, green, blue, alpha bytes; the pages hold blue, green, red, unused.
    state.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    uint8_t* out = state.rgba.data();
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch);
        for (int column = 0; column < width; ++column, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = 0xFF;
        }
    }
    varnelo_present(state.rgba.data(), width, height);
}

// The page fits the canvas; the pointer goes through it by the rule the window and SDL follow.
bool PointerInMode(int width, int height, int& x, int& y) {
    PagePointer pointer{};
    if (state.open && width > 0 && height > 0) varnelo_pointer(&pointer);
    if (pointer.kind == VARNELO_POINTER_IN_BOX && pointer.boxWidth > 0 && pointer.boxHeight > 0) {
        x = static_cast<int>(letterbox::PixelAt(pointer.boxX, 0, pointer.boxWidth, width));
        y = static_cast<int>(letterbox::PixelAt(pointer.boxY, 0, pointer.boxHeight, height));
    } else if (pointer.kind == VARNELO_POINTER_ON_PIXEL) {
        x = pointer.pixelX;
        y = pointer.pixelY;
    } else {
        return false;
    }
    varnelo_spot(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1), width, height);
    return true;
}

// A page cannot move the user's pointer: this position holds until the pointer moves.
void MovePointerInMode(int, int, int x, int y) {
    if (state.open) varnelo_warp(x, y);
}

void ShowPointer(bool shown) { varnelo_show_pointer(shown ? 1 : 0); }

void WaitForInput(int timeoutMs) {
    varnelo_wait(timeoutMs);
    PageInput input{};
    for (int kind; (kind = varnelo_next_input(&input)) != VARNELO_INPUT_NONE;) {
        const auto key = static_cast<unsigned>(input.key), scan = static_cast<unsigned>(input.scan);
        if (kind == VARNELO_INPUT_KEY) standins::PostKeyDown(key, scan, input.repeat != 0);
        if (kind == VARNELO_INPUT_CLOSE) standins::PostClose();
        // A hidden page is a display taken away: the flip chain is lost until restored.
        if (kind == VARNELO_INPUT_HIDDEN) standins::DisplayTakenAway();
        if (kind == VARNELO_INPUT_SHOWN) standins::DisplayGivenBack();
    }
}

uint64_t NowMs() { return static_cast<uint64_t>(std::floor(emscripten_get_now())); }

void Tell(const char* caption, const char* text) { varnelo_tell(caption, text); }

void Finish(int exitCode) {
    Close();
    varnelo_ended(exitCode);
}

}  // namespace screen

// Where the page's stage of areaWidth x areaHeight device pixels shows a canvas of width x height
// pixels: by the rule the window and SDL follow, in the shape the user chose on the page (4:3 or
// square pixels, whole multiples or any scale). Its left, top, width and height stay where the
// answer points until the next call. Nothing of the run goes in, so the page may ask before the
// screen opens and after the program has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const int32_t* varnelo_place(int areaWidth, int areaHeight, int width, int height,
                                                             int fourThree, int whole) {
    static int32_t placed[4];
    const letterbox::Shape shape{fourThree != 0 ? letterbox::Aspect::FourThree : letterbox::Aspect::Square, whole != 0};
    const letterbox::Box box = letterbox::Place(areaWidth, areaHeight, width, height, shape);
    placed[0] = static_cast<int32_t>(box.left);
    placed[1] = static_cast<int32_t>(box.top);
    placed[2] = static_cast<int32_t>(box.width);
    placed[3] = static_cast<int32_t>(box.height);
    return placed;
}
