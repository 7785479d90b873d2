// The input manager fed by the headless platform's scripted input: the same
// message and keyboard-state paths as live play.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "golden.h"
#include "input/gvlInputManager.h"
#include "system.h"

namespace {

struct FrameInput {
    int x = 0, y = 0;
    bool lDown = false, lPush = false, lRelease = false;
    bool zPress = false, zPush = false;
    bool upPress = false;
};

class HeadlessRun {
public:
    explicit HeadlessRun(const std::string& script) {
        std::string path = dir_.path() + "input.txt";
        std::ofstream(path) << script;
        plat::InitOptions options;
        options.backend = plat::Backend::Headless;
        options.replayScript = path;
        ok_ = plat::Init(options) && plat::CreateMainWindow("VORMANT", 640, 480, false);
    }
    ~HeadlessRun() { plat::Shutdown(); }
    bool ok() const { return ok_; }

    // One frame as the game runs it: messages to the window procedure, the
    // input manager's update, then a presented frame.
    FrameInput Frame(CInputManager& input) {
        plat::Message msg;
        while (plat::PeekMessage(msg)) FeedMouseMessage(nullptr, msg.id, msg.wParam, msg.lParam);
        input.Update();
        FrameInput f;
        input.GetXY(&f.x, &f.y);
        f.lDown = input.IsLButtonDown();
        f.lPush = input.IsLButtonPush();
        f.lRelease = input.GetMouse()->IsLButtonRelease();
        f.zPress = input.IsPress(5);
        f.zPush = input.IsPush(5);
        f.upPress = input.IsPress(1);
        uint32_t pixels[4] = {};
        plat::PresentFrame(pixels, 2, 2, 2);
        return f;
    }

private:
    testsupport::TempDir dir_;
    bool ok_ = false;
};

}  // namespace

TEST(HeadlessInput, ScriptedKeysAndClicksReachTheGame) {
    HeadlessRun run(
        "0 move 100 120\n"
        "2 keydown Z\n"
        "4 keyup Z\n"
        "5 down left\n"
        "5 up left\n"
        "7 down left\n"
        "8 move 200 210\n"
        "9 up left\n"
        "10 key Up\n");
    ASSERT_TRUE(run.ok());
    CInputManager input;
    std::vector<FrameInput> f;
    for (int i = 0; i < 12; ++i) f.push_back(run.Frame(input));

    EXPECT_EQ(f[0].x, 100);
    EXPECT_EQ(f[0].y, 120);
    EXPECT_FALSE(f[1].zPress);
    EXPECT_TRUE(f[2].zPush);
    EXPECT_TRUE(f[3].zPress);
    EXPECT_FALSE(f[3].zPush);
    EXPECT_FALSE(f[4].zPress);

    // A click inside one frame: down and pushed for one frame, released the next.
    EXPECT_TRUE(f[5].lDown);
    EXPECT_TRUE(f[5].lPush);
    EXPECT_FALSE(f[6].lDown);
    EXPECT_TRUE(f[6].lRelease);

    // A press held over frames, with a move in between.
    EXPECT_TRUE(f[7].lPush);
    EXPECT_TRUE(f[8].lDown);
    EXPECT_FALSE(f[8].lPush);
    EXPECT_EQ(f[8].x, 200);
    EXPECT_EQ(f[8].y, 210);
    EXPECT_TRUE(f[9].lRelease);

    EXPECT_TRUE(f[10].upPress);
    EXPECT_FALSE(f[11].upPress);
}

TEST(HeadlessInput, NoJoystickInHeadlessRuns) {
    HeadlessRun run("");
    ASSERT_TRUE(run.ok());
    CMyKey key(false);
    EXPECT_FALSE(key.GetJoyStick().IsValid());
}
