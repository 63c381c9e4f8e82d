// Nearest-pixel scaling of the mode's frame into an SDL window surface: straight into 32-bit XRGB
// through a table of columns, and through SDL's own blit for any other format.
#include "platform/sdl/scale.h"

#include <cstring>

#include "platform/xrgb.h"

namespace scaling {

bool IsXrgb(const SDL_PixelFormat* format) {
    return format->BytesPerPixel == 4 && format->Rmask == XrgbRedMask && format->Gmask == XrgbGreenMask &&
           format->Bmask == XrgbBlueMask;
}

SDL_Rect ScaleInto(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height, int pitch,
                   int firstRow, int endRow, ColumnTable& columns) {
    if (static_cast<int>(columns.size()) != fit.w) {
        columns.resize(static_cast<size_t>(fit.w));
        for (int column = 0; column < fit.w; ++column) {
            columns[static_cast<size_t>(column)] = static_cast<int>(int64_t{column} * width / fit.w);
        }
    }
    // Target row r shows mode row r * height / fit.h, so mode row s covers the target
    // rows from ceil(s * fit.h / height) on.
    const int targetBegin = static_cast<int>((int64_t{firstRow} * fit.h + height - 1) / height);
    const int targetEnd = static_cast<int>((int64_t{endRow} * fit.h + height - 1) / height);
    const int repeat = fit.w % width == 0 ? fit.w / width : 0;
    auto* base = static_cast<uint8_t*>(target->pixels);
    int previousSource = -1;
    uint32_t* previousRow = nullptr;
    for (int row = targetBegin; row < targetEnd; ++row) {
        const int source = static_cast<int>(int64_t{row} * height / fit.h);
        auto* out = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(fit.y + row) * static_cast<size_t>(target->pitch)) +
                    fit.x;
        if (source == previousSource) {
            std::memcpy(out, previousRow, static_cast<size_t>(fit.w) * 4);
        } else {
            const auto* in = reinterpret_cast<const uint32_t*>(pixels + static_cast<size_t>(source) * static_cast<size_t>(pitch));
            if (repeat > 0) {
                uint32_t* next = out;
                for (int column = 0; column < width; ++column) {
                    for (int copy = 0; copy < repeat; ++copy) *next++ = in[column];
                }
            } else {
                for (int column = 0; column < fit.w; ++column) out[column] = in[columns[static_cast<size_t>(column)]];
            }
        }
        previousSource = source;
        previousRow = out;
    }
    return SDL_Rect{fit.x, fit.y + targetBegin, fit.w, targetEnd - targetBegin};
}

void ScaleAnyFormat(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height,
                    int pitch) {
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), width, height, 32,
                                                             pitch, SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) return;
    SDL_Rect to{fit.x, fit.y, fit.w, fit.h};
    SDL_BlitScaled(source, nullptr, target, &to);
    SDL_FreeSurface(source);
}

}  // namespace scaling
