// The one rule by which a picture of any size becomes the scene or the spot, in every program
// and the page: the scene fills the frame as a photo fills one (the larger scale, centred, the
// overhang cut off); a spot larger than the frame shrinks to fit inside it, a smaller one stays.
// Where a picture shrinks, each output pixel is the exact area-weighted average of what it
// covers, rounded half up; where it grows, the source pixel under its centre. All in integers,
// so every machine gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "image/image.h"

// How a picture's alpha counts: a photo's transparent pixels add no light (as if over black);
// a scene's alpha is ignored, as the frame step ignores it.
enum class FitAlpha { OverBlack, Ignored };

// One side of a fitting: for each source pixel along it, the output pixels it counts in and with
// what weight (in units that make every weight whole), and the sum of weights an output pixel has.
struct FitAxis {
    std::vector<int32_t> begin;  // source pixel s counts in outputs [begin[s], begin[s + 1])
    std::vector<int32_t> output;
    std::vector<int32_t> weight;
    uint64_t total = 1;
    int32_t count = 0;
};

// A fitting in progress. It is fed the source picture's rows from the top, in bands of any height,
// so that a large photo never has to be held whole.
struct Fitting {
    FitAxis columns, rows;
    FitAlpha alpha = FitAlpha::OverBlack;
    int32_t width = 0, nextRow = 0;
    std::vector<uint64_t> sums;  // red, green, blue of each output pixel, rows from the top
    std::vector<uint64_t> across;  // the same along one output row, for the source row at hand
};

// The size a spot of width x height shows at: shrunk to fit inside the frame, its other side
// rounded half up and at least 1, when it is larger; as it is otherwise.
void FitSpotSize(int32_t width, int32_t height, int32_t& fitWidth, int32_t& fitHeight);

// Starts fitting a width x height picture as the scene or as the spot. False, with why recorded
// (LastReason, image/reason.h), for an empty picture (a TGA header may say 0 x 5), or one of more
// than 2^32 pixels, whose sums could overflow.
bool StartSceneFitting(Fitting& fitting, int32_t width, int32_t height, FitAlpha alpha);
bool StartSpotFitting(Fitting& fitting, int32_t width, int32_t height);
// The next `rows` rows, pixels in image order (red, green, blue, alpha bytes), rows adjacent.
// Rows past the picture's last are not taken.
void FitRows(Fitting& fitting, const uint32_t* pixels, int32_t rows);
// The fitted picture in image order with alpha 0, newly allocated as a loaded picture is; rows
// never fed count as black. Null, "out of memory" recorded, without the memory.
Image* FinishFitting(Fitting& fitting);

// A whole picture at once; null, with why recorded, as the steps above give it.
Image* FitScene(const Image& picture, FitAlpha alpha);
Image* FitSpot(const Image& picture);

// The scene as the frame step takes it, which pairs the scene's pixels with the frame's by their
// place in memory: the scene itself when it is the frame's size, else fitted with its alpha
// ignored and the given one freed. Null, the given one freed, without the memory.
Image* SceneForFrame(Image* scene);
