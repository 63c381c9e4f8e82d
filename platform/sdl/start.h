// What the Linux entry tells the SDL screen before the program starts: whether the picture starts
// in a window, and the shape it shows in. The stand-in DirectDraw knows nothing of either.
#pragma once

#include "platform/letterbox.h"

namespace screen {

void ChooseStart(bool inWindow, letterbox::Shape shape);

}  // namespace screen
