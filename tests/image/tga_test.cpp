// What LoadTga and LoadTgaIndexed make of small files put together byte by byte: pixel
// conversion, row placement, packets, colour tables, and the files that are refused.
#include <dirent.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/tga.h"
#include "tests/image/picture_files.h"

namespace {

constexpr uint8_t Mapped = 1, TrueColour = 2, Grey = 3, MappedRle = 9, TrueColourRle = 10,
                  GreyRle = 11;
constexpr uint8_t TopFirst = 0x20;

// A 128-pixel raw packet whose pixel i has the bytes (i, 2i, 255 - i) as blue, green, red.
Bytes RawPacketOf128() {
    Bytes packet = {0x7F};
    for (int i = 0; i < 128; ++i) {
        packet.push_back(static_cast<uint8_t>(i));
        packet.push_back(static_cast<uint8_t>(2 * i));
        packet.push_back(static_cast<uint8_t>(255 - i));
    }
    return packet;
}

std::vector<uint32_t> PixelsOfRawPacketOf128() {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 128; ++i) pixels.push_back((255 - i) | (2 * i) << 8 | i << 16);
    return pixels;
}

// A 300-entry 24-bit map whose entry i is blue i % 256, green 1, red i / 256.
Bytes MapOf300() {
    Bytes map;
    for (int i = 0; i < 300; ++i) {
        map.push_back(static_cast<uint8_t>(i % 256));
        map.push_back(1);
        map.push_back(static_cast<uint8_t>(i / 256));
    }
    return map;
}

struct LoadCase {
    const char* name;
    Bytes file;
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;  // rows from the top
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<LoadCase>& LoadCases() {
    static const std::vector<LoadCase> cases = {
        {"Raw24KeepsRedInTheLowByte", Tga({.imageType = TrueColour}, {{0x10, 0x20, 0x30}}), 1, 1,
         {0x00102030}},
        {"Raw32KeepsAlphaOnTop", Tga({.imageType = TrueColour, .pixelDepth = 32}, {{0x10, 0x20, 0x30, 0x40}}),
         1, 1, {0x40102030}},
        {"Run32", Tga({.imageType = TrueColourRle, .pixelDepth = 32}, {{0x80, 0x10, 0x20, 0x30, 0x40}}), 1, 1,
         {0x40102030}},
        {"RawPacket32", Tga({.imageType = TrueColourRle, .pixelDepth = 32}, {{0x00, 0x10, 0x20, 0x30, 0x40}}),
         1, 1, {0x40102030}},
        {"Raw16ShiftsEachChannelAndDropsBit15",
         Tga({.imageType = TrueColour, .width = 4, .pixelDepth = 16},
             {{0xFF, 0x7F, 0xFF, 0xFF, 0x00, 0x7C, 0x1F, 0x00}}),
         4, 1, {0x00F8F8F8, 0x00F8F8F8, 0x000000F8, 0x00F80000}},
        {"Depth15IsReadAsTwoBytes",
         Tga({.imageType = TrueColourRle, .width = 2, .pixelDepth = 15}, {{0x01, 0x1F, 0x00, 0x00, 0x7C}}), 2,
         1, {0x00F80000, 0x000000F8}},
        {"RunPacketRepeatsOnePixel", Tga({.imageType = TrueColourRle, .width = 4}, {{0x83, 1, 2, 3}}), 4, 1,
         std::vector<uint32_t>(4, 0x00010203)},
        {"RawPacketReadsEachPixel",
         Tga({.imageType = TrueColourRle, .width = 3}, {{0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9}}), 3, 1,
         {0x00010203, 0x00040506, 0x00070809}},
        {"LongestRun", Tga({.imageType = TrueColourRle, .width = 128}, {{0xFF, 1, 2, 3}}), 128, 1,
         std::vector<uint32_t>(128, 0x00010203)},
        {"LongestRawPacket", Tga({.imageType = TrueColourRle, .width = 128}, {RawPacketOf128()}), 128, 1,
         PixelsOfRawPacketOf128()},
        {"MapEntry24",
         Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 6, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {Repeat(0xEE, 15), {0x10, 0x20, 0x30}, {5}}),
         1, 1, {0x00102030}},
        {"MapEntry16",
         Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 1, .colourMapEntrySize = 16,
              .pixelDepth = 8},
             {{0x1F, 0x00}, {0}}),
         1, 1, {0x00F80000}},
        {"MapEntry15IsReadAsTwoBytes",
         Tga({.colourMapType = 1, .imageType = Mapped, .width = 2, .colourMapLength = 2,
              .colourMapEntrySize = 15, .pixelDepth = 8},
             {{0x00, 0x7C, 0x1F, 0x00}, {1, 0}}),
         2, 1, {0x00F80000, 0x000000F8}},
        {"MapEntry32DropsAlpha",
         Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 1, .colourMapEntrySize = 32,
              .pixelDepth = 8},
             {{0x10, 0x20, 0x30, 0x40}, {0}}),
         1, 1, {0x00102030}},
        {"GreyIgnoresItsMap",
         Tga({.colourMapType = 1, .imageType = Grey, .width = 2, .colourMapLength = 1,
              .colourMapEntrySize = 24, .pixelDepth = 8},
             {{1, 2, 3}, {0x80, 0}}),
         2, 1, {0x00808080, 0}},
        {"GreyRle", Tga({.imageType = GreyRle, .width = 2, .pixelDepth = 8}, {{0x81, 0x80}}), 2, 1,
         {0x00808080, 0x00808080}},
        {"MappedDepth16IsOneBytePerPixel",
         Tga({.colourMapType = 1, .imageType = Mapped, .width = 2, .colourMapLength = 2,
              .colourMapEntrySize = 24, .pixelDepth = 16},
             {{1, 2, 3, 4, 5, 6}, {1, 0}}),
         2, 1, {0x00040506, 0x00010203}},
        {"ImageIdOf255IsSkipped", Tga({.idLength = 255}, {Repeat(0xEE, 255), {0x10, 0x20, 0x30}}), 1, 1,
         {0x00102030}},
        {"TrueColourPassesOverItsMap",
         Tga({.colourMapType = 1, .colourMapLength = 10, .colourMapEntrySize = 24},
             {Repeat(0xEE, 30), {0x10, 0x20, 0x30}}),
         1, 1, {0x00102030}},
        {"BottomRowFirst", Tga({.width = 2, .height = 2}, {{0, 0, 1, 0, 0, 2}, {0, 0, 3, 0, 0, 4}}), 2, 2,
         {3, 4, 1, 2}},
        {"TopRowFirst", Tga({.width = 2, .height = 2, .descriptor = TopFirst}, {{0, 0, 1, 0, 0, 2}, {0, 0, 3, 0, 0, 4}}),
         2, 2, {1, 2, 3, 4}},
        {"RleBottomRowFirst",
         Tga({.imageType = TrueColourRle, .width = 2, .height = 2}, {{0x01, 0, 0, 1, 0, 0, 2}, {0x81, 0, 0, 3}}),
         2, 2, {3, 3, 1, 2}},
        {"RleTopRowFirst",
         Tga({.imageType = TrueColourRle, .width = 2, .height = 2, .descriptor = TopFirst},
             {{0x01, 0, 0, 1, 0, 0, 2}, {0x81, 0, 0, 3}}),
         2, 2, {1, 2, 3, 3}},
        // Packets reaching past a row's end continue into the next row of the file.
        {"RunCarriesIntoNextRow",
         Tga({.imageType = TrueColourRle, .width = 3, .height = 2, .descriptor = TopFirst},
             {{0x84, 0, 0, 1}, {0x80, 0, 0, 2}}),
         3, 2, {1, 1, 1, 1, 1, 2}},
        {"RawPacketCarriesIntoNextRow",
         Tga({.imageType = TrueColourRle, .width = 3, .height = 2},
             {{0x04, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5}, {0x00, 0, 0, 6}}),
         3, 2, {4, 5, 6, 1, 2, 3}},
        {"SurplusPastLastRowIsDropped", Tga({.imageType = TrueColourRle, .width = 2}, {{0x85, 0, 0, 7}}), 2, 1,
         {7, 7}},
        {"MappedRleCarriesIntoNextRow",
         Tga({.colourMapType = 1, .imageType = MappedRle, .width = 3, .height = 2, .colourMapLength = 2,
              .colourMapEntrySize = 24, .pixelDepth = 8, .descriptor = TopFirst},
             {{0, 0, 1, 0, 0, 2}, {0x84, 1, 0x00, 0}}),
         3, 2, {2, 2, 2, 2, 2, 1}},
        // Slots past the 256th cannot be named by an index; the pixels follow the whole map.
        {"MapOf300EntriesIsReadPast",
         Tga({.colourMapType = 1, .imageType = Mapped, .width = 2, .colourMapLength = 300,
              .colourMapEntrySize = 24, .pixelDepth = 8},
             {MapOf300(), {255, 0}}),
         2, 1, {0xFF0100, 0x000100}},
        {"IndexPastTheMapIsBlack",
         Tga({.colourMapType = 1, .imageType = Mapped, .width = 2, .colourMapLength = 2,
              .colourMapEntrySize = 24, .pixelDepth = 8},
             {{9, 9, 9, 8, 8, 8}, {1, 7}}),
         2, 1, {0x00080808, 0}},
        {"EmptyMapIsBlack",
         Tga({.colourMapType = 1, .imageType = MappedRle, .width = 2, .colourMapEntrySize = 24, .pixelDepth = 8},
             {{0x81, 9}}),
         2, 1, {0, 0}},
        // A file cut inside its pixels loads; whatever it did not supply is black, not the
        // colour of slot 0, and wherever the missing rows lie.
        {"CutInsideRawRowsTopFirst",
         Tga({.width = 3, .height = 2, .descriptor = TopFirst}, {{0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}}), 3,
         2, {1, 2, 3, 4, 0, 0}},
        {"CutInsideRawRowsBottomFirst", Tga({.width = 3, .height = 2}, {{0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0}}),
         3, 2, {4, 0, 0, 1, 2, 3}},
        {"CutInsideMappedRunIsBlackNotSlotZero",
         Tga({.colourMapType = 1, .imageType = MappedRle, .width = 2, .height = 2, .colourMapLength = 2,
              .colourMapEntrySize = 24, .pixelDepth = 8, .descriptor = TopFirst},
             {{0xFF, 0xFF, 0xFF, 0, 0, 5}, {0x80, 1, 0x01}}),
         2, 2, {5, 0, 0, 0}},
        {"ZeroHeightReadsNothing", Tga({.width = 5, .height = 0}, {{1, 2, 3}}), 5, 0, {}},
        {"ZeroWidthWritesNothing", Tga({.imageType = TrueColourRle, .width = 0, .height = 3}, {{0xFF, 1, 2, 3}}),
         0, 3, {}},
    };
    return cases;
}

class LoadTgaCases : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTgaCases, GivesThePixelsOfTheFile) {
    const LoadCase& c = GetParam();
    ScratchDir dir;
    Image* image = LoadTga(dir.Write("case.tga", c.file).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    const std::vector<uint32_t> pixels(image->pixels, image->pixels + c.pixels.size());
    EXPECT_EQ(pixels, c.pixels);
    FreeImage(image);
}

INSTANTIATE_TEST_SUITE_P(Tga, LoadTgaCases, testing::ValuesIn(LoadCases()),
                         CaseName<LoadCase>);

struct RefusedCase {
    const char* name;
    Bytes file;
    const char* reason;  // what TgaFailureReason tells
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<RefusedCase>& RefusedCases() {
    static const std::vector<RefusedCase> cases = [] {
        std::vector<RefusedCase> list = {
            {"MapEntrySize8", Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 2,
                                   .colourMapEntrySize = 8, .pixelDepth = 8},
                                  {{1, 2}, {0}}),
             "colour map entry size 8 not supported"},
            {"MapEntrySize240", Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 1,
                                     .colourMapEntrySize = 240, .pixelDepth = 8},
                                    {Repeat(1, 30), {0}}),
             "colour map entry size 240 not supported"},
            {"CutInsideHeader", Bytes{0, 0, 3, 0, 0, 0, 0, 0, 0, 0}, "file ends inside the header"},
            {"CutInsideId", Tga({.idLength = 255, .imageType = Grey}, {Repeat(0xEE, 100)}),
             "file ends inside the image ID"},
            {"CutInsideMap", Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 10,
                                  .colourMapEntrySize = 24, .pixelDepth = 8},
                                 {Repeat(1, 20)}),
             "file ends inside the colour map"},
            {"Empty", {}, "empty file"},
            {"Text", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', ' ', 'a', 't', ' ', 'a',
                           'l', 'l'},
             "not a TGA file"},
        };
        static const char* typeNames[] = {"Type0", "Type4", "Type5", "Type6", "Type7",
                                          "Type8", "Type12", "Type13", "Type14", "Type15"};
        static const char* typeReasons[] = {
            "unsupported image type 0",  "unsupported image type 4",  "unsupported image type 5",
            "unsupported image type 6",  "unsupported image type 7",  "unsupported image type 8",
            "unsupported image type 12", "unsupported image type 13", "unsupported image type 14",
            "unsupported image type 15"};
        const uint8_t types[] = {0, 4, 5, 6, 7, 8, 12, 13, 14, 15};
        for (size_t i = 0; i < std::size(types); ++i) {
            list.push_back(
                {typeNames[i], Tga({.imageType = types[i], .pixelDepth = 8}, {{0, 0, 0, 0}}), typeReasons[i]});
        }
        return list;
    }();
    return cases;
}

size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

class RefusedTga : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTga, GivesNullWithTheReasonAndClosesTheFile) {
    ScratchDir dir;
    const std::string path = dir.Write("case.tga", GetParam().file);
    const size_t before = OpenDescriptors();
    EXPECT_EQ(LoadTga(path.c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), GetParam().reason);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(LoadTgaIndexed(path.c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Tga, RefusedTga, testing::ValuesIn(RefusedCases()),
                         CaseName<RefusedCase>);

TEST(Tga, UnreadablePathGivesNullWithTheSystemsReason) {
    ScratchDir dir;
    EXPECT_EQ(LoadTga(dir.File("absent.tga").c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "No such file or directory");
    EXPECT_EQ(LoadTgaIndexed(dir.File("absent.tga").c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "No such file or directory");
#ifndef _WIN32  // Windows refuses to open a folder at all
    EXPECT_EQ(LoadTga(dir.path().c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "Is a directory");
#endif
}

TEST(Tga, SizeCheckRefusesBeforeAnyPixelIsRead) {
    ScratchDir dir;
    // Declares 65535 x 65535 in 18 bytes; the check alone must end the load.
    const std::string path = dir.Write("huge.tga", Tga({.imageType = Grey, .width = 65535, .height = 65535}, {}));
    static int32_t askedWidth, askedHeight;
    const TgaSizeCheck refuse = [](int32_t width, int32_t height) {
        askedWidth = width;
        askedHeight = height;
        return false;
    };
    EXPECT_EQ(LoadTga(path.c_str(), refuse), nullptr);
    EXPECT_EQ(LoadTgaIndexed(path.c_str(), refuse), nullptr);
    EXPECT_EQ(askedWidth, 65535);
    EXPECT_EQ(askedHeight, 65535);
}

TEST(Tga, EveryTypeItReadsLoads) {
    ScratchDir dir;
    for (uint8_t type : {Mapped, TrueColour, Grey, MappedRle, TrueColourRle, GreyRle}) {
        const bool rle = type & 8;
        const bool truecolour = (type & 7) == 2;
        const Bytes pixel = truecolour ? Bytes{1, 2, 3} : Bytes{0};
        Image* image = LoadTga(dir.Write("t.tga", Tga({.imageType = type, .pixelDepth = uint8_t(truecolour ? 24 : 8)},
                                                      {rle ? Bytes{0} : Bytes{}, pixel}))
                                   .c_str());
        EXPECT_NE(image, nullptr) << "type " << int(type);
        FreeImage(image);
    }
}

struct IndexedCase {
    const char* name;
    Bytes file;
    int32_t width;
    int32_t height;
    std::vector<uint8_t> indices;
    int32_t paletteSize;
    std::vector<uint32_t> palette;  // the whole block: at least one entry per byte value
};

// Display order, blue in the low byte.
std::vector<uint32_t> GreyPalette() {
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | i << 8 | i;
    return palette;
}

std::vector<uint32_t> BlackPaletteWith(size_t index, uint32_t colour) {
    std::vector<uint32_t> palette(256, 0);
    palette[index] = colour;
    return palette;
}

void PrintTo(const IndexedCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<IndexedCase>& IndexedCases() {
    static const std::vector<IndexedCase> cases = {
        {"PaletteIsInDisplayOrder",
         Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 6, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {Repeat(0, 15), {0x10, 0x20, 0x30}, {5}}),
         1, 1, {5}, 6, BlackPaletteWith(5, 0x00302010)},
        {"MappedWithoutMapIsBlack", Tga({.imageType = Mapped, .width = 2, .pixelDepth = 8}, {{0, 200}}), 2, 1,
         {0, 200}, 0, std::vector<uint32_t>(256, 0)},
        {"GreyWithoutMapKeepsLevels", Tga({.imageType = Grey, .width = 3, .pixelDepth = 8}, {{0, 0x80, 0xFF}}), 3,
         1, {0, 0x80, 0xFF}, 0, GreyPalette()},
        {"GreyWithShortMapHasEveryLevel",
         Tga({.colourMapType = 1, .imageType = Grey, .colourMapLength = 10, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {Repeat(0x40, 30), {255}}),
         1, 1, {255}, 10, GreyPalette()},
        {"BottomRowFirst", Tga({.imageType = Grey, .width = 2, .height = 2, .pixelDepth = 8}, {{1, 2, 3, 4}}), 2, 2,
         {3, 4, 1, 2}, 0, GreyPalette()},
        {"TopRowFirst",
         Tga({.imageType = Grey, .width = 2, .height = 2, .pixelDepth = 8, .descriptor = TopFirst}, {{1, 2, 3, 4}}),
         2, 2, {1, 2, 3, 4}, 0, GreyPalette()},
        {"RunPacket", Tga({.imageType = GreyRle, .width = 4, .pixelDepth = 8}, {{0x83, 7}}), 4, 1, {7, 7, 7, 7}, 0,
         GreyPalette()},
        {"RawPacketCarriesIntoNextRow",
         Tga({.imageType = GreyRle, .width = 2, .height = 2, .pixelDepth = 8, .descriptor = TopFirst},
             {{0x02, 1, 2, 3}, {0x00, 4}}),
         2, 2, {1, 2, 3, 4}, 0, GreyPalette()},
        {"MapOf300KeepsItsLengthAndBlackensUnreachableEntries",
         Tga({.colourMapType = 1, .imageType = Mapped, .colourMapLength = 300, .colourMapEntrySize = 24,
              .pixelDepth = 8},
             {MapOf300(), {255}}),
         1, 1, {255}, 300, [] {
             std::vector<uint32_t> palette(300, 0);
             for (uint32_t i = 0; i < 256; ++i) palette[i] = 0x000100 | i;
             return palette;
         }()},
        {"CutInsidePixelsLeavesZeros",
         Tga({.imageType = Grey, .width = 2, .height = 2, .pixelDepth = 8}, {{1, 2, 3}}), 2, 2, {3, 0, 1, 2}, 0,
         GreyPalette()},
    };
    return cases;
}

class LoadTgaIndexedCases : public testing::TestWithParam<IndexedCase> {};

TEST_P(LoadTgaIndexedCases, KeepsIndicesAndPalette) {
    const IndexedCase& c = GetParam();
    ScratchDir dir;
    IndexedImage* image = LoadTgaIndexed(dir.Write("case.tga", c.file).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(std::vector<uint8_t>(image->indices, image->indices + c.indices.size()), c.indices);
    EXPECT_EQ(image->paletteSize, c.paletteSize);
    EXPECT_EQ(std::vector<uint32_t>(image->palette, image->palette + c.palette.size()), c.palette);
    FreeIndexedImage(image);
}

INSTANTIATE_TEST_SUITE_P(Tga, LoadTgaIndexedCases, testing::ValuesIn(IndexedCases()),
                         CaseName<IndexedCase>);

TEST(TgaIndexed, RefusesTrueColour) {
    ScratchDir dir;
    EXPECT_EQ(LoadTgaIndexed(dir.Write("t.tga", Tga({.imageType = TrueColour}, {{1, 2, 3}})).c_str()), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "image type 2 is true-colour, not indexed");
    EXPECT_EQ(LoadTgaIndexed(dir.Write("t.tga", Tga({.imageType = TrueColourRle}, {{0x80, 1, 2, 3}})).c_str()),
              nullptr);
    EXPECT_STREQ(TgaFailureReason(), "image type 10 is true-colour, not indexed");
}

}  // namespace
