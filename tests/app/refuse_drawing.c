// Preloaded into the program, makes SDL offer no way to draw in a window: no window surface and no
// renderer, as on a display where SDL's driver has no surface and no renderer will start.
#include <stddef.h>
#include <stdint.h>

// SDL's own types, of which only pointers pass here.
typedef struct SDL_Window SDL_Window;
typedef struct SDL_Surface SDL_Surface;
typedef struct SDL_Renderer SDL_Renderer;

SDL_Surface* SDL_GetWindowSurface(SDL_Window* window) {
    (void)window;
    return NULL;
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* window, int index, uint32_t flags) {
    (void)window, (void)index, (void)flags;
    return NULL;
}
