// Releasing the picture records that the loaders allocate.
#include "image/image.h"

#include <cstdlib>

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
