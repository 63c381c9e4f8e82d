// Making a new file, and telling a plain file, on POSIX systems and in the browser's file system.
#include "image/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* CreateNewFile(const char* name) {
    const int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
    if (descriptor >= 0 && file == nullptr) close(descriptor);
    return file;
}

bool IsRegularFile(FILE* file) {
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}
