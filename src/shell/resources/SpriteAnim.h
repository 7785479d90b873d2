#pragma once
// A rectangle of a texture shown through one of four frame-counted animations: the
// maker logo's pieces and the opening and closing of the serif window.
#include "Draw/gvlD3DDrawSquare.h"

struct SpriteAnim {
    enum Mode : int { kWipe = 0, kMerge = 1, kPulse = 2, kFade = 3 };

    CD3DDrawTexture* pTexture = nullptr;  // not owned
    int nFrame = 0;
    int nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    int nMode = 0;
    int nFlags = 0;
    int nLength = 0;
    int nLowAlpha = 0, nHighAlpha = 0;  // pulse mode only
    int x = 0, y = 0;

    // Fills the record and restarts it (the pulse alphas are left as they are).
    void Set(CD3DDrawTexture* texture, int mode, int flags, int length, int x, int y, const RECT& src);
    void SetPulse(CD3DDrawTexture* texture, int mode, int flags, int lowAlpha, int highAlpha, int length, int x,
                  int y, const RECT& src);

    // What one Draw call with the present counter shows.  `parts` is 0 (nothing),
    // 1 or 2 (the merge mode's two copies).
    struct Frame {
        int parts = 0;
        RECT src[2];
        int x[2] = {0, 0};
        int y[2] = {0, 0};
        int alpha[2] = {0, 0};
    };
    Frame CurrentFrame() const;

    // Draws the current frame and advances the counter by one, drawn or not.
    void Draw();
};
