// Putting TGA files together byte by byte: the 18-byte header, run-length packets, the file, and
// the 24-bit file the programs read. The picture generator, the fitted pictures of the page and
// varnelo-render, the tests, fuzz seeds and benchmark write here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"

// The header fields a writer chooses; the rest (map start, origin) are written as 0. The
// defaults describe a 1 x 1 uncompressed 24-bit picture stored bottom row first.
struct TgaLayout {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t width = 1;
    uint16_t height = 1;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
    uint8_t pixelDepth = 24;
    uint8_t descriptor = 0;
};

std::vector<uint8_t> TgaHeaderBytes(const TgaLayout& layout);
// The header followed by the parts as given (image ID, map, pixel data), whatever they hold.
std::vector<uint8_t> TgaFile(const TgaLayout& layout, const std::vector<std::vector<uint8_t>>& parts);

// The TGA file the programs read, of a picture in image order: uncompressed 24 bits, top row first.
std::vector<uint8_t> TrueColourTga(const Image& picture);

// Packs values of valueBytes bytes each: runs of equal values become run packets, the rest
// raw packets, 128 values at most per packet. Packets run on across rows, as the format allows.
std::vector<uint8_t> RunLengthEncode(const std::vector<uint8_t>& values, size_t valueBytes);

// Writes bytes to path: null when the whole file reached it, else why not (the system's reason for
// the call that failed), recorded as LastReason too.
const char* WriteFileBytes(const char* path, const std::vector<uint8_t>& bytes);
