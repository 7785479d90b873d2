// Frame-counted sprite animations.
#include "resources/SpriteAnim.h"

void SpriteAnim::Set(CD3DDrawTexture* texture, int mode, int flags, int length, int px, int py, const RECT& src) {
    pTexture = texture;
    nFrame = 0;
    nLeft = src.left;
    nTop = src.top;
    nRight = src.right;
    nBottom = src.bottom;
    nMode = mode;
    nFlags = flags;
    nLength = length;
    x = px;
    y = py;
}

void SpriteAnim::SetPulse(CD3DDrawTexture* texture, int mode, int flags, int lowAlpha, int highAlpha, int length,
                          int px, int py, const RECT& src) {
    Set(texture, mode, flags, length, px, py, src);
    nLowAlpha = lowAlpha;
    nHighAlpha = highAlpha;
}

SpriteAnim::Frame SpriteAnim::CurrentFrame() const {
    Frame f;
    const RECT whole{nLeft, nTop, nRight, nBottom};
    auto one = [&](const RECT& rc, int px, int py, int alpha) {
        f.parts = 1;
        f.src[0] = rc;
        f.x[0] = px;
        f.y[0] = py;
        f.alpha[0] = alpha;
    };
    const int n = nFrame, d = nLength, h = nBottom - nTop;
    // A length of 0 or below has no animation to run: the record shows its end state.
    const bool ended = d <= 0 || n > d;
    switch (nMode) {
        case kWipe:
            if (ended) {
                if (!(nFlags & 4)) one(whole, x, y, 255);
            } else if ((nFlags & 3) == 3) {
                const int k = (nFlags & 4) ? h * (d - n) / d : h * n / d;
                one(RECT{nLeft, nTop, nRight, nTop + k}, x, y + h - k, 255);
            }
            break;
        case kMerge:
            if (ended) {
                one(whole, x, y, 255);
            } else if (nFlags == 1) {
                f.parts = 2;
                f.src[0] = f.src[1] = whole;
                f.x[0] = x + 20 - 20 * n / d;
                f.x[1] = x - 20 + 20 * n / d;
                f.y[0] = f.y[1] = y;
                f.alpha[0] = f.alpha[1] = 150 * n / d;
            }
            break;
        case kPulse: {
            const int half = d / 2;
            int alpha = nHighAlpha;
            if (half > 0) {
                const int m = n % d;
                if (m < half) alpha = nLowAlpha + (nHighAlpha - nLowAlpha) * m / half;
                else alpha = nHighAlpha - (nHighAlpha - nLowAlpha) * (m - half) / half;
            }
            one(whole, x, y, alpha & 0xFF);
            break;
        }
        case kFade:
            if (nFlags == 0) {
                if (!ended && n < d) one(whole, x, y, 255 - 255 * n / d);
            } else if (nFlags == 1) {
                one(whole, x, y, (!ended && n < d) ? 255 * n / d : 255);
            }
            break;
        default:
            break;
    }
    return f;
}

void SpriteAnim::Draw() {
    const Frame f = CurrentFrame();
    if (pTexture) {
        for (int i = 0; i < f.parts; ++i)
            pTexture->Draw(f.x[i], f.y[i], (unsigned char)f.alpha[i], &f.src[i], 0.0);
    }
    ++nFrame;
}
