// The one translation unit that holds stb_image_write, for the icons' PNG files.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"
