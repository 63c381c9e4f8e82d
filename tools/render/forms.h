// The forms of varnelo-render. Each parses the arguments after the program name and
// returns the exit code: 0 success, 1 a file could not be read or written, 2 bad usage.
#pragma once

#include <cstdio>

enum class PictureLoad { TrueColour, Indexed };

int RunPictureForm(int argc, char** argv, PictureLoad load);
int RunFrameForm(int argc, char** argv);

void PrintUsage(FILE* stream);

// One line on stderr for a picture the loaders refused, telling a file that cannot be opened
// from one that opens but is not a picture they take.
void ReportUnreadable(const char* path);
