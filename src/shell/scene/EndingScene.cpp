// The ending scene and its staff roll.
#include "scene/EndingScene.h"

#include <algorithm>
#include <cstdlib>

#include "app/AppUtil.h"
#include "input/gvlInputManager.h"
#include "menu/SelectMenu.h"
#include "resources/GlobalResources.h"

namespace {

struct RollText {
    const char* heading;
    const char* names;
};

// The people of this port, by the parts of the game each of them made.
const RollText kRoll[C_EndingScene::kEntries] = {
    {"「ＶＯＲＭＡＮＴ」製作スタッフ", ""},
    {"プログラム", "基盤係\r\n場面係\r\n戦場係\r\n戦闘係"},
    {"ＡＩ・ゲームバランス", "規則係\r\nデータ係"},
    {"２Ｄグラフィック", "表示係\r\n絵札工房"},
    {"３Ｄグラフィック", "立体模型工房"},
    {"シナリオ原案", "台本係"},
    {"音楽", "合成音楽工房"},
    {"デバッグ協力", "記録係\r\n保存係"},
    {"テストプレイヤー", "自動再生機\r\n夜間試験班\r\n二核試験機"},
    {"制作", "ＶＯＲＭＡＮＴ\r\nＬｉｎｕｘ 移植班"},
};

}  // namespace

int C_EndingScene::RollEntry::Height() const {
    const std::string& t = Names.GetText();
    return 44 + 28 * int(std::count(t.begin(), t.end(), '\n'));
}

C_EndingScene::C_EndingScene(CPartyData* party) : m_pPartyData(party) {
    g_GlobalResources.PlayBGM(14);
    g_GlobalResources.SetBGMPlaying(true);
    float y = 480;
    for (const RollText& text : kRoll) {
        auto entry = std::make_unique<RollEntry>();
        entry->Heading.SetText(text.heading, 12, 0xFFFFFFFF);
        entry->Names.SetText(text.names, 26, 0xFFFFFFFF);
        entry->Names.SetLineHeight(28);
        entry->Heading.Render();
        entry->Names.Render();
        entry->y = y;
        y += float(entry->Height() + 80);
        m_Roll.push_back(std::move(entry));
    }
    m_EndImage.Load("./graphics/ENDTypo.png");
}

int C_EndingScene::Update() {
    ++m_nFrame;
    IInputManager* input = g_pInputManager;
    m_bLButtonDown = input && input->IsLButtonDown();
    if (m_ePhase == Phase::EndImage) {
        if (m_nFrame > 480 && input && input->IsLButtonPush()) {
            g_GlobalResources.SetBGMPlaying(false);
            return kSceneTitle;
        }
    } else if (m_Roll.size() == 1 && m_Roll.front()->y < 0) {
        m_nFrame = 0;
        m_ePhase = Phase::EndImage;
    }
    return -1;
}

int C_EndingScene::EndImageAlpha(int frame) {
    return int(Clamp(double((240 - std::abs(frame - 240)) * 255 / 240), 255, 0));
}

int C_EndingScene::RollShadeAlpha(float topY) {
    if (!(topY < 80)) return 0;
    return std::min(255, int((80 - topY) * 255 / 50));
}

void C_EndingScene::Draw() {
    CD3DDrawSquare black(640, 480, 0xFF000000, 0);
    black.Draw(0, 0, 0);
    if (m_ePhase == Phase::EndImage) {
        m_EndImage.Draw(505, 412, (unsigned char)EndImageAlpha(m_nFrame));
        return;
    }
    const float step = m_bLButtonDown ? 2.0f : 0.5f;
    for (auto it = m_Roll.begin(); it != m_Roll.end();) {
        RollEntry& e = **it;
        DrawTextAt(e.Heading, kHeadingX, e.y, 255);
        DrawTextAt(e.Names, kNamesX, e.y + 16, 255);
        e.y -= step;
        if (e.y + e.Height() < 0) it = m_Roll.erase(it);
        else ++it;
    }
    if (!m_Roll.empty()) {
        const int alpha = RollShadeAlpha(m_Roll.front()->y);
        if (alpha > 0) {
            CD3DDrawSquare shade(640, 480, uint32_t(alpha) << 24, 0);
            shade.Draw(0, 0, 0);
        }
    }
}
