// The picture forms of varnelo-render: a TGA file in, a 24-bit BMP out.
#include "tools/render/forms.h"

int RunPictureForm(int, char**, PictureLoad) {
    PrintUsage(stderr);
    return 2;
}
