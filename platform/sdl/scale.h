// Nearest-pixel scaling of the mode's frame into an SDL window surface, apart from the window
// handling that decides when and where.
#pragma once

#include <cstdint>
#include <vector>

#include <SDL.h>

namespace scaling {

// Where the mode's pixels show in an area of the window's pixels.
struct Fit {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Fit&) const = default;
};

// For each target column of a fit, its mode column: made when the fit's width changes, kept
// between frames; empty it to have it made anew.
using ColumnTable = std::vector<int>;

// Whether a surface takes the mode's pixels as they are.
bool IsXrgb(const SDL_PixelFormat* format);

// Nearest-pixel scaling straight into a 32-bit XRGB surface, locked by the caller, of the mode's
// rows [firstRow, endRow) only: each target row is scaled once and repeated rows are copied.
// Returns the band of the surface it drew.
SDL_Rect ScaleInto(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height, int pitch,
                   int firstRow, int endRow, ColumnTable& columns);

// The whole mode, into a surface of any other format.
void ScaleAnyFormat(SDL_Surface* target, const Fit& fit, const uint8_t* pixels, int width, int height, int pitch);

}  // namespace scaling
