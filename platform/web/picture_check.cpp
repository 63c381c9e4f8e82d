// What the page asks before it gives the program a picture of the user's: whether start-up
// would read it, and if not, why, in the reader's own words.
#include <emscripten.h>

#include "image/tga.h"

// Reads spot.tga (scene 0) or scr.tga (scene 1), as the page wrote it, the way start-up reads
// it; "" when it reads, else the reason it does not. Called on an instance that never starts.
extern "C" EMSCRIPTEN_KEEPALIVE const char* varnelo_picture_problem(int scene) {
    Image* picture = LoadTga(scene != 0 ? "scr.tga" : "spot.tga");
    if (picture == nullptr) return TgaFailureReason();
    FreeImage(picture);
    return "";
}
