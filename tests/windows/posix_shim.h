// The one POSIX call the shared picture tests use that the Windows C runtime lacks, forced into their Windows build.
#pragma once

#include <direct.h>
#include <io.h>

// _mktemp fills the trailing XXXXXX with the process id and a letter that no file has yet.
inline char* mkdtemp(char* pattern) {
    return _mktemp(pattern) != nullptr && _mkdir(pattern) == 0 ? pattern : nullptr;
}
