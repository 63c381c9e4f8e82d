// The BMP writer: 24-bit uncompressed files with bottom-up rows, and the screenshot names.
#include "image/bmp.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "image/new_file.h"
#include "image/reason.h"

namespace {

constexpr uint32_t FileHeaderBytes = 14;
constexpr uint32_t InfoHeaderBytes = 40;
constexpr uint32_t PixelsPerMetre = 96;
constexpr uint32_t LastScreenshotNumber = 0xFFFFFFFF;  // "%2x" of the widest number

int Fail(const char* reason) {
    SetReason("%s", reason);
    return 0;
}

uint64_t StrideOf(int32_t width) {
    return (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
}

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

// The two headers. A file written row by row has both size fields 0 until every row is on
// disk, so that a file cut short by a failed write does not claim a size it lacks.
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

// Row y of image as the file stores it: blue, green, red for each pixel. The padding after
// the pixels is left as the caller cleared it.
void PackRow(const Image& image, int32_t y, uint8_t* row) {
    const uint32_t* pixels = image.pixels + static_cast<size_t>(y) * image.width;
    for (size_t x = 0; x < static_cast<size_t>(image.width); ++x) {
        const uint32_t p = pixels[x];
        row[3 * x] = static_cast<uint8_t>(p >> 16);
        row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(p);
    }
}

bool Exists(const char* name) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(name, error));
}

// Closes a file that took every byte given (`written`, else `error` says why). Returns 1 when
// every byte reached the file, else 0 with the reason recorded.
int Close(FILE* file, bool written, int error) {
    // Writes are buffered: a full disk may only show when the buffer is flushed on close,
    // and a file that did not reach the disk is not a saved screenshot.
    if (written && std::fflush(file) != 0) {
        written = false;
        error = errno;
    }
    written = written && !std::ferror(file);
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written) return 1;
    return Fail(error != 0 ? std::strerror(error) : "write error");
}

// Writes the whole file into an open stream and closes it. Returns 1 when every byte
// reached the file, else 0 with the reason recorded.
int WriteAndClose(FILE* file, const Image& image) {
    const uint64_t stride = StrideOf(image.width);
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(image.height);
    uint8_t* row = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride) + 1, 1));
    if (row == nullptr) {
        std::fclose(file);
        return Fail("out of memory");
    }
    int error = 0;
    WriteHeaders(file, image, 0, 0);
    bool written = true;
    for (int32_t y = image.height - 1; y >= 0 && written; --y) {
        PackRow(image, y, row);
        written = std::fwrite(row, 1, static_cast<size_t>(stride), file) == stride;
        if (!written) error = errno;
    }
    if (written) {
        // A seek that fails would put the final headers after the pixels.
        written = std::fseek(file, 0, SEEK_SET) == 0;
        if (written) {
            WriteHeaders(file, image,
                         static_cast<uint32_t>(FileHeaderBytes + InfoHeaderBytes + pixelBytes),
                         static_cast<uint32_t>(pixelBytes));
        } else {
            error = errno;
        }
    }
    std::free(row);
    return Close(file, written, error);
}

// The whole file in memory with its final sizes, for an output that cannot be sought back
// in (a pipe, a terminal), written in one pass; then closed. 1, or 0 with the reason recorded.
int WriteInOnePassAndClose(FILE* file, const Image& image) {
    const uint64_t stride = StrideOf(image.width);
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(image.height);
    const uint64_t fileBytes = FileHeaderBytes + InfoHeaderBytes + pixelBytes;
    // Cleared, so that the padding after each row is zero as in a file written row by row.
    uint8_t* bytes = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(fileBytes), 1));
    if (bytes == nullptr) {
        std::fclose(file);
        return Fail("out of memory");
    }
    FillHeaders(bytes, bytes + FileHeaderBytes, image, static_cast<uint32_t>(fileBytes), static_cast<uint32_t>(pixelBytes));
    uint8_t* row = bytes + FileHeaderBytes + InfoHeaderBytes;
    for (int32_t y = image.height - 1; y >= 0; --y, row += stride) PackRow(image, y, row);
    const bool written = std::fwrite(bytes, 1, static_cast<size_t>(fileBytes), file) == fileBytes;
    const int error = written ? 0 : errno;
    std::free(bytes);
    return Close(file, written, error);
}

// Saves under the first free name from `first` on. A name is taken only by creating its
// file, and a file that could not be written whole is removed again: it was ours.
int SaveUnderFreeName(const Image& image, uint32_t first) {
    char name[32];
    for (uint64_t n = first; n <= LastScreenshotNumber; ++n) {
        std::snprintf(name, sizeof name, "Screenshot%2x.bmp", static_cast<unsigned>(n));
        FILE* file = CreateNewFile(name);
        if (file == nullptr) {
            const int error = errno;
            // Some systems answer a directory under the name with another error than "exists".
            if (error == EEXIST || Exists(name)) continue;
            return Fail(std::strerror(error));
        }
        if (WriteAndClose(file, image) == 1) return 1;
        std::remove(name);
        return 0;
    }
    return Fail("every screenshot name is taken");
}

}  // namespace

const char* BmpSizeCheck(int32_t width, int32_t height) {
    // The file's size fields are 32 bits wide.
    const bool fits = width >= 0 && height >= 0 &&
                      StrideOf(width) * static_cast<uint64_t>(height) <= UINT32_MAX - FileHeaderBytes - InfoHeaderBytes;
    return fits ? nullptr : SetReason("a picture of %d x %d is too large for BMP", width, height);
}

int SaveBmp(const char* path, const Image* image) {
    if (image == nullptr || image->width < 0 || image->height < 0) return Fail("no picture");
    // A picture whose file could not state its own size is refused rather than written
    // with sizes that lie.
    if (BmpSizeCheck(image->width, image->height) != nullptr) return 0;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return Fail(std::strerror(errno));
    // A device or a pipe named as the output is written to but never removed, and gets the
    // file in one pass: it cannot be sought back in to fill in the sizes.
    const bool regular = IsRegularFile(file);
    if ((regular ? WriteAndClose(file, *image) : WriteInOnePassAndClose(file, *image)) == 1) return 1;
    // A file cut short would pass for a picture; the reason survives the removal.
    if (regular) std::remove(path);
    return 0;
}

int TakeScreenshot(const uint32_t* pixels) {
    // The search starts at 0 on every call, so a gap left by a deleted file is filled first.
    return TakeScreenshotFrom(pixels, 0);
}

int TakeScreenshotFrom(const uint32_t* pixels, uint32_t first) {
    const Image image = {const_cast<uint32_t*>(pixels), Width, Height};
    return SaveUnderFreeName(image, first);
}
