// What the page asks before it gives the program pictures of the user's: whether start-up would
// take the pair, and if not, which picture and why, in start-up's own words.
#include <emscripten.h>

#include <string>

#include "image/pictures.h"
#include "platform/web/boundary.h"

// Takes spot.tga and scr.tga, as the page wrote them, by the rule start-up takes them by; ""
// when the program would start on them, else the refused picture's name, ": " and why. Called on
// an instance that never starts.
extern "C" EMSCRIPTEN_KEEPALIVE const char* varnelo_pictures_problem() {
    static std::string problem;
    Image* spot = nullptr;
    Image* scene = nullptr;
    const char* failedPath = nullptr;
    const char* why = LoadSpotAndScene(VARNELO_SPOT_FILE, VARNELO_SCENE_FILE, spot, scene, failedPath);
    if (why == nullptr) {
        FreeImage(spot);
        FreeImage(scene);
        return "";
    }
    problem = std::string(failedPath) + ": " + why;
    return problem.c_str();
}
