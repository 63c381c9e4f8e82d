// The compositor against a per-pixel model: every value pair's multiply, the stamp at every edge, odd scenes, swaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <random>
#include <vector>

#include "mix/compositor.h"

namespace {

using Pixels = std::vector<uint32_t>;
constexpr size_t FramePixels = size_t{Width} * Height;

// A picture of random pixels (alpha included) in storage of exactly its size, so the sanitizers see any read past it;
// one pixel for none, so that a picture of no rows still has storage and only its size says it is empty.
struct Picture {
    Pixels pixels;
    Image image;
    Picture(int32_t width, int32_t height, uint32_t seed) : pixels(std::max<size_t>(size_t(width) * size_t(height), 1)) {
        std::mt19937 random(seed);
        for (uint32_t& pixel : pixels) pixel = uint32_t(random());
        image = {pixels.data(), width, height};
    }
};

// Image order in, display order out, each channel a * b / 256.
uint32_t ModelMix(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) out |= ((a >> 8 * c & 0xFF) * (b >> 8 * c & 0xFF) / 256) << 8 * (2 - c);
    return out;
}

// The lit frame as defined: black, the spot centred on (x, y) and clipped, each pixel mixed with the scene's of its index.
Pixels ModelFrame(const Image* spot, const Image* scene, int64_t x, int64_t y, bool mix = true) {
    Pixels frame(FramePixels, 0);
    for (int64_t r = 0; spot && spot->pixels && r < spot->height; ++r) {
        for (int64_t c = 0, row = y - spot->height / 2 + r; c < spot->width; ++c) {
            const int64_t column = x - spot->width / 2 + c;
            if (column >= 0 && column < Width && row >= 0 && row < Height) {
                frame[size_t(row * Width + column)] = spot->pixels[r * spot->width + c];
            }
        }
    }
    const size_t paired = scene && scene->pixels ? size_t(scene->width) * size_t(scene->height) : 0;
    for (size_t i = 0; mix && i < FramePixels; ++i) frame[i] = i < paired ? ModelMix(frame[i], scene->pixels[i]) : 0;
    return frame;
}

// Empty when the frames agree, else the first pixel where they differ: a message short enough to read.
std::string FirstDifference(const Pixels& frame, const Pixels& model) {
    const size_t at = size_t(std::mismatch(model.begin(), model.end(), frame.begin()).first - model.begin());
    if (at == FramePixels) return "";
    return testing::PrintToString(std::vector<size_t>{at % Width, at / Width}) + " is " + std::to_string(frame[at]) +
           ", not " + std::to_string(model[at]);
}

class Compositor : public testing::Test {
protected:
    Pixels frame = Pixels(FramePixels + 1, 0xDEADBEEF);  // and one pixel past the frame, which nothing may touch
    void SetUp() override { FrameBuffer = frame.data(); }
    void TearDown() override {
        EXPECT_EQ(frame.back(), 0xDEADBEEF) << "written past the frame";
        FrameBuffer = nullptr, Spot = nullptr, Scene = nullptr;
    }
};

TEST_F(Compositor, MultipliesEveryValuePairInEveryChannel) {
    // Pair a * 256 + b sits in a different channel place in each pixel; alpha takes no part.
    // Static, as the compositor holds its address until TearDown, past this body's end (GCC 14 says so).
    static Picture scene(Width, Height, 1);
    Scene = &scene.image;
    for (uint32_t first = 0; first < 65536; first += FramePixels) {
        const auto input = [&](size_t i, bool ofScene) {
            const uint32_t a = (first + uint32_t(i)) >> 8 & 0xFF, b = (first + uint32_t(i)) & 0xFF;
            return ofScene ? 0x5A000000u | ((a + b) & 0xFF) << 16 | a << 8 | b
                           : 0xA5000000u | (a ^ b) << 16 | b << 8 | a;
        };
        for (size_t i = 0; i < FramePixels; ++i) frame[i] = input(i, false), scene.pixels[i] = input(i, true);
        MultiplyScene();
        for (size_t i = 0; i < FramePixels; ++i) {
            ASSERT_EQ(frame[i], ModelMix(input(i, false), input(i, true))) << "pair " << ((first + i) & 0xFFFF);
        }
    }
}

// A spot of spotWidth x spotHeight centred on (x, y) over a scene of its own size; -1 for no picture, -2 for one
// of 64 columns whose pixels are gone.
struct Placement {
    int32_t x, y, spotWidth = 64, spotHeight = 64, sceneWidth = Width, sceneHeight = Height;
};

TEST_F(Compositor, FramesMatchTheModelWhereverTheSpotFalls) {
    constexpr int32_t Low = std::numeric_limits<int32_t>::min(), High = std::numeric_limits<int32_t>::max();
    const Placement placements[] = {
        {160, 100}, {0, 0}, {319, 199}, {319, 0}, {0, 199}, {-32, 50}, {-31, 50}, {100, 232}, {100, 231},
        {351, 100}, {352, 100}, {160, -33}, {Low, Low}, {High, High}, {Low, High}, {100, 80, 65, 65},
        {100, 80, 1, 2}, {7, 0, 2, 1}, {3, 196, 7, 10}, {160, 100, 400, 300}, {170, 90, 400, 300, 320, 100},
        {160, 100, 400, 300, 1, 1}, {160, 100, 400, 300, 319, 200}, {160, 100, 400, 300, 0, 200},
        {160, 100, 400, 300, 77, 13}, {160, 100, 400, 300, 400, 200}, {160, 100, 0, 0}, {160, 100, -1, 0},
        {160, 100, 400, 300, -1, 0}, {160, 100, -2, 64}, {160, 100, 64, 64, -2, 200}, {160, 100, 64, 0}, {160, 100, 0, 64},
    };
    for (const Placement& p : placements) {
        Picture spot(p.spotWidth == -2 ? 64 : std::max(p.spotWidth, 0), p.spotHeight, 2),
            scene(p.sceneWidth == -2 ? 64 : std::max(p.sceneWidth, 0), p.sceneHeight, 3);
        if (p.spotWidth == -2) spot.image.pixels = nullptr;
        if (p.sceneWidth == -2) scene.image.pixels = nullptr;
        Spot = p.spotWidth == -1 ? nullptr : &spot.image;
        Scene = p.sceneWidth == -1 ? nullptr : &scene.image;
        SCOPED_TRACE(testing::Message() << "spot " << p.spotWidth << "x" << p.spotHeight << " at " << p.x << ","
                                        << p.y << " over " << p.sceneWidth << "x" << p.sceneHeight);
        std::fill_n(frame.begin(), FramePixels, 0xDEADBEEF);
        ComposeFrame(p.x, p.y);
        EXPECT_EQ(FirstDifference(frame, ModelFrame(Spot, Scene, p.x, p.y)), "");
        std::fill_n(frame.begin(), FramePixels, 0xDEADBEEF);
        ClearFrame();
        DrawSpot(p.x, p.y);
        EXPECT_EQ(FirstDifference(frame, ModelFrame(Spot, Scene, p.x, p.y, false)), "") << "stamped";
        MultiplyScene();
        EXPECT_EQ(FirstDifference(frame, ModelFrame(Spot, Scene, p.x, p.y)), "") << "in separate steps";
    }
}

TEST_F(Compositor, SwapRedBlueTradesTheOuterChannelsAndClearsAlpha) {
    std::mt19937 random(4);
    std::generate_n(frame.begin(), FramePixels, [&] { return uint32_t(random()) | 0xFF000000u; });
    const Pixels before = frame;
    SwapRedBlue();
    for (size_t i = 0; i < FramePixels; ++i) {
        const uint32_t p = before[i];
        ASSERT_EQ(frame[i], (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF)) << "pixel " << i;
    }
}

}  // namespace
