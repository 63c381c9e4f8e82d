// varnelo-render: converts TGA pictures to BMP, fits photos as the demo's pictures, and renders
// the demo's frames offline.
// The form is chosen by the option that names its input.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tools/output/output_file.h"
#include "tools/render/frame_form.h"
#include "tools/render/picture_form.h"
#include "tools/render/report.h"

namespace {

constexpr const char* FormOptions[] = {"--picture", "--indexed", "--fit-scene", "--fit-light", "--at"};
constexpr const char* ValueOptions[] = {"--picture", "--indexed", "--fit-scene", "--fit-light", "--at", "--spot", "--scene", "-o"};

bool IsOneOf(const char* word, const auto& options) {
    return std::any_of(std::begin(options), std::end(options),
                       [word](const char* option) { return std::strcmp(word, option) == 0; });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return Printed("varnelo-render");
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("varnelo-render " VARNELO_VERSION);
        return Printed("varnelo-render");
    }
    if (argc == 1) return PrintUsage(stderr), 2;
    if (argc > 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
        return UsageError("%s takes no argument such as %s", argv[1], argv[2]);
    }
    // Every form takes options with one value each; the form is named by the option of its input.
    const char* form = nullptr;
    for (int i = 1; i < argc; i += 2) {
        const char* option = argv[i];
        if (!IsOneOf(option, ValueOptions)) {
            return UsageError(option[0] == '-' ? "unknown option %s" : "unexpected argument %s", option);
        }
        if (i + 1 == argc || argv[i + 1][0] == '\0') return UsageError("%s needs a value", option);
        if (IsOneOf(option, FormOptions) && form != nullptr && std::strcmp(form, option) != 0) {
            return UsageError("%s cannot go with %s", option, form);
        }
        if (IsOneOf(option, FormOptions)) form = option;
    }
    if (form == nullptr) return UsageError("no input: give --picture, --indexed, --fit-scene, --fit-light or --at");
    if (std::strcmp(form, "--at") == 0) return RunFrameForm(argc, argv);
    // The picture forms in the order of PictureForm.
    const auto index = std::find_if(std::begin(FormOptions), std::end(FormOptions),
                                    [form](const char* option) { return std::strcmp(form, option) == 0; }) - std::begin(FormOptions);
    return RunPictureForm(argc, argv, static_cast<PictureForm>(index));
}
