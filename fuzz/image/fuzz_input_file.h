// The readers take a path, so each fuzz input is put in a file of this process's own
// before it is read. Inputs whose header asks for a picture larger than the fuzzer's
// memory limit are passed over: they say nothing new and would only end the run.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const char* FuzzInputPath() {
    static const std::string path = [] {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path folder =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        return (folder / ("varnelo-fuzz-" + std::to_string(getpid()) + ".tga")).string();
    }();
    static const bool removedAtExit = std::atexit([] { std::remove(FuzzInputPath()); }) == 0;
    (void)removedAtExit;
    return path.c_str();
}

inline bool PutFuzzInput(const uint8_t* data, size_t size) {
    if (size >= 16) {
        const size_t width = data[12] | data[13] << 8;
        const size_t height = data[14] | data[15] << 8;
        if (width * height > (size_t{1} << 18)) return false;
    }
    FILE* file = std::fopen(FuzzInputPath(), "wb");
    if (file == nullptr) std::abort();
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) std::abort();
    return true;
}
