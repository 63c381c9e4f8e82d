// The SDL screen's error box. SDL shows it from a child process and waits for that child, so a
// close request (SIGINT, SIGTERM) has to end both, or the program would wait for a click forever.
#pragma once

namespace box {

// Shows the text under its caption until the user answers. A close request meanwhile ends the
// program at once with closeExitCode, and the box's processes with it.
void Show(const char* caption, const char* text, int closeExitCode);

}  // namespace box
