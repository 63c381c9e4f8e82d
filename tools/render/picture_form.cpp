// The picture forms of varnelo-render: a TGA file in and a 24-bit BMP out, through the
// true-colour load or through the indexed load with its palette applied; or a photo in and the
// TGA file the demo reads out, fitted as the scene or as the spot.
#include <cstdint>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image/fit.h"
#include "image/photo.h"
#include "image/reason.h"
#include "image/tga.h"
#include "image/tga_writer.h"
#include "tools/render/forms.h"
#include "tools/render/report.h"

namespace {

// Whether the BMP's size check refused the last load: then the output cannot be written, where
// every other refusal is the input's that cannot be read. The load's check takes no context.
thread_local bool refusedForBmp = false;

// Refuses, before the load takes any pixel memory, a picture whose BMP could not be written.
const char* FitsBmp(int32_t width, int32_t height) {
    const char* refusal = BmpSizeCheck(width, height);
    refusedForBmp = refusal != nullptr;
    return refusal;
}

// The indexed load keeps the palette in display order (blue in the low byte); a BMP is
// written from image order. The palette has an entry for every index, so both forms give
// the same pixels.
Image* ApplyPalette(const IndexedImage& indexed) {
    Image* image = NewImage(indexed.width, indexed.height);
    const size_t count = static_cast<size_t>(indexed.width) * static_cast<size_t>(indexed.height);
    for (size_t i = 0; image != nullptr && i < count; ++i) image->pixels[i] = RedBlueSwapped(indexed.palette[indexed.indices[i]]);
    return image;
}

Image* LoadIndexedAsTrueColour(const char* path, TgaSizeCheck fits) {
    IndexedImage* indexed = LoadTgaIndexed(path, fits);
    if (indexed == nullptr) return nullptr;
    Image* image = ApplyPalette(*indexed);
    FreeIndexedImage(indexed);
    return image;
}

int ConvertTga(const FormArguments& arguments, Image* (*load)(const char* path, TgaSizeCheck fits)) {
    if (OutputIsInput(arguments.output, arguments.input)) return 1;
    refusedForBmp = false;
    Image* image = load(arguments.input, FitsBmp);
    if (image == nullptr) {
        if (refusedForBmp) {
            ReportUnwritable(arguments.output, LastReason());
        } else {
            ReportUnreadable(arguments.input, LastReason());
        }
        return 1;
    }
    const int result = WriteBmpOrReport(arguments.output, *image);
    FreeImage(image);
    return result;
}

// A photo fitted by `fit`, written as the TGA file the demo reads.
int FitPhoto(const FormArguments& arguments, Image* (*fit)(const Image& photo)) {
    if (OutputIsInput(arguments.output, arguments.input)) return 1;
    Image* photo = LoadPhoto(arguments.input);
    Image* fitted = photo == nullptr ? nullptr : fit(*photo);
    FreeImage(photo);
    if (fitted == nullptr) {
        ReportUnreadable(arguments.input, LastReason());
        return 1;
    }
    const std::vector<uint8_t> bytes = TrueColourTga(*fitted);
    FreeImage(fitted);
    return WriteOutputOrReport(arguments.output, [&bytes](const std::string& to) { return WriteFileBytes(to.c_str(), bytes); });
}

}  // namespace

int ConvertTrueColour(const FormArguments& arguments) { return ConvertTga(arguments, LoadTga); }

int ConvertIndexed(const FormArguments& arguments) { return ConvertTga(arguments, LoadIndexedAsTrueColour); }

int FitPhotoAsScene(const FormArguments& arguments) {
    return FitPhoto(arguments, [](const Image& photo) { return FitScene(photo, FitAlpha::OverBlack); });
}

int FitPhotoAsSpot(const FormArguments& arguments) { return FitPhoto(arguments, FitSpot); }
