// The options varnelo starts with, read alike on Linux and Windows: whether it starts in a window,
// and the shape its picture shows in. A start without any is the plain full-screen one.
#pragma once

#include <string>
#include <vector>

#include "platform/letterbox.h"

struct StartOptions {
    bool window = false;
    letterbox::Shape shape;
};

enum class StartRequest { Run, Help, Version, Misuse };

struct StartReading {
    StartRequest request = StartRequest::Run;
    StartOptions options;
    std::string complaint;  // what was wrong, for Misuse
};

StartReading ReadStartOptions(const std::vector<std::string>& arguments);
// A Windows command line as words: split at blanks, quotes taken off (no option holds a blank).
std::vector<std::string> CommandLineWords(const char* commandLine);

extern const char StartUsage[];
// What each option does, a line each, for --help.
extern const char OptionsHelp[];
