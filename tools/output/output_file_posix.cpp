// Moving a finished output into place where rename replaces the target in one step.
#include "tools/output/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "image/reason.h"

const char* MoveIntoPlace(const std::string& temporary, const std::string& target) {
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? nullptr : SetReason("%s", std::strerror(errno));
}

std::string ProcessTag() { return std::to_string(getpid()); }
