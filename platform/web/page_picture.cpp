// The bundled pictures as the page sends them: run-length encoded by the project's TGA writer,
// the same pixels in about half the bytes. Built for node and run during the web build.
// usage: page_picture IN.tga OUT.tga   (IN: an uncompressed 24- or 32-bit true-colour TGA)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/tga_writer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: page_picture IN.tga OUT.tga\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t start = file.size() < 18 ? 0 : 18 + size_t{file[0]};
    const size_t width = start == 0 ? 0 : size_t(file[12] | file[13] << 8), height = start == 0 ? 0 : size_t(file[14] | file[15] << 8);
    const size_t pixelBytes = start == 0 ? 0 : size_t{file[16]} / 8, end = start + width * height * pixelBytes;
    if (start == 0 || file[1] != 0 || file[2] != 2 || (pixelBytes != 3 && pixelBytes != 4) || file.size() < end) {
        std::fprintf(stderr, "page_picture: %s: not an uncompressed 24- or 32-bit true-colour TGA\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(start));
    out[2] = 10;
    // Packets stay within a row, as readers of the run-length form expect.
    for (size_t row = 0; row < height; ++row) {
        const auto first = file.begin() + static_cast<std::ptrdiff_t>(start + row * width * pixelBytes);
        const std::vector<uint8_t> packets = RunLengthEncode({first, first + static_cast<std::ptrdiff_t>(width * pixelBytes)}, pixelBytes);
        out.insert(out.end(), packets.begin(), packets.end());
    }
    // Whatever follows the pixels (a TGA 2.0 footer) is kept as it is.
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(end), file.end());
    if (const char* why = WriteFileBytes(argv[2], out)) {
        std::fprintf(stderr, "page_picture: cannot write %s: %s\n", argv[2], why);
        return 1;
    }
    return 0;
}
