// The application frame: the frame loop's message and update order, its ending
// rules, and creation with the effect and shader files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "Draw/gvlD3DObjectBase.h"
#include "framework/gvlDXAppBase.h"
#include "golden.h"
#include "system.h"

namespace {

class LoopApp : public CDXAppBase {
public:
    std::function<HRESULT(int)> onUpdate;  // gets the update's number (from 0)
    int updates = 0, renders = 0, inits = 0;
    HRESULT OnInit() override {
        ++inits;
        return S_OK;
    }
    HRESULT OnUpdate() override { return onUpdate ? onUpdate(updates++) : (updates++, S_OK); }
    HRESULT OnRender() override {
        ++renders;
        return S_OK;
    }
};

bool Queued() {
    // Whether a message waits (without losing it: it is put back at the front).
    plat::Message m;
    if (!plat::PeekMessage(m)) return false;
    std::vector<plat::Message> rest{m};
    while (plat::PeekMessage(m)) rest.push_back(m);
    for (const auto& r : rest) plat::PostMessage(r);
    return true;
}

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::InitOptions o;
        o.backend = plat::Backend::Headless;
        ASSERT_TRUE(plat::Init(o));
    }
    void TearDown() override { plat::Shutdown(); }
};

TEST_F(FrameLoopTest, BurstOfMessagesIsHandledBeforeTheNextUpdate) {
    LoopApp app;
    std::vector<bool> queueEmptyAtUpdate;
    app.onUpdate = [&](int n) -> HRESULT {
        queueEmptyAtUpdate.push_back(!Queued());
        if (n == 0 || n == 1) {
            for (int i = 0; i < 5; ++i) plat::PostMessage({plat::kMsgMouseMove, 0, plat::MakePointParam(i, i)});
        }
        if (n == 3) plat::PostQuitMessage(9);
        return S_OK;
    };
    plat::PostMessage({plat::kMsgKeyDown, 'Z', 0});
    plat::PostMessage({plat::kMsgKeyUp, 'Z', 0});
    EXPECT_EQ(app.Run(), 9);
    EXPECT_EQ(app.updates, 4);
    EXPECT_EQ(app.renders, 4);
    EXPECT_EQ(queueEmptyAtUpdate, (std::vector<bool>{true, true, true, true}));
}

TEST_F(FrameLoopTest, OnlyExactlyFailEndsTheLoop) {
    LoopApp app;
    app.onUpdate = [](int n) -> HRESULT {
        if (n < 3) return E_INVALIDARG;
        if (n < 5) return S_FALSE;
        return E_FAIL;
    };
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.updates, 6);
    EXPECT_EQ(app.renders, 5);  // the failing frame is not drawn
}

TEST_F(FrameLoopTest, EscapeAndCloseEndTheLoop) {
    for (uint32_t id : {uint32_t(plat::kMsgKeyDown), uint32_t(plat::kMsgClose)}) {
        LoopApp app;
        app.onUpdate = [id](int n) -> HRESULT {
            if (n == 2) plat::PostMessage({id, plat::kVkEscape, 0});
            return S_OK;
        };
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(app.updates, 3);
    }
    // Other keys do not.
    LoopApp app;
    app.onUpdate = [](int n) -> HRESULT {
        if (n == 0) plat::PostMessage({plat::kMsgKeyDown, plat::kVkReturn, 0});
        return n == 3 ? E_FAIL : S_OK;
    };
    app.Run();
    EXPECT_EQ(app.updates, 4);
}

TEST_F(FrameLoopTest, FramesArePacedAtSixtyAndTheWindowIsActive) {
    LoopApp app;
    ASSERT_TRUE(plat::CreateMainWindow("t", 640, 480, false));
    bool active = false;
    app.onUpdate = [&](int n) -> HRESULT {
        active = app.IsActive();
        return n == 60 ? E_FAIL : S_OK;
    };
    app.GetFPSTimer().SetFPS(60);
    uint32_t t0 = plat::TickCount();
    app.Run();
    EXPECT_TRUE(active);
    uint32_t elapsed = plat::TickCount() - t0;
    EXPECT_GE(elapsed, 999u);
    EXPECT_LE(elapsed, 1000u);
}

TEST_F(FrameLoopTest, WindowProcedureKeepsTheWindowAndFeedsTheMice) {
    LoopApp app;
    int token = 0;
    app.WndProc(&token, plat::kMsgMouseMove, 0, plat::MakePointParam(3, 4));
    EXPECT_EQ(g_hWnd, &token);
}

// Creation: window, device, fixed states, effect and shaders from the data folder.
class CreateTest : public FrameLoopTest {
protected:
    void WriteModel(const std::string& dir, bool effect, int shaders, bool brokenShader = false) {
        std::filesystem::create_directories(dir + "model");
        if (effect) std::ofstream(dir + "model/SkinnedMesh.fx") << "technique Skinning { pass P0 { } }\n";
        for (int i = 1; i <= shaders; ++i)
            std::ofstream(dir + "model/skinmesh" + std::to_string(i) + ".vsh")
                << (brokenShader && i == shaders ? "mov oPos, v0\n" : "vs.1.1\nmov oPos, v0\n");
    }
};

TEST_F(CreateTest, CreatesEverythingAndCallsInitLast) {
    testsupport::TempDir dir;
    WriteModel(dir.path(), true, 4);
    testsupport::ScopedCurrentDir cd(dir.path());
    {
        LoopApp app;
        ASSERT_EQ(app.Create(nullptr, 1), S_OK);
        EXPECT_EQ(app.inits, 1);
        ASSERT_NE(g_pD3DDevice, nullptr);
        EXPECT_NE(g_pSkinnedMeshEffect, nullptr);
        for (auto* s : g_pSkinMeshVertexShader) EXPECT_NE(s, nullptr);
        EXPECT_NE(g_hMainWindow, nullptr);
        EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_AMBIENT), 0x33333333u);
        EXPECT_EQ(g_pD3DDevice->GetRenderState(gfx::RS_CULLMODE), uint32_t(gfx::CULL_CCW));
        EXPECT_EQ(g_pD3DDevice->GetSamplerState(0, gfx::SAMP_MINFILTER), uint32_t(gfx::TEXF_LINEAR));
        EXPECT_EQ(g_pD3DDevice->GetTextureStageState(0, gfx::TSS_ALPHAARG2), uint32_t(gfx::TA_DIFFUSE));
        // Near plane 0: every projected depth is 1.
        vm::Matrix p = g_pD3DDevice->GetTransform(gfx::TS_PROJECTION);
        EXPECT_FLOAT_EQ(p.m[2][2], 1.0f);
        EXPECT_FLOAT_EQ(p.m[3][2], 0.0f);
        app.onUpdate = [](int n) { return n == 1 ? E_FAIL : S_OK; };
        app.Run();
        EXPECT_EQ(plat::PresentedFrameCount(), 1u);
    }
    EXPECT_EQ(g_pD3DDevice, nullptr);
    EXPECT_EQ(g_pSkinnedMeshEffect, nullptr);
    for (auto* s : g_pSkinMeshVertexShader) EXPECT_EQ(s, nullptr);
}

TEST_F(CreateTest, MissingEffectOrShaderFailsWithItsResult) {
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cd(dir.path());
    {
        LoopApp app;
        EXPECT_EQ(app.Create(nullptr, 1), gfx::ERR_INVALIDCALL);
        EXPECT_EQ(app.inits, 0);
    }
    WriteModel(dir.path(), true, 3);
    {
        LoopApp app;
        EXPECT_EQ(app.Create(nullptr, 1), gfx::ERR_INVALIDCALL);
        EXPECT_EQ(app.inits, 0);
        EXPECT_NE(g_pSkinMeshVertexShader[2], nullptr);
        EXPECT_EQ(g_pSkinMeshVertexShader[3], nullptr);
    }
    WriteModel(dir.path(), true, 4, true);
    {
        LoopApp app;
        EXPECT_EQ(app.Create(nullptr, 1), gfx::ERR_INVALIDDATA);
    }
    // Each failure names its file, found or not, in the log and in a message box.
    const auto& boxes = plat::RecordedMessageBoxes();
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_NE(boxes[boxes.size() - 3].text.find("model\\SkinnedMesh.fx が見つかりません"), std::string::npos);
    EXPECT_NE(boxes[boxes.size() - 2].text.find("model\\skinmesh4.vsh が見つかりません"), std::string::npos);
    EXPECT_NE(boxes[boxes.size() - 1].text.find("model\\skinmesh4.vsh を読み込めません"), std::string::npos);
    EXPECT_EQ(boxes.back().caption, "エラー");
    EXPECT_EQ(g_pD3DDevice, nullptr);
}

}  // namespace
