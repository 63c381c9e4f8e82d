// varnelo-render: converts TGA pictures to BMP and renders the demo's frames offline.
// The form is chosen by the option that names its input.
#include <cerrno>
#include <cstring>

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
        "       varnelo-render [--spot FILE] [--scene FILE] --at X,Y -o OUT.bmp\n",
        stream);
}

void ReportUnreadable(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "varnelo-render: cannot open %s: %s\n", path, std::strerror(errno));
        return;
    }
    std::fclose(file);
    std::fprintf(stderr, "varnelo-render: %s cannot be read as a TGA picture\n", path);
}

int main(int argc, char** argv) {
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
