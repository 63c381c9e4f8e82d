// The photo formats' headers: the first bytes that name each format and where each states its size.
#include "image/photo_header.h"

#include <cstdlib>
#include <cstring>

#include "image/jpeg_check.h"

namespace {

uint32_t Be32(const uint8_t* at) { return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3]; }
uint32_t Le32(const uint8_t* at) { return uint32_t{at[3]} << 24 | uint32_t{at[2]} << 16 | uint32_t{at[1]} << 8 | at[0]; }
uint32_t Le16(const uint8_t* at) { return uint32_t{at[1]} << 8 | at[0]; }

bool Is(const char* format, const char* name) { return std::strcmp(format, name) == 0; }

// A WebP's size, from whichever chunk comes first: a lossy frame's 14-bit sides, a lossless one's
// packed sides less one, or the extended header's 24-bit canvas sides less one.
bool WebpSize(const uint8_t* data, size_t size, int64_t& width, int64_t& height) {
    const auto first = [data, size](const char* chunk, size_t headerEnd) {
        return size >= headerEnd && std::memcmp(data + 12, chunk, 4) == 0;
    };
    const bool lossy = first("VP8 ", 30), lossless = first("VP8L", 25), extended = first("VP8X", 30);
    if (lossy) width = Le16(data + 26) & 0x3FFF, height = Le16(data + 28) & 0x3FFF;
    if (lossless) width = (Le16(data + 21) & 0x3FFF) + 1, height = (Le32(data + 21) >> 14 & 0x3FFF) + 1;
    if (extended) width = (Le32(data + 24) & 0xFFFFFF) + 1, height = (Le32(data + 26) >> 8) + 1;
    return lossy || lossless || extended;
}

}  // namespace

const char* PhotoFormat(const uint8_t* data, size_t size) {
    const auto starts = [data, size](const char* magic, size_t at = 0) {
        return size >= at + std::strlen(magic) && std::memcmp(data + at, magic, std::strlen(magic)) == 0;
    };
    if (starts("\x89PNG")) return "PNG";
    if (starts("\xFF\xD8")) return "JPEG";
    if (starts("GIF8")) return "GIF";
    if (starts("BM")) return "BMP";
    if (starts("RIFF") && starts("WEBP", 8)) return "WebP";
    return nullptr;
}

bool StatedPhotoSize(const char* format, const uint8_t* data, size_t size, int64_t& width, int64_t& height) {
    if (Is(format, "JPEG")) return JpegFrameSize(data, size, width, height);
    if (Is(format, "WebP")) return WebpSize(data, size, width, height);
    if (Is(format, "PNG") && size >= 24) {
        width = Be32(data + 16), height = Be32(data + 20);
    } else if (Is(format, "GIF") && size >= 10) {
        width = Le16(data + 6), height = Le16(data + 8);
    } else if (Is(format, "BMP") && size >= 26 && Le32(data + 14) == 12) {
        width = Le16(data + 18), height = Le16(data + 20);
    } else if (Is(format, "BMP") && size >= 26) {
        width = static_cast<int32_t>(Le32(data + 18)), height = std::llabs(static_cast<int32_t>(Le32(data + 22)));
    } else {
        return false;
    }
    return true;
}
