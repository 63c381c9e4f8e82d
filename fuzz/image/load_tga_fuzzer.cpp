// libFuzzer target for both TGA loads: null or a picture of its header's size, every pixel and index readable.
#include <cstdint>
#include <cstdlib>

#include "image/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t width = size >= 18 ? data[12] | data[13] << 8 : 0, height = size >= 18 ? data[14] | data[15] << 8 : 0;
    // A picture larger than the fuzzer's memory limit says nothing new and would end the run.
    if (width * height > (size_t{1} << 18)) return 0;
    volatile uint32_t sink = 0;
    if (Image* image = LoadTgaFromMemory(data, size)) {
        if (size_t(image->width) != width || size_t(image->height) != height) std::abort();
        for (size_t i = 0; i < width * height; ++i) sink = sink ^ image->pixels[i];
        FreeImage(image);
    }
    if (IndexedImage* image = LoadTgaIndexedFromMemory(data, size)) {
        const bool asDeclared = image->paletteSize == (data[5] | data[6] << 8);
        if (size_t(image->width) != width || size_t(image->height) != height || !asDeclared) std::abort();
        for (size_t i = 0; i < width * height; ++i) sink = sink + image->palette[image->indices[i]];
        for (int32_t i = 0; i < image->paletteSize; ++i) sink = sink ^ image->palette[i];
        FreeIndexedImage(image);
    }
    return 0;
}
