// Writes the fuzzers' seed corpus: one small TGA file of each kind the reader takes, so
// that fuzzing starts from every decoding path rather than from nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t SeedWidth = 5;
constexpr uint16_t SeedHeight = 3;

struct Seed {
    uint8_t imageType;
    uint8_t pixelDepth;
    uint8_t descriptor;
    uint16_t mapLength;
    uint8_t mapEntrySize;
    uint8_t idLength;
};

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

// Runs of equal values become run packets and the rest raw packets, over the whole
// picture at once, so that packets also reach across rows.
Bytes RunLengthEncode(const Bytes& values, size_t bytesPerValue) {
    Bytes out;
    const size_t count = values.size() / bytesPerValue;
    auto same = [&](size_t a, size_t b) {
        return std::equal(values.begin() + a * bytesPerValue, values.begin() + (a + 1) * bytesPerValue,
                          values.begin() + b * bytesPerValue);
    };
    for (size_t i = 0; i < count;) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run > 1) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), values.begin() + i * bytesPerValue, values.begin() + (i + 1) * bytesPerValue);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
        out.push_back(static_cast<uint8_t>(raw - 1));
        out.insert(out.end(), values.begin() + i * bytesPerValue, values.begin() + (i + raw) * bytesPerValue);
        i += raw;
    }
    return out;
}

Bytes Build(const Seed& seed) {
    Bytes file = {seed.idLength, uint8_t(seed.mapLength ? 1 : 0), seed.imageType};
    Put16(file, 0);
    Put16(file, seed.mapLength);
    file.push_back(seed.mapEntrySize);
    Put16(file, 0);
    Put16(file, 0);
    Put16(file, SeedWidth);
    Put16(file, SeedHeight);
    file.push_back(seed.pixelDepth);
    file.push_back(seed.descriptor);
    for (uint8_t i = 0; i < seed.idLength; ++i) file.push_back(i);
    const size_t entryBytes = seed.mapEntrySize == 15 ? 2 : seed.mapEntrySize / 8u;
    for (size_t i = 0; i < seed.mapLength * entryBytes; ++i) file.push_back(static_cast<uint8_t>(i * 7));

    const bool trueColour = (seed.imageType & 7) == 2;
    const size_t bytesPerValue = !trueColour ? 1 : seed.pixelDepth == 32 ? 4 : seed.pixelDepth == 24 ? 3 : 2;
    Bytes values;
    for (size_t p = 0; p < size_t{SeedWidth} * SeedHeight; ++p) {
        // Pairs of equal pixels give the encoder runs as well as raw stretches.
        for (size_t b = 0; b < bytesPerValue; ++b) values.push_back(static_cast<uint8_t>((p / 2) * 13 + b));
    }
    const Bytes pixels = (seed.imageType & 8) ? RunLengthEncode(values, bytesPerValue) : values;
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::vector<Seed> seeds = {
        {2, 24, 0x00, 0, 0, 0},  {2, 24, 0x20, 0, 0, 0},  {2, 32, 0x28, 0, 0, 0},   {2, 16, 0x00, 0, 0, 0},
        {10, 24, 0x00, 0, 0, 0}, {10, 32, 0x20, 0, 0, 0}, {10, 16, 0x00, 0, 0, 0},  {10, 15, 0x20, 0, 0, 0},
        {1, 8, 0x00, 16, 24, 0}, {1, 8, 0x20, 8, 16, 0},  {1, 8, 0x00, 4, 32, 0},   {9, 8, 0x00, 16, 24, 0},
        {9, 8, 0x20, 8, 15, 0},  {3, 8, 0x00, 0, 0, 0},   {11, 8, 0x20, 0, 0, 0},   {2, 24, 0x00, 3, 24, 9},
        {9, 8, 0x00, 300, 24, 0}, {11, 8, 0x00, 2, 16, 4},
    };
    std::filesystem::create_directories(argv[1]);
    int n = 0;
    for (const Seed& seed : seeds) {
        const Bytes file = Build(seed);
        const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++) + ".tga";
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
