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
    bool open = false, shown = false, fullScreen = false, pointerShown = true, away = false;
    int blackPaints = 0;
    int pictureWidth = 0, pictureHeight = 0;  // 0: the window's own size
    int windowWidth = 0, windowHeight = 0;
    int pointerX = 0, pointerY = 0;  // in picture pixels
    uint32_t lossCount = 0;
    uint64_t nowMs = 1000;
    std::vector<uint8_t> shown32;  // the last presented picture, rows adjacent
    std::string told;              // "caption: text" of every message box, one a line
    // What each wait for input brings, in turn, given the wait's due time; with nothing left the
    // clock runs to the due time, and a wait that nothing could end closes the window.
    std::deque<std::function<void(uint64_t dueMs)>> inputs;
};

State& Get();
// The display taken away (the surfaces of the flip chain are lost) and given back.
void TakeAway();
void GiveBack();

}  // namespace memory_screen
