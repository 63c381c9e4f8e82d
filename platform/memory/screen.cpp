// A screen in memory for the core: no display, no clock of its own, and everything shown kept, so
// that the Win32 and DirectDraw rules can be run and watched without an X server.
#include "platform/memory/screen.h"

#include <cstring>

#include "platform/core/desktop.h"
#include "platform/core/standins.h"
#include "platform/screen.h"

namespace memory_screen {

State& Get() {
    static State state;
    return state;
}

void TakeAway() { standins::DisplayTakenAway(); }
void GiveBack() { standins::DisplayGivenBack(); }

}  // namespace memory_screen

namespace screen {
namespace {
memory_screen::State& S() { return memory_screen::Get(); }
}  // namespace

bool Open(const char*, int, int) {
    if (S().noDisplay || S().open) return false;
    S().open = true;
    return true;
}

void Close() { S().open = S().shown = S().fullScreen = false; }
bool IsOpen() { return S().open; }
void Show() { S().shown = true; }
void PaintBlack() { ++S().blackPaints; }
bool CanDraw() { return S().open && !S().noDrawing; }
void EnterFullScreen() { S().fullScreen = true; }
void LeaveFullScreen() { S().fullScreen = false; }

void DesktopSize(int& width, int& height) {
    width = S().desktopWidth;
    height = S().desktopHeight;
}

void Present(const uint8_t* pixels, int width, int height, int pitch) {
    const auto rowBytes = static_cast<size_t>(width) * 4;
    S().shown32.resize(rowBytes * static_cast<size_t>(height));
    S().shownWidth = width;
    S().shownHeight = height;
    for (int row = 0; row < height; ++row) {
        std::memcpy(S().shown32.data() + rowBytes * static_cast<size_t>(row),
                    pixels + static_cast<size_t>(row) * static_cast<size_t>(pitch), rowBytes);
    }
}

bool PointerInMode(int, int, int& x, int& y) {
    if (!S().open) return false;
    x = S().pointerX;
    y = S().pointerY;
    return true;
}

void MovePointerInMode(int, int, int x, int y) {
    S().pointerX = x;
    S().pointerY = y;
}

void ShowPointer(bool shown) { S().pointerShown = shown; }

void WaitForInput(int timeoutMs) {
    if (!S().inputs.empty()) {
        const auto input = std::move(S().inputs.front());
        S().inputs.pop_front();
        input(timeoutMs);
    } else if (timeoutMs >= 0) {
        S().nowMs += static_cast<uint64_t>(timeoutMs);
    } else {
        standins::PostClose();
    }
}

uint64_t NowMs() { return S().nowMs; }

void Tell(const char* caption, const char* text) { S().told += std::string(caption) + ": " + text + "\n"; }

void Finish(int) { Close(); }

}  // namespace screen
