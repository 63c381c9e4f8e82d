// The shape rule against boxes worked out by hand for the screens people have, and the pointer
// carried from each pixel to the screen and back.
#include "platform/letterbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using letterbox::Aspect;
using letterbox::Box;
using letterbox::Shape;

constexpr Shape Square{Aspect::Square, false}, Whole{Aspect::Square, true};
constexpr Shape FourThree{Aspect::FourThree, false}, FourThreeWhole{Aspect::FourThree, true};

std::string Name(Shape shape) {
    return std::string(shape.aspect == Aspect::FourThree ? "4:3" : "square") + (shape.whole ? " whole" : "");
}

struct Case {
    int64_t areaWidth, areaHeight;
    Shape shape;
    Box box;
};

const Case Cases[] = {
    {640, 480, Square, {0, 40, 640, 400}},
    {640, 480, Whole, {0, 40, 640, 400}},
    {640, 480, FourThree, {0, 0, 640, 480}},
    {640, 480, FourThreeWhole, {0, 40, 640, 400}},
    {1024, 768, Square, {0, 64, 1024, 640}},
    {1024, 768, Whole, {32, 84, 960, 600}},
    {1024, 768, FourThree, {0, 0, 1024, 768}},
    {1024, 768, FourThreeWhole, {32, 84, 960, 600}},  // 3 x 3
    {1366, 768, Square, {69, 0, 1228, 768}},
    {1366, 768, Whole, {203, 84, 960, 600}},
    {1366, 768, FourThree, {171, 0, 1024, 768}},
    {1366, 768, FourThreeWhole, {203, 84, 960, 600}},  // 3 x 3: 3 / 3 is nearer 1.2 than 3 / 2
    {1920, 1080, Square, {96, 0, 1728, 1080}},
    {1920, 1080, Whole, {160, 40, 1600, 1000}},
    {1920, 1080, FourThree, {240, 0, 1440, 1080}},
    {1920, 1080, FourThreeWhole, {320, 40, 1280, 1000}},  // 4 x 5
    {2560, 1440, Square, {128, 0, 2304, 1440}},
    {2560, 1440, Whole, {160, 20, 2240, 1400}},
    {2560, 1440, FourThree, {320, 0, 1920, 1440}},
    {2560, 1440, FourThreeWhole, {320, 20, 1920, 1400}},  // 6 x 7
    {3840, 2160, Square, {192, 0, 3456, 2160}},
    {3840, 2160, Whole, {320, 80, 3200, 2000}},
    {3840, 2160, FourThree, {480, 0, 2880, 2160}},
    {3840, 2160, FourThreeWhole, {640, 80, 2560, 2000}},  // 8 x 10
    // Upright, where the width limits: rows no more than 1.2 times the columns allow (3 x 4, not 3 x 7).
    {1170, 1500, FourThreeWhole, {105, 350, 960, 800}},
    {390, 500, FourThreeWhole, {35, 150, 320, 200}},
    // Smaller than the frame: no whole multiple, so the shape as large as fits.
    {300, 150, Square, {30, 0, 240, 150}},
    {300, 150, Whole, {30, 0, 240, 150}},
    {300, 150, FourThree, {50, 0, 200, 150}},
    {300, 150, FourThreeWhole, {50, 0, 200, 150}},
};

TEST(LetterboxTest, PlacesTheFrameAsEachShapeAsks) {
    for (const Case& c : Cases) {
        const Box box = letterbox::Place(c.areaWidth, c.areaHeight, 320, 200, c.shape);
        SCOPED_TRACE(Name(c.shape) + " at " + std::to_string(c.areaWidth) + " x " + std::to_string(c.areaHeight));
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.top, c.box.top);
        EXPECT_EQ(box.width, c.box.width);
        EXPECT_EQ(box.height, c.box.height);
    }
}

// Each pixel's middle on the screen lies in its own block and maps back to it, wherever each
// pixel has a block of its own (not in an area smaller than the frame).
TEST(LetterboxTest, CarriesEveryPixelToTheScreenAndBack) {
    for (const Case& c : Cases) {
        const Box box = letterbox::Place(c.areaWidth, c.areaHeight, 320, 200, c.shape);
        if (box.width < 320) continue;
        SCOPED_TRACE(Name(c.shape) + " at " + std::to_string(c.areaWidth) + " x " + std::to_string(c.areaHeight));
        for (int64_t x = 0; x < 320; ++x) {
            const int64_t onScreen = letterbox::MiddleOf(x, box.left, box.width, 320);
            ASSERT_GE(onScreen, box.left) << "column " << x;
            ASSERT_LT(onScreen, box.left + box.width) << "column " << x;
            ASSERT_EQ(letterbox::PixelAt(onScreen, box.left, box.width, 320), x) << "column " << x;
        }
        for (int64_t y = 0; y < 200; ++y) {
            const int64_t onScreen = letterbox::MiddleOf(y, box.top, box.height, 200);
            ASSERT_EQ(letterbox::PixelAt(onScreen, box.top, box.height, 200), y) << "row " << y;
        }
        // Off the box: the nearest edge.
        EXPECT_EQ(letterbox::PixelAt(box.left - 1, box.left, box.width, 320), 0);
        EXPECT_EQ(letterbox::PixelAt(box.top + box.height, box.top, box.height, 200), 199);
    }
}

// At whole scale every pixel takes exactly the same number of screen pixels.
TEST(LetterboxTest, WholeScaleGivesEveryPixelTheSameBlock) {
    const letterbox::Multiple multiple = letterbox::WholeMultiple(1920, 1080, 320, 200, Aspect::FourThree);
    EXPECT_EQ(multiple.across, 4);
    EXPECT_EQ(multiple.down, 5);
    const Box box = letterbox::Place(1920, 1080, 320, 200, FourThreeWhole);
    for (int64_t column = box.left; column < box.left + box.width; ++column) {
        ASSERT_EQ(letterbox::PixelAt(column, box.left, box.width, 320), (column - box.left) / 4) << "screen column " << column;
    }
    // 6 rows a pixel make exactly 1.2 with 5 columns, though 6 would fit.
    EXPECT_EQ(letterbox::WholeMultiple(1600, 1200, 320, 200, Aspect::FourThree).across, 5);
    EXPECT_EQ(letterbox::WholeMultiple(1600, 1200, 320, 200, Aspect::FourThree).down, 6);
}

TEST(LetterboxTest, WindowsAreWholeMultiplesOfTheShape) {
    EXPECT_EQ(letterbox::WindowArea(320, 200, Aspect::Square, 3).width, 960);
    EXPECT_EQ(letterbox::WindowArea(320, 200, Aspect::Square, 3).height, 600);
    EXPECT_EQ(letterbox::WindowArea(320, 200, Aspect::FourThree, 3).width, 960);
    EXPECT_EQ(letterbox::WindowArea(320, 200, Aspect::FourThree, 3).height, 720);
}

}  // namespace
