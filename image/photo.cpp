// Reading photos: the format named by the file's first bytes, its size checked before decoding,
// stb_image's pixels turned upright, and TGA files by name through the project's reader.
#include "image/photo.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "stb_image.h"

#include "image/orientation.h"
#include "image/tga.h"

namespace {

thread_local std::string failure;

Image* Fail(std::string reason) {
    failure = std::move(reason);
    return nullptr;
}

std::string TooLarge(int64_t width, int64_t height, int64_t maxPixels) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
           (maxPixels == MaxPhotoPixels ? "50 million" : std::to_string(maxPixels)) + " taken";
}

// The format a file's first bytes name, whether or not the rest is whole.
const char* FormatOf(const uint8_t* data, size_t size) {
    const auto starts = [data, size](const char* magic) {
        return size >= std::strlen(magic) && std::memcmp(data, magic, std::strlen(magic)) == 0;
    };
    if (starts("\x89PNG")) return "PNG";
    if (starts("\xFF\xD8")) return "JPEG";
    if (starts("GIF8")) return "GIF";
    if (starts("BM")) return "BMP";
    return nullptr;
}

int64_t tgaWidth = 0, tgaHeight = 0;
bool TgaFits(int32_t width, int32_t height) {
    tgaWidth = width;
    tgaHeight = height;
    return int64_t{width} * height <= MaxPhotoPixels;
}

// Whether a JPEG's Huffman tables stay within the 256 codes a table holds. stb_image 2.27,
// Debian 12's, trusts the counts and writes past its tables where they add up to more. Tables
// may come between the scans of a progressive JPEG, so the whole file is walked, and read as the
// decoder reads it: a length that cuts a table short does not stop it, the end of the file gives 0.
bool JpegTablesFit(const uint8_t* data, size_t size) {
    const auto byte = [data, size](size_t at) -> size_t { return at < size ? data[at] : 0; };
    for (size_t at = 2; at + 1 < size;) {
        const size_t marker = byte(at + 1);
        // Entropy-coded data, fill bytes, and the markers that have no length.
        if (byte(at) != 0xFF || marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9) break;
        const int64_t length = static_cast<int64_t>(byte(at + 2) << 8 | byte(at + 3));
        if (marker == 0xC4) {
            size_t table = at + 4;
            for (int64_t left = length - 2; left > 0;) {
                size_t codes = 0;
                for (size_t i = 1; i <= 16; ++i) codes += byte(table + i);
                if (codes > 256) return false;
                table += 17 + codes;
                left -= 17 + static_cast<int64_t>(codes);
            }
        }
        at += 2 + static_cast<size_t>(length);
    }
    return true;
}

bool NamedTga(const char* path) {
    const size_t length = std::strlen(path);
    return length >= 4 && path[length - 4] == '.' && std::tolower(path[length - 3]) == 't' &&
           std::tolower(path[length - 2]) == 'g' && std::tolower(path[length - 1]) == 'a';
}

}  // namespace

Image* LoadPhotoFromMemory(const uint8_t* data, size_t size, int64_t maxPixels) {
    const char* format = FormatOf(data, size);
    if (size == 0) return Fail("empty file");
    if (format == nullptr) return Fail("not a PNG, JPEG, GIF, BMP or TGA picture");
    const std::string damaged = std::string("a ") + format + " that could not be decoded, as if damaged or cut short";
    if (size > INT_MAX) return Fail(std::string(format) + " file larger than 2 GiB");
    // Before the decoder reads a header, which builds the tables too.
    if (std::strcmp(format, "JPEG") == 0 && !JpegTablesFit(data, size)) return Fail(damaged);
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) == 0) {
        return Fail(damaged);
    }
    if (int64_t{width} * height > maxPixels) return Fail(TooLarge(width, height, maxPixels));
    if (width <= 0 || height <= 0) return Fail(damaged);  // a header of no rows or columns
    uint8_t* rgba = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (rgba == nullptr) return Fail(std::strcmp(stbi_failure_reason(), "outofmem") == 0 ? "out of memory" : damaged);
    // The decoder's block (from malloc, as the picture's must be) becomes the picture: each pixel's
    // red, green, blue and alpha bytes are put together into its word in place.
    auto* stored = static_cast<Image*>(std::malloc(sizeof(Image)));
    if (stored == nullptr) {
        stbi_image_free(rgba);
        return Fail("out of memory");
    }
    *stored = Image{reinterpret_cast<uint32_t*>(rgba), width, height};
    for (size_t i = 0, count = static_cast<size_t>(width) * static_cast<size_t>(height); i < count; ++i) {
        const uint8_t* pixel = rgba + i * 4;
        stored->pixels[i] = pixel[0] | uint32_t{pixel[1]} << 8 | uint32_t{pixel[2]} << 16 | uint32_t{pixel[3]} << 24;
    }
    const int32_t orientation = std::strcmp(format, "JPEG") == 0 ? JpegOrientation(data, size) : 1;
    if (orientation == 1) return stored;
    Image* upright = Upright(*stored, orientation);
    FreeImage(stored);
    return upright != nullptr ? upright : Fail("out of memory");
}

Image* LoadPhoto(const char* path) {
    if (NamedTga(path)) {
        tgaWidth = tgaHeight = 0;
        Image* picture = LoadTga(path, TgaFits);
        return picture != nullptr ? picture : Fail(tgaWidth * tgaHeight > MaxPhotoPixels ? TooLarge(tgaWidth, tgaHeight, MaxPhotoPixels) : TgaFailureReason());
    }
    if (IsFolder(path)) return Fail(std::strerror(EISDIR));
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return Fail(std::strerror(errno));
    std::vector<uint8_t> bytes;
    uint8_t buffer[1 << 16];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed) return Fail(std::strerror(reason));
    return LoadPhotoFromMemory(bytes.data(), bytes.size());
}

const char* PhotoFailureReason() { return failure.c_str(); }
