#include "menus.h"

#include <cstdio>

#include "palette.h"

namespace cg {

using namespace pal;

namespace {

// The house window: dark body, ink outline, a gold line and an amber inner line.
void Window(Canvas& c, int x, int y, int w, int h, uint8_t alpha = 250) {
    c.GradientV(x, y, w, h, WithAlpha(kNight, alpha), WithAlpha(Shade(kNight, 0.6f), alpha), true);
    c.FrameRect(x, y, w, h, kInk, 1);
    c.FrameRect(x + 1, y + 1, w - 2, h - 2, kGold, 1);
    c.FrameRect(x + 2, y + 2, w - 4, h - 4, WithAlpha(kAmber, 200), 1);
}

// A recessed box where texts or plates go.
void Inset(Canvas& c, int x, int y, int w, int h, Rgba tint = kSlate) {
    c.FillRect(x, y, w, h, Mix(Shade(tint, 0.55f), kNight, 0.25f), true);
    c.FillRect(x, y, w, 1, kInk);
    c.FillRect(x, y, 1, h, kInk);
    c.FillRect(x, y + h - 1, w, 1, WithAlpha(kMist, 90));
    c.FillRect(x + w - 1, y, 1, h, WithAlpha(kMist, 90));
}

// A button whose face covers exactly (x, y)-(x + w - 1, y + h - 1).
void Button(Canvas& c, int x, int y, int w, int h, const std::string& label, Rgba body) {
    c.Panel(x, y, w, h, body, Shade(body, 1.35f), Shade(body, 0.6f), kInk);
    c.TextShadowed(x + (w - Canvas::TextWidth(label, 1)) / 2 + 1, y + (h - 7) / 2, label, 1, kBone, kInk);
}

void Label(Canvas& c, int x, int y, const std::string& s, Rgba col = kSand) { c.TextShadowed(x, y, s, 1, col, kInk); }

// A label whose right end lies at x.
void LabelRight(Canvas& c, int x, int y, const std::string& s, Rgba col = kSand) {
    Label(c, x - Canvas::TextWidth(s, 1), y, s, col);
}

void Rule(Canvas& c, int x, int y, int w, uint8_t alpha = 120) { c.FillRect(x, y, w, 1, WithAlpha(kGold, alpha)); }

void Gem(Canvas& c, float cx, float cy, float r, Rgba col) {
    c.FillPolygon({{cx, cy - r - 1}, {cx + r + 1, cy}, {cx, cy + r + 1}, {cx - r - 1, cy}}, kInk);
    c.FillPolygon({{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, col);
}

// An arrow pointing right, for "from here to there".
void RightArrow(Canvas& c, int x, int y, int w, Rgba col) {
    c.FillRect(x, y - 2, w - 8, 5, kInk);
    c.FillRect(x + 1, y - 1, w - 9, 3, col);
    c.FillPolygon({{x + w - 10.f, y - 7.f}, {x + w + 0.f, y + 0.5f}, {x + w - 10.f, y + 8.f}}, kInk);
    c.FillPolygon({{x + w - 9.f, y - 5.f}, {x + w - 2.f, y + 0.5f}, {x + w - 9.f, y + 6.f}}, col);
}

}  // namespace

Canvas MakeInstructWindow() {
    Canvas c(512, 128);
    // (0, 0)-(299, 79); the help text starts at (10, 10), up to five lines of 14.
    Window(c, 0, 0, 300, 80, 220);
    Gem(c, 292, 72, 3, kGold);
    return c;
}

Canvas MakeMapchipWindow() {
    Canvas c(512, 256);
    // Texts: name (25, 29), height (80, 87), foot (123, 149) and horse (187, 149)
    // columns in rows 26 apart, six characters of 6 pixels each; the lower chip at
    // (129, 20), 112x64, the upper chip from (129, -8).
    Window(c, 0, 0, 280, 232);
    Label(c, 20, 12, "TERRAIN", kGold);
    Inset(c, 18, 25, 100, 19);
    Label(c, 20, 89, "HEIGHT");
    Inset(c, 74, 83, 40, 19);
    Inset(c, 125, 16, 120, 72, kNight);
    Rule(c, 12, 118, 256);
    LabelRight(c, 159, 132, "FOOT", kGold);
    LabelRight(c, 223, 132, "HORSE", kGold);
    const char* rows[3] = {"MOVE", "GUARD", "M.GUARD"};
    for (int r = 0; r < 3; ++r) {
        const int y = 149 + 26 * r;
        Label(c, 20, y + 3, rows[r]);
        Inset(c, 117, y - 4, 46, 20);
        Inset(c, 181, y - 4, 46, 20);
    }
    return c;
}

Canvas MakeOperateMenu() {
    Canvas c(512, 512);
    // Panel 353x301; places p at (15 + 169 (p div 2), 61 + 65 (p mod 2)), 153x64 (the
    // plates are drawn one pixel lower); buttons 4-7 at (13 + 80 (k - 4), 228), 8-9 at
    // (173 + 80 (k - 8), 253), 76x22.
    Window(c, 0, 0, 353, 301);
    Label(c, 14, 14, "UNIT COMMAND", kGold);
    Rule(c, 12, 25, 329);
    Label(c, 17, 48, "FRONT ROW");
    Label(c, 186, 48, "BACK ROW");
    for (int p = 0; p < 4; ++p) Inset(c, 15 + 169 * (p / 2) - 1, 61 + 65 * (p % 2) - 1, 156, 67, kNight);
    Rule(c, 12, 221, 329, 90);
    const char* labels[6] = {"MOVE ALL", "MOVE", "ATTACK", "CANNON", "SUPPORT", "CLOSE"};
    const Rgba bodies[6] = {kSlate, kSlate, kWine, kAmber, kMoss, kSlate};
    for (int k = 4; k < 10; ++k) {
        const int x = k < 8 ? 13 + 80 * (k - 4) : 173 + 80 * (k - 8), y = k < 8 ? 228 : 253;
        Button(c, x, y, 77, 23, labels[k - 4], bodies[k - 4]);
    }
    return c;
}

Canvas MakeMoveMenu() {
    Canvas c(512, 512);
    // Side panel (0, 0)-(163, 321), drawn for both sides: places at (5, 28), (5, 93),
    // (5, 189), (5, 254), 154x64 each (front row above, back row below).
    Window(c, 0, 0, 164, 322);
    Label(c, 10, 11, "FRONT ROW", kGold);
    Label(c, 10, 172, "BACK ROW", kGold);
    const int tops[4] = {28, 93, 189, 254};
    for (int r = 0; r < 4; ++r) Inset(c, 4, tops[r] - 1, 156, 66, kNight);
    Rule(c, 8, 164, 148, 90);
    // Middle panel (164, 0)-(442, 248): the two cells' ground at (8, 90) and (160, 90)
    // (112x64 each), the figures at (64, 118) and (216, 118); buttons "MOVE" at
    // (39, 213)-(113, 233) and "CANCEL" at (162, 213)-(236, 233).
    const int m = 164;
    Window(c, m, 0, 279, 249);
    Label(c, m + 12, 11, "WHO GOES?", kGold);
    Rule(c, m + 8, 22, 263);
    Label(c, m + 30, 74, "HERE", kSand);
    Label(c, m + 182, 74, "THERE", kSand);
    Inset(c, m + 6, 84, 116, 96, kNight);
    Inset(c, m + 158, 84, 116, 96, kNight);
    RightArrow(c, m + 124, 132, 32, kGold);
    Button(c, m + 39, 213, 75, 21, "MOVE", kMoss);
    Button(c, m + 162, 213, 75, 21, "CANCEL", kSlate);
    // The plate of a place (0, 322)-(154, 386): name, HP bar (52, 34) 93x5, HP, MP.
    c.Panel(0, 322, 155, 65, WithAlpha(kSlate, 235), kMist, kInk, kInk);
    c.FillRect(51, 322 + 33, 95, 7, kInk);
    c.GradientH(52, 322 + 34, 93, 5, kLeaf, Shade(kLeaf, 1.3f), true);
    // Side labels: the staying side, the going side, the side of the unit joined.
    Button(c, 0, 387, 63, 23, "STAY", kSlate);
    Button(c, 0, 410, 63, 23, "GO", kSea);
    Button(c, 0, 433, 63, 23, "JOIN", kWine);
    return c;
}

Canvas MakeBattleOperateMenu() {
    Canvas c(512, 512);
    // The window is 389x295; own rows at (14, 16 + 60p)-(165, 50 + 60p) with a skill
    // line at (14, 52 + 60p)-(165, 67 + 60p); enemy rows at x 223-374; "OK" at
    // (223, 256)-(294, 277), cancel at (303, 256)-(374, 277).
    Window(c, 0, 0, 389, 295);
    for (int p = 0; p < 4; ++p) {
        const int y = 16 + 60 * p;
        Inset(c, 13, y - 1, 154, 37, kSea);
        Inset(c, 13, y + 36, 154, 17, kNight);
        Inset(c, 222, y - 1, 154, 37, kWine);
        Inset(c, 222, y + 36, 154, 17, kNight);
    }
    c.FillRect(170, 12, 49, 236, WithAlpha(kInk, 80));
    Label(c, 188, 4, "VS", kGold);
    Label(c, 18, 264, "CHOOSE SKILLS AND TARGETS", kSand);
    Button(c, 223, 256, 72, 22, "OK", kMoss);
    Button(c, 303, 256, 72, 22, "CANCEL", kSlate);
    return c;
}

Canvas MakeParamSheet() {
    Canvas c(1024, 512);
    // The status window (0, 0)-(639, 479).  Parts of it serve the skill list,
    // (282, 200)-(626, 463), and its help panel, (13, 284)-(259, 463).
    Window(c, 0, 0, 640, 480, 255);
    // Portrait corner: a faint crest behind where a hero's portrait stands.
    c.GradientV(8, 8, 220, 216, WithAlpha(kSlate, 90), WithAlpha(kSlate, 0));
    c.Ring(110, 110, 62, 3, WithAlpha(kGold, 50));
    c.Ring(110, 110, 46, 1.5f, WithAlpha(kGold, 40));
    // Values: HP (291, 34) / (349, 34) at 16; MP (271, 67) / (304, 67) at 14; STR and
    // MAG at x 292, DEX and SPD at x 386 (y 100, 124); guards at (516, 66 / 92 / 118);
    // move at (498, 154); condition at (313, 156); charge marks from (385, 68).
    Inset(c, 238, 16, 390, 178, kNight);
    Label(c, 250, 39, "HP", kLeaf);
    Label(c, 333, 39, "/", kMist);
    Label(c, 250, 71, "MP", kSky);
    Label(c, 300, 71, "/", kMist);
    Label(c, 342, 71, "CHG", kGold);
    Rule(c, 246, 90, 182, 80);
    Label(c, 250, 104, "STR");
    Label(c, 250, 128, "MAG");
    Label(c, 346, 104, "DEX");
    Label(c, 346, 128, "SPD");
    c.FillRect(440, 24, 1, 118, WithAlpha(kGold, 90));
    Label(c, 452, 46, "DEFENCE", kGold);
    Label(c, 452, 71, "GUARD");
    Label(c, 452, 97, "ARROW");
    Label(c, 452, 123, "MAGIC");
    Rule(c, 246, 146, 374, 80);
    Label(c, 458, 159, "MOVE");
    // Skill list.
    Window(c, 282, 200, 345, 264, 255);
    Label(c, 294, 208, "SKILLS", kGold);
    // Column heads over the row texts at x 316: name 24, power 6, mp 4, blank,
    // range 2-2, (area), kind; 6 pixels a character.
    const int x0 = 316;
    LabelRight(c, x0 + 6 * 30, 226, "POW");
    LabelRight(c, x0 + 6 * 34, 226, "MP");
    Label(c, x0 + 6 * 35, 226, "RANGE");
    Label(c, x0 + 6 * 41, 226, "A");
    Label(c, x0 + 6 * 44, 226, "KIND");
    Rule(c, 292, 236, 325);
    for (int r = 0; r < 14; ++r) c.FillRect(298, 240 + 16 * r + 15, 320, 1, WithAlpha(kSlate, 150));
    // Help panel.
    Window(c, 13, 284, 247, 180, 255);
    Label(c, 24, 294, "ABOUT", kGold);
    Rule(c, 22, 303, 229, 90);
    return c;
}

int WriteMenuImages(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const Canvas& c) {
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("graphics/InstructWindow.png", MakeInstructWindow());
    put("graphics/MapchipWindow.png", MakeMapchipWindow());
    put("graphics/OperateMenu.png", MakeOperateMenu());
    put("graphics/MoveMenu.png", MakeMoveMenu());
    put("graphics/BattleOperateMenu.png", MakeBattleOperateMenu());
    put("graphics/param.png", MakeParamSheet());
    return failures;
}

}  // namespace cg
