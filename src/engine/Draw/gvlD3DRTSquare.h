#pragma once
// A texture that is a render target: begin drawing into it, draw with the ordinary
// device and sprite calls, end, then draw it like any other texture.
#include "Draw/gvlD3DDrawSquare.h"

class CD3DRTSquare : public CD3DDrawTexture {
public:
    CD3DRTSquare();
    ~CD3DRTSquare() override;

    // Sizes are truncated to int.  Makes the texture at once when the device exists.
    void Create(double width, double height, uint32_t clearColor);
    void InnerInitTexture();
    void BeginTarget(bool clear);
    void EndTarget();

    void Restore() override;
    void Invalidate() override;

    bool IsBegun() const { return m_bBeginExecused; }
    bool IsSizeSet() const { return m_bSizeSet; }
    int GetTargetWidth() const { return m_nRTWidth; }
    int GetTargetHeight() const { return m_nRTHeight; }
    uint32_t GetClearColor() const { return m_ClearColor; }

protected:
    gfx::Texture* m_pSavedTarget = nullptr;  // the device's target while this one is begun
    bool m_bSavedTargetValid = false;
    gfx::Viewport m_SavedViewport;
    bool m_bSizeSet = false;
    bool m_bBeginExecused = false;
    int m_nRTWidth = 0;
    int m_nRTHeight = 0;
    uint32_t m_ClearColor = 0;
};
