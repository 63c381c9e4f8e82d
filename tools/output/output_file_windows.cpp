// Moving a finished output into place on Windows, whose rename refuses an existing target.
#include "tools/output/output_file.h"

#include <windows.h>

#include <string>

#include "image/reason.h"

const char* MoveIntoPlace(const std::string& temporary, const std::string& target) {
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return nullptr;
    char reason[256] = "the file could not be moved into place";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, reason, sizeof reason, nullptr);
    // The system's text ends its sentence with a full stop and a line break.
    for (char* end = reason + std::char_traits<char>::length(reason); end > reason && (end[-1] == '\n' || end[-1] == '\r' || end[-1] == '.');) *--end = '\0';
    return SetReason("%s", reason);
}

std::string ProcessTag() { return std::to_string(GetCurrentProcessId()); }
