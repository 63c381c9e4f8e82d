// What a photo's first bytes say, read as its decoders read them: its format and the size its
// header states, for the desktop reader to refuse a file before decoding it and for the page before
// the browser does.
#pragma once

#include <cstddef>
#include <cstdint>

// The format a file's first bytes name, whether or not the rest is whole: "PNG", "JPEG", "GIF",
// "BMP", or "WebP", which browsers decode and LoadPhotoFromMemory refuses; null for any other.
const char* PhotoFormat(const uint8_t* data, size_t size);

// The width and height the header of a file of that format states (a BMP's rows may run top down,
// which a negative height says); false where the bytes end before them.
bool StatedPhotoSize(const char* format, const uint8_t* data, size_t size, int64_t& width, int64_t& height);
