// Frame reuse (see frame_reuse.h).
#include "gfx/frame_reuse.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "gfx/device_impl.h"
#include "gfx/pixel_internal.h"
#include "gfx/texture.h"

namespace gfx::detail {

namespace {

// A frame noting more than this (vertex data of a heavy scene) is drawn as it comes.
constexpr size_t kMaxNotes = size_t(16) << 20;

struct Header {
    uint32_t op, bytes;
};

struct ClearNote {
    uint32_t flags;
    Color color;
    float z;
};

struct DrawNote {
    uint32_t type, count, stride, index32, indexed, vertexBytes, indexBytes, pad;
    uint64_t textureStamp;  // texture stage 0 as the call draws
};
static_assert(sizeof(DrawNote) == 40);

struct TextureNote {
    uint32_t slot, pad;
    uint64_t stamp;
    const Texture* texture;
};
static_assert(sizeof(TextureNote) == 16 + sizeof(void*));

// The bytes of each vertex the device reads for the vertex format (0: a format the
// device refuses): the position with its blend weights, then normal, diffuse,
// specular and the texture coordinate sets, where present.
uint32_t VertexBytesRead(uint32_t fvf) {
    static constexpr uint32_t kPositionBytes[8] = {0, 12, 16, 16, 20, 24, 28, 32};
    uint32_t at = kPositionBytes[(fvf >> 1) & 7];
    if (at == 0) return 0;
    uint32_t end = at;
    if (fvf & FVF_NORMAL) end = at += 12;
    if (fvf & 0x020) at += 4;  // point size, not read
    if (fvf & FVF_DIFFUSE) end = at += 4;
    if (fvf & FVF_SPECULAR) end = at += 4;
    if (TexSets(fvf)) end = at + TexSetBytes(fvf, TexSets(fvf));
    return end;
}

// Indices a call of `count` primitives reads; 0 for a type the device refuses.
uint32_t IndexCount(PrimitiveType type, uint32_t count) {
    switch (type) {
        case PT_POINTLIST: return count;
        case PT_LINELIST: return count * 2;
        case PT_LINESTRIP: return count + 1;
        case PT_TRIANGLELIST: return count * 3;
        case PT_TRIANGLESTRIP:
        case PT_TRIANGLEFAN: return count + 2;
        default: return 0;
    }
}

template <class T>
void Put(std::vector<uint8_t>& out, const T& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    out.insert(out.end(), p, p + sizeof(T));
}
template <class T>
T Get(const uint8_t*& p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    p += sizeof(T);
    return v;
}

template <class Index>
void Rebase(const void* indices, uint32_t n, uint32_t lo, std::vector<uint8_t>& out) {
    out.resize(size_t(n) * sizeof(Index));
    const auto* in = static_cast<const Index*>(indices);
    for (uint32_t k = 0; k < n; ++k) {
        const Index v = Index(in[k] - lo);
        std::memcpy(out.data() + size_t(k) * sizeof(Index), &v, sizeof(Index));
    }
}
template <class Index>
void IndexRange(const void* indices, uint32_t n, uint32_t& lo, uint32_t& hi) {
    const auto* in = static_cast<const Index*>(indices);
    lo = 0xFFFFFFFFu;
    hi = 0;
    for (uint32_t k = 0; k < n; ++k) {
        lo = std::min<uint32_t>(lo, in[k]);
        hi = std::max<uint32_t>(hi, in[k]);
    }
}
}  // namespace

FrameReuse::FrameReuse(Device& device) : device_(device) {
    const Device::Impl& d = *device.impl();
    dirty_.Reset(kTile, d.width, d.height);
    dirty_.Mark(Box{0, 0, d.width, d.height});
    changed_ = dirty_;
    const char* env = std::getenv("VORMANT_FRAME_REUSE");
    enabled_ = !(env && env[0] == '0');
    // Nothing is noted before the first Present: a device that never presents (a
    // benchmark, a test reading its back buffer) draws as it comes, at no extra cost.
    phase_ = Phase::Off;
    patch_.Reset(kTile, d.width, d.height);
}

void FrameReuse::SetEnabled(bool on) {
    if (on == enabled_) return;
    Settle();
    enabled_ = on;
    prev_.clear();
    keep_ = Checkpoint{};
    BeginFrame();
}

// Notes a call (a header, then its parts) and compares it with the last frame's at the
// same place; where it begins. While the frame repeats the last one the call is only
// compared with the last frame's note, which stands for it; the first call that differs
// has the notes so far copied (Diverge).
size_t FrameReuse::Note(Op op, const void* a, size_t na, const void* b, size_t nb, const void* c, size_t nc,
                        bool draw) {
    if (mirror_) {
        const size_t start = cursor_, n = sizeof(Header) + na + nb + nc;
        const Header h{uint32_t(op), uint32_t(na + nb + nc)};
        const uint8_t* p = prev_.data() + start;
        const auto same = [](const uint8_t* noted, const void* part, size_t bytes) {
            return bytes == 0 || std::memcmp(noted, part, bytes) == 0;
        };
        if (start + n <= prev_.size() && same(p, &h, sizeof h) && same(p + sizeof h, a, na) &&
            same(p + sizeof h + na, b, nb) && same(p + sizeof h + na + nb, c, nc)) {
            cursor_ += n;
            return start;
        }
        // A draw that differs in its data alone takes the last frame's note's place
        // (which is not compared with again).
        if (draw) {
            std::vector<uint8_t>& note = noteScratch_;
            note.resize(n);
            std::memcpy(note.data(), &h, sizeof h);
            if (na) std::memcpy(note.data() + sizeof h, a, na);
            if (nb) std::memcpy(note.data() + sizeof h + na, b, nb);
            if (nc) std::memcpy(note.data() + sizeof h + na + nb, c, nc);
            if (TakeChangedDraw(start, note.data(), n)) {
                std::memcpy(prev_.data() + start, note.data(), n);
                return start;
            }
        }
        Diverge();
    }
    const size_t start = Append(op, a, na, b, nb, c, nc);
    Compare(start, draw);
    return start;
}

// The notes so far, which were the last frame's, copied to cur_.
void FrameReuse::Diverge() {
    if (!mirror_) return;
    cur_.assign(prev_.begin(), prev_.begin() + ptrdiff_t(cursor_));
    mirror_ = false;
}

size_t FrameReuse::Append(Op op, const void* a, size_t na, const void* b, size_t nb, const void* c, size_t nc) {
    const size_t start = cur_.size();
    const Header h{uint32_t(op), uint32_t(na + nb + nc)};
    cur_.resize(start + sizeof h + na + nb + nc);
    uint8_t* out = cur_.data() + start;
    const auto add = [&out](const void* p, size_t n) {
        if (n) std::memcpy(out, p, n);
        out += n;
    };
    add(&h, sizeof h);
    add(a, na);
    add(b, nb);
    add(c, nc);
    return start;
}

// The call noted from `start` on against the last frame's at the same place.
void FrameReuse::Compare(size_t start, bool draw) {
    if (cur_.size() > kMaxNotes && !overflow_) {
        if (phase_ == Phase::Repeating) CatchUp(start);
        overflow_ = true;
    }
    if (phase_ != Phase::Repeating) return;
    const size_t n = cur_.size() - start;
    if (cursor_ + n <= prev_.size() && std::memcmp(cur_.data() + start, prev_.data() + cursor_, n) == 0) {
        cursor_ += n;
        return;
    }
    if (draw && TakeChangedDraw(start, cur_.data() + start, n)) return;
    CatchUp(start);
}

void FrameReuse::Uses(const Texture* texture) {
    if (texture && std::find(used_.begin(), used_.end(), texture) == used_.end()) used_.push_back(texture);
}

bool FrameReuse::Noting() const { return (phase_ == Phase::Repeating || phase_ == Phase::Live) && !overflow_; }

void FrameReuse::NoteState(Op op, const void* payload, size_t bytes) {
    if (!Noting()) return;
    Note(op, payload, bytes);
}

void FrameReuse::NoteTexture(Op op, uint32_t slot, const Texture* texture) {
    if (!Noting()) return;
    const TextureNote note{slot, 0, texture ? texture->Stamp() : 0, texture};
    Uses(texture);
    Note(op, &note, sizeof note);
}

bool FrameReuse::HoldClear(uint32_t flags, Color color, float z) {
    if (!Noting()) return false;
    const Device::Impl& d = *device_.impl();
    const ClearNote note{flags, color, z};
    constexpr uint32_t kBoth = CLEAR_TARGET | CLEAR_ZBUFFER;
    const Viewport& vp = d.viewport;
    const bool whole = !touched_ && !d.renderTarget && (flags & kBoth) == kBoth && vp.x == 0 && vp.y == 0 &&
                       vp.width >= uint32_t(d.width) && vp.height >= uint32_t(d.height);
    if (whole) {
        cleanFrom_ = Noted() + sizeof(Header) + sizeof note;
        depthInRange_ = z >= 0.0f && z <= 1.0f;
    } else if ((flags & CLEAR_ZBUFFER) && !d.renderTarget && !(z >= 0.0f && z <= 1.0f)) {
        depthInRange_ = false;
    }
    touched_ = true;
    Note(Op::Clear, &note, sizeof note);
    return phase_ == Phase::Repeating;
}

bool FrameReuse::HoldDraw(PrimitiveType type, uint32_t count, const void* vertices, uint32_t stride,
                          const void* indices, bool index32) {
    if (!Noting()) return false;
    const Device::Impl& d = *device_.impl();
    // Calls the device refuses draw nothing and are not noted.
    const uint32_t vertexBytes = VertexBytesRead(d.fvf);
    const uint32_t n = IndexCount(type, count);
    if (!vertices || count == 0 || count > (1u << 24) || vertexBytes == 0 || stride == 0 || n == 0) return false;
    uint32_t lo = 0, hi = n - 1;
    if (indices) {
        // Vertices from the lowest index on, the indices counted from it.
        if (index32) IndexRange<uint32_t>(indices, n, lo, hi);
        else IndexRange<uint16_t>(indices, n, lo, hi);
        if (index32) Rebase<uint32_t>(indices, n, lo, indexScratch_);
        else Rebase<uint16_t>(indices, n, lo, indexScratch_);
    } else {
        indexScratch_.clear();
    }
    DrawNote note{};
    note.type = uint32_t(type);
    note.count = count;
    note.stride = stride;
    note.index32 = index32;
    note.indexed = indices != nullptr;
    const size_t bytes = size_t(hi - lo) * stride + vertexBytes;
    note.vertexBytes = uint32_t(bytes);
    note.indexBytes = uint32_t(indexScratch_.size());
    note.textureStamp = d.textures[0] ? d.textures[0]->Stamp() : 0;
    if (cleanFrom_ != SIZE_MAX && firstDraw_ == SIZE_MAX) firstDraw_ = Noted();
    touched_ = true;
    const bool held = phase_ == Phase::Repeating;
    const uint32_t changes = changes_;
    const size_t start = Note(Op::Draw, &note, sizeof note, static_cast<const uint8_t*>(vertices) + size_t(lo) * stride,
                              bytes, indexScratch_.data(), indexScratch_.size(), held);
    if (!held || phase_ != Phase::Repeating) return false;
    const uint8_t* noted = NotedAt(start) + sizeof(Header) + sizeof note;
    NoteDepth(noted, hi - lo + 1, stride);
    // A draw as the last frame's that covers tiles whole: what the frame's changes did
    // to them before it is drawn over.
    if (changes_ != 0 && changes_ == changes) patch_.Unmark(Covered(noted, count, type, stride, indices != nullptr));
    return true;
}

void FrameReuse::Cleared(uint32_t flags, float z) {
    Device::Impl& d = *device_.impl();
    if (d.renderTarget) {
        d.renderTarget->MarkChanged();
        return;
    }
    // (A clear while changed tiles are drawn again clears those alone: Patch marks them.)
    const Box b = ViewportBox();
    if (!d.wantTiles) Touch(b.left, b.top, b.right, b.bottom);
    if (!(flags & CLEAR_ZBUFFER)) return;
    const Viewport& vp = d.viewport;
    depthFlat_ = !d.wantTiles && vp.x == 0 && vp.y == 0 && vp.width >= uint32_t(d.width) &&
                 vp.height >= uint32_t(d.height);
    depthValue_ = z;
}

void FrameReuse::Drew(const void* vertices, uint32_t count, PrimitiveType type, uint32_t stride,
                      const void* indices, bool index32) {
    Device::Impl& d = *device_.impl();
    if (d.renderTarget) {
        d.renderTarget->MarkChanged();
        return;
    }
    if (d.rs[RS_ZENABLE] != 0 && d.rs[RS_ZWRITEENABLE] != 0) depthFlat_ = false;
    // (Drawing changed tiles again changes those alone: Patch marks them.)
    if (d.wantTiles) return;
    const Box b = count <= (1u << 24) ? DrawBox(vertices, IndexCount(type, count), stride, indices, index32) : RasterBox();
    Touch(b.left, b.top, b.right, b.bottom);
}

// The viewport within the back buffer.
FrameReuse::Box FrameReuse::ViewportBox() const {
    const Device::Impl& d = *device_.impl();
    const Viewport& vp = d.viewport;
    return Box{int(std::min<uint32_t>(vp.x, uint32_t(d.width))), int(std::min<uint32_t>(vp.y, uint32_t(d.height))),
               int(std::min<uint64_t>(uint64_t(vp.x) + vp.width, uint64_t(d.width))),
               int(std::min<uint64_t>(uint64_t(vp.y) + vp.height, uint64_t(d.height)))};
}

// Where draws may land: the viewport, within the scissor rectangle when that is on
// (clears are not limited by it). Within the back buffer whatever the rectangle (one
// that is empty, inverted or lies outside leaves an empty box), so that the tiles worked
// out from the box lie within the back buffer's too.
FrameReuse::Box FrameReuse::RasterBox() const {
    const Device::Impl& d = *device_.impl();
    Box b = ViewportBox();
    if (d.rs[RS_SCISSORTESTENABLE] != 0) {
        const Rect& r = d.scissor;
        b.left = std::clamp(r.left, b.left, b.right);
        b.top = std::clamp(r.top, b.top, b.bottom);
        b.right = std::clamp(r.right, b.left, b.right);
        b.bottom = std::clamp(r.bottom, b.top, b.bottom);
    }
    return b;
}

// Where a draw with the current states may write: the box above, or for screen-space
// vertices the box around them with a pixel to spare each side, within it.
FrameReuse::Box FrameReuse::DrawBox(const void* vertices, uint32_t n, uint32_t stride, const void* indices,
                                    bool index32) const {
    Box b = RasterBox();
    if ((device_.impl()->fvf & 0x00E) != FVF_XYZRHW || !vertices || stride < 8 || n == 0) return b;
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    for (uint32_t k = 0; k < n; ++k) {
        uint32_t i = k;
        if (indices) i = index32 ? static_cast<const uint32_t*>(indices)[k] : static_cast<const uint16_t*>(indices)[k];
        const uint8_t* v = static_cast<const uint8_t*>(vertices) + size_t(i) * stride;
        float x, y;
        std::memcpy(&x, v, 4);
        std::memcpy(&y, v + 4, 4);
        if (!(std::fabs(x) < 1e7f && std::fabs(y) < 1e7f)) return b;
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    b.left = std::max(b.left, int(std::floor(x0)) - 1);
    b.top = std::max(b.top, int(std::floor(y0)) - 1);
    b.right = std::min(b.right, int(std::ceil(x1)) + 2);
    b.bottom = std::min(b.bottom, int(std::ceil(y1)) + 2);
    return b;
}

// The same for a noted draw (its DrawNote on).
FrameReuse::Box FrameReuse::NotedDrawBox(const uint8_t* note) const {
    DrawNote n;
    std::memcpy(&n, note, sizeof n);
    const uint8_t* vertices = note + sizeof n;
    return DrawBox(vertices, IndexCount(PrimitiveType(n.type), n.count), n.stride,
                   n.indexed ? vertices + n.vertexBytes : nullptr, n.index32 != 0);
}

void FrameReuse::TileMap::Reset(int tileSize, int width, int height) {
    size = tileSize;
    for (shift = 0; (1 << shift) < size;) ++shift;
    across = (width + size - 1) / size;
    down = (height + size - 1) / size;
    set.assign(size_t(across) * size_t(down), 0);
}

void FrameReuse::TileMap::Mark(const Box& b) {
    if (b.left >= b.right || b.top >= b.bottom) return;
    for (int ty = b.top >> shift; ty <= (b.bottom - 1) >> shift; ++ty)
        std::fill_n(set.begin() + ptrdiff_t(ty) * across + (b.left >> shift),
                    ((b.right - 1) >> shift) - (b.left >> shift) + 1, 1);
}

void FrameReuse::TileMap::Unmark(const Box& b) {
    const int tx0 = (b.left + size - 1) >> shift, tx1 = b.right >> shift;
    for (int ty = (b.top + size - 1) >> shift; tx0 < tx1 && ty < b.bottom >> shift; ++ty)
        std::fill_n(set.begin() + ptrdiff_t(ty) * across + tx0, tx1 - tx0, 0);
}

void FrameReuse::TileMap::Mark(const TileMap& other) {
    for (size_t i = 0; i < set.size(); ++i) set[i] |= other.set[i];
}

bool FrameReuse::TileMap::Meets(const Box& b) const {
    if (b.left >= b.right || b.top >= b.bottom) return false;
    for (int ty = b.top >> shift; ty <= (b.bottom - 1) >> shift; ++ty)
        for (int tx = b.left >> shift; tx <= (b.right - 1) >> shift; ++tx)
            if (set[size_t(ty) * across + tx]) return true;
    return false;
}

template <class F>
void FrameReuse::TileMap::ForRows(int width, int height, F f) const {
    for (int ty = 0; ty < down; ++ty)
        ForTileRuns(set.data(), size, across, ty * size, 0, width, [&](int x0, int x1) {
            for (int y = ty * size, y1 = std::min(y + size, height); y < y1; ++y) f(y, x0, x1);
        });
}

// Marks the tiles of the back buffer that the box [left, right) x [top, bottom) meets.
void FrameReuse::Touch(int left, int top, int right, int bottom) {
    dirty_.Mark(Box{left, top, right, bottom});
    changed_.Mark(Box{left, top, right, bottom});
}

// Each run of changed tiles along a row of tiles, going on down over the runs of the
// same columns in the rows below.
const std::vector<plat::FrameRect>& FrameReuse::ChangedParts() {
    const Device::Impl& d = *device_.impl();
    parts_.clear();
    for (int ty = 0; ty < changed_.down; ++ty) {
        const int top = ty * kTile, bottom = std::min(top + kTile, d.height);
        ForTileRuns(changed_.set.data(), kTile, changed_.across, top, 0, d.width, [&](int left, int right) {
            const auto above = std::find_if(parts_.begin(), parts_.end(), [&](const plat::FrameRect& p) {
                return p.bottom == top && p.left == left && p.right == right;
            });
            if (above != parts_.end()) above->bottom = bottom;
            else parts_.push_back(plat::FrameRect{left, top, right, bottom});
        });
    }
    return parts_;
}

void FrameReuse::Presented() { changed_.Clear(); }

// (With nothing held yet the back buffer is as it should be and the frame goes on
// being compared.)
void FrameReuse::Settle() {
    if (phase_ == Phase::Repeating && Noted() > startEnd_) CatchUp(Noted());
}

void FrameReuse::TextureChanging(const Texture* texture) {
    if (std::find(used_.begin(), used_.end(), texture) != used_.end()) Settle();
}

void FrameReuse::TextureGone(const Texture* texture) {
    const auto it = std::find(used_.begin(), used_.end(), texture);
    if (it == used_.end()) return;  // the frame's notes name only the textures it used
    Settle();
    Diverge();
    used_.erase(it);
    // Notes are drawn from later only while the frame repeats the last one, and then
    // only its Start note is left to draw from (Settle drew anything held); the others
    // are rewritten all the same. The last frame's notes are only compared with, and
    // their stamps match no texture made later.
    const auto forget = [&](size_t at) {
        TextureNote note;
        std::memcpy(&note, cur_.data() + at, sizeof note);
        if (note.texture != texture) return;
        note.texture = nullptr;
        note.stamp = 0;
        std::memcpy(cur_.data() + at, &note, sizeof note);
    };
    if (startEnd_ != 0)  // the stages' textures, then the target
        for (size_t k = 0; k <= std::extent_v<decltype(Device::Impl::textures)>; ++k) forget(startTextures_ + k * sizeof(TextureNote));
    for (size_t at = startEnd_; at < cur_.size();) {
        const uint8_t* p = cur_.data() + at;
        const Header h = Get<Header>(p);
        if (Op(h.op) == Op::Texture || Op(h.op) == Op::RenderTarget) forget(at + sizeof(Header));
        at += sizeof(Header) + h.bytes;
    }
}

void FrameReuse::EndFrame() {
    if (phase_ == Phase::Repeating) {
        // The whole frame repeated the last one from a whole clear: its picture stands.
        if (cursor_ != prev_.size() || cleanFrom_ == SIZE_MAX) CatchUp(Noted());
        else if (changes_) Patch();
        else ++counts_.framesKept;
    }
    // (A frame whose notes stayed the last one's leaves them.)
    if (!mirror_) prev_.swap(cur_);
    if (overflow_ || !enabled_) {
        prev_.clear();
        keep_.valid = false;
    }
    BeginFrame();
}

void FrameReuse::BeginFrame() {
    cur_.clear();
    mirror_ = false;
    used_.clear();
    cursor_ = 0;
    cleanFrom_ = firstDraw_ = SIZE_MAX;
    touched_ = false;
    overflow_ = false;
    startEnd_ = 0;
    changes_ = 0;
    depthInRange_ = false;
    patch_.Clear();
    if (!enabled_) {
        phase_ = Phase::Off;
        return;
    }
    phase_ = Phase::Repeating;
    mirror_ = true;
    WriteStart();
    // Drawing into a render target is drawn as it comes.
    if (device_.impl()->renderTarget) CatchUp(startEnd_);
}

// The states the frame's calls build on, with the textures bound and their stamps.
void FrameReuse::WriteStart() {
    const Device::Impl& d = *device_.impl();
    std::vector<uint8_t>& s = startScratch_;
    s.clear();
    Put(s, d.rs);
    Put(s, d.samp);
    Put(s, d.tss);
    Put(s, d.view);
    Put(s, d.proj);
    Put(s, d.world);
    Put(s, d.viewport);
    Put(s, d.scissor);
    Put(s, uint32_t(d.inScene));
    Put(s, d.fvf);
    startTextures_ = sizeof(Header) + s.size();
    for (const Texture* t : d.textures) {
        Put(s, TextureNote{0, 0, t ? t->Stamp() : 0, t});
        Uses(t);
    }
    Put(s, TextureNote{0, 0, d.renderTarget ? d.renderTarget->Stamp() : 0, d.renderTarget});
    Uses(d.renderTarget);
    Put(s, d.material);
    Put(s, uint32_t(d.lights.size()));
    for (const LightSlot& l : d.lights) {
        Put(s, l.light);
        Put(s, uint32_t(l.enabled) | uint32_t(l.set) << 1);
    }
    startEnd_ = Note(Op::Start, s.data(), s.size()) + sizeof(Header) + s.size();
}

size_t FrameReuse::ApplyStart() {
    Device::Impl& d = *device_.impl();
    const uint8_t* p = NotedAt(0) + sizeof(Header);
    d.rs = Get<decltype(d.rs)>(p);
    d.samp = Get<decltype(d.samp)>(p);
    d.tss = Get<decltype(d.tss)>(p);
    d.view = Get<vm::Matrix>(p);
    d.proj = Get<vm::Matrix>(p);
    for (auto& w : d.world) w = Get<vm::Matrix>(p);
    d.viewport = Get<Viewport>(p);
    d.scissor = Get<Rect>(p);
    d.inScene = Get<uint32_t>(p) != 0;
    d.fvf = Get<uint32_t>(p);
    for (Texture*& t : d.textures) t = const_cast<Texture*>(Get<TextureNote>(p).texture);
    d.renderTarget = const_cast<Texture*>(Get<TextureNote>(p).texture);
    d.material = Get<Material>(p);
    d.lights.resize(Get<uint32_t>(p));
    for (LightSlot& l : d.lights) {
        l.light = Get<Light>(p);
        const uint32_t flags = Get<uint32_t>(p);
        l.enabled = flags & 1;
        l.set = (flags & 2) != 0;
    }
    return startEnd_;
}

// Carries out the noted calls in [from, to); with `statesOnly` clears and draws are
// passed over, with `onPatch` those that reach no tile of patch_.
void FrameReuse::Run(size_t from, size_t to, bool statesOnly, bool onPatch) {
    Device& dev = device_;
    for (size_t at = from; at < to;) {
        const uint8_t* p = NotedAt(at);
        const Header h = Get<Header>(p);
        at += sizeof(Header) + h.bytes;
        if (onPatch && ((Op(h.op) == Op::Clear && !patch_.Meets(ViewportBox())) ||
                        (Op(h.op) == Op::Draw && !patch_.Meets(NotedDrawBox(p)))))
            continue;
        switch (Op(h.op)) {
            case Op::Start: break;
            case Op::BeginScene: dev.BeginScene(); break;
            case Op::EndScene: dev.EndScene(); break;
            case Op::Clear: {
                const auto c = Get<ClearNote>(p);
                if (!statesOnly) dev.Clear(c.flags, c.color, c.z, 0);
                break;
            }
            case Op::RenderState: {
                const auto s = Get<uint32_t>(p);
                dev.SetRenderState(RenderState(s), Get<uint32_t>(p));
                break;
            }
            case Op::SamplerState:
            case Op::StageState: {
                const auto i = Get<uint32_t>(p);
                const auto s = Get<uint32_t>(p);
                const auto v = Get<uint32_t>(p);
                if (Op(h.op) == Op::SamplerState) dev.SetSamplerState(int(i), SamplerState(s), v);
                else dev.SetTextureStageState(int(i), TextureStageState(s), v);
                break;
            }
            case Op::Transform: {
                const auto s = Get<uint32_t>(p);
                dev.SetTransform(int(s), Get<vm::Matrix>(p));
                break;
            }
            case Op::Viewport: dev.SetViewport(Get<Viewport>(p)); break;
            case Op::Scissor: dev.SetScissorRect(Get<Rect>(p)); break;
            case Op::Fvf: dev.SetFVF(Get<uint32_t>(p)); break;
            case Op::Texture: {
                const auto t = Get<TextureNote>(p);
                dev.SetTexture(int(t.slot), const_cast<Texture*>(t.texture));
                break;
            }
            case Op::RenderTarget: dev.SetRenderTarget(const_cast<Texture*>(Get<TextureNote>(p).texture)); break;
            case Op::Material: dev.SetMaterial(Get<Material>(p)); break;
            case Op::Light: {
                const auto i = Get<uint32_t>(p);
                dev.SetLight(int(i), Get<Light>(p));
                break;
            }
            case Op::LightEnable: {
                const auto i = Get<uint32_t>(p);
                dev.LightEnable(int(i), Get<uint32_t>(p) != 0);
                break;
            }
            case Op::Draw: {
                if (statesOnly) break;
                const auto n = Get<DrawNote>(p);
                const uint8_t* vertices = p;
                const uint8_t* indices = p + n.vertexBytes;
                if (n.indexed)
                    dev.DrawIndexedPrimitiveUP(PrimitiveType(n.type), 0, n.vertexBytes / n.stride + 1, n.count, indices,
                                               n.index32 != 0, vertices, n.stride);
                else
                    dev.DrawPrimitiveUP(PrimitiveType(n.type), n.count, vertices, n.stride);
                break;
            }
        }
    }
}

// Draws what was held back up to `upTo`, where the frame stops repeating the last one,
// and goes on drawing as calls come.
void FrameReuse::CatchUp(size_t upTo) {
    Diverge();
    phase_ = Phase::Replaying;
    if (upTo <= startEnd_) {  // nothing held yet
        keep_.valid = false;
        phase_ = Phase::Live;
        return;
    }
    const bool resume = keep_.valid && keep_.pos <= upTo;
    ApplyStart();
    size_t at = startEnd_;
    if (resume) {
        Run(at, keep_.pos, true);
        Restore();
        at = keep_.pos;
        ++counts_.framesResumed;
    }
    Run(at, upTo, false);
    // A copy where this frame leaves the last one, for the next frame to start from.
    if (!(resume && keep_.pos == upTo)) {
        if (cleanFrom_ != SIZE_MAX && firstDraw_ != SIZE_MAX && upTo > firstDraw_) Keep(upTo);
        else keep_.valid = false;
    }
    phase_ = Phase::Live;
}

void FrameReuse::Keep(size_t pos) {
    const Device::Impl& d = *device_.impl();
    keep_.valid = true;
    keep_.pos = pos;
    keep_.color = d.color;
    keep_.depthFlat = depthFlat_;
    keep_.depthValue = depthValue_;
    if (depthFlat_) keep_.depth.clear();
    else keep_.depth = d.depth;
    keep_.tileOneDepth.assign(dirty_.set.size(), 0);
    keep_.tileDepth.resize(dirty_.set.size());
    dirty_.Clear();
}

// The kept copy back on the marked tiles.
void FrameReuse::RestoreTiles(const TileMap& tiles) {
    Device::Impl& d = *device_.impl();
    const bool sameDepth =
        keep_.depthFlat && depthFlat_ && std::memcmp(&depthValue_, &keep_.depthValue, sizeof(float)) == 0;
    tiles.ForRows(d.width, d.height, [&](int y, int x0, int x1) {
        const size_t at = size_t(y) * d.width + x0;
        std::memcpy(&d.color[at], &keep_.color[at], size_t(x1 - x0) * sizeof(uint32_t));
    });
    if (!sameDepth)
        for (int ty = 0; ty < tiles.down; ++ty)
            for (int tx = 0; tx < tiles.across; ++tx)
                if (tiles.set[size_t(ty) * tiles.across + tx]) RestoreDepth(tx, ty);
    changed_.Mark(tiles);
    depthFlat_ = sameDepth;
}

// The kept depths back on tile (tx, ty). Depths mostly lie all one value over a tile,
// and most often the one they held when kept (the depth of a whole screen of sprites):
// such a tile's depths are read, and written only where they are not that value.
void FrameReuse::RestoreDepth(int tx, int ty) {
    Device::Impl& d = *device_.impl();
    const size_t tile = size_t(ty) * dirty_.across + tx;
    const int x0 = tx * kTile, x1 = std::min(x0 + kTile, d.width), y0 = ty * kTile, y1 = std::min(y0 + kTile, d.height);
    const auto bitsOf = [](float f) {
        uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    };
    // Whether the kept depths there are all one value.
    uint8_t& one = keep_.tileOneDepth[tile];
    if (keep_.depthFlat) {
        one = 1;
        keep_.tileDepth[tile] = keep_.depthValue;
    } else if (one == 0) {
        const uint32_t first = bitsOf(keep_.depth[size_t(y0) * d.width + x0]);
        one = 1;
        for (int y = y0; y < y1 && one == 1; ++y)
            for (int x = x0; x < x1; ++x)
                if (bitsOf(keep_.depth[size_t(y) * d.width + x]) != first) one = 2;
        keep_.tileDepth[tile] = keep_.depth[size_t(y0) * d.width + x0];
    }
    const uint32_t value = bitsOf(keep_.tileDepth[tile]);
    const __m128i four = _mm_set1_epi32(int(value));
    for (int y = y0; y < y1; ++y) {
        float* row = &d.depth[size_t(y) * d.width];
        if (one == 2) {
            std::memcpy(row + x0, &keep_.depth[size_t(y) * d.width + x0], size_t(x1 - x0) * sizeof(float));
            continue;
        }
        // (Four depths to a comparison, their bits against the value's.)
        __m128i same = _mm_set1_epi32(-1);
        int x = x0;
        for (; x + 4 <= x1; x += 4) {
            const __m128i held = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            same = _mm_and_si128(same, _mm_cmpeq_epi32(held, four));
        }
        bool all = _mm_movemask_epi8(same) == 0xFFFF;
        for (; x < x1; ++x) all &= bitsOf(row[x]) == value;
        if (!all) std::fill(row + x0, row + x1, keep_.tileDepth[tile]);
    }
}

// Back to the kept copy: only what was drawn since it was kept differs from it.
void FrameReuse::Restore() {
    RestoreTiles(dirty_);
    depthFlat_ = keep_.depthFlat;
    depthValue_ = keep_.depthValue;
    dirty_.Clear();
}

// A draw that differs from the last frame's at the same place only in its data: held
// like the rest when the kept copy comes before it, its tiles (now and then) marked.
bool FrameReuse::TakeChangedDraw(size_t start, const uint8_t* note, size_t n) {
    if (!keep_.valid || keep_.pos > start || cleanFrom_ == SIZE_MAX || cursor_ + n > prev_.size()) return false;
    if (std::memcmp(note, prev_.data() + cursor_, sizeof(Header)) != 0) return false;
    const uint8_t* p = prev_.data() + cursor_ + sizeof(Header);
    {
        DrawNote before;
        std::memcpy(&before, p, sizeof before);
        const uint32_t vertexBytes = VertexBytesRead(device_.impl()->fvf);
        NoteDepth(p + sizeof before, (before.vertexBytes - vertexBytes) / before.stride + 1, before.stride);
    }
    const uint8_t* now = note + sizeof(Header);
    const Box box = NotedDrawBox(now);
    if (!MarkColourChange(start, box, now, p)) {
        patch_.Mark(box);
        patch_.Mark(NotedDrawBox(p));
    }
    ++changes_;
    cursor_ += n;
    return true;
}

// ---- Draws that change their colour alone -----------------------------------------------
// A textured screen rectangle of one colour that differs from the last frame's in that
// colour alone (a pulsing highlight, a unit's base) covers the same pixels at the same
// depth, each reading the same texels, in both frames. Its pixels are the texels
// modulated by its colour (per channel, a * b / 255 rounded, after filtering): a pixel
// can come out otherwise only where a channel whose colour changed has texel values that
// the two colours modulate apart. A filtered value lies between those of the texels it
// is blended from, so the lowest and highest value of each channel over the texels a
// tile's pixels can read tells: where the texture is transparent, say, any alpha leaves
// it transparent, and a tile it covers with such texels alone is left as it is.

namespace {

// Where the parts of a vertex lie that a screen rectangle is read from: its position
// (x, y, z, 1/w at 0), its diffuse colour and the texture coordinates stage 0 reads;
// `bytes` the vertex's bytes the device reads (-1, 0: not there).
struct VertexParts {
    int diffuse = -1, tex = -1, bytes = 0;
};
VertexParts ScreenVertexParts(uint32_t fvf, uint32_t texSet) {
    VertexParts v;
    if ((fvf & 0x00E) != FVF_XYZRHW || !(fvf & FVF_DIFFUSE) || texSet >= TexSets(fvf) || TexSetFloats(fvf, texSet) < 2)
        return v;
    int at = 16;
    if (fvf & FVF_NORMAL) at += 12;
    if (fvf & 0x020) at += 4;  // point size
    v.diffuse = at;
    at += 4;
    if (fvf & FVF_SPECULAR) at += 4;
    v.tex = at + int(TexSetBytes(fvf, texSet));
    v.bytes = int(VertexBytesRead(fvf));
    return v;
}

// Whether the corners (x[k], y[k]) of a two-triangle strip make a rectangle of some size
// with sides along the axes: the first two along the top, the last two along the bottom.
bool AlongAxes(const float* x, const float* y) {
    return y[0] == y[1] && y[2] == y[3] && x[0] == x[2] && x[1] == x[3] && x[0] != x[1] && y[0] != y[2];
}

// The four corners of a two-triangle strip that make a rectangle with sides along the
// axes and texture coordinates along them, of one colour and one 1/w (as the device's
// screen rectangles); false when they do not.
bool ReadScreenRect(const uint8_t* v, uint32_t stride, const VertexParts& parts, ScreenRect& r) {
    float x[4], y[4], w[4], u[4], t[4];
    uint32_t c[4];
    for (int k = 0; k < 4; ++k) {
        const uint8_t* p = v + size_t(k) * stride;
        std::memcpy(&x[k], p, 4);
        std::memcpy(&y[k], p + 4, 4);
        std::memcpy(&w[k], p + 12, 4);
        std::memcpy(&c[k], p + parts.diffuse, 4);
        std::memcpy(&u[k], p + parts.tex, 4);
        std::memcpy(&t[k], p + parts.tex + 4, 4);
        if (!(std::fabs(x[k]) < 1e6f && std::fabs(y[k]) < 1e6f && std::fabs(u[k]) < 1e6f && std::fabs(t[k]) < 1e6f))
            return false;
    }
    if (!AlongAxes(x, y)) return false;
    if (!(u[0] == u[2] && u[1] == u[3] && t[0] == t[1] && t[2] == t[3])) return false;
    if (!(w[0] == w[1] && w[0] == w[2] && w[0] == w[3] && c[0] == c[1] && c[0] == c[2] && c[0] == c[3])) return false;
    r = ScreenRect{x[0], x[1], y[0], y[2], u[0], u[1], t[0], t[2], c[0]};
    return true;
}

// The channels (bit k: the byte at 8k of an ARGB colour) that texture stage 0 takes as
// the texture modulated by the diffuse colour; the colour's other channels do not
// reach the pixel. -1 for a stage of other operations.
int ModulatedChannels(const std::array<uint32_t, TSS_COUNT>& t) {
    const auto modulates = [](uint32_t op, uint32_t a1, uint32_t a2) {
        const auto diffuse = [](uint32_t a) { return a == TA_DIFFUSE || a == TA_CURRENT; };
        return op == TOP_MODULATE && ((a1 == TA_TEXTURE && diffuse(a2)) || (diffuse(a1) && a2 == TA_TEXTURE));
    };
    if (!modulates(t[TSS_COLOROP], t[TSS_COLORARG1], t[TSS_COLORARG2])) return -1;
    if (modulates(t[TSS_ALPHAOP], t[TSS_ALPHAARG1], t[TSS_ALPHAARG2])) return 0xF;
    const bool texAlpha = (t[TSS_ALPHAOP] == TOP_SELECTARG1 && t[TSS_ALPHAARG1] == TA_TEXTURE) ||
                          (t[TSS_ALPHAOP] == TOP_SELECTARG2 && t[TSS_ALPHAARG2] == TA_TEXTURE);
    return texAlpha ? 0x7 : -1;
}

// The texels [i0, i1] along one axis that pixels p0 .. p1 of a rectangle reading
// coordinate c0 at pixel place x0 and c1 at x1 can read from a texture `n` texels
// across: a pixel further each way, and two texels more each way than the texel under
// it (a filtered pixel reads the texel before and after). False when they reach past
// the texture and its addressing does not clamp them.
bool TexelSpan(float x0, float x1, float c0, float c1, int p0, int p1, int n, uint32_t address, int& i0, int& i1) {
    const float a = (c0 + (float(p0 - 1) - x0) * (c1 - c0) / (x1 - x0)) * float(n);
    const float b = (c0 + (float(p1 + 1) - x0) * (c1 - c0) / (x1 - x0)) * float(n);
    if (!(std::fabs(a) < 1e7f && std::fabs(b) < 1e7f)) return false;
    i0 = int(std::floor(std::min(a, b))) - 2;
    i1 = int(std::floor(std::max(a, b))) + 2;
    if (i0 >= 0 && i1 < n) return true;
    if (address != TADDRESS_CLAMP) return false;
    i0 = std::clamp(i0, 0, n - 1);
    i1 = std::clamp(i1, 0, n - 1);
    return true;
}

}  // namespace

// A changed draw that is a textured screen rectangle changing its colour alone: the
// tiles where its pixels can differ from the last frame's marked (see above). False
// (nothing marked) for any other change.
bool FrameReuse::MarkColourChange(size_t start, const Box& box, const uint8_t* now, const uint8_t* before) {
    const Device::Impl& d = *device_.impl();
    DrawNote note;
    std::memcpy(&note, now, sizeof note);
    if (std::memcmp(now, before, sizeof note) != 0 || note.type != PT_TRIANGLESTRIP || note.count != 2 || note.indexed)
        return false;
    const VertexParts parts = ScreenVertexParts(d.fvf, d.tss[0][TSS_TEXCOORDINDEX]);
    const Texture* tex = d.textures[0];
    const int channels = ModulatedChannels(d.tss[0]);
    if (parts.bytes == 0 || channels < 0 || !tex || tex == d.renderTarget || tex->Stamp() != note.textureStamp)
        return false;
    // The draw but for its colour: the same in both frames.
    const uint8_t* vNow = now + sizeof note;
    const uint8_t* vBefore = before + sizeof note;
    std::vector<uint8_t>& key = keyScratch_;
    key.clear();
    for (int k = 0; k < 4; ++k) {
        const uint8_t* a = vNow + size_t(k) * note.stride;
        const uint8_t* b = vBefore + size_t(k) * note.stride;
        if (std::memcmp(a, b, size_t(parts.diffuse)) != 0 ||
            std::memcmp(a + parts.diffuse + 4, b + parts.diffuse + 4, size_t(parts.bytes - parts.diffuse - 4)) != 0)
            return false;
        key.insert(key.end(), a, a + parts.diffuse);
        key.insert(key.end(), a + parts.diffuse + 4, a + parts.bytes);
    }
    ScreenRect rect, rectBefore;
    if (!ReadScreenRect(vNow, note.stride, parts, rect) || !ReadScreenRect(vBefore, note.stride, parts, rectBefore))
        return false;
    const uint32_t addrU = d.samp[0][SAMP_ADDRESSU], addrV = d.samp[0][SAMP_ADDRESSV];
    Put(key, tex);
    Put(key, note.textureStamp);
    Put(key, addrU);
    Put(key, addrV);
    Put(key, parts);
    // The box it is drawn within, which the viewport and the scissor rectangle cut: one
    // that widens gives it tiles it had none on.
    Put(key, box);
    const Footprint* f = FootprintOf(start, box, rect, *tex, addrU, addrV);
    if (!f) return false;
    // Whether the two colours modulate any texel value of lo .. hi apart in a channel
    // (from the top down: the higher the value, the likelier).
    const auto apart = [&](int k, uint32_t lo, uint32_t hi) {
        const uint32_t c0 = (rect.colour >> (8 * k)) & 0xFF, c1 = (rectBefore.colour >> (8 * k)) & 0xFF;
        if (!(channels >> k & 1) || c0 == c1) return false;
        for (uint32_t t = hi + 1; t-- > lo;)
            if (pix::Mul255(t, c0) != pix::Mul255(t, c1)) return true;
        return false;
    };
    for (const TileTexels& t : f->tiles)
        if (apart(3, t.lo[3], t.hi[3]) || apart(2, t.lo[2], t.hi[2]) || apart(1, t.lo[1], t.hi[1]) ||
            apart(0, t.lo[0], t.hi[0]))
            patch_.set[t.tile] = 1;
    return true;
}

// The footprint of the rectangle noted at `pos`, as kept when its key (keyScratch_) is
// the one kept, else worked out; null when its texels reach past the texture.
const FrameReuse::Footprint* FrameReuse::FootprintOf(size_t pos, const Box& box, const ScreenRect& r,
                                                     const Texture& tex, uint32_t addrU, uint32_t addrV) {
    for (const Footprint& f : footprints_)
        if (f.pos == pos && f.key == keyScratch_) return &f;
    Footprint f;
    f.pos = pos;
    f.key = keyScratch_;
    const int tw = tex.Width(), th = tex.Height(), size = patch_.size;
    // The pixels it can cover: those whose centres lie within it, and one more each side.
    const int px0 = int(std::floor(std::min(r.ax, r.bx))), px1 = int(std::ceil(std::max(r.ax, r.bx)));
    const int py0 = int(std::floor(std::min(r.ay, r.cy))), py1 = int(std::ceil(std::max(r.ay, r.cy)));
    for (int ty = box.top >> patch_.shift; box.left < box.right && ty <= (box.bottom - 1) >> patch_.shift; ++ty)
        for (int tx = box.left >> patch_.shift; tx <= (box.right - 1) >> patch_.shift; ++tx) {
            const int x0 = std::max(tx * size, px0), x1 = std::min(tx * size + size - 1, px1);
            const int y0 = std::max(ty * size, py0), y1 = std::min(ty * size + size - 1, py1);
            if (x0 > x1 || y0 > y1) continue;
            int u0, u1, v0, v1;
            if (!TexelSpan(r.ax, r.bx, r.au, r.bu, x0, x1, tw, addrU, u0, u1) ||
                !TexelSpan(r.ay, r.cy, r.av, r.cv, y0, y1, th, addrV, v0, v1))
                return nullptr;
            TileTexels t{size_t(ty) * size_t(patch_.across) + size_t(tx), {255, 255, 255, 255}, {0, 0, 0, 0}};
            for (int v = v0; v <= v1; ++v)
                for (const uint32_t* p = tex.Pixels() + size_t(v) * size_t(tw) + u0, *e = p + (u1 - u0 + 1); p < e; ++p)
                    for (int k = 0; k < 4; ++k) {
                        const uint8_t c = uint8_t(*p >> (8 * k));
                        t.lo[k] = std::min(t.lo[k], c);
                        t.hi[k] = std::max(t.hi[k], c);
                    }
            f.tiles.push_back(t);
        }
    // The draws kept are those of the last frames (a few dozen at most).
    constexpr size_t kMaxFootprints = 256;
    const auto old =
        std::find_if(footprints_.begin(), footprints_.end(), [pos](const Footprint& k) { return k.pos == pos; });
    if (old != footprints_.end()) footprints_.erase(old);
    if (footprints_.size() >= kMaxFootprints) footprints_.clear();
    footprints_.push_back(std::move(f));
    return &footprints_.back();
}

// ---- Draws that cover tiles whole -----------------------------------------------------
// A screen rectangle of one opaque colour, untextured, whose depth test passes over any
// depth the frame can have there and which writes its own depth, gives every pixel it
// covers the same colour and depth whatever lay there: the tiles it covers whole are
// this frame's as they were the last one's if every change before it was all that
// touched them (a minimap over the units moving beneath). Its depth test passes over
// any depth within 0 .. 1 at a depth of 0 testing "less or equal" (or 1, "greater or
// equal"); the frame's depths lie there while every clear and every depth written, in
// this frame and the last, does (screen vertices' depths are taken as they are, and a
// rectangle's or triangle's pixels' depths lie between its corners').

namespace {
bool InUnitRange(float z) { return z >= 0.0f && z <= 1.0f; }
}  // namespace

// A draw's depths, as it writes them (vertices from the lowest it reads, `count` of them).
void FrameReuse::NoteDepth(const uint8_t* vertices, uint32_t count, uint32_t stride) {
    const Device::Impl& d = *device_.impl();
    if (d.renderTarget || d.rs[RS_ZENABLE] == 0 || d.rs[RS_ZWRITEENABLE] == 0 || !depthInRange_) return;
    if ((d.fvf & 0x00E) != FVF_XYZRHW) {
        depthInRange_ = false;  // (depths worked out by the transforms are not looked into)
        return;
    }
    for (uint32_t k = 0; k < count && depthInRange_; ++k) {
        float z;
        std::memcpy(&z, vertices + size_t(k) * stride + 8, sizeof z);
        depthInRange_ = InUnitRange(z);
    }
}

// The tiles the draw noted at `vertices` covers whole as above, at the current states;
// an empty box when it does not.
FrameReuse::Box FrameReuse::Covered(const uint8_t* vertices, uint32_t count, PrimitiveType type, uint32_t stride,
                                    bool indexed) const {
    const Device::Impl& d = *device_.impl();
    const auto& rs = d.rs;
    const VertexParts parts = ScreenVertexParts(d.fvf, 0);
    if (type != PT_TRIANGLESTRIP || count != 2 || indexed || d.renderTarget || d.textures[0] || parts.diffuse < 0 ||
        !depthInRange_ || rs[RS_ZENABLE] == 0 || rs[RS_ZWRITEENABLE] == 0)
        return Box{};
    // One colour (and one specular colour) at its four corners, one depth.
    float x[4], y[4], z[4];
    uint32_t colour[4], specular[4] = {};
    for (int k = 0; k < 4; ++k) {
        const uint8_t* v = vertices + size_t(k) * stride;
        std::memcpy(&x[k], v, 4);
        std::memcpy(&y[k], v + 4, 4);
        std::memcpy(&z[k], v + 8, 4);
        std::memcpy(&colour[k], v + parts.diffuse, 4);
        if (d.fvf & FVF_SPECULAR) std::memcpy(&specular[k], v + parts.diffuse + 4, 4);
        if (!(std::fabs(x[k]) < 1e6f && std::fabs(y[k]) < 1e6f) || colour[k] != colour[0] ||
            specular[k] != specular[0] || z[k] != z[0])
            return Box{};
    }
    if (!AlongAxes(x, y)) return Box{};
    // Culled by its winding (its first triangle's: the second's is the same)?
    const bool clockwise = (x[1] - x[0]) * (y[2] - y[0]) > 0;
    if ((rs[RS_CULLMODE] == CULL_CW && clockwise) || (rs[RS_CULLMODE] == CULL_CCW && !clockwise)) return Box{};
    // Its depth test passes anywhere.
    const float zc = std::clamp(z[0], 0.0f, 1.0f);
    const uint32_t zf = rs[RS_ZFUNC];
    if (!(zf == CMP_ALWAYS || (zf == CMP_LESSEQUAL && zc == 0.0f) || (zf == CMP_GREATEREQUAL && zc == 1.0f)))
        return Box{};
    // Its colour is all there is of the pixel: no blending, or blending source over
    // with an alpha of 255 (untextured, the stage's alpha is the diffuse alpha unless
    // it names some other argument), passing the alpha test.
    // (With no texture an operation reading it gives the diffuse colour.)
    const auto& t = d.tss[0];
    const uint32_t op = t[TSS_ALPHAOP], a1 = t[TSS_ALPHAARG1], a2 = t[TSS_ALPHAARG2];
    const auto diffuse = [](uint32_t a) { return a == TA_DIFFUSE || a == TA_CURRENT || a == TA_TEXTURE; };
    const bool modulated = op == TOP_MODULATE && (a1 == TA_TEXTURE) != (a2 == TA_TEXTURE) && diffuse(a1) && diffuse(a2);
    const bool diffuseAlpha = t[TSS_COLOROP] == TOP_DISABLE || op == TOP_DISABLE ||
                              (op == TOP_SELECTARG1 && diffuse(a1)) || (op == TOP_SELECTARG2 && diffuse(a2)) || modulated;
    const uint32_t alpha = colour[0] >> 24;
    const bool sourceOver = rs[RS_SRCBLEND] == BLEND_SRCALPHA && rs[RS_DESTBLEND] == BLEND_INVSRCALPHA &&
                            rs[RS_BLENDOP] == BLENDOP_ADD;
    if (rs[RS_ALPHABLENDENABLE] != 0 && !(sourceOver && diffuseAlpha && alpha == 255)) return Box{};
    if (rs[RS_ALPHATESTENABLE] != 0 && !(diffuseAlpha && pix::Compare(rs[RS_ALPHAFUNC], alpha, rs[RS_ALPHAREF] & 0xFF)))
        return Box{};
    // The pixels it surely covers (a pixel's width spare each side for the snapping of
    // its corners), within where it may draw.
    const Box raster = RasterBox();
    return Box{std::max(raster.left, int(std::ceil(std::min(x[0], x[1]))) + 1),
               std::max(raster.top, int(std::ceil(std::min(y[0], y[2]))) + 1),
               std::min(raster.right, int(std::floor(std::max(x[0], x[1])))),
               std::min(raster.bottom, int(std::floor(std::max(y[0], y[2]))))};
}

// A frame that repeats the last one but for some draws' data. Pixels are drawn one by
// one, each from its own earlier value: off the tiles those draws fall on (now or
// then), the last picture is this frame's. Those tiles are given back the kept copy,
// and the calls from there on that reach them are drawn again on them alone (see
// PipeState::wantTiles).
void FrameReuse::Patch() {
    Device::Impl& d = *device_.impl();
    phase_ = Phase::Replaying;
    ApplyStart();
    Run(startEnd_, keep_.pos, true);
    RestoreTiles(patch_);
    spareColor_.resize(d.color.size());
    spareDepth_.resize(d.depth.size());
    d.wantTiles = patch_.set.data();
    d.wantTile = patch_.size;
    d.spareColor = spareColor_.data();
    d.spareDepth = spareDepth_.data();
    Run(keep_.pos, Noted(), false, true);
    d.wantTiles = nullptr;
    d.spareColor = nullptr;
    d.spareDepth = nullptr;
    // Only the patched tiles changed (RestoreTiles marked them for presenting).
    dirty_.Mark(patch_);
    phase_ = Phase::Live;
    ++counts_.framesPatched;
}

}  // namespace gfx::detail
