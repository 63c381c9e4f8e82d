// Releasing the picture records that the loaders allocate, and telling a folder from a file.
#include "image/image.h"

#include <sys/stat.h>

#include <cstdlib>

bool IsFolder(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR;
}

void FreeImage(Image* image) {
    if (image == nullptr) return;
    std::free(image->pixels);
    std::free(image);
}

void FreeIndexedImage(IndexedImage* image) {
    if (image == nullptr) return;
    std::free(image->indices);
    std::free(image->palette);
    std::free(image);
}
