#include "effects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "palette.h"

namespace cg {

using namespace pal;

namespace {

constexpr float kPi = 3.14159265f;

Canvas Glow(int size, Rgba col, float core) {
    Canvas c(size, size);
    float h = size * 0.5f;
    c.RadialGlow(h, h, h, col);
    if (core > 0) c.RadialGlow(h, h, h * core, WithAlpha(kBone, 255));
    return c;
}

Canvas Circle(int size, Rgba col, int spokes, bool runes) {
    Canvas c(size, size);
    float h = size * 0.5f, r = h - 3;
    c.Ring(h, h, r, 3, col);
    c.Ring(h, h, r * 0.78f, 2, col);
    c.Ring(h, h, r * 0.35f, 2, col);
    for (int i = 0; i < spokes; ++i) {
        float a = i * 2 * kPi / spokes;
        float b = (i + spokes / 2 - 1) * 2 * kPi / spokes;
        c.Line(h + std::cos(a) * r * 0.78f, h + std::sin(a) * r * 0.78f, h + std::cos(b) * r * 0.78f,
               h + std::sin(b) * r * 0.78f, 1.5f, WithAlpha(col, 200));
    }
    if (runes)
        for (int i = 0; i < 16; ++i) {
            float a = i * 2 * kPi / 16;
            float x = h + std::cos(a) * r * 0.89f, y = h + std::sin(a) * r * 0.89f;
            c.FillRect(static_cast<int>(x) - 1, static_cast<int>(y) - 2, 3, 5, col);
        }
    return c;
}

Canvas Burst(int size, Rgba inner, Rgba outer, uint32_t seed) {
    Canvas c(size, size);
    float h = size * 0.5f;
    Rng rng(seed);
    c.RadialGlow(h, h, h, WithAlpha(outer, 200));
    for (int i = 0; i < 14; ++i) {
        float a = rng.Unit() * 2 * kPi, d = h * (0.2f + 0.5f * rng.Unit());
        c.RadialGlow(h + std::cos(a) * d * 0.6f, h + std::sin(a) * d * 0.6f, h * 0.35f, WithAlpha(inner, 170));
    }
    c.RadialGlow(h, h, h * 0.4f, WithAlpha(kBone, 255));
    return c;
}

Canvas Cloud(int size, Rgba col, uint32_t seed) {
    Canvas c(size, size);
    float h = size * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f - h) / h, dy = (y + 0.5f - h) / h;
            float fall = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            float n = Fbm(x / 24.0f, y / 24.0f, seed, 4);
            float a = std::clamp(fall * 1.6f * (n * 1.4f - 0.2f), 0.0f, 1.0f);
            c.Set(x, y, WithAlpha(col, static_cast<uint8_t>(a * 255)));
        }
    return c;
}

Canvas Beam(int w, int h, Rgba col) {
    Canvas c(w, h);
    for (int x = 0; x < w; ++x) {
        float d = std::fabs(x + 0.5f - w * 0.5f) / (w * 0.5f);
        float a = std::max(0.0f, 1.0f - d);
        Rgba m = Mix(col, kBone, std::max(0.0f, 1.0f - d * 3));
        for (int y = 0; y < h; ++y) c.Set(x, y, WithAlpha(m, static_cast<uint8_t>(a * a * 255)));
    }
    return c;
}

Canvas Lightning(int w, int h, uint32_t seed) {
    Canvas c(w, h);
    Rng rng(seed);
    float x = w * 0.5f;
    for (int y = 0; y < h; y += 8) {
        float nx = std::clamp(x + rng.Range(-9, 9), 8.0f, w - 8.0f);
        c.Line(x, static_cast<float>(y), nx, static_cast<float>(y + 8), 7, WithAlpha(kSky, 120));
        c.Line(x, static_cast<float>(y), nx, static_cast<float>(y + 8), 2.5f, kBone);
        x = nx;
    }
    return c;
}

Canvas Flare(int size, Rgba col, int rays) {
    Canvas c(size, size);
    float h = size * 0.5f;
    c.RadialGlow(h, h, h * 0.6f, WithAlpha(col, 200));
    for (int i = 0; i < rays; ++i) {
        float a = i * kPi / rays;
        c.Line(h - std::cos(a) * h, h - std::sin(a) * h, h + std::cos(a) * h, h + std::sin(a) * h, 2, WithAlpha(col, 110));
    }
    c.RadialGlow(h, h, h * 0.2f, WithAlpha(kBone, 255));
    c.Ring(h, h, h * 0.75f, 1.5f, WithAlpha(col, 90));
    return c;
}

Canvas Wave(int size) {
    Canvas c(size, size);
    float h = size * 0.5f;
    for (int k = 0; k < 4; ++k) c.Ring(h, h, h * (0.45f + 0.16f * k), 4 - k * 0.7f, WithAlpha(kBone, static_cast<uint8_t>(220 - 45 * k)));
    return c;
}

}  // namespace

Canvas MakeDamageNumbers() {
    Canvas c(512, 256);
    // Digits d at (40 d, 0), 40x50; strips of 300x60 at y 50, 110 and 170. White so
    // that the pop-ups can tint them.
    for (int d = 0; d < 10; ++d) {
        std::string s(1, static_cast<char>('0' + d));
        c.TextXY(40 * d + 7 + 2, 5 + 2, s, 5, 6, WithAlpha(kInk, 200));
        for (int oy = -2; oy <= 2; oy += 2)
            for (int ox = -2; ox <= 2; ox += 2)
                if (ox || oy) c.TextXY(40 * d + 7 + ox, 4 + oy, s, 5, 6, kInk);
        c.TextXY(40 * d + 7, 4, s, 5, 6, kBone);
    }
    const char* strips[3] = {"RESIST", "CRITICAL!", "DODGE"};
    const Rgba cols[3] = {kSky, kGold, kMist};
    for (int k = 0; k < 3; ++k) {
        int y = 50 + 60 * k;
        int w = Canvas::TextWidth(strips[k], 5);
        int x = (300 - w) / 2;
        for (int oy = -2; oy <= 2; oy += 2)
            for (int ox = -2; ox <= 2; ox += 2)
                if (ox || oy) c.TextXY(x + ox, y + 12 + oy, strips[k], 5, 5, kInk);
        c.TextXY(x, y + 12, strips[k], 5, 5, cols[k]);
    }
    return c;
}

int WriteEffectTextures(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& name, const Canvas& c) {
        std::string rel = "model/" + name + ".png";
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("bomb02_c", Burst(128, kGold, kEmber, 1));
    put("DamageCircle", Circle(128, kBone, 0, false));
    put("beam1", Beam(64, 256, kSky));
    put("ball", Glow(32, kSky, 0.3f));
    put("bomb3b", Burst(128, kBone, kAmber, 2));
    put("ball2", Glow(64, kGold, 0.25f));
    put("ball4", Glow(64, kMist, 0.35f));
    put("BladeCircle", Circle(128, kMist, 6, false));
    put("fire01", Burst(64, kGold, kEmber, 3));
    put("water01", Glow(64, kSky, 0.2f));
    put("WhiteWave", Wave(128));
    {
        // Drawn multiplying the scene behind it: white leaves the scene as it is.
        Canvas dark(128, 128, RGB(0xFFFFFF));
        dark.Blit(Cloud(128, Shade(kWine, 0.5f), 11), 0, 0, 128, 128, 0, 0);
        dark.RadialGlow(64, 64, 40, WithAlpha(kInk, 230));
        put("DarkBall", dark);
    }
    put("LightBall", Glow(128, kBone, 0.3f));
    put("LightBall2", Flare(128, kGold, 4));
    put("MagicCircle1", Circle(128, kSky, 8, true));
    put("MagicCircle2", Circle(128, kGold, 5, true));
    put("Thunder1", Lightning(64, 256, 5));
    put("cloud1", Cloud(128, kMist, 12));
    put("LensFlare1", Flare(128, kSky, 6));
    put("LensFlare2", Flare(64, kGold, 3));
    put("RecoverFlare", Flare(128, kLeaf, 4));
    put("DamageNumber", MakeDamageNumbers());
    return failures;
}

}  // namespace cg
