#pragma once
// Code page 932 text at the platform's edge: game text stays CP932 bytes inside the
// program and is converted only for glyphs, message boxes and the window caption.
#include <string>


namespace plat {

std::string Cp932ToUtf8(const std::string& cp932);
std::u32string Cp932ToUtf32(const std::string& cp932);
std::string Utf8ToCp932(const std::string& utf8);

}  // namespace plat
