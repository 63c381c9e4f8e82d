// libFuzzer target for the photo load and its fitting: null or a picture within the limit that fits; orientation 1-8,
// and cleared to 1.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/fit.h"
#include "image/orientation.h"
#include "image/photo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t orientation = PhotoOrientation(data, size);
    if (orientation < 1 || orientation > 8) std::abort();
    // Cleared as the page clears it, the orientation it had is gone and no byte past the input is written.
    std::vector<uint8_t> cleared(data, data + size);
    if (ClearOrientation(cleared.data(), size) != orientation || PhotoOrientation(cleared.data(), size) != 1) std::abort();
    // A picture larger than the fuzzer's memory limit says nothing new and would end the run.
    Image* photo = LoadPhotoFromMemory(data, size, int64_t{1} << 18);
    if (photo == nullptr) return 0;
    if (photo->width <= 0 || photo->height <= 0 || int64_t{photo->width} * photo->height > (int64_t{1} << 18)) std::abort();
    Image* scene = FitScene(*photo, FitAlpha::OverBlack);
    Image* spot = FitSpot(*photo);
    int32_t spotWidth = 0, spotHeight = 0;
    FitSpotSize(photo->width, photo->height, spotWidth, spotHeight);
    if (scene == nullptr || scene->width != Width || scene->height != Height) std::abort();
    if (spot == nullptr || spot->width != spotWidth || spot->height != spotHeight) std::abort();
    FreeImage(spot);
    FreeImage(scene);
    FreeImage(photo);
    return 0;
}
