// The files SaveBmp writes, byte by byte, its failures, and the names TakeScreenshot picks
// in a working directory of its own.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/bmp.h"
#include "tests/image/picture_files.h"

namespace {

uint32_t Le32(const Bytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Le16(const Bytes& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

Bytes SaveAndRead(const ScratchDir& dir, std::vector<uint32_t> pixels, int32_t width, int32_t height) {
    const Image image = {pixels.data(), width, height};
    const std::string path = dir.File("out.bmp");
    EXPECT_EQ(SaveBmp(path.c_str(), &image), 1);
    return ReadFileBytes(path);
}

TEST(SaveBmp, OnePixelFile) {
    ScratchDir dir;
    const Bytes file = SaveAndRead(dir, {0x00332211}, 1, 1);
    ASSERT_EQ(file.size(), 58u);
    EXPECT_EQ(Le16(file, 0), 0x4D42);
    EXPECT_EQ(Le32(file, 2), 58u);       // bfSize
    EXPECT_EQ(Le16(file, 6), 0);         // bfReserved1
    EXPECT_EQ(Le16(file, 8), 0);         // bfReserved2
    EXPECT_EQ(Le32(file, 10), 54u);      // bfOffBits
    EXPECT_EQ(Le32(file, 14), 40u);      // biSize
    EXPECT_EQ(Le32(file, 18), 1u);       // biWidth
    EXPECT_EQ(Le32(file, 22), 1u);       // biHeight
    EXPECT_EQ(Le16(file, 26), 1);        // biPlanes
    EXPECT_EQ(Le16(file, 28), 24);       // biBitCount
    EXPECT_EQ(Le32(file, 30), 0u);       // biCompression
    EXPECT_EQ(Le32(file, 34), 4u);       // biSizeImage
    EXPECT_EQ(Le32(file, 38), 96u);      // biXPelsPerMeter
    EXPECT_EQ(Le32(file, 42), 96u);      // biYPelsPerMeter
    EXPECT_EQ(Le32(file, 46), 0u);       // biClrUsed
    EXPECT_EQ(Le32(file, 50), 0u);       // biClrImportant
    EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{0x33, 0x22, 0x11, 0x00}));
}

TEST(SaveBmp, AlphaNeverReachesTheFile) {
    ScratchDir dir;
    EXPECT_EQ(SaveAndRead(dir, {0xFF332211, 0x80000000}, 2, 1), SaveAndRead(dir, {0x00332211, 0}, 2, 1));
}

TEST(SaveBmp, ScreenSizedFileStoresTheBottomRowFirst) {
    ScratchDir dir;
    std::vector<uint32_t> pixels(size_t{Width} * Height);
    for (int32_t y = 0; y < Height; ++y) {
        for (int32_t x = 0; x < Width; ++x) pixels[size_t(y) * Width + x] = uint32_t(y) << 16 | uint32_t(x & 0xFF);
    }
    const Bytes file = SaveAndRead(dir, pixels, Width, Height);
    ASSERT_EQ(file.size(), 192054u);
    EXPECT_EQ(Le32(file, 2), 192054u);
    EXPECT_EQ(Le32(file, 22), 200u);
    EXPECT_EQ(Le32(file, 34), 192000u);
    for (int32_t fileRow = 0; fileRow < Height; ++fileRow) {
        const size_t at = 54 + size_t(fileRow) * 960;
        ASSERT_EQ(file[at], Height - 1 - fileRow) << "blue of the first pixel of file row " << fileRow;
        ASSERT_EQ(file[at + 3 * 7 + 2], 7) << "red of pixel 7 of file row " << fileRow;
    }
}

// Rows are padded to whole words with zeros, and the size fields count the padding.
class SaveBmpPadding : public testing::TestWithParam<int32_t> {};

TEST_P(SaveBmpPadding, PadsEachRowToFourBytesWithZeros) {
    const int32_t width = GetParam();
    const int32_t height = 3;
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    ScratchDir dir;
    const Bytes file = SaveAndRead(dir, std::vector<uint32_t>(size_t(width) * height, 0xFFFFFFFF), width, height);
    ASSERT_EQ(file.size(), 54 + stride * height);
    EXPECT_EQ(Le32(file, 2), file.size());
    EXPECT_EQ(Le32(file, 34), stride * height);
    for (int32_t row = 0; row < height; ++row) {
        for (size_t i = 0; i < stride; ++i) {
            ASSERT_EQ(file[54 + row * stride + i], i < size_t(width) * 3 ? 0xFF : 0x00) << "row " << row << " byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, SaveBmpPadding, testing::Values(1, 2, 3, 4, 5, 7));

TEST(SaveBmp, EmptyPictureIsJustTheHeaders) {
    ScratchDir dir;
    const Bytes file = SaveAndRead(dir, {}, 0, 0);
    ASSERT_EQ(file.size(), 54u);
    EXPECT_EQ(Le32(file, 2), 54u);
}

// A full disk, a device and a limit on file sizes are POSIX things.
#ifndef _WIN32
// While it lives, files of this process cannot grow past `bytes`: a full disk for one
// process, on a regular file. The signal such a write raises is ignored so the write fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    sighandler_t previousHandler_;
};

TEST(SaveBmp, FailuresTellTheReason) {
    ScratchDir dir;
    uint32_t pixel = 0x00112233;
    const Image image = {&pixel, 1, 1};
    EXPECT_EQ(SaveBmp("/dev/full", &image), 0);
    EXPECT_STREQ(BmpFailureReason(), "No space left on device");
    EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "a device is never removed";
    EXPECT_EQ(SaveBmp(dir.path().c_str(), &image), 0);
    EXPECT_STREQ(BmpFailureReason(), "Is a directory");
}

// The web build's C library accepts a file size limit without keeping it.
#ifndef __EMSCRIPTEN__
TEST(SaveBmp, FileCutShortIsRemoved) {
    ScratchDir dir;
    std::vector<uint32_t> frame(size_t{Width} * Height, 0x00808080);
    const Image image = {frame.data(), Width, Height};
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(SaveBmp(dir.File("out.bmp").c_str(), &image), 0);
    }
    EXPECT_STREQ(BmpFailureReason(), "File too large");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
#endif
#endif

TEST(SaveBmp, PictureWhoseSizeTheFormatCannotStateIsRefused) {
    ScratchDir dir;
    uint32_t pixel = 0;
    const Image huge = {&pixel, 65535, 65535};
    EXPECT_EQ(SaveBmp(dir.File("huge.bmp").c_str(), &huge), 0);
    EXPECT_STREQ(BmpFailureReason(), "too large for BMP");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    // Rows of 65535 pixels take 196,608 bytes: 21,844 of them fit in 32 bits with the headers.
    EXPECT_TRUE(BmpCanHold(65535, 21844));
    EXPECT_FALSE(BmpCanHold(65535, 21846));
}

TEST(SaveBmp, PathInMissingDirectoryFailsAndLeavesNothing) {
    ScratchDir dir;
    uint32_t pixel = 0;
    const Image image = {&pixel, 1, 1};
    EXPECT_EQ(SaveBmp(dir.File("missing/out.bmp").c_str(), &image), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// TakeScreenshot works in the current directory; each case runs in a scratch one.
class Screenshots : public testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    static int Take() {
        static const std::vector<uint32_t> frame(size_t{Width} * Height, 0x00404040);
        return TakeScreenshot(frame.data());
    }

    static std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir_;
    std::filesystem::path previous_;
};

TEST_F(Screenshots, FirstIsScreenshotSpaceZero) {
    EXPECT_EQ(Take(), 1);
    EXPECT_EQ(Names(), std::vector<std::string>{"Screenshot 0.bmp"});
    EXPECT_EQ(std::filesystem::file_size("Screenshot 0.bmp"), 192054u);
}

TEST_F(Screenshots, SeventeenthIsScreenshot10) {
    for (int i = 0; i < 17; ++i) ASSERT_EQ(Take(), 1);
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 17u);
    EXPECT_EQ(names.front(), "Screenshot 0.bmp");
    EXPECT_TRUE(std::filesystem::exists("Screenshot a.bmp"));
    EXPECT_TRUE(std::filesystem::exists("Screenshot f.bmp"));
    EXPECT_EQ(names.back(), "Screenshot10.bmp");
}

TEST_F(Screenshots, DeletedGapIsReused) {
    for (int i = 0; i < 6; ++i) ASSERT_EQ(Take(), 1);
    std::filesystem::remove("Screenshot 2.bmp");
    ASSERT_EQ(Take(), 1);
    EXPECT_TRUE(std::filesystem::exists("Screenshot 2.bmp"));
    EXPECT_FALSE(std::filesystem::exists("Screenshot 6.bmp"));
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
TEST_F(Screenshots, ScreenshotCutShortIsRemoved) {
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(Take(), 0);
    }
    EXPECT_TRUE(Names().empty());
}
#endif

TEST_F(Screenshots, StopsWhenEveryNameIsTaken) {
    std::filesystem::create_directory("Screenshotfffffffe.bmp");
    std::filesystem::create_directory("Screenshotffffffff.bmp");
    const std::vector<uint32_t> frame(size_t{Width} * Height, 0);
    EXPECT_EQ(TakeScreenshotFrom(frame.data(), 0xFFFFFFFE), 0);
    EXPECT_STREQ(BmpFailureReason(), "every screenshot name is taken");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Screenshotfffffffe.bmp", "Screenshotffffffff.bmp"}));
}

TEST_F(Screenshots, DirectoryTakesTheName) {
    std::filesystem::create_directory("Screenshot 0.bmp");
    ASSERT_EQ(Take(), 1);
    EXPECT_TRUE(std::filesystem::is_directory("Screenshot 0.bmp"));
    EXPECT_EQ(std::filesystem::file_size("Screenshot 1.bmp"), 192054u);
}

}  // namespace
