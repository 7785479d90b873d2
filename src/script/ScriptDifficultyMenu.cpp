// The story's difficulty menu: the game's CSelectDifficulty unless a program installs
// another one.
#include "ScriptDifficultyMenu.h"

#include "menu/SelectMenu.h"

namespace {

ScriptDifficultyMenuFactory g_pDifficultyMenuFactory = nullptr;

class C_ScriptSelectDifficulty : public IScriptDifficultyMenu {
public:
    void Reset() override { m_Menu.Reset(); }
    void Update(IInputManager* input) override { m_Menu.Update(input); }
    void Draw() override { m_Menu.Draw(); }
    int GetResult() const override { return m_Menu.GetResult(); }

private:
    CSelectDifficulty m_Menu;
};

}  // namespace

void SetScriptDifficultyMenuFactory(ScriptDifficultyMenuFactory factory) { g_pDifficultyMenuFactory = factory; }

IScriptDifficultyMenu* CreateScriptDifficultyMenu() {
    if (g_pDifficultyMenuFactory) {
        if (IScriptDifficultyMenu* menu = g_pDifficultyMenuFactory()) return menu;
    }
    return new C_ScriptSelectDifficulty();
}
