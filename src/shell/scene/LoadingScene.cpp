// The loading scene.
#include "scene/LoadingScene.h"

#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "app/AppUtil.h"
#include "log/ErrorLog.h"
#include "menu/SelectMenu.h"
#include "preload/GlobalPreloadData.h"

C_LoadingScene::C_LoadingScene(CPartyData*) {
    m_Text.SetText("Now Loading...", 40, 0xFFFFFFFF);
    m_Outline.SetText("Now Loading...", 40, 0xFF202830);
}

int C_LoadingScene::Update() {
    g_GlobalPreloadData.Load(m_nCounter);
    ++m_nCounter;
    if (m_nCounter < CGlobalPreloadData::kSteps) return -1;
    // The battles cannot run without their meshes and pictures: name what is missing
    // and end the program rather than fail later in the middle of a battle.
    const auto& failed = g_GlobalPreloadData.GetFailures();
    if (!failed.empty()) {
        std::string message = "ゲームのデータを読み込めませんでした。\n";
        const size_t shown = failed.size() < 8 ? failed.size() : 8;
        for (size_t i = 0; i < shown; ++i) message += failed[i] + "\n";
        if (failed.size() > shown) message += "ほか " + std::to_string(failed.size() - shown) + " 件\n";
        message += "詳しくは ErrorLog.txt をご覧ください。";
        g_ErrorLog.Printf("読み込めなかったデータが %d 件あるため終了します。", int(failed.size()));
        ShowErrorMessage(message.c_str());
        return kSceneExit;
    }
    return kSceneTitle;
}

void C_LoadingScene::Draw() {
    if (m_nCounter == 1 || !m_Text.IsRendered()) {
        m_Text.Render();
        m_Outline.Render();
    }
    const int g = int(Clamp(m_nCounter * 255 / 10.0, 255.0, 0.0));
    CD3DDrawSquare square(640, 480, 0xFF000000u | (uint32_t(g) << 16) | (uint32_t(g) << 8) | uint32_t(g), 0);
    square.Draw(0, 0, 0);
    static const int kAround[8][2] = {{-2, 0}, {2, 0}, {0, -2}, {0, 2}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto& d : kAround) DrawTextAt(m_Outline, 365 + d[0], 442 + d[1], 255);
    DrawTextAt(m_Text, 365, 442, 255);
}
