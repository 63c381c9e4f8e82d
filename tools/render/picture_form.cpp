// The picture forms of varnelo-render: a TGA file in and a 24-bit BMP out, through the
// true-colour load or through the indexed load with its palette applied; or a photo in and the
// TGA file the demo reads out, fitted as the scene or as the light.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image/fit.h"
#include "image/photo.h"
#include "image/tga.h"
#include "image/tga_writer.h"
#include "tools/output/output_file.h"
#include "tools/render/picture_form.h"
#include "tools/render/report.h"

namespace {

struct PictureOptions {
    const char* inputPath = nullptr;
    const char* outputPath = nullptr;
};

bool FitsPhoto(const char* inputOption) { return std::strncmp(inputOption, "--fit-", 6) == 0; }

// 0, or the exit code of bad usage after saying what was wrong.
int ParsePictureOptions(int argc, char** argv, const char* inputOption, PictureOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const char** slot = nullptr;
        if (std::strcmp(argv[i], inputOption) == 0) slot = &options.inputPath;
        if (std::strcmp(argv[i], "-o") == 0) slot = &options.outputPath;
        if (slot == nullptr) return UsageError("%s does not go with %s", argv[i], inputOption);
        if (*slot != nullptr) return UsageError("%s given twice", argv[i]);
        *slot = argv[i + 1];
    }
    return options.outputPath != nullptr ? 0 : UsageError("no output: give -o %s", FitsPhoto(inputOption) ? "OUT.tga" : "OUT.bmp");
}

// The size the last load asked to be checked, to name it when BMP cannot hold it.
int32_t checkedWidth = 0, checkedHeight = 0;

// Refuses, before the load takes any pixel memory, a picture whose BMP could not be written.
bool FitsBmp(int32_t width, int32_t height) {
    checkedWidth = width;
    checkedHeight = height;
    return BmpCanHold(width, height);
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

Image* Load(const char* path, PictureForm load) {
    if (load == PictureForm::TrueColour) return LoadTga(path, FitsBmp);
    IndexedImage* indexed = LoadTgaIndexed(path, FitsBmp);
    if (indexed == nullptr) return nullptr;
    Image* image = ApplyPalette(*indexed);
    FreeIndexedImage(indexed);
    return image;
}

// A photo fitted as the scene or the light, written as the TGA file the demo reads.
int FitPhoto(const PictureOptions& options, PictureForm form) {
    Image* photo = LoadPhoto(options.inputPath);
    if (photo == nullptr) {
        ReportUnreadable(options.inputPath, PhotoFailureReason());
        return 1;
    }
    Image* fitted = form == PictureForm::FitScene ? FitScene(*photo, FitAlpha::OverBlack) : FitLight(*photo);
    const char* unfit = FitFailureReason(*photo);
    FreeImage(photo);
    if (fitted == nullptr) {
        ReportUnreadable(options.inputPath, unfit);
        return 1;
    }
    const std::vector<uint8_t> bytes = FittedTga(*fitted);
    FreeImage(fitted);
    const std::string failure = WriteOutputFile(options.outputPath, [&bytes](const std::string& to) {
        return WriteFileBytes(to.c_str(), bytes) ? std::string() : std::strerror(errno);
    });
    if (failure.empty()) return 0;
    ReportUnwritable(options.outputPath, failure.c_str());
    return 1;
}

}  // namespace

int RunPictureForm(int argc, char** argv, PictureForm form) {
    PictureOptions options;
    constexpr const char* InputOptions[] = {"--picture", "--indexed", "--fit-scene", "--fit-light"};
    const char* inputOption = InputOptions[static_cast<int>(form)];
    if (const int bad = ParsePictureOptions(argc, argv, inputOption, options); bad != 0) return bad;
    if (OutputIsInput(options.outputPath, options.inputPath)) return 1;
    if (FitsPhoto(inputOption)) return FitPhoto(options, form);
    checkedWidth = checkedHeight = 0;
    Image* image = Load(options.inputPath, form);
    if (image == nullptr) {
        if (!BmpCanHold(checkedWidth, checkedHeight)) {
            char reason[64];
            std::snprintf(reason, sizeof reason, "a picture of %d x %d is too large for BMP", checkedWidth,
                          checkedHeight);
            ReportUnwritable(options.outputPath, reason);
        } else {
            ReportUnreadable(options.inputPath, TgaFailureReason());
        }
        return 1;
    }
    const std::string failure = WriteOutputFile(options.outputPath, [image](const std::string& to) {
        return SaveBmp(to.c_str(), image) == 1 ? std::string() : BmpFailureReason();
    });
    FreeImage(image);
    if (failure.empty()) return 0;
    ReportUnwritable(options.outputPath, failure.c_str());
    return 1;
}
