#pragma once
// The program-wide presentation object: the system sheet "./graphics/sys.png" and its
// fixed regions, the maker logo, the music and sound-effect channels with their id
// tables, the screen fade, the chapter-title telop, the serif, message and place-name
// windows, the portrait cache and the strategy map with its camera, markers and force
// fields.  One instance, g_GlobalResources, built before the program starts; the
// application calls Load once the device exists and Release before the device and the
// sound system go away.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "Sound/gvlDSNPlaySound.h"
#include "resources/SheetDraw.h"
#include "resources/SpriteAnim.h"
#include "resources/UnitPlate.h"

// A picture loaded on first use from a stored file name.
class CNamedTexture {
public:
    explicit CNamedTexture(std::string fileName = std::string()) : m_strFileName(std::move(fileName)) {}
    ~CNamedTexture() { Release(); }
    CNamedTexture(const CNamedTexture&) = delete;
    CNamedTexture& operator=(const CNamedTexture&) = delete;

    // Creates and loads the texture on the first call; later calls return the same one.
    CD3DDrawTexture* GetTexture();
    // Deletes the texture; the next GetTexture loads it again.
    void Release();
    bool IsLoaded() const { return m_pTexture != nullptr; }
    const std::string& GetFileName() const { return m_strFileName; }
    // Switches the picture to another file; a loaded texture of another name goes.
    void SetFileName(const std::string& fileName) {
        if (fileName == m_strFileName) return;
        Release();
        m_strFileName = fileName;
    }

private:
    std::string m_strFileName;
    CD3DDrawTexture* m_pTexture = nullptr;  // owned
};

// An image laid on the strategy map that fades toward its target alpha.
class CForcesField : public CD3DDrawTexture {
public:
    uint8_t nAlpha = 0;
    uint8_t nTargetAlpha = 0;
    bool bRemoveWhenFaded = false;
    int nKey = 0;
    int x = 0, y = 0;           // map units, top-left corner
    int nWidth = 0, nHeight = 0;  // pixels of the image used
};

// A marker on the strategy map: an image centred on its point that glides, turns and
// fades over its steps.
struct StrategyMapMarker {
    CD3DDrawTexture* pImage = nullptr;  // shared entry of the marker-image map
    int nExtra = 0;                     // kept with the marker, not drawn
    int nStepCount = 30;
    int nStep = 0;
    double x = 0, y = 0, scale = 1.0, angle = 0;
    double startX = 0, startY = 0, startScale = 1.0, startAngle = 0;
    double targetX = 0, targetY = 0, targetScale = 1.0, targetAngle = 0;
    int nAlpha = 0, nStartAlpha = 0, nTargetAlpha = 0;
};

// One row of a strategy-map base table: three numbers, two texts, two numbers.
struct StrategyMapBase {
    int nValue0 = 0, nValue1 = 0, nValue2 = 0;
    std::string strText0, strText1;
    int nValue3 = 0, nValue4 = 0;
};

// Zero-padded decimal text: "007" for (7, 3); a value with more digits is not cut; a
// negative value gives "0".
std::string FormatZeroPadded(int value, int width);

class CGlobalResources {
public:
    static constexpr int kNoSpeaker = 999;
    static constexpr int kNoBGM = -1;  // no music loaded yet
    static constexpr int kSmallNumberAlpha = 220;
    static constexpr double kMinMapZoom = 0.234375;
    static constexpr double kMaxMapZoom = 10.0;

    CGlobalResources();
    ~CGlobalResources();
    CGlobalResources(const CGlobalResources&) = delete;
    CGlobalResources& operator=(const CGlobalResources&) = delete;

    // ---- whole object -----------------------------------------------------------------
    // The load step of the preload (the device exists).
    void Load();
    // Gives back everything that needs the device or the sound system: stops and
    // closes both channels and frees every texture and text.  The application calls it
    // before it releases the draw objects, the sound system and the device; the object
    // stays usable (draws draw nothing until it is loaded again).  Safe to call twice.
    void Release();
    bool IsLoaded() const { return m_bLoaded; }

    // ---- maker logo -------------------------------------------------------------------
    void StartLogo();
    void DrawLogo();
    bool IsLogoDone() const { return m_nLogoCounter > 328; }
    int GetLogoCounter() const { return m_nLogoCounter; }
    uint32_t GetLogoBackdropColor() const { return m_LogoBackdrop.m_vertices[0].color; }

    // ---- screen fade ------------------------------------------------------------------
    void SetFade(uint32_t color, int frames);
    void SetFadeFrom(int alpha);
    void SetFadeTo(int alpha);
    void ResetFadeLevel() { m_dFadeLevel = 0; }
    // A clear, still screen: level 0, no fade running, the full range 0 to 255.  A
    // new script starts from here whatever the last one left running, so a fade-out
    // that ended one script does not darken the next one again.
    void ResetFade();
    // Advances the level by one frame and draws the fade square (nothing at level 0).
    void UpdateFade();
    double GetFadeLevel() const { return m_dFadeLevel; }

    // ---- music and sound effects -----------------------------------------------------
    void PlayBGM(int id);
    void SetBGMPlaying(bool play);
    void LoadSound(int id);
    void SetSoundPlaying(bool play);
    void PlaySoundEffect(std::string name);
    int GetCurrentBGM() const { return m_nCurrentBGM; }
    bool GetBGMLoop() const { return m_bBGMLoop; }
    CDSNPlaySound* GetBGMChannel() { return m_pBGM.get(); }
    CDSNPlaySound* GetSoundChannel() { return m_pSound.get(); }
    std::map<int, std::string>& GetBGMTable() { return m_mapBGM; }
    std::map<int, std::string>& GetSoundTable() { return m_mapSound; }
    // The path a table entry opens: prefix and at most 50 characters of the name.
    static std::string MakeSoundPath(const char* prefix, const std::string& name);

    // ---- portraits and story windows -------------------------------------------------
    void GetBustUpTexture(int id, double x, double y, double z, uint8_t alpha, double scale);
    void ReleaseTextureMaps();
    size_t GetPortraitCount() const { return m_mapBustUp.size(); }

    void SetSerif(int speakerId, const std::vector<std::string>& lines);
    void DrawSerifShown(bool skip);
    void DrawSerifHidden(bool skip);
    void SetMessage(const std::vector<std::string>& lines);
    void DrawMessageShown(bool skip, int unused = 0);
    void DrawMessageHidden(bool skip, int unused = 0);
    void SetPlace(const std::vector<std::string>& lines);
    void DrawPlaceShown(bool skip, int unused = 0);
    void DrawPlaceHidden(bool skip, int unused = 0);
    void ResetEventWindows();

    // ---- panels, windows and small pictures ------------------------------------------
    void DrawWindowEx(double x, double y, double width, double height, float open, uint32_t color, double z);
    void DrawWindow(int unused, double x, double y, double width, double height, double z, uint32_t color);
    void DrawWindow(double x, double y, double width, double height, double z, uint32_t color) {
        DrawWindow(0, x, y, width, height, z, color);
    }
    void DrawSmallIcon(int n, double x, double y, double z);
    void DrawStatusPanel(int n, double x, double y, double z);
    void DrawStretchedPanel(double x, double y, double width, double height, double z);
    void ResetIconSlide() { m_nSlideCounter = 0; }
    void DrawSlideInIcon(int n, bool fromLeft);
    void DrawSmallNumber(int x, int y, int value, int alpha = kSmallNumberAlpha);
    void DrawUnitPlate(const UnitPlate& plate, bool detailed);
    int GetSlideCounter() const { return m_nSlideCounter; }
    CD3DDrawTexture& GetSystemTexture() { return m_SysTexture; }

    // ---- strategy map ------------------------------------------------------------------
    void StartMapCameraMove(int x, int y, int zoomPercent);
    void MoveMapCamera(int dx, int dy, int dzoomPercent);
    void DrawStrategyMap(int unused = 0);
    void SkipMapAnimations();
    void ResetStrategyMapAlpha() { m_nMapAlpha = 0; }
    void MakeForcesField(int key, std::string file, int targetAlpha, int x, int y, int width, int height);
    void SetForcesFieldAlpha(int key, int alpha);
    void DeleteForcesField(int key);
    void ClearForcesFieldMap();
    void SetMarker(std::string imageFile, int key, int extra, int x, int y, int angle, int scalePercent);
    // The script's marker commands: glide to (x, y, angle) over `frames`, or fade out
    // over 30 frames.  An id without a marker is ignored.
    void MoveMarker(int key, int x, int y, int angle, int frames);
    void EraseMarker(int key);
    void ClearMarkers();
    void LoadStrategyMapBase(std::string tableFile);

    // Camera and map state, for the script and for checks.
    struct MapCamera {
        double x = 0, y = 0, zoom = 0;
        double startX = 0, startY = 0, startZoom = 0;
        double targetX = 0, targetY = 0, targetZoom = 0;
        int nStep = 0, nStepCount = 0;
    };
    const MapCamera& GetMapCamera() const { return m_Camera; }
    int GetMapAlpha() const { return m_nMapAlpha; }
    std::map<int, CForcesField*>& GetForcesFields() { return m_mapForcesField; }
    std::map<int, StrategyMapMarker>& GetMarkers() { return m_mapMarker; }
    const std::map<std::string, CD3DDrawTexture*>& GetMarkerImages() const { return m_mapMarkerImage; }
    const std::list<StrategyMapBase>& GetStrategyMapBases() const { return m_listMapBase; }

    // ---- chapter-title telop ---------------------------------------------------------
    void StartChapterTelop(std::string line1, std::string line2, std::string line3);
    void DrawChapterTelop();
    bool IsChapterTelopDone() const { return m_nTelopCounter > 350; }
    void SkipChapterTelop();
    int GetTelopCounter() const { return m_nTelopCounter; }

    // Window counters, for the script and for checks.
    struct SerifState {
        int nSpeaker = kNoSpeaker, nPrevSpeaker = kNoSpeaker;
        bool bSameKind = false, bSpeakerChanged = false;
        int nFade = 0, nSlide = 0, nLine = 0;
        int nLineCount = 0, nPrevLineCount = 0;
    };
    struct TextWindowState {
        int nA = 0, nB = 0;
        int nLineCount = 0, nWidth = 0, nHeight = 0;
        int nPrevLineCount = 0, nPrevWidth = 0, nPrevHeight = 0;
    };
    const SerifState& GetSerifState() const { return m_Serif; }
    const TextWindowState& GetMessageState() const { return m_Message; }
    const TextWindowState& GetPlaceState() const { return m_Place; }
    SpriteAnim& GetSprite(int index) { return m_Sprites[index]; }

private:
    void DrawLine(CD3DTextDraw& text, double x, double y, int srcWidth, int alpha, double scale = 0.5);
    void RenderLines(CD3DTextDraw* texts, int capacity, const std::vector<std::string>& lines, uint32_t color,
                     int* halfWidth);
    void StepMarkers();
    void StepForcesFields(bool toTarget);
    void ClampCameraToMap();

    CDSNPlaySound& BGMChannel();
    CDSNPlaySound& SoundChannel();

    // 1-2 the channels (owned; made on first use, gone after Release)
    std::unique_ptr<CDSNPlaySound> m_pBGM;
    std::unique_ptr<CDSNPlaySound> m_pSound;
    // 3-5 the id tables and the loop flag
    std::map<int, std::string> m_mapBGM;
    std::map<int, std::string> m_mapSound;
    bool m_bBGMLoop = false;
    // 6 portrait cache
    std::map<int, CD3DDrawTexture*> m_mapBustUp;
    // 7 story-window texts
    CD3DTextDraw m_SerifText[6];
    CD3DTextDraw m_PrevSerifText[6];
    CD3DTextDraw m_PlaceText[3];
    CD3DTextDraw m_MessageText[6];
    CD3DTextDraw m_PrevMessageText[6];
    // 8-10 the system sheet, the logo, the strategy-map picture
    CD3DDrawTexture m_SysTexture;
    CD3DDrawTexture m_LogoTexture;
    CNamedTexture m_StrategyMap{"./graphics/StrategyMap.png"};
    // 11 sprites: 0-4 logo pieces, 7 serif wipe-in, 8 serif wipe-out
    SpriteAnim m_Sprites[10];
    // 12 logo backdrop
    CD3DDrawSquare m_LogoBackdrop{640, 480, 0xFFFFFFFF, 0};
    // 13 force fields
    std::map<int, CForcesField*> m_mapForcesField;
    // 14 story-window background regions
    RECT m_rcSerif{}, m_rcMessage{}, m_rcPlace{};
    // 15 story-window state
    SerifState m_Serif;
    std::vector<std::string> m_vSerifLines;
    TextWindowState m_Message;
    std::vector<std::string> m_vMessageLines;
    TextWindowState m_Place;
    // 16 counters
    int m_nMapAlpha = 0;
    int m_nSlideCounter = 0;
    int m_nTelopCounter = 0;
    int m_nLogoCounter = 0;
    // 17 screen fade
    double m_dFadeLevel = 0;
    double m_dFadeLength = 0;
    uint32_t m_FadeColor = 0;
    CD3DDrawSquare m_FadeSquare{640, 480, 0, 0};
    int m_nFadeFrom = 0;
    int m_nFadeTo = 255;
    // 18 telop
    CD3DTextDraw m_TelopText[3];
    CNamedTexture m_TelopEffect{"./graphics/ChapterTeropEffect.png"};
    CD3DDrawSquare m_TelopFade{640, 480, 0x000000FF, 0};
    // 19 camera
    MapCamera m_Camera;
    // 20 markers and bases
    std::map<std::string, CD3DDrawTexture*> m_mapMarkerImage;
    std::string m_strLastMarkerImage;  // the last image entry inserted (none: empty)
    std::map<int, StrategyMapMarker> m_mapMarker;
    std::list<StrategyMapBase> m_listMapBase;
    // 21 current BGM id
    int m_nCurrentBGM = kNoBGM;
    // windows' body square (colour and size set per call)
    CD3DDrawSquare m_WindowBody;
    bool m_bLoaded = false;
};

extern CGlobalResources g_GlobalResources;
