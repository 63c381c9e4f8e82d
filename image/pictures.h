// The demo's two pictures as every program takes them: the pixel cap each picture is held to, a
// TGA load under that cap, and the spot and the scene loaded as start-up loads them.
#pragma once

#include <cstdint>
#include <string>

#include "image/image.h"

// The most pixels a picture may have: more would take gigabytes to hold and a minute to fit, and
// a header of 18 bytes can state 4.3 billion.
inline constexpr int64_t MaxPicturePixels = 50'000'000;

// Null for a picture within the cap (or of no columns, which its reader refuses), else why it is
// refused, "W x H pixels, more than the 50 million taken", recorded as the reason (image/reason.h).
const char* OverPictureCap(int64_t width, int64_t height, int64_t maxPixels = MaxPicturePixels);

// A TGA picture read as LoadTga reads it, refused before its pixels are taken when its header
// states more than MaxPicturePixels; null with the reason recorded (LastReason, image/reason.h).
Image* LoadCappedTga(const char* path);

// The spot (any size) and the scene (fitted to the frame when it is of another size), each under
// the cap, as start-up, varnelo-render --at and the page's check all take them. Null when both are
// loaded, the caller then owning them; else why not, with `failedPath` the picture that failed and
// nothing kept. The reason is LastReason's, valid until the next failure on this thread.
const char* LoadSpotAndScene(const char* spotPath, const char* scenePath, Image*& spot, Image*& scene, const char*& failedPath);
