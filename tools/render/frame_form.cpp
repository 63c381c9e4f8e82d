// The frame form of varnelo-render: the frame the running program shows for a mouse position.
// It goes through ComposeFrame and the screenshot's swap, so its file equals an F12 screenshot.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bmp.h"
#include "image/tga.h"
#include "mix/compositor.h"
#include "tools/render/forms.h"

namespace {

struct FrameOptions {
    const char* spotPath = "spot.tga";
    const char* scenePath = "scr.tga";
    const char* outputPath = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

// One signed 32-bit number filling [begin, end) exactly: a "+", a space or an overflow is bad usage.
bool ParseCoordinate(const char* begin, const char* end, int32_t& value) {
    if (begin == end) return false;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc{} && stop == end;
}

bool ParsePosition(const char* text, int32_t& x, int32_t& y) {
    const char* comma = std::strchr(text, ',');
    if (comma == nullptr) return false;
    return ParseCoordinate(text, comma, x) && ParseCoordinate(comma + 1, text + std::strlen(text), y);
}

// Each option at most once, each with its value; --at and -o are required.
bool ParseFrameOptions(int argc, char** argv, FrameOptions& options) {
    bool haveSpot = false, haveScene = false, haveAt = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (*value == '\0') return false;
        if (std::strcmp(option, "--spot") == 0 && !haveSpot) {
            options.spotPath = value;
            haveSpot = true;
        } else if (std::strcmp(option, "--scene") == 0 && !haveScene) {
            options.scenePath = value;
            haveScene = true;
        } else if (std::strcmp(option, "--at") == 0 && !haveAt) {
            if (!ParsePosition(value, options.x, options.y)) return false;
            haveAt = true;
        } else if (std::strcmp(option, "-o") == 0 && options.outputPath == nullptr) {
            options.outputPath = value;
        } else {
            return false;
        }
    }
    return haveAt && options.outputPath != nullptr;
}

int Render(const FrameOptions& options) {
    if (OutputIsInput(options.outputPath, options.spotPath) || OutputIsInput(options.outputPath, options.scenePath)) {
        return 1;
    }
    Spot = LoadTga(options.spotPath);
    if (Spot == nullptr) {
        ReportUnreadable(options.spotPath);
        return 1;
    }
    Scene = LoadTga(options.scenePath);
    if (Scene == nullptr) {
        ReportUnreadable(options.scenePath);
        return 1;
    }
    if (!AllocateFrameBuffer()) {
        std::fputs("varnelo-render: out of memory for the frame\n", stderr);
        return 1;
    }
    ComposeFrame(options.x, options.y);
    SwapRedBlue();
    Image frame{FrameBuffer, Width, Height};
    if (SaveBmp(options.outputPath, &frame) != 1) {
        ReportUnwritable(options.outputPath, BmpFailureReason());
        return 1;
    }
    return 0;
}

}  // namespace

int RunFrameForm(int argc, char** argv) {
    FrameOptions options;
    if (!ParseFrameOptions(argc, argv, options)) {
        PrintUsage(stderr);
        return 2;
    }
    const int result = Render(options);
    std::free(FrameBuffer);
    FreeImage(Scene);
    FreeImage(Spot);
    FrameBuffer = nullptr;
    Scene = nullptr;
    Spot = nullptr;
    return result;
}
