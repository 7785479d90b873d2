#pragma once
// The difficulty choice that the story's "SelectDifficulty" shows: a small menu of the
// five difficulties.  The story runner creates one through the installed factory,
// resets it, updates it every frame until it reports a difficulty (1 to 5) and then
// deletes it; the script's draw pass draws it while it exists.
#include <memory>

class IInputManager;

class IScriptDifficultyMenu {
public:
    virtual ~IScriptDifficultyMenu() = default;
    virtual void Reset() = 0;
    virtual void Update(IInputManager* input) = 0;
    virtual void Draw() = 0;
    // 0 until a row is confirmed, then the chosen difficulty 1 to 5.
    virtual int GetResult() const = 0;
};

using ScriptDifficultyMenuFactory = IScriptDifficultyMenu* (*)();

// Installs the factory the story runner uses (null restores the built-in menu).
void SetScriptDifficultyMenuFactory(ScriptDifficultyMenuFactory factory);
IScriptDifficultyMenu* CreateScriptDifficultyMenu();

// The built-in menu: five rows in a framed window in the middle of the screen; a left
// click on a row chooses it.
class C_ScriptDifficultyMenu : public IScriptDifficultyMenu {
public:
    static constexpr int kLeft = 220, kTop = 150, kWidth = 200, kRowHeight = 32, kRows = 5;
    C_ScriptDifficultyMenu();
    ~C_ScriptDifficultyMenu() override;
    void Reset() override;
    void Update(IInputManager* input) override;
    void Draw() override;
    int GetResult() const override { return m_nResult; }
    int GetOpenFrame() const { return m_nOpen; }
    // The row under a screen point, -1 when none.
    static int RowAt(int x, int y);

private:
    struct Texts;
    std::unique_ptr<Texts> m_pTexts;
    int m_nResult = 0;
    int m_nOpen = 0;
    int m_nHover = -1;
};
