#include "images.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "palette.h"

namespace cg {

using namespace pal;

namespace {

constexpr float kPi = 3.14159265f;

// --- pieces shared by several pictures --------------------------------------------

// A 3x7 digit for the small number glyphs of the system sheet.
const uint8_t kSmallDigits[10][7] = {
    {7, 5, 5, 5, 5, 5, 7}, {2, 6, 2, 2, 2, 2, 7}, {7, 1, 1, 7, 4, 4, 7}, {7, 1, 1, 7, 1, 1, 7},
    {5, 5, 5, 7, 1, 1, 1}, {7, 4, 4, 7, 1, 1, 7}, {7, 4, 4, 7, 5, 5, 7}, {7, 1, 1, 2, 2, 2, 2},
    {7, 5, 5, 7, 5, 5, 7}, {7, 5, 5, 7, 1, 1, 7},
};

void SmallDigit(Canvas& c, int x, int y, int d, Rgba col) {
    for (int r = 0; r < 7; ++r)
        for (int k = 0; k < 3; ++k)
            if (kSmallDigits[d][r] & (4 >> k)) c.Set(x + k, y + r, col);
}

// A framed window body in the house style.
void HouseWindow(Canvas& c, int x, int y, int w, int h, uint8_t bodyAlpha) {
    c.GradientV(x, y, w, h, WithAlpha(kNight, bodyAlpha), WithAlpha(Shade(kNight, 0.6f), bodyAlpha), true);
    c.FrameRect(x, y, w, h, kInk, 1);
    c.FrameRect(x + 1, y + 1, w - 2, h - 2, kGold, 1);
    c.FrameRect(x + 2, y + 2, w - 4, h - 4, WithAlpha(kAmber, 200), 1);
}

// A small diamond gem.
void Gem(Canvas& c, float cx, float cy, float r, Rgba col) {
    c.FillPolygon({{cx, cy - r - 1}, {cx + r + 1, cy}, {cx, cy + r + 1}, {cx - r - 1, cy}}, kInk);
    c.FillPolygon({{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, col);
    c.FillPolygon({{cx, cy - r}, {cx + r * 0.5f, cy - r * 0.5f}, {cx, cy}, {cx - r * 0.5f, cy - r * 0.5f}},
                  WithAlpha(kBone, 160));
}

// Skill-kind and other small icons, 16x16 each.
void SmallIcon(Canvas& c, int x, int y, int n) {
    Rgba bg[] = {kSlate, kWine, kSea, kNight, kSea, kNight, kMoss, kWine, kNight, kSlate};
    c.FillRect(x + 1, y + 1, 14, 14, n < 10 ? bg[n] : kNight, true);
    c.FrameRect(x, y, 16, 16, kInk, 1);
    c.FrameRect(x + 1, y + 1, 14, 14, WithAlpha(kGold, 140), 1);
    float cx = x + 8, cy = y + 8;
    switch (n) {
        case 0:  // sword
            c.Line(x + 4, y + 12, x + 12, y + 4, 2, kBone);
            c.Line(x + 4, y + 9, x + 7, y + 12, 2, kGold);
            break;
        case 1:  // bow
            c.Ring(cx + 3, cy, 6, 1.5f, kSand);
            c.FillRect(x + 2, y + 2, 6, 12, bg[1], true);
            c.Line(cx - 1, y + 2, cx - 1, y + 14, 1, kBone);
            c.Line(x + 3, cy, x + 13, cy, 1, kMist);
            break;
        case 2:  // magic orb
            c.FillCircle(cx, cy, 4.5f, kSky);
            c.FillCircle(cx - 1.5f, cy - 1.5f, 1.5f, kBone);
            break;
        case 3:  // dark orb: magic of the second attribute
            c.FillCircle(cx, cy, 4.5f, kEmber);
            c.FillCircle(cx - 1.5f, cy - 1.5f, 1.5f, kGold);
            break;
        case 4:  // light orb with rays: magic on every member
        case 5:  // dark orb with rays
            for (int k = 0; k < 4; ++k) {
                const float dx = (k % 2 ? 1.f : -1.f) * 5.f, dy = (k / 2 ? 1.f : -1.f) * 5.f;
                c.Line(cx, cy, cx + dx, cy + dy, 1, n == 4 ? kMist : kGold);
            }
            c.FillCircle(cx, cy, 3.5f, n == 4 ? kSky : kEmber);
            break;
        case 6:  // healing cross: support magic
            c.FillRect(x + 6, y + 3, 4, 10, kLeaf);
            c.FillRect(x + 3, y + 6, 10, 4, kLeaf);
            break;
        case 7:  // flame
            c.FillEllipse(cx, cy + 2, 4, 5, kEmber);
            c.FillPolygon({{cx - 3, cy}, {cx, y + 2.f}, {cx + 3, cy}}, kEmber);
            c.FillEllipse(cx, cy + 3, 2, 3, kGold);
            break;
        case 8:  // lightning
            c.FillPolygon({{cx + 1, y + 2.f}, {cx - 4, cy + 1}, {cx, cy + 1}, {cx - 2, y + 14.f}, {cx + 4, cy - 1},
                           {cx, cy - 1}},
                          kGold);
            break;
        case 9:  // passive: eye
            c.FillEllipse(cx, cy, 6, 3.5f, kBone);
            c.FillCircle(cx, cy, 2.2f, kSea);
            break;
        case 10:  // charge mark
            c.FillRect(x + 1, y + 1, 14, 14, kAmber, true);
            c.FillPolygon({{cx + 1, y + 2.f}, {cx - 4, cy + 1}, {cx, cy + 1}, {cx - 2, y + 14.f}, {cx + 4, cy - 1},
                           {cx, cy - 1}},
                          kBone);
            break;
        default:
            Gem(c, cx, cy, 4, n % 2 ? kEmber : kSky);
            break;
    }
}

// The emblem of one force: a 64x80 shield.
const char* const kForceNames[10] = {"IMPERIAL ARMY", "FREE CITIES", "NORTH CLANS", "VORMANT LEGION", "RIVER LEAGUE",
                                     "BANDITS", "TEMPLE GUARD", "WILD BEASTS", "MERCENARIES", "UNKNOWN"};
const Rgba kForceColours[10] = {kEmber, kSand, kMist, kSteel, kSea, kEarth, kBone, kMoss, kAmber, kSlate};

void ForceEmblem(Canvas& c, int x, int y, int n) {
    Rgba col = kForceColours[n];
    std::vector<Point> shield = {{x + 8.f, y + 8.f}, {x + 56.f, y + 8.f}, {x + 56.f, y + 42.f}, {x + 32.f, y + 74.f},
                                 {x + 8.f, y + 42.f}};
    std::vector<Point> outer = {{x + 5.f, y + 5.f}, {x + 59.f, y + 5.f}, {x + 59.f, y + 43.f}, {x + 32.f, y + 78.f},
                                {x + 5.f, y + 43.f}};
    c.FillPolygon(outer, kInk);
    c.FillPolygon({{x + 6.f, y + 6.f}, {x + 58.f, y + 6.f}, {x + 58.f, y + 43.f}, {x + 32.f, y + 76.f}, {x + 6.f, y + 43.f}},
                  kGold);
    c.FillPolygon(shield, col);
    c.FillPolygon({{x + 8.f, y + 8.f}, {x + 32.f, y + 8.f}, {x + 32.f, y + 74.f}, {x + 8.f, y + 42.f}}, WithAlpha(kBone, 40));
    // A device per force.
    float cx = x + 32, cy = y + 36;
    switch (n % 5) {
        case 0: c.FillPolygon({{cx, cy - 16}, {cx + 12, cy}, {cx, cy + 16}, {cx - 12, cy}}, kInk); break;
        case 1: c.Ring(cx, cy, 11, 4, kInk); break;
        case 2: c.FillPolygon({{cx - 14, cy + 10}, {cx, cy - 14}, {cx + 14, cy + 10}}, kInk); break;
        case 3:
            c.Line(cx - 12, cy - 14, cx, cy + 14, 5, kInk);
            c.Line(cx + 12, cy - 14, cx, cy + 14, 5, kInk);
            break;
        case 4:
            c.FillRect(static_cast<int>(cx) - 3, static_cast<int>(cy) - 15, 6, 30, kInk);
            c.FillRect(static_cast<int>(cx) - 13, static_cast<int>(cy) - 3, 26, 6, kInk);
            break;
    }
    Gem(c, cx, y + 14, 3, kBone);
}

void ForceLabel(Canvas& c, int x, int y, int n) {
    c.GradientH(x, y + 4, 180, 24, WithAlpha(kNight, 230), WithAlpha(kNight, 0));
    c.GradientH(x, y + 4, 180, 1, kGold, WithAlpha(kGold, 0));
    c.GradientH(x, y + 27, 180, 1, kGold, WithAlpha(kGold, 0));
    c.TextShadowed(x + 6, y + 9, kForceNames[n], 2, kBone, kInk);
}

// The plate behind a unit's name, HP and MP, in the layout the plate texts use
// (local x: name 45, HP 70, HP bar 70-163 at y 34, MP 48 at y 44).
void UnitPlateBack(Canvas& c, int x, int y, int w, bool detailed) {
    c.FillRect(x + 2, y + 2, w - 4, 60, WithAlpha(kNight, 215), true);
    c.FrameRect(x + 2, y + 2, w - 4, 60, kInk, 1);
    c.FrameRect(x + 3, y + 3, w - 6, 58, kGold, 1);
    int o = detailed ? 0 : -18;  // the small plate is the same layout seen from x 18
    c.FillRect(x + o + 43, y + 5, 118, 14, WithAlpha(kSlate, 200));
    c.Text(x + o + 50, y + 23, "HP", 1, kMist);
    c.FillRect(x + o + 69, y + 33, 95, 6, kInk);
    c.Text(x + o + 28, y + 46, "MP", 1, kSky);
    if (detailed) {
        c.FillRect(x + 168, y + 4, 36, 34, WithAlpha(kInk, 160));
        const char* labels[4] = {"S", "M", "D", "A"};
        for (int i = 0; i < 4; ++i) c.Text(x + 170, y + 5 + 8 * i, labels[i], 1, kSand);
        c.FillRect(x + 166, y + 50, 40, 10, WithAlpha(kInk, 160));
    }
}

}  // namespace

// --- the system sheet -------------------------------------------------------------------

Canvas MakeSystemSheet() {
    Canvas c(1024, 1024);

    // Window frame pieces, rows 0-5: left corner (0-49), top and bottom edge (50-149),
    // right corner (150-199), side edge (200-207).  The edge pieces are drawn the same
    // way up at a window's top and bottom, and the bottom one lies over the last six
    // rows of the body, where the information strip's text still runs: so the rule sits
    // in the last two rows and the four above stay clear.  The side edge, stretched down
    // the window, keeps its rule in the middle columns; a rivet at each end of a
    // corner piece covers the meeting of the rules.
    for (int x = 0; x < 200; ++x) {
        c.Set(x, 4, kGold);
        c.Set(x, 5, kAmber);
    }
    for (int x : {0, 192}) {
        c.FillRect(x, 0, 8, 6, kInk, true);
        c.FillRect(x + 1, 1, 6, 4, kEmber, true);
        c.FillRect(x + 2, 1, 2, 2, kBone, true);
    }
    c.FillRect(203, 0, 1, 6, kGold, true);
    c.FillRect(204, 0, 1, 6, kAmber, true);

    // Small icons n at (16(13+n), 0).
    for (int n = 0; n < 20; ++n) SmallIcon(c, 16 * (13 + n), 0, n);
    // Small digits d at (528 + 4d, 0), 4x7 each.
    for (int d = 0; d < 10; ++d) SmallDigit(c, 528 + 4 * d, 0, d, kBone);

    // HP bar (0, 16)-(93, 20).
    c.GradientH(0, 16, 93, 4, kLeaf, Shade(kLeaf, 1.3f), true);
    c.FillRect(0, 19, 93, 1, kMoss, true);

    // Message background (0, 32)-(640, 176): a dark band that fades at both ends.
    for (int x = 0; x < 640; ++x) {
        float e = std::min(x, 639 - x) / 120.0f;
        uint8_t a = static_cast<uint8_t>(220 * std::min(1.0f, e));
        c.GradientV(x, 32, 1, 144, WithAlpha(kNight, a), WithAlpha(Shade(kNight, 0.5f), a), true);
        c.Set(x, 36, WithAlpha(kGold, static_cast<uint8_t>(a * 0.9f)));
        c.Set(x, 171, WithAlpha(kGold, static_cast<uint8_t>(a * 0.9f)));
    }

    // Serif band (0, 176)-(640, 304): the speech window under the portrait.
    HouseWindow(c, 4, 180, 632, 120, 215);
    c.GradientH(7, 183, 200, 114, WithAlpha(kSlate, 120), WithAlpha(kSlate, 0));
    Gem(c, 16, 190, 4, kEmber);
    Gem(c, 624, 290, 4, kEmber);

    // Place-name background (0, 304)-(640, 452).
    for (int x = 0; x < 640; ++x) {
        float e = std::min(x, 639 - x) / 200.0f;
        uint8_t a = static_cast<uint8_t>(200 * std::min(1.0f, e));
        for (int y = 304; y < 452; ++y) {
            float v = std::min(y - 304, 451 - y) / 30.0f;
            c.Set(x, y, WithAlpha(kInk, static_cast<uint8_t>(a * std::min(1.0f, v))));
        }
        c.Set(x, 318, WithAlpha(kGold, a));
        c.Set(x, 437, WithAlpha(kGold, a));
    }

    // Stretchable panel (640, 128)-(912, 256).
    HouseWindow(c, 640, 128, 272, 128, 230);
    c.GradientV(643, 131, 266, 40, WithAlpha(kSteel, 70), WithAlpha(kSteel, 0));

    // Status panels n at (640, 256 + 96n), 224x96: 0 dark, 1 light, 2 enemy, 3 ally.
    // The attribute panels 0 and 1 are badges, a crescent and a sun, that the status
    // window lays beside the portrait's lower corner; clear elsewhere.
    for (int n = 0; n < 2; ++n) {
        const int y = 256 + 96 * n;
        const float cx = 640 + 88, cy = y + 48;
        const Rgba ring = n == 0 ? kWine : kGold, body = n == 0 ? kInk : kAmber;
        c.FillCircle(cx, cy, 27, WithAlpha(kInk, 200));
        c.FillCircle(cx, cy, 25, ring);
        c.FillCircle(cx, cy, 21, body);
        if (n == 0) {  // a crescent
            c.FillCircle(cx - 3, cy, 13, kMist);
            c.FillCircle(cx + 4, cy - 3, 12, body);
        } else {  // a sun
            for (int k = 0; k < 8; ++k) {
                const float a = k * kPi / 4;
                c.Line(cx + 9 * std::cos(a), cy + 9 * std::sin(a), cx + 17 * std::cos(a), cy + 17 * std::sin(a), 2, kBone);
            }
            c.FillCircle(cx, cy, 7, kBone);
        }
    }
    const Rgba panelBody[4] = {kNight, kSlate, kWine, Shade(kMoss, 0.7f)};
    for (int n = 2; n < 4; ++n) {
        int y = 256 + 96 * n;
        HouseWindow(c, 640, y, 224, 96, 235);
        c.GradientV(643, y + 3, 218, 90, WithAlpha(panelBody[n], 235), WithAlpha(Shade(panelBody[n], 0.55f), 235));
        c.FillRect(648, y + 28, 208, 1, WithAlpha(kGold, 120));
    }
    // Panel 4 is the chapter-title band, drawn at (180, 192): its three lines stand at
    // (260, 195) 20 high, (274, 225) 30 high and (320, 262) 20 high, and a title runs up
    // to about x = 400.  So the ribbon takes the whole height of its cell, its frame in
    // the outer three pixels, a long point on the left (where no text goes) and only a
    // short one on the right, past the end of the title.
    {
        int y = 640;
        c.FillPolygon({{640, y + 48.f}, {666, y + 0.f}, {857, y + 0.f}, {864, y + 48.f}, {857, y + 96.f}, {666, y + 96.f}},
                      kInk);
        c.FillPolygon({{642, y + 48.f}, {667, y + 1.f}, {856, y + 1.f}, {862, y + 48.f}, {856, y + 95.f}, {667, y + 95.f}},
                      kGold);
        c.FillPolygon({{646, y + 48.f}, {669, y + 3.f}, {854, y + 3.f}, {859, y + 48.f}, {854, y + 93.f}, {669, y + 93.f}},
                      kNight);
        c.GradientV(669, y + 3, 185, 40, WithAlpha(kSlate, 160), WithAlpha(kSlate, 0));
        c.FillRect(700, y + 31, 150, 1, WithAlpha(kGold, 90));
        c.FillRect(700, y + 66, 150, 1, WithAlpha(kGold, 90));
        Gem(c, 656, y + 48, 4, kEmber);
    }

    // Unit plates: small (18, 560)-(173, 624), detailed (192, 560)-(416, 624).
    UnitPlateBack(c, 18, 560, 155, false);
    UnitPlateBack(c, 192, 560, 224, true);
    // Marks: front row (416, 560), back row (464, 560), hero (512, 560).
    {
        // Front row: a sword on a red disc.
        c.FillCircle(432, 576, 14, kInk);
        c.FillCircle(432, 576, 12.5f, kEmber);
        c.Line(425, 583, 439, 569, 3, kBone);
        c.Line(425, 577, 431, 583, 2, kGold);
        // Back row: a bow on a blue disc.
        c.FillCircle(484, 576, 14, kInk);
        c.FillCircle(484, 576, 12.5f, kSea);
        c.Ring(489, 576, 8, 2, kSand);
        c.FillRect(470, 566, 15, 21, kSea, true);
        c.Line(481, 568, 481, 584, 1, kBone);
        // Hero: a crown on gold.
        c.FillCircle(532, 576, 14, kInk);
        c.FillCircle(532, 576, 12.5f, kGold);
        c.FillPolygon({{522, 583}, {522, 570}, {527, 575}, {532, 567}, {537, 575}, {542, 570}, {542, 583}}, kWine);
    }

    // Slide-in force icons n at (64n, 624)-(64n + 64, 704) and their labels at (0, 32(22 + n)).
    for (int n = 0; n < 10; ++n) {
        ForceEmblem(c, 64 * n, 624, n);
        ForceLabel(c, 0, 32 * (22 + n), n);
    }
    return c;
}

// --- title ------------------------------------------------------------------------------

Canvas MakeTitleMenu() {
    Canvas c(512, 256);
    // Items at (308, 56i)-(512, 56i + 56); the pointer regions start at the left edge
    // and cover local y 15-47.
    const char* items[4] = {"NEW GAME", "LOAD GAME", "TUTORIAL", "EXIT"};
    for (int i = 0; i < 4; ++i) {
        int x = 308, y = 56 * i;
        int w = Canvas::TextWidth(items[i], 2);
        c.GradientH(x, y + 14, w + 24, 34, WithAlpha(kNight, 190), WithAlpha(kNight, 0));
        c.FillRect(x, y + 47, w + 10, 1, kGold);
        c.TextXY(x + 3, y + 22, items[i], 2, 3, kInk);
        c.TextXY(x + 2, y + 20, items[i], 2, 3, kBone);
        c.TextXY(x + 2, y + 20, items[i], 2, 1, kGold);  // a gilt top edge
    }
    // The left part of the sheet holds a small version of the emblem.
    c.FillCircle(120, 120, 80, WithAlpha(kNight, 200));
    c.Ring(120, 120, 78, 3, kGold);
    c.TextCentered(120, 110, "VORMANT", 4, kGold, kInk);
    return c;
}

Canvas MakeTitleBackground() {
    Canvas c(1024, 512);
    // Dusk sky.
    c.GradientV(0, 0, 1024, 300, kInk, kWine, true);
    c.GradientV(0, 300, 1024, 212, kWine, kAmber, true);
    Rng rng(77);
    for (int i = 0; i < 180; ++i) {
        int x = rng.Range(0, 1023), y = rng.Range(0, 220);
        c.Set(x, y, WithAlpha(kBone, static_cast<uint8_t>(rng.Range(60, 220))));
    }
    c.RadialGlow(470, 250, 240, WithAlpha(kGold, 140));
    c.FillCircle(470, 250, 34, WithAlpha(kBone, 230));
    // Far mountains, then near hills.
    for (int layer = 0; layer < 3; ++layer) {
        Rgba col = layer == 0 ? Shade(kSlate, 0.9f) : layer == 1 ? Shade(kNight, 1.0f) : kInk;
        float base = 300 + layer * 50.0f, amp = 90 - layer * 25.0f;
        std::vector<Point> pts = {{0, 512}};
        for (int x = 0; x <= 1024; x += 8)
            pts.push_back({static_cast<float>(x), base - amp * Fbm(x / 160.0f, layer * 7.0f, 900 + layer, 4)});
        pts.push_back({1024, 512});
        c.FillPolygon(pts, col);
    }
    // A castle on the hill.
    {
        float bx = 120, by = 380;
        c.FillRect(static_cast<int>(bx), static_cast<int>(by) - 60, 120, 70, kInk);
        for (int t = 0; t < 3; ++t) {
            int tx = static_cast<int>(bx) + t * 48 - 6;
            c.FillRect(tx, static_cast<int>(by) - 110, 30, 60, kInk);
            c.FillPolygon({{tx - 4.f, by - 110}, {tx + 15.f, by - 150}, {tx + 34.f, by - 110}}, kInk);
            c.FillRect(tx + 12, static_cast<int>(by) - 92, 5, 9, WithAlpha(kGold, 220));
        }
    }
    // The name.
    const std::string name = "VORMANT";
    int scale = 12;
    int w = Canvas::TextWidth(name, scale);
    int x = (640 - w) / 2, y = 70;
    c.Text(x + 6, y + 6, name, scale, WithAlpha(kInk, 200));
    c.TextOutlined(x, y, name, scale, kGold, kInk);
    for (int r = 0; r < 7 * scale; r += 2) c.FillRect(x, y + r, w, 1, WithAlpha(kAmber, 50));
    c.Text(x, y, name, scale, WithAlpha(kBone, 0));
    c.FillRect(x, y + 7 * scale + 12, w, 2, kGold);
    c.TextCentered(320, y + 7 * scale + 22, "A TACTICS CHRONICLE", 2, kBone, kInk);
    // Shade the menu's corner so the items read well.
    c.RadialGlow(520, 350, 200, WithAlpha(kInk, 170));
    return c;
}

// --- logo, telop, end -------------------------------------------------------------------

Canvas MakeLogo() {
    Canvas c(256, 256);
    // The pieces are drawn at fixed places: piece 0 (0, 0)-(256, 112) at (192, 154);
    // piece 1 (0, 112)-(64, 144) at (282, 232); piece 2 (64, 112)-(138, 128) at
    // (270, 248); piece 3 (0, 144)-(173, 176) at (247, 265); piece 4 (0, 176)-(192, 208)
    // at (230, 290).  The badge ends above y = 232 on screen (row 78 of piece 0) and
    // each line of words keeps to rows of its own: OPEN 232-246, STUDIO 249-263,
    // DEMO DATA 267-289, MADE FOR LINUX 292-306.
    c.FillCircle(128, 42, 35, kInk);
    c.FillCircle(128, 42, 33, kSlate);
    c.Ring(128, 42, 29, 2.5f, kGold);
    auto v = [](float x, float y) { return Point{128 + (x - 128) * 0.72f, 42 + (y - 58) * 0.72f}; };
    c.FillPolygon({v(100, 34), v(112, 34), v(128, 74), v(144, 34), v(156, 34), v(134, 86), v(122, 86)}, kBone);
    Gem(c, 128, 13, 4, kEmber);
    c.Line(24, 42, 88, 42, 2, kGold);
    c.Line(168, 42, 232, 42, 2, kGold);
    // Each line centred on the badge (screen x = 320) as far as its piece allows.
    auto left = [](const std::string& s, int scale, int pieceScreenX, int pieceWidth) {
        const int w = Canvas::TextWidth(s, scale);
        return std::clamp(320 - w / 2 - pieceScreenX, 0, std::max(0, pieceWidth - w));
    };
    const int open = left("OPEN", 2, 282, 64), studio = 64 + left("STUDIO", 2, 270, 74);
    c.TextXY(open + 1, 113, "OPEN", 2, 2, kInk);
    c.TextXY(open, 112, "OPEN", 2, 2, kBone);
    c.TextXY(studio + 1, 114, "STUDIO", 2, 2, kInk);
    c.TextXY(studio, 113, "STUDIO", 2, 2, kGold);
    c.TextOutlined(left("DEMO DATA", 3, 247, 173), 146, "DEMO DATA", 3, kBone, kInk);
    c.TextOutlined(left("MADE FOR LINUX", 2, 230, 192), 179, "MADE FOR LINUX", 2, kSky, kInk);
    return c;
}

Canvas MakeChapterTelopEffect() {
    Canvas c(512, 512);
    // Drawn scaled about its top-left corner placed at (162 - 162 sx, 246 - 246 sy), so
    // its point (162, 246) stays where it is on screen: the burst is centred there.
    const float cx = 162.0f, cy = 246.0f;
    c.RadialGlow(cx, cy, 260, WithAlpha(kGold, 120));
    for (int i = 0; i < 24; ++i) {
        float a = i * 2 * kPi / 24 + 0.07f * (i % 3);
        float len = 180 + 70 * ((i * 7) % 5) / 4.0f;
        float x1 = cx + std::cos(a) * len, y1 = cy + std::sin(a) * len;
        c.Line(cx, cy, x1, y1, 3 + (i % 2) * 3, WithAlpha(kBone, 40));
    }
    c.Ring(cx, cy, 120, 2, WithAlpha(kGold, 120));
    c.Ring(cx, cy, 170, 1.5f, WithAlpha(kBone, 80));
    c.Ring(cx, cy, 230, 1, WithAlpha(kGold, 60));
    return c;
}

Canvas MakeEndTypo() {
    Canvas c(128, 64);
    c.TextOutlined(14, 10, "END", 6, kGold, kInk);
    c.FillRect(10, 56, 108, 2, kGold);
    return c;
}

// --- strategy map -----------------------------------------------------------------------

Canvas MakeStrategyMap() {
    const int N = 2048;
    Canvas c(N, N);
    std::vector<uint8_t>& unused = const_cast<std::vector<uint8_t>&>(c.bytes());
    (void)unused;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float fx = x / 512.0f, fy = y / 512.0f;
            float h = Fbm(fx, fy, 4242, 5);
            // Land in the middle, sea at the edges.
            float dx = (x - N / 2) / (N * 0.5f), dy = (y - N / 2) / (N * 0.5f);
            h -= 0.35f * (dx * dx + dy * dy);
            Rgba col;
            if (h < 0.30f) col = Mix(Shade(kSea, 0.6f), kSea, (h - 0.05f) / 0.25f);
            else if (h < 0.33f) col = kSky;
            else if (h < 0.36f) col = kSand;
            else if (h < 0.50f) col = Mix(kLeaf, kMoss, (h - 0.36f) / 0.14f);
            else if (h < 0.60f) col = Mix(kMoss, kEarth, (h - 0.50f) / 0.10f);
            else col = Mix(kEarth, kMist, (h - 0.60f) / 0.15f);
            // Parchment tone over everything.
            col = Mix(col, kSand, 0.25f);
            c.Set(x, y, col);
        }
    // A grid of map lines every 256 units.
    for (int k = 256; k < N; k += 256) {
        c.FillRect(k, 0, 1, N, WithAlpha(kInk, 50));
        c.FillRect(0, k, N, 1, WithAlpha(kInk, 50));
    }
    c.FrameRect(0, 0, N, N, kEarth, 6);
    // A compass in the corner.
    c.FillCircle(1880, 1880, 90, WithAlpha(kBone, 150));
    c.Ring(1880, 1880, 90, 4, kEarth);
    c.FillPolygon({{1880, 1790}, {1900, 1880}, {1880, 1970}, {1860, 1880}}, kWine);
    c.FillPolygon({{1790, 1880}, {1880, 1860}, {1970, 1880}, {1880, 1900}}, kEarth);
    c.TextCentered(1880, 1748, "N", 5, kInk, kBone);
    return c;
}

// --- map chips --------------------------------------------------------------------------

namespace {

struct Terrain {
    const char* name;
    Rgba top;
    Rgba side;
};
// Lower chips 0-8 are the plain terrains; the rows below repeat them with variations.
const Terrain kTerrains[9] = {
    {"grass", kLeaf, kEarth},  {"plain", Mix(kLeaf, kSand, 0.5f), kEarth}, {"forest", kMoss, kEarth},
    {"hill", Mix(kSand, kEarth, 0.4f), Shade(kEarth, 0.7f)}, {"mountain", kSlate, kInk}, {"sea", kSea, Shade(kSea, 0.6f)},
    {"shallow", kSky, kSea},   {"road", kSand, kEarth},     {"stone", kMist, kSlate},
};

// The second row of the sheet holds special grounds (chips 9-17): flowers, tilled
// plain, deep forest, grassy hill, rocky mountain, deep sea, sandy shallows, a wooden
// bridge and a paved square.
void SpecialChip(Canvas& top, int column, Rng& rng) {
    switch (column) {
        case 0:  // flowers
            for (int i = 0; i < 30; ++i) {
                Rgba f = (i % 3 == 0) ? kBone : (i % 3 == 1) ? kGold : kEmber;
                top.FillRect(rng.Range(8, 102), rng.Range(6, 48), 2, 2, f);
            }
            break;
        case 1:  // tilled rows
            for (int k = -56; k < 112; k += 10) top.Line(k, 56, k + 56, 0, 2, WithAlpha(kEarth, 140));
            break;
        case 2:  // deep forest
            top.FillRect(0, 0, 112, 56, WithAlpha(Shade(kMoss, 0.55f), 200));
            for (int i = 0; i < 16; ++i) top.FillCircle(rng.Range(8, 104), rng.Range(6, 50), 8, Shade(kMoss, 0.4f));
            break;
        case 3:  // grassy hill
            top.FillEllipse(56, 30, 40, 17, WithAlpha(kLeaf, 200));
            top.FillEllipse(50, 26, 22, 8, WithAlpha(Shade(kLeaf, 1.2f), 200));
            break;
        case 4:  // rocky mountain
            top.FillRect(0, 0, 112, 56, WithAlpha(Shade(kSlate, 1.2f), 160));
            for (int i = 0; i < 8; ++i) top.FillEllipse(rng.Range(16, 96), rng.Range(10, 46), 9, 6, Shade(kMist, 0.7f));
            break;
        case 5:  // deep sea
            top.FillRect(0, 0, 112, 56, WithAlpha(Shade(kSea, 0.55f), 200));
            break;
        case 6:  // sandy shallows
            top.FillPolygon({{0, 28}, {56, 0}, {70, 7}, {14, 35}}, WithAlpha(kSand, 220));
            break;
        case 7:  // wooden bridge over water
            top.FillRect(0, 0, 112, 56, Shade(kSea, 0.9f), true);
            top.FillPolygon({{28, 14}, {42, 7}, {98, 35}, {84, 42}}, kInk);
            top.FillPolygon({{30, 14}, {42, 8}, {96, 35}, {84, 41}}, kAmber);
            for (int k = 0; k < 9; ++k) {
                float t = k / 8.0f;
                top.Line(30 + 54 * t, 14 + 27 * t, 42 + 54 * t, 8 + 27 * t, 1, kEarth);
            }
            break;
        case 8:  // paved square
            for (int k = 0; k < 112; k += 14) {
                top.Line(k, 0, k - 56, 28, 1, WithAlpha(kSlate, 150));
                top.Line(k, 0, k + 56, 28, 1, WithAlpha(kSlate, 150));
            }
            top.FillCircle(56, 28, 8, WithAlpha(kGold, 140));
            break;
    }
}

// One 112x64 lower chip: a 112x56 diamond top with 8 pixels of side below.
void LowerChip(Canvas& c, int ox, int oy, int n) {
    const Terrain& t = kTerrains[n % 9];
    int variant = n / 9;
    Canvas chip(112, 64);
    // Sides.
    chip.FillPolygon({{0, 28}, {56, 56}, {56, 64}, {0, 36}}, Shade(t.side, 0.9f));
    chip.FillPolygon({{112, 28}, {56, 56}, {56, 64}, {112, 36}}, Shade(t.side, 0.7f));
    // Top.
    Canvas top(112, 56);
    top.FillRect(0, 0, 112, 56, Shade(t.top, 1.0f - 0.06f * (variant % 3)), true);
    top.Noise(0, 0, 112, 56, 100 + n, 9.0f, WithAlpha(Shade(t.top, 0.75f), 255), WithAlpha(Shade(t.top, 1.2f), 255), 0.55f);
    Rng rng(Hash(static_cast<uint32_t>(n) + 5));
    switch (n % 9) {
        case 0:
        case 1:
            for (int i = 0; i < 40; ++i)
                top.FillRect(rng.Range(4, 106), rng.Range(4, 50), 1, 3, Shade(t.top, 0.7f));
            break;
        case 2:
            for (int i = 0; i < 9; ++i) top.FillCircle(rng.Range(16, 96), rng.Range(10, 44), 7, Shade(kMoss, 0.65f));
            break;
        case 3:
            top.FillEllipse(56, 30, 38, 16, Shade(t.top, 1.15f));
            break;
        case 4:
            for (int i = 0; i < 5; ++i) {
                float x = rng.Range(20, 92), y = rng.Range(14, 40);
                top.FillPolygon({{x - 14, y + 8}, {x, y - 10}, {x + 14, y + 8}}, Shade(kSlate, 0.7f));
                top.FillPolygon({{x - 4, y - 5}, {x, y - 10}, {x + 4, y - 5}}, kMist);
            }
            break;
        case 5:
        case 6:
            for (int i = 0; i < 8; ++i) {
                int x = rng.Range(12, 90), y = rng.Range(10, 46);
                top.FillRect(x, y, 10, 1, WithAlpha(kBone, 120));
            }
            break;
        case 7:
            top.FillPolygon({{56, 0}, {70, 7}, {14, 35}, {0, 28}}, Shade(kSand, 0.85f));
            top.FillPolygon({{98, 21}, {112, 28}, {56, 56}, {42, 49}}, Shade(kSand, 0.85f));
            break;
        case 8:
            for (int k = 0; k < 112; k += 14) top.Line(k, 0, k - 56, 28, 1, WithAlpha(kSlate, 120));
            break;
    }
    if (variant == 1) SpecialChip(top, n % 9, rng);
    top.ClipDiamond(0, 0, 112, 56);
    chip.Blit(top, 0, 0, 112, 56, 0, 0);
    // Outline of the top face.
    chip.Line(0, 28, 56, 0, 1, WithAlpha(kInk, 90));
    chip.Line(56, 0, 112, 28, 1, WithAlpha(kInk, 90));
    chip.Line(0, 28, 56, 56, 1, WithAlpha(kInk, 60));
    chip.Line(56, 56, 112, 28, 1, WithAlpha(kInk, 60));
    c.Blit(chip, 0, 0, 112, 64, ox, oy);
}

}  // namespace

Canvas MakeLowerChips() {
    Canvas c(1024, 512);
    for (int n = 0; n < 72; ++n) LowerChip(c, 112 * (n % 9), 64 * (n / 9), n);
    return c;
}

namespace {

// Upper chips: objects standing on a cell, 112x112, the cell's top corner at (56, 56).
void UpperChip(Canvas& c, int ox, int oy, int n) {
    float cx = ox + 56, base = oy + 84;  // the middle of the cell's diamond
    Rng rng(Hash(static_cast<uint32_t>(n) * 31 + 3));
    switch (n % 8) {
        case 1:  // trees
        case 2:
            for (int i = 0; i < (n % 8 == 1 ? 3 : 5); ++i) {
                float x = cx + rng.Range(-30, 30), y = base + rng.Range(-10, 10);
                c.FillRect(static_cast<int>(x) - 2, static_cast<int>(y) - 14, 4, 14, kEarth);
                c.FillPolygon({{x - 16, y - 10}, {x, y - 56}, {x + 16, y - 10}}, kInk);
                c.FillPolygon({{x - 14, y - 11}, {x, y - 53}, {x + 14, y - 11}}, kMoss);
                c.FillPolygon({{x - 14, y - 11}, {x, y - 53}, {x, y - 11}}, Shade(kMoss, 1.2f));
            }
            break;
        case 3:  // house
            c.FillPolygon({{cx - 30, base}, {cx, base + 14}, {cx + 30, base}, {cx + 30, base - 30}, {cx, base - 16},
                           {cx - 30, base - 30}},
                          kBone);
            c.FillPolygon({{cx, base + 14}, {cx + 30, base}, {cx + 30, base - 30}, {cx, base - 16}}, Shade(kBone, 0.8f));
            c.FillPolygon({{cx - 34, base - 28}, {cx - 4, base - 60}, {cx + 34, base - 28}, {cx, base - 12}}, kEmber);
            c.FillRect(static_cast<int>(cx) + 10, static_cast<int>(base) - 16, 8, 14, kEarth);
            break;
        case 4:  // rocks
            for (int i = 0; i < 3; ++i) {
                float x = cx + rng.Range(-26, 26), y = base + rng.Range(-8, 8);
                c.FillEllipse(x, y - 8, 14, 11, kInk);
                c.FillEllipse(x, y - 9, 12, 9, kSlate);
                c.FillEllipse(x - 4, y - 12, 5, 3, kMist);
            }
            break;
        case 5:  // tower
            c.FillRect(static_cast<int>(cx) - 18, static_cast<int>(base) - 80, 36, 86, kInk);
            c.FillRect(static_cast<int>(cx) - 16, static_cast<int>(base) - 78, 32, 84, kSlate);
            c.FillRect(static_cast<int>(cx), static_cast<int>(base) - 78, 16, 84, Shade(kSlate, 0.8f));
            for (int k = 0; k < 4; ++k) c.FillRect(static_cast<int>(cx) - 16 + k * 9, static_cast<int>(base) - 86, 5, 8, kSlate);
            c.FillRect(static_cast<int>(cx) - 3, static_cast<int>(base) - 60, 6, 10, kGold);
            break;
        case 6:  // wall
            c.FillPolygon({{cx - 56, base}, {cx, base + 28}, {cx, base - 8}, {cx - 56, base - 36}}, Shade(kMist, 0.8f));
            c.FillPolygon({{cx, base + 28}, {cx + 56, base}, {cx + 56, base - 36}, {cx, base - 8}}, Shade(kMist, 0.6f));
            break;
        case 7:  // flag
            c.Line(cx, base, cx, base - 70, 3, kEarth);
            c.FillPolygon({{cx + 1, base - 70}, {cx + 34, base - 60}, {cx + 1, base - 50}}, kEmber);
            break;
        default:  // 0: bushes
            for (int i = 0; i < 4; ++i)
                c.FillCircle(cx + rng.Range(-28, 28), base + rng.Range(-10, 6), 8, Shade(kLeaf, 0.8f));
            break;
    }
}

// A unit figure, 48x64: friend figures are steel blue, enemy figures red.
void Figure(Canvas& c, int ox, int oy, int n) {
    int kind = n % 16;
    int row = n / 16;
    bool enemy = row % 2 == 1;
    Rgba body = enemy ? kEmber : kSteel;
    if (row >= 2 && row < 4) body = enemy ? kWine : kSea;
    if (row >= 4) body = enemy ? kEarth : kMoss;
    Rgba dark = Shade(body, 0.6f);
    float cx = ox + 24, foot = oy + 60;
    bool mounted = kind >= 8 && kind < 12;
    c.FillEllipse(cx, foot, 16, 4, WithAlpha(kInk, 110));
    if (mounted) {
        c.FillEllipse(cx, foot - 16, 16, 9, kInk);
        c.FillEllipse(cx, foot - 16, 14, 7.5f, kEarth);
        c.FillRect(static_cast<int>(cx) - 12, static_cast<int>(foot) - 12, 3, 12, kEarth);
        c.FillRect(static_cast<int>(cx) + 9, static_cast<int>(foot) - 12, 3, 12, kEarth);
        c.FillEllipse(cx - 16, foot - 24, 5, 7, kEarth);
        foot -= 18;
    }
    // Legs, body, head.
    c.FillRect(static_cast<int>(cx) - 6, static_cast<int>(foot) - 14, 5, 14, kInk);
    c.FillRect(static_cast<int>(cx) + 1, static_cast<int>(foot) - 14, 5, 14, kInk);
    c.FillPolygon({{cx - 10, foot - 12}, {cx - 8, foot - 32}, {cx + 8, foot - 32}, {cx + 10, foot - 12}}, kInk);
    c.FillPolygon({{cx - 9, foot - 13}, {cx - 7, foot - 31}, {cx + 7, foot - 31}, {cx + 9, foot - 13}}, body);
    c.FillRect(static_cast<int>(cx), static_cast<int>(foot) - 31, 7, 18, dark);
    c.FillCircle(cx, foot - 38, 7, kInk);
    c.FillCircle(cx, foot - 38, 6, Mix(kBone, kSand, 0.5f));
    // Class marks: helmet, weapon.
    switch (kind % 8) {
        case 0:  // soldier: sword
            c.FillEllipse(cx, foot - 42, 7, 4, kSteel);
            c.Line(cx + 11, foot - 14, cx + 17, foot - 38, 2.5f, kBone);
            break;
        case 1:  // heavy: shield
            c.FillEllipse(cx, foot - 42, 7, 4, kSlate);
            c.FillRect(static_cast<int>(cx) - 16, static_cast<int>(foot) - 30, 9, 16, kSlate);
            c.FrameRect(static_cast<int>(cx) - 16, static_cast<int>(foot) - 30, 9, 16, kGold, 1);
            break;
        case 2:  // archer: bow
            c.Ring(cx + 10, foot - 24, 10, 2, kSand);
            c.FillRect(static_cast<int>(cx) - 2, static_cast<int>(foot) - 36, 12, 26, WithAlpha(kInk, 0));
            break;
        case 3:  // spear
            c.Line(cx + 12, foot, cx + 12, foot - 50, 2, kEarth);
            c.FillPolygon({{cx + 9, foot - 48}, {cx + 12, foot - 56}, {cx + 15, foot - 48}}, kMist);
            break;
        case 4:  // mage: hat and staff
            c.FillPolygon({{cx - 9, foot - 40}, {cx, foot - 58}, {cx + 9, foot - 40}}, dark);
            c.Line(cx - 13, foot, cx - 13, foot - 44, 2, kEarth);
            c.FillCircle(cx - 13, foot - 46, 3, kSky);
            break;
        case 5:  // priest: hood and cross
            c.FillEllipse(cx, foot - 40, 8, 6, kBone);
            c.FillCircle(cx, foot - 38, 5, Mix(kBone, kSand, 0.5f));
            c.FillRect(static_cast<int>(cx) - 2, static_cast<int>(foot) - 28, 4, 12, kGold);
            c.FillRect(static_cast<int>(cx) - 5, static_cast<int>(foot) - 25, 10, 3, kGold);
            break;
        case 6:  // hero: cape and crest
            c.FillPolygon({{cx - 9, foot - 31}, {cx - 16, foot - 6}, {cx - 6, foot - 10}}, kGold);
            c.FillEllipse(cx, foot - 43, 7, 3, kGold);
            c.Line(cx + 11, foot - 14, cx + 17, foot - 40, 3, kBone);
            break;
        case 7:  // beast: horns
            c.FillPolygon({{cx - 6, foot - 42}, {cx - 12, foot - 52}, {cx - 3, foot - 44}}, kBone);
            c.FillPolygon({{cx + 6, foot - 42}, {cx + 12, foot - 52}, {cx + 3, foot - 44}}, kBone);
            break;
    }
}

void CellHighlight(Canvas& c, int ox, int oy, Rgba fill, uint8_t fillAlpha, Rgba rim) {
    Canvas cell(112, 56);
    cell.FillRect(0, 0, 112, 56, WithAlpha(fill, fillAlpha), true);
    // A brighter rim a few pixels wide.
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 112; ++x) {
            float d = std::fabs(x + 0.5f - 56) / 56 + std::fabs(y + 0.5f - 28) / 28;
            if (d > 0.86f) cell.Set(x, y, WithAlpha(rim, 230));
        }
    cell.ClipDiamond(0, 0, 112, 56);
    c.Blit(cell, 0, 0, 112, 56, ox, oy);
}

void UnitBase(Canvas& c, int ox, int oy, Rgba col) {
    Canvas cell(112, 56);
    cell.FillEllipse(56, 28, 46, 21, WithAlpha(col, 90));
    cell.EllipseRing(56, 28, 44, 20, 3, WithAlpha(col, 230));
    cell.EllipseRing(56, 28, 50, 24, 1.5f, WithAlpha(kBone, 160));
    c.Blit(cell, 0, 0, 112, 56, ox, oy);
}

}  // namespace

Canvas MakeUpperSheet() {
    Canvas c(1024, 1024);
    // Upper chips 1-31 at (112 (n mod 8), 112 (n div 8)); 0 means none.
    for (int n = 1; n < 32; ++n) UpperChip(c, 112 * (n % 8), 112 * (n / 8), n);
    // Unit figures: cells n of the 48x64 grid from row 8 (y 512), 16 to a row.
    for (int n = 0; n < 96; ++n) Figure(c, 48 * (n % 16), 64 * (n / 16 + 8), n);
    // Unit bases: enemy (896, 560), friend (896, 616); after acting, friend (896, 864),
    // enemy (896, 920).
    UnitBase(c, 896, 560, kEmber);
    UnitBase(c, 896, 616, kSky);
    UnitBase(c, 896, 864, Shade(kSky, 0.6f));
    UnitBase(c, 896, 920, Shade(kEmber, 0.6f));
    // Cell highlights of kinds 0-2 at (896, 672 + 56k): 0 the cell under the pointer,
    // white so that the tinted highlights (kinds 3 and 4) take their colour from the
    // square; 1 where a unit can move, blue as the tutorial calls it (also a cannon's
    // blast and the cell struck); 2 what a unit can reach with its skills, in the
    // enemy's ember, for what threatens.
    CellHighlight(c, 896, 672, kBone, 110, kBone);
    CellHighlight(c, 896, 728, kSea, 255, kSky);
    CellHighlight(c, 896, 784, kEmber, 110, kEmber);
    // Acted icon (896, 840)-(936, 864); moved icons, enemy (936, 840), friend (976, 840).
    c.Panel(896, 840, 40, 24, kSlate, kMist, kInk, kInk);
    c.Text(900, 849, "DONE", 1, kBone);
    c.Panel(936, 840, 40, 24, kWine, kEmber, kInk, kInk);
    c.Text(940, 849, "MOVE", 1, kBone);
    c.Panel(976, 840, 40, 24, kSea, kSky, kInk, kInk);
    c.Text(980, 849, "MOVE", 1, kBone);
    // HP digits at (1008, 7d): normal, half (d + 10), quarter (d + 20).
    for (int d = 0; d < 10; ++d) {
        SmallDigit(c, 1009, 7 * d, d, kBone);
        SmallDigit(c, 1009, 7 * (d + 10), d, kGold);
        SmallDigit(c, 1009, 7 * (d + 20), d, kEmber);
    }
    // Front-row mark (1013, 0)-(1020, 7), back-row mark (1013, 14)-(1020, 21).
    c.FillRect(1013, 0, 7, 7, kEmber, true);
    c.FrameRect(1013, 0, 7, 7, kInk, 1);
    c.FillRect(1013, 14, 7, 7, kSea, true);
    c.FrameRect(1013, 14, 7, 7, kInk, 1);
    // Sortie positions i at (112 i, 896)-(112 i + 112, 1008): a glowing blue cell, as the
    // prologue's preparation names them, with the position's number and a flag.
    for (int i = 0; i < 8; ++i) {
        Canvas cell(112, 112);
        CellHighlight(cell, 0, 56, kSky, 110, kBone);
        cell.TextCentered(56, 76, std::to_string(i + 1), 2, kBone, kInk);
        cell.Line(56, 56, 56, 20, 2, kEarth);
        cell.FillPolygon({{57, 20}, {82, 27}, {57, 34}}, kGold);
        c.Blit(cell, 0, 0, 112, 112, 112 * i, 896);
    }
    return c;
}

Canvas MakeBackdrop(int n) {
    Canvas c(1024, 512);
    const Rgba skies[4][2] = {{kSky, kMist}, {kWine, kAmber}, {kInk, kSlate}, {kSlate, kSand}};
    const Rgba grounds[4] = {kMoss, kEarth, kNight, kSand};
    c.GradientV(0, 0, 1024, 320, skies[n % 4][0], skies[n % 4][1], true);
    c.GradientV(0, 320, 1024, 192, grounds[n % 4], Shade(grounds[n % 4], 0.5f), true);
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<Point> pts = {{0, 340}};
        for (int x = 0; x <= 1024; x += 8)
            pts.push_back({static_cast<float>(x), 320 - (80 - layer * 40) * Fbm(x / 200.0f, layer + n * 3.0f, 50 + n, 4)});
        pts.push_back({1024, 340});
        c.FillPolygon(pts, Shade(grounds[n % 4], 0.7f + 0.15f * layer));
    }
    // A feature per backdrop: forest, village or ruins on the horizon.
    Rng rng(Hash(static_cast<uint32_t>(n) + 900));
    Rgba sil = Shade(grounds[n % 4], 0.45f);
    switch ((n / 4 + n) % 3) {
        case 0:
            for (int i = 0; i < 26; ++i) {
                float x = static_cast<float>(rng.Range(0, 1023)), y = 330.0f + rng.Range(0, 30);
                float h = 40.0f + rng.Range(0, 50);
                c.FillPolygon({{x - h * 0.3f, y}, {x, y - h}, {x + h * 0.3f, y}}, sil);
            }
            break;
        case 1:
            for (int i = 0; i < 7; ++i) {
                float x = 120.0f + i * 120 + rng.Range(-30, 30), y = 335.0f;
                c.FillRect(static_cast<int>(x) - 22, static_cast<int>(y) - 30, 44, 32, sil);
                c.FillPolygon({{x - 28, y - 28}, {x, y - 54}, {x + 28, y - 28}}, sil);
                c.FillRect(static_cast<int>(x) - 4, static_cast<int>(y) - 20, 8, 8, WithAlpha(kGold, 160));
            }
            break;
        case 2:
            for (int i = 0; i < 5; ++i) {
                int x = 150 + i * 170 + rng.Range(-20, 20);
                int h = 60 + rng.Range(0, 80);
                c.FillRect(x, 335 - h, 26, h + 4, sil);
                c.FillRect(x - 6, 335 - h, 38, 8, sil);
            }
            break;
    }
    return c;
}

// --- all pictures -----------------------------------------------------------------------

int WriteAllImages(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const Canvas& c) {
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("graphics/sys.png", MakeSystemSheet());
    put("graphics/title00.png", MakeTitleMenu());
    put("graphics/title01.png", MakeTitleBackground());
    for (int id = 0; id < kPortraitCount; ++id) {
        char name[64];
        std::snprintf(name, sizeof name, "graphics/BastUp/%03d.png", id);
        put(name, MakePortrait(id));
    }
    put("graphics/RVT_logo.png", MakeLogo());
    put("graphics/ChapterTeropEffect.png", MakeChapterTelopEffect());
    put("graphics/ENDTypo.png", MakeEndTypo());
    put("graphics/mapchip.png", MakeLowerChips());
    put("graphics/mapchip2.png", MakeUpperSheet());
    for (int n = 0; n < kBackdropCount; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "graphics/BackGround/%03d.png", n);
        put(name, MakeBackdrop(n));
    }
    put("graphics/StrategyMap.png", MakeStrategyMap());
    return failures;
}

}  // namespace cg
