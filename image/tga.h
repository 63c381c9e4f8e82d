// Reading TGA pictures: true-colour loads into an Image, indexed loads into an IndexedImage.
#pragma once

#include <cstddef>
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

// Reads the 18 header bytes from a stream positioned at the file's start. Short reads
// leave their fields 0; the caller tells a cut header by the stream's end-of-file flag.
TgaHeader ReadTgaHeader(FILE* file);

// The pixel data is read through this in blocks rather than a few bytes at a time. Once a
// read comes back short the file has ended: `ended` is set and nothing more is taken.
struct TgaStream {
    FILE* file;
    size_t position;
    size_t end;
    bool ended;
    uint8_t block[1 << 16];
};

void OpenTgaStream(TgaStream* stream, FILE* file);

// Copies count bytes to destination. Returns false, with `ended` set, when the file holds
// fewer; the bytes it did hold are still copied.
bool ReadTgaBytes(TgaStream* stream, void* destination, size_t count);

// A run-length packet may reach past the end of a row. Files written under the older TGA
// rules do this, so the surplus is kept here and continues the next row of the file; the
// surplus past the last row is dropped. Start every picture with a zeroed packet.
struct RlePacket {
    uint32_t remaining;  // values of the packet not yet written
    bool repeats;        // a run packet: `value` repeats; else the values follow in the file
    uint32_t value;
};

// Each decodes one row of count values (the picture's width): the carried packet first,
// then packets read from the stream. Nothing is written past count values. Returns how
// many values were written: fewer than count only when the file ended, and then the rest
// of the row is left untouched.
//   DecodeRleIndex32: one byte per value, written zero-extended as a word;
//   DecodeRle16/24/32: pixels of 2, 3 or 4 bytes, written in image order;
//   DecodeRleIndex8: one byte per value, written as it was read.
int32_t DecodeRleIndex32(uint32_t* destination, int32_t count, TgaStream* stream,
                         RlePacket* packet);
int32_t DecodeRle16(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet);
int32_t DecodeRle24(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet);
int32_t DecodeRle32(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet);
int32_t DecodeRleIndex8(uint8_t* destination, int32_t count, TgaStream* stream,
                        RlePacket* packet);

// Asked with the size a header declares before any pixel memory is taken; false refuses
// the load. Lets a caller that cannot use a picture that large refuse it cheaply.
using TgaSizeCheck = bool (*)(int32_t width, int32_t height);

// Returns a newly allocated picture in image order, or null when the file cannot be
// opened, is not a kind that this reader takes, ends before its pixel data, is too
// large to hold or is refused by `accept`. Pixels that a short file did not supply are black.
Image* LoadTga(const char* path, TgaSizeCheck accept = nullptr);

// Colour-mapped and greyscale files only (types 1, 3, 9 and 11); null otherwise, and in
// the same cases as LoadTga. Indices that a short file did not supply are 0. The palette
// always has at least 256 entries, one for every index, those the file's map did not give
// black (grey levels for a greyscale file); paletteSize says how many entries the file gave.
IndexedImage* LoadTgaIndexed(const char* path, TgaSizeCheck accept = nullptr);

// Why the last load on this thread returned null, in a few English words: "not a TGA
// file", "unsupported image type 4", "file ends inside the header", or the system's reason
// when the file could not be opened or read. Valid until the next load.
const char* TgaFailureReason();
