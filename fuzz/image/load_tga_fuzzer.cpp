// libFuzzer target for both TGA loads: any bytes must give null or a picture of the size its
// header states, every pixel of which can be read, and whose every index names a palette entry.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/tga.h"

namespace {

// The loads take a path, so each input goes to a file of this process's own first.
const std::string& InputPath() {
    static const std::string path = "/dev/shm/varnelo-fuzz-" + std::to_string(getpid()) + ".tga";
    static const bool removedAtExit = std::atexit([] { std::remove(InputPath().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t width = size >= 18 ? data[12] | data[13] << 8 : 0, height = size >= 18 ? data[14] | data[15] << 8 : 0;
    // A picture larger than the fuzzer's memory limit says nothing new and would end the run.
    if (width * height > (size_t{1} << 18)) return 0;
    FILE* file = std::fopen(InputPath().c_str(), "wb");
    Check(file != nullptr && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);

    volatile uint32_t sink = 0;
    if (Image* image = LoadTga(InputPath().c_str())) {
        Check(size_t(image->width) == width && size_t(image->height) == height);
        for (size_t i = 0; i < width * height; ++i) sink = sink ^ image->pixels[i];
        FreeImage(image);
    }
    if (IndexedImage* image = LoadTgaIndexed(InputPath().c_str())) {
        Check(size_t(image->width) == width && size_t(image->height) == height &&
              image->paletteSize == (data[5] | data[6] << 8));
        for (size_t i = 0; i < width * height; ++i) sink = sink + image->palette[image->indices[i]];
        for (int32_t i = 0; i < image->paletteSize; ++i) sink = sink ^ image->palette[i];
        FreeIndexedImage(image);
    }
    return 0;
}
