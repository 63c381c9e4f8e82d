// The files SaveBmp writes, byte by byte, its failures, and the names TakeScreenshot picks.
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
#include "image/reason.h"
#include "tests/support/working_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Headers, then rows bottom first, each padded to whole words (counted in the sizes); alpha never reaches the file.
TEST(SaveBmp, FileHoldsTheHeadersThenPaddedRowsBottomFirst) {
    WorkingFolder folder;
    const uint32_t pixels[] = {0xFF010203, 0xFF040506, 0xFF070809, 0x000A0B0C, 0x000D0E0F, 0x00101112};
    const Image image = {const_cast<uint32_t*>(pixels), 3, 2};
    ASSERT_EQ(SaveBmp("rows.bmp", &image), 1);
    const Image negative = {const_cast<uint32_t*>(pixels), 3, -2};
    EXPECT_EQ((std::pair{SaveBmp("none.bmp", nullptr), SaveBmp("negative.bmp", &negative)}), std::pair(0, 0));
    EXPECT_STREQ(LastReason(), "no picture");
    EXPECT_EQ(ReadFileBytes("rows.bmp"),
              (Bytes{'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
                     0, 0, 0, 0, 24, 0, 0, 0, 96, 0, 0, 0, 96, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

// Windows has no file size limit, and the web build's C library accepts one without keeping it.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
TEST(SaveBmp, FileCutShortIsRemovedAndTheSizeLimitIsExact) {
    WorkingFolder folder;
    const std::vector<uint32_t> frame(size_t{Width} * Height, 0x808080);
    const Image image = {const_cast<uint32_t*>(frame.data()), Width, Height};
    // A full disk for this process alone: no file grows past 4096 bytes, and the write fails rather than signal.
    rlimit previous{}, limited{};
    getrlimit(RLIMIT_FSIZE, &previous);
    limited = {4096, previous.rlim_max};
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_EQ(SaveBmp("cut.bmp", &image), 0);
    EXPECT_EQ(TakeScreenshot(frame.data()), 0);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, handler);
    EXPECT_STREQ(LastReason(), "File too large");
    EXPECT_EQ(SaveBmp("missing/out.bmp", &image), 0);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{});
    // Rows of 65535 pixels take 196,608 bytes: 21,844 of them fit in 32 bits with the headers.
    EXPECT_EQ(BmpSizeCheck(65535, 21844), nullptr);
    EXPECT_STREQ(BmpSizeCheck(65535, 21846), "a picture of 65535 x 21846 is too large for BMP");
}

TEST(TakeScreenshot, FailsAtOnceInAFolderThatHasGone) {
    WorkingFolder folder;
    const std::vector<uint32_t> frame(size_t{Width} * Height, 0);
    fs::remove(folder.path());
    EXPECT_EQ(TakeScreenshot(frame.data()), 0);
    EXPECT_STREQ(LastReason(), "No such file or directory");
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
    EXPECT_EQ((std::vector{names[0], names[2], names[10], names[17]}),
              (std::vector<std::string>{"Screenshot 0.bmp", "Screenshot 2.bmp", "Screenshot a.bmp", "Screenshot11.bmp"}));
    EXPECT_TRUE(fs::is_directory("Screenshot 1.bmp"));
    EXPECT_EQ(fs::file_size("Screenshot11.bmp"), 192054u);

    for (const char* name : {"Screenshotfffffffe.bmp", "Screenshotffffffff.bmp"}) fs::create_directory(name);
    EXPECT_EQ(TakeScreenshotFrom(frame.data(), 0xFFFFFFFE), 0);
    EXPECT_STREQ(LastReason(), "every screenshot name is taken");
    EXPECT_EQ(folder.Names().size(), 20u);
}

}  // namespace
