#pragma once
// Writes the game's pack files: every file directly inside one folder packed into
// "<folder>.pck", which the game reads when the folder's loose file is missing.
//
//   0  "VPK"                          three header bytes (the reader skips them)
//   3  per member: name, 0, u32 size, u32 offset (little-endian)
//      0                              end of the directory
//      member data in directory order, every byte xor 0xE7
#include <string>
#include <vector>

namespace packwriter {

constexpr unsigned char kKey = 0xE7;

struct Member {
    std::string name;  // game text (code page 932), no folder, not empty, no 0 byte
    std::vector<unsigned char> data;
};

// The bytes of a pack holding the members in the given order.  False (error set)
// for an empty or invalid name, or a pack beyond 4 GB.
bool BuildPack(const std::vector<Member>& members, std::vector<unsigned char>& out, std::string& error);

// Reads every regular file directly inside `folder` (sorted by name; names are
// converted from UTF-8 to code page 932) and writes the pack to `outPath`.
bool PackFolder(const std::string& folder, const std::string& outPath, std::string& error);

}  // namespace packwriter
