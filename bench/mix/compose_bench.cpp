// Timing of one frame's compose against its floor (a memset of the frame), a plain scalar
// loop of the same steps, and the same work done by pixman and by SDL2's software blitter.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench/mix/scalar_frame.h"
#include "mix/compositor.h"

namespace {

constexpr size_t FramePixels = size_t{Width} * size_t{Height};
constexpr int32_t MouseX = 160, MouseY = 100;

// The frame, the scene and a spot of the benchmark's size, filled with noise so that no
// step can take a shortcut on zeros.
struct Pictures {
    std::vector<uint32_t> frame = std::vector<uint32_t>(FramePixels);
    std::vector<uint32_t> scenePixels = std::vector<uint32_t>(FramePixels);
    std::vector<uint32_t> spotPixels;
    Image scene{};
    Image spot{};

    explicit Pictures(const benchmark::State& state)
        : spotPixels(size_t(state.range(0)) * size_t(state.range(1))) {
        std::mt19937 random(7);
        for (auto& pixel : scenePixels) pixel = uint32_t(random()) & 0x00FFFFFF;
        for (auto& pixel : spotPixels) pixel = uint32_t(random()) & 0x00FFFFFF;
        scene = {scenePixels.data(), Width, Height};
        spot = {spotPixels.data(), int32_t(state.range(0)), int32_t(state.range(1))};
        FrameBuffer = frame.data();
        Spot = &spot;
        Scene = &scene;
    }
    ~Pictures() {
        FrameBuffer = nullptr;
        Spot = nullptr;
        Scene = nullptr;
    }
};

// The part of the frame the spot covers at the benchmark's mouse position.
struct Area {
    int32_t x, y, width, height;  // in the frame
    int32_t spotX, spotY;         // where it starts in the spot
};

Area SpotArea(const Image& spot) {
    const int32_t left = MouseX - spot.width / 2, top = MouseY - spot.height / 2;
    const int32_t x = std::max(left, 0), y = std::max(top, 0);
    const int32_t right = std::min(left + spot.width, Width), bottom = std::min(top + spot.height, Height);
    return {x, y, right - x, bottom - y, x - left, y - top};
}

void SetSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"spot_w", "spot_h"})->Args({64, 64})->Args({400, 300});
}

void MemsetFloor(benchmark::State& state) {
    Pictures pictures(state);
    for (auto _ : state) {
        std::memset(FrameBuffer, 0, FramePixels * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemsetFloor)->Apply(SetSizes);

void ComposeFrameCall(benchmark::State& state) {
    Pictures pictures(state);
    for (auto _ : state) {
        ComposeFrame(MouseX, MouseY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ComposeFrameCall)->Apply(SetSizes);

void SeparateSteps(benchmark::State& state) {
    Pictures pictures(state);
    for (auto _ : state) {
        ClearFrame();
        DrawSpot(MouseX, MouseY);
        MultiplyScene();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SeparateSteps)->Apply(SetSizes);

void ScalarLoop(benchmark::State& state) {
    Pictures pictures(state);
    for (auto _ : state) {
        ScalarFrame(pictures.frame.data(), pictures.spot, pictures.scene, MouseX, MouseY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ScalarLoop)->Apply(SetSizes);

// pixman: clear, copy the spot in, multiply the scene over the spot's area. pixman's
// multiply divides by 255 and keeps the source where the destination is empty; the work
// per pixel is what is being compared.
void Pixman(benchmark::State& state) {
    Pictures pictures(state);
    const Area area = SpotArea(pictures.spot);
    pixman_image_t* frame = pixman_image_create_bits(PIXMAN_x8r8g8b8, Width, Height,
                                                     pictures.frame.data(), Width * 4);
    pixman_image_t* scene = pixman_image_create_bits(PIXMAN_x8r8g8b8, Width, Height,
                                                     pictures.scenePixels.data(), Width * 4);
    pixman_image_t* spot = pixman_image_create_bits(PIXMAN_x8r8g8b8, pictures.spot.width, pictures.spot.height,
                                                    pictures.spotPixels.data(), pictures.spot.width * 4);
    for (auto _ : state) {
        std::memset(pictures.frame.data(), 0, FramePixels * sizeof(uint32_t));
        pixman_image_composite32(PIXMAN_OP_SRC, spot, nullptr, frame, area.spotX, area.spotY, 0, 0,
                                 area.x, area.y, area.width, area.height);
        pixman_image_composite32(PIXMAN_OP_MULTIPLY, scene, nullptr, frame, area.x, area.y, 0, 0,
                                 area.x, area.y, area.width, area.height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(spot);
    pixman_image_unref(scene);
    pixman_image_unref(frame);
}
BENCHMARK(Pixman)->Apply(SetSizes);

// SDL2 software surfaces: clear, copy the scene's part in, blit the spot over it with
// SDL_BLENDMODE_MOD (destination = source x destination / 255).
void Sdl2(benchmark::State& state) {
    Pictures pictures(state);
    const Area area = SpotArea(pictures.spot);
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(pictures.frame.data(), Width, Height, 32,
                                                            Width * 4, SDL_PIXELFORMAT_XRGB8888);
    SDL_Surface* scene = SDL_CreateRGBSurfaceWithFormatFrom(pictures.scenePixels.data(), Width, Height, 32,
                                                            Width * 4, SDL_PIXELFORMAT_XRGB8888);
    SDL_Surface* spot = SDL_CreateRGBSurfaceWithFormatFrom(pictures.spotPixels.data(), pictures.spot.width,
                                                           pictures.spot.height, 32, pictures.spot.width * 4,
                                                           SDL_PIXELFORMAT_XRGB8888);
    if (frame == nullptr || scene == nullptr || spot == nullptr) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceBlendMode(scene, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceBlendMode(spot, SDL_BLENDMODE_MOD);
    for (auto _ : state) {
        SDL_FillRect(frame, nullptr, 0);
        SDL_Rect sceneRect{area.x, area.y, area.width, area.height};
        SDL_Rect target = sceneRect;
        SDL_BlitSurface(scene, &sceneRect, frame, &target);
        SDL_Rect spotRect{area.spotX, area.spotY, area.width, area.height};
        target = sceneRect;
        SDL_BlitSurface(spot, &spotRect, frame, &target);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(spot);
    SDL_FreeSurface(scene);
    SDL_FreeSurface(frame);
}
BENCHMARK(Sdl2)->Apply(SetSizes);

}  // namespace

BENCHMARK_MAIN();
