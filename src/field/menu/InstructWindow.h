#pragma once
// The help line shown under several menus: a window image with a text of up to a
// few lines, "/" in the stored text marking a line break.
#include <string>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"

class CInstructWindow : public CD3DDrawTexture {
public:
    CInstructWindow();
    ~CInstructWindow() override = default;

    // Stores the text when it differs from the stored one; an equal text changes
    // nothing, so a menu may call it every frame.
    void SetText(const std::string& text);
    // The window image at (x, y) and the text inside it (rendered again after a change).
    void Draw(int x, int y);

    const std::string& GetText() const { return m_strText; }
    bool IsDirty() const { return m_bDirty; }
    CD3DTextDraw& GetTextDraw() { return m_Text; }

private:
    CD3DTextDraw m_Text;
    bool m_bDirty = false;
    std::string m_strText;
};

// The help text broken into lines of at most `width` bytes: "/" breaks a line, a
// line that is full breaks by itself.  A double-byte (CP932) character is never
// split: when it would not fit on the line it starts the next one.
std::string WrapTextBytes(const std::string& text, int width);
// The instruction window's wrap: lines of 46 bytes.
std::string WrapInstructText(const std::string& text);
// Whether the byte starts a double-byte character of code page 932.
bool IsCP932LeadByte(unsigned char c);
