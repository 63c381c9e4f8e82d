// The reason store behind LastReason: one short line per thread.
#include "image/reason.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Long enough for the longest reason made here, a photo's size refusal with both sides.
thread_local char reason[128] = "";

}  // namespace

const char* SetReason(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(reason, sizeof reason, format, arguments);
    va_end(arguments);
    return reason;
}

const char* LastReason() { return reason; }
