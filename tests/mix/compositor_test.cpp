// Tests of the compositor: the channel multiply, the clipped stamp, short scenes and the
// red/blue swap, each checked against a plain per-pixel model of the frame written here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "mix/compositor.h"

namespace {

constexpr size_t FramePixels = size_t{Width} * size_t{Height};
constexpr int32_t Lowest = std::numeric_limits<int32_t>::min();
constexpr int32_t Highest = std::numeric_limits<int32_t>::max();

// A picture whose pixels own their storage, sized exactly so ASan sees any overread.
struct Picture {
    std::vector<uint32_t> pixels;
    Image image{};

    Picture(int32_t width, int32_t height, uint32_t seed) : pixels(size_t(width) * size_t(height)) {
        std::mt19937 random(seed);
        for (auto& pixel : pixels) pixel = uint32_t(random());
        image = {pixels.data(), width, height};
    }
    uint32_t At(int32_t column, int32_t row) const {
        return pixels[size_t(row) * size_t(image.width) + size_t(column)];
    }
};

// The frame as the compositor's definition describes it, one pixel and one bounds test at
// a time, to compare the real operations with.
std::vector<uint32_t> ModelStamp(const Picture& spot, int64_t x, int64_t y) {
    std::vector<uint32_t> frame(FramePixels, 0);
    const int64_t left = x - spot.image.width / 2;
    const int64_t top = y - spot.image.height / 2;
    for (int32_t r = 0; r < spot.image.height; ++r) {
        for (int32_t c = 0; c < spot.image.width; ++c) {
            const int64_t column = left + c;
            const int64_t row = top + r;
            if (column >= 0 && column < Width && row >= 0 && row < Height) {
                frame[size_t(row * Width + column)] = spot.At(c, r);
            }
        }
    }
    return frame;
}

uint32_t ModelMix(uint32_t frame, uint32_t scene) {
    uint32_t result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const uint32_t a = (frame >> (8 * channel)) & 0xFF;
        const uint32_t b = (scene >> (8 * channel)) & 0xFF;
        const uint32_t product = a * b / 256;
        result |= product << (8 * (2 - channel));  // image order in, display order out
    }
    return result;
}

std::vector<uint32_t> ModelMultiply(std::vector<uint32_t> frame, const std::vector<uint32_t>& scene) {
    for (size_t i = 0; i < FramePixels; ++i) {
        frame[i] = i < scene.size() ? ModelMix(frame[i], scene[i]) : 0;
    }
    return frame;
}

class CompositorTest : public testing::Test {
protected:
    std::vector<uint32_t> frame = std::vector<uint32_t>(FramePixels, 0xDEADBEEF);

    void SetUp() override { FrameBuffer = frame.data(); }
    void TearDown() override {
        FrameBuffer = nullptr;
        Spot = nullptr;
        Scene = nullptr;
    }
    void Use(Picture& spot, Picture& scene) {
        Spot = &spot.image;
        Scene = &scene.image;
    }
    uint32_t At(int32_t column, int32_t row) const { return frame[size_t(row * Width + column)]; }
};

TEST_F(CompositorTest, ChannelMultiplyMatchesTheFormulaForEveryPairInEveryChannel) {
    // Pair k = a * 256 + b appears once per channel, in a different place in each pixel,
    // with alpha bytes set on both sides to show they take no part.
    Picture scene(Width, Height, 1);
    Scene = &scene.image;
    for (uint32_t firstPair = 0; firstPair < 65536; firstPair += FramePixels) {
        for (size_t i = 0; i < FramePixels; ++i) {
            const uint32_t k = (firstPair + uint32_t(i)) & 0xFFFF;
            const uint32_t a = k >> 8, b = k & 0xFF;
            frame[i] = 0xA5000000u | (a ^ b) << 16 | b << 8 | a;
            scene.pixels[i] = 0x5A000000u | ((a + b) & 0xFF) << 16 | a << 8 | b;
        }
        MultiplyScene();
        for (size_t i = 0; i < FramePixels; ++i) {
            const uint32_t k = (firstPair + uint32_t(i)) & 0xFFFF;
            const uint32_t a = k >> 8, b = k & 0xFF;
            const uint32_t red = a * b / 256, green = b * a / 256;
            const uint32_t blue = (a ^ b) * ((a + b) & 0xFF) / 256;
            ASSERT_EQ(frame[i] & 0x00FFFFFF, red << 16 | green << 8 | blue) << "a=" << a << " b=" << b;
        }
    }
}

struct MixCase {
    uint32_t spot;
    uint32_t scene;
    uint32_t displayed;
};

TEST_F(CompositorTest, KnownPixelsMixAsDocumented) {
    const MixCase cases[] = {
        {0x00FFFFFF, 0x00112233, 0x00322110},  // white shows the scene with red and blue swapped
        {0x00FFFFFF, 0x00FFFFFF, 0x00FEFEFE},  // no rounding: 255 x 255 gives 254
        {0x0000FF00, 0x00808080, 0x00007F00},  // pure green keeps only the green channel
        {0xFF800000, 0x00640000, 0x00000032},  // an opaque alpha mixes like alpha 0
        {0x00800000, 0x00640000, 0x00000032},
        {0x00000000, 0x00FFFFFF, 0x00000000},  // black stays black
        {0x00000000, 0xFFFFFFFF, 0x00000000},
    };
    Picture spot(1, 1, 0);
    Picture scene(Width, Height, 0);
    Use(spot, scene);
    for (const MixCase& c : cases) {
        spot.pixels[0] = c.spot;
        std::fill(scene.pixels.begin(), scene.pixels.end(), c.scene);
        ComposeFrame(5, 7);
        EXPECT_EQ(At(5, 7) & 0x00FFFFFF, c.displayed) << std::hex << c.spot << " over " << c.scene;
        frame[size_t(7 * Width + 5)] = 0;
        EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), ptrdiff_t(FramePixels));
    }
}

struct Placement {
    const char* where;
    int32_t x;
    int32_t y;
};

// Positions that clip a 64 x 64 spot at every edge and corner, and some that miss the frame.
const Placement Placements[] = {
    {"inside", 160, 100},        {"top-left corner", 0, 0},     {"top edge", 150, 5},
    {"top-right corner", 319, 0}, {"right edge", 300, 90},      {"bottom-right corner", 319, 199},
    {"bottom edge", 40, 190},     {"bottom-left corner", 0, 199}, {"left edge", -20, 120},
    {"just off the left", -32, 50}, {"just in from the left", -31, 50},
    {"just off the bottom", 100, 232}, {"just in from the bottom", 100, 231},
    {"far outside", 1000, 1000},  {"far left", -500, 10},       {"lowest", Lowest, Lowest},
    {"highest", Highest, Highest}, {"mixed extremes", Lowest, Highest},
    {"lowest x in a row", Lowest, 100}, {"highest y in a column", 160, Highest},
};

TEST_F(CompositorTest, StampClipsPixelByPixelAtEveryEdgeAndCorner) {
    Picture spot(64, 64, 2);
    Picture scene(Width, Height, 3);
    Use(spot, scene);
    for (const Placement& p : Placements) {
        ClearFrame();
        DrawSpot(p.x, p.y);
        const std::vector<uint32_t> stamped = ModelStamp(spot, p.x, p.y);
        EXPECT_EQ(frame, stamped) << p.where;
        // The whole frame step must not leave any of the last frame behind around the spot.
        std::fill(frame.begin(), frame.end(), 0xDEADBEEF);
        ComposeFrame(p.x, p.y);
        EXPECT_EQ(frame, ModelMultiply(stamped, scene.pixels)) << p.where << ", composed";
    }
}

TEST_F(CompositorTest, CornerStampKeepsOnlyTheLowerRightQuarter) {
    Picture spot(64, 64, 4);
    Picture scene(Width, Height, 5);
    Use(spot, scene);
    ClearFrame();
    DrawSpot(0, 0);
    size_t stamped = 0;
    for (int32_t row = 0; row < Height; ++row) {
        for (int32_t column = 0; column < Width; ++column) {
            if (column < 32 && row < 32) {
                EXPECT_EQ(At(column, row), spot.At(column + 32, row + 32));
                ++stamped;
            } else {
                EXPECT_EQ(At(column, row), 0u);
            }
        }
    }
    EXPECT_EQ(stamped, 32u * 32u);
}

TEST_F(CompositorTest, OddAndEvenSpotsCentreOnTheRoundedDownHalf) {
    struct Size {
        int32_t width;
        int32_t height;
    };
    for (const Size size : {Size{64, 64}, Size{65, 65}, Size{1, 2}, Size{2, 1}, Size{7, 10}}) {
        Picture spot(size.width, size.height, 6);
        Picture scene(Width, Height, 7);
        Use(spot, scene);
        ClearFrame();
        DrawSpot(100, 80);
        // The mouse pixel shows spot pixel (width / 2, height / 2), and the stamp starts
        // half the size (rounded down) to the left and above.
        EXPECT_EQ(At(100, 80), spot.At(size.width / 2, size.height / 2));
        EXPECT_EQ(At(100 - size.width / 2, 80 - size.height / 2), spot.At(0, 0));
        EXPECT_EQ(frame, ModelStamp(spot, 100, 80)) << size.width << "x" << size.height;
    }
}

TEST_F(CompositorTest, SpotLargerThanTheFrameCoversEveryPixel) {
    Picture spot(400, 300, 8);
    Picture scene(Width, Height, 9);
    Use(spot, scene);
    ClearFrame();
    DrawSpot(160, 100);
    for (int32_t row = 0; row < Height; ++row) {
        for (int32_t column = 0; column < Width; ++column) {
            ASSERT_EQ(At(column, row), spot.At(column + 40, row + 50));
        }
    }
}

TEST_F(CompositorTest, PositionsOutsideTheFrameLeaveItBlack) {
    Picture spot(64, 64, 10);
    Picture scene(Width, Height, 11);
    Use(spot, scene);
    for (const Placement& p : {Placement{"below right", 1000, 1000}, Placement{"left", -500, 10},
                               Placement{"lowest", Lowest, Lowest}, Placement{"highest", Highest, Highest},
                               Placement{"above", 160, -33}, Placement{"right", 352, 100}}) {
        ComposeFrame(p.x, p.y);
        EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), ptrdiff_t(FramePixels)) << p.where;
    }
}

// The whole frame step, checked against the model for many spot sizes and positions.
TEST_F(CompositorTest, ComposedFramesMatchThePlainModel) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int32_t> size(1, 420);
    std::uniform_int_distribution<int32_t> position(-250, 570);
    Picture scene(Width, Height, 13);
    for (int round = 0; round < 60; ++round) {
        Picture spot(size(random), size(random), uint32_t(round));
        Use(spot, scene);
        const int32_t x = position(random), y = position(random);
        const std::vector<uint32_t> expected = ModelMultiply(ModelStamp(spot, x, y), scene.pixels);
        ComposeFrame(x, y);
        ASSERT_EQ(frame, expected) << spot.image.width << "x" << spot.image.height << " at " << x << "," << y;
        ClearFrame();
        DrawSpot(x, y);
        MultiplyScene();
        ASSERT_EQ(frame, expected) << "separate steps";
    }
}

TEST_F(CompositorTest, MultiplyAloneMixesWhateverTheFrameHolds) {
    Picture scene(Width, Height, 14);
    Scene = &scene.image;
    std::mt19937 random(15);
    for (auto& pixel : frame) pixel = uint32_t(random());
    const std::vector<uint32_t> expected = ModelMultiply(frame, scene.pixels);
    MultiplyScene();
    EXPECT_EQ(frame, expected);
}

// Short scenes are read only up to their last pixel; the frame pixels past it go black.
TEST_F(CompositorTest, ShortSceneIsNeverReadPastItsEnd) {
    struct Short {
        int32_t width;
        int32_t height;
    };
    Picture spot(400, 300, 16);
    for (const Short s : {Short{320, 100}, Short{1, 1}, Short{319, 200}, Short{77, 13}, Short{0, 200},
                          Short{320, 0}}) {
        Picture scene(s.width, s.height, 17);
        Use(spot, scene);
        const std::vector<uint32_t> expected = ModelMultiply(ModelStamp(spot, 160, 100), scene.pixels);
        ComposeFrame(160, 100);
        EXPECT_EQ(frame, expected) << s.width << "x" << s.height;
        ClearFrame();
        DrawSpot(160, 100);
        MultiplyScene();
        EXPECT_EQ(frame, expected) << s.width << "x" << s.height << " in separate steps";
    }
}

TEST_F(CompositorTest, MissingSceneOrSpotGivesABlackFrame) {
    Picture spot(400, 300, 18);
    Spot = &spot.image;
    Scene = nullptr;
    ComposeFrame(160, 100);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), ptrdiff_t(FramePixels));
    Picture scene(Width, Height, 19);
    Scene = &scene.image;
    Spot = nullptr;
    ComposeFrame(160, 100);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0u), ptrdiff_t(FramePixels));
}

TEST_F(CompositorTest, WiderSceneWithEnoughPixelsPairsByIndex) {
    Picture spot(400, 300, 20);
    Picture scene(400, 200, 21);
    Use(spot, scene);
    const std::vector<uint32_t> expected = ModelMultiply(ModelStamp(spot, 160, 100), scene.pixels);
    ComposeFrame(160, 100);
    EXPECT_EQ(frame, expected);
    // Row 1 of the frame pairs with the scene's row 0 from column 320 on: the picture shears.
    EXPECT_EQ(At(0, 1), ModelMix(spot.At(40, 51), scene.At(320, 0)));
}

TEST_F(CompositorTest, SwapRedBlueTurnsAMixedFrameBackIntoImageOrder) {
    Picture spot(1, 1, 0);
    Picture scene(Width, Height, 0);
    Use(spot, scene);
    spot.pixels[0] = 0xFFFFFFFF;
    std::fill(scene.pixels.begin(), scene.pixels.end(), 0xFF112233);
    ComposeFrame(3, 4);
    EXPECT_EQ(At(3, 4) & 0x00FFFFFF, 0x00322110u);
    SwapRedBlue();
    EXPECT_EQ(At(3, 4), 0x00102132u);

    // A full frame with every alpha byte set: the swap clears alpha and trades the outer
    // channels, whatever the pixels hold.
    std::mt19937 random(22);
    for (auto& pixel : frame) pixel = uint32_t(random()) | 0xFF000000u;
    const std::vector<uint32_t> before = frame;
    SwapRedBlue();
    for (size_t i = 0; i < FramePixels; ++i) {
        const uint32_t red = before[i] >> 16 & 0xFF, green = before[i] >> 8 & 0xFF, blue = before[i] & 0xFF;
        ASSERT_EQ(frame[i], blue << 16 | green << 8 | red);
    }
}

}  // namespace
