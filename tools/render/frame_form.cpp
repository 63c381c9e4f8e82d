// The frame form of varnelo-render: the frame the running program shows for a mouse position.
#include "tools/render/forms.h"

int RunFrameForm(int, char**) {
    PrintUsage(stderr);
    return 2;
}
