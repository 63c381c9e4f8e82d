// varnelo-render: converts TGA pictures to BMP and renders the demo's frames offline.
// The form is chosen by the option that names its input.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "image/tga.h"

#include "tools/render/forms.h"

namespace {

bool HasOption(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

}  // namespace

void PrintUsage(FILE* stream) {
    std::fputs(
        "usage: varnelo-render --picture IN.tga -o OUT.bmp\n"
        "       varnelo-render --indexed IN.tga -o OUT.bmp\n"
        "       varnelo-render [--spot FILE] [--scene FILE] --at X,Y -o OUT.bmp\n"
        "       varnelo-render --help | --version\n",
        stream);
}

void ReportUnreadable(const char* path) {
    std::fprintf(stderr, "varnelo-render: cannot read %s: %s\n", path, TgaFailureReason());
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

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("varnelo-render " VARNELO_VERSION);
        return 0;
    }
    const bool picture = HasOption(argc, argv, "--picture");
    const bool indexed = HasOption(argc, argv, "--indexed");
    const bool frame = HasOption(argc, argv, "--at");
    if (picture + indexed + frame != 1) {
        PrintUsage(stderr);
        return 2;
    }
    if (frame) return RunFrameForm(argc, argv);
    return RunPictureForm(argc, argv, picture ? PictureLoad::TrueColour : PictureLoad::Indexed);
}
