// Writing pictures as 24-bit uncompressed BMP files, and the numbered screenshot names.
#pragma once

#include <cstdint>

#include "image/image.h"

// Writes image (image order) to path. Returns 1 when the whole file reached the disk, else
// 0: also when a buffered write fails only as the file is closed, and for a picture whose
// file could not state its size in the format's 32-bit fields.
int SaveBmp(const char* path, const Image* image);

// Saves Width x Height pixels in image order under the first free "Screenshot%2x.bmp"
// name in the working directory. Returns what SaveBmp returned.
int TakeScreenshot(const uint32_t* pixels);
