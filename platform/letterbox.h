// The one rule by which pixels of one size show in an area of another: in the shape chosen (the
// pixels square, or 4:3 as on the monitors such modes were made for), at any scale or at whole
// multiples, centred between black bands; and a point carried between area and pixels.
// Pure and header-only, so that the window on Windows, the SDL screen and the page share it.
#pragma once

#include <algorithm>
#include <cstdint>

namespace letterbox {

// Where the pixels show within the area, in the area's coordinates.
struct Box {
    int64_t left = 0, top = 0, width = 0, height = 0;
};

// The largest box of width x height's aspect within the area, centred; at least one area pixel
// each way, and empty when either size is.
constexpr Box Fit(int64_t areaWidth, int64_t areaHeight, int64_t width, int64_t height) {
    Box box;
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return box;
    if (areaWidth * height <= areaHeight * width) {
        box.width = areaWidth;
        box.height = areaWidth * height / width;
    } else {
        box.height = areaHeight;
        box.width = areaHeight * width / height;
    }
    box.width = std::max<int64_t>(box.width, 1);
    box.height = std::max<int64_t>(box.height, 1);
    box.left = (areaWidth - box.width) / 2;
    box.top = (areaHeight - box.height) / 2;
    return box;
}

// The shape to show pixels in, apart from how many there are.
enum class Aspect {
    Square,     // each pixel as tall as wide
    FourThree,  // 320 x 200 filled a 4:3 monitor: each pixel 1.2 times as tall as wide
};
struct Shape {
    Aspect aspect = Aspect::Square;
    bool whole = false;  // each pixel a whole number of area pixels each way
};

// A pixel's height over its width in the aspect, as a fraction.
constexpr int64_t PixelTall(Aspect aspect) { return aspect == Aspect::FourThree ? 6 : 1; }
constexpr int64_t PixelWide(Aspect aspect) { return aspect == Aspect::FourThree ? 5 : 1; }

// How many area pixels each way one of the pixels takes at whole scale; 0 each way where not even
// one fits. In 4:3 every row gets as many as fit, and each column the count whose ratio to them
// is nearest 1.2 (of two as near, the larger). Where the width is what limits (an upright phone),
// the rows get no more than the count nearest 1.2 times the columns that fit, or the pixels would
// come out twice as tall as wide or worse.
struct Multiple {
    int64_t across = 0, down = 0;
};
constexpr Multiple WholeMultiple(int64_t areaWidth, int64_t areaHeight, int64_t width, int64_t height, Aspect aspect) {
    if (width <= 0 || height <= 0 || areaWidth < width || areaHeight < height) return {};
    const int64_t most = areaWidth / width;
    if (aspect == Aspect::Square) return {std::min(most, areaHeight / height), std::min(most, areaHeight / height)};
    const int64_t tallest = (2 * PixelTall(aspect) * most + PixelWide(aspect)) / (2 * PixelWide(aspect));
    const int64_t down = std::max<int64_t>(1, std::min(areaHeight / height, tallest));
    // |down / across - tall / wide| compared as |wide * down - tall * across| / (wide * across).
    const auto miss = [&](int64_t across) {
        const int64_t apart = PixelWide(aspect) * down - PixelTall(aspect) * across;
        return apart < 0 ? -apart : apart;
    };
    int64_t best = 1;
    for (int64_t across = 2; across <= most; ++across) {
        if (miss(across) * best <= miss(best) * across) best = across;
    }
    return {best, down};
}

// Where width x height pixels show in the area in the shape: whole multiples where at least one
// fits, else (and when not asked for whole ones) as large as the shape fits.
constexpr Box Place(int64_t areaWidth, int64_t areaHeight, int64_t width, int64_t height, Shape shape) {
    if (shape.whole) {
        const Multiple multiple = WholeMultiple(areaWidth, areaHeight, width, height, shape.aspect);
        if (multiple.across > 0) {
            Box box{0, 0, width * multiple.across, height * multiple.down};
            box.left = (areaWidth - box.width) / 2;
            box.top = (areaHeight - box.height) / 2;
            return box;
        }
    }
    return Fit(areaWidth, areaHeight, width * PixelWide(shape.aspect), height * PixelTall(shape.aspect));
}

// A window's client area for pixels in the shape at n times their width (n >= 1), which Place
// then fills whole: in 4:3 the rows 1.2 times as tall, and at whole scale a whole number of rows
// each, the count nearest 1.2 times n (4 columns, 5 rows).
struct Size {
    int64_t width = 0, height = 0;
};
constexpr Size WindowArea(int64_t width, int64_t height, Shape shape, int64_t n) {
    if (shape.whole) {
        return {width * n, height * ((2 * PixelTall(shape.aspect) * n + PixelWide(shape.aspect)) / (2 * PixelWide(shape.aspect)))};
    }
    return {width * n, height * PixelTall(shape.aspect) * n / PixelWide(shape.aspect)};
}

// Where a window for width x height pixels in the shape goes on a work area (where windows may
// go on a display), its frame `border` thick on each side: the client area at the largest n
// whose window fits (n = 1 where none does), the window centred, and one larger than the work
// area kept at its top left, so that its title bar can be taken. In the work area's coordinates.
struct Border {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};
constexpr Box WindowOnWorkArea(Box work, int64_t width, int64_t height, Shape shape, Border border) {
    const int64_t roomWidth = work.width - border.left - border.right, roomHeight = work.height - border.top - border.bottom;
    Size client = WindowArea(width, height, shape, 1);
    for (int64_t n = 2; width > 0 && height > 0; ++n) {
        const Size larger = WindowArea(width, height, shape, n);
        if (larger.width > roomWidth || larger.height > roomHeight) break;
        client = larger;
    }
    return {work.left + border.left + std::max<int64_t>(0, (roomWidth - client.width) / 2),
            work.top + border.top + std::max<int64_t>(0, (roomHeight - client.height) / 2), client.width, client.height};
}

// Along one side: the pixel of `pixels` under an area position, a position off the box counting
// as on its nearest edge. The box side must not be empty.
constexpr int64_t PixelAt(int64_t position, int64_t boxStart, int64_t boxSide, int64_t pixels) {
    return (std::clamp(position, boxStart, boxStart + boxSide - 1) - boxStart) * pixels / boxSide;
}

// Along one side: the area position in the middle of a pixel's block, so that PixelAt gives the
// same pixel back; a pixel off the side counts as its nearest.
constexpr int64_t MiddleOf(int64_t pixel, int64_t boxStart, int64_t boxSide, int64_t pixels) {
    return boxStart + (2 * std::clamp<int64_t>(pixel, 0, pixels - 1) + 1) * boxSide / (2 * pixels);
}

}  // namespace letterbox
