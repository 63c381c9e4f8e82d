// The forms of varnelo-render. Each parses the arguments after the program name, which come as
// known options each with a value that is not empty, and returns the exit code: 0 success, 1 a
// file could not be read or written, 2 bad usage.
#pragma once

#include <cstdio>

// The forms of a picture in and a picture out, in the order of their options: --picture,
// --indexed, --fit-scene, --fit-light.
enum class PictureForm { TrueColour, Indexed, FitScene, FitLight };

int RunPictureForm(int argc, char** argv, PictureForm form);
int RunFrameForm(int argc, char** argv);

void PrintUsage(FILE* stream);
// Bad usage: one line on stderr that names what was wrong, then the usage; returns 2.
[[gnu::format(printf, 1, 2)]] int UsageError(const char* format, ...);

// One line on stderr for a picture the loaders refused, with the reason the reader gave.
void ReportUnreadable(const char* path);
// One line on stderr for an output that could not be written, with the reason.
void ReportUnwritable(const char* path, const char* reason);

// True, after telling so on stderr, when the output names the same file as the input
// (through a link too): a user's picture is never replaced by the tool's output.
bool OutputIsInput(const char* outputPath, const char* inputPath);
