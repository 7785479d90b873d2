// The pictures of the sortie preparation: the screen behind its menus with the
// briefing tabs and the page marker, the person parameter panel with the level-up
// arrow, and the unit card with its delete button.  Every region lies where the
// game draws it and where its clicks count.
#include <cstdio>
#include <string>

#include "intermission.h"
#include "palette.h"

namespace cg {

using namespace pal;

namespace {

void Frame(Canvas& c, int x, int y, int w, int h, uint8_t alpha = 230) {
    c.GradientV(x, y, w, h, WithAlpha(kNight, alpha), WithAlpha(Shade(kNight, 0.55f), alpha), true);
    c.FrameRect(x, y, w, h, kInk, 1);
    c.FrameRect(x + 1, y + 1, w - 2, h - 2, kGold, 1);
    c.FrameRect(x + 2, y + 2, w - 4, h - 4, WithAlpha(kAmber, 190), 1);
}

void Recess(Canvas& c, int x, int y, int w, int h) {
    c.FillRect(x, y, w, h, WithAlpha(Shade(kSlate, 0.45f), 230), true);
    c.FrameRect(x, y, w, h, kInk, 1);
    c.FillRect(x + 1, y + h - 2, w - 2, 1, WithAlpha(kMist, 70));
}

void Caption(Canvas& c, int x, int y, const std::string& s, Rgba col = kSand) { c.TextShadowed(x, y, s, 1, col, kInk); }

}  // namespace

Canvas MakeInterMissionScreen() {
    Canvas c(1024, 512);
    // The war table: planks and a faded map under everything.
    c.GradientV(0, 0, 640, 480, Shade(kEarth, 0.55f), Shade(kEarth, 0.28f), true);
    c.Noise(0, 0, 640, 480, 2024, 36.0f, WithAlpha(Shade(kEarth, 0.35f), 255), WithAlpha(Shade(kEarth, 0.7f), 255),
            0.45f);
    for (int y = 0; y < 480; y += 32) c.FillRect(0, y, 640, 1, WithAlpha(kInk, 70));

    // Mission titles, drawn at half scale at (30, 14) and (6, 44).
    Frame(c, 2, 4, 212, 76);
    c.FillRect(10, 40, 196, 1, WithAlpha(kGold, 110));

    // Minimap: the three 400 x 200 pictures at (221, 20).
    Frame(c, 215, 8, 412, 218, 200);
    Recess(c, 220, 19, 402, 202);
    Caption(c, 226, 11, "MAP", kGold);

    // Command rows (the window itself is drawn by the game at (15, 90)).
    Caption(c, 18, 84 - 2, "ORDERS", kGold);

    // Funds, cost, heroes and roster: text from (10, 250) down the left column.
    Frame(c, 2, 242, 162, 234);
    c.FillRect(8, 296, 150, 1, WithAlpha(kGold, 100));
    c.FillRect(8, 316, 150, 1, WithAlpha(kGold, 100));

    // Briefing tabs: tab p takes clicks at x 238 + 52p .. 289 + 52p, y 244 .. 263.
    for (int p = 0; p < 5; ++p) {
        const int x = 239 + 52 * p;
        c.Panel(x, 244, 50, 20, Shade(kSlate, 0.9f), kSteel, kInk, kInk);
        c.TextCentered(x + 25, 251, std::to_string(p + 1), 1, kBone, kInk);
    }
    Caption(c, 172, 251, "PAGE");
    // Briefing area (170, 267)-(498, 463): any click turns the page.
    Frame(c, 166, 263, 337, 205);
    Recess(c, 170, 267, 329, 197);

    // The right column: a crest.
    Frame(c, 508, 236, 128, 240, 200);
    c.FillCircle(572, 330, 40, kInk);
    c.FillCircle(572, 330, 37, Shade(kSlate, 0.9f));
    c.Ring(572, 330, 30, 3, kGold);
    c.FillPolygon({{572, 300}, {596, 330}, {572, 360}, {548, 330}}, WithAlpha(kGold, 210));
    c.TextCentered(572, 392, "SORTIE", 2, kGold, kInk);
    c.TextCentered(572, 420, "PREPARATION", 1, kSand, kInk);

    // The page marker (968, 0)-(1023, 19), drawn at (236 + 52 p, 244) over tab p.
    c.FillRect(968, 0, 56, 20, WithAlpha(kGold, 90), true);
    c.FrameRect(968, 0, 56, 20, kGold, 2);
    c.FrameRect(970, 2, 52, 16, WithAlpha(kBone, 200), 1);
    return c;
}

Canvas MakeInterMissionParamPanel() {
    Canvas c(512, 128);
    // Panel (0, 0)-(427, 127); values at name (84, 19), HP (126, 48), MP (226, 48),
    // STR (132, 78), MAG (132, 98), DEX (239, 78), SPD (239, 98), move (370, 97),
    // guards (380, 39 / 57 / 75).
    Frame(c, 0, 0, 428, 128, 240);
    Caption(c, 14, 23, "NAME", kGold);
    Recess(c, 80, 15, 210, 22);
    Caption(c, 96, 51, "HP");
    Caption(c, 196, 51, "MP");
    Caption(c, 96, 81, "STR");
    Caption(c, 96, 101, "MAG");
    Caption(c, 203, 81, "DEX");
    Caption(c, 203, 101, "SPD");
    c.FillRect(88, 70, 196, 1, WithAlpha(kGold, 90));
    c.FillRect(302, 12, 1, 104, WithAlpha(kGold, 120));
    Caption(c, 312, 42, "GUARD");
    Caption(c, 312, 60, "ARROW");
    Caption(c, 312, 78, "MAGIC");
    Caption(c, 312, 99, "MOVE");

    // The level-up marker (429, 0)-(479, 29): an arrow from the current level down
    // to the next, drawn at (396, 158) between the two panels.
    c.FillPolygon({{444, 1}, {464, 1}, {464, 13}, {476, 13}, {454, 28}, {432, 13}, {444, 13}}, kInk);
    c.FillPolygon({{446, 3}, {462, 3}, {462, 15}, {471, 15}, {454, 26}, {437, 15}, {446, 15}}, kGold);
    c.TextCentered(454, 6, "UP", 1, kInk, WithAlpha(kGold, 0));
    return c;
}

Canvas MakeInterMissionUnitCard() {
    Canvas c(256, 64);
    // The card (0, 0)-(191, 63): four member lines at y 5 + 14 p, 14 high, x 0..151.
    c.Panel(0, 0, 192, 64, WithAlpha(Shade(kSlate, 0.8f), 240), kMist, kInk, kInk);
    for (int p = 0; p < 4; ++p) {
        const int y = 5 + 14 * p;
        c.FillRect(4, y + 1, 144, 12, WithAlpha(Shade(kNight, 0.9f), 170), true);
        if (p < 3) c.FillRect(4, y + 13, 144, 1, WithAlpha(kGold, 60));
    }
    c.FillRect(151, 3, 1, 58, WithAlpha(kInk, 200));
    // The delete button (210, 0)-(249, 63), drawn 152 pixels right of the card's left.
    c.Panel(210, 0, 40, 64, kWine, kEmber, kInk, kInk);
    c.Line(221, 23, 239, 41, 3, kBone);
    c.Line(239, 23, 221, 41, 3, kBone);
    return c;
}

int WriteInterMissionImages(const std::string& dir, std::vector<std::string>* written) {
    int failures = 0;
    auto put = [&](const std::string& rel, const Canvas& c) {
        if (c.WritePng(dir + "/" + rel)) {
            if (written) written->push_back(rel);
        } else {
            std::fprintf(stderr, "contentgen: cannot write %s/%s\n", dir.c_str(), rel.c_str());
            ++failures;
        }
    };
    put("graphics/InterMission.png", MakeInterMissionScreen());
    put("graphics/InterMission_param.png", MakeInterMissionParamPanel());
    put("graphics/InterMission_unit.png", MakeInterMissionUnitCard());
    return failures;
}

}  // namespace cg
