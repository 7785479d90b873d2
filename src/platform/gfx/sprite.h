#pragma once
// The sprite batch: textured screen rectangles queued between Begin and End and
// drawn through the device in the order they were issued.  Begin saves the device
// states it touches and sets its own (alpha blending, alpha test greater than 0, no
// culling, no lighting, texture modulated by the sprite colour, clamp addressing,
// linear filtering, identity transforms); End (or Flush) draws the queue with the
// device state of that moment and End restores the saved states.
#include <cstdint>
#include <vector>

#include "gfx/device.h"
#include "gfx/texture.h"
#include "math/vmath.h"

namespace gfx {

enum : uint32_t {
    SPRITE_DONOTSAVESTATE = 0x01,
    SPRITE_DONOTMODIFY_RENDERSTATE = 0x02,
    SPRITE_OBJECTSPACE = 0x04,
    SPRITE_BILLBOARD = 0x08,
    SPRITE_ALPHABLEND = 0x10,
    SPRITE_SORT_TEXTURE = 0x20,  // accepted; draws keep their issue order regardless
    SPRITE_SORT_DEPTH_FRONTTOBACK = 0x40,
    SPRITE_SORT_DEPTH_BACKTOFRONT = 0x80,
};

class Sprite {
public:
    explicit Sprite(Device* device);
    ~Sprite();

    Device* GetDevice() const { return device_; }

    // Begin fails when a batch is already open; End and Flush fail without one.
    HRESULT Begin(uint32_t flags);
    HRESULT End();
    HRESULT Flush();
    bool IsBegun() const { return begun_; }

    // Transform applied to every following Draw (screen space, row vectors).
    HRESULT SetTransform(const vm::Matrix& m);
    vm::Matrix GetTransform() const { return transform_; }

    // Queues `texture` (null draws nothing), the part `src` of it (null: the whole
    // texture), with its point `center` (null: top-left) placed at `position`
    // (null: origin) before the transform, tinted by `color` (ARGB).
    HRESULT Draw(Texture* texture, const Rect* src, const vm::Vec3* center, const vm::Vec3* position, Color color);

    // Whether queued draws refer to `texture`.
    bool References(const Texture* texture) const;
    // A texture going away: queued draws of it are drawn now, and End will not bind
    // it again.
    void ForgetTexture(const Texture* texture);

    // Draws issued since the batch was opened (for tests).
    uint32_t DrawCount() const { return drawCount_; }

private:
    struct Item {
        Texture* texture = nullptr;
        float x[4] = {}, y[4] = {}, z[4] = {};  // corners: top-left, top-right, bottom-left, bottom-right
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        Color color = 0;
    };
    struct SavedState;

    void ApplyStates();
    void SaveStates();
    void RestoreStates();

    Device* device_ = nullptr;
    bool begun_ = false;
    uint32_t flags_ = 0;
    uint32_t drawCount_ = 0;
    vm::Matrix transform_;
    std::vector<Item> queue_;
    std::vector<uint32_t> savedRs_, savedSamp_, savedTss_;
    vm::Matrix savedWorld_, savedView_, savedProj_;
    uint32_t savedFvf_ = 0;
    Texture* savedTexture_ = nullptr;
};

}  // namespace gfx
