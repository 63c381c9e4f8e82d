// Test helpers for the image tests: a scratch directory, and TGA files put together
// byte by byte so that every field of a case is visible where the case is written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Bytes = std::vector<uint8_t>;

struct TgaFields {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t width = 1;  // ahead of the map fields, so that cases name the size first
    uint16_t height = 1;
    uint16_t colourMapStart = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntrySize = 0;
    uint8_t pixelDepth = 24;
    uint8_t descriptor = 0;
};

inline Bytes TgaHeaderBytes(const TgaFields& f) {
    auto lo = [](uint16_t v) { return static_cast<uint8_t>(v & 0xFF); };
    auto hi = [](uint16_t v) { return static_cast<uint8_t>(v >> 8); };
    return {f.idLength,         f.colourMapType,       f.imageType,       lo(f.colourMapStart),
            hi(f.colourMapStart), lo(f.colourMapLength), hi(f.colourMapLength),
            f.colourMapEntrySize, 0, 0, 0, 0,           lo(f.width),       hi(f.width),
            lo(f.height),       hi(f.height),          f.pixelDepth,      f.descriptor};
}

// The header followed by whatever the case puts after it.
inline Bytes Tga(const TgaFields& fields, std::initializer_list<Bytes> parts) {
    Bytes file = TgaHeaderBytes(fields);
    size_t size = file.size();
    for (const Bytes& part : parts) size += part.size();
    file.resize(size);
    size_t at = 18;
    for (const Bytes& part : parts) {
        std::copy(part.begin(), part.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        at += part.size();
    }
    return file;
}

inline Bytes Repeat(uint8_t value, size_t count) {
    return Bytes(count, value);
}

// A fresh directory under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnelo-image-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
        EXPECT_FALSE(path_.empty());
    }
    ~ScratchDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::string file = File(name);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::string path_;
};

// Names each case of a table after its `name` field.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
