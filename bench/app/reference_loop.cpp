// The yardstick for the demo's frame timing: a plain SDL2 loop that presents a 320 x 200
// streaming texture and sleeps with SDL_Delay(20) between frames, until it is asked to quit.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "reference loop: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("reference loop", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320,
                                          200, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = window != nullptr ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    SDL_Texture* texture = renderer != nullptr ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                                                   SDL_TEXTUREACCESS_STREAMING, 320, 200)
                                               : nullptr;
    if (texture == nullptr) {
        std::fprintf(stderr, "reference loop: %s\n", SDL_GetError());
        return 1;
    }
    std::vector<uint32_t> pixels(320 * 200);
    bool running = true;
    for (uint32_t frame = 0; running; ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) running = false;
        }
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i + frame) * 0x010203u;
        SDL_UpdateTexture(texture, nullptr, pixels.data(), 320 * 4);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        SDL_Delay(20);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
