// The display state that the core's Win32 and DirectDraw halves share, and what the screens
// report of the display being taken away and given back.
#include "platform/core/desktop.h"
#include "platform/core/standins.h"

namespace {

struct State {
    int modeWidth = 0, modeHeight = 0;
    int windowWidth = 0, windowHeight = 0;
    bool exclusive = false;
    bool away = false;
    uint32_t lossCount = 0;
};

State state;

}  // namespace

namespace desktop {

void SetModeSize(int width, int height) {
    state.modeWidth = width;
    state.modeHeight = height;
}

void ModeSize(int& width, int& height) {
    const bool set = state.modeWidth > 0 && state.modeHeight > 0;
    width = set ? state.modeWidth : state.windowWidth;
    height = set ? state.modeHeight : state.windowHeight;
}

void SetWindowSize(int width, int height) {
    state.windowWidth = width;
    state.windowHeight = height;
}

void SetExclusive(bool exclusive) {
    state.exclusive = exclusive;
    // Whatever took the display from the exclusive program, a window lives on the desktop.
    if (!exclusive) state.away = false;
}

bool Exclusive() { return state.exclusive; }
uint32_t LossCount() { return state.lossCount; }
// A window is never exclusive, so one report of absence means one thing in each mode.
bool DisplayAway() { return state.away && state.exclusive; }
bool WindowMinimised() { return state.away && !state.exclusive; }
void Reset() { state = State{}; }

}  // namespace desktop

namespace standins {

// However often a screen tells it, one absence is one loss; and only an exclusive program's
// flip chain is lost with the display.
void DisplayTakenAway() {
    if (state.away) return;
    state.away = true;
    if (state.exclusive) ++state.lossCount;
}

void DisplayGivenBack() { state.away = false; }

}  // namespace standins
