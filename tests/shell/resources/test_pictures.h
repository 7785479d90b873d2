#pragma once
// Small pictures made by the tests themselves: the system sheet with one distinct
// colour per region (a white dot marks each region's top-left corner), a portrait,
// the logo, the strategy map, force fields, a marker and the telop effect.
#include <cstdint>
#include <string>
#include <vector>

namespace pictures {

struct Image {
    Image(int w, int h, uint32_t argb = 0) : width(w), height(h), px(size_t(w) * h, argb) {}
    int width, height;
    std::vector<uint32_t> px;

    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < width && y < height) px[size_t(y) * width + x] = c;
    }
    void Fill(int l, int t, int r, int b, uint32_t c);
    // Fill with a one-pixel border of `edge` and a 2x2 white dot in the top-left corner.
    void Region(int l, int t, int r, int b, uint32_t fill, uint32_t edge);
    void Disc(int cx, int cy, int radius, uint32_t c);
    bool Save(const std::string& path) const;  // PNG
};

// Writes every picture below `root` ("graphics/...", "Graphics/BastUp/007.png").
void WriteAll(const std::string& root);

}  // namespace pictures
