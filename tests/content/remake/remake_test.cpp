// The build's look at the runnable folder: a made file that was deleted or changed
// there is made again (converted and copied files one by one, generated ones by one
// more run of the generator); files as they were made are left alone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "golden.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class RemakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.path();
        game = root + "game";
        // A stand-in generator: writes two pictures and its list, counting its runs.
        Write(root + "gen.sh",
              "#!/bin/sh\nprintf 'PNG-A' > \"$1/a.png\"\nprintf 'PNG-B' > \"$1/sub/b.png\"\n"
              "printf 'a.png\\nsub/b.png\\n' > \"$2\"\necho run >> \"" + root + "runs.txt\"\n");
        ::chmod((root + "gen.sh").c_str(), 0755);
        fs::create_directories(game + "/sub");
        Write(root + "src/t.ini", "[general]\n");
        Write(root + "files.txt", "copy|" + root + "src/t.ini|" + game + "/t.ini\n");
    }
    int Check() {
        const std::string cmd = "cmake -DGAME_DIR=" + game + " -DCONTENTGEN=" + root + "gen.sh" +
                                " -DCONTENTGEN_LIST=" + root + "list.txt -DTEXTCONV=/bin/false" +
                                " -DCONTENT_FILES=" + root + "files.txt -DSTATE=" + root + "state.txt" +
                                " -P " VORMANT_SOURCE_DIR "/content/CheckGenerated.cmake > /dev/null 2>&1";
        return std::system(cmd.c_str());
    }
    int Runs() {
        std::string r = Read(root + "runs.txt");
        return int(std::count(r.begin(), r.end(), '\n'));
    }
    testsupport::TempDir dir;
    std::string root, game;
};

TEST_F(RemakeTest, DeletedOrChangedFilesAreMadeAgain) {
    // As the first build leaves it: generated and copied, then noted.
    ASSERT_EQ(std::system(("sh " + root + "gen.sh " + game + " " + root + "list.txt").c_str()), 0);
    fs::copy_file(root + "src/t.ini", game + "/t.ini");
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Runs(), 1);
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Runs(), 1);  // nothing to do

    fs::remove(game + "/sub/b.png");
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Runs(), 2);
    EXPECT_EQ(Read(game + "/sub/b.png"), "PNG-B");

    Write(game + "/a.png", "damaged picture");
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Runs(), 3);
    EXPECT_EQ(Read(game + "/a.png"), "PNG-A");

    Write(game + "/t.ini", "changed by hand, longer");
    ASSERT_EQ(Check(), 0);
    EXPECT_EQ(Read(game + "/t.ini"), "[general]\n");
    EXPECT_EQ(Runs(), 3);  // a copied file alone does not run the generator
}

}  // namespace
