#pragma once
// The base of every battle effect (arrows, spells, healing lights ...), the
// camera-facing particle request that effects hand to the effect controller for
// drawing far to near, and the small matrix helpers the effects share.
#include <cstdint>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "FieldRules.h"
#include "math/vmath.h"

namespace gfx {
class VertexShader;
class Effect;
}  // namespace gfx
class CD3DSkinnedMesh;

// The battle camera's eye and target, copied by the battle task every frame after
// the camera has been applied.  Billboards and the particle depth sort read them.
extern vm::Vec3 BattleEye;
extern vm::Vec3 BattleTarget;

// One camera-facing square that the controller draws after every effect's own
// geometry, sorted far to near, with normal alpha blending and lighting off.
struct CAddDraw_Particle {
    vm::Matrix world;                          // the whole transform of the square (corners 0 .. width, height)
    const CD3DDrawTexture* texture = nullptr;  // null: the particle is skipped
    float width = 0.0f;
    float height = 0.0f;
    RECT source{};                             // texels of the texture mapped onto the square
    uint32_t colour = 0xFFFFFFFF;              // ARGB modulating the texture
};

using ParticleList = std::vector<CAddDraw_Particle>;

class CBattleEffectBase {
public:
    CBattleEffectBase() = default;
    virtual ~CBattleEffectBase() = default;
    CBattleEffectBase(const CBattleEffectBase&) = delete;
    CBattleEffectBase& operator=(const CBattleEffectBase&) = delete;

    // One simulation step at the battle frame `frame`.
    virtual void Update(int frame) = 0;
    // Draws the effect's own geometry at once and may append particle requests.
    // shaders, shaderObject and base are handed on to mesh draws unchanged.
    virtual void Draw(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* shaderObject,
                      const vm::Matrix* base, int frame, ParticleList& particles) = 0;

    bool IsAlive() const { return m_bAlive; }
    bool Darkens() const { return m_bDarkens; }
    int GetStartFrame() const { return m_nStartFrame; }
    int GetRelFrame() const { return m_nRelFrame; }

    CD3DDraw3DPolygons m_Polygons;           // the effect's own strip, when it needs one
    std::vector<AttackResult> m_vHits;       // released, not yet collected by the controller
    bool m_bAlive = true;                    // cleared when the effect has finished
    bool m_bDarkens = true;                  // the stage dims while a started effect has it
    int m_nStartFrame = 0;
    int m_nRelFrame = 0;                     // frame - start frame, as last computed
    std::vector<AttackResult> m_vTargets;    // the results this effect will release
    uint32_t m_dwTintRequest = 0;            // non-zero: replaces the stage tint for one frame
    uint32_t m_dwFlashRequest = 0;           // non-zero: the flash colour for one frame

protected:
    // Appends a copy of target result i to the hits (nothing when there is none).
    void ReleaseTarget(size_t i);
    // Appends target results 0 .. count - 1 (as many as there are).
    void ReleaseTargets(size_t count);
};

// ---- shared helpers -------------------------------------------------------------------

constexpr double kEffectPi = 3.14159265358979;
constexpr float kEffectPiF = 3.1415927f;

// The view transform of the device with its 3x3 rotation transposed and no
// translation: a square in the x-y plane multiplied by it faces the camera.
vm::Matrix MakeBillboardMatrix(const gfx::Device* device);
// RotationY(pi) x RotationZ(pi) x the billboard: turned over before facing the camera.
vm::Matrix MakeFlippedBillboardMatrix(const gfx::Device* device);
// The rotation that turns direction a onto direction b.  Parallel, opposite or zero
// directions give the identity.
vm::Matrix MakeRotationFromTo(vm::Vec3 a, vm::Vec3 b);
inline vm::Vec3 GetMatrixTranslation(const vm::Matrix& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }
// atan(y / x), or +-pi/2 for x = 0 (not atan2: opposite directions give one angle).
double AngleOfXY(double x, double y);
// Distance from the battle eye along the line of sight to the foot of the
// perpendicular from (x, y, z); never negative.
float ViewDepth(float x, float y, float z);
// True when a's square lies nearer than b's (false when either depth is not a number).
bool CompareParticleDepth(const CAddDraw_Particle& a, const CAddDraw_Particle& b);

// The alpha byte of a fade: 255 at 1 and above, 0 at 0 and below, else f x 255 rounded.
uint8_t AlphaByte(double f);
// One draw of the global generator as a number from 0 to 1.
double RandUnit();
// A preloaded effect texture by its base name ("DamageCircle"); null when missing.
CD3DDrawTexture* FindEffectTexture(const char* name);
// Sets stage 0 to the named texture (no texture when it is missing).
void SetEffectTexture(gfx::Device* device, const char* name);
// The preloaded effect mesh of index 0 .. 4 (arrow, ball, rock, spear, none); null
// before the preload.
CD3DSkinnedMesh* GetEffectMesh(int index);
// The lighting-off, blend pair and depth-write-off state most effects draw with.
void SetEffectStates(gfx::Device* device, uint32_t srcBlend, uint32_t destBlend);
// A camera-facing square of side `size` centred on p (optionally turned in its
// plane first): translation(-size/2, -size/2, 0) x [RotationZ(spin)] x billboard x
// translation(p).
vm::Matrix CentredBillboard(const vm::Matrix& billboard, float size, vm::Vec3 p);
// Draws `poly` as a square width x height in `colour`, faces flipped, with `world`
// (nothing when the colour is fully transparent: it would blend to nothing).
void DrawFlippedSquare(CD3DDraw3DPolygons& poly, float width, float height, uint32_t colour,
                       const vm::Matrix& world);
