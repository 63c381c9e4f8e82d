// Writing pictures as 24-bit uncompressed BMP files, and the numbered screenshot names. A failed
// save records why (LastReason, image/reason.h): the system's reason ("No space left on device",
// "Is a directory", ...), the size check's refusal, or "every screenshot name is taken".
#pragma once

#include <cstdint>

#include "image/image.h"

// Null when a picture of this size can be written, else the refusal, recorded: its file must
// state its size in the format's 32-bit fields. A TgaSizeCheck, so that a caller refuses a
// picture before doing any work on it.
const char* BmpSizeCheck(int32_t width, int32_t height);

// Writes image (image order) to path. Returns 1 when the whole file reached the disk, else
// 0: also when a buffered write fails only as the file is closed, and for a picture that
// BmpSizeCheck refuses. A regular file that could not be written whole is removed. A pipe, a
// terminal or a device, which cannot be sought back in, gets the same bytes built in memory.
int SaveBmp(const char* path, const Image* image);

// Saves Width x Height pixels in image order under the first free "Screenshot%2x.bmp"
// name in the working directory, created afresh so that no file is ever overwritten.
// Returns 1 on success, 0 when the file could not be written (none is left) or every
// name up to "Screenshotffffffff.bmp" is taken.
int TakeScreenshot(const uint32_t* pixels);
// The same search, from the number `first` on instead of 0.
int TakeScreenshotFrom(const uint32_t* pixels, uint32_t first);
