// What a JPEG states and whether stb_image may be given it: the file walked as Debian 12's stb_image
// 2.27 reads it, so that what that decoder would turn into a wrong picture is refused beforehand.
#pragma once

#include <cstddef>
#include <cstdint>

// Null where stb_image may decode the JPEG; else why not, for the user: "a 12-bit JPEG is not
// supported" (or 16-bit), "an arithmetic-coded JPEG is not supported", "a lossless JPEG is not
// supported", "a hierarchical JPEG is not supported", or "a JPEG that could not be decoded, as if
// damaged or cut short" where 2.27 would compute a wrong picture (a DC value that overflows, a
// table over 256 codes, blocks no scan writes, a table never defined) or 2.28 and later refuse it.
// Reads nothing past size and allocates nothing; its time grows with the file's size, not with
// the size the file states.
const char* JpegProblem(const uint8_t* data, size_t size);

// The width and height the JPEG's frame header states (any kind of frame), found as stb_image finds
// it; false where the file ends, or a segment is broken, before one.
bool JpegFrameSize(const uint8_t* data, size_t size, int64_t& width, int64_t& height);
