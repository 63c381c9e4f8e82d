// The files SaveBmp writes, byte by byte, its failures, and the names TakeScreenshot picks in
// a working folder of its own.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/bmp.h"
#include "tests/support/working_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

TEST(SaveBmp, OnePixelFileHoldsTheHeadersThenBlueGreenRedAndPadding) {
    WorkingFolder folder;
    const uint32_t pixel = 0xFF332211;  // alpha never reaches the file
    const Image image = {const_cast<uint32_t*>(&pixel), 1, 1};
    ASSERT_EQ(SaveBmp("one.bmp", &image), 1);
    EXPECT_EQ(ReadFileBytes("one.bmp"),
              (Bytes{'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
                     0, 0, 0, 0, 4, 0, 0, 0, 96, 0, 0, 0, 96, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x33, 0x22, 0x11, 0}));
}

// Rows are stored bottom first and padded to whole words with zeros; the size fields count
// the padding.
class SaveBmpRows : public testing::TestWithParam<int32_t> {};

TEST_P(SaveBmpRows, StoreTheBottomRowFirstPaddedToFourBytes) {
    const int32_t width = GetParam(), height = width == Width ? Height : 3;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    const Image image = {pixels.data(), width, height};
    WorkingFolder folder;
    ASSERT_EQ(SaveBmp("rows.bmp", &image), 1);
    const Bytes file = ReadFileBytes("rows.bmp");
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * size_t(height));
    const auto le32 = [&](size_t at) { return uint32_t(file[at] | file[at + 1] << 8 | file[at + 2] << 16) | file[at + 3] << 24u; };
    EXPECT_EQ(le32(2), file.size());
    EXPECT_EQ(le32(18), uint32_t(width));
    EXPECT_EQ(le32(22), uint32_t(height));
    EXPECT_EQ(le32(34), stride * size_t(height));
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* stored = &file[54 + size_t(height - 1 - row) * stride];
        for (size_t i = 0; i < stride; ++i) {
            const bool padding = i >= size_t(width) * 3;
            const uint32_t pixel = padding ? 0 : pixels[size_t(row) * size_t(width) + i / 3];
            const uint8_t expected = uint8_t(pixel >> (8 * (2 - i % 3)));
            ASSERT_EQ(stored[i], expected) << "row " << row << " byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, SaveBmpRows, testing::Values(1, 2, 3, 4, 5, 7, Width));

// Windows has no file size limit, and the web build's C library accepts one without keeping it.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
TEST(SaveBmp, FileCutShortIsRemovedAndTheSizeLimitIsExact) {
    WorkingFolder folder;
    const std::vector<uint32_t> frame(size_t{Width} * Height, 0x808080);
    const Image image = {const_cast<uint32_t*>(frame.data()), Width, Height};
    // A full disk for this process alone: files cannot grow past 4096 bytes, and the signal
    // such a write raises is ignored so that the write fails instead.
    rlimit previous{}, limited{};
    getrlimit(RLIMIT_FSIZE, &previous);
    limited = {4096, previous.rlim_max};
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_EQ(SaveBmp("cut.bmp", &image), 0);
    EXPECT_EQ(TakeScreenshot(frame.data()), 0);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, handler);
    EXPECT_STREQ(BmpFailureReason(), "File too large");
    EXPECT_EQ(SaveBmp("missing/out.bmp", &image), 0);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{});
    // Rows of 65535 pixels take 196,608 bytes: 21,844 of them fit in 32 bits with the headers.
    EXPECT_TRUE(BmpCanHold(65535, 21844));
    EXPECT_FALSE(BmpCanHold(65535, 21846));
}
#endif

TEST(TakeScreenshot, TakesTheFirstFreeNameAndNeverOverwrites) {
    WorkingFolder folder;
    const std::vector<uint32_t> frame(size_t{Width} * Height, 0x404040);
    fs::create_directory("Screenshot 1.bmp");  // a folder takes its name too
    for (int i = 0; i < 17; ++i) ASSERT_EQ(TakeScreenshot(frame.data()), 1) << "shot " << i;
    fs::remove("Screenshot 2.bmp");
    ASSERT_EQ(TakeScreenshot(frame.data()), 1);  // the gap is filled again
    const std::vector<std::string> names = folder.Names();
    ASSERT_EQ(names.size(), 18u);
    EXPECT_EQ(names[0], "Screenshot 0.bmp");
    EXPECT_EQ(names[2], "Screenshot 2.bmp");
    EXPECT_EQ(names[10], "Screenshot a.bmp");
    EXPECT_EQ(names[17], "Screenshot11.bmp");
    EXPECT_TRUE(fs::is_directory("Screenshot 1.bmp"));
    EXPECT_EQ(fs::file_size("Screenshot11.bmp"), 192054u);

    fs::create_directory("Screenshotfffffffe.bmp");
    fs::create_directory("Screenshotffffffff.bmp");
    EXPECT_EQ(TakeScreenshotFrom(frame.data(), 0xFFFFFFFE), 0);
    EXPECT_STREQ(BmpFailureReason(), "every screenshot name is taken");
    EXPECT_EQ(folder.Names().size(), 20u);
}

}  // namespace
