// The BMP writer: 24-bit uncompressed files with bottom-up rows, and the screenshot names.
#include "image/bmp.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr uint32_t FileHeaderBytes = 14;
constexpr uint32_t InfoHeaderBytes = 40;
constexpr uint32_t PixelsPerMetre = 96;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

// The two headers, with both size fields 0 until every row is on disk, so that a file
// cut short by a failed write does not claim a size it lacks.
void FillHeaders(uint8_t* fileHeader, uint8_t* infoHeader, const Image& image,
                 uint32_t fileBytes, uint32_t pixelBytes) {
    Put16(fileHeader + 0, 0x4D42);  // "BM"
    Put32(fileHeader + 2, fileBytes);
    Put16(fileHeader + 6, 0);
    Put16(fileHeader + 8, 0);
    Put32(fileHeader + 10, FileHeaderBytes + InfoHeaderBytes);
    Put32(infoHeader + 0, InfoHeaderBytes);
    Put32(infoHeader + 4, static_cast<uint32_t>(image.width));
    Put32(infoHeader + 8, static_cast<uint32_t>(image.height));
    Put16(infoHeader + 12, 1);
    Put16(infoHeader + 14, 24);
    Put32(infoHeader + 16, 0);
    Put32(infoHeader + 20, pixelBytes);
    Put32(infoHeader + 24, PixelsPerMetre);
    Put32(infoHeader + 28, PixelsPerMetre);
    Put32(infoHeader + 32, 0);
    Put32(infoHeader + 36, 0);
}

void WriteHeaders(FILE* file, const Image& image, uint32_t fileBytes, uint32_t pixelBytes) {
    uint8_t fileHeader[FileHeaderBytes];
    uint8_t infoHeader[InfoHeaderBytes];
    FillHeaders(fileHeader, infoHeader, image, fileBytes, pixelBytes);
    std::fwrite(fileHeader, 1, sizeof fileHeader, file);
    std::fwrite(infoHeader, 1, sizeof infoHeader, file);
}

bool Exists(const char* name) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(name, error));
}

}  // namespace

int SaveBmp(const char* path, const Image* image) {
    if (image == nullptr || image->width < 0 || image->height < 0) return 0;
    // Each row is padded to whole 4-byte words. The file's size fields are 32 bits wide,
    // so a picture whose file could not state its own size is refused rather than
    // written with sizes that lie.
    const uint64_t stride = (static_cast<uint64_t>(image->width) * 3 + 3) / 4 * 4;
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(image->height);
    if (pixelBytes > UINT32_MAX - FileHeaderBytes - InfoHeaderBytes) return 0;

    uint8_t* row = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride) + 1, 1));
    if (row == nullptr) return 0;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::free(row);
        return 0;
    }

    WriteHeaders(file, *image, 0, 0);
    bool written = true;
    for (int32_t y = image->height - 1; y >= 0 && written; --y) {
        const uint32_t* pixels = image->pixels + static_cast<size_t>(y) * image->width;
        for (size_t x = 0; x < static_cast<size_t>(image->width); ++x) {
            const uint32_t p = pixels[x];
            row[3 * x] = static_cast<uint8_t>(p >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p);
        }
        written = std::fwrite(row, 1, static_cast<size_t>(stride), file) == stride;
    }
    if (written) {
        // A seek that fails would put the final headers after the pixels.
        written = std::fseek(file, 0, SEEK_SET) == 0;
        if (written) {
            WriteHeaders(file, *image,
                         static_cast<uint32_t>(FileHeaderBytes + InfoHeaderBytes + pixelBytes),
                         static_cast<uint32_t>(pixelBytes));
        }
    }
    // Writes are buffered: a full disk may only show when the buffer is flushed on close,
    // and a file that did not reach the disk is not a saved screenshot.
    written = written && !std::ferror(file);
    written = std::fclose(file) == 0 && written;
    std::free(row);
    return written ? 1 : 0;
}

int TakeScreenshot(const uint32_t* pixels) {
    // The search starts at 0 on every call, so a gap left by a deleted file is filled first.
    char name[32];
    for (unsigned n = 0;; ++n) {
        std::snprintf(name, sizeof name, "Screenshot%2x.bmp", n);
        if (!Exists(name)) break;
    }
    const Image image = {const_cast<uint32_t*>(pixels), Width, Height};
    return SaveBmp(name, &image);
}
