// What varnelo-render says: its usage, and the one line on stderr that names what was wrong.
#pragma once

#include <cstdio>

void PrintUsage(FILE* stream);
// Bad usage: one line on stderr that names what was wrong, then the usage; returns 2.
[[gnu::format(printf, 1, 2)]] int UsageError(const char* format, ...);

// One line on stderr for a picture that could not be read or fitted, with the reason.
void ReportUnreadable(const char* path, const char* reason);
// One line on stderr for an output that could not be written, with the reason.
void ReportUnwritable(const char* path, const char* reason);

// True, after telling so on stderr, when the output names the same file as the input
// (through a link too): a user's picture is never replaced by the tool's output.
bool OutputIsInput(const char* outputPath, const char* inputPath);
