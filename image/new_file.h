// Files the BMP writer makes: made only where nothing exists yet, and written only when plain.
// One source per system, chosen by what is built.
#pragma once

#include <cstdio>

// Opens name for writing only if nothing exists under it yet, so that a file made by someone else
// in the meantime is never truncated; null, with errno set, otherwise.
FILE* CreateNewFile(const char* name);
bool IsRegularFile(FILE* file);
