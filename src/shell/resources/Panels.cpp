// Framed windows, panels, icons and small digits cut from the system sheet.
#include <string>

#include "resources/GlobalResources.h"

void CGlobalResources::DrawWindowEx(double x, double y, double w, double h, float open, uint32_t color, double z) {
    double s = open;
    if (s < 0) s = 0;
    if (s > 1) s = 1;
    const double hh = h * s;
    const double t = y + (h / 2) * (1 - s);
    if (w < 100) w = 100;
    m_WindowBody.SetSize(float(w), float(hh), color, 0);
    m_WindowBody.Draw(float(x), float(t), float(z));
    const RECT edgeV{200, 0, 208, 6}, edgeH{50, 0, 150, 6}, cornerL{0, 0, 50, 6}, cornerR{150, 0, 200, 6};
    m_SysTexture.DrawScaled(x, t, 1, hh / 6, 0, 0, 255, &edgeV, z);
    m_SysTexture.DrawScaled(x + w - 8, t, 1, hh / 6, 0, 0, 255, &edgeV, z);
    m_SysTexture.DrawScaled(x, t, w / 100, 1, 0, 0, 255, &edgeH, z);
    m_SysTexture.DrawScaled(x, t + hh - 6, w / 100, 1, 0, 0, 255, &edgeH, z);
    m_SysTexture.Draw(x, t, 255, &cornerL, z);
    m_SysTexture.Draw(x, t + hh - 6, 255, &cornerL, z);
    m_SysTexture.Draw(x + w - 50, t, 255, &cornerR, z);
    m_SysTexture.Draw(x + w - 50, t + hh - 6, 255, &cornerR, z);
}

void CGlobalResources::DrawWindow(int, double x, double y, double width, double height, double z, uint32_t color) {
    DrawWindowEx(x, y, width, height, 1.0f, color, z);
}

void CGlobalResources::DrawSmallIcon(int n, double x, double y, double z) {
    const RECT rc{16 * (13 + n), 0, 16 * (14 + n), 16};
    m_SysTexture.Draw(x, y, 255, &rc, z);
}

void CGlobalResources::DrawStatusPanel(int n, double x, double y, double z) {
    const RECT rc{640, 256 + 96 * n, 864, 352 + 96 * n};
    m_SysTexture.Draw(x, y, 255, &rc, z);
}

void CGlobalResources::DrawStretchedPanel(double x, double y, double width, double height, double z) {
    const RECT rc{640, 128, 912, 256};
    m_SysTexture.DrawScaled(x, y, width / 272, height / 128, 0, 0, 255, &rc, z);
}

void CGlobalResources::DrawSlideInIcon(int n, bool fromLeft) {
    const int c = m_nSlideCounter;
    const int x = fromLeft ? 2 * c - 2 : 2 * (215 - c);
    const unsigned char alpha = (unsigned char)(c * 255 / 15);
    const RECT icon{64 * n, 624, 64 * n + 64, 704};
    const RECT label{0, 32 * (n + 22), 180, 32 * (n + 23)};
    m_SysTexture.Draw(x, -4, alpha, &icon);
    m_SysTexture.Draw(x + 32, 28, alpha, &label);
    if (m_nSlideCounter < 15) ++m_nSlideCounter;
}

void CGlobalResources::DrawSmallNumber(int x, int y, int value, int alpha) {
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    // Only non-negative values have glyphs; a negative one shows its magnitude.
    const std::string digits = std::to_string(value < 0 ? -(long long)value : (long long)value);
    int px = x - 5;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, px -= 5) {
        const int d = *it - '0';
        const RECT rc{528 + 4 * d, 0, 532 + 4 * d, 7};
        m_SysTexture.Draw(px, y, (unsigned char)alpha, &rc);
    }
}
