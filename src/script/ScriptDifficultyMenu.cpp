// The built-in difficulty menu of the story's "SelectDifficulty".
#include "ScriptDifficultyMenu.h"

#include "Draw/gvlD3DTextDraw.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"

namespace {

ScriptDifficultyMenuFactory g_pDifficultyMenuFactory = nullptr;

const char* const kNames[C_ScriptDifficultyMenu::kRows] = {"Novice", "Standard", "Expert", "Master", "Chaotic"};
constexpr int kOpenFrames = 8;

}  // namespace

void SetScriptDifficultyMenuFactory(ScriptDifficultyMenuFactory factory) { g_pDifficultyMenuFactory = factory; }

IScriptDifficultyMenu* CreateScriptDifficultyMenu() {
    if (g_pDifficultyMenuFactory) {
        if (IScriptDifficultyMenu* menu = g_pDifficultyMenuFactory()) return menu;
    }
    return new C_ScriptDifficultyMenu();
}

struct C_ScriptDifficultyMenu::Texts {
    CD3DTextDraw rows[kRows];
};

C_ScriptDifficultyMenu::C_ScriptDifficultyMenu() : m_pTexts(std::make_unique<Texts>()) {}
C_ScriptDifficultyMenu::~C_ScriptDifficultyMenu() = default;

void C_ScriptDifficultyMenu::Reset() {
    m_nResult = 0;
    m_nOpen = 0;
    m_nHover = -1;
    for (int i = 0; i < kRows; ++i) {
        m_pTexts->rows[i].SetText(kNames[i], 40, 0xFFFFFFFF);
        m_pTexts->rows[i].Render();
    }
}

int C_ScriptDifficultyMenu::RowAt(int x, int y) {
    if (x < kLeft || x >= kLeft + kWidth || y < kTop + 8) return -1;
    const int row = (y - kTop - 8) / kRowHeight;
    return row < kRows ? row : -1;
}

void C_ScriptDifficultyMenu::Update(IInputManager* input) {
    if (m_nOpen < kOpenFrames) ++m_nOpen;
    if (!input || m_nResult != 0) return;
    m_nHover = RowAt(input->GetX(), input->GetY());
    // Rows answer once the window is open.
    if (m_nOpen >= kOpenFrames && m_nHover >= 0 && input->IsLButtonPush()) m_nResult = m_nHover + 1;
}

void C_ScriptDifficultyMenu::Draw() {
    const float open = float(m_nOpen) / kOpenFrames;
    g_GlobalResources.DrawWindowEx(kLeft, kTop, kWidth, kRows * kRowHeight + 16, open, 0xC0102040, 0);
    if (m_nOpen < kOpenFrames) return;
    for (int i = 0; i < kRows; ++i) {
        CD3DRTSquare& rt = m_pTexts->rows[i].GetRenderTarget();
        if (!rt.GetTexture()) continue;
        const RECT src{0, 0, std::min(rt.GetTexture()->Width(), 2 * (kWidth - 32)), std::min(rt.GetTexture()->Height(), 48)};
        rt.DrawScaled(kLeft + 24, kTop + 8 + i * kRowHeight + 4, 0.5, 0.5, 0, 0, i == m_nHover ? 255 : 190, &src, 0);
    }
}
