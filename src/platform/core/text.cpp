#include "text.h"

#include <iconv.h>

#include <cerrno>

namespace plat {

namespace {

// Converts with iconv; an invalid byte is replaced by '?' and skipped.
template <typename Out>
Out Convert(const char* to, const char* from, const std::string& in, typename Out::value_type bad) {
    Out out;
    if (in.empty()) return out;
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    std::string buffer(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    std::string produced;
    while (srcLeft > 0) {
        char* dst = buffer.data();
        size_t dstLeft = buffer.size();
        size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        produced.append(buffer.data(), buffer.size() - dstLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // Invalid or incomplete sequence: emit a replacement, skip one byte.
            const typename Out::value_type q = bad;
            produced.append(reinterpret_cast<const char*>(&q), sizeof q);
            ++src;
            --srcLeft;
        }
    }
    ::iconv_close(cd);
    out.assign(reinterpret_cast<const typename Out::value_type*>(produced.data()),
               produced.size() / sizeof(typename Out::value_type));
    return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) { return Convert<std::string>("UTF-8", "CP932", cp932, '?'); }

std::u32string Cp932ToUtf32(const std::string& cp932) {
    return Convert<std::u32string>("UTF-32LE", "CP932", cp932, U'?');
}

std::string Utf8ToCp932(const std::string& utf8) { return Convert<std::string>("CP932", "UTF-8", utf8, '?'); }

}  // namespace plat
