// Clearing a photo's orientation in place, as the page does before the browser decodes it: only the tag changes,
// and a PNG chunk's checksum is made anew (the expected ones are zlib's).
#include <gtest/gtest.h>

#include <vector>

#include "image/orientation.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A big-endian TIFF block whose one entry is the orientation, `value`.
Bytes Tiff(uint8_t value) { return {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1, 0, value, 0, 0, 0, 0, 0, 0}; }

Bytes Png(uint8_t value, Bytes crc) {
    return Concat({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 26, 'e', 'X', 'I', 'f'}, Tiff(value), crc,
                   {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}});
}

Bytes Jpeg(uint8_t value) { return Concat({{0xFF, 0xD8, 0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0}, Tiff(value), {0xFF, 0xD9}}); }

TEST(Orientation, ClearingSetsTheTagToOneAndMakesAPngChunksChecksumAnew) {
    const std::pair<Bytes, Bytes> cases[] = {{Png(6, {0xD6, 0x67, 0x4B, 0x69}), Png(1, {0x13, 0xC0, 0x75, 0xE7})}, {Jpeg(6), Jpeg(1)}};
    for (auto [photo, cleared] : cases) {
        EXPECT_EQ(PhotoOrientation(photo.data(), photo.size()), 6);
        EXPECT_EQ(ClearOrientation(photo.data(), photo.size()), 6);
        EXPECT_EQ(photo, cleared);
        EXPECT_EQ(PhotoOrientation(photo.data(), photo.size()), 1) << "once cleared";
    }
}

}  // namespace
