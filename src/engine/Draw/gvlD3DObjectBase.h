#pragma once
// Draw objects and the globals they share.
//
// Every draw object (textures, squares, polygons, lines, text, render targets,
// skinned meshes) derives from CD3DObjectBase.  A base object enters a global
// registry when it is constructed and leaves it when it is destroyed, so the
// framework can create the device resources of every draw object once the device
// exists (InitDrawObjects) and release them at shutdown (ReleaseDrawObjects),
// whatever order the game built them in.
#include <cstdint>

#include "gfx/device.h"
#include "gfx/sprite.h"
#include "gfx/texture.h"
#include "hresult.h"

// A rectangle of texels or pixels (left and top inside, right and bottom outside).
using RECT = gfx::Rect;

class CD3DObjectBase {
public:
    CD3DObjectBase();
    virtual ~CD3DObjectBase();
    CD3DObjectBase(const CD3DObjectBase&) : CD3DObjectBase() {}  // a copy registers itself too
    CD3DObjectBase& operator=(const CD3DObjectBase&) { return *this; }

    // Creates the object's device resources.
    virtual void Restore() = 0;
    // Releases them.
    virtual void Invalidate() {}
};

// What the device was created with; the frame loop resets the device with it when
// presenting fails.
struct PresentParameters {
    int BackBufferWidth = 0;   // 0 in a window: the client area
    int BackBufferHeight = 0;
    int BackBufferCount = 0;
    bool Windowed = false;
    bool EnableAutoDepthStencil = false;
    bool PresentImmediately = false;
    // The size the device was actually made with.
    int DeviceWidth = 0;
    int DeviceHeight = 0;
};

extern gfx::Device* g_pD3DDevice;        // null before CreateD3DDevice and after ReleaseD3DDevice
extern gfx::Sprite* g_pSprite;           // null before InitDrawObjects and after ReleaseDrawObjects
extern bool g_bSpriteBegun;              // the sprite batch is open
extern PresentParameters g_D3DPresentParameters;

// Creates the device (width x height back buffer) into g_pD3DDevice and fills
// g_D3DPresentParameters.  S_OK or E_FAIL.
HRESULT CreateD3DDevice(bool fullScreen, int width, int height);
// Releases g_pD3DDevice when set and clears it.
void ReleaseD3DDevice();

// Stores the device, creates the global sprite and restores every registered
// draw object (objects registered during the walk are restored too).
void InitDrawObjects(gfx::Device* device);
// Releases the global sprite, then invalidates every registered draw object.
// g_pD3DDevice stays set.
void ReleaseDrawObjects();

// Opens the global sprite batch when it is not open (alpha blending).
void BeginSpriteBatch();
// Closes it when open, drawing what was queued.  Every draw that goes to the
// device directly calls this first so the picture keeps the order of the calls.
void EndSpriteBatch();

// Replaces each value by the smallest power of two strictly greater than it
// (1 for values <= 0): 1 -> 2, 100 -> 128, 128 -> 256.
void NextPowerOfTwo(int& w, int& h);

// Registry inspection (tests and diagnostics).
int GetDrawObjectCount();
CD3DObjectBase* GetDrawObject(int index);
bool HasDrawObjectRegistry();
