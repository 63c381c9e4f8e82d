// The picture records of the TGA reader, the BMP writer and the compositor, the swap between
// their two pixel orders, and the screen size the frame, display mode and screenshots follow.
#pragma once

#include <cstdint>

inline constexpr int32_t Width = 320;
inline constexpr int32_t Height = 200;

// Pixels in image order: red in bits 0-7, green 8-15, blue 16-23, alpha (or 0) 24-31.
// Rows from the top, no gaps. Allocated with malloc; the owner frees pixels, then the record.
struct Image {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

// A colour-mapped or greyscale picture kept as the file stores it. The palette is in
// display order (blue in bits 0-7, red in 16-23); one index byte per pixel, rows from the top.
struct IndexedImage {
    uint32_t* palette;
    uint8_t* indices;
    int32_t paletteSize;
    int32_t width;
    int32_t height;
};

// Image order and display order differ only in which outer byte holds red, so this one swap
// turns either into the other; the top byte, which has no colour in display order, is cleared.
constexpr uint32_t RedBlueSwapped(uint32_t pixel) {
    return (pixel & 0xFFu) << 16 | (pixel & 0xFF00u) | (pixel >> 16 & 0xFFu);
}

// Whether a path names a folder, which the readers name as one on every system (Windows refuses to
// open it and calls that a denied permission, Linux opens it and fails the read).
bool IsFolder(const char* path);

// A new record with a pixel block for width x height pixels (room for one at least), the pixels
// not set; null, nothing kept, without the memory.
Image* NewImage(int32_t width, int32_t height);

// Frees the pixel block, then the record. Null is allowed.
void FreeImage(Image* image);
void FreeIndexedImage(IndexedImage* image);
