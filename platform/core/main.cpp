// The Linux entry point: runs WinMain on the SDL2 stand-ins, then lets them clean up.
#include "app/app.h"
#include "platform/sdl/standins.h"

namespace {
// What a program started from a shell gets on Windows (SW_SHOWDEFAULT).
constexpr int ShowDefault = 10;
char EmptyCommandLine[] = "";
}  // namespace

int main() {
    const int exitCode = WinMain(standins::ProgramInstance(), nullptr, EmptyCommandLine, ShowDefault);
    standins::ShutDown();
    return exitCode;
}
