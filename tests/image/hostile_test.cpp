// Hostile and broken TGA files: each must load cleanly as null, or as a picture of the
// size its header gives whose pixels the file did not supply are black. Run under the
// address and undefined-behaviour sanitizers, any stray access fails the case.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/tga.h"
#include "tests/image/picture_files.h"

namespace {

constexpr uint8_t TopFirst = 0x20;

enum class Outcome { Null, Loads };

struct HostileCase {
    const char* name;
    Bytes file;
    Outcome outcome;
    std::vector<uint32_t> supplied;  // the first pixels of the picture; all others black
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

// An 18-byte header of a 24-bit picture followed by bytes 1, 2, 3, ...
Bytes TrueColourWithBytes(uint16_t width, uint16_t height, size_t count) {
    Bytes data(count);
    for (size_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(i + 1);
    return Tga({.width = width, .height = height, .descriptor = TopFirst}, {data});
}

const std::vector<HostileCase>& HostileCases() {
    static const std::vector<HostileCase> cases = {
        {"EmptyMapOnRleMappedFile",
         Tga({.colourMapType = 1, .imageType = 9, .width = 4, .height = 2, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {{0x87, 3}}),
         Outcome::Loads, {}},
        {"IndexBeyondMap",
         Tga({.colourMapType = 1, .imageType = 1, .width = 2, .colourMapLength = 2, .colourMapEntrySize = 24,
              .pixelDepth = 8, .descriptor = TopFirst},
             {{1, 1, 1, 2, 2, 2}, {1, 200}}),
         Outcome::Loads, {0x020202}},
        {"MapOf300Entries",
         Tga({.colourMapType = 1, .imageType = 9, .width = 2, .colourMapLength = 300, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {Repeat(4, 900), {0x81, 255}}),
         Outcome::Loads, {0x040404, 0x040404}},
        {"MapEntrySize8",
         Tga({.colourMapType = 1, .imageType = 1, .colourMapLength = 4, .colourMapEntrySize = 8, .pixelDepth = 8},
             {{1, 2, 3, 4, 0}}),
         Outcome::Null, {}},
        {"MapEntrySize15",
         Tga({.colourMapType = 1, .imageType = 1, .colourMapLength = 1, .colourMapEntrySize = 15, .pixelDepth = 8},
             {{0x1F, 0x00, 0}}),
         Outcome::Loads, {0xF80000}},
        {"MapEntrySize240",
         Tga({.colourMapType = 1, .imageType = 1, .colourMapLength = 4, .colourMapEntrySize = 240,
              .pixelDepth = 8},
             {Repeat(1, 200)}),
         Outcome::Null, {}},
        {"RunPastRowAndImageEnd",
         Tga({.imageType = 10, .width = 3, .height = 2, .descriptor = TopFirst}, {{0xFF, 0, 0, 9}}),
         Outcome::Loads, std::vector<uint32_t>(6, 9)},
        {"RawPacketPastImageEnd",
         Tga({.imageType = 10, .width = 2, .height = 1, .descriptor = TopFirst}, {{0x7F}, Repeat(7, 384)}),
         Outcome::Loads, {0x070707, 0x070707}},
        {"RawPacketPastFileEnd",
         Tga({.imageType = 10, .width = 8, .height = 8, .descriptor = TopFirst}, {{0x7F, 0, 0, 1, 0, 0}}),
         Outcome::Loads, {1}},
        {"CutInsideHeader", Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0}, Outcome::Null, {}},
        {"CutInsideId", Tga({.idLength = 255}, {Repeat(0, 254)}), Outcome::Null, {}},
        {"CutInsideMap",
         Tga({.colourMapType = 1, .imageType = 1, .colourMapLength = 256, .colourMapEntrySize = 32,
              .pixelDepth = 8},
             {Repeat(1, 1023)}),
         Outcome::Null, {}},
        {"CutInsidePixels", TrueColourWithBytes(4, 4, 8), Outcome::Loads, {0x010203, 0x040506}},
        {"HugeWithTwentyBytes", TrueColourWithBytes(65535, 65535, 20), Outcome::Loads,
         {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112}},
        {"ZeroWidthWithRleData", Tga({.imageType = 10, .width = 0, .height = 5}, {{0xFF, 1, 2, 3, 0x7F}}),
         Outcome::Loads, {}},
        {"ZeroHeight", Tga({.imageType = 9, .width = 5, .height = 0, .pixelDepth = 8}, {{0xFF, 1}}),
         Outcome::Loads, {}},
        {"ZeroBoth", TgaHeaderBytes({.width = 0, .height = 0}), Outcome::Loads, {}},
    };
    return cases;
}

class HostileTga : public testing::TestWithParam<HostileCase> {};

// Every pixel of a small picture, and an even spread over a huge one whose untouched
// pages are better left unmapped.
std::vector<size_t> PixelsToCheck(size_t count) {
    std::vector<size_t> at;
    const size_t step = count <= (1u << 20) ? 1 : count / 4096 + 1;
    for (size_t i = 0; i < count; i += step) at.push_back(i);
    if (count > 0) at.push_back(count - 1);
    return at;
}

TEST_P(HostileTga, LoadsCleanlyOrNotAtAll) {
    const HostileCase& c = GetParam();
    ScratchDir dir;
    const std::string path = dir.Write("hostile.tga", c.file);
    const uint16_t width = c.file.size() >= 18 ? static_cast<uint16_t>(c.file[12] | c.file[13] << 8) : 0;
    const uint16_t height = c.file.size() >= 18 ? static_cast<uint16_t>(c.file[14] | c.file[15] << 8) : 0;

    Image* image = LoadTga(path.c_str());
    if (c.outcome == Outcome::Null) {
        EXPECT_EQ(image, nullptr);
    } else if (image != nullptr || width < 65535) {
        // Only a picture too large for this machine's memory may come back null here.
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        const size_t count = size_t{width} * height;
        for (size_t i : PixelsToCheck(count)) {
            const uint32_t expected = i < c.supplied.size() ? c.supplied[i] : 0;
            ASSERT_EQ(image->pixels[i], expected) << "pixel " << i;
        }
    }
    FreeImage(image);

    IndexedImage* indexed = LoadTgaIndexed(path.c_str());
    if (indexed != nullptr) {
        EXPECT_EQ(indexed->width, width);
        EXPECT_EQ(indexed->height, height);
        for (size_t i : PixelsToCheck(size_t{width} * height)) (void)indexed->indices[i];
    }
    FreeIndexedImage(indexed);
}

INSTANTIATE_TEST_SUITE_P(Tga, HostileTga, testing::ValuesIn(HostileCases()),
                         CaseName<HostileCase>);

}  // namespace
