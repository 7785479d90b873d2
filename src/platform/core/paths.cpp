#include "paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "system.h"

namespace plat {

std::string ToNativeSeparators(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

namespace {

bool Exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// Finds `name` inside `dir` ignoring the case of A-Z; empty when absent.
std::string FindFolded(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (::strcasecmp(n, name.c_str()) == 0) {
            found = n;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
    std::string native = ToNativeSeparators(path);
    if (native.empty() || Exists(native)) return native;

    // Walk component by component, correcting the case where needed.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= native.size()) {
        size_t slash = native.find('/', start);
        if (slash == std::string::npos) slash = native.size();
        parts.push_back(native.substr(start, slash - start));
        start = slash + 1;
    }
    std::string out;
    bool absolute = native[0] == '/';
    bool missing = false;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (i > 0) out += '/';
        if (part.empty() || part == "." || part == ".." || missing) {
            out += part;
            continue;
        }
        std::string candidate = out + part;
        if (Exists(candidate)) {
            out = candidate;
            continue;
        }
        std::string dir = out.empty() ? (absolute ? "/" : ".") : out;
        std::string folded = FindFolded(dir, part);
        if (folded.empty()) {
            missing = true;
            out += part;
        } else {
            out += folded;
        }
    }
    return out;
}

bool FileExists(const std::string& path) { return Exists(ResolvePath(path)); }

std::string ProgramFolder() {
    const std::string p = ProgramFile();
    if (p.empty()) return CurrentFolder();
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string("./") : p.substr(0, slash + 1);
}

std::string CurrentFolder() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return "./";
    std::string p = buf;
    if (p.empty() || p.back() != '/') p += '/';
    return p;
}

bool SetCurrentFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

}  // namespace plat
