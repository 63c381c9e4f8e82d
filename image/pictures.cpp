// The pixel cap, the capped TGA load and the one rule by which the spot and the scene are taken.
#include "image/pictures.h"

#include "image/fit.h"
#include "image/tga.h"

namespace {

// The size the header of the load in progress stated, so that a refusal can name it.
thread_local int64_t statedWidth = 0, statedHeight = 0;

bool WithinCap(int32_t width, int32_t height) {
    statedWidth = width;
    statedHeight = height;
    return int64_t{width} * height <= MaxPicturePixels;
}

}  // namespace

std::string TooManyPixels(int64_t width, int64_t height, int64_t maxPixels) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
           (maxPixels == MaxPicturePixels ? "50 million" : std::to_string(maxPixels)) + " taken";
}

Image* LoadCappedTga(const char* path, std::string& why) {
    statedWidth = statedHeight = 0;
    Image* picture = LoadTga(path, WithinCap);
    if (picture == nullptr) {
        why = statedWidth * statedHeight > MaxPicturePixels ? TooManyPixels(statedWidth, statedHeight) : TgaFailureReason();
    }
    return picture;
}

const char* LoadSpotAndScene(const char* spotPath, const char* scenePath, Image*& spot, Image*& scene, const char*& failedPath) {
    thread_local std::string why;
    scene = nullptr;
    failedPath = spotPath;
    if ((spot = LoadCappedTga(spotPath, why)) == nullptr) return why.c_str();
    failedPath = scenePath;
    Image* loaded = LoadCappedTga(scenePath, why);
    if (loaded != nullptr) {
        // Asked before the fitting, which frees the picture it is given.
        why = FitFailureReason(*loaded);
        scene = SceneForFrame(loaded);
    }
    if (scene != nullptr) return nullptr;
    FreeImage(spot);
    spot = nullptr;
    return why.c_str();
}
