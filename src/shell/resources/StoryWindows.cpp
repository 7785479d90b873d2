// Bust-up portraits and the three story windows: serif (speech with a portrait),
// message (narration) and place name.
#include <algorithm>
#include <cstdio>

#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"

namespace {
constexpr uint32_t kSerifColor = 0xFFFFEEDD;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr int kLineFont = 30;
// Lines are drawn at half size: a line rendered wider than twice the screen could
// never be seen whole, and its texture would outgrow what the device can hold.
constexpr int kLineRoom = 2 * 640;

int Cap(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

std::string FormatZeroPadded(int value, int width) {
    if (value < 0) return "0";
    std::string digits = std::to_string(value);
    if (int(digits.size()) < width) digits.insert(0, size_t(width - int(digits.size())), '0');
    return digits;
}

// ---- portraits ----------------------------------------------------------------------------------

void CGlobalResources::GetBustUpTexture(int id, double x, double y, double z, uint8_t alpha, double scale) {
    auto it = m_mapBustUp.find(id);
    if (it == m_mapBustUp.end()) {
        // Loaded once: a missing file leaves an empty texture that draws nothing and is not
        // tried again until the cache is emptied.  "No speaker" has no picture to look for.
        CD3DDrawTexture* tex = new CD3DDrawTexture();
        if (id != kNoSpeaker) tex->Load("./Graphics/BastUp/" + FormatZeroPadded(id, 3) + ".png");
        it = m_mapBustUp.emplace(id, tex).first;
    }
    const RECT src{0, 0, 200, 300};
    it->second->DrawScaled(x, y, scale, scale, 0, 0, alpha, &src, z);
}

void CGlobalResources::ReleaseTextureMaps() {
    for (auto& e : m_mapBustUp) delete e.second;
    m_mapBustUp.clear();
}

// ---- shared line helpers ------------------------------------------------------------------------

// Draws the part (0, 0)-(srcWidth, 60) of a rendered line, limited to what was rendered.
void CGlobalResources::DrawLine(CD3DTextDraw& text, double x, double y, int srcWidth, int alpha, double scale) {
    CD3DRTSquare& rt = text.GetRenderTarget();
    if (!rt.GetTexture()) return;
    const int w = std::min(srcWidth, rt.GetTexture()->Width()), h = std::min(60, rt.GetTexture()->Height());
    if (w <= 0 || h <= 0) return;
    const RECT src{0, 0, w, h};
    rt.DrawScaled(x, y, scale, scale, 0, 0, (unsigned char)Cap(alpha, 0, 255), &src);
}

// Renders up to `capacity` lines into the texts; the rest are emptied.  The largest
// half rendered width goes to *halfWidth when given.
void CGlobalResources::RenderLines(CD3DTextDraw* texts, int capacity, const std::vector<std::string>& lines,
                                   uint32_t color, int* halfWidth) {
    if (halfWidth) *halfWidth = 0;
    for (int i = 0; i < capacity; ++i) {
        texts[i].SetText(i < int(lines.size()) ? lines[i] : std::string(), kLineFont, color);
        texts[i].SetMaxWidth(kLineRoom);
        texts[i].Render();
        if (halfWidth && i < int(lines.size())) {
            int w = 0, h = 0;
            texts[i].GetTextSize(w, h);
            *halfWidth = std::max(*halfWidth, w / 2);
        }
    }
    if (int(lines.size()) > capacity)
        g_ErrorLog.Printf("表示できる行数を超えています (%d 行中 %d 行を表示)", int(lines.size()), capacity);
}

// ---- serif window ---------------------------------------------------------------------------------

void CGlobalResources::SetSerif(int speakerId, const std::vector<std::string>& lines) {
    SerifState& s = m_Serif;
    s.nPrevSpeaker = s.nSpeaker;
    s.nSpeaker = speakerId;
    s.nPrevLineCount = s.nLineCount;
    s.nLineCount = std::min(int(lines.size()), 6);
    s.bSameKind = (speakerId == kNoSpeaker) == (s.nPrevSpeaker == kNoSpeaker);
    s.bSpeakerChanged = speakerId != s.nPrevSpeaker;
    s.nFade = 255;
    RenderLines(m_PrevSerifText, 6, m_vSerifLines, kSerifColor, nullptr);
    m_vSerifLines = lines;
    if (m_vSerifLines.size() > 6) m_vSerifLines.resize(6);
    RenderLines(m_SerifText, 6, lines, kSerifColor, nullptr);
}

void CGlobalResources::DrawSerifShown(bool skip) {
    SerifState& s = m_Serif;
    m_Sprites[8].nFrame = 0;
    m_Sprites[7].Draw();
    if (skip) {
        s.nLine = 15;
        s.nSlide = 255;
        m_Sprites[7].nFrame = 200;
        s.nFade = 0;
    }
    s.nFade = std::max(s.nFade - 16, 0);
    s.nSlide = std::min(s.nSlide + 14, 255);
    const int F = s.nFade, P = s.nSlide;
    if (s.bSpeakerChanged) {
        GetBustUpTexture(s.nSpeaker, P - F / 10 - 265, 190, 0, uint8_t(255 - F), 1.0);
        if (s.bSameKind) GetBustUpTexture(s.nPrevSpeaker, P - (255 - F) / 10 - 265, 190, 0, uint8_t(F), 1.0);
    } else {
        GetBustUpTexture(s.nSpeaker, P - 265, 190, 0, 255, 1.0);
    }
    s.nLine = std::min(s.nLine + 1, 15);
    const int L = s.nLine;
    const int x = s.nSpeaker == kNoSpeaker ? 90 : 190;
    for (int i = 0; i < s.nLineCount; ++i) {
        if (i == 0) DrawLine(m_SerifText[0], x, 498 - 8 * L, 1500, 240 + L);
        else DrawLine(m_SerifText[i], x, 498 - 8 * L + 19 * i + F / 64, 1500, (255 - F) / (16 - L));
    }
    if (s.bSameKind) {
        for (int i = 1; i < s.nPrevLineCount; ++i)
            DrawLine(m_PrevSerifText[i], x, 498 - 8 * L + i * (19 - (255 - F) / 64), 1500, F);
    }
}

void CGlobalResources::DrawSerifHidden(bool skip) {
    SerifState& s = m_Serif;
    m_Sprites[7].nFrame = 0;
    m_Sprites[8].Draw();
    if (skip) {
        s.nLine = 0;
        s.nSlide = 0;
        m_Sprites[8].nFrame = 100;
    }
    s.nSlide = std::max(s.nSlide - 14, 0);
    if (s.nSlide > 0) GetBustUpTexture(s.nSpeaker, s.nSlide - 265, 190, 0, uint8_t(s.nSlide), 1.0);
    s.nLine = std::max(s.nLine - 1, 0);
    const int L = s.nLine;
    if (L > 0) {
        const int x = s.nSpeaker == kNoSpeaker ? 90 : 190;
        for (int i = 0; i < s.nLineCount; ++i) DrawLine(m_SerifText[i], x, 492 - 8 * L + 19 * i, 1500, 255 / (16 - L));
    }
}

void CGlobalResources::ResetEventWindows() {
    m_Serif.nSlide = 0;
    m_Serif.nLine = 0;
    m_Sprites[7].nFrame = 0;
    m_Sprites[8].nFrame = 100;
    m_Message.nLineCount = 0;
    // The message and place windows of a script that has ended are closed, not left to
    // fade out over the next one: no line, band or caption of theirs is drawn again.
    m_Message.nPrevLineCount = 0;
    m_Message.nA = 60;
    m_Message.nB = 0;
    m_Place.nLineCount = 0;
    m_Place.nA = 0;
    m_Place.nB = 0;
}

// ---- message window -------------------------------------------------------------------------------

void CGlobalResources::SetMessage(const std::vector<std::string>& lines) {
    TextWindowState& m = m_Message;
    m.nPrevLineCount = m.nLineCount;
    m.nPrevWidth = m.nWidth;
    m.nPrevHeight = m.nHeight;
    m.nLineCount = std::min(int(lines.size()), 6);
    m.nWidth = 0;
    m.nHeight = 20 * m.nLineCount;
    RenderLines(m_PrevMessageText, 6, m_vMessageLines, kWhite, &m.nPrevWidth);
    m_vMessageLines = lines;
    if (m_vMessageLines.size() > 6) m_vMessageLines.resize(6);
    RenderLines(m_MessageText, 6, lines, kWhite, &m.nWidth);
    m.nA = 0;
}

void CGlobalResources::DrawMessageShown(bool skip, int) {
    TextWindowState& m = m_Message;
    ++m.nA;
    ++m.nB;
    if (skip || m.nA >= 61) m.nA = 60;
    if (skip || m.nB >= 16) m.nB = 15;
    const int A = m.nA;
    const RECT bg = m_rcMessage;
    m_SysTexture.Draw(0, 352, (unsigned char)std::min(14 * m.nB, 200), &bg);
    for (int i = 0; i < m.nPrevLineCount; ++i)
        DrawLine(m_PrevMessageText[i], (640 - m.nPrevWidth) / 2, 448 - m.nPrevHeight / 2 + 20 * i - (2 * A) / 3,
                 2 * m.nPrevWidth, Cap(40 * (10 + 5 * i - A), 0, 255));
    for (int i = 0; i < m.nLineCount; ++i)
        DrawLine(m_MessageText[i], (640 - m.nWidth) / 2, 448 - m.nHeight / 2 + 20 * i + std::max(4 * (16 - A), 0),
                 2 * m.nWidth, Cap(20 * (A - 5 - 5 * i), 0, 255));
}

void CGlobalResources::DrawMessageHidden(bool skip, int) {
    TextWindowState& m = m_Message;
    ++m.nA;
    --m.nB;
    if (skip || m.nA >= 61) {
        m.nA = 60;
        m.nLineCount = 0;
    }
    if (skip || m.nB < 0) m.nB = 0;
    const int A = m.nA;
    const RECT bg = m_rcMessage;
    m_SysTexture.Draw(0, 352, (unsigned char)std::min(15 * m.nB, 200), &bg);
    for (int i = 0; i < m.nPrevLineCount; ++i)
        DrawLine(m_PrevMessageText[i], (640 - m.nPrevWidth) / 2, 448 - m.nPrevHeight / 2 + 20 * i - (2 * A) / 3,
                 m.nWidth, Cap(40 * (10 + 5 * i - A), 0, 255));
}

// ---- place-name window ----------------------------------------------------------------------------

void CGlobalResources::SetPlace(const std::vector<std::string>& lines) {
    TextWindowState& p = m_Place;
    p.nLineCount = std::min(int(lines.size()), 3);
    p.nWidth = 0;
    p.nHeight = 20 * p.nLineCount;
    RenderLines(m_PlaceText, 3, lines, kWhite, &p.nWidth);
}

void CGlobalResources::DrawPlaceShown(bool skip, int) {
    TextWindowState& p = m_Place;
    ++p.nA;
    ++p.nB;
    if (skip || p.nA > 60) p.nA = 60;
    if (skip || p.nB > 15) p.nB = 15;
    const RECT bg = m_rcPlace;
    m_SysTexture.Draw(0, 176, (unsigned char)std::min(15 * p.nB, 200), &bg);
    for (int i = 0; i < p.nLineCount; ++i)
        DrawLine(m_PlaceText[i], (640 - p.nWidth) / 2, (480 - p.nHeight) / 2 + 20 * i, 2 * p.nWidth,
                 std::min(20 * p.nA, 255));
}

void CGlobalResources::DrawPlaceHidden(bool skip, int) {
    TextWindowState& p = m_Place;
    --p.nA;
    --p.nB;
    if (skip || p.nA < 0) p.nA = 0;
    if (skip || p.nB < 0) p.nB = 0;
    const int A = p.nA;
    const RECT bg = m_rcPlace;
    m_SysTexture.Draw(0, 176, (unsigned char)std::min(15 * p.nB, 200), &bg);
    // The lines slide down as the window closes and fade with it.
    for (int i = 0; i < p.nLineCount; ++i)
        DrawLine(m_PlaceText[i], (640 - p.nWidth) / 2,
                 (480 - p.nHeight) / 2 + 20 * i + std::max(3 * (i - (3 * A) / 2 + 60) / 2, 0), 2 * p.nWidth,
                 std::min(20 * A, 255));
}
