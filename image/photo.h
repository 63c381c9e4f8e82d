// Reading photos for the desktop tools: PNG, JPEG, GIF and BMP by stb_image (compiled in, so that
// no system library changes the pixels), turned upright by a JPEG's Exif or a PNG's eXIf
// orientation as browsers show them, and TGA by the project's own reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"
#include "image/pictures.h"

// A newly allocated picture in image order, alpha included (a TGA's counts as opaque, as the
// programs read a scene); null when the file cannot be read, is none of those formats or a kind
// of one the decoder does not take, is damaged, is larger than 2 GiB or states more than maxPixels
// pixels, with why recorded (LastReason, image/reason.h). What the first bytes tell is found before
// the rest is read, the size before decoding.
Image* LoadPhoto(const char* path);
Image* LoadPhotoFromMemory(const uint8_t* data, size_t size, int64_t maxPixels = MaxPicturePixels);
