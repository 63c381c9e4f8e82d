// What the program's command line asks before anything starts: the options to start with, or an
// answer given without starting (--help, --version, a misuse), which a program with windows gives
// in a message box on Windows, having no console there.
#pragma once

#include "app/options.h"

// What AnswerCommandLine returns when the program is to start.
constexpr int StartToRun = -1;
// StartToRun with the options set, or the exit status of the answer given.
int AnswerCommandLine(const char* commandLine, StartOptions& options);
