// Where the Linux program works, chosen before WinMain reads its pictures and writes its log.
#pragma once

// A folder holding either picture is one the user chose: the program works there, as it always
// has. From any other folder an installed program works in <pictures>/varnelo, given the bundled
// pictures the first time; pictures the user put there are never replaced. False, after telling
// the user why, where it can work nowhere.
bool EnterWorkingFolder();
