// LoadTga against stb_image on the same generated 2048 x 2048 files: raw 24-bit,
// run-length 32-bit and run-length 8-bit colour-mapped. Both give 32-bit pixels.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include "image/tga.h"
#include "image/tga_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t Side = 2048;

uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

Bytes Header(uint8_t imageType, uint8_t pixelDepth, uint16_t mapLength) {
    const uint8_t mapped = mapLength ? 1 : 0;
    return TgaHeaderBytes({.colourMapType = mapped, .imageType = imageType, .width = Side, .height = Side,
                           .colourMapLength = mapLength, .colourMapEntrySize = uint8_t(24 * mapped),
                           .pixelDepth = pixelDepth});
}

// A row of values in which stretches of one repeated value alternate with stretches of
// noise, as in drawn pictures; it is encoded row by row into run and raw packets.
void AppendRunLengthRow(Bytes& out, const std::vector<uint32_t>& row, size_t bytesPerValue) {
    Bytes values;
    for (uint32_t v : row) {
        for (size_t b = 0; b < bytesPerValue; ++b) values.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    const Bytes packets = RunLengthEncode(values, bytesPerValue);
    out.insert(out.end(), packets.begin(), packets.end());
}

std::vector<uint32_t> DrawRow(uint32_t& state, uint32_t mask) {
    std::vector<uint32_t> row;
    while (row.size() < Side) {
        const size_t length = 1 + NextRandom(state) % 48;
        const bool repeated = NextRandom(state) % 2 == 0;
        const uint32_t value = NextRandom(state) & mask;
        for (size_t k = 0; k < length && row.size() < Side; ++k) row.push_back(repeated ? value : NextRandom(state) & mask);
    }
    return row;
}

Bytes Raw24() {
    Bytes file = Header(2, 24, 0);
    uint32_t state = 1;
    for (size_t i = 0; i < size_t{Side} * Side * 3; ++i) file.push_back(static_cast<uint8_t>(NextRandom(state)));
    return file;
}

Bytes Rle32() {
    Bytes file = Header(10, 32, 0);
    uint32_t state = 2;
    for (int y = 0; y < Side; ++y) AppendRunLengthRow(file, DrawRow(state, 0xFFFFFFFF), 4);
    return file;
}

Bytes RleMapped8() {
    Bytes file = Header(9, 8, 256);
    uint32_t state = 3;
    for (int i = 0; i < 256 * 3; ++i) file.push_back(static_cast<uint8_t>(NextRandom(state)));
    for (int y = 0; y < Side; ++y) AppendRunLengthRow(file, DrawRow(state, 0xFF), 1);
    return file;
}

// The files live in a scratch folder for the whole run.
struct BenchFiles {
    std::filesystem::path folder;
    std::string raw24, rle32, rleMapped8;

    BenchFiles() {
        folder = std::filesystem::temp_directory_path() / ("varnelo-tga-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        raw24 = Write("raw24.tga", Raw24());
        rle32 = Write("rle32.tga", Rle32());
        rleMapped8 = Write("rle-mapped8.tga", RleMapped8());
    }
    ~BenchFiles() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    std::string Write(const char* name, const Bytes& bytes) const {
        const std::string path = (folder / name).string();
        if (WriteFileBytes(path.c_str(), bytes) != nullptr) std::abort();
        return path;
    }
};

const BenchFiles& Files() {
    static const BenchFiles files;
    return files;
}

// A speed comparison means something only if both readers give the same picture; alpha
// is left out, as stb_image makes it opaque where the file has none and LoadTga zero.
bool SameColours(const std::string& path) {
    Image* image = LoadTga(path.c_str());
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    bool same = image != nullptr && pixels != nullptr && width == image->width && height == image->height;
    for (size_t i = 0; same && i < size_t(width) * size_t(height); ++i) {
        const uint32_t stb = pixels[4 * i] | pixels[4 * i + 1] << 8 | uint32_t(pixels[4 * i + 2]) << 16;
        same = (image->pixels[i] & 0xFFFFFF) == stb;
    }
    FreeImage(image);
    stbi_image_free(pixels);
    return same;
}

void LoadWithLoadTga(benchmark::State& state, const std::string& path) {
    if (!SameColours(path)) {
        state.SkipWithError("LoadTga and stb_image disagree on the pixels");
        return;
    }
    for (auto _ : state) {
        Image* image = LoadTga(path.c_str());
        if (image == nullptr) state.SkipWithError("LoadTga refused the file");
        benchmark::DoNotOptimize(image);
        FreeImage(image);
    }
    state.SetItemsProcessed(state.iterations() * Side * Side);
}

void LoadWithStb(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
        if (pixels == nullptr) state.SkipWithError("stb_image refused the file");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetItemsProcessed(state.iterations() * Side * Side);
}

void LoadTga_Raw24(benchmark::State& state) { LoadWithLoadTga(state, Files().raw24); }
void Stb_Raw24(benchmark::State& state) { LoadWithStb(state, Files().raw24); }
void LoadTga_Rle32(benchmark::State& state) { LoadWithLoadTga(state, Files().rle32); }
void Stb_Rle32(benchmark::State& state) { LoadWithStb(state, Files().rle32); }
void LoadTga_RleMapped8(benchmark::State& state) { LoadWithLoadTga(state, Files().rleMapped8); }
void Stb_RleMapped8(benchmark::State& state) { LoadWithStb(state, Files().rleMapped8); }

BENCHMARK(LoadTga_Raw24)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_Raw24)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadTga_Rle32)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_Rle32)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadTga_RleMapped8)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_RleMapped8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
