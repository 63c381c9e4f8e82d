// The frame built the plain way; compiled without auto-vectorisation so it stays scalar.
#include "bench/mix/scalar_frame.h"

void ScalarFrame(uint32_t* frame, const Image& spot, const Image& scene, int32_t x, int32_t y) {
    for (int32_t i = 0; i < Width * Height; ++i) frame[i] = 0;
    const int64_t left = int64_t{x} - spot.width / 2, top = int64_t{y} - spot.height / 2;
    for (int32_t r = 0; r < spot.height; ++r) {
        for (int32_t c = 0; c < spot.width; ++c) {
            const int64_t column = left + c, row = top + r;
            if (column >= 0 && column < Width && row >= 0 && row < Height) {
                frame[row * Width + column] = spot.pixels[r * spot.width + c];
            }
        }
    }
    for (int32_t i = 0; i < Width * Height; ++i) {
        const uint32_t f = frame[i], s = scene.pixels[i];
        const uint32_t red = ((f & 0xFF) * (s & 0xFF)) >> 8;
        const uint32_t green = ((f >> 8 & 0xFF) * (s >> 8 & 0xFF)) >> 8;
        const uint32_t blue = ((f >> 16 & 0xFF) * (s >> 16 & 0xFF)) >> 8;
        frame[i] = red << 16 | green << 8 | blue;
    }
}
