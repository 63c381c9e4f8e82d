// The entry point off Windows: runs WinMain on the stand-ins, then lets the screen finish.
#include "app/app.h"
#include "platform/core/standins.h"
#include "platform/screen.h"

namespace {
// What a program started from a shell gets on Windows (SW_SHOWDEFAULT).
constexpr int ShowDefault = 10;
char EmptyCommandLine[] = "";
}  // namespace

int main() {
    const int exitCode = WinMain(standins::ProgramInstance(), nullptr, EmptyCommandLine, ShowDefault);
    standins::ShutDown();
    screen::Finish(exitCode);
    return exitCode;
}
