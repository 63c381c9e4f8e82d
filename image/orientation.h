// A photo's Exif orientation, and its pixels turned upright by it, as browsers show photos:
// cameras store the sensor's rows and say in the Exif block which way is up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// The orientation (1 to 8, as TIFF numbers them) a JPEG's Exif block or a PNG's eXIf chunk gives;
// 1, upright, for anything else: no such block, a value out of range, a block cut short. Reads
// nothing past size.
int32_t PhotoOrientation(const uint8_t* data, size_t size);
// The same, and the tag set to 1 in place (a PNG chunk's checksum made anew), so that a decoder
// that would turn the picture by it shows the stored rows as stored.
int32_t ClearOrientation(uint8_t* data, size_t size);

// A new picture of the stored one shown as `orientation` says (2 mirrored, 3 turned half round,
// 4 flipped, 5 to 8 the same with rows and columns exchanged); null without the memory.
Image* Upright(const Image& stored, int32_t orientation);
