// The .x writer with values a file may hold but a 64-bit integer cannot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "mesh/xmesh.h"

namespace {

xmesh::XFile OneObject(std::initializer_list<double> integers) {
    xmesh::XFile file;
    auto o = std::make_unique<xmesh::XObject>();
    o->type = "Numbers";
    for (double d : integers) o->values.push_back(xmesh::XValue{false, false, d, {}});
    file.objects.push_back(std::move(o));
    return file;
}

std::vector<double> ReadBack(const std::string& bytes) {
    xmesh::XFile file;
    EXPECT_TRUE(SUCCEEDED(xmesh::ParseXFile(bytes.data(), bytes.size(), file)));
    std::vector<double> out;
    if (!file.objects.empty())
        for (const xmesh::XValue& v : file.objects[0]->values) out.push_back(v.number);
    return out;
}

TEST(XFileWriter, IntegersBeyondTheRangeAreHeldAtItsEnds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const xmesh::XFile file = OneObject({4.11111e74, -1e300, 9.3e18, -9.3e18, nan, inf, -inf, 42, -7});
    // Text: the whole numbers as written.
    const std::vector<double> text = ReadBack(xmesh::WriteXFile(file, false));
    const double top = double(INT64_MAX), bottom = double(INT64_MIN);
    const std::vector<double> expected = {top, bottom, top, bottom, 0, top, bottom, 42, -7};
    EXPECT_EQ(text, expected);
    // Binary: 32-bit words of those numbers (negatives wrap like the cast they replace).
    const std::vector<double> binary = ReadBack(xmesh::WriteXFile(file, true));
    const std::vector<double> words = {4294967295.0, 0, 4294967295.0, 0, 0, 4294967295.0, 0, 42, 4294967289.0};
    EXPECT_EQ(binary, words);
}

// A text file with an integer of 74 digits: read, written in both forms, read back.
TEST(XFileWriter, AFileWithAHugeIntegerIsWrittenAndReadBack) {
    std::ifstream in(VORMANT_SOURCE_DIR "/fuzz/inputs/xfile/huge_integer.x", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    xmesh::XFile file;
    ASSERT_TRUE(SUCCEEDED(xmesh::ParseXFile(bytes.data(), bytes.size(), file)));
    for (bool binary : {false, true}) {
        const std::string written = xmesh::WriteXFile(file, binary);
        xmesh::XFile again;
        EXPECT_TRUE(SUCCEEDED(xmesh::ParseXFile(written.data(), written.size(), again))) << binary;
    }
}

}  // namespace
