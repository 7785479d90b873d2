// Two-dimensional lines.
#include "Draw/gvlD3DDrawLine.h"

#include <vector>

#include "Draw/gvlDrawCheck.h"

namespace {
constexpr const char* kLineSource = ".\\Draw\\gvlD3DDrawLine";
}

void CD3DDraw2DLine::SetPoint(unsigned int index, int x, int y, uint32_t color) {
    if (index >= 0x100000u) return;  // far beyond any line the game draws
    if (index + 1 >= m_vertices.size()) {
        if (index + 1 > m_vertices.size()) m_vertices.resize(index + 1, TLVertex{0, 0, 0, 1.0f, 0xFFFFFFFFu, 0, 0});
    }
    TLVertex& v = m_vertices[index];
    v.x = float(x);
    v.y = float(y);
    v.color = color;
}

// One connected polyline from the first point to the last, straight to the device.
void CD3DDraw2DLine::Draw() {
    EndSpriteBatch();
    if (!DRAW_CHECK(0 < m_vertices.size() && m_vertices.size() < 1000, kLineSource)) return;
    if (!g_pD3DDevice || m_vertices.size() < 2) return;
    std::vector<TLVertex> copy(m_vertices);
    g_pD3DDevice->SetFVF(kFVF_TLVertex);
    g_pD3DDevice->DrawPrimitiveUP(gfx::PT_LINESTRIP, uint32_t(copy.size() - 1), copy.data(), sizeof(TLVertex));
}
