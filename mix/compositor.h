// Builds each frame: clear, stamp the spot, multiply with the scene into display order.
#pragma once

#include <cstdint>

#include "image/image.h"

// The frame and the two pictures it is built from. Start-up (or the offline renderer)
// fills them before the first frame and frees them after the last; the operations below
// only read Spot and Scene and work in place in FrameBuffer.
extern uint32_t* FrameBuffer;  // Width x Height pixels
extern Image* Spot;
extern Image* Scene;

// Gives FrameBuffer a new black frame from the heap, which its owner frees with free();
// false when memory runs out. Start-up and the offline renderer both take their frame here.
bool AllocateFrameBuffer();

void ClearFrame();
void DrawSpot(int32_t x, int32_t y);
void MultiplyScene();
void SwapRedBlue();

// ClearFrame, DrawSpot(x, y), MultiplyScene: one whole frame, left in display order.
// The frame step and the offline renderer both go through here, so their frames match.
void ComposeFrame(int32_t x, int32_t y);
