#pragma once
// Golden images: a picture compared pixel for pixel with a PNG under tests/golden/.
// Set VORMANT_UPDATE_GOLDEN=1 to (re)record the PNGs instead of comparing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// `argb` is width x height pixels, 32-bit ARGB.  `name` is a path below tests/golden/
// without the extension, e.g. "engine/draw/sprite_point".
::testing::AssertionResult MatchesGolden(const std::string& name, const uint32_t* argb, int width, int height);

// Writes a PNG (for looking at a picture while debugging).
bool WritePng(const std::string& path, const uint32_t* argb, int width, int height);

// A fresh empty folder under the build tree for one test; removed at exit of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }  // ends with "/"

private:
    std::string path_;
};

// Runs the rest of the test inside `dir` (restores the old current folder on exit).
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string& dir);
    ~ScopedCurrentDir();

private:
    std::string old_;
};

}  // namespace testsupport
