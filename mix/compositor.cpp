// The light-spot compositor: clears the frame, stamps the spot and multiplies the frame
// with the scene, all in place in FrameBuffer.
#include "mix/compositor.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

uint32_t* FrameBuffer = nullptr;
Image* Spot = nullptr;
Image* Scene = nullptr;

namespace {

constexpr size_t FramePixels = static_cast<size_t>(Width) * static_cast<size_t>(Height);

// The part of the frame a spot centred at (x, y) covers, and where in the spot it starts.
// Worked out in 64 bits so that positions near the ends of the 32-bit range cannot overflow.
struct SpotRect {
    int64_t frameLeft;
    int64_t frameTop;
    int64_t spotLeft;
    int64_t spotTop;
    int64_t columns;
    int64_t rows;
};

bool ClipSpot(int32_t x, int32_t y, SpotRect& rect) {
    // A spot of no columns or rows, or of a negative size, clips to nothing below.
    if (Spot == nullptr || Spot->pixels == nullptr) return false;
    const int64_t left = int64_t{x} - Spot->width / 2;
    const int64_t top = int64_t{y} - Spot->height / 2;
    const int64_t firstColumn = std::max<int64_t>(left, 0);
    const int64_t firstRow = std::max<int64_t>(top, 0);
    const int64_t endColumn = std::min<int64_t>(left + Spot->width, Width);
    const int64_t endRow = std::min<int64_t>(top + Spot->height, Height);
    if (firstColumn >= endColumn || firstRow >= endRow) return false;
    rect = {firstColumn, firstRow, firstColumn - left, firstRow - top,
            endColumn - firstColumn, endRow - firstRow};
    return true;
}

// How many leading frame pixels have a scene pixel to pair with; the rest mix as black,
// so a short scene is never read past its end.
size_t ScenePixels() {
    if (Scene == nullptr || Scene->pixels == nullptr || Scene->width < 1 || Scene->height < 1) {
        return 0;
    }
    const uint64_t count = uint64_t(Scene->width) * uint64_t(Scene->height);
    return static_cast<size_t>(std::min<uint64_t>(count, FramePixels));
}

void SwapOuterChannels(uint32_t* __restrict pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) pixels[i] = RedBlueSwapped(pixels[i]);
}

// The mix works byte by byte, (a * b) >> 8 in every byte of the two pixels, and then swaps
// red and blue and clears the alpha byte: the same bytes as a channel-by-channel mix into
// display order, but flat byte loops the compiler turns into 16-bit vector multiplies.
void MixInPlace(uint32_t* __restrict frame, const uint32_t* __restrict scene, size_t count) {
    uint8_t* __restrict out = reinterpret_cast<uint8_t*>(frame);
    const uint8_t* __restrict with = reinterpret_cast<const uint8_t*>(scene);
    for (size_t i = 0; i < count * 4; ++i) out[i] = uint8_t((out[i] * with[i]) >> 8);
    SwapOuterChannels(frame, count);
}

void MixInto(uint32_t* __restrict frame, const uint32_t* __restrict spot, const uint32_t* __restrict scene,
             size_t count) {
    uint8_t* __restrict out = reinterpret_cast<uint8_t*>(frame);
    const uint8_t* __restrict light = reinterpret_cast<const uint8_t*>(spot);
    const uint8_t* __restrict with = reinterpret_cast<const uint8_t*>(scene);
    for (size_t i = 0; i < count * 4; ++i) out[i] = uint8_t((light[i] * with[i]) >> 8);
    SwapOuterChannels(frame, count);
}

// begin is never past end: every caller ends at or after the pixels it has written.
void Blacken(size_t begin, size_t end) {
    std::fill(FrameBuffer + begin, FrameBuffer + end, 0u);
}

}  // namespace

bool AllocateFrameBuffer() {
    FrameBuffer = static_cast<uint32_t*>(std::calloc(FramePixels, sizeof(uint32_t)));
    return FrameBuffer != nullptr;
}

void ClearFrame() {
    std::memset(FrameBuffer, 0, FramePixels * sizeof(uint32_t));
}

void DrawSpot(int32_t x, int32_t y) {
    SpotRect rect;
    if (!ClipSpot(x, y, rect)) return;
    const size_t spotWidth = static_cast<size_t>(Spot->width);
    for (int64_t row = 0; row < rect.rows; ++row) {
        const size_t spotIndex = size_t(rect.spotTop + row) * spotWidth + size_t(rect.spotLeft);
        const size_t frameIndex = size_t(rect.frameTop + row) * size_t{Width} + size_t(rect.frameLeft);
        std::memcpy(FrameBuffer + frameIndex, Spot->pixels + spotIndex,
                    size_t(rect.columns) * sizeof(uint32_t));
    }
}

void MultiplyScene() {
    const size_t paired = ScenePixels();
    if (paired > 0) MixInPlace(FrameBuffer, Scene->pixels, paired);
    Blacken(paired, FramePixels);
}

void SwapRedBlue() {
    SwapOuterChannels(FrameBuffer, FramePixels);
}

// Gives the same bytes as ClearFrame, DrawSpot and MultiplyScene in a row, in one pass:
// outside the spot's rectangle the cleared frame stays 0 (0 times anything is 0), and
// inside it each pixel is the spot pixel mixed with the scene pixel, written straight
// from the two pictures instead of being stamped first and multiplied after.
void ComposeFrame(int32_t x, int32_t y) {
    SpotRect rect;
    if (!ClipSpot(x, y, rect)) {
        ClearFrame();
        return;
    }
    const size_t scenePixels = ScenePixels();
    const size_t spotWidth = static_cast<size_t>(Spot->width);
    const size_t firstRow = size_t(rect.frameTop) * size_t{Width};
    Blacken(0, firstRow + size_t(rect.frameLeft));
    for (int64_t row = 0; row < rect.rows; ++row) {
        const size_t begin = size_t(rect.frameTop + row) * size_t{Width} + size_t(rect.frameLeft);
        const size_t end = begin + size_t(rect.columns);
        const size_t paired = std::clamp(scenePixels, begin, end);
        if (paired > begin) {
            const size_t spotIndex = size_t(rect.spotTop + row) * spotWidth + size_t(rect.spotLeft);
            MixInto(FrameBuffer + begin, Spot->pixels + spotIndex, Scene->pixels + begin, paired - begin);
        }
        // From the end of this row's mixed part to the start of the next row's.
        const bool lastRow = row + 1 == rect.rows;
        Blacken(paired, lastRow ? FramePixels : end + size_t{Width} - size_t(rect.columns));
    }
}
