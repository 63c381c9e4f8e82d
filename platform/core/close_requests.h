// Close requests from outside the window (SIGINT, SIGTERM), and the watch that ends a program
// that cannot act on one in time: a display that went away can leave it stuck in its library.
#pragma once

namespace close_requests {

// CreateWindowExA, once the screen is open: puts the watch in front of whatever answers SIGINT and
// SIGTERM by then (SDL's handler, which queues its quit event, goes on being called). A signal
// ignored since the program started stays ignored, as a shell's background job expects.
void Watch();

// GetMessageA, every turn: true once for a request that came, which the loop then turns into
// WM_CLOSE. From then on the closing itself is bounded as the taking was.
bool Take();

}  // namespace close_requests
