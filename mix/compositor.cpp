// The light-spot compositor: clears the frame, stamps the spot and multiplies the frame
// with the scene, all in place in FrameBuffer.
#include "mix/compositor.h"

#include <algorithm>
#include <cstddef>
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
    if (Spot == nullptr || Spot->pixels == nullptr || Spot->width <= 0 || Spot->height <= 0) {
        return false;
    }
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
    if (Scene == nullptr || Scene->pixels == nullptr || Scene->width <= 0 || Scene->height <= 0) {
        return 0;
    }
    const uint64_t count = uint64_t(Scene->width) * uint64_t(Scene->height);
    return count < FramePixels ? static_cast<size_t>(count) : FramePixels;
}

// Each channel is (a * b) >> 8 of the same channel in both pixels; red and blue trade
// places on the way out. Alpha bytes are masked away before anything is multiplied.
inline uint32_t MixPixel(uint32_t frame, uint32_t scene) {
    const uint32_t red = ((frame & 0xFFu) * (scene & 0xFFu)) >> 8;
    const uint32_t green = (((frame >> 8) & 0xFFu) * ((scene >> 8) & 0xFFu)) >> 8;
    const uint32_t blue = (((frame >> 16) & 0xFFu) * ((scene >> 16) & 0xFFu)) >> 8;
    return red << 16 | green << 8 | blue;
}

// Kept as a flat loop over restrict pointers so the compiler turns it into vector code.
void MixRun(uint32_t* __restrict frame, const uint32_t* __restrict scene, size_t count) {
    for (size_t i = 0; i < count; ++i) frame[i] = MixPixel(frame[i], scene[i]);
}

// Frame pixels [begin, end) mixed with the scene; those past the scene's end turn black.
void MixSpan(size_t begin, size_t end, size_t scenePixels) {
    const size_t paired = std::clamp(scenePixels, begin, end);
    if (paired > begin) MixRun(FrameBuffer + begin, Scene->pixels + begin, paired - begin);
    std::fill(FrameBuffer + paired, FrameBuffer + end, 0u);
}

}  // namespace

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
    MixSpan(0, FramePixels, ScenePixels());
}

void SwapRedBlue() {
    uint32_t* __restrict frame = FrameBuffer;
    for (size_t i = 0; i < FramePixels; ++i) {
        const uint32_t pixel = frame[i];
        frame[i] = (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
    }
}

// Right after the clear and the stamp, every pixel outside the stamped rectangle is 0, and
// 0 times anything is 0, so mixing only that rectangle leaves the same bytes as mixing all.
void ComposeFrame(int32_t x, int32_t y) {
    ClearFrame();
    SpotRect rect;
    if (!ClipSpot(x, y, rect)) return;
    DrawSpot(x, y);
    const size_t scenePixels = ScenePixels();
    for (int64_t row = 0; row < rect.rows; ++row) {
        const size_t begin = size_t(rect.frameTop + row) * size_t{Width} + size_t(rect.frameLeft);
        MixSpan(begin, begin + size_t(rect.columns), scenePixels);
    }
}
