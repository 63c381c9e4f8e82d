// "DirectX.log", the display set-up log: a banner, then one line per LogLine.
// Text mode gives CR LF line ends on Windows and LF elsewhere.
#include "display/display.h"

#include <cstdio>

namespace {

constexpr const char* kLogName = "DirectX.log";

// The log is a diagnosis aid: a log that cannot be opened is skipped, never fatal.
void WriteLine(const char* mode, const char* text) {
    std::FILE* log = std::fopen(kLogName, mode);
    if (log == nullptr) {
        return;
    }
    std::fprintf(log, "%s\n", text);
    std::fclose(log);
}

}  // namespace

void LogStart() {
    WriteLine("w", "__________Direct Draw - Log__________");
}

void LogLine(const char* text) {
    WriteLine("a", text);
}
