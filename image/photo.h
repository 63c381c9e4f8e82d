// Reading photos for the desktop tools: PNG, JPEG, GIF and BMP by stb_image (compiled in, so that
// no system library changes the pixels), turned upright by a JPEG's Exif orientation as browsers
// show them, and TGA by the project's own reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// The most pixels a photo may have, as on the page: more would take gigabytes to decode.
inline constexpr int64_t MaxPhotoPixels = 50'000'000;

// A newly allocated picture in image order, alpha included; null when the file cannot be read,
// is none of those formats, is damaged or has more than maxPixels pixels, which is found before
// it is decoded.
Image* LoadPhoto(const char* path);
Image* LoadPhotoFromMemory(const uint8_t* data, size_t size, int64_t maxPixels = MaxPhotoPixels);

// Why the last load on this thread returned null, in a few English words. Valid until the next.
const char* PhotoFailureReason();
