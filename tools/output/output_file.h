// What the programs put out: files written so that a write that fails never costs the user the
// file that was there, and what they print on standard output.
#pragma once

#include <functional>
#include <string>

// Writes an output file through `write`, which is given the path to write to and answers null when
// the file is whole, or why not, as the picture writers do. A regular file (or none yet) is written under a temporary name in
// the same folder and moved into place only when whole, keeping the old file's permissions; a
// device, a terminal or a pipe is written directly, through the name as given; a link is written
// through to the file at the end of its links, which is made if missing. Returns "" or why it
// failed; a failed write leaves the old file as it was and no temporary file behind.
std::string WriteOutputFile(const std::string& path, const std::function<const char*(const std::string& to)>& write);

// Makes `target` whole or not at all, the core of every output that replaces or adds a file:
// `write` writes a hidden name of this process's own in the same folder, which `move` then puts
// in the target's place; each answers "" or why not. Leaves no temporary file behind.
std::string WriteThenMove(const std::string& target, const std::function<std::string(const std::string& temporary)>& write,
                          const std::function<std::string(const std::string& temporary)>& move);

// What --help and --version print reached its reader only if standard output took it whole: 0,
// or 1 after one line on stderr, headed by the program's name, that says why not.
int Printed(const char* program);

// The system's side, one file for each (output_file_posix.cpp, output_file_windows.cpp): puts the
// temporary file in the place of the target, replacing what was there, "" or why not; and a tag
// for temporary names that no other process running now has.
std::string MoveIntoPlace(const std::string& temporary, const std::string& target);
std::string ProcessTag();
