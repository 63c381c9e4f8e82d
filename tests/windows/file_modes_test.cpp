// Windows file modes under the real C runtime: the log's text mode must turn each line end
// into CR LF, and the pictures' "rb"/"wb" must carry CR, LF and Ctrl-Z bytes through untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/bmp.h"
#include "image/tga.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.string().c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    ASSERT_EQ(std::fclose(file), 0);
}

// Each test works in a folder of its own, as the program works in its working directory.
class FileModes : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("varnelo-file-modes-") + test->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        previous_ = fs::current_path();
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
    }
    fs::path folder_;
    fs::path previous_;
};

TEST_F(FileModes, LogLinesEndInCarriageReturnLineFeed) {
    LogStart();
    LogLine("    OK");
    LogLine("");
    LogLine("100% %s %n");
    LogLine(DDErrorText(static_cast<HRESULT>(0x80004001)));
    LogLine(DDErrorText(static_cast<HRESULT>(0x8007000E)));
    // Windows-1250: i-acute 0xED, a-acute 0xE1.
    const std::string expected =
        "__________Direct Draw - Log__________\r\n"
        "    OK\r\n"
        "\r\n"
        "100% %s %n\r\n"
        "Operace nen\xED podporov\xE1na !\r\n"
        "M\xE1lo RAM !\r\n";
    EXPECT_EQ(ReadBytes("DirectX.log"), expected);
}

TEST_F(FileModes, LogStartEmptiesAnOldLogWrittenWithBareLineFeeds) {
    WriteBytes("DirectX.log", "old\nlines\n");
    LogStart();
    EXPECT_EQ(ReadBytes("DirectX.log"), "__________Direct Draw - Log__________\r\n");
}

// Channel values that a text-mode stream would alter: LF gains a CR on writing, CR LF
// loses its CR on reading, and Ctrl-Z ends a text-mode read early.
const uint8_t kTroubleBytes[] = {0x0A, 0x0D, 0x1A, 0x00, 0xFF, 0x0D, 0x0A, 0x1A, 0x1A};

uint32_t ImagePixel(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
           static_cast<uint32_t>(blue) << 16;
}

struct PictureSize {
    int32_t width;
    int32_t height;
};

class BinaryPictures : public FileModes, public ::testing::WithParamInterface<PictureSize> {
protected:
    // Pixels drawn from the trouble bytes, so that every row holds CR, LF and Ctrl-Z.
    std::vector<uint32_t> TroublePixels() const {
        const auto [width, height] = GetParam();
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        const size_t n = sizeof kTroubleBytes;
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = ImagePixel(kTroubleBytes[i % n], kTroubleBytes[(i + 1) % n],
                                   kTroubleBytes[(i + 3) % n]);
        }
        return pixels;
    }
};

TEST_P(BinaryPictures, BmpKeepsEveryPixelByte) {
    const auto [width, height] = GetParam();
    std::vector<uint32_t> pixels = TroublePixels();
    const Image image = {pixels.data(), width, height};
    ASSERT_EQ(SaveBmp("trouble.bmp", &image), 1);

    const std::string file = ReadBytes("trouble.bmp");
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * height);
    for (int32_t y = 0; y < height; ++y) {
        // Rows are stored bottom-up, each pixel as blue, green, red.
        const size_t row = 54 + stride * static_cast<size_t>(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            const size_t at = row + 3 * static_cast<size_t>(x);
            ASSERT_EQ(static_cast<uint8_t>(file[at]), static_cast<uint8_t>(p >> 16)) << x << "," << y;
            ASSERT_EQ(static_cast<uint8_t>(file[at + 1]), static_cast<uint8_t>(p >> 8)) << x << "," << y;
            ASSERT_EQ(static_cast<uint8_t>(file[at + 2]), static_cast<uint8_t>(p)) << x << "," << y;
        }
    }
}

TEST_P(BinaryPictures, TgaReadsEveryPixelByte) {
    const auto [width, height] = GetParam();
    const std::vector<uint32_t> pixels = TroublePixels();
    // An uncompressed 24-bit TGA, top row first. Sides of 10 and 13 put LF and CR into
    // the header as well.
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 24;
    file[17] = 0x20;
    for (const uint32_t p : pixels) {
        file += static_cast<char>(p >> 16);
        file += static_cast<char>(p >> 8);
        file += static_cast<char>(p);
    }
    WriteBytes("trouble.tga", file);

    Image* image = LoadTga("trouble.tga");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    const std::vector<uint32_t> read(image->pixels, image->pixels + pixels.size());
    FreeImage(image);
    for (size_t i = 0; i < pixels.size(); ++i) {
        ASSERT_EQ(read[i], pixels[i]) << "pixel " << i;
    }
}

// Widths whose rows need 0, 1, 2 and 3 padding bytes in a BMP; 10 and 13 are LF and CR.
INSTANTIATE_TEST_SUITE_P(Sizes, BinaryPictures,
                         ::testing::Values(PictureSize{4, 3}, PictureSize{13, 10},
                                           PictureSize{10, 13}, PictureSize{9, 26},
                                           PictureSize{Width, Height}));

}  // namespace
