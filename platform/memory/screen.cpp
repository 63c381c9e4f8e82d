// A screen in memory for the core: no display, no clock of its own, and every picture kept, so
// that the Win32 and DirectDraw rules can be run and watched without an X server.
#include "platform/memory/screen.h"

#include <algorithm>
#include <cstring>

#include "platform/screen.h"

namespace memory_screen {

State& Get() {
    static State state;
    return state;
}

void TakeAway() {
    if (!Get().away) ++Get().lossCount;
    Get().away = true;
}

void GiveBack() { Get().away = false; }

}  // namespace memory_screen

namespace screen {
namespace {
memory_screen::State& S() { return memory_screen::Get(); }

void PictureSize(int& width, int& height) {
    const bool set = S().pictureWidth > 0 && S().pictureHeight > 0;
    width = set ? S().pictureWidth : S().windowWidth;
    height = set ? S().pictureHeight : S().windowHeight;
}
}  // namespace

bool Open(const char*, int width, int height) {
    if (S().noDisplay || S().open) return false;
    S().open = true;
    S().windowWidth = width;
    S().windowHeight = height;
    return true;
}

void Close() {
    S().open = S().shown = S().fullScreen = false;
    S().pictureWidth = S().pictureHeight = 0;
}

bool IsOpen() { return S().open; }
void Show() { S().shown = true; }
void PaintBlack() { ++S().blackPaints; }
void EnterFullScreen() { S().fullScreen = true; }
void LeaveFullScreen() { S().fullScreen = false; }

void SetPictureSize(int width, int height) {
    S().pictureWidth = width;
    S().pictureHeight = height;
}

void Present(const uint8_t* pixels, int width, int height, int pitch) {
    const auto rowBytes = static_cast<size_t>(width) * 4;
    S().shown32.resize(rowBytes * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        std::memcpy(S().shown32.data() + rowBytes * static_cast<size_t>(row),
                    pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch), rowBytes);
    }
}

uint32_t LossCount() { return S().lossCount; }
bool Available() { return !S().away; }

bool PointerInPicture(int& x, int& y) {
    if (!S().open) return false;
    x = S().pointerX;
    y = S().pointerY;
    return true;
}

void MovePointerToPicture(int x, int y) {
    int width = 0, height = 0;
    PictureSize(width, height);
    S().pointerX = std::clamp(x, 0, std::max(width - 1, 0));
    S().pointerY = std::clamp(y, 0, std::max(height - 1, 0));
}

void ShowPointer(bool shown) { S().pointerShown = shown; }

void WaitForInput(uint64_t dueMs) {
    if (!S().inputs.empty()) {
        const auto input = std::move(S().inputs.front());
        S().inputs.pop_front();
        input(dueMs);
    } else if (dueMs != UINT64_MAX) {
        S().nowMs = std::max(S().nowMs, dueMs);
    } else {
        standins::PostClose();
    }
}

uint64_t NowMs() { return S().nowMs; }

void Tell(const char* caption, const char* text) { S().told += std::string(caption) + ": " + text + "\n"; }

void Finish(int) { Close(); }

}  // namespace screen
