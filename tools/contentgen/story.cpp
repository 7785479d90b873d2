#include "story.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "palette.h"

namespace cg {

using namespace pal;

namespace {

// A banner on a pole: the army marker of one side, centred on its point.
Canvas ArmyMarker(Rgba col) {
    Canvas c(64, 64);
    c.FillEllipse(32, 56, 14, 4, WithAlpha(kInk, 120));
    c.Line(24, 56, 24, 8, 3, kEarth);
    c.FillPolygon({{25, 9}, {54, 14}, {48, 24}, {54, 34}, {25, 34}}, kInk);
    c.FillPolygon({{26, 11}, {51, 15}, {45, 24}, {51, 32}, {26, 32}}, col);
    c.FillCircle(36, 22, 4, kBone);
    return c;
}

// A broad arrow pointing right (angle 0); markers turn it to face their way.
Canvas ArrowMarker(Rgba col) {
    Canvas c(128, 64);
    std::vector<Point> outer = {{4, 22}, {80, 18}, {80, 4}, {124, 32}, {80, 60}, {80, 46}, {4, 42}};
    std::vector<Point> inner = {{8, 25}, {83, 21}, {83, 11}, {118, 32}, {83, 53}, {83, 43}, {8, 39}};
    c.FillPolygon(outer, kInk);
    c.FillPolygon(inner, col);
    c.FillPolygon({{8, 25}, {83, 21}, {83, 11}, {118, 32}, {8, 32}}, WithAlpha(kBone, 50));
    return c;
}

Canvas CastleMarker() {
    Canvas c(64, 64);
    c.FillRect(12, 26, 40, 30, kInk);
    c.FillRect(14, 28, 36, 26, kMist);
    for (int k = 0; k < 5; ++k) c.FillRect(12 + 8 * k, 20, 6, 8, kInk);
    for (int k = 0; k < 5; ++k) c.FillRect(13 + 8 * k, 21, 4, 7, kMist);
    c.FillRect(27, 40, 10, 14, kEarth);
    c.Line(32, 20, 32, 4, 2, kEarth);
    c.FillPolygon({{33, 4}, {46, 8}, {33, 12}}, kGold);
    return c;
}

Canvas StarMarker(Rgba col) {
    Canvas c(64, 64);
    std::vector<Point> star;
    for (int i = 0; i < 10; ++i) {
        float a = -1.5707963f + i * 3.14159265f / 5;
        float r = (i % 2) ? 12.0f : 28.0f;
        star.push_back({32 + std::cos(a) * r, 33 + std::sin(a) * r});
    }
    c.RadialGlow(32, 32, 32, WithAlpha(col, 120));
    c.FillPolygon(star, col);
    return c;
}

// A territory: a soft-edged region of one colour, laid over the strategy map.
Canvas ForceField(Rgba col, uint32_t seed) {
    Canvas c(512, 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float dx = (x - 256) / 256.0f, dy = (y - 256) / 256.0f;
            float d = std::sqrt(dx * dx + dy * dy) + 0.35f * (Fbm(x / 90.0f, y / 90.0f, seed, 3) - 0.5f);
            float a = std::clamp((0.85f - d) * 6.0f, 0.0f, 1.0f);
            if (a <= 0) continue;
            // Hatching makes the region read as a territory, not a fog.
            bool hatch = ((x + y) / 6) % 3 == 0;
            c.Set(x, y, WithAlpha(col, static_cast<uint8_t>(a * (hatch ? 150 : 90))));
        }
    return c;
}

Canvas Crest() {
    Canvas c(256, 256);
    c.FillCircle(128, 128, 120, kInk);
    c.FillCircle(128, 128, 115, kNight);
    c.Ring(128, 128, 104, 5, kGold);
    c.FillPolygon({{88, 70}, {108, 70}, {128, 150}, {148, 70}, {168, 70}, {138, 190}, {118, 190}}, kBone);
    c.Line(70, 200, 186, 200, 3, kGold);
    return c;
}

Canvas Sword() {
    Canvas c(128, 256);
    c.FillPolygon({{58, 20}, {64, 6}, {70, 20}, {70, 180}, {58, 180}}, kMist);
    c.FillPolygon({{64, 6}, {70, 20}, {70, 180}, {64, 180}}, Shade(kMist, 0.8f));
    c.FillRect(36, 180, 56, 10, kGold);
    c.FillRect(59, 190, 10, 44, kEarth);
    c.FillCircle(64, 240, 8, kGold);
    return c;
}

Canvas Letter() {
    Canvas c(256, 192);
    c.FillRect(8, 8, 240, 176, kInk);
    c.FillRect(10, 10, 236, 172, kBone);
    c.Noise(10, 10, 236, 172, 3030, 30.0f, WithAlpha(kSand, 255), WithAlpha(kBone, 255), 0.5f);
    for (int r = 0; r < 8; ++r) c.FillRect(30, 34 + 16 * r, 150 + (r * 37) % 50, 2, WithAlpha(kEarth, 160));
    c.FillCircle(200, 150, 16, kEmber);
    c.Ring(200, 150, 11, 2, kWine);
    return c;
}

}  // namespace

int WriteStoryImages(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const Canvas& c) {
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("graphics/Marker/army_blue.png", ArmyMarker(kSky));
    put("graphics/Marker/army_red.png", ArmyMarker(kEmber));
    put("graphics/Marker/army_green.png", ArmyMarker(kLeaf));
    put("graphics/Marker/arrow_blue.png", ArrowMarker(kSky));
    put("graphics/Marker/arrow_red.png", ArrowMarker(kEmber));
    put("graphics/Marker/castle.png", CastleMarker());
    put("graphics/Marker/star.png", StarMarker(kGold));
    put("graphics/ForcesField/force_blue.png", ForceField(kSky, 61));
    put("graphics/ForcesField/force_red.png", ForceField(kEmber, 62));
    put("graphics/ForcesField/force_green.png", ForceField(kLeaf, 63));
    put("graphics/ForcesField/force_gold.png", ForceField(kGold, 64));
    put("graphics/Picture/crest.png", Crest());
    put("graphics/Picture/sword.png", Sword());
    put("graphics/Picture/letter.png", Letter());
    return failures;
}

}  // namespace cg
