// The pixel cap, the capped TGA load and the one rule by which the spot and the scene are taken.
#include "image/pictures.h"

#include "image/fit.h"
#include "image/reason.h"
#include "image/tga.h"

namespace {

// The cap as the TGA reader's size check, which formats its refusal in the reason store itself.
const char* WithinCap(int32_t width, int32_t height) {
    if (int64_t{width} * height <= MaxPicturePixels) return nullptr;
    return SetReason("%s", TooManyPixels(width, height).c_str());
}

}  // namespace

std::string TooManyPixels(int64_t width, int64_t height, int64_t maxPixels) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
           (maxPixels == MaxPicturePixels ? "50 million" : std::to_string(maxPixels)) + " taken";
}

Image* LoadCappedTga(const char* path) { return LoadTga(path, WithinCap); }

const char* LoadSpotAndScene(const char* spotPath, const char* scenePath, Image*& spot, Image*& scene, const char*& failedPath) {
    scene = nullptr;
    failedPath = spotPath;
    if ((spot = LoadCappedTga(spotPath)) == nullptr) return LastReason();
    failedPath = scenePath;
    if ((scene = SceneForFrame(LoadCappedTga(scenePath))) != nullptr) return nullptr;
    FreeImage(spot);
    spot = nullptr;
    return LastReason();
}
