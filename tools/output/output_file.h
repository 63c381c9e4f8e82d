// What the programs put out: files written so that a write that fails never costs the user the
// file that was there, and what they print on standard output.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes an output file through `write`, which is given the path to write to and answers null when
// the file is whole, or why not, as the picture writers do. A regular file (or none yet) is written under a temporary name in
// the same folder and moved into place only when whole, keeping the old file's permissions; a
// device, a terminal or a pipe is written directly, through the name as given; a link is written
// through to the file at the end of its links, which is made if missing. Answers as `write`
// does, with its reason recorded (image/reason.h); a failed write leaves the old file as it was
// and no temporary file behind.
const char* WriteOutputFile(const std::string& path, const std::function<const char*(const std::string& to)>& write);

// Makes `target` whole or not at all, the core of every output that replaces or adds a file:
// `write` writes a hidden name of this process's own in the same folder, which `move` then puts
// in the target's place; each answers null or why not. Leaves no temporary file behind.
const char* WriteThenMove(const std::string& target, const std::function<const char*(const std::string& temporary)>& write,
                          const std::function<const char*(const std::string& temporary)>& move);

// The answer to a command line of --help or --version alone: -1 for any other, else the exit
// code. 0 once the help (the usage, then `helpAfterUsage`) or "PROGRAM VERSION" reached standard
// output whole, 1 after a line on stderr saying why it did not; 2 for either word with more words,
// after a line saying so and the usage on stderr.
int AnswerHelpOrVersion(int argc, char** argv, const char* program, void (*printUsage)(std::FILE* stream),
                        const std::string& helpAfterUsage = "");

// The system's side, one file for each (output_file_posix.cpp, output_file_windows.cpp): puts the
// temporary file in the place of the target, replacing what was there, null or why not; and a tag
// for temporary names that no other process running now has.
const char* MoveIntoPlace(const std::string& temporary, const std::string& target);
std::string ProcessTag();
