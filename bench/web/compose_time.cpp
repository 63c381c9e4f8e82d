// Time of one frame's compose, the same source built natively and with em++, so that the
// browser's figure can be set against this machine's own. Prints the median of its rounds.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "mix/compositor.h"

namespace {

constexpr size_t FramePixels = size_t{Width} * size_t{Height};
constexpr int Frames = 2000, Rounds = 9;

// One round in a function of its own, called through a pointer that the wasm optimiser cannot
// inline: a browser swaps in optimised code only when a function is entered again, so a loop
// left inside main would run on the baseline compile throughout.
double MicrosecondsPerFrame(uint32_t& sum) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Frames; ++i) {
        // The spot wanders over the whole frame, edges included.
        ComposeFrame(i * 7 % Width, i * 3 % Height);
        sum += FrameBuffer[size_t(i) % FramePixels];
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / Frames;
}

}  // namespace

int main() {
    constexpr int SpotSide = 96;  // the bundled spot's size
    // Noise, so that no step can take a shortcut on zeros.
    std::mt19937 random(7);
    std::vector<uint32_t> frame(FramePixels), scenePixels(FramePixels), spotPixels(SpotSide * SpotSide);
    for (auto& pixel : scenePixels) pixel = uint32_t(random()) & 0x00FFFFFF;
    for (auto& pixel : spotPixels) pixel = uint32_t(random()) & 0x00FFFFFF;
    Image scene{scenePixels.data(), Width, Height}, spot{spotPixels.data(), SpotSide, SpotSide};
    FrameBuffer = frame.data();
    Spot = &spot;
    Scene = &scene;

    double (*volatile timeRound)(uint32_t&) = MicrosecondsPerFrame;
    std::vector<double> perFrame;
    uint32_t sum = 0;  // read back, so the frames cannot be optimised away
    // The first rounds are not counted: a browser first runs wasm from a quick baseline
    // compile and swaps in its optimised code while it runs.
    for (int round = -Rounds; round < Rounds; ++round) {
        const double time = timeRound(sum);
        if (round >= 0) perFrame.push_back(time);
    }
    std::sort(perFrame.begin(), perFrame.end());
    std::printf("compose_us_per_frame %.2f (checksum %u)\n", perFrame[Rounds / 2], sum);
    return 0;
}
