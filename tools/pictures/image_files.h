// The files varnelo-pictures writes, as bytes: TGA for the demo's pictures, PNG and ICO for the icons.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tools/pictures/art.h"

// The TGA file the demo reads, of 3-channel pixels.
std::vector<uint8_t> RgbTga(const Pixels& pixels);

// A compressed PNG of the pixels, the same bytes on every machine.
std::vector<uint8_t> PngFile(const Pixels& pixels);

// An icon file of PNG images (which Windows reads since Vista), each given with its width.
std::vector<uint8_t> IcoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& pngs);
