// The runnable folder as the build lays it out: every text file in the game's form.
#include <gtest/gtest.h>

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "textconv.h"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kTextExtensions = {".csv", ".txt", ".ini", ".fx", ".vsh", ".x"};

std::string ReadAll(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string LowerExt(const fs::path& p) {
    std::string e = p.extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// True when the bytes are valid CP932 text; `where` gets the offset of the first bad byte.
bool DecodesAsCp932(const std::string& bytes, size_t* where) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = bytes;
    char* pin = in.data();
    size_t left = in.size();
    std::string out(in.size() * 3 + 16, '\0');
    char* pout = out.data();
    size_t room = out.size();
    size_t r = iconv(cd, &pin, &left, &pout, &room);
    iconv_close(cd);
    *where = in.size() - left;
    return r != static_cast<size_t>(-1) && left == 0;
}

bool IsTextFile(const fs::path& p) {
    if (p.filename() == "CMakeLists.txt" || p.filename() == "CMakeCache.txt") return false;
    return kTextExtensions.count(LowerExt(p)) != 0;
}

TEST(GameFolder, EveryTextFileDecodesAsCp932) {
    const fs::path game = VORMANT_GAME_DIR;
    ASSERT_TRUE(fs::exists(game / "Zov.ini"));
    int checked = 0;
    for (const auto& e : fs::recursive_directory_iterator(game)) {
        if (!e.is_regular_file() || !IsTextFile(e.path())) continue;
        // The error log and save data are the program's own output, not content.
        std::string name = e.path().filename().string();
        if (name == "ErrorLog.txt") continue;
        std::string bytes = ReadAll(e.path());
        size_t at = 0;
        EXPECT_TRUE(DecodesAsCp932(bytes, &at)) << e.path() << " at byte " << at;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(GameFolder, EveryContentTextHasItsCp932CrLfCopy) {
    const fs::path src = fs::path(VORMANT_SOURCE_DIR) / "content";
    const fs::path game = VORMANT_GAME_DIR;
    int checked = 0;
    for (const auto& e : fs::recursive_directory_iterator(src)) {
        if (!e.is_regular_file() || !IsTextFile(e.path())) continue;
        fs::path rel = fs::relative(e.path(), src);
        fs::path out = game / rel;
        ASSERT_TRUE(fs::exists(out)) << out << " is missing: re-run the build";
        textconv::Result r = textconv::Utf8ToCp932CrLf(ReadAll(e.path()));
        ASSERT_TRUE(r.ok) << rel << ": " << r.error;
        std::string bytes = ReadAll(out);
        EXPECT_TRUE(r.bytes == bytes) << rel << " differs from its source: re-run the build";
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
                ADD_FAILURE() << rel << ": bare LF at byte " << i;
                break;
            }
        ++checked;
    }
    EXPECT_GE(checked, 6);  // Zov.ini and the shader files at least
}

}  // namespace
