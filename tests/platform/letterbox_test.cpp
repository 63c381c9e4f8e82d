// The shape rule against boxes worked out by hand for the screens people have, and the pointer
// carried from each pixel to the screen and back.
#include "platform/letterbox.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using letterbox::Aspect;
using letterbox::Box;
using letterbox::Shape;

constexpr Shape Shapes[] = {{Aspect::Square, false}, {Aspect::Square, true}, {Aspect::FourThree, false}, {Aspect::FourThree, true}};
constexpr const char* ShapeNames[] = {"square", "whole", "4:3", "4:3 whole"};

// The 320 x 200 frame's box in each of Shapes, in that order.
struct Area {
    int64_t width, height;
    Box boxes[4];
};
const Area Areas[] = {
    {640, 480, {{0, 40, 640, 400}, {0, 40, 640, 400}, {0, 0, 640, 480}, {0, 40, 640, 400}}},
    {1024, 768, {{0, 64, 1024, 640}, {32, 84, 960, 600}, {0, 0, 1024, 768}, {32, 84, 960, 600}}},  // 4:3 whole 3 x 3
    {1366, 768, {{69, 0, 1228, 768}, {203, 84, 960, 600}, {171, 0, 1024, 768}, {203, 84, 960, 600}}},
    {1920, 1080, {{96, 0, 1728, 1080}, {160, 40, 1600, 1000}, {240, 0, 1440, 1080}, {320, 40, 1280, 1000}}},  // 4 x 5
    {2560, 1440, {{128, 0, 2304, 1440}, {160, 20, 2240, 1400}, {320, 0, 1920, 1440}, {320, 20, 1920, 1400}}},  // 6 x 7
    {3840, 2160, {{192, 0, 3456, 2160}, {320, 80, 3200, 2000}, {480, 0, 2880, 2160}, {640, 80, 2560, 2000}}},  // 8 x 10
    // Upright, where the width limits: in 4:3 the rows no more than 1.2 times the columns (3 x 4, not 3 x 7).
    {1170, 1500, {{0, 384, 1170, 731}, {105, 450, 960, 600}, {0, 311, 1170, 877}, {105, 350, 960, 800}}},
    // Smaller than the frame: no whole multiple, so the shape as large as fits.
    {300, 150, {{30, 0, 240, 150}, {30, 0, 240, 150}, {50, 0, 200, 150}, {50, 0, 200, 150}}},
};

TEST(LetterboxTest, PlacesTheFrameAsEachShapeAsks) {
    for (const Area& area : Areas) {
        for (int shape = 0; shape < 4; ++shape) {
            const Box box = letterbox::Place(area.width, area.height, 320, 200, Shapes[shape]);
            const Box& expected = area.boxes[shape];
            EXPECT_TRUE(box.left == expected.left && box.top == expected.top && box.width == expected.width &&
                        box.height == expected.height)
                << ShapeNames[shape] << " at " << area.width << " x " << area.height << ": " << box.width << " x "
                << box.height << " at " << box.left << "," << box.top;
        }
    }
}

// Each pixel's middle on the screen maps back to it, wherever each pixel has a block of its own
// (not in an area smaller than the frame).
TEST(LetterboxTest, CarriesEveryPixelToTheScreenAndBack) {
    for (const Area& area : Areas) {
        for (int shape = 0; shape < 4; ++shape) {
            const Box box = letterbox::Place(area.width, area.height, 320, 200, Shapes[shape]);
            if (box.width < 320) continue;
            SCOPED_TRACE(std::string(ShapeNames[shape]) + " at " + std::to_string(area.width));
            for (int64_t x = 0; x < 320; ++x) ASSERT_EQ(letterbox::PixelAt(letterbox::MiddleOf(x, box.left, box.width, 320), box.left, box.width, 320), x);
            for (int64_t y = 0; y < 200; ++y) ASSERT_EQ(letterbox::PixelAt(letterbox::MiddleOf(y, box.top, box.height, 200), box.top, box.height, 200), y);
        }
    }
}

// 6 rows make exactly 1.2 with 5 columns, though 6 would fit; and windows the shape fills whole,
// n = 1 to 5: 4:3 whole rows 1, 2, 4, 5, 6 for 1 to 5 columns.
TEST(LetterboxTest, WholeScaleKeepsNearestTheShape) {
    const letterbox::Multiple exact = letterbox::WholeMultiple(1920, 1200, 320, 200, Aspect::FourThree);
    EXPECT_EQ(exact.across * 10 + exact.down, 56);
    for (int shape = 0; shape < 4; ++shape) {
        for (int64_t n = 1; n <= 5; ++n) {
            const letterbox::Size window = letterbox::WindowArea(320, 200, Shapes[shape], n);
            const Box filled = letterbox::Place(window.width, window.height, 320, 200, Shapes[shape]);
            EXPECT_TRUE(filled.width == window.width && filled.height == window.height && filled.width == 320 * n)
                << ShapeNames[shape] << " n " << n << ": " << filled.width << " x " << filled.height << " in " << window.width << " x " << window.height;
        }
    }
}

// A window goes at the largest size whose frame fits the work area, centred; where none fits, once, at its top left.
TEST(LetterboxTest, AWindowGoesWhereItsFrameFits) {
    const struct { Box work; letterbox::Border border; int shape; Box client; } cases[] = {
        {{100, 50, 1920, 1080}, {4, 30, 6, 8}, 1, {259, 101, 1600, 1000}},
        {{0, 0, 1610, 1038}, {4, 30, 6, 8}, 1, {4, 30, 1600, 1000}},  // exactly 5 times
        {{0, 0, 1000, 1080}, {}, 3, {20, 140, 960, 800}},  // 3 columns by 4 rows: the width limits
        {{10, 20, 300, 150}, {2, 20, 2, 2}, 0, {12, 40, 320, 200}},
    };
    for (const auto& [work, border, shape, client] : cases) {
        const Box got = letterbox::WindowOnWorkArea(work, 320, 200, Shapes[shape], border);
        EXPECT_EQ((std::array{got.left, got.top, got.width, got.height}), (std::array{client.left, client.top, client.width, client.height}))
            << ShapeNames[shape] << " on " << work.width << " x " << work.height;
    }
    EXPECT_EQ(letterbox::WindowOnWorkArea({0, 0, 640, 400}, 0, 0, Shapes[1], {}).width, 0) << "no frame, no window";
}

}  // namespace
