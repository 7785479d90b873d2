#pragma once
// Shared by the targets that play a save: the fuzzed bytes are a save's stream (its
// numbers are text, so mutations reach them), written as the older unmasked slot file
// "Sav0.dat" or, masked, as the current "Save0.dat" (whose field record is read in
// its current form), and loaded the way a load at the title loads one, with the
// party taken from it; the field scene
// then starts from it as a save of the kind the target names and plays a few frames
// (updated, drawn through the software device and presented, as the game plays a
// frame) while the pointer clicks around.  Once the plain driver's time is up the save
// is read but no longer played.
// The scratch folder sees the built game folder's files (linked).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "SkillData.h"
#include "fake_input.h"
#include "framework/gvlDXAppBase.h"
#include "fuzz_util.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "save/ArchiveManager.h"

#ifndef VORMANT_GAME_DIR
#define VORMANT_GAME_DIR "game"
#endif

namespace fuzz {

// One drawn frame's pointer: where it rests, whether the left or right button goes
// down, and how many frames it rests there first (updated, not drawn: windows open
// over several frames).
struct Click {
    int x, y;
    bool left, right;
    int wait = 0;
};

// Once per run: the game folder's files linked into the scratch folder (the folder
// VORMANT_FUZZ_GAME names, else the build's), the device, the shared pictures and
// fonts, the skill and person tables (as the game loads them at its start), and the
// pointer the scenes read.
inline FakeInput& FieldWorld() {
    static FakeInput* input = [] {
        Init();
        namespace fs = std::filesystem;
        const char* env = std::getenv("VORMANT_FUZZ_GAME");
        const fs::path game = env && *env ? fs::path(env) : fs::path(VORMANT_GAME_DIR);
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(game, ec)) {
            const std::string name = e.path().filename().string();
            if (name == "ErrorLog.txt" || name.rfind("Sav", 0) == 0) continue;
            fs::create_symlink(fs::absolute(e.path()), Scratch() + name, ec);
        }
        if (!fs::exists(Scratch() + "map")) {
            std::fprintf(stderr, "no game folder at %s (set VORMANT_FUZZ_GAME)\n", game.c_str());
            std::abort();
        }
        if (CreateD3DDevice(false, 640, 480) != S_OK) std::abort();
        InitDrawObjects(g_pD3DDevice);
        SetFixedDeviceState(g_pD3DDevice);
        g_GlobalResources.Load();
        g_SkillData.Load("gamedata/skill.csv");
        CPersonTypeTable::LoadCsv();
        auto* in = new FakeInput;
        g_pInputManager = in;
        // At exit the shared pictures go before the device, as at the game's end.
        std::atexit([] {
            g_GlobalResources.Release();
            EndSpriteBatch();
            ReleaseSheetDrawObjects();
            ReleaseDrawObjects();
            ReleaseD3DDevice();
        });
        return in;
    }();
    return *input;
}

// One frame as the game plays it: updated, then drawn through the software device and
// presented, and the pointer's pushes end.  The next scene, or -1 to stay.
inline int PlayFrame(C_FieldScene& scene, FakeInput& input) {
    const int next = scene.Update();
    EndSpriteBatch();
    g_pD3DDevice->BeginScene();
    g_pD3DDevice->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    scene.Draw();
    EndSpriteBatch();
    g_pD3DDevice->EndScene();
    g_pD3DDevice->Present();
    input.Step();
    return next;
}

enum class SlotFile { Older, Current };

// Loads `data` as slot 0 and plays the field scene from it as a save of kind `kind`,
// one frame per click; then `after(scene, input)` plays on while the scene stays
// (it returns the next scene or -1).
template <class After>
inline void PlaySave(const uint8_t* data, size_t size, const char* kind, const Click* clicks, size_t frames,
                     SlotFile file, After after) {
    FakeInput& input = FieldWorld();
    // Each input's first frame is drawn in full, whatever the input before showed.
    g_pD3DDevice->SetFrameReuse(false);
    g_pD3DDevice->SetFrameReuse(true);
    if (file == SlotFile::Current) {
        const std::vector<unsigned char> masked = CArchiveManager::MaskStream(std::vector<unsigned char>(data, data + size));
        WriteFile("Save0.dat", masked.data(), masked.size());
    } else {
        WriteFile("Sav0.dat", data, size);
    }
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    if (manager->Load(0) && manager->HasArchive(PartyDataKey)) {
        CPartyData party;
        party.Reset();
        party.Load(manager->GetArchive(PartyDataKey, false));
        manager->SetString(SaveFileTypeKey, kind);
        // Once the plain driver's time is up the save is still read, but not played.
        if (!TimeIsUp()) {
            C_FieldScene scene(&party);
            int next = -1;
            for (size_t f = 0; f < frames && next < 0 && !TimeIsUp(); ++f) {
                input.Move(clicks[f].x, clicks[f].y);
                for (int w = 0; w < clicks[f].wait && next < 0 && !TimeIsUp(); ++w) next = scene.Update();
                if (next >= 0) break;
                if (clicks[f].left) input.ClickLeft();
                if (clicks[f].right) input.ClickRight();
                next = PlayFrame(scene, input);
            }
            if (next < 0 && !TimeIsUp()) after(scene, input);
        }
    }
    CArchiveManager::DestroyInstance();
    RemoveFile("Sav0.dat");
    RemoveFile("Save0.dat");
    RemoveFile("ErrorLog.txt");
    EndInput();
}

inline void PlaySave(const uint8_t* data, size_t size, const char* kind, const Click* clicks, size_t frames) {
    PlaySave(data, size, kind, clicks, frames, SlotFile::Older, [](C_FieldScene&, FakeInput&) { return -1; });
}

}  // namespace fuzz
