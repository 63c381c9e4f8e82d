// The one POSIX call the shared picture tests use that the Windows C runtime lacks;
// forced into their Windows build so the same test sources run there unchanged.
#pragma once

#include <direct.h>
#include <stdlib.h>
#include <string.h>

inline char* mkdtemp(char* pattern) {
    // _mktemp_s fills the trailing XXXXXX; a name taken in between is tried afresh.
    const size_t size = strlen(pattern) + 1;
    char* attempt = static_cast<char*>(malloc(size));
    if (attempt == nullptr) return nullptr;
    for (int tries = 0; tries < 100; ++tries) {
        memcpy(attempt, pattern, size);
        if (_mktemp_s(attempt, size) != 0) break;
        if (_mkdir(attempt) == 0) {
            memcpy(pattern, attempt, size);
            free(attempt);
            return pattern;
        }
    }
    free(attempt);
    return nullptr;
}
