#pragma once
// The game's application object: settings from "Zov.ini", the start-up checks (one
// running copy, graphics version), the scene controller and the frame-rate counter.
#include <string>
#include <vector>

#include "Draw/gvlD3DTextDraw.h"
#include "framework/gvlDXAppBase.h"
#include "framework/gvlMutex.h"
#include "scene/SceneControler.h"

// The settings file's path ("Zov.ini" in the program's folder).
extern std::string g_strIniPath;

class CD3DApp : public CDXAppBase {
public:
    CD3DApp();
    // The same with a given settings file and single-instance lock source (tests).
    CD3DApp(const std::string& iniPath, INamedLockSource* lockSource);
    ~CD3DApp() override;

    HRESULT OnInit() override { return InitGame(); }
    HRESULT OnUpdate() override { return Update(); }
    HRESULT OnRender() override { return Draw(); }

    // Takes the single-instance lock (once); when another copy holds it, says so in a
    // message box and answers false.
    bool CheckSingleInstance();
    // Loads the skill table.
    HRESULT InitGame();
    // The first update's checks, then the scene controller while the window is active.
    HRESULT Update();
    HRESULT Draw();

    bool IsInitialized() const { return m_bInitialized; }
    bool IsShowFPS() const { return m_bShowFPS; }
    C_SceneControler& GetSceneControler() { return m_SceneControler; }

    // The start-up check's version number: (major * 100 + minor) * 100 + letter - 96,
    // unsigned; below kMinDXVersion the program refuses to run.
    static uint32_t DXVersionValue(uint32_t major, uint32_t minor, char letter);
    static constexpr uint32_t kMinDXVersion = 90003;  // 9.0c

    // One glyph of the frame-rate counter: its cell in the strip "FPS:0123456789"
    // (7 x 14 pixels each) and where it is drawn.
    struct FPSGlyph {
        int srcLeft = 0, srcTop = 0, srcRight = 0, srcBottom = 0;
        int x = 0, y = 0;
    };
    // The label and the digits of `value`, most significant first.
    static std::vector<FPSGlyph> LayoutFPS(uint32_t value);

    static constexpr const char* kMutexName = "__VORMANT__";

private:
    void ReadSettings(const std::string& iniPath);
    void DrawFPS(uint32_t value);

    bool m_bInitialized = false;
    C_SceneControler m_SceneControler;
    CMutex m_Mutex;
    CD3DTextDraw m_FPSText;
    bool m_bStripRendered = false;
    bool m_bShowFPS = false;
};

// The folder the game plays in (its content, its saves and "ErrorLog.txt"), ending
// with "/": the current folder when it holds the game's content, that is a file the
// game needs to start (CDXAppBase::HoldsStartFiles: loose or packed); else the first
// that holds it of the folder of the path the program was started by (`startedAs`, so
// that a link to the program in a folder of content plays that content), the program
// file's own folder (links followed) and the folder of its settings file; else the
// folder of its settings file.  So a program started from elsewhere, by a desktop
// launcher or by its whole path, plays as if started in its own folder.
std::string ChooseGameFolder(const std::string& current, const std::string& startedAs, const std::string& programFile);
// Makes ChooseGameFolder's folder the current one; the program entry's first step
// (`startedAs`: the program's argv[0]).
void EnterGameFolder(const char* startedAs);

// The program entry shared by the live program and the replay: seeds the random
// generator, builds the application, creates it and runs the frame loop.  Returns the
// loop's result, or 0 when creation failed.
int GameMain(void* instance, int showCommand);
