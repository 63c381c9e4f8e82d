// Making a new file, and telling a plain file, with the C runtime of Windows.
#include "image/new_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

FILE* CreateNewFile(const char* name) {
    const int descriptor = _open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
    if (descriptor >= 0 && file == nullptr) _close(descriptor);
    return file;
}

bool IsRegularFile(FILE* file) {
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}
