// Where the game's picture lands on a larger (or smaller) output, the scaling that puts
// it there, and the way back from an output position to the picture's own pixels. The
// scaling and the pointer's mapping share one rule: an output pixel shows the picture
// pixel under its centre, so a click lands on the pixel the player sees there.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/backend.h"

namespace plat::detail {

Placement FitPicture(int outW, int outH, int picW, int picH) {
    Placement r;
    if (picW <= 0 || picH <= 0) return r;
    if (outW <= 0 || outH <= 0) {
        r.w = picW;
        r.h = picH;
        return r;
    }
    double scale = std::min(double(outW) / picW, double(outH) / picH);
    if (scale >= 1.0) scale = static_cast<int>(scale);
    r.w = std::max(1, static_cast<int>(picW * scale + 1e-9));
    r.h = std::max(1, static_cast<int>(picH * scale + 1e-9));
    r.x = (outW - r.w) / 2;
    r.y = (outH - r.h) / 2;
    return r;
}

void OutputToPicture(const Placement& p, int picW, int picH, double ox, double oy, int& cx, int& cy) {
    if (p.w <= 0 || p.h <= 0) {
        cx = static_cast<int>(ox);
        cy = static_cast<int>(oy);
        return;
    }
    // Floor, so that positions left of or above the picture come out negative.
    cx = static_cast<int>(std::floor((ox - p.x + 0.5) * picW / p.w));
    cy = static_cast<int>(std::floor((oy - p.y + 0.5) * picH / p.h));
}

namespace {
// The picture pixel under the centre of placed pixel `o` (0 .. placed - 1).
inline int SourceIndex(int o, int picN, int placedN) {
    return static_cast<int>((int64_t(2) * o + 1) * picN / (int64_t(2) * placedN));
}
// The first placed pixel from `from` on showing picture pixel `source` or one after it
// (the placed pixel just before the one whose source it is, then stepped on).
inline int FirstShowing(int source, int from, int picN, int placedN) {
    int o = std::max(from, static_cast<int>(int64_t(source) * placedN / picN) - 1);
    while (o < placedN && SourceIndex(o, picN, placedN) < source) ++o;
    return o;
}
}  // namespace

Placement ScalePicture(const uint32_t* pic, int picW, int picH, int picPitch, const Placement& p,
                       const FrameChange& area, uint32_t* out, int outW, int outH, int outPitch) {
    Placement written;
    if (!pic || !out || picW <= 0 || picH <= 0 || p.w <= 0 || p.h <= 0) return written;
    const int x0 = std::max(area.left, 0), x1 = std::min(area.right, picW);
    const int y0 = std::max(area.top, 0), y1 = std::min(area.bottom, picH);
    if (x0 >= x1 || y0 >= y1) return written;
    // The placed columns showing the area, inside the output (one to one: the area's own).
    const bool oneToOne = p.w == picW;
    thread_local std::vector<int> columns;
    columns.clear();
    int firstColumn = -1, count = 0;
    if (oneToOne) {
        firstColumn = std::max(x0, -p.x);
        count = std::max(0, std::min(x1, outW - p.x) - firstColumn);
    } else {
        for (int ox = FirstShowing(x0, std::max(0, -p.x), picW, p.w), end = std::min(p.w, outW - p.x); ox < end;
             ++ox) {
            const int sx = SourceIndex(ox, picW, p.w);
            if (sx < x0) continue;
            if (sx >= x1) break;  // source columns only grow along the placement
            if (firstColumn < 0) firstColumn = ox;
            columns.push_back(sx);
        }
        count = int(columns.size());
    }
    if (count == 0) return written;
    const size_t rowBytes = sizeof(uint32_t) * size_t(count);
    int first = -1, last = -1, previousSource = -1;
    const uint32_t* previousRow = nullptr;
    for (int oy = FirstShowing(y0, std::max(0, -p.y), picH, p.h), end = std::min(p.h, outH - p.y); oy < end; ++oy) {
        const int sy = SourceIndex(oy, picH, p.h);
        if (sy < y0) continue;
        if (sy >= y1) break;
        uint32_t* dst = out + size_t(p.y + oy) * size_t(outPitch) + (p.x + firstColumn);
        const uint32_t* src = pic + size_t(sy) * size_t(picPitch);
        if (sy == previousSource) {
            std::memcpy(dst, previousRow, rowBytes);  // a whole factor repeats the row
        } else if (oneToOne) {
            std::memcpy(dst, src + firstColumn, rowBytes);
        } else {
            for (size_t i = 0; i < columns.size(); ++i) dst[i] = src[columns[i]];
        }
        previousSource = sy;
        previousRow = dst;
        if (first < 0) first = oy;
        last = oy;
    }
    if (first < 0) return written;
    written.x = p.x + firstColumn;
    written.w = count;
    written.y = p.y + first;
    written.h = last - first + 1;
    return written;
}

}  // namespace plat::detail
