// Both TGA loads on files made byte by byte, hostile ones too, and Pillow's and ImageMagick's; refusals; packets.
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "image/reason.h"
#include "image/tga.h"
#include "image/tga_writer.h"
#include "tests/support/working_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;
constexpr uint8_t Top = 0x20;

// A 300-entry 24-bit map whose entry i is blue i % 256, green 1, red i / 256.
Bytes MapOf300() {
    Bytes map;
    for (int i = 0; i < 300; ++i) map.insert(map.end(), {uint8_t(i % 256), 1, uint8_t(i / 256)});
    return map;
}

// A colour-mapped 8-bit layout with a map of `entries` entries of `size` bits.
TgaLayout Mapped(uint16_t width, uint16_t entries, uint8_t size = 24, uint8_t type = 1, uint8_t descriptor = 0,
                 uint16_t height = 1) {
    return {.colourMapType = 1, .imageType = type, .width = width, .height = height, .colourMapLength = entries,
            .colourMapEntrySize = size, .pixelDepth = 8, .descriptor = descriptor};
}

struct LoadCase {
    const char* name;
    TgaLayout layout;
    std::vector<Bytes> parts;
    Pixels pixels;  // rows from the top, image order
};


const LoadCase LoadCases[] = {
    {"Raw24", {}, {{0x10, 0x20, 0x30}}, {0x102030}},
    {"Run32", {.imageType = 10, .pixelDepth = 32}, {{0x80, 0x10, 0x20, 0x30, 0x40}}, {0x40102030}},
    {"Raw16DropsBit15", {.width = 4, .pixelDepth = 16}, {{0xFF, 0x7F, 0xFF, 0xFF, 0x00, 0x7C, 0x1F, 0x00}},
     {0xF8F8F8, 0xF8F8F8, 0x0000F8, 0xF80000}},
    {"Rle15", {.imageType = 10, .width = 2, .pixelDepth = 15}, {{0x01, 0x1F, 0x00, 0x00, 0x7C}}, {0xF80000, 0xF8}},
    {"LongestRun", {.imageType = 10, .width = 128}, {{0xFF, 1, 2, 3}}, Pixels(128, 0x010203)},
    {"MapEntry24", Mapped(1, 6), {Bytes(15, 0xEE), {0x10, 0x20, 0x30}, {5}}, {0x102030}},
    {"MapEntry16", Mapped(1, 1, 16), {{0x1F, 0x00}, {0}}, {0xF80000}},
    {"MapEntry15", Mapped(2, 2, 15), {{0x00, 0x7C, 0x1F, 0x00}, {1, 0}}, {0xF80000, 0xF8}},
    {"MapEntry32DropsAlpha", Mapped(1, 1, 32), {{0x10, 0x20, 0x30, 0x40}, {0}}, {0x102030}},
    {"MappedDepth16IsOneBytePerPixel", {.colourMapType = 1, .imageType = 1, .width = 2, .colourMapLength = 2,
     .colourMapEntrySize = 24, .pixelDepth = 16}, {{1, 2, 3, 4, 5, 6}, {1, 0}}, {0x040506, 0x010203}},
    {"GreyIgnoresItsMap", Mapped(2, 1, 24, 3), {{1, 2, 3}, {0x80, 0}}, {0x808080, 0}},
    {"GreyRle", {.imageType = 11, .width = 2, .pixelDepth = 8}, {{0x81, 0x80}}, {0x808080, 0x808080}},
    {"ImageIdIsSkipped", {.idLength = 255}, {Bytes(255, 0xEE), {0x10, 0x20, 0x30}}, {0x102030}},
    {"TrueColourPassesOverItsMap", {.colourMapType = 1, .colourMapLength = 10, .colourMapEntrySize = 24},
     {Bytes(30, 0xEE), {0x10, 0x20, 0x30}}, {0x102030}},
    // Packets reaching past a row's end continue into the next row of the file.
    {"RunCarriesIntoNextRow", {.imageType = 10, .width = 3, .height = 2, .descriptor = Top},
     {{0x00, 0, 0, 9, 0x83, 0, 0, 1, 0x80, 0, 0, 2}}, {9, 1, 1, 1, 1, 2}},
    {"RawPacketCarriesIntoNextRow", {.imageType = 10, .width = 3, .height = 2},
     {{0x04, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 0x00, 0, 0, 6}}, {4, 5, 6, 1, 2, 3}},
    {"MappedRunCarriesIntoNextRow", Mapped(3, 2, 24, 9, Top, 2), {{0, 0, 1, 0, 0, 2}, {0x84, 1, 0x00, 0}}, {2, 2, 2, 2, 2, 1}},
    {"MapOf300IsReadPast", Mapped(2, 300), {MapOf300(), {255, 0}}, {0xFF0100, 0x000100}},
    {"IndexPastTheMapIsBlack", Mapped(2, 2), {{9, 9, 9, 8, 8, 8}, {1, 7}}, {0x080808, 0}},
    {"MappedWithoutMapIsBlack", {.imageType = 1, .width = 2, .pixelDepth = 8}, {{0, 200}}, {0, 0}},
    // Whatever a file cut short did not supply is black, not the colour of slot 0.
    {"CutRowsTopFirst", {.width = 3, .height = 2, .descriptor = Top}, {{0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}},
     {1, 2, 3, 4, 0, 0}},
    {"CutRowsBottomFirst", {.width = 3, .height = 2}, {{0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0}}, {4, 0, 0, 1, 2, 3}},
    {"CutMappedRunIsBlack", Mapped(2, 2, 24, 9, Top, 2), {{0xFF, 0xFF, 0xFF, 0, 0, 5}, {0x80, 1, 0x01}}, {5, 0, 0, 0}},
    {"CutGreyRowsBottomFirst", {.imageType = 3, .width = 2, .height = 2, .pixelDepth = 8}, {{1, 2, 3}},
     {0x030303, 0, 0x010101, 0x020202}},
    {"ZeroHeightWithRleData", {.imageType = 9, .width = 5, .height = 0, .pixelDepth = 8}, {{0xFF, 1}}, {}},
    {"HostileEmptyMapOnRleMappedFile", Mapped(4, 0, 24, 9, 0, 2), {{0x87, 3}}, Pixels(8, 0)},
    {"HostileMapOf300Entries", Mapped(2, 300, 24, 9), {Bytes(900, 4), {0x81, 255}}, {0x040404, 0x040404}},
    {"HostileRunPastRowAndImageEnd", {.imageType = 10, .width = 3, .height = 2, .descriptor = Top}, {{0xFF, 0, 0, 9}},
     Pixels(6, 9)},
    {"HostileRawPacketPastImageEnd", {.imageType = 10, .width = 2, .descriptor = Top}, {{0x7F}, Bytes(384, 7)},
     {0x070707, 0x070707}},
    {"HostileRawPacketPastFileEnd", {.imageType = 10, .width = 8, .height = 8, .descriptor = Top}, {{0x7F, 0, 0, 1, 0, 0}}, {1}},
    {"HostileHugeWithTwentyBytes", {.width = 65535, .height = 65535, .descriptor = Top}, {Bytes(20, 1)}, Pixels(6, 0x010101)},
    {"HostileZeroWidthWithRleData", {.imageType = 10, .width = 0, .height = 5}, {{0xFF, 1, 2, 3, 0x7F}}, {}},
};

// A pattern where the next calls keep their locals: a colour table the reader forgot to clear is not zero by chance.
[[gnu::noinline]] void SoilTheStack() {
    volatile uint8_t junk[1 << 16];
    for (auto& byte : junk) byte = 0x5A;
}

// Every pixel of a small picture; an even spread over a huge one, whose untouched pages are better left unmapped.
std::vector<size_t> PixelsToCheck(size_t count) {
    std::vector<size_t> at;
    for (size_t i = 0; i < count; i += count <= (1u << 20) ? 1 : count / 4096 + 1) at.push_back(i);
    if (count > 0) at.push_back(count - 1);
    return at;
}

class Load : public testing::TestWithParam<LoadCase> {};

// Both loads give the same colours: the indexed one through its palette, in display order.
TEST_P(Load, GivesThePixelsOfTheFile) {
    const LoadCase& c = GetParam();
    const Bytes file = TgaFile(c.layout, c.parts);
    const size_t count = size_t{c.layout.width} * c.layout.height;
    SoilTheStack();
    Image* image = LoadTgaFromMemory(file.data(), file.size());
    // Only a picture too large for this machine's memory may come back null, and only for that reason.
    const std::string why = image == nullptr ? LastReason() : "";
    if (why == "out of memory" || (why == "too large to hold in memory" && sizeof(size_t) == 4)) return;
    ASSERT_NE(image, nullptr) << LastReason();
    EXPECT_EQ(std::pair(image->width, image->height), (std::pair<int32_t, int32_t>(c.layout.width, c.layout.height)));
    for (size_t i : PixelsToCheck(count)) ASSERT_EQ(image->pixels[i], i < c.pixels.size() ? c.pixels[i] : 0) << "pixel " << i;
    FreeImage(image);
    if ((c.layout.imageType & 7) == 2) return;
    SoilTheStack();
    IndexedImage* indexed = LoadTgaIndexedFromMemory(file.data(), file.size());
    ASSERT_NE(indexed, nullptr) << LastReason();
    EXPECT_EQ(indexed->paletteSize, c.layout.colourMapLength);
    // Where a file cut short supplied nothing the index is 0, whatever colour slot 0 holds.
    for (size_t i : PixelsToCheck(count)) {
        const uint32_t expected = i < c.pixels.size() ? c.pixels[i] : 0, colour = indexed->palette[indexed->indices[i]];
        if (expected == 0 && indexed->indices[i] == 0) continue;
        ASSERT_EQ((colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16, expected) << "colour of index " << i;
    }
    FreeIndexedImage(indexed);
}

TEST(TgaIndexed, KeepsIndicesAndBlackensEntriesNoIndexCanName) {
    const Bytes file = TgaFile(Mapped(2, 300, 24, 1, Top), {MapOf300(), {255, 7}});
    IndexedImage* image = LoadTgaIndexedFromMemory(file.data(), file.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Bytes(image->indices, image->indices + 2), (Bytes{255, 7}));
    EXPECT_EQ(image->palette[7], 0x000107u);
    EXPECT_EQ(Pixels(image->palette + 256, image->palette + 300), Pixels(44, 0));
    FreeIndexedImage(image);
}

INSTANTIATE_TEST_SUITE_P(Tga, Load, testing::ValuesIn(LoadCases), [](const auto& p) { return p.param.name; });

// A run of two or more values is a header and one value, a raw stretch ends where a run begins; 128 values at most.
TEST(RunLengthEncode, PacksRunsOf128AtMostAndRawStretchesUpToTheNextRun) {
    const std::tuple<Bytes, size_t, Bytes> cases[] = {
        {{1, 2, 3}, 1, {0x02, 1, 2, 3}}, {{5, 5, 5, 1, 2}, 1, {0x82, 5, 0x01, 1, 2}}, {{1, 2, 2}, 1, {0x00, 1, 0x81, 2}},
        {Bytes(130, 7), 1, {0xFF, 7, 0x81, 7}}, {{1, 2, 1, 2, 3, 4}, 2, {0x81, 1, 2, 0x00, 3, 4}}, {Bytes(), 1, Bytes()}};
    for (const auto& [values, valueBytes, packets] : cases) {
        EXPECT_EQ(RunLengthEncode(values, valueBytes), packets) << values.size() << " values of " << valueBytes << " bytes";
    }
}

struct RefusedCase {
    std::string name;
    Bytes file;
    std::string reason;  // what LastReason tells
};

std::vector<RefusedCase> RefusedCases() {
    std::vector<RefusedCase> cases = {
        {"MapEntrySize8", TgaFile(Mapped(1, 2, 8), {{1, 2, 0}}), "colour map entry size 8 not supported"},
        {"MapEntrySize240", TgaFile(Mapped(1, 1, 240), {Bytes(31, 1)}), "colour map entry size 240 not supported"},
        {"CutInsideHeader", {0, 0, 3, 0, 0, 0, 0, 0, 0, 0}, "file ends inside the header"},
        {"CutInsideId", TgaFile({.idLength = 255, .imageType = 3}, {Bytes(100, 0xEE)}), "file ends inside the image ID"},
        {"CutInsideMap", TgaFile(Mapped(1, 10), {Bytes(20, 1)}), "file ends inside the colour map"},
        {"Empty", {}, "empty file"},
        {"Text", Bytes(std::begin("not a picture at all"), std::end("not a picture at all")), "not a TGA file"},
        {"MapTypeBeyondOne", TgaFile({.colourMapType = 2, .imageType = 4}, {{0, 0, 0, 0}}), "not a TGA file"},
    };
    for (int type : {0, 4, 5, 6, 7, 8, 12, 13, 14, 15}) {
        cases.push_back({"Type" + std::to_string(type), TgaFile({.imageType = uint8_t(type)}, {{0, 0, 0, 0}}),
                         "unsupported image type " + std::to_string(type)});
    }
    return cases;
}

class Refused : public testing::TestWithParam<RefusedCase> {};

// What each load, true-colour then indexed, says of a file it must refuse: its reason, or "loaded".
std::pair<std::string, std::string> Refusals(const char* path, TgaSizeCheck accept = nullptr) {
    Image* image = LoadTga(path, accept);
    const std::string trueColour = image == nullptr ? LastReason() : "loaded";
    IndexedImage* indexed = LoadTgaIndexed(path, accept);
    const std::pair reasons(trueColour, std::string(indexed == nullptr ? LastReason() : "loaded"));
    FreeImage(image);
    FreeIndexedImage(indexed);
    return reasons;
}

TEST_P(Refused, GivesNullWithTheReasonAndClosesTheFile) {
    WorkingFolder folder;
    ASSERT_STREQ(WriteFileBytes("case.tga", GetParam().file), nullptr);
    // This process's open descriptors; 0 on Windows, where Wine would list its own, which come and go.
    const auto descriptors = [] {
#ifdef _WIN32
        return std::ptrdiff_t{0};
#endif
        std::error_code error;
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd", error), {});
    };
    const auto before = descriptors();
    EXPECT_EQ(Refusals("case.tga"), std::pair(GetParam().reason, GetParam().reason));
    EXPECT_EQ(descriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(Tga, Refused, testing::ValuesIn(RefusedCases()), [](const auto& p) { return p.param.name; });

TEST(Tga, RefusalsOutsideTheFile) {
    WorkingFolder folder;
    const std::string absent = "No such file or directory", huge = "refused by its size";
    EXPECT_EQ(Refusals("absent.tga"), std::pair(absent, absent));
    EXPECT_STREQ(WriteFileBytes("absent/out.tga", {}), absent.c_str());
    // A folder under the name is named as one on Windows too, which would call it a denied permission.
    std::filesystem::create_directory("folder.tga");
    EXPECT_EQ(Refusals("folder.tga"), std::pair(std::string("Is a directory"), std::string("Is a directory")));
    ASSERT_STREQ(WriteFileBytes("rgb.tga", TgaFile({.imageType = 10}, {{0x80, 1, 2, 3}})), nullptr);
    EXPECT_EQ(Refusals("rgb.tga"), std::pair(std::string("loaded"), std::string("image type 10 is true-colour, not indexed")));
    // 65535 x 65535 declared in 18 bytes: the size check alone must end the load.
    ASSERT_STREQ(WriteFileBytes("huge.tga", TgaFile({.imageType = 3, .width = 65535, .height = 65535}, {})), nullptr);
    static int32_t asked[2];
    const TgaSizeCheck refuse = [](int32_t width, int32_t height) {
        return asked[0] = width, asked[1] = height, "refused by its size";
    };
    EXPECT_EQ(Refusals("huge.tga", refuse), std::pair(huge, huge));
    EXPECT_EQ(std::pair(asked[0], asked[1]), std::pair(65535, 65535));
}

// Windows and the web keep no address-space limit, nor Pillow; under the sanitizer each allocation is capped at 1 GiB.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
TEST(Tga, RefusalsWithoutMemory) {
    const Bytes huge = TgaFile(Mapped(65535, 1, 24, 1, 0, 65535), {{1, 2, 3}});
    rlimit previous{};
    getrlimit(RLIMIT_AS, &previous);
#ifndef __SANITIZE_ADDRESS__
    const rlimit limited{rlim_t{1} << 30, previous.rlim_max};  // too little for the pixels, enough for the rest
    setrlimit(RLIMIT_AS, &limited);
#endif
    Image* image = LoadTgaFromMemory(huge.data(), huge.size());
    const std::string reason = LastReason();
    IndexedImage* indexed = LoadTgaIndexedFromMemory(huge.data(), huge.size());
    Image* blank = NewImage(65535, 65535);
    setrlimit(RLIMIT_AS, &previous);
    EXPECT_EQ(blank, nullptr) << "a blank picture larger than memory";
    EXPECT_EQ(std::pair(image, indexed), (std::pair<Image*, IndexedImage*>(nullptr, nullptr))) << "true-colour, indexed";
    // In a 32-bit address space the true-colour pixels' size does not even fit in size_t.
    const std::string trueColour = sizeof(size_t) < 8 ? "too large to hold in memory" : "out of memory";
    EXPECT_EQ(reason + ", " + LastReason(), trueColour + ", out of memory");
}

// Rows across the reader's 64 KiB blocks in every kind of file from Pillow (ImageMagick at 16 bits): loads of the
// file, from memory and re-packed by our writer give what Pillow reads.
struct EdgeCase { const char *name, *mode; bool rle, topFirst; uint8_t imageType, depth; size_t width, cut = 0; };
void PrintTo(const EdgeCase& c, std::ostream* out) { *out << c.name; }

// Raw rows over a block at 24 and 32 bits, shorter ones across its edge; mode: Pillow's, "BGR;5" for ImageMagick's 16 bits.
const EdgeCase EdgeCases[] = {
    {"Grey", "L", false, false, 3, 8, 25000},          {"GreyRle", "L", true, true, 11, 8, 25000},
    {"Mapped", "P", false, true, 1, 8, 25000},         {"MappedRle", "P", true, false, 9, 8, 25000},
    {"Depth16", "BGR;5", false, false, 2, 16, 16000},  {"Depth16Rle", "BGR;5", true, true, 10, 16, 16000},
    {"Depth24", "RGB", false, true, 2, 24, 25000},     {"Depth24Rle", "RGB", true, false, 10, 24, 25000},
    {"Depth32", "RGBA", false, false, 2, 32, 30000},   {"Depth32Rle", "RGBA", true, true, 10, 32, 22000},
    {"Depth24CutAtBlockEdge", "RGB", false, false, 2, 24, 25000, 65536},  // ends in the file's first row
};

// in.rgba: 4 rows of 192 random pixels, 64 equal ones, and so on; case.tga from it; back.rgba as Pillow reads that.
std::string MakeCommand(const EdgeCase& c) {
    const std::string w = std::to_string(c.width), compression = c.rle ? "rle" : "none";
    const std::string python = "/usr/bin/python3 -c \"import random; from PIL import Image; ";
    std::string command = python + "random.seed(7); open('in.rgba', 'wb').write(b''.join(random.randbytes(768) + "
                          "random.randbytes(4) * 64 for _ in range(" + w + " // 64 + 1))[:" + w + " * 16])\" && ";
    if (c.mode == std::string("BGR;5")) {
        command += "convert -size " + w + "x4 -depth 8 rgba:in.rgba -alpha off -type TrueColor -depth 5 -compress " +
                   compression + (c.topFirst ? " -orient TopLeft" : " -orient BottomLeft") + " case.tga";
    } else {
        command += python + "i = Image.frombytes('RGBA', (" + w + ", 4), open('in.rgba', 'rb').read()); "
                   "(i.convert('RGB').quantize() if '" + c.mode + "' == 'P' else i.convert('" + c.mode + "'))"
                   ".save('case.tga', compression='tga_" + compression + "', orientation=" +
                   (c.topFirst ? "1)\"" : "-1)\"");
    }
    return command + " && " + python + "open('back.rgba', 'wb').write(Image.open('case.tga').convert('RGBA')"
                                       ".tobytes())\"";
}

class BlockEdge : public testing::TestWithParam<EdgeCase> {};

TEST_P(BlockEdge, LoadsGiveWhatPillowReads) {
    const EdgeCase& c = GetParam();
    WorkingFolder folder;
    const size_t count = c.width * 4, pixelBytes = c.depth / 8;
    ASSERT_EQ(std::system(MakeCommand(c).c_str()), 0) << MakeCommand(c);
    Bytes file = ReadFileBytes("case.tga"), back = ReadFileBytes("back.rgba");
    ASSERT_EQ(back.size(), count * 4);
    ASSERT_GT(file.size(), 65536u + 18) << "no pixel data past the first block";
    const Bytes kind = {c.imageType, c.depth, uint8_t(c.topFirst ? Top : 0)};
    ASSERT_EQ(Bytes({file[2], file[16], uint8_t(file[17] & Top)}), kind) << "type, depth and top-row-first bit";
    if (c.cut != 0) file.resize(c.cut);
    ASSERT_STREQ(WriteFileBytes("case.tga", file), nullptr);

    std::vector<std::pair<const char*, Bytes>> loads = {{"LoadTga", {}}, {"LoadTgaFromMemory", file}};
    const size_t start = 18 + file[0] + size_t(file[5] | file[6] << 8) * ((file[7] + 7) / 8);  // past the ID and map
    if (!c.rle && c.cut == 0) {
        Bytes& packed = loads.emplace_back("our packets", Bytes(file.begin(), file.begin() + start)).second;
        packed[2] |= 8;
        const Bytes packets = RunLengthEncode(Bytes(file.begin() + start, file.begin() + start + count * pixelBytes), pixelBytes);
        packed.insert(packed.end(), packets.begin(), packets.end());
        EXPECT_LT(packed.size(), file.size()) << "runs of 64 pixels must take fewer bytes in packets";
    }
    // A cut file supplies the whole pixels before the cut, in file order; the rest is black.
    const size_t supplied = c.cut != 0 ? (c.cut - start) / pixelBytes : count;
    const uint32_t mask = c.depth == 32 ? 0xFFFFFFFF : c.depth == 16 ? 0xF8F8F8 : 0xFFFFFF;
    for (const auto& [load, bytes] : loads) {
        Image* image = bytes.empty() ? LoadTga("case.tga") : LoadTgaFromMemory(bytes.data(), bytes.size());
        ASSERT_NE(image, nullptr) << c.name << " through " << load << ": " << LastReason();
        for (size_t i = 0; i < count; ++i) {
            const size_t x = i % c.width, y = i / c.width, inFile = (c.topFirst ? y : 3 - y) * c.width + x, j = 4 * i;
            const uint32_t pillow = back[j] | back[j + 1] << 8 | back[j + 2] << 16 | uint32_t{back[j + 3]} << 24;
            const uint32_t want = inFile < supplied ? pillow & mask : 0;
            if (image->pixels[i] == want) continue;
            ADD_FAILURE() << c.name << " through " << load << ": first differing pixel (" << x << ", " << y << ") is 0x"
                          << std::hex << image->pixels[i] << ", Pillow reads 0x" << want;
            break;
        }
        FreeImage(image);
    }
}

INSTANTIATE_TEST_SUITE_P(Tga, BlockEdge, testing::ValuesIn(EdgeCases), [](const auto& p) { return p.param.name; });
#endif

}  // namespace
