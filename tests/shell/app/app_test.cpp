// The application object: settings, the start-up checks, the scene controller's
// frames and the frame-rate counter's layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Sound/gvlDSNPlaySound.h"
#include "app/AppUtil.h"
#include "app/D3DApp.h"
#include "framework/gvlDXVersion.h"
#include "golden.h"
#include "packwriter.h"
#include "system.h"

namespace {

class FakeLocks : public INamedLockSource {
public:
    int result = 0;
    int Create(const std::string&, void*& handle) override {
        handle = result == 0 ? this : nullptr;
        return result;
    }
    void Close(void*) override {}
};

class FixedVersion : public IDXVersionSource {
public:
    uint32_t major = 9, minor = 0;
    std::string letter = "c";
    bool OpenDiagnostics() override { return true; }
    DiagResult ReadDiagnostics(uint32_t& ma, uint32_t& mi, std::string& le) override {
        ma = major;
        mi = minor;
        le = letter;
        return DiagResult{true, true, !letter.empty()};
    }
    bool SystemFolder(std::string&) override { return false; }
    bool FileVersion(const std::string&, uint64_t&) override { return false; }
};

// Lets a test decide whether the window counts as active.
class TestApp : public CD3DApp {
public:
    using CD3DApp::CD3DApp;
    void SetActive(bool active) { m_bActive = active; }
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::InitOptions o;
        o.backend = plat::Backend::Headless;
        ASSERT_TRUE(plat::Init(o));
        SetDXVersionSource(&version);
        for (int id = 0; id < 10; ++id) C_SceneControler::RegisterScene(id, nullptr);
    }
    void TearDown() override {
        SetDXVersionSource(nullptr);
        for (int id = 0; id < 10; ++id) C_SceneControler::RegisterScene(id, nullptr);
        plat::Shutdown();
    }
    std::string Ini(const std::string& body) {
        std::string path = dir.path() + "Zov.ini";
        std::ofstream(path) << body;
        return path;
    }
    testsupport::TempDir dir;
    FakeLocks locks;
    FixedVersion version;
};

TEST_F(AppTest, SettingsFromTheIni) {
    {
        TestApp app(Ini("[general]\nWindowMode=1\nFPS=1\nDefaultVolume=50\n"), &locks);
        EXPECT_FALSE(app.IsFullScreen());
        EXPECT_TRUE(app.IsShowFPS());
        EXPECT_DOUBLE_EQ(g_dMasterVolume, 0.5);
        EXPECT_EQ(app.GetWidth(), 640);
        EXPECT_EQ(app.GetHeight(), 480);
        EXPECT_STREQ(app.GetCaption(), "VORMANT");
        EXPECT_EQ(app.GetFPSTimer().GetFPS(), 60u);
        EXPECT_EQ(g_strIniPath, dir.path() + "Zov.ini");
    }
    for (const char* mode : {"0", "2"}) {
        TestApp app(Ini(std::string("[general]\nWindowMode=") + mode + "\nFPS=2\nDefaultVolume=150\n"), &locks);
        EXPECT_TRUE(app.IsFullScreen());
        EXPECT_FALSE(app.IsShowFPS());
        EXPECT_DOUBLE_EQ(g_dMasterVolume, 1.0);
    }
    {
        TestApp app(Ini("[general]\nDefaultVolume=-20\n"), &locks);
        EXPECT_TRUE(app.IsFullScreen());
        EXPECT_DOUBLE_EQ(g_dMasterVolume, 0.0);
    }
    {
        TestApp app(dir.path() + "missing.ini", &locks);  // every default
        EXPECT_TRUE(app.IsFullScreen());
        EXPECT_FALSE(app.IsShowFPS());
        EXPECT_DOUBLE_EQ(g_dMasterVolume, 1.0);
    }
}

TEST_F(AppTest, SecondCopyIsRefused) {
    for (int result : {1, 2}) {
        locks.result = result;
        TestApp app(Ini(""), &locks);
        size_t boxes = plat::RecordedMessageBoxes().size();
        EXPECT_EQ(app.Update(), E_FAIL);
        ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
        EXPECT_EQ(plat::RecordedMessageBoxes().back().text,
                  "このプログラムは既に起動されています。\nVORMANT is already running.");
        EXPECT_EQ(plat::RecordedMessageBoxes().back().caption, "エラー");
        EXPECT_EQ(plat::RecordedMessageBoxes().back().flags, unsigned(plat::kMbIconError));
        EXPECT_FALSE(app.IsInitialized());
    }
}

TEST_F(AppTest, SecondCopySaysSoBeforeItHasAWindow) {
    locks.result = 1;
    TestApp app(Ini(""), &locks);
    const size_t boxes = plat::RecordedMessageBoxes().size();
    EXPECT_FALSE(app.CheckSingleInstance());
    EXPECT_FALSE(plat::HasMainWindow());
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
    // A copy that holds the lock asks for it once only.
    locks.result = 0;
    TestApp first(Ini(""), &locks);
    EXPECT_TRUE(first.CheckSingleInstance());
    locks.result = 1;
    EXPECT_TRUE(first.CheckSingleInstance());
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
}

TEST_F(AppTest, VersionCheckValues) {
    EXPECT_EQ(CD3DApp::DXVersionValue(9, 0, 'c'), 90003u);
    EXPECT_EQ(CD3DApp::DXVersionValue(9, 0, 'b'), 90002u);
    EXPECT_LT(CD3DApp::DXVersionValue(9, 0, ' '), CD3DApp::kMinDXVersion);  // 9.0 without a letter
    EXPECT_GE(CD3DApp::DXVersionValue(10, 0, ' '), CD3DApp::kMinDXVersion);
    EXPECT_GE(CD3DApp::DXVersionValue(0, 0, ' '), CD3DApp::kMinDXVersion);  // wraps: passes
}

TEST_F(AppTest, OldVersionIsRefusedNewOnesPass) {
    struct Case {
        uint32_t major, minor;
        const char* letter;
        bool passes;
    } cases[] = {{9, 0, "b", false}, {9, 0, "c", true}, {9, 0, "C", true}, {10, 0, " ", true}, {0, 0, " ", true}};
    for (const Case& c : cases) {
        version.major = c.major;
        version.minor = c.minor;
        version.letter = c.letter;
        TestApp app(Ini(""), &locks);
        size_t boxes = plat::RecordedMessageBoxes().size();
        HRESULT hr = app.Update();
        if (c.passes) {
            EXPECT_EQ(hr, S_OK) << c.major << c.letter;
            EXPECT_TRUE(app.IsInitialized());
            EXPECT_EQ(plat::RecordedMessageBoxes().size(), boxes);
        } else {
            EXPECT_EQ(hr, E_FAIL);
            ASSERT_EQ(plat::RecordedMessageBoxes().size(), boxes + 1);
            EXPECT_EQ(plat::RecordedMessageBoxes().back().text,
                      "DirectXのバージョンが古いようです。最新の状態に更新してください。");
        }
    }
}

// A scene that counts its frames.
int g_sceneUpdates = 0;
int g_sceneDraws = 0;
int g_sceneNext = -1;
class CountingScene : public C_SceneBase {
public:
    explicit CountingScene(CPartyData*) {}
    int Update() override {
        ++g_sceneUpdates;
        return g_sceneNext;
    }
    void Draw() override { ++g_sceneDraws; }
};

TEST_F(AppTest, ScenesRunOnlyWhileTheWindowIsActive) {
    g_sceneUpdates = g_sceneDraws = 0;
    g_sceneNext = -1;
    C_SceneControler::RegisterScene(6, [](CPartyData* p) -> C_SceneBase* { return new CountingScene(p); });
    TestApp app(Ini(""), &locks);
    app.SetActive(false);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(app.Update(), S_OK);
        app.Draw();
    }
    EXPECT_TRUE(app.IsInitialized());
    EXPECT_EQ(app.GetSceneControler().GetScene(), nullptr);  // never created
    app.SetActive(true);
    app.Update();
    app.Draw();
    EXPECT_EQ(g_sceneUpdates, 1);
    EXPECT_EQ(g_sceneDraws, 1);
    g_sceneNext = 8;
    app.Update();
    EXPECT_EQ(app.Update(), E_FAIL);  // the end of the program
}

TEST(FPSCounter, DigitPlacement) {
    auto g = CD3DApp::LayoutFPS(60);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].srcLeft, 0);
    EXPECT_EQ(g[0].srcRight, 28);
    EXPECT_EQ(g[0].srcBottom, 14);
    EXPECT_EQ(g[0].x, 5);
    EXPECT_EQ(g[0].y, 5);
    EXPECT_EQ(g[1].srcLeft, 7 * (6 + 4));
    EXPECT_EQ(g[1].srcRight, 7 * (6 + 5));
    EXPECT_EQ(g[1].x, 33);
    EXPECT_EQ(g[2].srcLeft, 7 * 4);  // digit 0
    EXPECT_EQ(g[2].x, 40);
    EXPECT_EQ(g[2].y, 5);
    EXPECT_EQ(CD3DApp::LayoutFPS(0).size(), 2u);
    EXPECT_EQ(CD3DApp::LayoutFPS(9).size(), 2u);
    auto ten = CD3DApp::LayoutFPS(10);
    ASSERT_EQ(ten.size(), 3u);
    EXPECT_EQ(ten[1].srcLeft, 7 * 5);
    EXPECT_EQ(ten[2].srcLeft, 7 * 4);
    auto hundred = CD3DApp::LayoutFPS(100);
    ASSERT_EQ(hundred.size(), 4u);
    EXPECT_EQ(hundred[3].x, 47);
}

TEST(AppUtil, ClampAndErrorMessage) {
    EXPECT_EQ(Clamp(5, 1, 0), 1);
    EXPECT_EQ(Clamp(-1, 1, 0), 0);
    EXPECT_EQ(Clamp(0.5, 1, 0), 0.5);
    plat::Shutdown();
    EXPECT_EQ(ShowErrorMessage("x"), plat::kIdOk);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].caption, "エラー");
}

// Where the game plays: the folder it is started in when that holds a file needed to
// start (loose or packed), else its own folder as found from how it was started.
TEST(GameFolder, TheCurrentFolderWhenItHoldsContentElseTheProgramsOwn) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    const std::string root = dir.path();
    auto put = [&](const std::string& file, const std::vector<unsigned char>& bytes) {
        fs::create_directories(fs::path(root + file).parent_path());
        std::ofstream(root + file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    put("game/model/SkinnedMesh.fx", {'f', 'x'});
    put("data/MODEL/skinmesh4.vsh", {'v', 's'});      // a player's own data, any letter case
    put("multi/model/skinmesh1.vsh", {'v', 's'});     // the parent of a Release build folder
    put("stray/model/keyframe.csv", {'0'});           // a model folder without a start file
    std::vector<unsigned char> pack;
    std::string error;
    ASSERT_TRUE(packwriter::BuildPack({{"skinmesh2.vsh", {'v', 's'}}}, pack, error)) << error;
    put("packed/model.pck", pack);
    fs::create_directories(root + "empty");

    const struct {
        const char *current, *startedAs, *program, *plays;
    } cases[] = {
        {"game/", "./vormant", "empty/bin/vormant", "game/"},        // started in its folder
        {"packed/", "@game/vormant", "game/vormant", "packed/"},     // content in a pack
        {"empty/", "@game/vormant", "empty/bin/vormant", "game/"},   // its whole path typed
        {"empty/", "../game/vormant", "empty/bin/vormant", "empty/../game/"},
        {"empty/", "@data/vormant", "game/vormant", "data/"},        // a link beside the player's data
        {"stray/", "vormant", "data/vormant", "data/"},              // found on the PATH: its file's folder
        {"empty/", "vormant", "multi/Release/vormant", "multi/"},    // the settings' folder
        {"empty/", "@empty/bin/vormant", "empty/bin/vormant", "empty/bin/"},  // no content anywhere
        {"stray/", "vormant", "", "stray/"},                         // its own place unknown
    };
    auto whole = [&](const std::string& path) {
        return path.empty() ? path : path[0] == '@' ? root + path.substr(1) : path;
    };
    for (const auto& c : cases) {
        const std::string program = *c.program ? root + c.program : "";
        EXPECT_EQ(ChooseGameFolder(root + c.current, whole(c.startedAs), program), root + c.plays)
            << c.current << " " << c.startedAs << " " << c.program;
    }
}

}  // namespace
