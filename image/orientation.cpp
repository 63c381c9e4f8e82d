// Finding the orientation tag in a JPEG's Exif block, and applying it to the pixels.
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

// The orientation in a TIFF block (the Exif block after its "Exif\0\0"): the tag in the first
// directory, a short whose value sits in the entry itself.
int32_t TiffOrientation(Bytes tiff) {
    if (!tiff.Has(0, 8) || (std::memcmp(tiff.data, "II", 2) != 0 && std::memcmp(tiff.data, "MM", 2) != 0)) return 1;
    tiff.bigEndian = tiff.data[0] == 'M';
    if (tiff.U16(2) != 42) return 1;
    const size_t directory = tiff.U32(4);
    if (!tiff.Has(directory, 2)) return 1;
    const size_t entries = tiff.U16(directory);
    for (size_t entry = directory + 2, i = 0; i < entries && tiff.Has(entry, 12); ++i, entry += 12) {
        if (tiff.U16(entry) != OrientationTag) continue;
        const uint32_t value = tiff.U16(entry + 8);
        return tiff.U16(entry + 2) == ShortType && tiff.U32(entry + 4) >= 1 && value >= 1 && value <= 8
                   ? static_cast<int32_t>(value) : 1;
    }
    return 1;
}

}  // namespace

int32_t JpegOrientation(const uint8_t* data, size_t size) {
    Bytes jpeg{data, size, true};
    if (!jpeg.Has(0, 2) || data[0] != 0xFF || data[1] != 0xD8) return 1;
    // Segment by segment up to the image data; the first Exif block counts.
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
            return TiffOrientation(Bytes{data + at + 10, length - 8});
        }
        at += 2 + length;
    }
    return 1;
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
