#include "golden.h"

#include <stb_image.h>
#include <stb_image_write.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace testsupport {

namespace fs = std::filesystem;

static std::vector<uint8_t> ToRgba(const uint32_t* argb, int w, int h) {
    std::vector<uint8_t> out(size_t(w) * h * 4);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        uint32_t p = argb[i];
        out[i * 4 + 0] = (p >> 16) & 0xFF;
        out[i * 4 + 1] = (p >> 8) & 0xFF;
        out[i * 4 + 2] = p & 0xFF;
        out[i * 4 + 3] = (p >> 24) & 0xFF;
    }
    return out;
}

bool WritePng(const std::string& path, const uint32_t* argb, int width, int height) {
    fs::create_directories(fs::path(path).parent_path());
    auto rgba = ToRgba(argb, width, height);
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

::testing::AssertionResult MatchesGolden(const std::string& name, const uint32_t* argb, int width, int height) {
    std::string path = std::string(VORMANT_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    const char* update = std::getenv("VORMANT_UPDATE_GOLDEN");
    if (update && *update && *update != '0') {
        if (!WritePng(path, argb, width, height)) return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess();
    }
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data)
        return ::testing::AssertionFailure() << "missing golden image " << path
                                             << " (record it with VORMANT_UPDATE_GOLDEN=1)";
    auto actual = ToRgba(argb, width, height);
    std::string failPath = std::string(VORMANT_SOURCE_DIR) + "/build/golden-failures/" + name + ".png";
    if (w != width || h != height) {
        stbi_image_free(data);
        WritePng(failPath, argb, width, height);
        return ::testing::AssertionFailure() << name << ": size " << width << "x" << height << ", golden " << w << "x"
                                             << h;
    }
    size_t diffs = 0, first = size_t(-1);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        if (memcmp(&data[i * 4], &actual[i * 4], 4) != 0) {
            if (first == size_t(-1)) first = i;
            ++diffs;
        }
    }
    stbi_image_free(data);
    if (diffs) {
        WritePng(failPath, argb, width, height);
        return ::testing::AssertionFailure() << name << ": " << diffs << " pixels differ, first at (" << first % w
                                             << ", " << first / w << "); actual written to " << failPath;
    }
    return ::testing::AssertionSuccess();
}

TempDir::TempDir() {
    static int counter = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "tmp";
    for (char& c : name)
        if (c == '/') c = '_';
    path_ = (fs::temp_directory_path() / ("vormant-test-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(counter++) + "-" + name))
                .string() +
            "/";
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& dir) : old_(fs::current_path().string()) {
    fs::current_path(dir);
}
ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ec;
    fs::current_path(old_, ec);
}

}  // namespace testsupport
