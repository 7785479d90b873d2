// Program-wide small helpers.
#include "util/GameUtil.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "input/gvlInputManager.h"
#include "resources/SheetDraw.h"

void* NewZeroed(size_t size) {
    void* p = ::operator new(size);
    std::memset(p, 0, size);
    return p;
}

int Sign(double value) {
    if (value > 0) return 1;
    if (value < 0) return -1;
    return 0;
}

bool IsPointInRect(int left, int top, int right, int bottom, int x, int y) {
    return left <= x && x <= right && top <= y && y <= bottom;
}

bool RectContainsPoint(const gfx::Rect& rc, int x, int y) { return IsPointInRect(rc.left, rc.top, rc.right, rc.bottom, x, y); }

bool RectContainsMouse(const gfx::Rect& rc, IInputManager& input) {
    return RectContainsPoint(rc, input.GetX(), input.GetY());
}

float PowInt(float base, int exponent) {
    // The magnitude as unsigned so that the most negative exponent is safe too.
    unsigned long long n = exponent < 0 ? 0ULL - (unsigned long long)(long long)exponent : (unsigned long long)exponent;
    double result = 1.0, square = base;
    while (n) {
        if (n & 1) result *= square;
        square *= square;
        n >>= 1;
    }
    if (exponent < 0) result = 1.0 / result;
    return float(result);
}

bool StringEquals(const std::string& a, const char* b) {
    if (!b) return false;
    const size_t n = std::strlen(b);
    return a.size() == n && std::memcmp(a.data(), b, n) == 0;
}

bool StringNotEquals(const std::string& a, const char* b) { return !StringEquals(a, b); }

namespace {
struct Arrangement {
    int count;
    FigurePlacement places[4];
};
// Back figures first; offsets from the group's point.
const Arrangement kArrangements[7] = {
    {0, {}},
    {1, {{0, -22, -24}}},
    {2, {{1, -26, -27}, {0, -17, -21}}},
    {3, {{2, -31, -30}, {1, -22, -24}, {0, -13, -18}}},
    {4, {{3, -40, -33}, {2, -28, -27}, {1, -16, -21}, {0, -4, -15}}},
    {2, {{2, -31, -30}, {0, -13, -18}}},
    {3, {{3, -40, -33}, {2, -16, -21}, {0, -4, -15}}},
};
}  // namespace

int ArrangeUnitFigures(const int figures[4], FigurePlacement out[4], int* arrangement) {
    int n = 0;
    for (int i = 0; i < 4; ++i) n += figures[i] != -1;
    int a = 0;
    if (n == 0) a = 0;
    else if (figures[1] == -1 && n >= 2) a = figures[3] != -1 ? 6 : 5;
    else a = n;
    if (arrangement) *arrangement = a;
    const Arrangement& arr = kArrangements[a];
    for (int i = 0; i < arr.count; ++i) out[i] = arr.places[i];
    return arr.count;
}

void DrawUnitFigures(CD3DDrawTexture* sheet, int x, int y, unsigned char alpha, const int figures[4]) {
    FigurePlacement places[4];
    const int count = ArrangeUnitFigures(figures, places);
    for (int i = 0; i < count; ++i) {
        const int figure = figures[places[i].slot];
        // A unit whose members are not packed from slot 0 may leave an arranged slot
        // empty; an empty slot has no figure to draw.
        if (figure < 0) continue;
        DrawSheetCell(sheet, figure, x + places[i].dx, y + places[i].dy, alpha);
    }
}

void DrawUnitFigures(CD3DDrawTexture* sheet, int x, int y, unsigned char alpha, int f0, int f1, int f2, int f3) {
    const int figures[4] = {f0, f1, f2, f3};
    DrawUnitFigures(sheet, x, y, alpha, figures);
}
