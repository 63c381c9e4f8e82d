// The screen that lives in memory: what the core shows and asks of it, open to the program that
// links it (the tests), which also hands it the input and lets its clock run.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace memory_screen {

struct State {
    bool noDisplay = false;  // Open finds nowhere to show the window
    bool noDrawing = false;  // the window opens, but nothing can be drawn in it
    bool open = false, shown = false, fullScreen = false, pointerShown = true;
    int blackPaints = 0;
    int desktopWidth = 640, desktopHeight = 480;
    int pointerX = 0, pointerY = 0;  // in the display mode's pixels
    uint64_t nowMs = 1000;
    std::vector<uint8_t> shown32;  // the last pixels presented, rows adjacent
    int shownWidth = 0, shownHeight = 0;
    std::string told;  // "caption: text" of every message box, one a line
    // What each wait for input brings, in turn, given the wait's time-out (-1: none); with
    // nothing left the clock runs out the time-out, and a wait that nothing could end closes the
    // window.
    std::deque<std::function<void(int timeoutMs)>> inputs;
};

State& Get();
// The display taken away (the surfaces of an exclusive flip chain are lost, a window is
// minimised) and given back.
void TakeAway();
void GiveBack();

}  // namespace memory_screen
