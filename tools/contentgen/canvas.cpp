#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace cg {

#include "font.inc"

namespace {

uint8_t ClampByte(float v) { return static_cast<uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

const Glyph* FindGlyph(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;
}

}  // namespace

Rgba Mix(Rgba a, Rgba b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return Rgba{ClampByte(a.r + (b.r - a.r) * t), ClampByte(a.g + (b.g - a.g) * t), ClampByte(a.b + (b.b - a.b) * t),
                ClampByte(a.a + (b.a - a.a) * t)};
}

Rgba WithAlpha(Rgba c, uint8_t a) {
    c.a = a;
    return c;
}

Rgba Shade(Rgba c, float k) {
    if (k <= 1.0f) return Rgba{ClampByte(c.r * k), ClampByte(c.g * k), ClampByte(c.b * k), c.a};
    float t = k - 1.0f;
    return Rgba{ClampByte(c.r + (255 - c.r) * t), ClampByte(c.g + (255 - c.g) * t), ClampByte(c.b + (255 - c.b) * t), c.a};
}

Canvas::Canvas(int w, int h, Rgba fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 4) {
    for (size_t i = 0; i < px_.size(); i += 4) {
        px_[i] = fill.r;
        px_[i + 1] = fill.g;
        px_[i + 2] = fill.b;
        px_[i + 3] = fill.a;
    }
}

Rgba Canvas::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return Rgba{0, 0, 0, 0};
    const uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

void Canvas::Set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
}

void Canvas::Blend(int x, int y, Rgba c) {
    if (c.a == 255) return Set(x, y, c);
    if (c.a == 0 || x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
    // Source-over on straight alpha, in integers so results are exact.
    int sa = c.a, da = p[3];
    int oa = sa * 255 + da * (255 - sa);  // scaled by 255
    if (oa == 0) return;
    auto ch = [&](int s, int d) { return static_cast<uint8_t>((s * sa * 255 + d * da * (255 - sa) + oa / 2) / oa); };
    p[0] = ch(c.r, p[0]);
    p[1] = ch(c.g, p[1]);
    p[2] = ch(c.b, p[2]);
    p[3] = static_cast<uint8_t>((oa + 127) / 255);
}

void Canvas::BlendCoverage(int x, int y, Rgba c, float cover) {
    if (cover <= 0.0f) return;
    if (cover < 1.0f) c.a = ClampByte(c.a * cover);
    Blend(x, y, c);
}

void Canvas::FillRect(int x, int y, int w, int h, Rgba c, bool replace) {
    int x0 = std::max(x, 0), y0 = std::max(y, 0), x1 = std::min(x + w, w_), y1 = std::min(y + h, h_);
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) replace ? Set(xx, yy, c) : Blend(xx, yy, c);
}

void Canvas::FrameRect(int x, int y, int w, int h, Rgba c, int t) {
    FillRect(x, y, w, t, c);
    FillRect(x, y + h - t, w, t, c);
    FillRect(x, y + t, t, h - 2 * t, c);
    FillRect(x + w - t, y + t, t, h - 2 * t, c);
}

void Canvas::GradientV(int x, int y, int w, int h, Rgba top, Rgba bottom, bool replace) {
    for (int yy = 0; yy < h; ++yy) {
        Rgba c = Mix(top, bottom, h > 1 ? static_cast<float>(yy) / (h - 1) : 0.0f);
        for (int xx = 0; xx < w; ++xx) replace ? Set(x + xx, y + yy, c) : Blend(x + xx, y + yy, c);
    }
}

void Canvas::GradientH(int x, int y, int w, int h, Rgba left, Rgba right, bool replace) {
    for (int xx = 0; xx < w; ++xx) {
        Rgba c = Mix(left, right, w > 1 ? static_cast<float>(xx) / (w - 1) : 0.0f);
        for (int yy = 0; yy < h; ++yy) replace ? Set(x + xx, y + yy, c) : Blend(x + xx, y + yy, c);
    }
}

void Canvas::Panel(int x, int y, int w, int h, Rgba body, Rgba light, Rgba dark, Rgba outline) {
    FillRect(x, y, w, h, body);
    FillRect(x + 1, y + 1, w - 2, 1, light);
    FillRect(x + 1, y + 1, 1, h - 2, light);
    FillRect(x + 1, y + h - 2, w - 2, 1, dark);
    FillRect(x + w - 2, y + 1, 1, h - 2, dark);
    FrameRect(x, y, w, h, outline, 1);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, Rgba c) {
    int x0 = static_cast<int>(std::floor(cx - rx - 1)), x1 = static_cast<int>(std::ceil(cx + rx + 1));
    int y0 = static_cast<int>(std::floor(cy - ry - 1)), y1 = static_cast<int>(std::ceil(cy + ry + 1));
    float rr = std::min(rx, ry);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            float d = std::sqrt(dx * dx + dy * dy);  // 1 at the edge
            float cover = (1.0f - d) * rr + 0.5f;
            BlendCoverage(x, y, c, std::clamp(cover, 0.0f, 1.0f));
        }
}

void Canvas::FillCircle(float cx, float cy, float r, Rgba c) { FillEllipse(cx, cy, r, r, c); }

void Canvas::Ring(float cx, float cy, float r, float t, Rgba c) {
    int x0 = static_cast<int>(std::floor(cx - r - t)), x1 = static_cast<int>(std::ceil(cx + r + t));
    int y0 = static_cast<int>(std::floor(cy - r - t)), y1 = static_cast<int>(std::ceil(cy + r + t));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float d = std::fabs(std::sqrt(dx * dx + dy * dy) - r);
            BlendCoverage(x, y, c, std::clamp(t * 0.5f - d + 0.5f, 0.0f, 1.0f));
        }
}

void Canvas::EllipseRing(float cx, float cy, float rx, float ry, float t, Rgba c) {
    int x0 = static_cast<int>(std::floor(cx - rx - t)), x1 = static_cast<int>(std::ceil(cx + rx + t));
    int y0 = static_cast<int>(std::floor(cy - ry - t)), y1 = static_cast<int>(std::ceil(cy + ry + t));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            // Distance to the ellipse in pixels, approximated along the smaller radius.
            float d = std::fabs(std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
            BlendCoverage(x, y, c, std::clamp(t * 0.5f - d + 0.5f, 0.0f, 1.0f));
        }
}

void Canvas::RadialGlow(float cx, float cy, float r, Rgba c) {
    int x0 = static_cast<int>(std::floor(cx - r)), x1 = static_cast<int>(std::ceil(cx + r));
    int y0 = static_cast<int>(std::floor(cy - r)), y1 = static_cast<int>(std::ceil(cy + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float t = 1.0f - std::sqrt(dx * dx + dy * dy) / r;
            if (t > 0) BlendCoverage(x, y, c, t * t);
        }
}

void Canvas::FillPolygon(const std::vector<Point>& pts, Rgba c) {
    if (pts.size() < 3) return;
    float miny = pts[0].y, maxy = pts[0].y;
    for (const Point& p : pts) {
        miny = std::min(miny, p.y);
        maxy = std::max(maxy, p.y);
    }
    int y0 = std::max(0, static_cast<int>(std::floor(miny))), y1 = std::min(h_ - 1, static_cast<int>(std::ceil(maxy)));
    const int kSub = 4;
    std::vector<float> cover(static_cast<size_t>(w_) + 1);
    std::vector<float> xs;
    for (int y = y0; y <= y1; ++y) {
        std::fill(cover.begin(), cover.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < kSub; ++s) {
            float sy = y + (s + 0.5f) / kSub;
            xs.clear();
            for (size_t i = 0; i < pts.size(); ++i) {
                Point a = pts[i], b = pts[(i + 1) % pts.size()];
                if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy))
                    xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                float xa = std::max(0.0f, xs[i]), xb = std::min(static_cast<float>(w_), xs[i + 1]);
                for (int x = static_cast<int>(std::floor(xa)); x < w_ && x < xb; ++x) {
                    float l = std::max(xa, static_cast<float>(x)), r = std::min(xb, static_cast<float>(x + 1));
                    if (r > l) {
                        cover[x] += (r - l) / kSub;
                        any = true;
                    }
                }
            }
        }
        if (!any) continue;
        for (int x = 0; x < w_; ++x)
            if (cover[x] > 0.0f) BlendCoverage(x, y, c, std::min(cover[x], 1.0f));
    }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float width, Rgba c) {
    float dx = x1 - x0, dy = y1 - y0;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len < 1e-4f) return FillCircle(x0, y0, width * 0.5f, c);
    float nx = -dy / len * width * 0.5f, ny = dx / len * width * 0.5f;
    FillPolygon({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}}, c);
}

void Canvas::Noise(int x, int y, int w, int h, uint32_t seed, float scale, Rgba lo, Rgba hi, float amount) {
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) {
            float n = Fbm((x + xx) / scale, (y + yy) / scale, seed, 3);
            Rgba c = Mix(lo, hi, n);
            c.a = ClampByte(c.a * amount);
            Blend(x + xx, y + yy, c);
        }
}

void Canvas::Blit(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Blend(dx + x, dy + y, src.Get(sx + x, sy + y));
}

void Canvas::ClipDiamond(int x, int y, int w, int h) {
    float cx = x + w * 0.5f, cy = y + h * 0.5f;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) {
            float d = std::fabs(xx + 0.5f - cx) / (w * 0.5f) + std::fabs(yy + 0.5f - cy) / (h * 0.5f);
            // About one pixel of soft edge.
            float cover = std::clamp((1.0f - d) * (h * 0.5f) + 0.5f, 0.0f, 1.0f);
            Rgba c = Get(xx, yy);
            c.a = ClampByte(c.a * cover);
            Set(xx, yy, c);
        }
}

Canvas Canvas::Shrunk(int w, int h) const {
    Canvas out(w, h);
    const double kx = static_cast<double>(w_) / w, ky = static_cast<double>(h_) / h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double x0 = x * kx, x1 = (x + 1) * kx, y0 = y * ky, y1 = (y + 1) * ky;
            double sum[4] = {0, 0, 0, 0}, area = 0;
            for (int sy = static_cast<int>(y0); sy < y1 && sy < h_; ++sy) {
                const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
                for (int sx = static_cast<int>(x0); sx < x1 && sx < w_; ++sx) {
                    const double wt = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
                    const uint8_t* p = &px_[(static_cast<size_t>(sy) * w_ + sx) * 4];
                    for (int k = 0; k < 3; ++k) sum[k] += wt * p[k] * p[3];
                    sum[3] += wt * p[3];
                    area += wt;
                }
            }
            if (sum[3] <= 0 || area <= 0) continue;
            out.Set(x, y,
                    Rgba{ClampByte(static_cast<float>(sum[0] / sum[3])), ClampByte(static_cast<float>(sum[1] / sum[3])),
                         ClampByte(static_cast<float>(sum[2] / sum[3])), ClampByte(static_cast<float>(sum[3] / area))});
        }
    return out;
}

int Canvas::TextWidth(const std::string& s, int scale) {
    return s.empty() ? 0 : static_cast<int>(s.size()) * 6 * scale - scale;
}

void Canvas::Text(int x, int y, const std::string& s, int scale, Rgba c) { TextXY(x, y, s, scale, scale, c); }

void Canvas::TextXY(int x, int y, const std::string& s, int sx, int sy, Rgba c) {
    int pen = x;
    for (char ch : s) {
        if (const Glyph* g = FindGlyph(ch))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col)) FillRect(pen + col * sx, y + row * sy, sx, sy, c);
        pen += 6 * sx;
    }
}

void Canvas::TextOutlined(int x, int y, const std::string& s, int scale, Rgba c, Rgba outline) {
    int o = std::max(1, scale / 2);
    for (int dy = -o; dy <= o; dy += o)
        for (int dx = -o; dx <= o; dx += o)
            if (dx || dy) Text(x + dx, y + dy, s, scale, outline);
    Text(x, y, s, scale, c);
}

void Canvas::TextShadowed(int x, int y, const std::string& s, int scale, Rgba c, Rgba shadow) {
    int o = std::max(1, scale / 2);
    Text(x + o, y + o, s, scale, shadow);
    Text(x, y, s, scale, c);
}

void Canvas::TextCentered(int cx, int y, const std::string& s, int scale, Rgba c, Rgba outline) {
    TextOutlined(cx - TextWidth(s, scale) / 2, y, s, scale, c, outline);
}

bool Canvas::WritePng(const std::string& path) const {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    return stbi_write_png(path.c_str(), w_, h_, 4, px_.data(), w_ * 4) != 0;
}

uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

uint32_t Hash2(int x, int y, uint32_t seed) {
    return Hash(static_cast<uint32_t>(x) * 0x9E3779B1u ^ Hash(static_cast<uint32_t>(y) + seed * 0x85EBCA77u));
}

float ValueNoise(float x, float y, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    auto v = [&](int a, int b) { return (Hash2(a, b, seed) & 0xFFFF) / 65535.0f; };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx;
    float bot = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx;
    return top + (bot - top) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, seed + i * 101) * amp;
        norm += amp;
        x *= 2.0f;
        y *= 2.0f;
        amp *= 0.5f;
    }
    return sum / norm;
}

}  // namespace cg
