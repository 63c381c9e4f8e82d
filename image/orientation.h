// A photo's Exif orientation, and its pixels turned upright by it, as browsers show photos:
// cameras store the sensor's rows and say in the Exif block which way is up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// The orientation (1 to 8, as TIFF numbers them) a JPEG's Exif block gives; 1, upright, for
// anything else: no Exif, a value out of range, a block cut short. Reads nothing past size.
int32_t JpegOrientation(const uint8_t* data, size_t size);

// A new picture of the stored one shown as `orientation` says (2 mirrored, 3 turned half round,
// 4 flipped, 5 to 8 the same with rows and columns exchanged); null without the memory.
Image* Upright(const Image& stored, int32_t orientation);
