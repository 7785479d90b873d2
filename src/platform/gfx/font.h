#pragma once
// Fonts by face name (FreeType glyphs, fontconfig lookup).  "ＭＳ ゴシック" and the
// other Japanese gothic faces resolve to IPA Gothic.  Measuring follows the text
// extent rules of the original platform: a line is as high as the font height and as
// wide as the sum of its glyph advances.
#include <cstdint>
#include <memory>
#include <string>

#include "gfx/device.h"
#include "gfx/texture.h"

namespace gfx {

class Font {
public:
    // `faceUtf8` as the game names it; `height` the cell height in pixels.
    static std::unique_ptr<Font> Create(const std::string& faceUtf8, int height, bool italic = false);
    ~Font();

    int Height() const;
    // Width and height in pixels of one line (no line breaks inside).
    void MeasureLine(const std::u32string& line, int& width, int& height);
    // Draws one line with its cell's top-left at (x, y) into the device's current
    // target, blended (source alpha) in `color`.  Glyphs go through the device's
    // sprite pipeline.
    void DrawLine(Device* device, const std::u32string& line, int x, int y, Color color);

    // The file the face resolved to (for diagnostics).
    const std::string& FilePath() const;

    struct Impl;

private:
    Font();
    std::unique_ptr<Impl> impl_;
};

}  // namespace gfx
