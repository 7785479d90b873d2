// The generated pictures, music and sounds: sizes their users read, the file forms
// the sound streams expect, and the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <stb_image.h>

#include "audio.h"
#include "canvas.h"
#include "generate.h"
#include "golden.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

uint32_t Be32(const std::string& s, size_t at) {
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) | (uint32_t(uint8_t(s[at + 2])) << 8) |
           uint8_t(s[at + 3]);
}
uint32_t Le32(const std::string& s, size_t at) {
    return uint8_t(s[at]) | (uint32_t(uint8_t(s[at + 1])) << 8) | (uint32_t(uint8_t(s[at + 2])) << 16) |
           (uint32_t(uint8_t(s[at + 3])) << 24);
}
uint16_t Le16(const std::string& s, size_t at) { return uint16_t(uint8_t(s[at]) | (uint8_t(s[at + 1]) << 8)); }

// Width and height from a PNG's header; false when it is no PNG.
bool PngSize(const std::string& path, int* w, int* h) {
    std::string s = ReadAll(path);
    if (s.size() < 24 || s.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || s.compare(12, 4, "IHDR") != 0) return false;
    *w = static_cast<int>(Be32(s, 16));
    *h = static_cast<int>(Be32(s, 20));
    return true;
}

// The generated files as the build wrote them into the runnable folder.
class Generated : public ::testing::Test {
protected:
    static std::string Game() { return VORMANT_GAME_DIR "/"; }
};

// Every image that the game reads and the size its regions are laid out for.
struct ImageSize {
    const char* path;
    int width, height;
};
const ImageSize kImageSizes[] = {
    {"graphics/sys.png", 1024, 1024},          // regions up to (912, 736)
    {"graphics/title00.png", 512, 256},        // menu items (308, 0)-(512, 224)
    {"graphics/title01.png", 1024, 512},       // drawn as (0, 0)-(1024, 512)
    {"graphics/RVT_logo.png", 256, 256},       // logo pieces up to (256, 208)
    {"graphics/ChapterTeropEffect.png", 512, 512},
    {"graphics/StrategyMap.png", 2048, 2048},  // the map is 2048x2048 units
    {"graphics/ENDTypo.png", 128, 64},
    {"graphics/mapchip.png", 1024, 512},       // 9 x 8 lower chips of 112x64
    {"graphics/mapchip2.png", 1024, 1024},     // upper chips, figures, bases, digits
    {"graphics/BastUp/000.png", 200, 300},     // portraits draw (0, 0)-(200, 300)
    {"graphics/BastUp/007.png", 200, 300},
    {"graphics/BastUp/039.png", 200, 300},
    {"graphics/BackGround/000.png", 1024, 512},  // drawn as (0, 0)-(1024, 512) at (-192, -16)
    {"graphics/BackGround/009.png", 1024, 512},
    {"graphics/TurnLogo_Player.png", 512, 128},
    {"graphics/TurnLogo_Enemy.png", 512, 128},
    {"graphics/MiniMapIcon.png", 256, 32},      // icons (16n, 0), markers (64 + 32i, 0) 32x32
    {"graphics/InstructWindow.png", 512, 128},  // window (0, 0)-(299, 79)
    {"graphics/MapchipWindow.png", 512, 256},
    {"graphics/OperateMenu.png", 512, 512},     // drawn into a 512x512 target
    {"graphics/MoveMenu.png", 512, 512},        // parts up to (442, 455)
    {"graphics/BattleOperateMenu.png", 512, 512},
    {"graphics/param.png", 1024, 512},          // (0, 0)-(639, 479) and its parts
    {"graphics/InterMission.png", 1024, 512},
    {"graphics/InterMission_param.png", 512, 128},  // panel (0, 0)-(427, 127)
    {"graphics/InterMission_unit.png", 256, 64},    // card and delete button up to (249, 63)
    {"graphics/BattleWindow.png", 256, 256},    // cells (0, 0)-(155, 80) and (0, 80)-(155, 160)
    {"graphics/GameOver.png", 512, 256},        // drawn as (0, 0)-(512, 256)
    {"graphics/ToBeContinued.png", 256, 64},    // its (0, 0)-(240, 64)
    {"graphics/VisualBackGround.png", 128, 1024},  // strips (0, 0)-(128, 1024)
    {"graphics/MissionArgue.png", 512, 512},    // two halves of 512x256
    {"graphics/MissionArgueFBack.png", 512, 512},
    {"graphics/MissionArgueCBack.png", 512, 512},
    {"model/DamageNumber.png", 512, 256},       // digits (40d, 0) 40x50, strips to (300, 230)
    {"model/ball.png", 32, 32},                 // particles use (0, 0)-(31, 31)
    {"model/ball2.png", 64, 64},                // (0, 0)-(63, 63)
    {"model/water01.png", 64, 64},
    {"model/fire01.png", 64, 64},
    {"model/MagicCircle1.png", 128, 128},       // (0, 0)-(127, 127)
    {"model/DamageCircle.png", 128, 128},
    {"graphics/ForcesField/force_blue.png", 512, 512},
    {"graphics/Marker/army_blue.png", 64, 64},
};

TEST_F(Generated, EveryPreloadedEffectTextureExists) {
    for (const char* f : {"bomb02_c", "DamageCircle", "beam1", "ball", "bomb3b", "ball2", "ball4", "BladeCircle", "fire01",
                          "water01", "WhiteWave", "DarkBall", "LightBall", "LightBall2", "MagicCircle1", "MagicCircle2",
                          "Thunder1", "cloud1", "LensFlare1", "LensFlare2", "RecoverFlare", "DamageNumber"}) {
        int w = 0, h = 0;
        EXPECT_TRUE(PngSize(Game() + "model/" + f + ".png", &w, &h)) << f;
    }
}

TEST_F(Generated, ImagesHaveTheSizesTheirUsersRead) {
    for (const ImageSize& img : kImageSizes) {
        int w = 0, h = 0;
        ASSERT_TRUE(PngSize(Game() + img.path, &w, &h)) << img.path;
        EXPECT_EQ(w, img.width) << img.path;
        EXPECT_EQ(h, img.height) << img.path;
    }
}

// The battle's ground and sky repeat their textures: each edge texel is the colour of
// its neighbour inside, or the repeats would draw a grid and a band.
TEST_F(Generated, RepeatedBattleTexturesHaveNoRim) {
    for (const char* f : {"model/ground1.png", "model/ground2.png", "model/sky1.png", "model/sky2.png"}) {
        SCOPED_TRACE(f);
        int w = 0, h = 0, n = 0;
        unsigned char* rgba = stbi_load((Game() + f).c_str(), &w, &h, &n, 4);
        ASSERT_NE(rgba, nullptr);
        ASSERT_GE(w, 4);
        ASSERT_GE(h, 4);
        auto texel = [&](int x, int y) {
            uint32_t v;
            std::memcpy(&v, rgba + 4 * (size_t(y) * w + x), 4);
            return v;
        };
        int differ = 0;
        for (int i = 0; i < h; ++i) differ += (texel(0, i) != texel(1, i)) + (texel(w - 1, i) != texel(w - 2, i));
        for (int i = 0; i < w; ++i) differ += (texel(i, 0) != texel(i, 1)) + (texel(i, h - 1) != texel(i, h - 2));
        stbi_image_free(rgba);
        EXPECT_EQ(differ, 0);
    }
}

TEST_F(Generated, EveryBgmAndSoundEffectFileExists) {
    // The music id table and the effect names of the field and the battles.
    for (const char* f :
         {"agrippina.mp3", "battle1.mp3", "battle2.mp3", "gulf.mp3", "terror.mp3", "relaie.mp3", "rest_anx.mp3",
          "badend1.mp3", "badend_long.mp3", "fatman.mp3", "zov_lstbtl.mp3", "zov_Soramdoh.mp3", "zov_Title.mp3",
          "zov_Unsatisfy2.mp3", "Timeliness_pre1.mp3", "Roster.mp3", "flv.mp3", "bat1_a.mp3", "jekka_prt.mp3",
          "clear.mp3"}) {
        std::string s = ReadAll(Game() + "BGM/" + f);
        ASSERT_GT(s.size(), 1000u) << f;
        // An MPEG-1 layer III frame header at the very start (no ID3 tag): the header of
        // the info frame, whose bit rate the stream takes for the whole file.
        EXPECT_EQ(uint8_t(s[0]), 0xFF) << f;
        EXPECT_EQ(uint8_t(s[1]) & 0xFE, 0xFA) << f;
    }
    for (const char* f : {"se-001.mp3", "se-038.mp3"}) EXPECT_GT(fs::file_size(Game() + "sound/" + f), 500u) << f;
    for (const char* f : {"BladeHit", "ok", "cancel", "cursol", "warp01", "warp02", "pi73", "hit_s09", "swing37_b"}) {
        std::string s = ReadAll(Game() + "sound/" + f + ".wav");
        ASSERT_GE(s.size(), 44u) << f;
        EXPECT_EQ(s.substr(0, 4), "RIFF") << f;
        EXPECT_EQ(Le32(s, 4), s.size() - 8) << f;
        EXPECT_EQ(s.substr(8, 8), "WAVEfmt ") << f;
        EXPECT_EQ(Le16(s, 20), 1) << f;  // PCM
        EXPECT_EQ(Le16(s, 34), 16) << f;
        EXPECT_EQ(s.substr(36, 4), "data") << f;
        EXPECT_EQ(Le32(s, 40), s.size() - 44) << f;
    }
}

// MP3 length from the frame headers (MPEG-1 layer III, 1152 samples a frame).
double Mp3Seconds(const std::string& s) {
    static const int kRates[3] = {44100, 48000, 32000};
    static const int kBitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    size_t at = 0;
    int frames = 0, rate = 44100;
    while (at + 4 <= s.size()) {
        if (uint8_t(s[at]) != 0xFF || (uint8_t(s[at + 1]) & 0xFE) != 0xFA) return -1;
        int br = kBitrates[uint8_t(s[at + 2]) >> 4], ri = (uint8_t(s[at + 2]) >> 2) & 3, pad = (uint8_t(s[at + 2]) >> 1) & 1;
        if (!br || ri == 3) return -1;
        rate = kRates[ri];
        at += 144 * br * 1000 / rate + pad;
        ++frames;
    }
    return frames * 1152.0 / rate;
}

// Ogg Vorbis length from the last page's granule position.
double OggSeconds(const std::string& s, int rate) {
    size_t last = s.rfind("OggS");
    if (last == std::string::npos || last + 14 > s.size()) return -1;
    uint64_t granule = 0;
    for (int i = 7; i >= 0; --i) granule = (granule << 8) | uint8_t(s[last + 6 + i]);
    return double(granule) / rate;
}

TEST_F(Generated, LongPiecesLastThirtySecondsSoTheyStream) {
    EXPECT_GE(Mp3Seconds(ReadAll(Game() + "BGM/badend_long.mp3")), 30.0);
    EXPECT_GE(Mp3Seconds(ReadAll(Game() + "BGM/zov_Title.mp3")), 30.0);
    double shortLoop = Mp3Seconds(ReadAll(Game() + "BGM/battle1.mp3"));
    EXPECT_GT(shortLoop, 5.0);
    EXPECT_LT(shortLoop, 30.0);

    std::string longOgg = ReadAll(Game() + "BGM/demo_long.ogg");
    ASSERT_EQ(longOgg.substr(0, 4), "OggS");
    EXPECT_GE(OggSeconds(longOgg, 44100), 30.0);
    std::string loopOgg = ReadAll(Game() + "BGM/demo_loop.ogg");
    ASSERT_EQ(loopOgg.substr(0, 4), "OggS");
    EXPECT_LT(OggSeconds(loopOgg, 44100), 30.0);
    EXPECT_GT(OggSeconds(loopOgg, 44100), 1.0);
}

TEST_F(Generated, ASecondRunGivesTheSameBytes) {
    // The build ran the generator into the runnable folder; a second run here must
    // write the same files with the same bytes.
    testsupport::TempDir again;
    std::vector<std::string> files;
    ASSERT_EQ(cg::GenerateAll(again.path(), &files), 0);
    EXPECT_GE(files.size(), 140u);
    for (const std::string& f : files) {
        ASSERT_TRUE(fs::exists(Game() + f)) << f << " is missing from the runnable folder: re-run the build";
        EXPECT_TRUE(ReadAll(again.path() + f) == ReadAll(Game() + f)) << f;
    }
}

// A picture of the runnable folder as RGBA texels.
struct Picture {
    explicit Picture(const std::string& path) { rgba = stbi_load(path.c_str(), &w, &h, &n, 4); }
    ~Picture() { stbi_image_free(rgba); }
    const unsigned char* At(int x, int y) const { return rgba + 4 * (size_t(y) * w + x); }
    int w = 0, h = 0, n = 0;
    unsigned char* rgba = nullptr;
};

// The cell highlights and sortie cells wear the colours the game's texts give them:
// the mean of a region's drawn texels leans to blue, or is plainly red.
TEST_F(Generated, HighlightsWearTheColoursTheGameNamesThem) {
    const struct {
        const char* what;
        int x, y, w;
        bool blue;
    } kRegions[] = {{"move range (kind 1), blue as the tutorial says", 896, 728, 112, true},
                    {"skill reach (kind 2), the enemy's red", 896, 784, 112, false},
                    {"sortie positions, the prologue's blue cells", 0, 952, 896, true}};
    Picture sheet(Game() + "graphics/mapchip2.png");
    ASSERT_NE(sheet.rgba, nullptr);
    for (const auto& r : kRegions) {
        double rgb[3] = {0, 0, 0}, weight = 0;
        for (int y = r.y; y < r.y + 56; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                for (int k = 0; k < 3; ++k) rgb[k] += sheet.At(x, y)[k] * sheet.At(x, y)[3];
                weight += sheet.At(x, y)[3];
            }
        const bool ok = r.blue ? rgb[2] > std::max(rgb[0], rgb[1]) : rgb[0] > 2 * std::max(rgb[1], rgb[2]);
        EXPECT_TRUE(weight > 0 && ok) << r.what << ": " << rgb[0] / weight << " " << rgb[1] / weight << " "
                                      << rgb[2] / weight;
    }
}

// The information strip is a 20-pixel window at y 460 with its texts of 12 pixels at
// y 466 from x 30.  Its bottom frame pieces lie over its last six rows, 474-479: the
// edge (sheet columns 50-149) stretched over the whole width, the corners as they are
// at both ends.  Their first four rows, over the texts, hold nothing from column 30 of
// the left corner to the right corner's rivet (column 192, x 632).
TEST_F(Generated, TheStripsFrameLeavesItsTextRowsClear) {
    Picture sheet(Game() + "graphics/sys.png");
    ASSERT_NE(sheet.rgba, nullptr);
    for (int u = 30; u < 192; ++u)
        for (int row = 0; row < 478 - 474; ++row) ASSERT_EQ(sheet.At(u, row)[3], 0) << u << ", " << row;
}

// The game-over picture is drawn at (0, 224) and ends at x 512 in mid-screen: nothing
// of it may reach its last columns, where it would be cut off.
TEST_F(Generated, TheGameOverPictureEndsBeforeItsRightEdge) {
    Picture over(Game() + "graphics/GameOver.png");
    ASSERT_NE(over.rgba, nullptr);
    for (int y = 0; y < over.h; ++y)
        for (int x = over.w - 16; x < over.w; ++x) ASSERT_EQ(over.At(x, y)[3], 0) << x << ", " << y;
}

// The game-over picture is drawn from the screen's left edge, and the screen is 640
// wide: its title and its band are centred on the picture's x 320.  The first and last
// columns holding a title texel (the only opaque ones) and holding anything at all lie
// as far from x 320 on either side, to the half texel an odd width leaves over.
TEST_F(Generated, TheGameOverPictureIsCentredOnTheScreen) {
    Picture over(Game() + "graphics/GameOver.png");
    ASSERT_NE(over.rgba, nullptr);
    for (const int minAlpha : {255, 1}) {
        int first = over.w, last = -1;
        for (int y = 0; y < over.h; ++y)
            for (int x = 0; x < over.w; ++x)
                if (over.At(x, y)[3] >= minAlpha) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        ASSERT_LE(first, last) << minAlpha;
        EXPECT_LE(std::abs(first + last + 1 - 2 * 320), 1)
            << "columns " << first << "-" << last << " with alpha >= " << minAlpha;
    }
}

// The named persons' portraits (Leon, Sera, Garde, Mina, Volg, Zaira, the black knight)
// differ at a glance where the speech window shows them, and no other portrait looks
// like one of them.  The game stretches a 200x300 portrait to a 256x512 texture and
// shows that texture's (0, 0)-(200, 300) at (-10, 190): on screen lies the portrait's
// (8, 0)-(156, 170).  Two portraits are compared there in cells of 8x8 texels laid
// over grey; they differ at a glance when their cells differ by a mean of 30 (the sum
// of the three channels' differences).  A face that differs only in its eyes' colour,
// or in a headband, stays below 20.
TEST_F(Generated, NamedPortraitsDifferWhereTheSpeechWindowShowsThem) {
    constexpr int kX0 = 8, kX1 = 156, kY1 = 170, kCell = 8;
    auto cells = [&](int id) {
        char name[64];
        std::snprintf(name, sizeof name, "graphics/BastUp/%03d.png", id);
        Picture p(Game() + name);
        std::vector<double> out;
        if (!p.rgba || p.w != 200 || p.h != 300) return out;
        for (int cy = 0; cy + kCell <= kY1; cy += kCell)
            for (int cx = kX0; cx + kCell <= kX1; cx += kCell)
                for (int k = 0; k < 3; ++k) {
                    double sum = 0;
                    for (int y = cy; y < cy + kCell; ++y)
                        for (int x = cx; x < cx + kCell; ++x) {
                            const unsigned char* t = p.At(x, y);
                            sum += (t[k] * t[3] + 128.0 * (255 - t[3])) / 255.0;
                        }
                    out.push_back(sum / (kCell * kCell));
                }
        return out;
    };
    auto differ = [](const std::vector<double>& a, const std::vector<double>& b) {
        double sum = 0;
        for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
        return sum / (a.size() / 3);
    };
    const int named[] = {1, 2, 3, 4, 30, 31, 32};
    std::map<int, std::vector<double>> seen;
    for (int id = 0; id < 40; ++id) {
        seen[id] = cells(id);
        ASSERT_FALSE(seen[id].empty()) << id;
    }
    for (int a : named)
        for (int b = 0; b < 40; ++b) {
            const bool bNamed = std::find(std::begin(named), std::end(named), b) != std::end(named);
            if (a == b || (bNamed && b < a)) continue;
            EXPECT_GE(differ(seen[a], seen[b]), 30.0) << "portraits " << a << " and " << b;
        }
}

TEST(Canvas, BlendAndShapesStayInside) {
    cg::Canvas c(8, 8);
    c.FillRect(-4, -4, 6, 6, cg::RGB(0xFF0000));          // clipped at the corner
    EXPECT_EQ(c.Get(1, 1).r, 255);
    EXPECT_EQ(c.Get(2, 2).a, 0);
    c.Blend(5, 5, cg::RGB(0x0000FF, 128));                  // over clear: keeps its colour
    EXPECT_EQ(c.Get(5, 5).b, 255);
    EXPECT_EQ(c.Get(5, 5).a, 128);
    c.Blend(1, 1, cg::RGB(0x0000FF, 0));                    // a clear source changes nothing
    EXPECT_EQ(c.Get(1, 1).r, 255);
    c.FillCircle(100, 100, 50, cg::RGB(0xFFFFFF));          // far outside: no effect, no crash
    c.Text(-20, 3, "VORMANT 0123", 2, cg::RGB(0xFFFFFF));
    EXPECT_EQ(cg::Canvas::TextWidth("AB", 2), 22);
    EXPECT_EQ(cg::Canvas::TextWidth("", 2), 0);
}

}  // namespace
