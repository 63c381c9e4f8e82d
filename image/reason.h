// Why the last read or write of a picture on this thread failed: the one place every reader and
// writer of image/ records its reason, for the caller to ask once a load or a save says no.
#pragma once

// Records the reason, printf-like, cut to a short line, and returns it as LastReason would.
[[gnu::format(printf, 1, 2)]] const char* SetReason(const char* format, ...);

// The reason the last failure on this thread recorded; valid until the next one.
const char* LastReason();
