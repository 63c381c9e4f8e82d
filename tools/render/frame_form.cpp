// The frame form of varnelo-render: the frame the running program shows for a mouse position.
// It goes through ComposeFrame and the screenshot's swap, so its file equals an F12 screenshot.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "image/bmp.h"
#include "image/pictures.h"
#include "mix/compositor.h"
#include "tools/output/output_file.h"
#include "tools/render/frame_form.h"
#include "tools/render/report.h"

namespace {

struct FrameOptions {
    const char* spotPath = "spot.tga";
    const char* scenePath = "scr.tga";
    const char* outputPath = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

// One signed 32-bit number filling [begin, end) exactly: a "+", a space or an overflow is bad usage.
std::errc ParseCoordinate(const char* begin, const char* end, int32_t& value) {
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error != std::errc{} || stop == end ? error : std::errc::invalid_argument;
}

// Null for X,Y; else what is wrong with it.
const char* PositionProblem(const char* text, int32_t& x, int32_t& y) {
    const char* comma = std::strchr(text, ',');
    if (comma == nullptr) return "X,Y must be two whole numbers";
    const std::errc xError = ParseCoordinate(text, comma, x);
    const std::errc yError = ParseCoordinate(comma + 1, text + std::strlen(text), y);
    if (xError == std::errc::result_out_of_range) return "X is out of range";
    if (yError == std::errc::result_out_of_range) return "Y is out of range";
    return xError == std::errc{} && yError == std::errc{} ? nullptr : "X,Y must be two whole numbers";
}

// Each option at most once; --at (which chose this form) and -o are required. 0, or the exit
// code of bad usage after saying what was wrong.
int ParseFrameOptions(int argc, char** argv, FrameOptions& options) {
    const char* position = nullptr;
    struct Slot {
        const char* option;
        const char** value;
        bool given = false;
    } slots[] = {{"--spot", &options.spotPath}, {"--scene", &options.scenePath}, {"--at", &position},
                 {"-o", &options.outputPath}};
    for (int i = 1; i + 1 < argc; i += 2) {
        Slot* slot = std::find_if(std::begin(slots), std::end(slots),
                                  [&](const Slot& s) { return std::strcmp(s.option, argv[i]) == 0; });
        if (slot == std::end(slots)) return UsageError("%s does not go with --at", argv[i]);
        if (slot->given) return UsageError("%s given twice", argv[i]);
        slot->given = true;
        *slot->value = argv[i + 1];
    }
    if (options.outputPath == nullptr) return UsageError("no output: give -o OUT.bmp");
    const char* problem = PositionProblem(position, options.x, options.y);
    return problem == nullptr ? 0 : UsageError("--at %s: %s", position, problem);
}

int Render(const FrameOptions& options) {
    if (OutputIsInput(options.outputPath, options.spotPath) || OutputIsInput(options.outputPath, options.scenePath)) {
        return 1;
    }
    // As the program takes them: a scene of another size is fitted to the frame.
    const char* failedPath = nullptr;
    if (const char* why = LoadSpotAndScene(options.spotPath, options.scenePath, Spot, Scene, failedPath)) {
        ReportUnreadable(failedPath, why);
        return 1;
    }
    if (!AllocateFrameBuffer()) {
        std::fputs("varnelo-render: out of memory for the frame\n", stderr);
        return 1;
    }
    ComposeFrame(options.x, options.y);
    SwapRedBlue();
    const Image frame{FrameBuffer, Width, Height};
    const std::string failure = WriteOutputFile(options.outputPath, [&frame](const std::string& to) {
        return SaveBmp(to.c_str(), &frame) == 1 ? std::string() : BmpFailureReason();
    });
    if (failure.empty()) return 0;
    ReportUnwritable(options.outputPath, failure.c_str());
    return 1;
}

}  // namespace

int RunFrameForm(int argc, char** argv) {
    FrameOptions options;
    if (const int bad = ParseFrameOptions(argc, argv, options); bad != 0) return bad;
    const int result = Render(options);
    std::free(FrameBuffer);
    FreeImage(Scene);
    FreeImage(Spot);
    FrameBuffer = nullptr;
    Scene = nullptr;
    Spot = nullptr;
    return result;
}
