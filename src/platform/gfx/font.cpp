// Fonts through FreeType, faces found with fontconfig.
#include "gfx/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <sys/stat.h>
#include <vector>

#include "gfx/sprite.h"

namespace gfx {

namespace {

constexpr const char* kIpaGothicFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

struct FontSystem {
    FT_Library lib = nullptr;
    bool failed = false;
    std::map<std::string, std::string> fileOfFace;  // face name -> file
    std::map<std::string, FT_Face> faceOfFile;       // file -> opened face
};

FontSystem& System() {
    static FontSystem sys;
    if (!sys.lib && !sys.failed && FT_Init_FreeType(&sys.lib) != 0) {
        sys.lib = nullptr;
        sys.failed = true;
    }
    return sys;
}

bool FileExists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The Japanese system faces the game names, and what stands in for them here.
std::string FamilyFor(const std::string& face) {
    // UTF-8 literals (the source's ordinary literals become CP932 bytes).
    static const char8_t* const kGothic[] = {
        u8"ＭＳ ゴシック", u8"MS Gothic", u8"ＭＳ Ｐゴシック", u8"MS PGothic", u8"ＭＳ ＵＩ Gothic", u8"MS UI Gothic",
        u8"ＭＳ 明朝", u8"MS Mincho", u8"ＭＳ Ｐ明朝", u8"MS PMincho"};
    for (const char8_t* g : kGothic)
        if (face == reinterpret_cast<const char*>(g)) return "IPAGothic";
    return face;
}

std::string MatchFile(const std::string& family) {
    std::string result;
    if (!FcInit()) return result;
    FcPattern* pat = FcPatternCreate();
    if (!pat) return result;
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            result = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    return result;
}

std::string ResolveFile(const std::string& face) {
    FontSystem& sys = System();
    auto it = sys.fileOfFace.find(face);
    if (it != sys.fileOfFace.end()) return it->second;
    const std::string family = FamilyFor(face);
    std::string file;
    if (family == "IPAGothic" && FileExists(kIpaGothicFile)) file = kIpaGothicFile;
    if (file.empty()) file = MatchFile(family);
    if (file.empty() && FileExists(kIpaGothicFile)) file = kIpaGothicFile;
    sys.fileOfFace[face] = file;
    return file;
}

FT_Face OpenFace(const std::string& file) {
    FontSystem& sys = System();
    if (!sys.lib || file.empty()) return nullptr;
    auto it = sys.faceOfFile.find(file);
    if (it != sys.faceOfFile.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(sys.lib, file.c_str(), 0, &face) != 0) face = nullptr;
    if (face && !FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        face = nullptr;
    }
    sys.faceOfFile[file] = face;
    return face;
}

}  // namespace

struct Font::Impl {
    FT_Face face = nullptr;
    FT_Size size = nullptr;  // our own size object on the shared face
    std::string file;
    int height = 0;
    int ascent = 0;
    bool italic = false;
    std::vector<uint32_t> scratch;

    void Activate() { FT_Activate_Size(size); }
};

Font::Font() : impl_(std::make_unique<Impl>()) {}

Font::~Font() {
    if (impl_ && impl_->size) FT_Done_Size(impl_->size);
}

// The cell height (ascent + descent of the font's system metrics) is `height`
// pixels, as for a font asked for by its cell height.
std::unique_ptr<Font> Font::Create(const std::string& faceUtf8, int height, bool italic) {
    const std::string file = ResolveFile(faceUtf8);
    FT_Face face = OpenFace(file);
    if (!face) return nullptr;
    std::unique_ptr<Font> f(new Font());
    Impl& im = *f->impl_;
    im.face = face;
    im.file = file;
    im.height = std::max(height, 0);
    im.italic = italic;
    if (FT_New_Size(face, &im.size) != 0) {
        im.size = nullptr;
        return nullptr;
    }
    im.Activate();
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double asc = face->ascender, desc = -face->descender;
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
    }
    // The game's fixed-pitch gothic has a cell exactly one em high (half-width glyphs
    // advance half the height, full-width ones the height); the stand-in face is sized
    // the same way, its ascent taking its own share of the cell.
    const double cell = asc + desc > 0 ? asc + desc : double(face->units_per_EM);
    FT_Size_RequestRec req{};
    req.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
    req.width = 0;
    req.height = FT_Long(std::max(1, im.height)) * 64;
    req.horiResolution = 0;
    req.vertResolution = 0;
    if (FT_Request_Size(face, &req) != 0) return nullptr;
    im.ascent = int(std::lround(im.height * asc / cell));
    return f;
}

int Font::Height() const { return impl_->height; }
const std::string& Font::FilePath() const { return impl_->file; }

namespace {

// Rendered glyphs are kept per face file, cell height and character: the game
// renders the same few hundred characters over and over.
struct CachedGlyph {
    int advance = 0;  // pixels
    int left = 0, top = 0, w = 0, h = 0;
    std::vector<uint8_t> coverage;  // w * h
};

struct GlyphKey {
    const void* face;
    int height;
    char32_t cp;
    bool operator<(const GlyphKey& o) const {
        if (face != o.face) return face < o.face;
        if (height != o.height) return height < o.height;
        return cp < o.cp;
    }
};

constexpr size_t kMaxCachedGlyphs = 20000;

const CachedGlyph& GlyphOf(Font::Impl& im, char32_t cp);

}  // namespace

namespace {
std::map<GlyphKey, CachedGlyph>& GlyphCache() {
    static std::map<GlyphKey, CachedGlyph> cache;
    return cache;
}

const CachedGlyph& GlyphOf(Font::Impl& im, char32_t cp) {
    auto& cache = GlyphCache();
    const GlyphKey key{im.face, im.height, cp};
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() >= kMaxCachedGlyphs) cache.clear();
    CachedGlyph g;
    im.Activate();
    if (FT_Load_Char(im.face, FT_ULong(cp), FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = im.face->glyph;
        g.advance = int((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        const FT_Bitmap& bm = slot->bitmap;
        g.w = int(bm.width);
        g.h = int(bm.rows);
        if (g.w > 0 && g.h > 0) {
            g.coverage.resize(size_t(g.w) * g.h);
            for (int r = 0; r < g.h; ++r) {
                const unsigned char* src = bm.buffer + ptrdiff_t(r) * bm.pitch;
                for (int c = 0; c < g.w; ++c)
                    g.coverage[size_t(r) * g.w + c] = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                                          ? ((src[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0)
                                                          : src[c];
            }
        } else {
            g.w = g.h = 0;
        }
    }
    return cache.emplace(key, std::move(g)).first->second;
}
}  // namespace

void Font::MeasureLine(const std::u32string& line, int& width, int& height) {
    Impl& im = *impl_;
    width = 0;
    height = im.height;
    for (char32_t cp : line) width += GlyphOf(im, cp).advance;
}

void Font::DrawLine(Device* device, const std::u32string& line, int x, int y, Color color) {
    if (!device || line.empty()) return;
    Impl& im = *impl_;
    struct Placed {
        const CachedGlyph* g;
        int penX, sheetX;
    };
    std::vector<Placed> glyphs;
    glyphs.reserve(line.size());
    // Glyphs side by side in one sheet, one texel apart.
    int pen = 0, sheetW = 0, sheetH = 1;
    for (char32_t cp : line) {
        const CachedGlyph& g = GlyphOf(im, cp);
        if (g.w > 0 && g.h > 0) {
            glyphs.push_back({&g, pen, sheetW});
            sheetW += g.w + 1;
            sheetH = std::max(sheetH, g.h);
        }
        pen += g.advance;
    }
    if (glyphs.empty()) return;
    Texture sheet(sheetW, sheetH, Format::A8R8G8B8, false);
    uint32_t* px = sheet.Pixels();
    std::fill(px, px + size_t(sheetW) * sheetH, 0x00FFFFFFu);
    for (const Placed& p : glyphs)
        for (int r = 0; r < p.g->h; ++r) {
            const uint8_t* src = p.g->coverage.data() + size_t(r) * p.g->w;
            uint32_t* dst = px + size_t(r) * sheetW + p.sheetX;
            for (int c = 0; c < p.g->w; ++c) dst[c] = (uint32_t(src[c]) << 24) | 0x00FFFFFFu;
        }
    Sprite sprite(device);
    if (FAILED(sprite.Begin(SPRITE_ALPHABLEND))) return;
    const int baseline = y + im.ascent;
    for (const Placed& p : glyphs) {
        Rect src{p.sheetX, 0, p.sheetX + p.g->w, p.g->h};
        vm::Vec3 pos{float(x + p.penX + p.g->left), float(baseline - p.g->top), 0.0f};
        sprite.Draw(&sheet, &src, nullptr, &pos, color);
    }
    sprite.End();
}

}  // namespace gfx
