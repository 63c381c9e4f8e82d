// Reads WinMain's command line. Linked where a command line reaches WinMain (Windows, and the
// Linux program, whose entry gives it an empty one); the page has none (no_command_line.cpp).
#include "app/command_line.h"

#include <string>

#include <windows.h>

namespace {

constexpr int StartMisused = 2;

// A program with windows has no console on Windows: what --help, --version and a misuse print
// elsewhere goes into a message box.
int AnswerWithoutRunning(const StartReading& start) {
    std::string text;
    switch (start.request) {
        case StartRequest::Help:
            text = std::string(StartUsage) + OptionsHelp +
                   "Esc quits, F12 saves a screenshot, Alt+Enter switches between full screen and a window.\n";
            break;
        case StartRequest::Version:
            text = "varnelo " VARNELO_VERSION;
            break;
        case StartRequest::Misuse:
            text = "varnelo: " + start.complaint + "\n" + StartUsage;
            break;
        case StartRequest::Run:
            return StartToRun;
    }
    // A box ends where its text does: no empty last line.
    if (!text.empty() && text.back() == '\n') text.pop_back();
    const bool misused = start.request == StartRequest::Misuse;
    MessageBoxA(nullptr, text.c_str(), "varnelo", UINT{MB_OK} | (misused ? UINT{MB_ICONERROR} : UINT{MB_ICONINFORMATION}));
    return misused ? StartMisused : 0;
}

}  // namespace

int AnswerCommandLine(const char* commandLine, StartOptions& options) {
    const StartReading start = ReadStartOptions(CommandLineWords(commandLine));
    options = start.options;
    return start.request == StartRequest::Run ? StartToRun : AnswerWithoutRunning(start);
}
