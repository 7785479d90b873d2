// The way to the staff roll: title, new game, the first chapter's story, the battle
// map (a stand-in that reports the last chapter won), the ending, and back to the
// title, all through the scene controller on the software device.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "fake_input.h"
#include "golden.h"
#include "preload/GlobalPreloadData.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "save/ArchiveManager.h"
#include "scene/EndingScene.h"
#include "scene/SceneControler.h"
#include "scene/StoryScene.h"
#include "scene/TitleScene.h"

namespace {

namespace fs = std::filesystem;

// Stands in for the battle map: the last chapter is won at once.
class LastChapterWon : public C_SceneBase {
public:
    explicit LastChapterWon(CPartyData*) {}
    int Update() override { return kSceneEnding; }
};

C_SceneBase* MakeLastChapterWon(CPartyData* party) { return new LastChapterWon(party); }

class EndingPath : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& e : fs::directory_iterator(VORMANT_GAME_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            fs::create_symlink(e.path(), dir_.path() + name);
        }
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        gfx::Device* d = g_pD3DDevice;
        d->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_TRUE);
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
        d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        CArchiveManager::DestroyInstance();
        savedField_ = C_SceneControler::FindScene(kSceneField);
        C_SceneControler::RegisterScene(kSceneField, &MakeLastChapterWon);
    }
    void TearDown() override {
        C_SceneControler::RegisterScene(kSceneField, savedField_);
        CArchiveManager::DestroyInstance();
        g_GlobalPreloadData.Release();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    C_SceneControler::SceneCreator savedField_ = nullptr;
};

TEST_F(EndingPath, TitleStoryFieldEndingAndBackToTheTitle) {
    FakeInput in;
    std::vector<int> visited;
    bool endImagePictured = false;
    {
        C_SceneControler controller;
        g_pInputManager = &in;  // the scenes read the test's input
        for (int frame = 0; frame < 12000; ++frame) {
            ASSERT_EQ(controller.Update(), S_OK);
            in.Step();
            EndSpriteBatch();
            g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            controller.Draw();
            const int id = controller.GetCurrentId();
            if (visited.empty() || visited.back() != id) visited.push_back(id);
            if (visited.size() >= 6) break;

            C_SceneBase* scene = controller.GetScene();
            if (auto* title = dynamic_cast<C_TitleScene*>(scene)) {
                const bool menu = !title->GetTaskController().GetTasks().empty() &&
                                  dynamic_cast<C_TaskTitleMenu*>(title->GetTaskController().GetTasks().front());
                if (visited.size() >= 5) continue;  // back at the title: done next frame
                if (!menu) {
                    in.Move(300, 300);  // clicks cut the opening short
                    if (frame % 10 == 0) in.ClickLeft();
                } else {
                    in.Move(520, 285);  // new game
                    if (frame % 2 == 0) in.ClickLeft();
                }
            } else if (dynamic_cast<C_StoryScene*>(scene)) {
                in.Move(80, 100);  // the difficulty row "Expert"; clicks move the story on
                if (frame % 2 == 0) in.ClickLeft();
            } else if (auto* ending = dynamic_cast<C_EndingScene*>(scene)) {
                if (ending->GetPhase() == C_EndingScene::Phase::Roll) {
                    in.left = true;  // the roll four times as fast
                } else {
                    if (ending->GetFrame() == 240 && !endImagePictured) {
                        EndSpriteBatch();
                        EXPECT_TRUE(testsupport::MatchesGolden("e2e/scenes/ending_image", g_pD3DDevice->BackBuffer(),
                                                               640, 480));
                        endImagePictured = true;
                    }
                    if (ending->GetFrame() % 60 == 0) in.ClickLeft();
                }
            }
        }
        g_pInputManager = &controller.GetInputManager();
    }
    EXPECT_EQ(visited, (std::vector<int>{kSceneLoading, kSceneTitle, kSceneStory, kSceneField, kSceneEnding,
                                         kSceneTitle}));
    EXPECT_TRUE(endImagePictured);
}

}  // namespace
