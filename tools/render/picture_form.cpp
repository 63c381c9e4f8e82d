// The picture forms of varnelo-render: a TGA file in, a 24-bit BMP out, either through the
// true-colour load or through the indexed load with its palette applied.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bmp.h"
#include "image/tga.h"
#include "tools/render/forms.h"

namespace {

struct PictureOptions {
    const char* inputPath = nullptr;
    const char* outputPath = nullptr;
};

bool ParsePictureOptions(int argc, char** argv, const char* inputOption,
                         PictureOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char** slot = nullptr;
        if (std::strcmp(argv[i], inputOption) == 0) slot = &options.inputPath;
        if (std::strcmp(argv[i], "-o") == 0) slot = &options.outputPath;
        if (slot == nullptr || *slot != nullptr || i + 1 >= argc) return false;
        *slot = argv[++i];
    }
    return options.inputPath != nullptr && options.outputPath != nullptr;
}

// The indexed load keeps the palette in display order (blue in the low byte); a BMP is
// written from image order. An index past the palette's end has no colour and shows black;
// a greyscale file without a map has an empty palette and its indices are grey levels.
Image* ApplyPalette(const IndexedImage& indexed) {
    Image* image = static_cast<Image*>(std::malloc(sizeof(Image)));
    const size_t count = static_cast<size_t>(indexed.width) * static_cast<size_t>(indexed.height);
    uint32_t* pixels = static_cast<uint32_t*>(std::malloc((count ? count : 1) * sizeof(uint32_t)));
    if (image == nullptr || pixels == nullptr) {
        std::free(pixels);
        std::free(image);
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint32_t index = indexed.indices[i];
        uint32_t colour = 0;
        if (indexed.paletteSize == 0) {
            colour = index << 16 | index << 8 | index;
        } else if (index < static_cast<uint32_t>(indexed.paletteSize)) {
            colour = indexed.palette[index];
        }
        pixels[i] = (colour >> 16 & 0xFF) | (colour & 0xFF00) | (colour & 0xFF) << 16;
    }
    image->pixels = pixels;
    image->width = indexed.width;
    image->height = indexed.height;
    return image;
}

Image* Load(const char* path, PictureLoad load) {
    if (load == PictureLoad::TrueColour) return LoadTga(path);
    IndexedImage* indexed = LoadTgaIndexed(path);
    if (indexed == nullptr) return nullptr;
    Image* image = ApplyPalette(*indexed);
    FreeIndexedImage(indexed);
    return image;
}

}  // namespace

int RunPictureForm(int argc, char** argv, PictureLoad load) {
    PictureOptions options;
    const char* inputOption = load == PictureLoad::TrueColour ? "--picture" : "--indexed";
    if (!ParsePictureOptions(argc, argv, inputOption, options)) {
        PrintUsage(stderr);
        return 2;
    }
    Image* image = Load(options.inputPath, load);
    if (image == nullptr) {
        ReportUnreadable(options.inputPath);
        return 1;
    }
    const int saved = SaveBmp(options.outputPath, image);
    FreeImage(image);
    if (saved == 0) {
        std::fprintf(stderr, "varnelo-render: cannot write %s\n", options.outputPath);
        return 1;
    }
    return 0;
}
