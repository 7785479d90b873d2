#pragma once
// A small drawing library for the demo pictures: an RGBA canvas with rectangles,
// frames, gradients, circles, polygons, lines, noise and a pixel font.
#include <cstdint>
#include <string>
#include <vector>

namespace cg {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

constexpr Rgba RGB(uint32_t hex, uint8_t a = 255) {
    return Rgba{static_cast<uint8_t>(hex >> 16), static_cast<uint8_t>(hex >> 8), static_cast<uint8_t>(hex), a};
}
Rgba Mix(Rgba a, Rgba b, float t);          // a..b, t in [0,1]; alpha mixed too
Rgba WithAlpha(Rgba c, uint8_t a);
Rgba Shade(Rgba c, float k);                 // k < 1 darker, > 1 lighter

struct Point {
    float x = 0, y = 0;
};

class Canvas {
public:
    Canvas(int w, int h, Rgba fill = Rgba{0, 0, 0, 0});
    int width() const { return w_; }
    int height() const { return h_; }
    const std::vector<uint8_t>& bytes() const { return px_; }

    Rgba Get(int x, int y) const;
    void Set(int x, int y, Rgba c);               // replace
    void Blend(int x, int y, Rgba c);             // source-over
    void BlendCoverage(int x, int y, Rgba c, float cover);

    void FillRect(int x, int y, int w, int h, Rgba c, bool replace = false);
    void FrameRect(int x, int y, int w, int h, Rgba c, int thickness = 1);
    void GradientV(int x, int y, int w, int h, Rgba top, Rgba bottom, bool replace = false);
    void GradientH(int x, int y, int w, int h, Rgba left, Rgba right, bool replace = false);
    // A bevelled panel: body, light top-left edge, dark bottom-right edge, outer line.
    void Panel(int x, int y, int w, int h, Rgba body, Rgba light, Rgba dark, Rgba outline);
    void FillCircle(float cx, float cy, float r, Rgba c);                // anti-aliased edge
    void Ring(float cx, float cy, float r, float thickness, Rgba c);
    void EllipseRing(float cx, float cy, float rx, float ry, float thickness, Rgba c);
    void FillEllipse(float cx, float cy, float rx, float ry, Rgba c);
    void RadialGlow(float cx, float cy, float r, Rgba c);                  // alpha falls to 0 at r
    void FillPolygon(const std::vector<Point>& pts, Rgba c);                // even-odd, 4x vertical AA
    void Line(float x0, float y0, float x1, float y1, float width, Rgba c);
    // Value noise in [0,1] laid over a rectangle, mapping through lo..hi.
    void Noise(int x, int y, int w, int h, uint32_t seed, float scale, Rgba lo, Rgba hi, float amount);
    void Blit(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy);
    // Multiplies alpha by a mask shape: outside the diamond of (x, y, w, h) becomes clear.
    void ClipDiamond(int x, int y, int w, int h);
    // The whole canvas averaged down to w x h (each texel the area it covers, weighted
    // by alpha, so clear texels give no colour to the edges).
    Canvas Shrunk(int w, int h) const;

    // Pixel font: 5x7 glyphs on a 6-pixel advance, scaled by an integer.
    static int TextWidth(const std::string& s, int scale);
    void Text(int x, int y, const std::string& s, int scale, Rgba c);
    void TextXY(int x, int y, const std::string& s, int sx, int sy, Rgba c);  // separate x and y scale
    void TextOutlined(int x, int y, const std::string& s, int scale, Rgba c, Rgba outline);
    void TextShadowed(int x, int y, const std::string& s, int scale, Rgba c, Rgba shadow);
    void TextCentered(int cx, int y, const std::string& s, int scale, Rgba c, Rgba outline);

    bool WritePng(const std::string& path) const;  // creates folders above path

private:
    int w_, h_;
    std::vector<uint8_t> px_;
};

// Deterministic hashing noise shared by pictures and sounds.
uint32_t Hash(uint32_t x);
uint32_t Hash2(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed);        // smooth, [0,1]
float Fbm(float x, float y, uint32_t seed, int octaves);   // [0,1]

class Rng {  // small deterministic generator (xorshift32)
public:
    explicit Rng(uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }
    float Unit() { return (Next() >> 8) / 16777216.0f; }

private:
    uint32_t s_;
};

}  // namespace cg
