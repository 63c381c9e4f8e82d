// The one pixel format the program shows, 32-bit XRGB, by the masks DirectDraw and SDL describe it
// with: what the display code asks DirectDraw for and what the stand-ins answer and accept.
#pragma once

#include <cstdint>

constexpr uint32_t XrgbRedMask = 0x00FF0000;
constexpr uint32_t XrgbGreenMask = 0x0000FF00;
constexpr uint32_t XrgbBlueMask = 0x000000FF;
