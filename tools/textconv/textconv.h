#pragma once
// UTF-8 text with LF line ends -> the game's form: code page 932 with CR LF.
#include <string>

namespace textconv {

struct Result {
    bool ok = false;
    std::string bytes;   // the converted text when ok
    std::string error;   // "line L, column C: ..." when not ok
};

// Converts a whole file's text. A leading UTF-8 byte-order mark is dropped, every
// LF becomes CR LF (a CR LF already present stays one CR LF), and every character
// must have a CP932 form: the first one that has none, or a byte sequence that is
// not UTF-8, makes the conversion fail with its line and column (both from 1).
Result Utf8ToCp932CrLf(const std::string& utf8);

// Reads `in`, converts it and writes `out`, creating the folders above `out`.
// On failure prints "<in>:<line>:<column>: error: ..." to stderr and writes nothing.
bool ConvertFile(const std::string& in, const std::string& out);

}  // namespace textconv
