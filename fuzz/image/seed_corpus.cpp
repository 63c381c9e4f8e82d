// Writes the fuzzer's seed corpus: one small TGA file of each kind the reader takes, so that
// fuzzing starts from every decoding path rather than from nothing.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/tga_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    // Type, depth, descriptor, map length, map entry size, ID length; all 5 x 3 pixels.
    const uint16_t seeds[][6] = {
        {2, 24, 0x00, 0, 0, 0},  {2, 24, 0x20, 0, 0, 0}, {2, 32, 0x28, 0, 0, 0},  {2, 16, 0x00, 0, 0, 0},
        {10, 24, 0x00, 0, 0, 0}, {10, 32, 0x20, 0, 0, 0}, {10, 16, 0x00, 0, 0, 0}, {10, 15, 0x20, 0, 0, 0},
        {1, 8, 0x00, 16, 24, 0}, {1, 8, 0x20, 8, 16, 0}, {1, 8, 0x00, 4, 32, 0},  {9, 8, 0x00, 16, 24, 0},
        {9, 8, 0x20, 8, 15, 0},  {3, 8, 0x00, 0, 0, 0},  {11, 8, 0x20, 0, 0, 0},  {2, 24, 0x00, 3, 24, 9},
        {9, 8, 0x00, 300, 24, 0}, {11, 8, 0x00, 2, 16, 4},
    };
    int n = 0;
    for (const auto& s : seeds) {
        const size_t entryBytes = (s[4] + 1u) / 8u, valueBytes = (s[0] & 7) != 2 ? 1 : (s[1] + 1u) / 8u;
        std::vector<uint8_t> id(s[5], 0xEE), map(s[3] * entryBytes), values;
        const auto byte = [&](int field) { return uint8_t(s[field]); };
        for (size_t i = 0; i < map.size(); ++i) map[i] = uint8_t(i * 7);
        // Pairs of equal pixels give the encoder runs as well as raw stretches.
        for (size_t p = 0; p < 15 * valueBytes; ++p) {
            values.push_back(uint8_t(p / valueBytes / 2 * 13 + p % valueBytes));
        }
        const std::vector<uint8_t> file = TgaFile(
            {.idLength = byte(5), .colourMapType = s[3] != 0, .imageType = byte(0), .width = 5, .height = 3,
             .colourMapLength = s[3], .colourMapEntrySize = byte(4), .pixelDepth = byte(1), .descriptor = byte(2)},
            {id, map, s[0] & 8 ? RunLengthEncode(values, valueBytes) : values});
        const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++) + ".tga";
        if (!WriteFileBytes(path.c_str(), file)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
