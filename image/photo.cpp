// Reading photos: the format named by the file's first bytes, what the decoder cannot take and
// the size the header states checked before decoding, stb_image's pixels turned upright, and TGA
// files by name through the project's reader.
#include "image/photo.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "stb_image.h"

#include "image/jpeg_check.h"
#include "image/orientation.h"
#include "image/photo_header.h"
#include "image/pictures.h"
#include "image/reason.h"

namespace {

Image* Fail(const std::string& reason) {
    SetReason("%s", reason.c_str());
    return nullptr;
}

// The most columns or rows stb_image takes.
constexpr int64_t MaxSide = int64_t{1} << 24;

uint32_t Le32(const uint8_t* at) { return uint32_t{at[3]} << 24 | uint32_t{at[2]} << 16 | uint32_t{at[1]} << 8 | at[0]; }

// The format the decoder takes that a file's first bytes name; null for WebP too, which it refuses.
const char* FormatOf(const uint8_t* data, size_t size) {
    const char* format = PhotoFormat(data, size);
    return format != nullptr && std::strcmp(format, "WebP") != 0 ? format : nullptr;
}

// Why the first bytes alone refuse a file: empty, or no format the decoder takes.
const char* FirstBytesRefusal(const uint8_t* data, size_t size) {
    if (size == 0) return "empty file";
    if (FormatOf(data, size) != nullptr) return nullptr;
    return PhotoFormat(data, size) != nullptr ? "a WebP picture is not supported: save it as PNG or JPEG"
                                              : "not a PNG, JPEG, GIF, BMP or TGA picture";
}

// Why a stated size is refused, recorded: more pixels than taken, or a side longer than the
// decoder's; null for neither.
const char* SizeRefusal(int64_t width, int64_t height, int64_t maxPixels) {
    if (const char* over = OverPictureCap(width, height, maxPixels)) return over;
    if (width <= MaxSide && height <= MaxSide) return nullptr;
    return SetReason("%s x %s pixels, a side longer than the %s taken", std::to_string(width).c_str(),
                     std::to_string(height).c_str(), std::to_string(MaxSide).c_str());
}

// What the decoder does not take, said by name rather than as damage.
const char* Unsupported(const char* format, const uint8_t* data, size_t size) {
    if (std::strcmp(format, "JPEG") == 0) return JpegProblem(data, size);
    const bool runLength = std::strcmp(format, "BMP") == 0 && size >= 34 && Le32(data + 14) >= 40 &&
                           (Le32(data + 30) == 1 || Le32(data + 30) == 2);
    return runLength ? "a run-length BMP is not supported" : nullptr;
}

bool NamedTga(const char* path) {
    const size_t length = std::strlen(path);
    return length >= 4 && path[length - 4] == '.' && std::tolower(path[length - 3]) == 't' &&
           std::tolower(path[length - 2]) == 'g' && std::tolower(path[length - 1]) == 'a';
}

// A TGA photo is fitted as start-up fits a scene, its alpha ignored: most TGA files have none,
// and many that have the channel leave it 0.
Image* OpaqueTga(const char* path) {
    Image* picture = LoadCappedTga(path);
    if (picture == nullptr) return nullptr;
    for (size_t i = 0, count = static_cast<size_t>(picture->width) * static_cast<size_t>(picture->height); i < count; ++i) {
        picture->pixels[i] |= 0xFF000000u;
    }
    return picture;
}

// Whether a PNG chunk says it holds more than the file has left: the decoder would set memory
// aside for it (doubling up to 2 GiB) before finding the data missing, which a file of a hundred
// bytes could ask for.
bool PngChunkOverruns(const uint8_t* data, size_t size) {
    for (size_t at = 8; at + 8 <= size;) {
        const uint32_t length = uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 | data[at + 3];
        if (length > size - at - 8) return true;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return false;
        at += size_t{length} + 12;
    }
    return false;
}

std::string LargerThanTaken(const uint8_t* data) { return std::string(FormatOf(data, 4)) + " file larger than 2 GiB"; }

// True, the reason recorded, where a file's first bytes refuse it: its format, the size its
// header states, or the size of the file itself.
bool RefusedAtStart(const char* path, const uint8_t* data, size_t size) {
    int64_t width = 0, height = 0;
    std::error_code error;
    if (const char* refusal = FirstBytesRefusal(data, size)) {
        Fail(refusal);
    } else if (StatedPhotoSize(FormatOf(data, size), data, size, width, height) && SizeRefusal(width, height, MaxPicturePixels)) {
        // recorded by SizeRefusal
    } else if (const auto fileSize = std::filesystem::file_size(path, error); !error && fileSize > uintmax_t{INT_MAX}) {
        Fail(LargerThanTaken(data));
    } else {
        return false;
    }
    return true;
}

}  // namespace

Image* LoadPhotoFromMemory(const uint8_t* data, size_t size, int64_t maxPixels) {
    if (const char* refusal = FirstBytesRefusal(data, size)) return Fail(refusal);
    const char* format = FormatOf(data, size);
    const std::string damaged = std::string("a ") + format + UNDECODABLE_REASON;
    if (size > INT_MAX) return Fail(LargerThanTaken(data));
    // The size first: the JPEG check reads the whole file, which a stated size over the cap saves.
    int64_t width = 0, height = 0;
    const bool stated = StatedPhotoSize(format, data, size, width, height);
    if (stated && SizeRefusal(width, height, maxPixels) != nullptr) return nullptr;
    if (const char* unsupported = Unsupported(format, data, size)) return Fail(unsupported);
    if (!stated || width <= 0 || height <= 0) return Fail(damaged);  // no header, or one of no rows or columns
    if (std::strcmp(format, "PNG") == 0 && PngChunkOverruns(data, size)) return Fail(damaged);
    int decodedWidth = 0, decodedHeight = 0, channels = 0;
    uint8_t* rgba = stbi_load_from_memory(data, static_cast<int>(size), &decodedWidth, &decodedHeight, &channels, 4);
    if (rgba == nullptr) return Fail(std::strcmp(stbi_failure_reason(), "outofmem") == 0 ? "out of memory" : damaged);
    // The decoder's block (from malloc, as the picture's must be) becomes the picture: each pixel's
    // red, green, blue and alpha bytes are put together into its word in place.
    auto* stored = static_cast<Image*>(std::malloc(sizeof(Image)));
    if (stored == nullptr) {
        stbi_image_free(rgba);
        return Fail("out of memory");
    }
    *stored = Image{reinterpret_cast<uint32_t*>(rgba), decodedWidth, decodedHeight};
    for (size_t i = 0, count = static_cast<size_t>(decodedWidth) * static_cast<size_t>(decodedHeight); i < count; ++i) {
        const uint8_t* pixel = rgba + i * 4;
        stored->pixels[i] = pixel[0] | uint32_t{pixel[1]} << 8 | uint32_t{pixel[2]} << 16 | uint32_t{pixel[3]} << 24;
    }
    const int32_t orientation = PhotoOrientation(data, size);
    if (orientation == 1) return stored;
    Image* upright = Upright(*stored, orientation);
    FreeImage(stored);
    return upright != nullptr ? upright : Fail("out of memory");
}

Image* LoadPhoto(const char* path) {
    if (NamedTga(path)) return OpaqueTga(path);
    if (IsFolder(path)) return Fail(std::strerror(EISDIR));
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return Fail(std::strerror(errno));
    // What the first bytes refuse is refused without reading on: the input may be endless, or
    // gigabytes of something else.
    std::vector<uint8_t> bytes;
    uint8_t buffer[1 << 16];
    bool refused = false;
    for (size_t got; !refused && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        if (bytes.empty()) refused = RefusedAtStart(path, buffer, got);
        if (!refused && bytes.size() + got > size_t{INT_MAX}) {
            Fail(LargerThanTaken(buffer));
            refused = true;
        }
        if (!refused) bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool failed = !refused && std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (refused) return nullptr;
    if (failed) return Fail(std::strerror(reason));
    return LoadPhotoFromMemory(bytes.data(), bytes.size());
}
