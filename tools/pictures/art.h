// The pictures varnelo-pictures draws: the spot, the scene it lights and the program's icon.
#pragma once

#include <cstdint>
#include <vector>

// 8-bit pixels, top row first, each red, green, blue and (with 4 channels) alpha.
struct Pixels {
    int width;
    int height;
    int channels;
    std::vector<uint8_t> bytes;
};

// The bundled spot.tga: a round 96 x 96 spot, warm white in the middle, black at the rim.
Pixels PaintSpotPicture();
// The bundled scr.tga: the 320 x 200 brick wall with its round window, banner, framed rings and tiled floor.
Pixels PaintScenePicture();
// The program's icon, size x size with alpha: the round window lit by the spot, on a disc.
Pixels PaintIcon(int size);
