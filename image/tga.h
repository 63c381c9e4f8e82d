// Reading TGA pictures: true-colour loads into an Image, indexed loads into an IndexedImage.
#pragma once

#include <cstdint>
#include <cstdio>

#include "image/image.h"

struct TgaHeader {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t colourMapStart;
    uint16_t colourMapLength;
    uint8_t colourMapEntrySize;
    uint16_t xOrigin;
    uint16_t yOrigin;
    uint16_t width;
    uint16_t height;
    uint8_t pixelDepth;
    uint8_t descriptor;
};

// Reads the 18 header bytes from a stream positioned at the file's start.
TgaHeader ReadTgaHeader(FILE* file);

// Returns a newly allocated picture in image order, or null when the file cannot be
// opened, is not a kind that this reader takes, ends before its pixel data, or is too
// large to hold. Pixels that a short file did not supply are black.
Image* LoadTga(const char* path);

// Colour-mapped and greyscale files only (types 1, 3, 9 and 11); null otherwise.
IndexedImage* LoadTgaIndexed(const char* path);
