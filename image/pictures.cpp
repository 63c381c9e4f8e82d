// The pixel cap, the capped TGA load and the one rule by which the spot and the scene are taken.
#include "image/pictures.h"

#include <string>

#include "image/fit.h"
#include "image/reason.h"
#include "image/tga.h"

const char* OverPictureCap(int64_t width, int64_t height, int64_t maxPixels) {
    if (width <= 0 || height <= maxPixels / width) return nullptr;
    const std::string most = maxPixels == MaxPicturePixels ? "50 million" : std::to_string(maxPixels);
    return SetReason("%s x %s pixels, more than the %s taken", std::to_string(width).c_str(), std::to_string(height).c_str(),
                     most.c_str());
}

Image* LoadCappedTga(const char* path) {
    return LoadTga(path, [](int32_t width, int32_t height) { return OverPictureCap(width, height); });
}

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
