// The help line of the menus.
#include "menu/InstructWindow.h"

CInstructWindow::CInstructWindow() : CD3DDrawTexture("./graphics/InstructWindow.png") {}

void CInstructWindow::SetText(const std::string& text) {
    if (text == m_strText) return;
    m_strText = text;
    m_bDirty = true;
}

void CInstructWindow::Draw(int x, int y) {
    if (m_bDirty) {
        m_Text.SetText(WrapInstructText(m_strText), 12, 0xFFFFFFFF);
        m_Text.SetLineHeight(14);
        m_Text.Render();
        m_bDirty = false;
    }
    const RECT part{0, 0, 300, 80};
    CD3DDrawTexture::Draw(x, y, 255, &part);
    CD3DRTSquare& rt = m_Text.GetRenderTarget();
    if (!m_strText.empty() && rt.GetTexture()) rt.Draw(x + 10, y + 10, 255);
}

bool IsCP932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string WrapTextBytes(const std::string& text, int width) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 4);
    // A width below 2 has no room for a double-byte character: such lines hold one
    // character each rather than looping or cutting one in half.
    if (width < 1) width = 1;
    int column = 0;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool pair = IsCP932LeadByte(c) && i + 1 < text.size();
        const int size = pair ? 2 : 1;
        if (column > 0 && column + size > width) {
            out += '\n';
            column = 0;
            continue;
        }
        if (c == '/') {
            out += '\n';
            column = 0;
            ++i;
            continue;
        }
        out.append(text, i, size);
        column += size;
        i += size;
        // A full line breaks now, even before a "/" (which then leaves an empty line).
        if (column >= width && i < text.size()) {
            out += '\n';
            column = 0;
        }
    }
    return out;
}

std::string WrapInstructText(const std::string& text) { return WrapTextBytes(text, 46); }
