// Finding the orientation tag in a JPEG's Exif block or a PNG's eXIf chunk, and applying it to
// the pixels.
#include "image/orientation.h"

#include <cstring>

namespace {

// The bytes [at, at + length) of a block, or nothing where they would run past its end.
struct Bytes {
    const uint8_t* data;
    size_t size;
    bool bigEndian = false;

    bool Has(size_t at, size_t length) const { return at <= size && length <= size - at; }
    uint32_t U16(size_t at) const {
        return bigEndian ? uint32_t{data[at]} << 8 | data[at + 1] : uint32_t{data[at + 1]} << 8 | data[at];
    }
    uint32_t U32(size_t at) const {
        return bigEndian ? U16(at) << 16 | U16(at + 2) : U16(at + 2) << 16 | U16(at);
    }
};

constexpr uint32_t OrientationTag = 0x0112, ShortType = 3;

// Where a photo says which way is up: the value, the place of its two bytes in the file and
// their order, and for a PNG the chunk whose checksum covers them.
struct Tag {
    int32_t value = 1;
    size_t at = 0;
    bool bigEndian = false;
    size_t chunk = 0, chunkLength = 0;
};

// The orientation in a TIFF block (the Exif block after its "Exif\0\0", a PNG's eXIf chunk)
// lying at `start` in the file: the tag in the first directory, a short whose value sits in the
// entry itself.
Tag TiffOrientation(Bytes tiff, size_t start) {
    Tag tag;
    if (!tiff.Has(0, 8) || (std::memcmp(tiff.data, "II", 2) != 0 && std::memcmp(tiff.data, "MM", 2) != 0)) return tag;
    tiff.bigEndian = tiff.data[0] == 'M';
    if (tiff.U16(2) != 42) return tag;
    const size_t directory = tiff.U32(4);
    if (!tiff.Has(directory, 2)) return tag;
    const size_t entries = tiff.U16(directory);
    for (size_t entry = directory + 2, i = 0; i < entries && tiff.Has(entry, 12); ++i, entry += 12) {
        if (tiff.U16(entry) != OrientationTag) continue;
        const uint32_t value = tiff.U16(entry + 8);
        if (tiff.U16(entry + 2) == ShortType && tiff.U32(entry + 4) >= 1 && value >= 1 && value <= 8) {
            tag = Tag{static_cast<int32_t>(value), start + entry + 8, tiff.bigEndian};
        }
        return tag;
    }
    return tag;
}

// A JPEG's first Exif block before the image data counts.
Tag JpegTag(Bytes jpeg) {
    const uint8_t* data = jpeg.data;
    for (size_t at = 2; jpeg.Has(at, 4) && data[at] == 0xFF;) {
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;  // the scan, or the end: no Exif after
        const size_t length = jpeg.U16(at + 2);
        if (length < 2 || !jpeg.Has(at + 2, length)) break;
        if (marker == 0xE1 && length >= 8 && std::memcmp(data + at + 4, "Exif\0\0", 6) == 0) {
            return TiffOrientation(Bytes{data + at + 10, length - 8}, at + 10);
        }
        at += 2 + length;
    }
    return Tag{};
}

// A PNG's eXIf chunk counts where the format puts it, before the image data, as browsers read it.
Tag PngTag(Bytes png) {
    for (size_t at = 8; png.Has(at, 12);) {
        const size_t length = png.U32(at);
        const uint8_t* type = png.data + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0 || !png.Has(at + 8, length) ||
            !png.Has(at + 8 + length, 4)) {
            break;
        }
        if (std::memcmp(type, "eXIf", 4) == 0) {
            Tag tag = TiffOrientation(Bytes{png.data + at + 8, length}, at + 8);
            tag.chunk = at + 4;
            tag.chunkLength = length + 4;
            return tag;
        }
        at += 12 + length;
    }
    return Tag{};
}

Tag FindTag(const uint8_t* data, size_t size) {
    const Bytes file{data, size, true};
    if (file.Has(0, 2) && data[0] == 0xFF && data[1] == 0xD8) return JpegTag(file);
    if (file.Has(0, 8) && std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) == 0) return PngTag(file);
    return Tag{};
}

// The CRC-32 a PNG chunk ends with, over its type and data.
uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace

int32_t PhotoOrientation(const uint8_t* data, size_t size) { return FindTag(data, size).value; }

int32_t ClearOrientation(uint8_t* data, size_t size) {
    const Tag tag = FindTag(data, size);
    if (tag.value == 1) return 1;
    data[tag.at] = tag.bigEndian ? 0 : 1;
    data[tag.at + 1] = tag.bigEndian ? 1 : 0;
    if (tag.chunkLength != 0) {
        const uint32_t crc = Crc32(data + tag.chunk, tag.chunkLength);
        for (size_t i = 0; i < 4; ++i) data[tag.chunk + tag.chunkLength + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    return tag.value;
}

Image* Upright(const Image& stored, int32_t orientation) {
    const bool exchanged = orientation >= 5 && orientation <= 8;
    const int32_t width = exchanged ? stored.height : stored.width, height = exchanged ? stored.width : stored.height;
    Image* image = NewImage(width, height);
    if (image == nullptr) return nullptr;
    const int32_t lastX = stored.width - 1, lastY = stored.height - 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            // The stored pixel that shows at x, y.
            int32_t fromX = x, fromY = y;
            switch (orientation) {
                case 2: fromX = lastX - x; break;
                case 3: fromX = lastX - x, fromY = lastY - y; break;
                case 4: fromY = lastY - y; break;
                case 5: fromX = y, fromY = x; break;
                case 6: fromX = y, fromY = lastY - x; break;
                case 7: fromX = lastX - y, fromY = lastY - x; break;
                case 8: fromX = lastX - y, fromY = x; break;
                default: break;
            }
            image->pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                stored.pixels[static_cast<size_t>(fromY) * static_cast<size_t>(stored.width) + static_cast<size_t>(fromX)];
        }
    }
    return image;
}
