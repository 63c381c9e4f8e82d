// The page's program has no command line: its choices are the page's own controls.
#include "app/command_line.h"

int AnswerCommandLine(const char*, StartOptions& options) {
    options = StartOptions{};
    return StartToRun;
}
