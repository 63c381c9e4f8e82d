// The SDL screen's keyboard: which keys reach the program as Windows virtual keys, and which
// one the screen keeps for itself.
#pragma once

#include <SDL.h>

namespace keys {

// The Windows virtual-key code of a key SDL reports; 0 for a key without one, which is not delivered.
unsigned VirtualKey(SDL_Keycode code);

// Alt+Enter, either Enter and either Alt, held down or not: the switch between full screen and a
// window, which Windows gives a program as a system key and never as WM_KEYDOWN.
bool SwitchesWindow(const SDL_KeyboardEvent& key);

}  // namespace keys
