// The TGA files the loads refuse and why, and the palette the indexed load keeps.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/tga.h"
#include "image/tga_writer.h"
#include "tests/support/working_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct RefusedCase {
    std::string name;
    Bytes file;
    std::string reason;  // what TgaFailureReason tells
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

std::vector<RefusedCase> RefusedCases() {
    std::vector<RefusedCase> cases = {
        {"MapEntrySize8", TgaFile({.colourMapType = 1, .imageType = 1, .colourMapLength = 2, .colourMapEntrySize = 8},
                                  {{1, 2, 0}}), "colour map entry size 8 not supported"},
        {"MapEntrySize240",
         TgaFile({.colourMapType = 1, .imageType = 1, .colourMapLength = 1, .colourMapEntrySize = 240}, {Bytes(31, 1)}),
         "colour map entry size 240 not supported"},
        {"CutInsideHeader", {0, 0, 3, 0, 0, 0, 0, 0, 0, 0}, "file ends inside the header"},
        {"CutInsideId", TgaFile({.idLength = 255, .imageType = 3}, {Bytes(100, 0xEE)}),
         "file ends inside the image ID"},
        {"CutInsideMap", TgaFile({.colourMapType = 1, .imageType = 1, .colourMapLength = 10, .colourMapEntrySize = 24},
                                 {Bytes(20, 1)}), "file ends inside the colour map"},
        {"Empty", {}, "empty file"},
        {"Text", Bytes(std::begin("not a picture at all"), std::end("not a picture at all")), "not a TGA file"},
    };
    for (int type : {0, 4, 5, 6, 7, 8, 12, 13, 14, 15}) {
        cases.push_back({"Type" + std::to_string(type), TgaFile({.imageType = uint8_t(type)}, {{0, 0, 0, 0}}),
                         "unsupported image type " + std::to_string(type)});
    }
    return cases;
}

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, GivesNullWithTheReasonAndClosesTheFile) {
    WorkingFolder folder;
    ASSERT_TRUE(WriteFileBytes("case.tga", GetParam().file));
    // Where the system lists no open descriptors (Windows) both counts are 0.
    const auto descriptors = [] {
        std::error_code error;
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd", error), {});
    };
    const auto before = descriptors();
    EXPECT_EQ(LoadTga("case.tga"), nullptr);
    EXPECT_EQ(TgaFailureReason(), GetParam().reason);
    EXPECT_EQ(descriptors(), before);
    EXPECT_EQ(LoadTgaIndexed("case.tga"), nullptr);
    EXPECT_EQ(TgaFailureReason(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Tga, Refused, testing::ValuesIn(RefusedCases()), [](const auto& p) { return p.param.name; });

TEST(Tga, RefusalsOutsideTheFile) {
    WorkingFolder folder;
    EXPECT_EQ(LoadTga("absent.tga"), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "No such file or directory");
    EXPECT_EQ(LoadTgaIndexed("absent.tga"), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "No such file or directory");
    ASSERT_TRUE(WriteFileBytes("rgb.tga", TgaFile({.imageType = 10}, {{0x80, 1, 2, 3}})));
    EXPECT_EQ(LoadTgaIndexed("rgb.tga"), nullptr);
    EXPECT_STREQ(TgaFailureReason(), "image type 10 is true-colour, not indexed");
    // 65535 x 65535 declared in 18 bytes: the size check alone must end the load.
    ASSERT_TRUE(WriteFileBytes("huge.tga", TgaFile({.imageType = 3, .width = 65535, .height = 65535}, {})));
    static int32_t asked[2];
    const TgaSizeCheck refuse = [](int32_t width, int32_t height) {
        return asked[0] = width, asked[1] = height, false;
    };
    EXPECT_EQ(LoadTga("huge.tga", refuse), nullptr);
    EXPECT_EQ(LoadTgaIndexed("huge.tga", refuse), nullptr);
    EXPECT_EQ(asked[0] + asked[1], 2 * 65535);
}

// The writer's packets: runs and raw stretches longer than a packet holds, across rows.
TEST(TgaWriter, RunLengthPacketsLoadAsTheRawPixels) {
    WorkingFolder folder;
    for (uint8_t depth : {uint8_t{8}, uint8_t{24}, uint8_t{32}}) {
        const size_t size = depth / 8u;
        Bytes values;  // per row: 151 equal pixels, then 149 that each differ from the last
        for (size_t p = 0; p < 600 * size; ++p) values.push_back(uint8_t(p / size % 300 < 151 ? 7 : p * 7));
        TgaLayout raw = {.imageType = uint8_t(depth == 8 ? 3 : 2), .width = 300, .height = 2, .pixelDepth = depth};
        const Bytes packets = RunLengthEncode(values, size);
        EXPECT_LT(packets.size(), values.size()) << "depth " << int(depth);
        ASSERT_TRUE(WriteFileBytes("raw.tga", TgaFile(raw, {values})));
        raw.imageType |= 8;
        ASSERT_TRUE(WriteFileBytes("rle.tga", TgaFile(raw, {packets})));
        Image* expected = LoadTga("raw.tga");
        Image* loaded = LoadTga("rle.tga");
        ASSERT_TRUE(expected && loaded);
        EXPECT_TRUE(std::equal(expected->pixels, expected->pixels + 600, loaded->pixels)) << "depth " << int(depth);
        FreeImage(expected);
        FreeImage(loaded);
    }
}

}  // namespace
