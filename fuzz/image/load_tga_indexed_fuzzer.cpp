// libFuzzer target for LoadTgaIndexed: any bytes must give null or a picture of the size
// its header states whose indices, palette and colour of every index can all be read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/image/fuzz_input_file.h"
#include "image/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!PutFuzzInput(data, size)) return 0;
    IndexedImage* image = LoadTgaIndexed(FuzzInputPath());
    if (image != nullptr) {
        if (size < 18 || image->width != (data[12] | data[13] << 8) || image->height != (data[14] | data[15] << 8) ||
            image->paletteSize != (data[5] | data[6] << 8)) {
            std::abort();
        }
        uint32_t mix = 0;
        const size_t count = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
        for (size_t i = 0; i < count; ++i) mix += image->palette[image->indices[i]];
        for (int32_t i = 0; i < image->paletteSize; ++i) mix ^= image->palette[i];
        volatile uint32_t sink = mix;
        (void)sink;
    }
    FreeIndexedImage(image);
    return 0;
}
