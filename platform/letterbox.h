// The one rule by which pixels of one size show in an area of another: as large as fits with
// their aspect kept, centred between black bands, and a point carried between area and pixels.
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
