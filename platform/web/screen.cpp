// The web screen: the picture on a <canvas> scaled to fit the page, the pointer anywhere on
// the page in picture pixels, keys as Windows virtual-key codes, and waits that give the
// browser its turn (the page's script side is library.js).
#include "platform/screen.h"

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
int varnelo_pointer(int width, int height, int* x, int* y);
void varnelo_warp(int x, int y);
void varnelo_show_pointer(int shown);
// Suspends the program (Asyncify) until input is queued or timeoutMs (-1: none) has passed.
void varnelo_wait(int timeoutMs);
// The oldest queued input: 0 none, 1 key (key, scan, repeat), 2 close, 3 page hidden, 4 shown.
int varnelo_next_input(int* key, int* scan, int* repeat);
void varnelo_tell(const char* caption, const char* text);
void varnelo_ended(int exitCode);
}

namespace screen {
namespace {

struct State {
    bool open = false;
    int windowWidth = 0, windowHeight = 0;
    int pictureWidth = 0, pictureHeight = 0;  // 0: the window's own size
    bool away = false;
    uint32_t lossCount = 0;
    std::vector<uint8_t> rgba;
};

State state;

void PictureSize(int& width, int& height) {
    const bool set = state.pictureWidth > 0 && state.pictureHeight > 0;
    width = set ? state.pictureWidth : state.windowWidth;
    height = set ? state.pictureHeight : state.windowHeight;
}

}  // namespace

bool Open(const char*, int width, int height) {
    if (state.open || varnelo_open(width, height) == 0) return false;
    state.open = true;
    state.windowWidth = width;
    state.windowHeight = height;
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

// The page is the screen: the canvas fills it already, whatever the cooperative level.
void EnterFullScreen() {}
void LeaveFullScreen() { state.away = false; }

void SetPictureSize(int width, int height) {
    state.pictureWidth = width;
    state.pictureHeight = height;
    if (!state.open) return;
    PictureSize(width, height);
    varnelo_resize(width, height);
}

void Present(const uint8_t* pixels, int width, int height, int pitch) {
    if (!state.open || pixels == nullptr || width <= 0 || height <= 0) return;
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

uint32_t LossCount() { return state.lossCount; }
bool Available() { return !state.away; }

bool PointerInPicture(int& x, int& y) {
    int width = 0, height = 0;
    PictureSize(width, height);
    if (!state.open || width <= 0 || height <= 0) return false;
    return varnelo_pointer(width, height, &x, &y) != 0;
}

void MovePointerToPicture(int x, int y) {
    int width = 0, height = 0;
    PictureSize(width, height);
    if (!state.open || width <= 0 || height <= 0) return;
    // A page cannot move the user's pointer: this position holds until the pointer moves.
    varnelo_warp(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
}

void ShowPointer(bool shown) { varnelo_show_pointer(shown ? 1 : 0); }

void WaitForInput(uint64_t dueMs) {
    int timeout = -1;
    if (dueMs != UINT64_MAX) {
        const uint64_t now = NowMs();
        timeout = dueMs <= now ? 0 : static_cast<int>(std::min<uint64_t>(dueMs - now, INT32_MAX));
    }
    varnelo_wait(timeout);
    int key = 0, scan = 0, repeat = 0;
    for (int kind; (kind = varnelo_next_input(&key, &scan, &repeat)) != 0;) {
        if (kind == 1) standins::PostKeyDown(static_cast<unsigned>(key), static_cast<unsigned>(scan), repeat != 0);
        if (kind == 2) standins::PostClose();
        if (kind == 3 && !state.away) {
            // A hidden page is a display taken away: the flip chain is lost until restored.
            state.away = true;
            ++state.lossCount;
        }
        if (kind == 4) state.away = false;
    }
}

uint64_t NowMs() { return static_cast<uint64_t>(std::floor(emscripten_get_now())); }

void Tell(const char* caption, const char* text) { varnelo_tell(caption, text); }

void Finish(int exitCode) {
    Close();
    varnelo_ended(exitCode);
}

}  // namespace screen
