// Putting TGA files together: header, run-length packets, file, the programs' 24-bit file.
#include "image/tga_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/reason.h"

std::vector<uint8_t> TgaHeaderBytes(const TgaLayout& l) {
    const auto lo = [](uint16_t v) { return static_cast<uint8_t>(v & 0xFF); };
    const auto hi = [](uint16_t v) { return static_cast<uint8_t>(v >> 8); };
    return {l.idLength, l.colourMapType, l.imageType, 0, 0, lo(l.colourMapLength), hi(l.colourMapLength),
            l.colourMapEntrySize, 0, 0, 0, 0, lo(l.width), hi(l.width), lo(l.height), hi(l.height),
            l.pixelDepth, l.descriptor};
}

std::vector<uint8_t> TgaFile(const TgaLayout& layout, const std::vector<std::vector<uint8_t>>& parts) {
    std::vector<uint8_t> file = TgaHeaderBytes(layout);
    for (const std::vector<uint8_t>& part : parts) file.insert(file.end(), part.begin(), part.end());
    return file;
}

std::vector<uint8_t> TrueColourTga(const Image& picture) {
    std::vector<uint8_t> file = TgaHeaderBytes({.width = static_cast<uint16_t>(picture.width),
                                                .height = static_cast<uint16_t>(picture.height),
                                                .descriptor = 0x20});  // top row first
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    file.resize(file.size() + count * 3);
    uint8_t* bgr = file.data() + file.size() - count * 3;  // TGA keeps blue-green-red
    for (size_t i = 0; i < count; ++i, bgr += 3) {
        const uint32_t pixel = picture.pixels[i];
        bgr[0] = static_cast<uint8_t>(pixel >> 16);
        bgr[1] = static_cast<uint8_t>(pixel >> 8);
        bgr[2] = static_cast<uint8_t>(pixel);
    }
    return file;
}

std::vector<uint8_t> RunLengthEncode(const std::vector<uint8_t>& values, size_t valueBytes) {
    std::vector<uint8_t> out;
    const size_t count = values.size() / valueBytes;
    const auto value = [&](size_t i) { return values.begin() + static_cast<std::ptrdiff_t>(i * valueBytes); };
    const auto same = [&](size_t a, size_t b) { return std::equal(value(a), value(a + 1), value(b)); };
    for (size_t i = 0; i < count;) {
        size_t length = 1;
        while (i + length < count && length < 128 && same(i, i + length)) ++length;
        const bool run = length > 1;
        if (!run) {
            // A raw stretch ends where the next run of two begins.
            const auto runStarts = [&](size_t at) { return at + 1 < count && same(at, at + 1); };
            while (i + length < count && length < 128 && !runStarts(i + length)) ++length;
        }
        out.push_back(static_cast<uint8_t>((run ? 0x80 : 0) | (length - 1)));
        out.insert(out.end(), value(i), value(run ? i + 1 : i + length));
        i += length;
    }
    return out;
}

const char* WriteFileBytes(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return SetReason("%s", std::strerror(errno));
    // An empty vector may hold no buffer at all, which fwrite must not be given.
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // The first call that failed says why: a buffered write may fail only as the file is closed.
    int error = written ? 0 : errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return nullptr;
    if (written) error = errno;
    return SetReason("%s", error != 0 ? std::strerror(error) : "write error");
}
