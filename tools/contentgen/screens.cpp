#include "screens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "palette.h"

namespace cg {

using namespace pal;

namespace {

// The house window: dark body, ink outline, a gold line and an amber inner line.
void Window(Canvas& c, int x, int y, int w, int h, uint8_t alpha = 235) {
    c.GradientV(x, y, w, h, WithAlpha(kNight, alpha), WithAlpha(Shade(kNight, 0.6f), alpha), true);
    c.FrameRect(x, y, w, h, kInk, 1);
    c.FrameRect(x + 1, y + 1, w - 2, h - 2, kGold, 1);
    c.FrameRect(x + 2, y + 2, w - 4, h - 4, WithAlpha(kAmber, 200), 1);
}

// A recessed box inside a window, where texts or plates go.
void Inset(Canvas& c, int x, int y, int w, int h, Rgba tint = kSlate) {
    c.FillRect(x, y, w, h, WithAlpha(Shade(tint, 0.55f), 220), true);
    c.FillRect(x, y, w, 1, kInk);
    c.FillRect(x, y, 1, h, kInk);
    c.FillRect(x, y + h - 1, w, 1, WithAlpha(kMist, 90));
    c.FillRect(x + w - 1, y, 1, h, WithAlpha(kMist, 90));
}

void Button(Canvas& c, int x, int y, int w, int h, const std::string& label, Rgba body) {
    c.Panel(x, y, w, h, body, Shade(body, 1.35f), Shade(body, 0.6f), kInk);
    c.TextShadowed(x + (w - Canvas::TextWidth(label, 1)) / 2, y + (h - 7) / 2, label, 1, kBone, kInk);
}

void Label(Canvas& c, int x, int y, const std::string& s, Rgba col = kSand) { c.TextShadowed(x, y, s, 1, col, kInk); }

void Gem(Canvas& c, float cx, float cy, float r, Rgba col) {
    c.FillPolygon({{cx, cy - r - 1}, {cx + r + 1, cy}, {cx, cy + r + 1}, {cx - r - 1, cy}}, kInk);
    c.FillPolygon({{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, col);
}

}  // namespace

Canvas MakeTurnLogo(bool player) {
    Canvas c(512, 128);
    Rgba col = player ? kSky : kEmber;
    Rgba dark = player ? kSea : kWine;
    // A band across the screen, fading at both ends; drawn at (64, 176).
    for (int x = 0; x < 512; ++x) {
        float e = std::min(x, 511 - x) / 90.0f;
        uint8_t a = static_cast<uint8_t>(210 * std::min(1.0f, e));
        c.GradientV(x, 34, 1, 60, WithAlpha(dark, a), WithAlpha(Shade(dark, 0.5f), a), true);
        c.Set(x, 34, WithAlpha(col, a));
        c.Set(x, 93, WithAlpha(col, a));
    }
    const std::string text = player ? "PLAYER PHASE" : "ENEMY PHASE";
    c.TextCentered(256, 46, text, 5, kBone, kInk);
    c.FillRect(256 - Canvas::TextWidth(text, 5) / 2, 46, Canvas::TextWidth(text, 5), 2, WithAlpha(col, 160));
    Gem(c, 40, 64, 6, col);
    Gem(c, 472, 64, 6, col);
    return c;
}

Canvas MakeMiniMapIcons() {
    Canvas c(256, 32);
    // Unit icons n at (16n, 0): 0 enemy hero, 1 enemy, 2 friendly hero, 3 friendly.
    const Rgba cols[4] = {kEmber, kEmber, kSky, kSky};
    for (int n = 0; n < 4; ++n) {
        float cx = 16 * n + 8, cy = 8;
        c.FillCircle(cx, cy, 6.5f, kInk);
        c.FillCircle(cx, cy, 5.2f, cols[n]);
        if (n % 2 == 0) c.FillCircle(cx, cy, 2.2f, kGold);  // heroes carry a gold core
    }
    // Sortie markers i at (64 + 32i, 0), 32x32.
    for (int i = 0; i < 6; ++i) {
        float cx = 64 + 32 * i + 16, cy = 16;
        c.FillPolygon({{cx, cy - 14}, {cx + 14, cy}, {cx, cy + 14}, {cx - 14, cy}}, kInk);
        c.FillPolygon({{cx, cy - 12}, {cx + 12, cy}, {cx, cy + 12}, {cx - 12, cy}}, WithAlpha(kGold, 200));
        c.TextCentered(static_cast<int>(cx), static_cast<int>(cy) - 3, std::string(1, static_cast<char>('A' + i)), 1, kInk,
                       WithAlpha(kBone, 0));
    }
    return c;
}



Canvas MakeBattleWindow() {
    Canvas c(256, 256);
    // Cells of 155x80: the first side (0, 0), the second (0, 80); an HP bar of 130
    // pixels 43 below the cell top, from x 13.
    const Rgba tints[2] = {kSea, kWine};
    for (int k = 0; k < 2; ++k) {
        int y = 80 * k;
        c.GradientV(0, y, 155, 80, WithAlpha(Shade(tints[k], 0.8f), 220), WithAlpha(Shade(tints[k], 0.35f), 220), true);
        c.FrameRect(0, y, 155, 80, kInk, 1);
        c.FrameRect(1, y + 1, 153, 78, kGold, 1);
        c.FillRect(12, y + 42, 132, 8, kInk);
        c.GradientH(13, y + 43, 130, 6, kLeaf, Shade(kLeaf, 1.3f), true);
        Label(c, 6, y + 30, "HP", kMist);
    }
    return c;
}

Canvas MakeGameOver() {
    Canvas c(512, 256);
    // Drawn at (0, 224) as (0, 0)-(512, 256) on a screen 640 wide: the screen's centre
    // is the picture's x 320.  The words are centred there, on a band that fades out
    // to both sides as far from that centre on the left as on the right, so it has
    // faded out by x 496, inside the picture, and as much before x 144.
    constexpr int kCentre = 320, kReach = 176, kSolid = 124;
    for (int x = kCentre - kReach; x < kCentre + kReach; ++x) {
        const float e = (kReach - std::abs(x + 0.5f - kCentre)) / (kReach - kSolid);
        const uint8_t a = static_cast<uint8_t>(220 * std::clamp(e, 0.0f, 1.0f));
        c.GradientV(x, 40, 1, 120, WithAlpha(kWine, a), WithAlpha(kInk, a), true);
        c.Set(x, 40, WithAlpha(kGold, static_cast<uint8_t>(a * 0.8f)));
        c.Set(x, 159, WithAlpha(kGold, static_cast<uint8_t>(a * 0.8f)));
    }
    // The title in letters 5 wide and 7 tall per font pixel, outlined in ink.
    const std::string title = "GAME OVER";
    const int tx = kCentre - Canvas::TextWidth(title, 5) / 2;
    for (int dy = -2; dy <= 2; dy += 2)
        for (int dx = -2; dx <= 2; dx += 2)
            if (dx || dy) c.TextXY(tx + dx, 66 + dy, title, 5, 7, kInk);
    c.TextXY(tx, 66, title, 5, 7, kEmber);
    c.TextCentered(kCentre, 134, "THE BANNER HAS FALLEN", 2, kBone, kInk);
    return c;
}

Canvas MakeToBeContinued() {
    Canvas c(256, 64);
    c.GradientH(0, 14, 240, 40, WithAlpha(kInk, 200), WithAlpha(kInk, 0));
    c.TextOutlined(8, 22, "TO BE CONTINUED", 2, kGold, kInk);
    c.FillRect(8, 42, 180, 1, kGold);
    return c;
}

Canvas MakeVisualBackground() {
    Canvas c(128, 1024);
    // A vertical strip repeated five times across the screen from y = -272.
    c.GradientV(0, 0, 128, 1024, kInk, kNight, true);
    c.GradientV(0, 272, 128, 480, kNight, Shade(kSlate, 0.8f), true);
    for (int y = 280; y < 752; y += 32) c.FillRect(0, y, 128, 1, WithAlpha(kSteel, 40));
    c.FillRect(0, 272, 1, 480, WithAlpha(kSteel, 30));
    return c;
}

Canvas MakeMissionArgue() {
    Canvas c(512, 512);
    // Two halves of 512x256; each slides in from the right at (x, -20).
    for (int half = 0; half < 2; ++half) {
        int y0 = 256 * half;
        c.GradientH(0, y0 + 40, 512, 60, WithAlpha(kInk, 0), WithAlpha(kInk, 220));
        c.FillRect(0, y0 + 100, 512, 2, kGold);
        c.TextOutlined(120, y0 + 55, half == 0 ? "MISSION BRIEFING" : "CHAPTER BRIEFING", 3, kGold, kInk);
    }
    return c;
}

Canvas MakeMissionArgueBack(bool field) {
    Canvas c(512, 512);
    // Scaled to the whole screen (1.25 x 0.9375) under a dimming square.
    if (field) {
        c.GradientV(0, 0, 512, 512, kMoss, Shade(kMoss, 0.4f), true);
        c.Noise(0, 0, 512, 512, 4040, 48.0f, WithAlpha(Shade(kMoss, 0.5f), 255), WithAlpha(kLeaf, 255), 0.5f);
        for (int k = 0; k < 512; k += 64) {
            c.FillRect(k, 0, 1, 512, WithAlpha(kInk, 60));
            c.FillRect(0, k, 512, 1, WithAlpha(kInk, 60));
        }
    } else {
        c.GradientV(0, 0, 512, 512, kSlate, kNight, true);
        c.Noise(0, 0, 512, 512, 4141, 64.0f, WithAlpha(kNight, 255), WithAlpha(kSteel, 255), 0.4f);
        c.Ring(256, 256, 180, 6, WithAlpha(kGold, 120));
        c.Ring(256, 256, 120, 3, WithAlpha(kGold, 90));
    }
    return c;
}

int WriteScreenImages(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const Canvas& c) {
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("graphics/TurnLogo_Player.png", MakeTurnLogo(true));
    put("graphics/TurnLogo_Enemy.png", MakeTurnLogo(false));
    put("graphics/MiniMapIcon.png", MakeMiniMapIcons());
    put("graphics/BattleWindow.png", MakeBattleWindow());
    put("graphics/GameOver.png", MakeGameOver());
    put("graphics/ToBeContinued.png", MakeToBeContinued());
    put("graphics/VisualBackGround.png", MakeVisualBackground());
    put("graphics/MissionArgue.png", MakeMissionArgue());
    put("graphics/MissionArgueFBack.png", MakeMissionArgueBack(true));
    put("graphics/MissionArgueCBack.png", MakeMissionArgueBack(false));
    return failures;
}

}  // namespace cg
