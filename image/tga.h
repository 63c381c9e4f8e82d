// Reading TGA pictures, from a file or from bytes already in memory: true-colour loads into an
// Image, indexed loads into an IndexedImage. A failed load records why (LastReason, image/reason.h):
// "not a TGA file", "unsupported image type 4", "file ends inside the header", the system's reason
// when the file could not be opened or read, or the size check's refusal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"

// Asked with the size a header declares before any pixel memory is taken: null takes it, a reason
// refuses the load with those words. Lets a caller that cannot use a picture that large refuse it cheaply.
using TgaSizeCheck = const char* (*)(int32_t width, int32_t height);

// Returns a newly allocated picture in image order, or null when the file cannot be
// opened, is not a kind that this reader takes, ends before its pixel data, is too
// large to hold or is refused by `accept`. Pixels that a short file did not supply are black.
Image* LoadTga(const char* path, TgaSizeCheck accept = nullptr);
// The same load from the size bytes at data, which are read and never kept.
Image* LoadTgaFromMemory(const void* data, size_t size, TgaSizeCheck accept = nullptr);

// Colour-mapped and greyscale files only (types 1, 3, 9 and 11); null otherwise, and in
// the same cases as LoadTga. Indices that a short file did not supply are 0. The palette
// always has at least 256 entries, one for every index, those the file's map did not give
// black (grey levels for a greyscale file); paletteSize says how many entries the file gave.
IndexedImage* LoadTgaIndexed(const char* path, TgaSizeCheck accept = nullptr);
IndexedImage* LoadTgaIndexedFromMemory(const void* data, size_t size, TgaSizeCheck accept = nullptr);
