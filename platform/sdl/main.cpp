// The entry point of the Linux program: reads the start options (the window, the picture's shape)
// for the SDL screen, picks the folder the program works in, then runs WinMain on the stand-ins,
// which read no options themselves.
#include <cstdio>
#include <string>
#include <vector>

#include "app/options.h"
#include "platform/core/standins.h"
#include "platform/screen.h"
#include "platform/sdl/start.h"
#include "platform/sdl/working_folder.h"
#include "tools/output/output_file.h"

// What --help says after the usage and the options.
constexpr char About[] =
    "A coloured light spot follows the mouse over a scene. Esc quits, F12 saves a screenshot,\n"
    "Alt+Enter switches between full screen and a window.\n"
    "It reads spot.tga and scr.tga from the current folder, where it also writes DirectX.log\n"
    "and the screenshots. Started from a folder without them, an installed varnelo works in\n"
    "the varnelo folder of your pictures folder (~/Pictures/varnelo), which it fills with\n"
    "its own pictures the first time. See varnelo(6).\n";

int main(int argc, char** argv) {
    const auto printUsage = [](std::FILE* stream) { std::fputs(StartUsage, stream); };
    const int answered = AnswerHelpOrVersion(argc, argv, "varnelo", printUsage, std::string(OptionsHelp) + About);
    if (answered >= 0) return answered;
    // --help or --version after other options is a misuse, which the reading words.
    const StartReading start = ReadStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (start.request != StartRequest::Run) {
        std::fprintf(stderr, "varnelo: %s\n%s", start.complaint.c_str(), StartUsage);
        return 2;
    }
    screen::ChooseStart(start.options.window, start.options.shape);
    if (!EnterWorkingFolder()) {
        screen::Finish(1);
        return 1;
    }
    return standins::RunProgram();
}
