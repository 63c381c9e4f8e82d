// The frame form of varnelo-render: the frame the running program shows for a mouse position.
// It goes through ComposeFrame and the screenshot's swap, so its file equals an F12 screenshot.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "image/pictures.h"
#include "mix/compositor.h"
#include "tools/render/forms.h"
#include "tools/render/report.h"

namespace {

// One signed 32-bit number filling [begin, end) exactly: a "+", a space or an overflow is bad usage.
std::errc ParseCoordinate(const char* begin, const char* end, int32_t& value) {
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error != std::errc{} || stop == end ? error : std::errc::invalid_argument;
}

// Null for X,Y, which it stores; else what is wrong with it.
const char* ParsePosition(const char* text, int32_t& x, int32_t& y) {
    const char* comma = std::strchr(text, ',');
    if (comma == nullptr) return "X,Y must be two whole numbers";
    const std::errc xError = ParseCoordinate(text, comma, x);
    const std::errc yError = ParseCoordinate(comma + 1, text + std::strlen(text), y);
    if (xError == std::errc::result_out_of_range) return "X is out of range";
    if (yError == std::errc::result_out_of_range) return "Y is out of range";
    return xError == std::errc{} && yError == std::errc{} ? nullptr : "X,Y must be two whole numbers";
}

int Render(const char* spotPath, const char* scenePath, const char* outputPath, int32_t x, int32_t y) {
    if (OutputIsInput(outputPath, spotPath) || OutputIsInput(outputPath, scenePath)) return 1;
    // As the program takes them: a scene of another size is fitted to the frame.
    const char* failedPath = nullptr;
    if (const char* why = LoadSpotAndScene(spotPath, scenePath, Spot, Scene, failedPath)) {
        ReportUnreadable(failedPath, why);
        return 1;
    }
    if (!AllocateFrameBuffer()) {
        std::fputs("varnelo-render: out of memory for the frame\n", stderr);
        return 1;
    }
    ComposeFrame(x, y);
    SwapRedBlue();
    return WriteBmpOrReport(outputPath, Image{FrameBuffer, Width, Height});
}

}  // namespace

const char* PositionProblem(const char* text) {
    int32_t x{}, y{};
    return ParsePosition(text, x, y);
}

int RenderFrame(const FormArguments& arguments) {
    int32_t x{}, y{};
    ParsePosition(arguments.input, x, y);  // checked by the form's row before
    const int result = Render(arguments.ValueOr("--spot", "spot.tga"), arguments.ValueOr("--scene", "scr.tga"),
                              arguments.output, x, y);
    std::free(FrameBuffer);
    FreeImage(Scene);
    FreeImage(Spot);
    FrameBuffer = nullptr;
    Scene = nullptr;
    Spot = nullptr;
    return result;
}
