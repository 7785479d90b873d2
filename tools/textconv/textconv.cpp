#include "textconv.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace textconv {

namespace {

// Length of the UTF-8 sequence starting at s[i], or 0 when it is malformed.
size_t Utf8SeqLen(const std::string& s, size_t i, char32_t* cp) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    char32_t v;
    if (c < 0x80) { *cp = c; return 1; }
    if ((c & 0xE0) == 0xC0) { n = 2; v = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { n = 3; v = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { n = 4; v = c & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        v = (v << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 2 && v < 0x80) || (n == 3 && v < 0x800) || (n == 4 && v < 0x10000) ||
        (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF)
        return 0;
    *cp = v;
    return n;
}

std::string Where(int line, int column) {
    std::ostringstream o;
    o << "line " << line << ", column " << column << ": ";
    return o.str();
}

}  // namespace

Result Utf8ToCp932CrLf(const std::string& input) {
    Result r;
    std::string utf8 = input;
    if (utf8.size() >= 3 && utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);

    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        r.error = "the C library has no CP932 converter";
        return r;
    }
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    int line = 1, column = 1;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        size_t n = Utf8SeqLen(utf8, i, &cp);
        if (n == 0) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(utf8[i]));
            r.error = Where(line, column) + "byte " + hex + " is not valid UTF-8";
            iconv_close(cd);
            return r;
        }
        if (cp == '\n') {
            out += "\r\n";
            ++line;
            column = 1;
            i += 1;
            continue;
        }
        if (cp == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            i += 1;  // the LF that follows writes the CR LF
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            char in[4];
            for (size_t k = 0; k < n; ++k) in[k] = utf8[i + k];
            char buf[8];
            char* pin = in;
            size_t inLeft = n;
            char* pout = buf;
            size_t outLeft = sizeof buf;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            size_t res = iconv(cd, &pin, &inLeft, &pout, &outLeft);
            if (res == static_cast<size_t>(-1) || inLeft != 0 || res > 0) {
                // res > 0 means a lossy substitution: treat it as having no form.
                char name[64];
                std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
                r.error = Where(line, column) + "character " + std::string(utf8, i, n) + " (" + name +
                          ") has no form in code page 932";
                iconv_close(cd);
                return r;
            }
            out.append(buf, pout);
        }
        ++column;
        i += n;
    }
    iconv_close(cd);
    r.ok = true;
    r.bytes = std::move(out);
    return r;
}

bool ConvertFile(const std::string& in, const std::string& out) {
    std::ifstream f(in, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "%s: error: cannot read the file\n", in.c_str());
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    Result r = Utf8ToCp932CrLf(text);
    if (!r.ok) {
        // "line L, column C: msg" -> "in:L:C: error: msg" so editors can jump to it.
        int line = 0, column = 0;
        size_t colon = r.error.find(": ");
        std::string msg = colon == std::string::npos ? r.error : r.error.substr(colon + 2);
        if (std::sscanf(r.error.c_str(), "line %d, column %d", &line, &column) == 2)
            std::fprintf(stderr, "%s:%d:%d: error: %s\n", in.c_str(), line, column, msg.c_str());
        else
            std::fprintf(stderr, "%s: error: %s\n", in.c_str(), r.error.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::path p(out);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::string tmp = out + ".tmp";
    {
        std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
        o.write(r.bytes.data(), static_cast<std::streamsize>(r.bytes.size()));
        if (!o) {
            std::fprintf(stderr, "%s: error: cannot write the file\n", out.c_str());
            return false;
        }
    }
    std::filesystem::rename(tmp, out, ec);
    if (ec) {
        std::fprintf(stderr, "%s: error: %s\n", out.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

}  // namespace textconv
