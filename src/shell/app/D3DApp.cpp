// The application object and the program entry.
#include "app/D3DApp.h"

#include <cstdio>

#include "SkillData.h"
#include "Sound/gvlDSNPlaySound.h"
#include "app/AppUtil.h"
#include "framework/gvlDXVersion.h"
#include "framework/gvlIniFile.h"
#include "log/ErrorLog.h"
#include "paths.h"
#include "preload/GlobalPreloadData.h"
#include "resources/GlobalResources.h"
#include "random/gvlRand.h"
#include "system.h"

std::string g_strIniPath;

CD3DApp::CD3DApp() : CD3DApp(GetDataPath("Zov.ini"), nullptr) {}

CD3DApp::CD3DApp(const std::string& iniPath, INamedLockSource* lockSource) : m_Mutex(lockSource) {
    m_nWidth = 640;
    m_nHeight = 480;
    m_pszCaption = "VORMANT";
    m_nIconResource = 101;
    ReadSettings(iniPath);
    m_FPSTimer.SetFPS(60);
}

void CD3DApp::ReadSettings(const std::string& iniPath) {
    g_strIniPath = iniPath;
    // Missing keys read as 10000: full screen, no counter, full volume.
    int windowMode = static_cast<int>(CIniFile::GetInt("general", "WindowMode", g_strIniPath));
    m_bFullScreen = windowMode != 1;
    int fps = static_cast<int>(CIniFile::GetInt("general", "FPS", g_strIniPath));
    m_bShowFPS = fps == 1;
    int volume = static_cast<int>(CIniFile::GetInt("general", "DefaultVolume", g_strIniPath));
    g_dMasterVolume = Clamp(volume / 100.0, 1.0, 0.0);
}

CD3DApp::~CD3DApp() {
    // The preloaded meshes and textures, then the presentation's pictures, music and
    // sound channels, while the device and the sound system still exist.  The
    // members go next in reverse order (the counter text, the lock, the scene
    // controller), then the frame releases the device side.
    g_GlobalPreloadData.Release();
    g_GlobalResources.Release();
}

bool CD3DApp::CheckSingleInstance() {
    if (m_Mutex.IsHeld()) return true;
    if (m_Mutex.Open(kMutexName) == 0) return true;
    g_ErrorLog.Printf("既に起動しているため終了します。");
    // Said before any window of this copy exists: the system's box, whose fonts may
    // lack Japanese, so the words come in English too.
    ShowErrorMessage("このプログラムは既に起動されています。\nVORMANT is already running.");
    return false;
}

HRESULT CD3DApp::InitGame() {
    g_SkillData.Load("gamedata/skill.csv");
    return 0;
}

uint32_t CD3DApp::DXVersionValue(uint32_t major, uint32_t minor, char letter) {
    return (major * 100u + minor) * 100u + static_cast<uint32_t>(static_cast<unsigned char>(letter)) - 96u;
}

HRESULT CD3DApp::Update() {
    if (!m_bInitialized) {
        if (!CheckSingleInstance()) return E_FAIL;
        uint32_t major = 0, minor = 0;
        char letter = ' ';
        GetDXVersion(&major, &minor, &letter);
        if (DXVersionValue(major, minor, letter) < kMinDXVersion) {
            ShowErrorMessage("DirectXのバージョンが古いようです。最新の状態に更新してください。");
            return E_FAIL;
        }
        InitGame();
        m_bInitialized = true;
    }
    if (!m_bActive) return 0;
    return m_SceneControler.Update();
}

HRESULT CD3DApp::Draw() {
    if (!m_bActive) return 0;
    m_SceneControler.Draw();
    if (m_bShowFPS) DrawFPS(m_FPSTimer.GetRealFPS());
    return 0;
}

std::vector<CD3DApp::FPSGlyph> CD3DApp::LayoutFPS(uint32_t value) {
    std::vector<FPSGlyph> glyphs;
    glyphs.push_back(FPSGlyph{0, 0, 28, 14, 5, 5});
    char digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<char>(value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i) {
        int d = digits[n - 1 - i];
        glyphs.push_back(FPSGlyph{7 * (d + 4), 0, 7 * (d + 5), 14, 33 + 7 * i, 5});
    }
    return glyphs;
}

void CD3DApp::DrawFPS(uint32_t value) {
    if (!m_bStripRendered) {
        m_FPSText.SetText("FPS:0123456789", 14, 0xFFFFFF00);
        m_FPSText.Render();
        m_bStripRendered = true;
    }
    for (const FPSGlyph& g : LayoutFPS(value)) {
        RECT src;
        src.left = g.srcLeft;
        src.top = g.srcTop;
        src.right = g.srcRight;
        src.bottom = g.srcBottom;
        m_FPSText.GetRenderTarget().Draw(g.x, g.y, 255, &src, 0.0);
    }
}

std::string ChooseGameFolder(const std::string& current, const std::string& startedAs, const std::string& programFile) {
    if (CDXAppBase::HoldsStartFiles(current)) return current;
    const std::string settings = GetDataPathFor(programFile, "");
    if (settings.empty()) return current;  // the program's own place is unknown
    std::vector<std::string> candidates;
    const size_t started = startedAs.rfind('/');
    if (started != std::string::npos)
        candidates.push_back((startedAs[0] == '/' ? std::string() : current) + startedAs.substr(0, started + 1));
    candidates.push_back(programFile.substr(0, programFile.rfind('/') + 1));
    candidates.push_back(settings);
    for (const std::string& folder : candidates)
        if (CDXAppBase::HoldsStartFiles(folder)) return folder;
    return settings;
}

void EnterGameFolder(const char* startedAs) {
    const std::string current = plat::CurrentFolder();
    const std::string folder = ChooseGameFolder(current, startedAs ? startedAs : "", plat::ProgramFile());
    if (folder != current && !plat::SetCurrentFolder(folder))
        std::fprintf(stderr, "vormant: cannot enter the game folder %s; playing in %s\n", folder.c_str(), current.c_str());
}

int GameMain(void* instance, int showCommand) {
    g_Rand.SetSeed(plat::TickCount());
    CD3DApp app;
    // A second copy says so and ends before it opens a window of its own.
    if (!app.CheckSingleInstance()) return 0;
    // A failed start has logged and shown its own reason.
    if (FAILED(app.Create(instance, showCommand))) return 0;
    return app.Run();
}
