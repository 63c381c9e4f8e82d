// The frame form of varnelo-render (--at): parses the arguments after the program name, known
// options each with a value that is not empty, and returns the exit code: 0 success, 1 a file
// could not be read or written, 2 bad usage.
#pragma once

int RunFrameForm(int argc, char** argv);
