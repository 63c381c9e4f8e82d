// The TGA reader: the header, the colour table, the run-length packets and the two loads,
// true-colour into an Image and colour-mapped or greyscale into an IndexedImage.
#include "image/tga.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

enum : uint8_t { KindColourMapped = 1, KindTrueColour = 2, KindGreyscale = 3 };

constexpr uint8_t RunLengthFlag = 0x08;
constexpr uint8_t TopRowFirst = 0x20;
constexpr int ColourSlots = 256;

// The reason the last failed load on this thread gave, for TgaFailureReason.
thread_local char failureReason[96] = "";

// Records why a load fails; returns false so that a failing step can end with it.
bool Fail(const char* reason) {
    std::snprintf(failureReason, sizeof failureReason, "%s", reason);
    return false;
}

bool FailWithNumber(const char* format, unsigned number) {
    std::snprintf(failureReason, sizeof failureReason, format, number);
    return false;
}

// A read that came back short either met the end of the file or an error of the system.
bool FailShort(const TgaStream& stream, const char* part) {
    if (std::ferror(stream.file)) return Fail(std::strerror(errno));
    char reason[64];
    std::snprintf(reason, sizeof reason, "file ends inside the %s", part);
    return Fail(reason);
}

uint8_t ReadField8(FILE* file) {
    uint8_t value = 0;
    (void)std::fread(&value, 1, 1, file);
    return value;
}

uint16_t ReadField16(FILE* file) {
    uint8_t bytes[2] = {0, 0};
    (void)std::fread(bytes, 1, 2, file);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// Image order: red in the low byte, blue in bits 16-23.
constexpr uint32_t PackImageOrder(uint32_t red, uint32_t green, uint32_t blue) {
    return red | green << 8 | blue << 16;
}

// TGA keeps 5 bits per channel in 16-bit pixels and map entries; each widens by a plain
// shift, so 31 becomes 248 and the low three bits stay clear.
uint32_t From16(const uint8_t* bytes) {
    const uint32_t v = bytes[0] | static_cast<uint32_t>(bytes[1]) << 8;
    return PackImageOrder(((v >> 10) & 0x1F) << 3, ((v >> 5) & 0x1F) << 3, (v & 0x1F) << 3);
}

uint32_t From24(const uint8_t* bytes) {
    return PackImageOrder(bytes[2], bytes[1], bytes[0]);
}

uint32_t From32(const uint8_t* bytes) {
    return From24(bytes) | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t FromIndex(const uint8_t* bytes) {
    return bytes[0];
}

// Makes `want` bytes (at most a block) contiguous at the stream's position, reading from
// the file as much as the block holds. Returns how many are held, fewer only at the end.
size_t Gather(TgaStream* stream, size_t want) {
    size_t held = stream->end - stream->position;
    if (held >= want) return held;
    std::memmove(stream->block, stream->block + stream->position, held);
    stream->position = 0;
    stream->end = held;
    while (stream->end < want) {
        const size_t got = std::fread(stream->block + stream->end, 1,
                                      sizeof stream->block - stream->end, stream->file);
        if (got == 0) break;
        stream->end += got;
    }
    return stream->end - stream->position;
}

// Reads up to count values of Bytes bytes each, converting them into destination.
// Returns how many whole values the file held.
template <size_t Bytes, typename Value, typename Convert>
uint32_t ReadValues(TgaStream* stream, Value* destination, uint32_t count, Convert convert) {
    constexpr size_t ValuesPerBlock = sizeof stream->block / Bytes;
    uint32_t done = 0;
    while (done < count && !stream->ended) {
        const size_t wanted = std::min<size_t>(count - done, ValuesPerBlock);
        const size_t held = Gather(stream, wanted * Bytes);
        const size_t values = std::min(wanted, held / Bytes);
        const uint8_t* bytes = stream->block + stream->position;
        for (size_t i = 0; i < values; ++i) {
            destination[done + i] = static_cast<Value>(convert(bytes + i * Bytes));
        }
        stream->position += values * Bytes;
        done += static_cast<uint32_t>(values);
        if (values < wanted) stream->ended = true;
    }
    return done;
}

template <size_t Bytes, typename Value, typename Convert>
int32_t DecodeRle(Value* destination, int32_t count, TgaStream* stream, RlePacket* packet,
                  Convert convert) {
    if (count <= 0) return 0;
    const uint32_t total = static_cast<uint32_t>(count);
    uint32_t written = 0;
    while (written < total) {
        if (packet->remaining == 0) {
            uint8_t header = 0;
            uint8_t bytes[Bytes] = {};
            if (!ReadTgaBytes(stream, &header, 1)) break;
            packet->repeats = (header & 0x80) != 0;
            if (packet->repeats) {
                if (!ReadTgaBytes(stream, bytes, Bytes)) break;
                packet->value = convert(bytes);
            }
            packet->remaining = (header & 0x7Fu) + 1;
        }
        const uint32_t n = std::min(packet->remaining, total - written);
        uint32_t done = n;
        if (packet->repeats) {
            std::fill_n(destination + written, n, static_cast<Value>(packet->value));
        } else {
            done = ReadValues<Bytes>(stream, destination + written, n, convert);
        }
        written += done;
        packet->remaining -= done;
        if (done < n) break;
    }
    return static_cast<int32_t>(written);
}

// One uncompressed row, or as much of it as the file still holds.
template <size_t Bytes, typename Value, typename Convert>
int32_t ReadRow(Value* destination, int32_t count, TgaStream* stream, Convert convert) {
    if (count <= 0) return 0;
    return static_cast<int32_t>(
        ReadValues<Bytes>(stream, destination, static_cast<uint32_t>(count), convert));
}

// What comes before the pixel data: the header, the skipped image ID and the colour table.
// Slots that neither the map nor the grey ramp fill stay black.
struct TgaPrelude {
    TgaHeader header;
    uint8_t kind;
    bool runLength;
    uint32_t colours[ColourSlots];
};

// Which image kinds a load takes.
enum class Takes { AnyKind, IndexedKinds };

// Reads up to the pixel data. False, with the reason recorded, when the file is of a kind
// the load does not take, ends before the pixel data, or has map entries of a size this
// reader cannot tell the length of. The kind is judged from the header alone, before the
// rest is read, so a file that is no TGA at all is named so.
bool ReadPrelude(FILE* file, Takes takes, TgaStream* stream, TgaPrelude* prelude) {
    prelude->header = ReadTgaHeader(file);
    const TgaHeader& header = prelude->header;
    prelude->kind = header.imageType & 0x07;
    prelude->runLength = (header.imageType & RunLengthFlag) != 0;
    const bool takenKind = prelude->kind >= KindColourMapped && prelude->kind <= KindGreyscale;
    if (std::ferror(file)) return Fail(std::strerror(errno));
    // The format defines no type above 15 and no colour-map type above 1; fields that a short
    // file did not reach are 0 and tell nothing.
    if (!takenKind && (header.imageType > 15 || header.colourMapType > 1)) return Fail("not a TGA file");
    if (std::feof(file)) return Fail(std::ftell(file) == 0 ? "empty file" : "file ends inside the header");
    if (!takenKind) return FailWithNumber("unsupported image type %u", header.imageType);
    if (takes == Takes::IndexedKinds && prelude->kind == KindTrueColour) {
        return FailWithNumber("image type %u is true-colour, not indexed", header.imageType);
    }
    std::fill_n(prelude->colours, ColourSlots, 0u);

    OpenTgaStream(stream, file);
    uint8_t scratch[256];
    if (!ReadTgaBytes(stream, scratch, header.idLength)) return FailShort(*stream, "image ID");

    if (header.colourMapLength != 0) {
        size_t entryBytes = 0;
        uint32_t (*convert)(const uint8_t*) = nullptr;
        switch (header.colourMapEntrySize) {
            case 15:
            case 16: entryBytes = 2; convert = From16; break;
            case 24: entryBytes = 3; convert = From24; break;
            case 32: entryBytes = 4; convert = From24; break;  // the map's alpha is not kept
            default:
                return FailWithNumber("colour map entry size %u not supported", header.colourMapEntrySize);
        }
        // Entries past the table's 256 slots cannot be named by an 8-bit index; they are
        // read past so that the pixels are found where they are.
        for (uint32_t i = 0; i < header.colourMapLength; ++i) {
            uint8_t entry[4];
            if (!ReadTgaBytes(stream, entry, entryBytes)) return FailShort(*stream, "colour map");
            if (i < ColourSlots) prelude->colours[i] = convert(entry);
        }
    }
    if (prelude->kind == KindGreyscale) {
        for (uint32_t i = 0; i < ColourSlots; ++i) prelude->colours[i] = PackImageOrder(i, i, i);
    }
    return true;
}

// Asks the caller's check, if any, before pixel memory is taken.
bool SizeAccepted(const TgaHeader& header, TgaSizeCheck accept) {
    if (accept == nullptr || accept(header.width, header.height)) return true;
    char reason[64];
    std::snprintf(reason, sizeof reason, "a picture of %u x %u is not taken here", unsigned{header.width},
                  unsigned{header.height});
    return Fail(reason);
}

// The picture row that the k-th row of the file fills.
size_t PictureRow(const TgaHeader& header, uint32_t k) {
    return (header.descriptor & TopRowFirst) ? k : header.height - 1u - k;
}

// Fills a picture row from the file. Returns how many of its pixels the file supplied.
int32_t ReadTrueColourRow(uint32_t* row, const TgaPrelude& prelude, TgaStream* stream,
                          RlePacket* packet) {
    const int32_t width = prelude.header.width;
    const uint8_t depth = prelude.header.pixelDepth;
    if (prelude.kind == KindTrueColour) {
        if (depth == 32) {
            return prelude.runLength ? DecodeRle32(row, width, stream, packet)
                                     : ReadRow<4>(row, width, stream, From32);
        }
        if (depth == 24) {
            return prelude.runLength ? DecodeRle24(row, width, stream, packet)
                                     : ReadRow<3>(row, width, stream, From24);
        }
        return prelude.runLength ? DecodeRle16(row, width, stream, packet)
                                 : ReadRow<2>(row, width, stream, From16);
    }
    const uint32_t* colours = prelude.colours;
    if (prelude.runLength) {
        const int32_t supplied = DecodeRleIndex32(row, width, stream, packet);
        for (int32_t x = 0; x < supplied; ++x) row[x] = colours[row[x]];
        return supplied;
    }
    return ReadRow<1>(row, width, stream,
                      [colours](const uint8_t* bytes) { return colours[bytes[0]]; });
}

// Runs the true-colour load on an open file; the caller closes it.
Image* LoadTgaFrom(FILE* file, TgaSizeCheck accept) {
    TgaStream stream;
    TgaPrelude prelude;
    if (!ReadPrelude(file, Takes::AnyKind, &stream, &prelude)) return nullptr;

    const TgaHeader& header = prelude.header;
    if (!SizeAccepted(header, accept)) return nullptr;
    const size_t count = static_cast<size_t>(header.width) * header.height;
    if (count > SIZE_MAX / sizeof(uint32_t)) {
        Fail("too large to hold in memory");
        return nullptr;
    }

    // Zeroed, so that what a short file does not supply is black. The pages of a large
    // block that the file never reaches are then never touched at all.
    Image* image = static_cast<Image*>(std::malloc(sizeof(Image)));
    uint32_t* pixels =
        static_cast<uint32_t*>(std::calloc(std::max<size_t>(count, 1), sizeof(uint32_t)));
    if (image == nullptr || pixels == nullptr) {
        std::free(pixels);
        std::free(image);
        Fail("out of memory");
        return nullptr;
    }
    image->pixels = pixels;
    image->width = header.width;
    image->height = header.height;

    RlePacket packet = {};
    for (uint32_t k = 0; k < header.height; ++k) {
        uint32_t* row = pixels + PictureRow(header, k) * header.width;
        if (ReadTrueColourRow(row, prelude, &stream, &packet) < image->width) break;
    }
    return image;
}

// Runs the indexed load on an open file; the caller closes it.
IndexedImage* LoadTgaIndexedFrom(FILE* file, TgaSizeCheck accept) {
    TgaStream stream;
    TgaPrelude prelude;
    if (!ReadPrelude(file, Takes::IndexedKinds, &stream, &prelude)) return nullptr;

    const TgaHeader& header = prelude.header;
    if (!SizeAccepted(header, accept)) return nullptr;
    const size_t count = static_cast<size_t>(header.width) * header.height;
    // Every index a byte can hold has an entry, whatever the file's map covered, so that a
    // reader of palette[index] never leaves the block.
    const size_t paletteEntries = std::max<size_t>(header.colourMapLength, ColourSlots);

    IndexedImage* image = static_cast<IndexedImage*>(std::malloc(sizeof(IndexedImage)));
    uint8_t* indices = static_cast<uint8_t*>(std::calloc(std::max<size_t>(count, 1), 1));
    uint32_t* palette = static_cast<uint32_t*>(std::malloc(paletteEntries * sizeof(uint32_t)));
    if (image == nullptr || indices == nullptr || palette == nullptr) {
        std::free(palette);
        std::free(indices);
        std::free(image);
        Fail("out of memory");
        return nullptr;
    }
    image->palette = palette;
    image->indices = indices;
    image->paletteSize = header.colourMapLength;
    image->width = header.width;
    image->height = header.height;

    // The palette is in display order: blue in the low byte. It is the colour table, so an
    // index the map did not reach is black and a greyscale file's are its grey levels, as in
    // the true-colour load. Entries past the table's 256 slots can never be named by an
    // index and are left black.
    for (size_t i = 0; i < paletteEntries; ++i) {
        const uint32_t colour = i < ColourSlots ? prelude.colours[i] : 0;
        palette[i] = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
    }

    RlePacket packet = {};
    for (uint32_t k = 0; k < header.height; ++k) {
        uint8_t* row = indices + PictureRow(header, k) * header.width;
        const int32_t supplied =
            prelude.runLength ? DecodeRleIndex8(row, image->width, &stream, &packet)
                              : ReadRow<1>(row, image->width, &stream, FromIndex);
        if (supplied < image->width) break;
    }
    return image;
}

}  // namespace

TgaHeader ReadTgaHeader(FILE* file) {
    TgaHeader header;
    header.idLength = ReadField8(file);
    header.colourMapType = ReadField8(file);
    header.imageType = ReadField8(file);
    header.colourMapStart = ReadField16(file);
    header.colourMapLength = ReadField16(file);
    header.colourMapEntrySize = ReadField8(file);
    header.xOrigin = ReadField16(file);
    header.yOrigin = ReadField16(file);
    header.width = ReadField16(file);
    header.height = ReadField16(file);
    header.pixelDepth = ReadField8(file);
    header.descriptor = ReadField8(file);
    return header;
}

void OpenTgaStream(TgaStream* stream, FILE* file) {
    stream->file = file;
    stream->position = 0;
    stream->end = 0;
    stream->ended = false;
}

bool ReadTgaBytes(TgaStream* stream, void* destination, size_t count) {
    uint8_t* out = static_cast<uint8_t*>(destination);
    while (count > 0 && !stream->ended) {
        const size_t wanted = std::min(count, sizeof stream->block);
        const size_t taken = std::min(wanted, Gather(stream, wanted));
        std::memcpy(out, stream->block + stream->position, taken);
        stream->position += taken;
        out += taken;
        count -= taken;
        if (taken < wanted) stream->ended = true;
    }
    return count == 0;
}

int32_t DecodeRleIndex32(uint32_t* destination, int32_t count, TgaStream* stream,
                         RlePacket* packet) {
    return DecodeRle<1>(destination, count, stream, packet, FromIndex);
}

int32_t DecodeRle16(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<2>(destination, count, stream, packet, From16);
}

int32_t DecodeRle24(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<3>(destination, count, stream, packet, From24);
}

int32_t DecodeRle32(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<4>(destination, count, stream, packet, From32);
}

int32_t DecodeRleIndex8(uint8_t* destination, int32_t count, TgaStream* stream,
                        RlePacket* packet) {
    return DecodeRle<1>(destination, count, stream, packet, FromIndex);
}

Image* LoadTga(const char* path, TgaSizeCheck accept) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Fail(std::strerror(errno));
        return nullptr;
    }
    Image* image = LoadTgaFrom(file, accept);
    std::fclose(file);
    return image;
}

IndexedImage* LoadTgaIndexed(const char* path, TgaSizeCheck accept) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Fail(std::strerror(errno));
        return nullptr;
    }
    IndexedImage* image = LoadTgaIndexedFrom(file, accept);
    std::fclose(file);
    return image;
}

const char* TgaFailureReason() {
    return failureReason;
}
