// Preloaded into a program under the frame-timing benchmark: records, in microseconds of the
// monotonic clock, each time a frame is handed to SDL, so the program itself keeps no hook.
// usage: LD_PRELOAD=libvarnelo_flip_stamps.so FLIP_STAMPS=FILE program
#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::once_flag opened;
FILE* stamps = nullptr;

void Stamp() {
    std::call_once(opened, [] {
        const char* path = std::getenv("FLIP_STAMPS");
        if (path != nullptr && *path != '\0') stamps = std::fopen(path, "w");
    });
    if (stamps == nullptr) return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stamps, "%lld\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    std::fflush(stamps);  // readable while the program runs
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

// varnelo's screen takes the window surface once per presented frame and then sends only the
// rows that changed, none for a spot that stands still: the surface request is the frame.
SDL_Surface* SDL_GetWindowSurface(SDL_Window* window) {
    static const auto next = Next<SDL_Surface* (*)(SDL_Window*)>("SDL_GetWindowSurface");
    Stamp();
    return next(window);
}

// The reference loop presents through a renderer.
void SDL_RenderPresent(SDL_Renderer* renderer) {
    static const auto next = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
    next(renderer);
    Stamp();
}
}
