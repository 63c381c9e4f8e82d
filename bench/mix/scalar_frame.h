// A plain one-pixel-at-a-time frame, the yardstick the compositor's compose is timed against.
#pragma once

#include <cstdint>

#include "image/image.h"

// Clears frame, stamps spot centred on (x, y) with a bounds test per spot pixel, and
// multiplies all Width x Height pixels with scene into display order.
void ScalarFrame(uint32_t* frame, const Image& spot, const Image& scene, int32_t x, int32_t y);
