#pragma once
// Whether a BMP, TGA or JPEG file holds all the data its header announces.  The
// image reader fills what is missing with black, so a file cut short would load as
// a damaged picture; these walks refuse it instead.
#include <cstddef>
#include <string>

namespace gfx::extent {

// Uncompressed BMP: the rows from the pixel offset on.  Other compressions are
// left to the reader, which refuses those it does not read.
bool BmpIsWhole(const unsigned char* data, size_t size, std::string& why);
// TGA: identification field, colour map and pixels; run-length packets are walked.
bool TgaIsWhole(const unsigned char* data, size_t size, std::string& why);
// True for bytes that the reader takes for a JPEG: a start-of-picture marker first.
bool StartsAsJpeg(const unsigned char* data, size_t size);
// JPEG: every marker segment up to the end-of-picture marker lies within the file,
// no Huffman table holds more codes than the reader has room for, and no scan
// decodes with a table not defined before it.  Run before the reader looks at the
// header, which already reads the tables.
bool JpegIsWhole(const unsigned char* data, size_t size, std::string& why);

}  // namespace gfx::extent
