// Bust-up portraits (graphics/BastUp/NNN.png, 200x300).
//
// The game makes a texture of 256x512 of a portrait (its sides rounded up to powers
// of two, the picture stretched to fill it) and the speech window and the status
// screen show that texture's (0, 0)-(200, 300) unscaled: the portrait's own
// (0, 0)-(156, 176), stretched 1.28 times across and 1.71 times down.  So a portrait
// is drawn on a canvas of that texture's size, the bust laid out in its
// (0, 0)-(200, 300) as the windows show it, and shrunk to 200x300 for the file: on
// screen it keeps its proportions.  The speech window puts that corner at (-10, 190):
// its first ten columns lie off the screen's left edge and its rows below 290 below
// the bottom, so everything that tells a person apart (hair, hood or helmet, eyes,
// face) stands in (10, 60)-(200, 290) of the canvas.
//
// The named persons have faces of their own: Leon (1), Sera (2), Garde (3), Mina (4),
// Volg (30), Zaira (31) and the black knight (32).  Every other id is a rank-and-file
// face: a kettle helmet, a soft cap or short plain hair, in drab colours, none of the
// named persons' shapes.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "images.h"
#include "palette.h"

namespace cg {

using namespace pal;

namespace {

constexpr float kPi = 3.14159265f;

// The canvas a portrait is drawn on: the texture the game makes of it.
constexpr int kTexW = 256, kTexH = 512;
// The head's centre and the face's half sizes.
constexpr float kCx = 106, kHy = 160;

Point P(float x, float y) { return Point{x, y}; }

// A quadratic curve from a through control point m to b, n steps (a left out).
void Curve(std::vector<Point>& out, Point a, Point m, Point b, int n = 10) {
    for (int i = 1; i <= n; ++i) {
        const float t = static_cast<float>(i) / n, u = 1 - t;
        out.push_back({u * u * a.x + 2 * u * t * m.x + t * t * b.x, u * u * a.y + 2 * u * t * m.y + t * t * b.y});
    }
}

// A lock of hair (or any pointed blade): from root l out to the tip, back to root r,
// each side bowed by `bow` off the straight line.
void Lock(Canvas& c, Point l, Point tip, Point r, Point bow, Rgba col) {
    std::vector<Point> pts = {l};
    Curve(pts, l, {(l.x + tip.x) / 2 + bow.x, (l.y + tip.y) / 2 + bow.y}, tip);
    Curve(pts, tip, {(r.x + tip.x) / 2 + bow.x, (r.y + tip.y) / 2 + bow.y}, r);
    c.FillPolygon(pts, col);
}

// A stroke through the points, rounded at the joints.
void Stroke(Canvas& c, const std::vector<Point>& pts, float width, Rgba col) {
    for (size_t i = 0; i + 1 < pts.size(); ++i) c.Line(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, width, col);
    for (size_t i = 1; i + 1 < pts.size(); ++i) c.FillCircle(pts[i].x, pts[i].y, width * 0.5f, col);
}

// The outline of a face: an ellipse whose lower half narrows towards the chin by
// `jaw` (0 round, 0.3 pointed), grown by `grow` pixels.
std::vector<Point> FaceShape(float rx, float ry, float jaw, float grow) {
    std::vector<Point> pts;
    for (int i = 0; i < 72; ++i) {
        const float a = i * 2 * kPi / 72, s = std::sin(a);
        const float k = s > 0 ? 1 - jaw * s * s : 1.0f;
        pts.push_back({kCx + (rx * k + grow) * std::cos(a), kHy + (ry + grow) * s});
    }
    return pts;
}

struct Face {
    Rgba skin;
    float rx = 44, ry = 54, jaw = 0.25f;
};

// Neck, ears and face with its shadowed right side.
void DrawHead(Canvas& c, const Face& f, bool ears = true) {
    const Rgba shade = Shade(f.skin, 0.8f);
    c.FillPolygon({{kCx - 21, kHy + 30}, {kCx + 21, kHy + 30}, {kCx + 23, 250}, {kCx - 23, 250}}, kInk);
    c.FillPolygon({{kCx - 19, kHy + 30}, {kCx + 19, kHy + 30}, {kCx + 21, 250}, {kCx - 21, 250}}, shade);
    if (ears)
        for (int s : {-1, 1}) {
            c.FillEllipse(kCx + s * (f.rx - 1), kHy + 6, 9, 14, kInk);
            c.FillEllipse(kCx + s * (f.rx - 1), kHy + 6, 7, 12, s > 0 ? shade : f.skin);
        }
    c.FillPolygon(FaceShape(f.rx, f.ry, f.jaw, 2), kInk);
    c.FillPolygon(FaceShape(f.rx, f.ry, f.jaw, 0), f.skin);
    // The shadow: the face's right edge and a curve a third of the way in.
    std::vector<Point> side;
    for (int i = -18; i <= 18; ++i) {
        const float a = i * kPi / 36, s = std::sin(a);
        const float k = s > 0 ? 1 - f.jaw * s * s : 1.0f;
        side.push_back({kCx + f.rx * k * std::cos(a), kHy + f.ry * s});
    }
    for (int i = 18; i >= -18; --i) {
        const float a = i * kPi / 36, s = std::sin(a);
        const float k = s > 0 ? 1 - f.jaw * s * s : 1.0f;
        side.push_back({kCx + 10 + f.rx * 0.45f * k * std::cos(a), kHy + f.ry * 0.96f * s});
    }
    c.FillPolygon(side, WithAlpha(shade, 150));
    // Cheek colour.
    for (int s : {-1, 1}) c.FillEllipse(kCx + s * 24, kHy + 20, 8, 4, WithAlpha(kEmber, 28));
}

enum class EyeKind { Open, Gentle, Narrow, Fierce, Sly };

// One eye at (ex, ey); side -1 is the viewer's left.
void Eye(Canvas& c, float ex, float ey, int side, Rgba iris, EyeKind kind) {
    const float rx = 10, ry = kind == EyeKind::Gentle ? 7.0f : kind == EyeKind::Narrow ? 4.0f : 6.0f;
    c.FillEllipse(ex, ey, rx, ry, kBone);
    const float ir = kind == EyeKind::Gentle ? 5.5f : 4.8f;
    c.FillCircle(ex + side * -1.0f, ey + 0.5f, ir, iris);
    c.FillCircle(ex + side * -1.0f, ey + 0.5f, ir * 0.45f, kInk);
    c.FillCircle(ex + side * -1.0f - 1.8f, ey - 1.5f, 1.4f, kBone);
    // The lids: the upper one thick, rising to the outer corner for the sly and fierce.
    const float outer = (kind == EyeKind::Sly || kind == EyeKind::Fierce) ? -3.0f : 0.0f;
    Stroke(c, {{ex - side * 11, ey + 1}, {ex - side * 3, ey - ry - 0.5f}, {ex + side * 11, ey - 1 + outer}}, 2.6f,
           kInk);
    c.Line(ex - side * 6, ey + ry - 0.5f, ex + side * 7, ey + ry - 1.5f, 1.0f, WithAlpha(kInk, 110));
    if (kind == EyeKind::Narrow)  // a heavy upper lid over the half-closed eye
        c.FillPolygon({{ex - 10, ey - 2}, {ex + 10, ey - 2}, {ex + 10, ey - 8}, {ex - 10, ey - 8}},
                      WithAlpha(kInk, 60));
    if (kind == EyeKind::Sly || kind == EyeKind::Gentle)  // lashes at the outer corner
        c.Line(ex + side * 10, ey - 1 + outer, ex + side * 15, ey - 4 + outer, 2.0f, kInk);
}

// A brow over the eye at (ex, ey): `tilt` raises its outer end (negative lowers it).
void Brow(Canvas& c, float ex, float ey, int side, float tilt, float width, Rgba col) {
    Stroke(c, {{ex - side * 10, ey - 12 + tilt * 0.3f}, {ex, ey - 14}, {ex + side * 11, ey - 12 - tilt}}, width, col);
}

void Nose(Canvas& c, Rgba skin) {
    c.Line(kCx + 3, kHy + 12, kCx + 5, kHy + 24, 2.0f, Shade(skin, 0.65f));
    c.Line(kCx - 1, kHy + 26, kCx + 5, kHy + 26, 2.0f, Shade(skin, 0.7f));
}

// The shoulders and chest in `coat`, a collar of `trim` round the neck.
void Shoulders(Canvas& c, Rgba coat, Rgba trim) {
    std::vector<Point> body = {{-6, kTexH}, {-6, 292},  {8, 262},   {54, 236},
                               {158, 236},  {204, 262}, {218, 292}, {218, kTexH}};
    std::vector<Point> outline;
    for (const Point& p : body) outline.push_back({p.x + (p.x < kCx ? -2.0f : 2.0f), p.y - 2});
    c.FillPolygon(outline, kInk);
    c.FillPolygon(body, coat);
    c.FillPolygon({{-6, kTexH}, {-6, 292}, {8, 262}, {54, 236}, {kCx, 236}, {kCx, kTexH}}, WithAlpha(kBone, 24));
    c.FillPolygon({{kCx - 30, 234}, {kCx, 276}, {kCx + 30, 234}}, kInk);
    c.FillPolygon({{kCx - 27, 235}, {kCx, 270}, {kCx + 27, 235}}, trim);
    c.FillPolygon({{kCx - 19, 235}, {kCx, 258}, {kCx + 19, 235}}, Shade(coat, 0.55f));
}

// A rounded plate over each shoulder.
void Pauldrons(Canvas& c, Rgba metal, Rgba rim) {
    for (int s : {-1, 1}) {
        const float x = kCx + s * 70;
        c.FillEllipse(x, 262, 36, 24, kInk);
        c.FillEllipse(x, 261, 34, 22, metal);
        c.FillEllipse(x - 6, 254, 20, 9, WithAlpha(kBone, 60));
        c.EllipseRing(x, 261, 33, 21, 2.5f, rim);
    }
}

void Gem(Canvas& c, float cx, float cy, float r, Rgba col) {
    c.FillPolygon({{cx, cy - r - 1.5f}, {cx + r + 1.5f, cy}, {cx, cy + r + 1.5f}, {cx - r - 1.5f, cy}}, kInk);
    c.FillPolygon({{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, col);
    c.FillPolygon({{cx, cy - r}, {cx + r * 0.5f, cy - r * 0.5f}, {cx, cy}, {cx - r * 0.5f, cy - r * 0.5f}},
                  WithAlpha(kBone, 170));
}

// ---- the named persons ----------------------------------------------------------------

// Leon: a young swordsman of a border village, later a knight.  Spiky chestnut hair,
// sea-blue eyes, a blue tunic under steel plates, his sword's hilt over his shoulder.
void Leon(Canvas& c) {
    const Rgba hair = Mix(kEarth, kAmber, 0.45f), dark = Shade(hair, 0.7f);
    const Face f{Mix(kBone, kSand, 0.45f)};
    c.RadialGlow(kCx, 190, 130, WithAlpha(kSky, 60));
    // The sword over his back: grip, guard and pommel rise behind the right shoulder.
    c.Line(150, 300, 186, 196, 9, kInk);
    c.Line(150, 300, 186, 196, 6, kEarth);
    c.Line(160, 226, 196, 240, 9, kInk);
    c.Line(161, 227, 195, 239, 5, kGold);
    c.FillCircle(188, 190, 7, kInk);
    c.FillCircle(188, 190, 5, kGold);
    // Hair behind the head.
    c.FillEllipse(kCx, kHy - 14, 56, 56, kInk);
    c.FillEllipse(kCx, kHy - 14, 54, 54, dark);
    Shoulders(c, kSea, kGold);
    Pauldrons(c, kSteel, kMist);
    DrawHead(c, f);
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 19, kHy + 4, s, kSea, EyeKind::Open);
        Brow(c, kCx + s * 19, kHy + 4, s, 1, 3.5f, dark);
    }
    Nose(c, f.skin);
    Stroke(c, {{kCx - 8, kHy + 37}, {kCx, kHy + 38}, {kCx + 9, kHy + 36}}, 2.2f, Shade(kEmber, 0.8f));
    // Spikes all round the crown, outlined, then the fringe's locks over the brow.
    const Point crown[] = {{kCx - 58, kHy - 4},  {kCx - 62, kHy - 46}, {kCx - 40, kHy - 84}, {kCx - 4, kHy - 98},
                           {kCx + 34, kHy - 90}, {kCx + 60, kHy - 60}, {kCx + 64, kHy - 12}};
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 7; ++i) {
            const float g = pass == 0 ? 3.0f : 0.0f;
            const Point t = crown[i];
            const float dx = t.x - kCx, dy = t.y - (kHy - 20), len = std::sqrt(dx * dx + dy * dy);
            const float nx = -dy / len * 18, ny = dx / len * 18;
            Lock(c, {kCx + dx * 0.3f + nx - g, kHy - 20 + dy * 0.3f + ny}, {t.x + dx / len * g, t.y + dy / len * g},
                 {kCx + dx * 0.3f - nx + g, kHy - 20 + dy * 0.3f - ny}, {0, 0}, pass == 0 ? kInk : hair);
        }
    c.FillEllipse(kCx, kHy - 40, 50, 30, hair);
    const float fringe[][3] = {{-42, -8, 2}, {-20, -2, 1}, {4, -6, 2}, {26, 0, 3}, {44, -12, 3}};
    for (const auto& k : fringe)
        Lock(c, {kCx + k[0] - 16, kHy - 50}, {kCx + k[0] + k[2], kHy - k[1] - 26}, {kCx + k[0] + 16, kHy - 50}, {-3, 0},
             kInk);
    for (const auto& k : fringe)
        Lock(c, {kCx + k[0] - 14, kHy - 52}, {kCx + k[0] + k[2], kHy - k[1] - 29}, {kCx + k[0] + 14, kHy - 52}, {-3, 0},
             hair);
    c.FillPolygon({{kCx - 36, kHy - 74}, {kCx - 4, kHy - 88}, {kCx - 24, kHy - 60}}, WithAlpha(kBone, 80));
}

// Sera: an apprentice priestess of light.  A white hood edged in gold with a sun on
// its brow, golden hair under it, large sky-blue eyes, a white robe and a sky stole.
void Sera(Canvas& c) {
    const Rgba hood = kBone, hoodShade = Mix(kBone, kMist, 0.7f), hair = Shade(kGold, 1.15f);
    const Face f{Mix(kBone, kSand, 0.2f), 42, 54, 0.32f};
    c.RadialGlow(kCx, 170, 140, WithAlpha(kBone, 90));
    c.RadialGlow(kCx, 110, 60, WithAlpha(kGold, 60));
    // The hood's back falls to the shoulders.
    const std::vector<Point> back = {{kCx - 72, 270},      {kCx - 70, kHy - 30}, {kCx - 46, kHy - 86}, {kCx, kHy - 100},
                                     {kCx + 46, kHy - 86}, {kCx + 70, kHy - 30}, {kCx + 72, 270}};
    std::vector<Point> backOut;
    for (const Point& p : back) backOut.push_back({kCx + (p.x - kCx) * 1.04f, p.y - 3});
    c.FillPolygon(backOut, kInk);
    c.FillPolygon(back, hoodShade);
    Shoulders(c, kBone, kGold);
    // The stole down the chest.
    for (int s : {-1, 1}) {
        c.FillPolygon({{kCx + s * 22, 238}, {kCx + s * 40, 238}, {kCx + s * 36, kTexH}, {kCx + s * 16, kTexH}}, kInk);
        c.FillPolygon({{kCx + s * 24, 240}, {kCx + s * 38, 240}, {kCx + s * 34, kTexH}, {kCx + s * 18, kTexH}}, kSky);
    }
    Gem(c, kCx, 282, 7, kSky);
    DrawHead(c, f, false);
    // Golden hair framing the face under the hood.
    for (int s : {-1, 1})
        Lock(c, {kCx + s * 30, kHy - 50}, {kCx + s * 46, kHy + 46}, {kCx + s * 48, kHy - 36}, {s * 4.0f, 0}, hair);
    Lock(c, {kCx - 40, kHy - 44}, {kCx - 10, kHy - 16}, {kCx + 6, kHy - 52}, {-2, 6}, hair);
    Lock(c, {kCx - 6, kHy - 52}, {kCx + 26, kHy - 22}, {kCx + 40, kHy - 44}, {2, 6}, hair);
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 18, kHy + 6, s, kSky, EyeKind::Gentle);
        Brow(c, kCx + s * 18, kHy + 4, s, -1, 2.2f, Shade(kGold, 0.7f));
    }
    Nose(c, f.skin);
    Stroke(c, {{kCx - 6, kHy + 37}, {kCx + 1, kHy + 39}, {kCx + 7, kHy + 37}}, 2.0f, Shade(kEmber, 0.95f));
    // The hood's front: a rim round the face, gold-edged, the sun on its brow.
    std::vector<Point> rim = {{kCx - 70, 268},      {kCx - 66, kHy - 34}, {kCx - 44, kHy - 82}, {kCx, kHy - 96},
                              {kCx + 44, kHy - 82}, {kCx + 66, kHy - 34}, {kCx + 70, 268},      {kCx + 50, 268}};
    std::vector<Point> hole;
    Curve(hole, {kCx + 50, 268}, {kCx + 56, kHy - 20}, {kCx + 44, kHy - 50}, 8);
    Curve(hole, {kCx + 44, kHy - 50}, {kCx, kHy - 86}, {kCx - 44, kHy - 50}, 10);
    Curve(hole, {kCx - 44, kHy - 50}, {kCx - 56, kHy - 20}, {kCx - 50, 268}, 8);
    for (const Point& p : hole) rim.push_back(p);
    c.FillPolygon(rim, hood);
    std::vector<Point> edge = {{kCx + 50, 268}};
    for (const Point& p : hole) edge.push_back(p);
    Stroke(c, edge, 4.0f, kGold);
    c.FillPolygon({{kCx + 44, kHy - 82}, {kCx + 66, kHy - 34}, {kCx + 70, 268}, {kCx + 58, 268}, {kCx + 56, kHy - 36}},
                  WithAlpha(kMist, 170));
    Stroke(c,
           {{kCx - 72, 268},
            {kCx - 68, kHy - 34},
            {kCx - 45, kHy - 84},
            {kCx, kHy - 98},
            {kCx + 45, kHy - 84},
            {kCx + 68, kHy - 34},
            {kCx + 72, 268}},
           2.5f, kInk);
    // The sun: a gold disc with rays.
    const float sx = kCx, sy = kHy - 72;
    for (int i = 0; i < 8; ++i) {
        const float a = i * kPi / 4;
        c.Line(sx + std::cos(a) * 6, sy + std::sin(a) * 6, sx + std::cos(a) * 14, sy + std::sin(a) * 14, 3, kGold);
    }
    c.FillCircle(sx, sy, 8, kInk);
    c.FillCircle(sx, sy, 6.5f, kGold);
    c.FillCircle(sx - 2, sy - 2, 2.5f, WithAlpha(kBone, 200));
}

// Garde: a silent hunter of the forest.  Shaggy dark hair over one eye, a short beard,
// half-closed moss-green eyes, a scar on the cheek, a green cowl round his shoulders
// and arrows' fletchings over his back.
void Garde(Canvas& c) {
    const Rgba hair = Shade(kEarth, 0.55f), dark = Shade(hair, 0.7f);
    const Face f{Mix(kSand, kEarth, 0.4f), 45, 55, 0.18f};
    c.RadialGlow(kCx, 190, 130, WithAlpha(kLeaf, 55));
    // Fletchings of the quiver behind the left shoulder.
    for (int i = 0; i < 3; ++i) {
        const float x = 22 + i * 11, y = 206 + i * 6;
        c.Line(x + 12, y + 40, x, y, 3, kInk);
        Lock(c, {x - 6, y + 2}, {x, y - 16}, {x + 6, y + 2}, {0, 0}, kInk);
        Lock(c, {x - 4, y + 1}, {x, y - 13}, {x + 4, y + 1}, {0, 0}, i == 1 ? kEmber : kBone);
    }
    // Shaggy hair behind the head, its ends ragged about the neck.
    std::vector<Point> mane;
    for (int i = 0; i <= 20; ++i) {
        const float a = kPi + i * kPi / 20;
        mane.push_back({kCx + 62 * std::cos(a), kHy - 4 + 76 * std::sin(a)});
    }
    const float ends[][2] = {{62, 14}, {54, 30}, {60, 48}, {44, 42}, {40, 58}, {24, 44}};
    for (const auto& e : ends) mane.push_back({kCx + e[0], kHy + e[1]});
    for (int i = 5; i >= 0; --i) mane.push_back({kCx - ends[i][0], kHy + ends[i][1]});
    std::vector<Point> maneOut;
    for (const Point& p : mane) maneOut.push_back({kCx + (p.x - kCx) * 1.04f, kHy + (p.y - kHy) * 1.04f});
    c.FillPolygon(maneOut, kInk);
    c.FillPolygon(mane, dark);
    Shoulders(c, Shade(kEarth, 0.9f), Shade(kEarth, 0.6f));
    // The quiver's strap across the chest.
    c.Line(40, 250, 190, kTexH, 12, kInk);
    c.Line(40, 250, 190, kTexH, 8, Shade(kAmber, 0.8f));
    // The cowl: its hood bunched behind the neck, its cloth wound round the throat and
    // hanging in a point over the chest.
    const std::vector<Point> hood = {{kCx - 80, 264}, {kCx - 68, 226}, {kCx - 30, 206},
                                     {kCx + 30, 206}, {kCx + 68, 226}, {kCx + 80, 264}};
    std::vector<Point> hoodOut;
    for (const Point& p : hood) hoodOut.push_back({kCx + (p.x - kCx) * 1.04f, p.y - 3});
    c.FillPolygon(hoodOut, kInk);
    c.FillPolygon(hood, Shade(kMoss, 0.75f));
    DrawHead(c, f);
    const std::vector<Point> drape = {{kCx - 66, 244}, {kCx - 40, 228}, {kCx, 236},     {kCx + 40, 228},
                                      {kCx + 66, 244}, {kCx + 50, 266}, {kCx + 8, 292}, {kCx - 44, 268}};
    std::vector<Point> drapeOut;
    for (const Point& p : drape) drapeOut.push_back({kCx + (p.x - kCx) * 1.05f, 250 + (p.y - 250) * 1.1f});
    c.FillPolygon(drapeOut, kInk);
    c.FillPolygon(drape, kMoss);
    Stroke(c, {{kCx - 44, 244}, {kCx - 2, 262}, {kCx + 40, 244}}, 2.5f, Shade(kMoss, 0.6f));
    Stroke(c, {{kCx - 24, 258}, {kCx + 6, 278}, {kCx + 30, 260}}, 2.0f, Shade(kMoss, 0.6f));
    c.FillPolygon({{kCx - 60, 244}, {kCx - 38, 232}, {kCx - 6, 240}, {kCx - 36, 240}}, WithAlpha(kLeaf, 120));
    // The beard: jaw and chin, and the moustache.
    std::vector<Point> beard;
    for (int i = 0; i <= 18; ++i) {
        const float a = i * kPi / 18, s = std::sin(a), k = 1 - f.jaw * s * s;
        beard.push_back({kCx + (f.rx * k + 1) * std::cos(a), kHy + (f.ry + 3) * s});
    }
    for (int i = 18; i >= 0; --i) {
        const float a = i * kPi / 18, s = std::sin(a);
        beard.push_back({kCx + f.rx * 0.78f * std::cos(a), kHy + 16 + 22 * s});
    }
    c.FillPolygon(beard, hair);
    c.FillPolygon({{kCx - 16, kHy + 33}, {kCx + 16, kHy + 33}, {kCx + 10, kHy + 30}, {kCx - 10, kHy + 30}}, hair);
    c.FillEllipse(kCx, kHy + 42, 9, 3, Shade(kEmber, 0.6f));
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 19, kHy + 4, s, kMoss, EyeKind::Narrow);
        Brow(c, kCx + s * 19, kHy + 6, s, -1, 4.5f, hair);
    }
    Nose(c, f.skin);
    // The scar down the left cheek.
    c.Line(kCx - 30, kHy + 10, kCx - 22, kHy + 30, 2.0f, Shade(f.skin, 0.6f));
    // Shaggy locks over the brow, one falling over his right eye.
    const float locks[][4] = {{-56, -40, -60, 20}, {-36, -56, -38, -8}, {-10, -62, -12, -18},
                              {14, -60, 16, -12},  {36, -52, 46, 14},   {52, -40, 60, 26}};
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& k : locks) {
            const float g = pass == 0 ? 2.5f : 0;
            Lock(c, {kCx + k[0] - 16 - g, kHy + k[1] - 20}, {kCx + k[2], kHy + k[3] + g},
                 {kCx + k[0] + 16 + g, kHy + k[1] - 20}, {4, 0}, pass == 0 ? kInk : hair);
        }
    c.FillEllipse(kCx, kHy - 62, 54, 22, hair);
    c.FillPolygon({{kCx - 30, kHy - 70}, {kCx + 6, kHy - 78}, {kCx - 20, kHy - 58}}, WithAlpha(kSand, 70));
}

// Mina: a mercenary captain on horseback.  Flame-red hair swept to one side and tied
// in a high tail that flies to the left, amber eyes, a sure smile, a gold earring,
// leather and one steel plate, a wine-red scarf.
void Mina(Canvas& c) {
    const Rgba hair = Shade(kEmber, 1.12f), dark = Shade(kEmber, 0.7f);
    const Face f{Mix(kBone, kSand, 0.55f), 43, 54, 0.3f};
    c.RadialGlow(kCx, 190, 130, WithAlpha(kGold, 55));
    // The tail: from the crown, flying out to the viewer's left and down.
    std::vector<Point> tail = {{kCx - 30, kHy - 74}};
    Curve(tail, {kCx - 30, kHy - 74}, {kCx - 98, kHy - 92}, {kCx - 82, kHy + 40}, 14);
    Curve(tail, {kCx - 82, kHy + 40}, {kCx - 76, kHy - 40}, {kCx - 10, kHy - 60}, 12);
    std::vector<Point> tailOut;
    for (const Point& p : tail)
        tailOut.push_back({kCx - 40 + (p.x - kCx + 40) * 1.06f, kHy - 30 + (p.y - kHy + 30) * 1.05f});
    c.FillPolygon(tailOut, kInk);
    c.FillPolygon(tail, hair);
    c.Line(kCx - 62, kHy - 70, kCx - 78, kHy - 10, 3, WithAlpha(kBone, 60));
    c.FillEllipse(kCx, kHy - 12, 52, 54, kInk);
    c.FillEllipse(kCx, kHy - 12, 50, 52, dark);
    Shoulders(c, kEarth, kGold);
    // One plate on the sword arm (the viewer's left), the scarf round the neck.
    c.FillEllipse(kCx - 70, 262, 36, 24, kInk);
    c.FillEllipse(kCx - 70, 261, 34, 22, kSteel);
    c.FillEllipse(kCx - 76, 254, 20, 9, WithAlpha(kBone, 60));
    c.EllipseRing(kCx - 70, 261, 33, 21, 2.5f, kGold);
    DrawHead(c, f);
    c.FillEllipse(kCx, 244, 40, 12, kInk);
    c.FillEllipse(kCx, 243, 38, 10, kWine);
    c.Line(kCx + 10, 246, kCx + 26, 290, 10, kInk);
    c.Line(kCx + 10, 246, kCx + 26, 288, 7, kWine);
    // The gold earring on the right ear.
    c.Ring(kCx + f.rx, kHy + 24, 5, 2.5f, kGold);
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 18, kHy + 4, s, kAmber, EyeKind::Sly);
        Brow(c, kCx + s * 18, kHy + 4, s, 3, 3.0f, dark);
    }
    Nose(c, f.skin);
    // A one-sided smile.
    Stroke(c, {{kCx - 9, kHy + 36}, {kCx + 2, kHy + 38}, {kCx + 11, kHy + 33}}, 2.2f, Shade(kEmber, 0.75f));
    // Bangs swept across to the right, the crown.
    c.FillEllipse(kCx, kHy - 46, 50, 32, kInk);
    c.FillEllipse(kCx, kHy - 46, 48, 30, hair);
    for (int pass = 0; pass < 2; ++pass) {
        const Rgba col = pass == 0 ? kInk : hair;
        const float g = pass == 0 ? 2.5f : 0;
        Lock(c, {kCx - 50 - g, kHy - 50}, {kCx + 20 + g, kHy - 14 + g}, {kCx + 30, kHy - 62}, {-6, 10}, col);
        Lock(c, {kCx + 4, kHy - 64}, {kCx + 52 + g, kHy - 6 + g}, {kCx + 52 + g, kHy - 44}, {4, 4}, col);
        Lock(c, {kCx - 48 - g, kHy - 46}, {kCx - 50 - g, kHy + 10}, {kCx - 30, kHy - 46}, {-4, 0}, col);
    }
    c.Line(kCx - 30, kHy - 66, kCx + 4, kHy - 56, 3, WithAlpha(kBone, 70));
    // The tie of the tail.
    c.FillEllipse(kCx - 34, kHy - 74, 8, 6, kInk);
    c.FillEllipse(kCx - 34, kHy - 74, 6, 4, kGold);
}

// Volg: the empire's fierce general.  A broad face under a dark horned helm edged in
// gold, a full black beard, ember eyes under heavy brows bent in anger, a scar over
// the nose, spiked plates and a wine-red cloak.
void Volg(Canvas& c) {
    const Rgba helm = Shade(kSlate, 0.75f), beard = Mix(kInk, kEarth, 0.25f);
    const Face f{Mix(Mix(kSand, kEarth, 0.35f), kEmber, 0.12f), 50, 54, 0.08f};
    c.RadialGlow(kCx, 190, 140, WithAlpha(kEmber, 70));
    // The horns, curving out and up from the helm's sides.
    for (int s : {-1, 1}) {
        for (int pass = 0; pass < 2; ++pass) {
            const float g = pass == 0 ? 3.0f : 0;
            std::vector<Point> horn = {{kCx + s * (46 - g), kHy - 40 - g}};
            Curve(horn, {kCx + s * (46 - g), kHy - 40 - g}, {kCx + s * (92 + g), kHy - 50},
                  {kCx + s * (82 + g), kHy - 120 - g}, 12);
            Curve(horn, {kCx + s * (82 + g), kHy - 120 - g}, {kCx + s * 72, kHy - 64},
                  {kCx + s * (44 - g), kHy - 60 + g}, 12);
            c.FillPolygon(horn, pass == 0 ? kInk : Mix(kBone, kSand, 0.4f));
        }
        for (int r = 0; r < 3; ++r)
            c.Line(kCx + s * (66 + r * 6), kHy - 54 - r * 14, kCx + s * (74 + r * 5), kHy - 64 - r * 14, 2,
                   Shade(kSand, 0.7f));
    }
    // The cloak behind, the plates with spikes.
    c.FillPolygon({{-6, kTexH}, {-6, 250}, {kCx, 226}, {218, 250}, {218, kTexH}}, Shade(kWine, 0.8f));
    Shoulders(c, Shade(kSlate, 0.8f), kGold);
    for (int s : {-1, 1})
        for (int k = 0; k < 3; ++k) {
            const float x = kCx + s * (54 + k * 16), y = 246 + k * 4;
            Lock(c, {x - 6, y}, {x + s * 4, y - 26 + k * 4}, {x + 6, y}, {0, 0}, kInk);
            Lock(c, {x - 4, y}, {x + s * 4, y - 22 + k * 4}, {x + 4, y}, {0, 0}, kMist);
        }
    Pauldrons(c, helm, kGold);
    DrawHead(c, f, false);
    // A full beard from the cheeks down, and the moustache.
    std::vector<Point> b;
    for (int i = 0; i <= 18; ++i) {
        const float a = i * kPi / 18, s = std::sin(a), k = 1 - f.jaw * s * s;
        b.push_back({kCx + (f.rx * k + 3) * std::cos(a), kHy + 6 + (f.ry + 12) * s});
    }
    for (int i = 18; i >= 0; --i) {
        const float a = i * kPi / 18, s = std::sin(a);
        b.push_back({kCx + f.rx * 0.7f * std::cos(a), kHy + 22 + 16 * s});
    }
    c.FillPolygon(b, beard);
    c.FillPolygon({{kCx - 24, kHy + 36},
                   {kCx - 4, kHy + 28},
                   {kCx + 4, kHy + 28},
                   {kCx + 24, kHy + 36},
                   {kCx + 4, kHy + 33},
                   {kCx - 4, kHy + 33}},
                  beard);
    c.Line(kCx - 8, kHy + 41, kCx + 8, kHy + 41, 3, Shade(kWine, 0.8f));
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 21, kHy + 4, s, kEmber, EyeKind::Fierce);
        // Heavy brows, low at the nose: a scowl.
        Stroke(c, {{kCx + s * 8, kHy - 4}, {kCx + s * 20, kHy - 10}, {kCx + s * 34, kHy - 14}}, 6, beard);
    }
    c.Line(kCx - 2, kHy - 6, kCx - 1, kHy + 2, 2, Shade(f.skin, 0.6f));
    Nose(c, f.skin);
    c.Line(kCx - 14, kHy + 8, kCx + 16, kHy + 22, 2.5f, Shade(kEmber, 0.7f));
    // The helm: a dark cap with cheek guards, a gold rim and a crest ridge.
    std::vector<Point> cap = {{kCx - 58, kHy + 30}, {kCx - 60, kHy - 30}, {kCx - 44, kHy - 70}, {kCx, kHy - 86},
                              {kCx + 44, kHy - 70}, {kCx + 60, kHy - 30}, {kCx + 58, kHy + 30}, {kCx + 44, kHy + 30},
                              {kCx + 46, kHy - 18}, {kCx, kHy - 30},      {kCx - 46, kHy - 18}, {kCx - 44, kHy + 30}};
    std::vector<Point> capOut;
    for (const Point& p : cap) capOut.push_back({kCx + (p.x - kCx) * 1.05f, kHy - 20 + (p.y - kHy + 20) * 1.05f});
    c.FillPolygon(capOut, kInk);
    c.FillPolygon(cap, helm);
    c.FillPolygon({{kCx - 40, kHy - 60}, {kCx - 6, kHy - 80}, {kCx - 30, kHy - 44}}, WithAlpha(kMist, 90));
    Stroke(c, {{kCx - 46, kHy - 18}, {kCx, kHy - 30}, {kCx + 46, kHy - 18}}, 5, kGold);
    c.FillPolygon({{kCx - 6, kHy - 30}, {kCx - 6, kHy - 88}, {kCx, kHy - 96}, {kCx + 6, kHy - 88}, {kCx + 6, kHy - 30}},
                  kInk);
    c.FillPolygon({{kCx - 4, kHy - 32}, {kCx - 4, kHy - 87}, {kCx, kHy - 93}, {kCx + 4, kHy - 87}, {kCx + 4, kHy - 32}},
                  kGold);
    for (int s : {-1, 1}) c.FillCircle(kCx + s * 52, kHy - 24, 4, kGold);
}

// Zaira: a sorceress of darkness.  Long straight black hair parted in the middle and
// falling past her shoulders, a silver circlet with a red stone, pale skin, red eyes
// with long lashes, dark lips, a high black collar lined in wine.
void Zaira(Canvas& c) {
    const Rgba hair = Mix(kInk, kNight, 0.55f), sheen = Mix(kNight, kSlate, 0.6f);
    const Face f{Mix(kBone, kMist, 0.35f), 41, 54, 0.32f};
    c.RadialGlow(kCx, 180, 150, WithAlpha(kWine, 130));
    // The hair's long fall behind her, past the shoulders.
    c.FillPolygon({{kCx - 74, 330},
                   {kCx - 66, kHy - 40},
                   {kCx - 40, kHy - 82},
                   {kCx, kHy - 90},
                   {kCx + 40, kHy - 82},
                   {kCx + 66, kHy - 40},
                   {kCx + 74, 330}},
                  kInk);
    c.FillPolygon({{kCx - 71, 326},
                   {kCx - 63, kHy - 40},
                   {kCx - 38, kHy - 79},
                   {kCx, kHy - 87},
                   {kCx + 38, kHy - 79},
                   {kCx + 63, kHy - 40},
                   {kCx + 71, 326}},
                  hair);
    // The high collar rising behind her neck in two points.
    for (int s : {-1, 1}) {
        c.FillPolygon({{kCx + s * 10, 250}, {kCx + s * 64, kHy + 24}, {kCx + s * 60, 244}}, kInk);
        c.FillPolygon({{kCx + s * 14, 248}, {kCx + s * 60, kHy + 30}, {kCx + s * 56, 243}}, kWine);
    }
    Shoulders(c, Mix(kInk, kNight, 0.5f), kGold);
    DrawHead(c, f, false);
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 18, kHy + 6, s, Shade(kEmber, 1.1f), EyeKind::Sly);
        Brow(c, kCx + s * 18, kHy + 6, s, 4, 2.0f, hair);
    }
    Nose(c, f.skin);
    c.FillEllipse(kCx, kHy + 37, 8, 2.6f, kWine);
    c.Line(kCx - 8, kHy + 36, kCx + 8, kHy + 36, 1.2f, kInk);
    // The hair over the face's sides, parted in the middle, with a sheen.
    for (int s : {-1, 1}) {
        std::vector<Point> side = {{kCx, kHy - 84}};
        Curve(side, {kCx, kHy - 84}, {kCx + s * 30, kHy - 80}, {kCx + s * 46, kHy - 40}, 8);
        Curve(side, {kCx + s * 46, kHy - 40}, {kCx + s * 48, kHy + 40}, {kCx + s * 64, 300}, 10);
        side.push_back({kCx + s * 74, 300});
        Curve(side, {kCx + s * 74, 300}, {kCx + s * 70, kHy - 20}, {kCx + s * 58, kHy - 60}, 10);
        Curve(side, {kCx + s * 58, kHy - 60}, {kCx + s * 36, kHy - 92}, {kCx, kHy - 92}, 8);
        c.FillPolygon(side, hair);
        Stroke(c, {{kCx + s * 44, kHy - 70}, {kCx + s * 56, kHy - 20}, {kCx + s * 60, kHy + 60}}, 2.5f,
               WithAlpha(sheen, 200));
        Stroke(c, {{kCx + s * 30, kHy - 80}, {kCx + s * 46, kHy - 40}, {kCx + s * 52, kHy + 60}, {kCx + s * 64, 300}},
               2.0f, kInk);
    }
    // The circlet and its stone.
    Stroke(c, {{kCx - 42, kHy - 40}, {kCx - 20, kHy - 50}, {kCx, kHy - 52}, {kCx + 20, kHy - 50}, {kCx + 42, kHy - 40}},
           4.5f, kInk);
    Stroke(c, {{kCx - 42, kHy - 40}, {kCx - 20, kHy - 50}, {kCx, kHy - 52}, {kCx + 20, kHy - 50}, {kCx + 42, kHy - 40}},
           2.5f, kMist);
    Gem(c, kCx, kHy - 50, 6, kEmber);
}

// The black knight, whose face no one has seen: a closed black helm with a narrow
// visor in which two red lights burn, a wine-red plume, black plates rimmed in steel.
void BlackKnight(Canvas& c) {
    const Rgba black = Mix(kInk, kNight, 0.45f), rim = Shade(kSteel, 0.8f);
    c.RadialGlow(kCx, 190, 140, WithAlpha(kInk, 150));
    // The plume sweeping back from the crest.
    std::vector<Point> plume = {{kCx - 6, kHy - 90}};
    Curve(plume, {kCx - 6, kHy - 90}, {kCx + 60, kHy - 130}, {kCx + 84, kHy - 30}, 12);
    Curve(plume, {kCx + 84, kHy - 30}, {kCx + 50, kHy - 94}, {kCx + 10, kHy - 72}, 12);
    std::vector<Point> plumeOut;
    for (const Point& p : plume) plumeOut.push_back({p.x + (p.x > kCx ? 2.5f : -2.5f), p.y - 2.5f});
    c.FillPolygon(plumeOut, kInk);
    c.FillPolygon(plume, kWine);
    c.Line(kCx + 10, kHy - 96, kCx + 66, kHy - 70, 2.5f, Shade(kWine, 1.3f));
    Shoulders(c, black, rim);
    Pauldrons(c, black, rim);
    // The gorget.
    c.FillPolygon({{kCx - 34, kHy + 50}, {kCx + 34, kHy + 50}, {kCx + 44, 250}, {kCx - 44, 250}}, kInk);
    c.FillPolygon({{kCx - 31, kHy + 52}, {kCx + 31, kHy + 52}, {kCx + 40, 248}, {kCx - 40, 248}}, black);
    for (int k = 0; k < 3; ++k)
        c.Line(kCx - 36 - k * 1.5f, kHy + 62 + k * 10, kCx + 36 + k * 1.5f, kHy + 62 + k * 10, 2, rim);
    // The helm: a tall dome to a pointed chin, with a crest.
    std::vector<Point> helm;
    for (int i = 0; i < 72; ++i) {
        const float a = i * 2 * kPi / 72, s = std::sin(a);
        const float k = s > 0 ? 1 - 0.35f * s * s : 1.0f;
        helm.push_back({kCx + 50 * k * std::cos(a), kHy - 8 + 74 * s * (s > 0 ? 0.8f : 1.0f)});
    }
    std::vector<Point> out;
    for (const Point& p : helm) out.push_back({kCx + (p.x - kCx) * 1.05f, kHy - 8 + (p.y - kHy + 8) * 1.04f});
    c.FillPolygon(out, kInk);
    c.FillPolygon(helm, black);
    c.FillPolygon({{kCx - 40, kHy - 50}, {kCx - 8, kHy - 78}, {kCx - 32, kHy - 30}}, WithAlpha(kSteel, 90));
    c.FillPolygon({{kCx + 20, kHy - 70}, {kCx + 46, kHy - 30}, {kCx + 44, kHy + 10}, {kCx + 30, kHy - 34}},
                  WithAlpha(kInk, 140));
    // The crest ridge and the visor's frame.
    c.Line(kCx, kHy - 82, kCx, kHy - 8, 6, rim);
    c.Line(kCx, kHy - 82, kCx, kHy - 8, 2, kInk);
    c.FillPolygon({{kCx - 44, kHy - 6}, {kCx + 44, kHy - 6}, {kCx + 42, kHy + 14}, {kCx - 42, kHy + 14}}, rim);
    c.FillPolygon({{kCx - 40, kHy - 1}, {kCx + 40, kHy - 1}, {kCx + 38, kHy + 9}, {kCx - 38, kHy + 9}}, kInk);
    // Breathing holes below the visor, the red lights behind it.
    for (int r = 0; r < 3; ++r)
        for (int s : {-1, 1}) c.FillCircle(kCx + s * (12 + r * 8), kHy + 30 + r * 4, 2.2f, kInk);
    for (int s : {-1, 1}) {
        c.RadialGlow(kCx + s * 18, kHy + 4, 22, WithAlpha(kEmber, 200));
        c.FillEllipse(kCx + s * 18, kHy + 4, 9, 3, Shade(kEmber, 1.3f));
        c.FillEllipse(kCx + s * 18, kHy + 4, 4, 1.5f, kBone);
    }
}

// ---- the rank and file ---------------------------------------------------------------

// A rank-and-file face: plain eyes and brows, a kettle helmet, a soft cap or short
// hair; drab coats.  None has a hood, long hair, red hair, horns or a closed helm.
void Soldier(Canvas& c, int id) {
    Rng rng(Hash(static_cast<uint32_t>(id) * 2654435761u + 17));
    const Rgba skins[4] = {Mix(kBone, kSand, 0.4f), Mix(kBone, kSand, 0.7f), kSand, Mix(kSand, kEarth, 0.45f)};
    const Rgba hairs[4] = {Shade(kSand, 0.85f), kMist, Shade(kSlate, 0.9f), Mix(kEarth, kInk, 0.5f)};
    const Rgba coats[6] = {kSteel, kMoss, kSlate, kSea, kAmber, Shade(kEarth, 1.1f)};
    const Rgba eyes[3] = {kSea, kEarth, kSlate};
    const Face f{skins[rng.Range(0, 3)], 44, 54, 0.2f};
    const Rgba hair = hairs[rng.Range(0, 3)], coat = coats[id % 6];
    const int style = id % 3;  // 0 kettle helmet, 1 soft cap, 2 short hair
    c.RadialGlow(kCx, 190, 120, WithAlpha(Shade(coat, 1.2f), 60));
    Shoulders(c, coat, kBone);
    DrawHead(c, f, style != 0);
    for (int s : {-1, 1}) {
        Eye(c, kCx + s * 19, kHy + 4, s, eyes[id % 3], EyeKind::Open);
        Brow(c, kCx + s * 19, kHy + 4, s, 0, 3.0f, Shade(hair, 0.6f));
    }
    Nose(c, f.skin);
    c.Line(kCx - 8, kHy + 37, kCx + 8, kHy + 37, 2.2f, Shade(kEmber, 0.7f));
    if (style == 0) {
        c.FillEllipse(kCx, kHy - 30, 76, 14, kInk);
        c.FillEllipse(kCx, kHy - 31, 74, 12, Shade(kSteel, 0.9f));
        c.FillEllipse(kCx, kHy - 46, 48, 36, kInk);
        c.FillEllipse(kCx, kHy - 46, 46, 34, kSteel);
        c.FillRect(static_cast<int>(kCx) - 48, static_cast<int>(kHy) - 40, 96, 12, kSteel);
        c.FillEllipse(kCx - 16, kHy - 62, 16, 10, WithAlpha(kMist, 110));
        c.FillRect(static_cast<int>(kCx) - 46, static_cast<int>(kHy) - 36, 92, 3, Shade(kSteel, 0.7f));
    } else if (style == 1) {
        // Hair at the temples under a soft cap whose crown slumps to one side.
        for (int sd : {-1, 1}) {
            c.FillEllipse(kCx + sd * 38, kHy - 26, 14, 18, kInk);
            c.FillEllipse(kCx + sd * 38, kHy - 26, 12, 16, hair);
        }
        const Rgba cap = (id % 2) ? Shade(kAmber, 0.8f) : Shade(kSlate, 1.1f);
        std::vector<Point> crown = {{kCx - 48, kHy - 34}};
        Curve(crown, {kCx - 48, kHy - 34}, {kCx - 40, kHy - 92}, {kCx + 30, kHy - 84}, 10);
        Curve(crown, {kCx + 30, kHy - 84}, {kCx + 74, kHy - 78}, {kCx + 66, kHy - 46}, 8);
        Curve(crown, {kCx + 66, kHy - 46}, {kCx + 56, kHy - 56}, {kCx + 48, kHy - 34}, 6);
        std::vector<Point> out;
        for (const Point& p : crown) out.push_back({kCx + (p.x - kCx) * 1.04f, kHy - 50 + (p.y - kHy + 50) * 1.06f});
        c.FillPolygon(out, kInk);
        c.FillPolygon(crown, cap);
        c.FillPolygon({{kCx - 30, kHy - 66}, {kCx, kHy - 80}, {kCx - 20, kHy - 56}}, WithAlpha(kBone, 60));
        c.FillRect(static_cast<int>(kCx) - 50, static_cast<int>(kHy) - 40, 100, 10, kInk);
        c.FillRect(static_cast<int>(kCx) - 49, static_cast<int>(kHy) - 39, 98, 8, Shade(cap, 0.7f));
    } else {
        c.FillEllipse(kCx, kHy - 36, 48, 34, kInk);
        c.FillEllipse(kCx, kHy - 36, 46, 32, hair);
        c.FillPolygon({{kCx - 46, kHy - 30}, {kCx + 46, kHy - 30}, {kCx + 40, kHy - 20}, {kCx - 40, kHy - 20}}, hair);
        c.FillPolygon({{kCx - 30, kHy - 56}, {kCx - 4, kHy - 64}, {kCx - 20, kHy - 44}}, WithAlpha(kBone, 70));
    }
}

}  // namespace

Canvas MakePortrait(int id) {
    Canvas c(kTexW, kTexH);
    switch (id) {
        case 1: Leon(c); break;
        case 2: Sera(c); break;
        case 3: Garde(c); break;
        case 4: Mina(c); break;
        case 30: Volg(c); break;
        case 31: Zaira(c); break;
        case 32: BlackKnight(c); break;
        default: Soldier(c, id); break;
    }
    Canvas out = c.Shrunk(200, 300);
    // A number tag so every portrait can be told apart while testing, in the corner
    // no window shows.
    char tag[8];
    std::snprintf(tag, sizeof tag, "%03d", id);
    out.Text(176, 290, tag, 1, WithAlpha(kBone, 140));
    return out;
}

}  // namespace cg
