// Running the program off Windows: WinMain on the stand-ins, as Windows runs a program started
// from a shell, then the screen's finish. Both entry points (the desktop's, the page's) end here.
#include "app/app.h"
#include "platform/core/standins.h"
#include "platform/screen.h"

namespace {
char EmptyCommandLine[] = "";
}  // namespace

int standins::RunProgram() {
    const int exitCode = WinMain(ProgramInstance(), nullptr, EmptyCommandLine, SW_SHOWDEFAULT);
    ShutDown();
    screen::Finish(exitCode);
    return exitCode;
}
