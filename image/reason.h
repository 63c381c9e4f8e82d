// Why the last read or write of a picture on this thread failed: the one place every reader and
// writer of image/ records its reason, for the caller to ask once a load or a save says no.
#pragma once

// Records the reason, printf-like, cut to a short line, and returns it as LastReason would.
[[gnu::format(printf, 1, 2)]] const char* SetReason(const char* format, ...);

// The reason the last failure on this thread recorded; valid until the next one.
const char* LastReason();

// What every reader says, after "a FORMAT", of a file of a format it takes that it could not decode:
// a literal, so that a reader of one format has its whole sentence at compile time.
#define UNDECODABLE_REASON " that could not be decoded, as if damaged or cut short"
