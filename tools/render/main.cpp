// varnelo-render: converts TGA pictures to BMP, fits photos as the demo's pictures, and renders
// the demo's frames offline. Each form is a row of one table; the option that names a form's
// input chooses its row, and the words are checked against that row before it runs.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "tools/output/output_file.h"
#include "tools/render/forms.h"

namespace {

struct Form {
    const char* inputOption;  // names the form and its input
    const char* outputKind;   // what "no output: give -o ..." asks for
    // The options it takes besides its input and -o, null-ended: every other option cannot go with it.
    const char* const* alsoTakes;
    const char* (*inputProblem)(const char* value);  // null, or what is wrong with the input's value
    const char* usage;  // its usage line after the program's name
    int (*run)(const FormArguments& arguments);
};

constexpr const char* NothingElse[] = {nullptr};
constexpr const char* FramePictures[] = {"--spot", "--scene", nullptr};

constexpr Form Forms[] = {
    {"--picture", "OUT.bmp", NothingElse, nullptr, "--picture IN.tga -o OUT.bmp", ConvertTrueColour},
    {"--indexed", "OUT.bmp", NothingElse, nullptr, "--indexed IN.tga -o OUT.bmp", ConvertIndexed},
    {"--fit-scene", "OUT.tga", NothingElse, nullptr, "--fit-scene PHOTO -o scr.tga", FitPhotoAsScene},
    {"--fit-light", "OUT.tga", NothingElse, nullptr, "--fit-light PHOTO -o spot.tga", FitPhotoAsSpot},
    {"--at", "OUT.bmp", FramePictures, PositionProblem, "[--spot FILE] [--scene FILE] --at X,Y -o OUT.bmp", RenderFrame},
};

void PrintUsage(FILE* stream) {
    const char* lead = "usage: ";
    for (const Form& form : Forms) {
        std::fprintf(stream, "%svarnelo-render %s\n", lead, form.usage);
        lead = "       ";
    }
    std::fputs("       varnelo-render --help | --version\n", stream);
}

// Bad usage: one line on stderr that names what was wrong, then the usage; returns 2.
[[gnu::format(printf, 1, 2)]] int UsageError(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("varnelo-render: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
    va_end(arguments);
    PrintUsage(stderr);
    return 2;
}

bool Takes(const Form& form, const char* option) {
    if (std::strcmp(option, form.inputOption) == 0 || std::strcmp(option, "-o") == 0) return true;
    for (const char* const* other = form.alsoTakes; *other != nullptr; ++other) {
        if (std::strcmp(option, *other) == 0) return true;
    }
    return false;
}

const Form* FormNamedBy(const char* option) {
    const Form* form = std::find_if(std::begin(Forms), std::end(Forms),
                                    [option](const Form& f) { return std::strcmp(option, f.inputOption) == 0; });
    return form == std::end(Forms) ? nullptr : form;
}

// "--picture, --indexed, ... or --at"
std::string InputOptions() {
    std::string list;
    for (const Form& form : Forms) {
        if (!list.empty()) list += &form == std::end(Forms) - 1 ? " or " : ", ";
        list += form.inputOption;
    }
    return list;
}

// Every form takes options with one value each; the form is named by the option of its input.
// Its row, or null after saying what was wrong.
const Form* ChooseForm(int argc, char** argv) {
    const Form* chosen = nullptr;
    for (int i = 1; i < argc; i += 2) {
        const char* option = argv[i];
        if (std::none_of(std::begin(Forms), std::end(Forms), [option](const Form& f) { return Takes(f, option); })) {
            return UsageError(option[0] == '-' ? "unknown option %s" : "unexpected argument %s", option), nullptr;
        }
        if (i + 1 == argc || argv[i + 1][0] == '\0') return UsageError("%s needs a value", option), nullptr;
        const Form* named = FormNamedBy(option);
        if (named != nullptr && chosen != nullptr && named != chosen) {
            return UsageError("%s cannot go with %s", option, chosen->inputOption), nullptr;
        }
        if (named != nullptr) chosen = named;
    }
    if (chosen == nullptr) UsageError("no input: give %s", InputOptions().c_str());
    return chosen;
}

// 0 when the words suit the form: each option one it takes, once, -o among them, and an input
// its check accepts; else the exit code of bad usage after saying what was wrong.
int CheckForm(const Form& form, const FormArguments& arguments) {
    for (int i = 1; i + 1 < arguments.argc; i += 2) {
        const char* option = arguments.argv[i];
        if (!Takes(form, option)) return UsageError("%s cannot go with %s", option, form.inputOption);
        // An option given before finds that first value, not this one.
        if (arguments.ValueOr(option, nullptr) != arguments.argv[i + 1]) return UsageError("%s given twice", option);
    }
    if (arguments.output == nullptr) return UsageError("no output: give -o %s", form.outputKind);
    const char* problem = form.inputProblem == nullptr ? nullptr : form.inputProblem(arguments.input);
    return problem == nullptr ? 0 : UsageError("%s %s: %s", form.inputOption, arguments.input, problem);
}

}  // namespace

const char* FormArguments::ValueOr(const char* option, const char* absent) const {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], option) == 0) return argv[i + 1];
    }
    return absent;
}

int main(int argc, char** argv) {
    if (const int answered = AnswerHelpOrVersion(argc, argv, "varnelo-render", PrintUsage); answered >= 0) return answered;
    if (argc == 1) return PrintUsage(stderr), 2;
    const Form* form = ChooseForm(argc, argv);
    if (form == nullptr) return 2;
    FormArguments arguments{nullptr, nullptr, argc, argv};
    arguments.input = arguments.ValueOr(form->inputOption, nullptr);
    arguments.output = arguments.ValueOr("-o", nullptr);
    if (const int bad = CheckForm(*form, arguments); bad != 0) return bad;
    return form->run(arguments);
}
