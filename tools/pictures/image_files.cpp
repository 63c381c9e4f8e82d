// The files varnelo-pictures writes: TGA by the project's writer, PNG by stb_image_write (from
// Debian's libstb-dev, compiled into the tool), and the ICO container around PNGs.
#include "tools/pictures/image_files.h"

#include <new>

#include "image/tga_writer.h"
#include "stb_image_write.h"

std::vector<uint8_t> RgbTga(const Pixels& pixels) {
    std::vector<uint32_t> packed(pixels.bytes.size() / 3);
    for (size_t i = 0; i < packed.size(); ++i) {
        const uint8_t* rgb = &pixels.bytes[3 * i];
        packed[i] = uint32_t{rgb[0]} | uint32_t{rgb[1]} << 8 | uint32_t{rgb[2]} << 16;
    }
    return TrueColourTga(Image{packed.data(), pixels.width, pixels.height});
}

std::vector<uint8_t> PngFile(const Pixels& pixels) {
    // The library's settings, named rather than left to its defaults: a longer search for repeats
    // than its 8 (5 % smaller files for a tenth of a second), and each row's filter chosen by the row.
    stbi_write_png_compression_level = 64;
    stbi_write_force_png_filter = -1;
    std::vector<uint8_t> png;
    const auto append = [](void* to, void* data, int size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        static_cast<std::vector<uint8_t>*>(to)->insert(static_cast<std::vector<uint8_t>*>(to)->end(), bytes, bytes + size);
    };
    // It fails only where it cannot get the memory it works in.
    if (stbi_write_png_to_func(append, &png, pixels.width, pixels.height, pixels.channels, pixels.bytes.data(),
                               pixels.width * pixels.channels) == 0) {
        throw std::bad_alloc();
    }
    return png;
}

namespace {

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> IcoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& pngs) {
    std::vector<uint8_t> ico = {0, 0, 1, 0, uint8_t(pngs.size()), 0}, images;
    for (const auto& [size, png] : pngs) {
        // Width and height of 256 are written as 0; no palette; 1 plane of 32 bits.
        ico.insert(ico.end(), {uint8_t(size), uint8_t(size), 0, 0, 1, 0, 32, 0});
        PutLittleEndian(ico, uint32_t(png.size()), 4);
        PutLittleEndian(ico, uint32_t(6 + 16 * pngs.size() + images.size()), 4);
        images.insert(images.end(), png.begin(), png.end());
    }
    ico.insert(ico.end(), images.begin(), images.end());
    return ico;
}
