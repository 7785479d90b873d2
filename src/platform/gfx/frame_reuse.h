#pragma once
// Frame reuse: most frames repeat the one before, wholly (an idle title) or up to some
// call (an idle field whose hovered cell pulses over a still map).  The device notes
// every call of a frame - states, clears, draws with their vertex data, and the stamp
// of each texture read - and compares the notes with the last frame's as they come.
// While they agree, clears and draws are held back.  When a call differs (or something
// reads the picture, locks a texture the frame uses, or picks a render target), the
// held calls are drawn after all: from the frame's starting states, or from a copy of
// the back buffer kept where the last frame first differed, when the frame gets that
// far.  A frame that agrees to its end, after a whole clear, leaves the last picture;
// one that differs only in some draws' data (a colour, a place) is drawn again only on
// the tiles those draws fall on (a sprite that changes its colour alone: those where
// its texels can come out otherwise), as each pixel is drawn from its own earlier value.
// Nothing is noted before the first Present, nor with VORMANT_FRAME_REUSE=0.
// The pixels are those of drawing every call, always: only work is saved.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/device.h"
#include "system.h"

namespace gfx {
class Texture;

namespace detail {

// A textured screen rectangle of one colour (see FrameReuse::MarkColourChange): its
// corners' places and texture coordinates, a's row being b's and a's column c's.
struct ScreenRect {
    float ax, bx, ay, cy, au, bu, av, cv;
    uint32_t colour;
};

class FrameReuse {
public:
    enum class Op : uint32_t {
        Start,  // the device's states as the frame begins
        BeginScene, EndScene, Clear, RenderState, SamplerState, StageState, Transform, Viewport, Fvf, Texture,
        Material, Light, LightEnable, RenderTarget, Draw, Scissor,
    };

    explicit FrameReuse(Device& device);

    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }

    // A state call, noted before the caller applies it.
    void NoteState(Op op, const void* payload, size_t bytes);
    void NoteTexture(Op op, uint32_t slot, const Texture* texture);
    // Clears and draws: true when the call is held back (the caller draws nothing).
    bool HoldClear(uint32_t flags, Color color, float z);
    bool HoldDraw(PrimitiveType type, uint32_t count, const void* vertices, uint32_t stride, const void* indices,
                  bool index32);
    // After a clear or draw was carried out.
    void Cleared(uint32_t flags, float z);
    void Drew(const void* vertices, uint32_t count, PrimitiveType type, uint32_t stride, const void* indices,
              bool index32);

    // Something reads the picture or picks a render target: held calls are drawn now
    // and the rest of the frame is drawn as it comes.
    void Settle();
    // A texture is about to change.
    void TextureChanging(const Texture* texture);
    // A texture is about to go away: what is held is drawn while it is still there, and
    // the frame's notes stop naming it, so nothing drawn from them later binds it again.
    void TextureGone(const Texture* texture);

    // Present: draws what is held unless the picture is already the frame's; then the
    // next frame begins.
    void EndFrame();

    // For presenting: the parts of the back buffer outside which it holds what it held
    // at the last Present; `Presented` starts over.
    const std::vector<plat::FrameRect>& ChangedParts();
    void Presented();

    // How the last frames went (for tests and measurements).
    struct Counts {
        uint64_t framesKept = 0;     // frames whose picture was the one before
        uint64_t framesResumed = 0;  // frames drawn from a kept copy of the back buffer
        uint64_t framesPatched = 0;  // frames whose changed draws were drawn where they fall
    };
    const Counts& GetCounts() const { return counts_; }

private:
    enum class Phase { Off, Repeating, Live, Replaying };

    // A box of the back buffer [left, right) x [top, bottom), and where a call drawing
    // (within) it is noted.
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    // Tiles of the back buffer, `size` pixels square (a power of two), row by row: set
    // or not.
    struct TileMap {
        int size = 16, shift = 4, across = 0, down = 0;  // size = 1 << shift
        std::vector<uint8_t> set;

        void Reset(int tileSize, int width, int height);  // none set
        void Clear() { std::fill(set.begin(), set.end(), uint8_t(0)); }
        void Mark(const Box& b);
        void Unmark(const Box& b);  // the tiles lying wholly within b
        void Mark(const TileMap& other);  // other's tiles, of the same size
        bool Meets(const Box& b) const;
        // f(y, x0, x1) for each row of each run of set tiles, within width x height.
        template <class F>
        void ForRows(int width, int height, F f) const;
    };

    // The back buffer part of the way through a frame: after the calls before `pos`.
    struct Checkpoint {
        bool valid = false;
        size_t pos = 0;
        std::vector<uint32_t> color;
        bool depthFlat = false;  // depth all one value (not kept in `depth`)
        float depthValue = 1.0f;
        std::vector<float> depth;
        // Per tile (kTile pixels square, row by row), whether its depths are all one
        // value, as looked at when first restored: 0 not yet, 1 they are (that value in
        // tileDepth), 2 they are not.
        std::vector<uint8_t> tileOneDepth;
        std::vector<float> tileDepth;
    };

    void BeginFrame();
    size_t Note(Op op, const void* a, size_t na, const void* b = nullptr, size_t nb = 0, const void* c = nullptr,
                size_t nc = 0, bool draw = false);
    size_t Append(Op op, const void* a, size_t na, const void* b = nullptr, size_t nb = 0, const void* c = nullptr,
                  size_t nc = 0);
    void Compare(size_t start, bool draw = false);
    void Diverge();
    size_t Noted() const { return mirror_ ? cursor_ : cur_.size(); }
    const uint8_t* NotedAt(size_t pos) const { return (mirror_ ? prev_.data() : cur_.data()) + pos; }
    void CatchUp(size_t upTo);
    void WriteStart();
    size_t ApplyStart();
    void Run(size_t from, size_t to, bool statesOnly, bool onPatch = false);
    void Keep(size_t pos);
    void Restore();
    void RestoreTiles(const TileMap& tiles);
    void RestoreDepth(int tx, int ty);
    void Patch();
    bool TakeChangedDraw(size_t start, const uint8_t* note, size_t n);
    bool MarkColourChange(size_t start, const Box& box, const uint8_t* now, const uint8_t* before);
    void NoteDepth(const uint8_t* vertices, uint32_t count, uint32_t stride);
    Box Covered(const uint8_t* vertices, uint32_t count, PrimitiveType type, uint32_t stride, bool indexed) const;
    struct Footprint;
    const Footprint* FootprintOf(size_t pos, const Box& box, const ScreenRect& r, const Texture& tex, uint32_t addrU,
                                 uint32_t addrV);
    Box ViewportBox() const;
    Box RasterBox() const;
    Box DrawBox(const void* vertices, uint32_t indexCount, uint32_t stride, const void* indices, bool index32) const;
    Box NotedDrawBox(const uint8_t* note) const;
    void Uses(const Texture* texture);
    void Touch(int left, int top, int right, int bottom);
    bool Noting() const;

    Device& device_;
    bool enabled_ = true;
    Phase phase_ = Phase::Off;
    std::vector<uint8_t> prev_, cur_;
    // While the frame's notes are the last frame's so far they are not copied: cur_ is
    // empty and prev_ up to cursor_ stands for it (see Note).
    bool mirror_ = false;
    size_t startEnd_ = 0;         // past the frame's Start note
    size_t startTextures_ = 0;    // where its textures are noted (the stages', then the target)
    size_t cursor_ = 0;           // how much of prev_ the frame has repeated
    size_t cleanFrom_ = SIZE_MAX;  // past the whole clear that came before any drawing
    size_t firstDraw_ = SIZE_MAX;  // where the first draw after that clear is noted
    bool touched_ = false;         // a clear or draw was noted this frame
    // Every depth the frame's calls so far leave lies within 0 .. 1 (and is a number),
    // in this frame and the last alike (see Covered).
    bool depthInRange_ = false;
    bool overflow_ = false;        // too much to note: the frame is not compared next time
    std::vector<uint8_t> indexScratch_, startScratch_, noteScratch_;
    std::vector<const Texture*> used_;
    Checkpoint keep_;
    // The back buffer's depth is all `depthValue_` (no depth written since a whole clear).
    bool depthFlat_ = false;
    float depthValue_ = 1.0f;
    // Tiles of the back buffer drawn since it last held the kept copy, and since the
    // last Present.
    static constexpr int kTile = 16;
    TileMap dirty_, changed_;
    std::vector<plat::FrameRect> parts_;
    // Draws that differ from the last frame's but for their data (a colour, a place):
    // the tiles they fall on, this frame and the last.
    uint32_t changes_ = 0;
    TileMap patch_;
    // Screen rectangles that changed their colour alone (see MarkColourChange): per
    // tile of one, the lowest and highest value of each channel (b g r a) of the texels
    // its pixels there can read. Kept by where the draw is noted, for what it draws.
    struct TileTexels {
        size_t tile;
        uint8_t lo[4], hi[4];
    };
    struct Footprint {
        size_t pos = 0;
        // The draw but for its colour, the texture and its addressing, and the box it
        // is drawn within (the viewport and the scissor rectangle cut it).
        std::vector<uint8_t> key;
        std::vector<TileTexels> tiles;
    };
    std::vector<Footprint> footprints_;
    std::vector<uint8_t> keyScratch_;
    std::vector<uint32_t> spareColor_;  // spans drawn whole while patching (PipeState::spareColor)
    std::vector<float> spareDepth_;
    Counts counts_;
};

}  // namespace detail
}  // namespace gfx
