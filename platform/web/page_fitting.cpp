// The program's own rules for a photo in the page, run on an instance that never starts: which
// way is up, found before the browser decodes it, and the fitting, to which the page hands the
// decoded photo a band of rows at a time, taking the TGA file it makes.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/fit.h"
#include "image/orientation.h"
#include "image/pictures.h"
#include "image/tga_writer.h"
#include "platform/web/boundary.h"

namespace {

struct PageFitting {
    Fitting fitting;
    std::vector<uint32_t> band;  // where the page puts the next band, red, green, blue, alpha bytes
    std::vector<uint8_t> file;
};

}  // namespace

extern "C" {

// The photo's orientation as the desktop programs turn it, set to 1 in the bytes, so that the
// browser decodes the stored rows as stored, whether or not it would turn them itself.
EMSCRIPTEN_KEEPALIVE int32_t varnelo_clear_orientation(uint8_t* photo, size_t size) { return ClearOrientation(photo, size); }

static_assert(VARNELO_MAX_PICTURE_PIXELS == MaxPicturePixels, "the page refuses pictures by the programs' cap");

// Starts fitting a width x height picture as the scene (spot 0) or as the spot; null for a size
// the rule takes not.
EMSCRIPTEN_KEEPALIVE PageFitting* varnelo_fit_start(int width, int height, int spot) {
    auto* page = new PageFitting;
    if (spot != 0 ? StartSpotFitting(page->fitting, width, height)
                   : StartSceneFitting(page->fitting, width, height, FitAlpha::OverBlack)) {
        return page;
    }
    delete page;
    return nullptr;
}

// Where the page writes the next `rows` rows, adjacent, before varnelo_fit_rows takes them.
EMSCRIPTEN_KEEPALIVE uint32_t* varnelo_fit_band(PageFitting* page, int rows) {
    page->band.resize(static_cast<size_t>(page->fitting.width) * static_cast<size_t>(rows));
    return page->band.data();
}

EMSCRIPTEN_KEEPALIVE void varnelo_fit_rows(PageFitting* page, int rows) { FitRows(page->fitting, page->band.data(), rows); }

// The TGA file of the fitted picture, after the 4 bytes of its size, kept until varnelo_fit_end;
// null without the memory.
EMSCRIPTEN_KEEPALIVE const uint8_t* varnelo_fit_finish(PageFitting* page) {
    Image* fitted = FinishFitting(page->fitting);
    if (fitted == nullptr) return nullptr;
    const std::vector<uint8_t> file = TrueColourTga(*fitted);
    FreeImage(fitted);
    const auto size = static_cast<uint32_t>(file.size());
    page->file.assign(reinterpret_cast<const uint8_t*>(&size), reinterpret_cast<const uint8_t*>(&size) + 4);
    page->file.insert(page->file.end(), file.begin(), file.end());
    return page->file.data();
}

EMSCRIPTEN_KEEPALIVE void varnelo_fit_end(PageFitting* page) { delete page; }

}  // extern "C"
