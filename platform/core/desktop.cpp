// The display state that the core's Win32 and DirectDraw halves share, and what the screens
// report of the display being taken away and given back.
#include "platform/core/desktop.h"

#include "platform/screen.h"

namespace {

struct State {
    int pictureWidth = 0, pictureHeight = 0;
    int windowWidth = 0, windowHeight = 0;
    bool exclusive = false;
    bool away = false;
    uint32_t lossCount = 0;
};

State state;

}  // namespace

namespace desktop {

void SetPictureSize(int width, int height) {
    state.pictureWidth = width;
    state.pictureHeight = height;
}

void PictureSize(int& width, int& height) {
    const bool set = state.pictureWidth > 0 && state.pictureHeight > 0;
    width = set ? state.pictureWidth : state.windowWidth;
    height = set ? state.pictureHeight : state.windowHeight;
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
bool Available() { return !state.away; }
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
