// The one translation unit that holds stb_image's implementation, for the comparison.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb/stb_image.h>
