// What varnelo-render says when a file lets it down, and the one way it writes an output.
#pragma once

#include <functional>
#include <string>

#include "image/image.h"

// One line on stderr for a picture that could not be read or fitted, with the reason.
void ReportUnreadable(const char* path, const char* reason);
// One line on stderr for an output that could not be written, with the reason.
void ReportUnwritable(const char* path, const char* reason);

// True, after telling so on stderr, when the output names the same file as the input
// (through a link too): a user's picture is never replaced by the tool's output.
bool OutputIsInput(const char* outputPath, const char* inputPath);

// Writes the output whole or not at all through `write`, as WriteOutputFile does: the exit code,
// 0, or 1 after saying why not.
int WriteOutputOrReport(const char* path, const std::function<const char*(const std::string& to)>& write);
// The same for a 24-bit BMP of the image.
int WriteBmpOrReport(const char* path, const Image& image);
