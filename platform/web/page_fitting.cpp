// The program's own rules for a photo in the page, run on an instance that never starts: which
// way is up and whether it is refused, found before the browser decodes it, and the fitting, to
// which the page hands the decoded photo a band of rows at a time, taking the TGA file it makes.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/fit.h"
#include "image/orientation.h"
#include "image/photo_header.h"
#include "image/pictures.h"
#include "image/reason.h"
#include "image/tga_writer.h"

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

// Why the page refuses the photo, in the programs' words, or null: before the browser decodes it
// (width 0), the size its header states over the programs' cap, so that the browser spends no
// memory on it; once decoded, the size it decoded to over the cap; where the browser could not
// decode it (width -1), the damage, for a format known here (for another the page names the
// formats it reads).
EMSCRIPTEN_KEEPALIVE const char* varnelo_photo_refusal(const uint8_t* photo, size_t size, int32_t width, int32_t height) {
    const char* format = PhotoFormat(photo, size);
    if (width < 0) return format != nullptr ? SetReason("a %s" UNDECODABLE_REASON, format) : nullptr;
    int64_t columns = width, rows = height;
    if (width == 0 && (format == nullptr || !StatedPhotoSize(format, photo, size, columns, rows))) return nullptr;
    return OverPictureCap(columns, rows);
}

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
