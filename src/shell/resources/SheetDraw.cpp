// Sheet rectangles, cell highlights and the arrow line.
#include "resources/SheetDraw.h"

#include <cmath>
#include <memory>

namespace {
// Built on first use, kept until the end of the program.
std::unique_ptr<CD3DDrawSquare> g_pSheetSquare;

CD3DDrawSquare& SheetSquare() {
    if (!g_pSheetSquare) g_pSheetSquare = std::make_unique<CD3DDrawSquare>();
    return *g_pSheetSquare;
}

constexpr double kHeadAngle = 0.3490658402442932;  // 20 degrees
}  // namespace

bool BindSheet(const CD3DDrawTexture* sheet) {
    if (!g_pD3DDevice || !sheet || !sheet->GetTexture()) return false;
    EndSpriteBatch();
    gfx::Device& d = *g_pD3DDevice;
    d.SetTexture(0, sheet->GetTexture());
    d.SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    d.SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d.SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d.SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d.SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d.SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
    return true;
}

void DrawTextureRect(CD3DDrawTexture* sheet, float x, float y, int left, int top, int right, int bottom,
                     unsigned char alpha) {
    if (!BindSheet(sheet)) return;
    CD3DDrawSquare& sq = SheetSquare();
    sq.SetSize(1, 1, (uint32_t(alpha) << 24) | 0xFFFFFFu);
    sq.SetSourceRectOfTexture(RECT{left, top, right, bottom}, *sheet);
    sq.DrawWithCurrentTexture(x, y, 0);
}

void DrawSheetCell(CD3DDrawTexture* sheet, int n, int x, int y, unsigned char alpha) {
    const int col = n % 16, row = n / 16 + 8;
    DrawTextureRect(sheet, float(x), float(y), 48 * col, 64 * row, 48 * col + 48, 64 * row + 64, alpha);
}

void DrawCellHighlights(CD3DDrawTexture* sheet, int kind, const std::vector<std::pair<int, int>>& cells,
                        unsigned char alpha) {
    if (kind >= 0 && kind <= 2) {
        for (const auto& c : cells)
            DrawTextureRect(sheet, float(c.first), float(c.second), 896, 56 * (kind + 12), 1008, 56 * (kind + 13),
                            alpha);
        return;
    }
    if (kind != 3 && kind != 4) return;
    if (!BindSheet(sheet)) return;
    const uint32_t tint = kind == 3 ? 0xD0C930u : 0x46BB49u;
    CD3DDrawSquare& sq = SheetSquare();
    sq.SetSize(112, 56, (uint32_t(alpha) << 24) | tint);
    sq.SetSourceRectOfTexture(RECT{896, 672, 1008, 728}, *sheet);
    for (const auto& c : cells) sq.DrawWithCurrentTexture(float(c.first), float(c.second), 0);
}

void DrawCellHighlight(CD3DDrawTexture* sheet, int kind, int x, int y, unsigned char alpha) {
    DrawCellHighlights(sheet, kind, {{x, y}}, alpha);
}

bool ArrowHeadPoints(const ArrowVertex& start, const ArrowVertex& end, float out[2][2]) {
    const double dx = double(start.x) - end.x, dy = double(start.y) - end.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0)) return false;  // no direction to point the head along
    double c = dx / length;
    if (c > 1) c = 1;
    if (c < -1) c = -1;
    double a = std::acos(c);
    if (dy < 0) a = -a;
    out[0][0] = float(end.x + 10 * std::cos(a + kHeadAngle));
    out[0][1] = float(end.y + 10 * std::sin(a + kHeadAngle));
    out[1][0] = float(end.x + 10 * std::cos(a - kHeadAngle));
    out[1][1] = float(end.y + 10 * std::sin(a - kHeadAngle));
    return true;
}

void DrawArrowLine(const ArrowVertex& start, const ArrowVertex& end) {
    EndSpriteBatch();
    if (!g_pD3DDevice) return;
    gfx::Device& d = *g_pD3DDevice;
    d.SetTexture(0, nullptr);
    d.SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
    ArrowVertex line[2] = {start, end};
    d.DrawPrimitiveUP(gfx::PT_LINELIST, 1, line, sizeof(ArrowVertex));
    float head[2][2];
    if (!ArrowHeadPoints(start, end, head)) return;
    for (int i = 0; i < 2; ++i) {
        ArrowVertex stroke[2] = {end, end};
        stroke[1].x = head[i][0];
        stroke[1].y = head[i][1];
        d.DrawPrimitiveUP(gfx::PT_LINELIST, 1, stroke, sizeof(ArrowVertex));
    }
}

void ReleaseSheetDrawObjects() { g_pSheetSquare.reset(); }
