#pragma once
// Text drawn once into a render-target texture (font "ＭＳ ゴシック") and then drawn
// every frame as an image through GetRenderTarget().
#include <string>

#include "Draw/gvlD3DRTSquare.h"

class CD3DTextDraw : public CD3DObjectBase {
public:
    CD3DTextDraw();
    ~CD3DTextDraw() override;

    // Text in CP932; line breaks CR LF (a lone CR or LF also breaks a line).
    void SetText(const std::string& text, int height, uint32_t color);
    void SetLineHeight(int lineHeight);
    void SetItalic(bool italic) { m_bItalic = italic; }
    // The room of the text's box in pixels: a longer line loses its last characters
    // (whole ones), so that nothing is drawn past the box.  0 leaves lines whole.
    void SetMaxWidth(int width) { m_nMaxWidth = width; }
    void GetTextSize(int& width, int& height);
    void Render();

    void Restore() override;
    void Invalidate() override {}

    const std::string& GetText() const { return m_strText; }
    int GetFontHeight() const { return m_nFontHeight; }
    int GetLineHeight() const { return m_nLineHeight; }
    bool IsItalic() const { return m_bItalic; }
    uint32_t GetColor() const { return m_Color; }
    bool IsRendered() const { return m_bRendered; }
    CD3DRTSquare& GetRenderTarget() { return m_RenderTarget; }

protected:
    bool m_bRendered = false;
    std::string m_strText;
    int m_nFontHeight = 12;
    int m_nLineHeight = 12;
    bool m_bItalic = false;
    int m_nMaxWidth = 0;
    uint32_t m_Color = 0xFFFFFFFF;
    CD3DRTSquare m_RenderTarget;
};
