// Text rendered once into a render-target texture.
#include "Draw/gvlD3DTextDraw.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Draw/gvlDrawCheck.h"
#include "gfx/font.h"
#include "text.h"

namespace {
constexpr const char* kTextSource = ".\\Draw\\gvlD3DTextDraw";
constexpr const char* kFaceName = "ＭＳ ゴシック";  // CP932 bytes at run time

// Cuts CP932 text into lines at CR LF, a lone CR or a lone LF.  A break at the very
// end gives a last, empty line.  Measuring and drawing use the same lines.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur.push_back(c);
        }
    }
    lines.push_back(cur);
    return lines;
}

std::unique_ptr<gfx::Font> MakeFont(int height, bool italic) {
    return gfx::Font::Create(plat::Cp932ToUtf8(kFaceName), height, italic);
}

// The lines as drawn, each with its width: a line wider than maxWidth (when it is
// above 0) loses characters from its end until it fits.  Italic lines measure
// `slant` pixels wider.
struct LaidLine {
    std::u32string text;
    int width = 0, height = 0;
};
std::vector<LaidLine> LayLines(gfx::Font& font, const std::string& text, int maxWidth, int slant) {
    std::vector<LaidLine> lines;
    for (const std::string& line : SplitLines(text)) {
        LaidLine l;
        l.text = plat::Cp932ToUtf32(line);
        for (;;) {
            font.MeasureLine(l.text, l.width, l.height);
            l.width += slant;
            if (maxWidth <= 0 || l.width <= maxWidth || l.text.empty()) break;
            l.text.pop_back();
        }
        lines.push_back(std::move(l));
    }
    return lines;
}
}  // namespace

CD3DTextDraw::CD3DTextDraw() = default;
CD3DTextDraw::~CD3DTextDraw() = default;

void CD3DTextDraw::SetText(const std::string& text, int height, uint32_t color) {
    m_strText = text;
    m_nFontHeight = height;
    m_nLineHeight = height;
    m_Color = color;
}

void CD3DTextDraw::SetLineHeight(int lineHeight) { m_nLineHeight = lineHeight; }

void CD3DTextDraw::Restore() {
    if (m_bRendered) Render();
}

// Width: the widest line (a quarter of the font height wider when italic).
// Height: the line height for every line but the last, plus the last line's height.
void CD3DTextDraw::GetTextSize(int& width, int& height) {
    width = 0;
    height = 0;
    if (m_strText.empty()) return;
    std::unique_ptr<gfx::Font> font = MakeFont(m_nFontHeight, m_bItalic);
    if (!font) return;
    const std::vector<LaidLine> lines = LayLines(*font, m_strText, m_nMaxWidth, m_bItalic ? m_nFontHeight / 4 : 0);
    for (const LaidLine& line : lines) width = std::max(width, line.width);
    height = m_nLineHeight * int(lines.size() - 1) + lines.back().height;
}

void CD3DTextDraw::Render() {
    m_bRendered = true;
    if (!g_pD3DDevice) return;
    std::unique_ptr<gfx::Font> font = MakeFont(m_nFontHeight, false);  // italic only widens the measure
    if (!DRAW_CHECK(font, kTextSource)) return;
    int w = 0, h = 0;
    GetTextSize(w, h);
    NextPowerOfTwo(w, h);
    m_RenderTarget.Create(w, h, 0x00FFFFFF);
    m_RenderTarget.BeginTarget(true);
    if (!m_RenderTarget.IsBegun()) return;
    int y = 0;
    for (const LaidLine& line : LayLines(*font, m_strText, m_nMaxWidth, m_bItalic ? m_nFontHeight / 4 : 0)) {
        if (!line.text.empty()) font->DrawLine(g_pD3DDevice, line.text, 0, y, m_Color);
        y += m_nLineHeight;
    }
    m_RenderTarget.EndTarget();
}
