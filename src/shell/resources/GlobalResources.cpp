// The presentation object as a whole: construction, the load step, the maker logo,
// the screen fade and the release.
#include "resources/GlobalResources.h"

#include "log/ErrorLog.h"

CGlobalResources g_GlobalResources;

// ---- CNamedTexture ------------------------------------------------------------------------

CD3DDrawTexture* CNamedTexture::GetTexture() {
    if (!m_pTexture) {
        m_pTexture = new CD3DDrawTexture();
        m_pTexture->Load(m_strFileName);
    }
    return m_pTexture;
}

void CNamedTexture::Release() {
    delete m_pTexture;
    m_pTexture = nullptr;
}

// ---- construction and release ----------------------------------------------------------------

CGlobalResources::CGlobalResources() {
    // Nothing is loaded here: the object is built before the program starts.
    m_strLastMarkerImage.clear();
}

CGlobalResources::~CGlobalResources() { Release(); }

void CGlobalResources::Release() {
    // Channels first: a streaming BGM has a feeder thread that must end before the
    // sound system goes away.
    if (m_pBGM) m_pBGM->Stop();
    if (m_pSound) m_pSound->Stop();
    m_pBGM.reset();
    m_pSound.reset();
    ReleaseTextureMaps();
    ClearMarkers();
    ClearForcesFieldMap();
    m_StrategyMap.Release();
    m_TelopEffect.Release();
    // Keep the file names so a later Load or device restore brings the pictures back,
    // but give the device memory back now.
    m_SysTexture.Invalidate();
    m_LogoTexture.Invalidate();
    auto dropText = [](CD3DTextDraw* texts, int n) {
        for (int i = 0; i < n; ++i) texts[i].GetRenderTarget().Invalidate();
    };
    dropText(m_SerifText, 6);
    dropText(m_PrevSerifText, 6);
    dropText(m_PlaceText, 3);
    dropText(m_MessageText, 6);
    dropText(m_PrevMessageText, 6);
    dropText(m_TelopText, 3);
    ReleaseSheetDrawObjects();
    m_bLoaded = false;
}

CDSNPlaySound& CGlobalResources::BGMChannel() {
    if (!m_pBGM) m_pBGM = std::make_unique<CDSNPlaySound>();
    return *m_pBGM;
}

CDSNPlaySound& CGlobalResources::SoundChannel() {
    if (!m_pSound) m_pSound = std::make_unique<CDSNPlaySound>();
    return *m_pSound;
}

void CGlobalResources::Load() {
    m_SysTexture.Load("./graphics/sys.png");
    m_LogoTexture.Load("./graphics/RVT_logo.png");
    m_LogoBackdrop.SetSize(640, 480, 0xFFFFFFFF, 0);
    // The sound channels need no per-thread set-up of their own here.
    m_TelopFade.SetSize(640, 480, 0x000000FF, 0);

    m_rcSerif = RECT{0, 176, 640, 304};
    m_rcMessage = RECT{0, 32, 640, 176};
    m_rcPlace = RECT{0, 304, 640, 452};

    m_Sprites[7].Set(&m_SysTexture, SpriteAnim::kWipe, 3, 15, 0, 352, m_rcSerif);
    m_Sprites[8].Set(&m_SysTexture, SpriteAnim::kWipe, 7, 15, 0, 352, m_rcSerif);
    m_Sprites[8].nFrame = 100;  // starts finished

    ResetFade();
    m_Serif = SerifState{};
    m_Message = TextWindowState{};
    m_Place = TextWindowState{};
    m_nTelopCounter = 0;
    m_nLogoCounter = 0;
    m_nMapAlpha = 0;
    // No music has been loaded yet, so the first request of any id (0 included) loads it.
    m_nCurrentBGM = kNoBGM;
    m_Camera = MapCamera{};
    m_Camera.x = 1024;
    m_Camera.y = 1024;
    m_Camera.zoom = 0.5;
    m_Camera.startX = m_Camera.targetX = 512;
    m_Camera.startY = m_Camera.targetY = 512;
    m_Camera.startZoom = m_Camera.targetZoom = 1.0;

    m_mapBGM.clear();
    const std::pair<int, const char*> bgm[] = {
        {0, "agrippina.mp3"},       {1, "battle1.mp3"},          {2, "battle2.mp3"},
        {5, "gulf.mp3"},            {6, "terror.mp3"},           {7, "relaie.mp3"},
        {8, "rest_anx.mp3"},        {9, "badend1.mp3"},          {10, "badend_long.mp3"},
        {11, "fatman.mp3"},         {12, "zov_lstbtl.mp3"},      {13, "zov_Soramdoh.mp3"},
        {14, "zov_Title.mp3"},      {15, "zov_Unsatisfy2.mp3"},  {16, "Timeliness_pre1.mp3"},
        {18, "Roster.mp3"},         {21, "flv.mp3"},             {22, "bat1_a.mp3"},
        {23, "jekka_prt.mp3"},      {101, "clear.mp3"},          {102, "badend1.mp3"},
    };
    for (const auto& e : bgm) m_mapBGM[e.first] = e.second;
    m_mapSound.clear();
    m_mapSound[0] = "se-001.mp3";
    m_mapSound[1] = "se-038.mp3";
    m_mapSound[2] = "BladeHit.wav";

    BGMChannel();
    SoundChannel();
    m_bLoaded = true;
}

// ---- maker logo ---------------------------------------------------------------------------------

void CGlobalResources::StartLogo() {
    m_LogoBackdrop.SetSize(640, 480, 0x80000000, 0);
    m_nLogoCounter = 0;
    m_Sprites[0].Set(&m_LogoTexture, SpriteAnim::kMerge, 1, 10, 192, 154, RECT{0, 0, 256, 112});
    m_Sprites[1].Set(&m_LogoTexture, SpriteAnim::kWipe, 3, 30, 282, 232, RECT{0, 112, 64, 144});
    m_Sprites[2].Set(&m_LogoTexture, SpriteAnim::kWipe, 3, 30, 270, 248, RECT{64, 112, 138, 128});
    m_Sprites[3].Set(&m_LogoTexture, SpriteAnim::kWipe, 3, 30, 247, 265, RECT{0, 144, 173, 176});
    m_Sprites[4].Set(&m_LogoTexture, SpriteAnim::kMerge, 1, 15, 230, 290, RECT{0, 176, 192, 208});
}

void CGlobalResources::DrawLogo() {
    const int c = m_nLogoCounter;
    m_LogoBackdrop.Draw(0, 0, 0);
    if (c < 200) {
        if (c > 10) m_Sprites[0].Draw();
        if (c > 30) m_Sprites[1].Draw();
        if (c > 40) m_Sprites[2].Draw();
        if (c > 50) m_Sprites[3].Draw();
        if (c > 80) m_Sprites[4].Draw();
    }
    ++m_nLogoCounter;
    if (m_nLogoCounter > 200) {
        int a = 328 - m_nLogoCounter;
        if (a < 0) a = 0;
        m_LogoBackdrop.SetSize(640, 480, uint32_t(a) << 24, 0);
    }
}

// ---- screen fade --------------------------------------------------------------------------------

void CGlobalResources::SetFade(uint32_t color, int frames) {
    m_FadeColor = color;
    m_dFadeLength = frames;
}

void CGlobalResources::ResetFade() {
    m_dFadeLevel = 0;
    m_dFadeLength = 0;
    m_nFadeFrom = 0;
    m_nFadeTo = 255;
}

void CGlobalResources::SetFadeFrom(int alpha) { m_nFadeFrom = alpha; }
void CGlobalResources::SetFadeTo(int alpha) { m_nFadeTo = alpha; }

void CGlobalResources::UpdateFade() {
    if (m_dFadeLength != 0) m_dFadeLevel += double(m_nFadeTo - m_nFadeFrom) / m_dFadeLength;
    if (m_dFadeLevel == 0) return;
    if (m_dFadeLevel < m_nFadeFrom) m_dFadeLevel = m_nFadeFrom;
    if (m_dFadeLevel > m_nFadeTo) m_dFadeLevel = m_nFadeTo;
    const uint32_t a = uint32_t(int(m_dFadeLevel)) & 0xFF;
    m_FadeSquare.SetSize(640, 480, (a << 24) | (m_FadeColor & 0xFFFFFF), 0);
    m_FadeSquare.Draw(0, 0, 0);
}

// ---- music and sound effects ---------------------------------------------------------------

std::string CGlobalResources::MakeSoundPath(const char* prefix, const std::string& name) {
    return std::string(prefix) + name.substr(0, 50);
}

void CGlobalResources::PlayBGM(int id) {
    if (id == m_nCurrentBGM) return;
    m_bBGMLoop = id < 100;
    const std::string path = MakeSoundPath("./BGM/", m_mapBGM[id]);
    m_nCurrentBGM = id;
    // A missing file leaves the channel silent; Play then does nothing.
    if (BGMChannel().Open(path) != 0 && CDSNPlaySound::HasSoundOutput()) g_ErrorLog.Write("BGMを開けません: " + path);
}

void CGlobalResources::SetBGMPlaying(bool play) {
    if (play) BGMChannel().Play(m_bBGMLoop);
    else BGMChannel().Stop();
}

void CGlobalResources::LoadSound(int id) {
    const std::string path = MakeSoundPath("./sound/", m_mapSound[id]);
    if (SoundChannel().Open(path) != 0 && CDSNPlaySound::HasSoundOutput())
        g_ErrorLog.Write("効果音を開けません: " + path);
}

void CGlobalResources::SetSoundPlaying(bool play) {
    if (play) SoundChannel().Play(false);
    else SoundChannel().Stop();
}

void CGlobalResources::PlaySoundEffect(std::string name) {
    CDSNPlaySound& ch = SoundChannel();
    // Without sound output nothing opens: that is no missing file.
    if (ch.Open("./sound/" + name + ".wav") != 0 && CDSNPlaySound::HasSoundOutput())
        g_ErrorLog.Write(name + ".wavファイルが見つかりません");
    ch.Play(false);
}
