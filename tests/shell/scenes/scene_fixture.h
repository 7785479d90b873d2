#pragma once
// Scenes run on the software device in a fresh folder that sees the runnable game's
// data (every entry of the game folder linked in), with the test's own input.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "framework/gvlDXAppBase.h"
#include "Draw/gvlD3DObjectBase.h"
#include "fake_input.h"
#include "golden.h"
#include "preload/GlobalPreloadData.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "save/ArchiveManager.h"

class SceneTest : public ::testing::Test {
protected:
    // Links the game folder's entries into the test folder, leaving out the named
    // files of "model" (relative names such as "knight.x").
    void LinkGame(const std::set<std::string>& leaveOutOfModel = {}) {
        namespace fs = std::filesystem;
        const fs::path game = VORMANT_GAME_DIR;
        for (const auto& e : fs::directory_iterator(game)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Save", 0) == 0) continue;
            if (name == "model" && !leaveOutOfModel.empty()) {
                fs::create_directory(dir_.path() + "model");
                for (const auto& m : fs::directory_iterator(e.path()))
                    if (!leaveOutOfModel.count(m.path().filename().string()))
                        fs::create_symlink(m.path(), dir_.path() + "model/" + m.path().filename().string());
                continue;
            }
            fs::create_symlink(e.path(), dir_.path() + name);
        }
    }
    void SetUp() override {
        LinkGame(LeftOut());
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(dir_.path());
        ASSERT_EQ(CreateD3DDevice(false, 640, 480), S_OK);
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();  // the system sheet for the windows, as after the loading scene
        CArchiveManager::DestroyInstance();
        saved_ = g_pInputManager;
        g_pInputManager = &in_;
    }
    void TearDown() override {
        g_pInputManager = saved_;
        CArchiveManager::DestroyInstance();
        g_GlobalPreloadData.Release();
        EndSpriteBatch();
        g_GlobalResources.Release();
        ReleaseSheetDrawObjects();
        ReleaseDrawObjects();
        ReleaseD3DDevice();
        cd_.reset();
    }
    virtual std::set<std::string> LeftOut() const { return {}; }
    void Clear() {
        EndSpriteBatch();
        g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    ::testing::AssertionResult Matches(const std::string& name) {
        EndSpriteBatch();
        return testsupport::MatchesGolden("shell/scenes/" + name, g_pD3DDevice->BackBuffer(), 640, 480);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    FakeInput in_;
    IInputManager* saved_ = nullptr;
};
