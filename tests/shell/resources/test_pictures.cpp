#include "test_pictures.h"

#include <sys/stat.h>

#include "stb_image_write.h"

namespace pictures {

void Image::Fill(int l, int t, int r, int b, uint32_t c) {
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) Set(x, y, c);
}

void Image::Region(int l, int t, int r, int b, uint32_t fill, uint32_t edge) {
    Fill(l, t, r, b, edge);
    Fill(l + 1, t + 1, r - 1, b - 1, fill);
    Fill(l + 1, t + 1, l + 3, t + 3, 0xFFFFFFFF);
}

void Image::Disc(int cx, int cy, int radius, uint32_t c) {
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) Set(x, y, c);
}

bool Image::Save(const std::string& path) const {
    std::vector<unsigned char> rgba(px.size() * 4);
    for (size_t i = 0; i < px.size(); ++i) {
        rgba[i * 4 + 0] = (px[i] >> 16) & 0xFF;
        rgba[i * 4 + 1] = (px[i] >> 8) & 0xFF;
        rgba[i * 4 + 2] = px[i] & 0xFF;
        rgba[i * 4 + 3] = px[i] >> 24;
    }
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

namespace {

// 3x5 digit glyphs, one row per 3 bits (most significant bit on the left).
const unsigned char kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

uint32_t Hue(int i) {
    static const uint32_t k[] = {0xFFE04040, 0xFF40C040, 0xFF4060E0, 0xFFE0C040, 0xFFC040C0,
                                 0xFF40C0C0, 0xFFE08030, 0xFF8080FF, 0xFF80FF80, 0xFFFF8080};
    return k[i % 10];
}

Image SystemSheet() {
    Image s(1024, 1024, 0);
    // Window frame pieces: left corner, top/bottom edge, right corner, side edge.
    s.Fill(0, 0, 50, 6, 0xFFD0A040);
    s.Fill(0, 0, 50, 1, 0xFFFFFFFF);
    s.Fill(50, 0, 150, 6, 0xFFB08030);
    s.Fill(50, 0, 150, 1, 0xFFFFFFFF);
    s.Fill(150, 0, 200, 6, 0xFF40A0D0);
    s.Fill(150, 0, 200, 1, 0xFFFFFFFF);
    s.Fill(200, 0, 208, 6, 0xFF30B060);
    for (int n = 0; n < 20; ++n) s.Region(16 * (13 + n), 0, 16 * (14 + n), 16, Hue(n), 0xFF000000);
    for (int d = 0; d < 10; ++d) {
        s.Fill(528 + 4 * d, 0, 532 + 4 * d, 7, 0);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kDigits[d][row] & (4 >> col)) s.Set(528 + 4 * d + col, 1 + row, 0xFFFFFFFF);
    }
    for (int x = 0; x < 93; ++x) s.Fill(x, 16, x + 1, 20, 0xFF000000 | (uint32_t(80 + x * 2) << 8) | 0x20);
    s.Region(0, 32, 640, 176, 0xC0203060, 0xFF8090FF);   // message background
    s.Region(0, 176, 640, 304, 0xD0502020, 0xFFFF9080);  // serif band
    s.Region(0, 304, 640, 452, 0xC0204020, 0xFF80FF90);  // place-name background
    for (int n = 0; n < 10; ++n) s.Region(0, 32 * (22 + n), 180, 32 * (23 + n), Hue(n + 3), 0xFFFFFFFF);
    for (int n = 0; n < 10; ++n) {
        s.Region(64 * n, 624, 64 * n + 64, 704, Hue(n + 5), 0xFF000000);
        s.Disc(64 * n + 32, 664, 12, 0xFFFFFFFF);
    }
    s.Region(640, 128, 912, 256, 0xFF305070, 0xFFC0E0FF);
    s.Fill(700, 170, 850, 180, 0xFFFFFF80);
    for (int n = 0; n < 5; ++n) {
        s.Region(640, 256 + 96 * n, 864, 352 + 96 * n, (Hue(n) & 0x00FFFFFF) | 0xE0000000, 0xFFFFFFFF);
        s.Fill(660, 280 + 96 * n, 660 + 30 * (n + 1), 290 + 96 * n, 0xFF000000);
    }
    s.Region(18, 560, 173, 624, 0xE0404060, 0xFFA0A0C0);   // plate
    s.Region(192, 560, 416, 624, 0xE0403050, 0xFFC0A0C0);  // detailed plate
    s.Region(416, 560, 448, 592, 0xFFFF4040, 0xFF000000);  // front-row mark
    s.Region(464, 560, 504, 592, 0xFF4040FF, 0xFF000000);  // back-row mark
    s.Region(512, 560, 552, 592, 0xFFFFD700, 0xFF000000);  // hero mark
    return s;
}

Image Portrait(bool second = false) {
    Image p(256, 512, 0);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x)
            p.Set(x, y, second ? 0x80000000 | uint32_t(y * 255 / 300) << 16 | 0x3000 | uint32_t(x)
                               : 0x80000000 | uint32_t(x) << 16 | uint32_t(y * 255 / 300) << 8 | 0x60);
    p.Disc(100, 100, 50, second ? 0xFFC08060 : 0xFFF0C8A0);
    p.Disc(80, 90, 6, 0xFF202020);
    p.Disc(120, 90, 6, 0xFF202020);
    p.Fill(85, 125, 115, 130, 0xFFA03030);
    p.Fill(0, 0, 200, 2, 0xFFFFFFFF);
    p.Fill(200, 0, 256, 512, 0xFFFF00FF);  // outside the drawn region: never seen
    return p;
}

Image Logo() {
    Image l(256, 256, 0);
    l.Region(0, 0, 256, 112, 0xFF2040A0, 0xFFFFFFFF);
    l.Disc(128, 56, 40, 0xFFFFFFFF);
    l.Region(0, 112, 64, 144, 0xFFE04040, 0xFFFFFFFF);
    l.Region(64, 112, 138, 128, 0xFF40E040, 0xFFFFFFFF);
    l.Region(0, 144, 173, 176, 0xFFE0E040, 0xFFFFFFFF);
    l.Region(0, 176, 192, 208, 0xFF40E0E0, 0xFFFFFFFF);
    return l;
}

Image StrategyMap() {
    Image m(1024, 1024, 0xFF000000);
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const bool land = ((x - 500) * (x - 500) / 3 + (y - 520) * (y - 520)) < 300 * 300;
            uint32_t c = land ? 0xFF6A8F4A : 0xFF2A4A8A;
            if (x % 128 == 0 || y % 128 == 0) c = 0xFFC0C0C0;
            m.px[size_t(y) * 1024 + x] = c;
        }
    m.Disc(512, 512, 10, 0xFFFFFFFF);
    return m;
}

Image ForceField(uint32_t c) {
    Image f(128, 128, 0);
    f.Disc(64, 64, 60, c);
    f.Fill(60, 0, 68, 128, 0xFFFFFFFF);
    return f;
}

Image Marker() {
    Image m(32, 32, 0);
    for (int y = 4; y < 28; ++y)
        for (int x = 4; x < 4 + (y - 4); ++x) m.Set(x, y, 0xFFFFE000);  // a triangle
    m.Fill(4, 4, 8, 8, 0xFFFF0000);
    return m;
}

Image TelopEffect() {
    Image e(512, 512, 0);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const int r = (x - 256) * (x - 256) + (y - 256) * (y - 256);
            if (r < 250 * 250 && (r / 2000) % 4 == 0) e.px[size_t(y) * 512 + x] = 0x90FFD080;
        }
    return e;
}

void MakeDirs(const std::string& root, const std::string& rel) {
    std::string path = root;
    size_t start = 0;
    while (true) {
        const size_t slash = rel.find('/', start);
        path = root + rel.substr(0, slash);
        ::mkdir(path.c_str(), 0755);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
}

}  // namespace

void WriteAll(const std::string& root) {
    MakeDirs(root, "graphics/ForcesField");
    MakeDirs(root, "graphics/BastUp");  // "./Graphics/BastUp" finds it: folders match in any case
    SystemSheet().Save(root + "graphics/sys.png");
    Logo().Save(root + "graphics/RVT_logo.png");
    StrategyMap().Save(root + "graphics/StrategyMap.png");
    TelopEffect().Save(root + "graphics/ChapterTeropEffect.png");
    ForceField(0xA0FF3030).Save(root + "graphics/ForcesField/red.png");
    ForceField(0xA03060FF).Save(root + "graphics/ForcesField/blue.png");
    Marker().Save(root + "graphics/marker.png");
    Portrait().Save(root + "graphics/BastUp/007.png");
    Portrait(true).Save(root + "graphics/BastUp/008.png");
}

}  // namespace pictures
