#pragma once
// The difficulty choice that the story's "SelectDifficulty" shows.  The story runner
// creates the menu through the installed factory (by default the game's
// CSelectDifficulty), resets it, updates it every frame until it reports a difficulty
// (1 to 5) and then deletes it; the script's draw pass draws it while it exists.
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

// Installs the factory the story runner uses (null restores the default menu).
void SetScriptDifficultyMenuFactory(ScriptDifficultyMenuFactory factory);
IScriptDifficultyMenu* CreateScriptDifficultyMenu();
