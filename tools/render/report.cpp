// What varnelo-render says: its usage, and the one line that names what was wrong.
#include "tools/render/report.h"

#include <cstdarg>
#include <filesystem>
#include <system_error>

int UsageError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("varnelo-render: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    va_end(arguments);
    PrintUsage(stderr);
    return 2;
}

void PrintUsage(FILE* stream) {
    std::fputs(
        "usage: varnelo-render --picture IN.tga -o OUT.bmp\n"
        "       varnelo-render --indexed IN.tga -o OUT.bmp\n"
        "       varnelo-render --fit-scene PHOTO -o scr.tga\n"
        "       varnelo-render --fit-light PHOTO -o spot.tga\n"
        "       varnelo-render [--spot FILE] [--scene FILE] --at X,Y -o OUT.bmp\n"
        "       varnelo-render --help | --version\n",
        stream);
}

void ReportUnreadable(const char* path, const char* reason) {
    std::fprintf(stderr, "varnelo-render: cannot read %s: %s\n", path, reason);
}

void ReportUnwritable(const char* path, const char* reason) {
    std::fprintf(stderr, "varnelo-render: cannot write %s: %s\n", path, reason);
}

bool OutputIsInput(const char* outputPath, const char* inputPath) {
    // Compared by what the names lead to, without opening either: an output that does not
    // exist yet is no input.
    std::error_code error;
    if (!std::filesystem::equivalent(outputPath, inputPath, error) || error) return false;
    ReportUnwritable(outputPath, "it is the input picture");
    return true;
}
