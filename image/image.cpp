// Releasing the picture records that the loaders allocate, and telling a folder from a file.
#include "image/image.h"

#include <sys/stat.h>

#include <cstdlib>

bool IsFolder(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR;
}

Image* NewImage(int32_t width, int32_t height) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (count > SIZE_MAX / sizeof(uint32_t)) return nullptr;  // a 32-bit size would wrap to a small block
    auto* image = static_cast<Image*>(std::malloc(sizeof(Image)));
    auto* pixels = static_cast<uint32_t*>(std::malloc((count != 0 ? count : 1) * sizeof(uint32_t)));
    if (image == nullptr || pixels == nullptr) {
        std::free(pixels);
        std::free(image);
        return nullptr;
    }
    *image = Image{pixels, width, height};
    return image;
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
