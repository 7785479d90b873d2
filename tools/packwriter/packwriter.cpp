#include "packwriter.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "text.h"

namespace packwriter {

namespace {
void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void SetU32(std::vector<unsigned char>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
}

std::string Fold(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
}  // namespace

bool BuildPack(const std::vector<Member>& members, std::vector<unsigned char>& out, std::string& error) {
    out.clear();
    uint64_t total = 3 + 1;
    for (const Member& m : members) {
        if (m.name.empty() || m.name.find('\0') != std::string::npos || m.name.find('/') != std::string::npos ||
            m.name.find('\\') != std::string::npos) {
            error = "invalid member name \"" + m.name + "\"";
            return false;
        }
        total += m.name.size() + 1 + 8 + m.data.size();
    }
    if (total > 0xFFFFFFFFull) {
        error = "the pack would exceed 4 GB";
        return false;
    }
    out.reserve(static_cast<size_t>(total));
    out.push_back('V');
    out.push_back('P');
    out.push_back('K');
    std::vector<size_t> offsetAt;
    for (const Member& m : members) {
        out.insert(out.end(), m.name.begin(), m.name.end());
        out.push_back(0);
        PutU32(out, static_cast<uint32_t>(m.data.size()));
        offsetAt.push_back(out.size());
        PutU32(out, 0);
    }
    out.push_back(0);
    for (size_t i = 0; i < members.size(); ++i) {
        SetU32(out, offsetAt[i], static_cast<uint32_t>(out.size()));
        for (unsigned char b : members[i].data) out.push_back(b ^ kKey);
    }
    return true;
}

bool PackFolder(const std::string& folder, const std::string& outPath, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "not a folder: " + folder;
        return false;
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec)) names.push_back(entry.path().filename().string());
    }
    if (ec) {
        error = "cannot list " + folder + ": " + ec.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    std::vector<Member> members;
    std::set<std::string> seen;
    for (const std::string& name : names) {
        Member m;
        m.name = plat::Utf8ToCp932(name);
        if (!seen.insert(Fold(m.name)).second) {
            error = "two files differ only in letter case: " + name;
            return false;
        }
        std::ifstream in(fs::path(folder) / name, std::ios::binary);
        if (!in) {
            error = "cannot read " + name;
            return false;
        }
        m.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        members.push_back(std::move(m));
    }
    std::vector<unsigned char> bytes;
    if (!BuildPack(members, bytes, error)) return false;
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create " + outPath;
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + outPath;
        return false;
    }
    return true;
}

}  // namespace packwriter
