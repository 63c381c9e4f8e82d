// The TGA reader: header, colour table, run-length packets and the one decoding path behind
// both loads, true-colour and indexed, whether the bytes come from a file or from memory.
#include "image/tga.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "image/reason.h"

namespace {

enum : uint8_t { KindColourMapped = 1, KindTrueColour = 2, KindGreyscale = 3 };

constexpr uint8_t RunLengthFlag = 0x08;
constexpr uint8_t TopRowFirst = 0x20;
constexpr int ColourSlots = 256;
constexpr size_t HeaderBytes = 18;
constexpr size_t BlockBytes = size_t{1} << 16;

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

// Every load reads through this in blocks rather than a few bytes at a time. Bytes from
// memory are copied into the block as a file's would be read, so that both sources meet
// the block's edges at the same places and take one path through them. Once a read comes
// back short the source has ended: `ended` is set and nothing more is taken.
struct TgaStream {
    FILE* file;             // null when the bytes come from memory
    const uint8_t* memory;  // the bytes from memory that the block has not taken yet
    size_t memoryLeft;
    size_t position;
    size_t end;
    bool ended;
    uint8_t block[BlockBytes];
};

// A run-length packet may reach past the end of a row. Files written under the older TGA
// rules do this, so the surplus is kept here and continues the next row of the file; the
// surplus past the last row is dropped. Every picture starts with a zeroed packet.
struct RlePacket {
    uint32_t remaining;  // values of the packet not yet written
    bool repeats;        // a run packet: `value` repeats; else the values follow in the file
    uint32_t value;
};

// Records why a load fails; returns false so that a failing step can end with it.
bool Fail(const char* reason) {
    SetReason("%s", reason);
    return false;
}

bool FailWithNumber(const char* format, unsigned number) {
    SetReason(format, number);
    return false;
}

bool SourceFailed(const TgaStream& stream) {
    return stream.file != nullptr && std::ferror(stream.file);
}

// A read that came back short either met the end of the source or an error of the system.
bool FailShort(const TgaStream& stream, const char* part) {
    if (SourceFailed(stream)) return Fail(std::strerror(errno));
    SetReason("file ends inside the %s", part);
    return false;
}

void OpenTgaStream(TgaStream* stream, FILE* file, const void* memory, size_t size) {
    stream->file = file;
    stream->memory = static_cast<const uint8_t*>(memory);
    stream->memoryLeft = size;
    stream->position = 0;
    stream->end = 0;
    stream->ended = false;
}

// Takes up to room more bytes from the source to `to`; fewer only at its end.
size_t Refill(TgaStream* stream, uint8_t* to, size_t room) {
    if (stream->file != nullptr) return std::fread(to, 1, room, stream->file);
    const size_t taken = std::min(room, stream->memoryLeft);
    if (taken == 0) return 0;
    std::memcpy(to, stream->memory, taken);
    stream->memory += taken;
    stream->memoryLeft -= taken;
    return taken;
}

// Makes `want` bytes (at most a block) contiguous at the stream's position, taking from
// the source as much as the block holds. Returns how many are held, fewer only at the end.
size_t Gather(TgaStream* stream, size_t want) {
    size_t held = stream->end - stream->position;
    if (held >= want) return held;
    std::memmove(stream->block, stream->block + stream->position, held);
    stream->position = 0;
    stream->end = held;
    while (stream->end < want) {
        const size_t got = Refill(stream, stream->block + stream->end, BlockBytes - stream->end);
        if (got == 0) break;
        stream->end += got;
    }
    return stream->end;  // all from the block's start
}

// Copies count bytes to destination. Returns false, with `ended` set, when the source holds
// fewer; the bytes it did hold are still copied.
bool ReadTgaBytes(TgaStream* stream, void* destination, size_t count) {
    // Most reads, a packet header or a run's value, take a few bytes that the block holds.
    if (!stream->ended && stream->end - stream->position >= count) {
        std::memcpy(destination, stream->block + stream->position, count);
        stream->position += count;
        return true;
    }
    uint8_t* out = static_cast<uint8_t*>(destination);
    while (count > 0 && !stream->ended) {
        const size_t wanted = std::min(count, BlockBytes);
        const size_t taken = std::min(wanted, Gather(stream, wanted));
        std::memcpy(out, stream->block + stream->position, taken);
        stream->position += taken;
        out += taken;
        count -= taken;
        if (taken < wanted) stream->ended = true;
    }
    return count == 0;
}

// Reads the 18 header bytes and takes the fields in file order, numbers of two bytes
// little-endian. Fields that a short source did not reach are 0; the caller tells a cut
// header by the stream's `ended`.
TgaHeader ReadTgaHeader(TgaStream* stream) {
    uint8_t bytes[HeaderBytes] = {};
    (void)ReadTgaBytes(stream, bytes, HeaderBytes);
    const auto word = [&bytes](size_t at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    return {bytes[0], bytes[1], bytes[2], word(3), word(5), bytes[7],
            word(8), word(10), word(12), word(14), bytes[16], bytes[17]};
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

// Reads up to count values of Bytes bytes each, converting them into destination.
// Returns how many whole values the source held.
template <size_t Bytes, typename Value, typename Convert>
uint32_t ReadValues(TgaStream* stream, Value* destination, uint32_t count, Convert convert) {
    constexpr size_t ValuesPerBlock = BlockBytes / Bytes;
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

// Decodes one row of count values (the picture's width): the carried packet first, then
// packets read from the stream. Nothing is written past count values. Returns how many
// values were written: fewer than count only when the source ended, and then the rest of
// the row is left untouched.
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

// One byte per value, written zero-extended as a word.
int32_t DecodeRleIndex32(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<1>(destination, count, stream, packet, FromIndex);
}

// Pixels of 2, 3 or 4 bytes, written in image order.
int32_t DecodeRle16(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<2>(destination, count, stream, packet, From16);
}

int32_t DecodeRle24(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<3>(destination, count, stream, packet, From24);
}

int32_t DecodeRle32(uint32_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<4>(destination, count, stream, packet, From32);
}

// One byte per value, written as it was read.
int32_t DecodeRleIndex8(uint8_t* destination, int32_t count, TgaStream* stream, RlePacket* packet) {
    return DecodeRle<1>(destination, count, stream, packet, FromIndex);
}

// One uncompressed row, or as much of it as the source still holds.
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

// Reads up to the pixel data. False, with the reason recorded, when the file is of a kind
// the load does not take, ends before the pixel data, or has map entries of a size this
// reader cannot tell the length of. The kind is judged from the header alone, before the
// rest is read, so a file that is no TGA at all is named so.
bool ReadPrelude(TgaStream* stream, bool indexedOnly, TgaPrelude* prelude) {
    prelude->header = ReadTgaHeader(stream);
    const TgaHeader& header = prelude->header;
    prelude->kind = header.imageType & 0x07;
    prelude->runLength = (header.imageType & RunLengthFlag) != 0;
    const bool takenKind = prelude->kind >= KindColourMapped && prelude->kind <= KindGreyscale;
    if (SourceFailed(*stream)) return Fail(std::strerror(errno));
    // The format defines no type above 15 and no colour-map type above 1; fields that a short
    // file did not reach are 0 and tell nothing.
    if (!takenKind && (header.imageType > 15 || header.colourMapType > 1)) return Fail("not a TGA file");
    if (stream->ended) return Fail(stream->position == 0 ? "empty file" : "file ends inside the header");
    if (!takenKind) return FailWithNumber("unsupported image type %u", header.imageType);
    if (indexedOnly && prelude->kind == KindTrueColour) {
        return FailWithNumber("image type %u is true-colour, not indexed", header.imageType);
    }
    std::fill_n(prelude->colours, ColourSlots, 0u);

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

// Asks the caller's check, if any, before pixel memory is taken; its refusal is the reason.
bool SizeAccepted(const TgaHeader& header, TgaSizeCheck accept) {
    const char* refusal = accept == nullptr ? nullptr : accept(header.width, header.height);
    // A check that recorded its refusal itself hands back the store, which is not copied onto itself.
    return refusal == nullptr || (refusal != LastReason() && Fail(refusal));
}

// The blocks of each kind of record. They are zeroed, so that what a short file does not
// supply is black (or index 0); the pages of a large block that the file never reaches are
// then never touched at all.
bool AllocateBlocks(Image* image, const TgaPrelude&, size_t count) {
    if (count > SIZE_MAX / sizeof(uint32_t)) return Fail("too large to hold in memory");
    image->pixels = static_cast<uint32_t*>(std::calloc(std::max<size_t>(count, 1), sizeof(uint32_t)));
    return image->pixels != nullptr || Fail("out of memory");
}

bool AllocateBlocks(IndexedImage* image, const TgaPrelude& prelude, size_t count) {
    // Every index a byte can hold has an entry, whatever the file's map covered, so that a
    // reader of palette[index] never leaves the block.
    const size_t entries = std::max<size_t>(prelude.header.colourMapLength, ColourSlots);
    image->indices = static_cast<uint8_t*>(std::calloc(std::max<size_t>(count, 1), 1));
    image->palette = static_cast<uint32_t*>(std::malloc(entries * sizeof(uint32_t)));
    if (image->indices == nullptr || image->palette == nullptr) return Fail("out of memory");
    image->paletteSize = prelude.header.colourMapLength;
    // The palette is the colour table in display order, so an index the map did not reach is
    // black and a greyscale file's are its grey levels, as in the true-colour load. Entries
    // past the table's 256 slots can never be named by an index and are left black.
    for (size_t i = 0; i < entries; ++i) {
        image->palette[i] = RedBlueSwapped(i < ColourSlots ? prelude.colours[i] : 0);
    }
    return true;
}

void Release(Image* image) { FreeImage(image); }
void Release(IndexedImage* image) { FreeIndexedImage(image); }

// Fills a picture row from the file. Returns how many of its pixels the file supplied.
int32_t ReadPictureRow(uint32_t* row, const TgaPrelude& prelude, TgaStream* stream, RlePacket* packet) {
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

// An indexed row keeps the indices as the file holds them, one byte per pixel whatever the
// header's pixel depth says.
int32_t ReadPictureRow(uint8_t* row, const TgaPrelude& prelude, TgaStream* stream, RlePacket* packet) {
    const int32_t width = prelude.header.width;
    return prelude.runLength ? DecodeRleIndex8(row, width, stream, packet) : ReadRow<1>(row, width, stream, FromIndex);
}

uint32_t* Plane(Image* image) { return image->pixels; }
uint8_t* Plane(IndexedImage* image) { return image->indices; }

// The one decoding path behind every load: the prelude, the size checks, the record, then
// the rows in file order, each into its place in the picture: the k-th row of the file is
// row k when the file stores the top row first, else row height - 1 - k.
template <typename Picture>
Picture* Decode(TgaStream* stream, TgaSizeCheck accept) {
    TgaPrelude prelude;
    if (!ReadPrelude(stream, std::is_same_v<Picture, IndexedImage>, &prelude)) return nullptr;
    const TgaHeader& header = prelude.header;
    if (!SizeAccepted(header, accept)) return nullptr;

    Picture* picture = static_cast<Picture*>(std::calloc(1, sizeof(Picture)));
    if (picture == nullptr) {
        Fail("out of memory");
        return nullptr;
    }
    picture->width = header.width;
    picture->height = header.height;
    if (!AllocateBlocks(picture, prelude, size_t{header.width} * header.height)) {
        Release(picture);
        return nullptr;
    }

    RlePacket packet = {};
    for (uint32_t k = 0; k < header.height; ++k) {
        const size_t row = (header.descriptor & TopRowFirst) ? k : header.height - 1u - k;
        if (ReadPictureRow(Plane(picture) + row * header.width, prelude, stream, &packet) < picture->width) break;
    }
    return picture;
}

template <typename Picture>
Picture* LoadFile(const char* path, TgaSizeCheck accept) {
    if (IsFolder(path)) {
        Fail(std::strerror(EISDIR));
        return nullptr;
    }
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Fail(std::strerror(errno));
        return nullptr;
    }
    TgaStream stream;
    OpenTgaStream(&stream, file, nullptr, 0);
    Picture* picture = Decode<Picture>(&stream, accept);
    std::fclose(file);
    return picture;
}

template <typename Picture>
Picture* LoadMemory(const void* data, size_t size, TgaSizeCheck accept) {
    TgaStream stream;
    OpenTgaStream(&stream, nullptr, data, size);
    return Decode<Picture>(&stream, accept);
}

}  // namespace

Image* LoadTga(const char* path, TgaSizeCheck accept) {
    return LoadFile<Image>(path, accept);
}

Image* LoadTgaFromMemory(const void* data, size_t size, TgaSizeCheck accept) {
    return LoadMemory<Image>(data, size, accept);
}

IndexedImage* LoadTgaIndexed(const char* path, TgaSizeCheck accept) {
    return LoadFile<IndexedImage>(path, accept);
}

IndexedImage* LoadTgaIndexedFromMemory(const void* data, size_t size, TgaSizeCheck accept) {
    return LoadMemory<IndexedImage>(data, size, accept);
}
