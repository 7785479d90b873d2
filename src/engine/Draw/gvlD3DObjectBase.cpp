// The draw-object registry, the shared device and sprite, and device creation.
#include "Draw/gvlD3DObjectBase.h"

#include <vector>

#include "log/ErrorLog.h"

gfx::Device* g_pD3DDevice = nullptr;
gfx::Sprite* g_pSprite = nullptr;
bool g_bSpriteBegun = false;
PresentParameters g_D3DPresentParameters;

namespace {
// Registered draw objects in order of registration.  Created on first use and
// deleted when its last entry leaves.
std::vector<CD3DObjectBase*>* g_pDrawObjectRegistry = nullptr;

std::vector<CD3DObjectBase*>& Registry() {
    if (!g_pDrawObjectRegistry) g_pDrawObjectRegistry = new std::vector<CD3DObjectBase*>();
    return *g_pDrawObjectRegistry;
}
}  // namespace

CD3DObjectBase::CD3DObjectBase() { Registry().push_back(this); }

CD3DObjectBase::~CD3DObjectBase() {
    if (!g_pDrawObjectRegistry) return;
    auto& reg = *g_pDrawObjectRegistry;
    for (size_t i = 0; i < reg.size(); ++i) {
        if (reg[i] == this) {
            reg.erase(reg.begin() + i);
            break;
        }
    }
    if (reg.empty()) {
        delete g_pDrawObjectRegistry;
        g_pDrawObjectRegistry = nullptr;
    }
}

int GetDrawObjectCount() { return g_pDrawObjectRegistry ? int(g_pDrawObjectRegistry->size()) : 0; }
CD3DObjectBase* GetDrawObject(int index) {
    if (!g_pDrawObjectRegistry || index < 0 || index >= int(g_pDrawObjectRegistry->size())) return nullptr;
    return (*g_pDrawObjectRegistry)[index];
}
bool HasDrawObjectRegistry() { return g_pDrawObjectRegistry != nullptr; }

void InitDrawObjects(gfx::Device* device) {
    Registry();
    g_pD3DDevice = device;
    if (g_pSprite) {
        delete g_pSprite;
        g_pSprite = nullptr;
        g_bSpriteBegun = false;
    }
    if (device) g_pSprite = new gfx::Sprite(device);
    // By index, re-reading the size: objects registered by a Restore are visited too.
    for (size_t i = 0; g_pDrawObjectRegistry && i < g_pDrawObjectRegistry->size(); ++i)
        (*g_pDrawObjectRegistry)[i]->Restore();
}

void ReleaseDrawObjects() {
    if (g_pSprite) {
        delete g_pSprite;  // an open batch is closed (and its states restored) first
        g_pSprite = nullptr;
    }
    g_bSpriteBegun = false;
    for (size_t i = 0; g_pDrawObjectRegistry && i < g_pDrawObjectRegistry->size(); ++i)
        (*g_pDrawObjectRegistry)[i]->Invalidate();
}

void BeginSpriteBatch() {
    if (g_bSpriteBegun || !g_pSprite) return;
    if (SUCCEEDED(g_pSprite->Begin(gfx::SPRITE_ALPHABLEND | gfx::SPRITE_SORT_TEXTURE))) g_bSpriteBegun = true;
}

void EndSpriteBatch() {
    if (!g_bSpriteBegun) return;
    if (g_pSprite) g_pSprite->End();
    g_bSpriteBegun = false;
}

HRESULT CreateD3DDevice(bool fullScreen, int width, int height) {
    g_D3DPresentParameters = PresentParameters{};
    g_D3DPresentParameters.BackBufferCount = 1;
    g_D3DPresentParameters.Windowed = !fullScreen;
    g_D3DPresentParameters.BackBufferWidth = fullScreen ? width : 0;
    g_D3DPresentParameters.BackBufferHeight = fullScreen ? height : 0;
    g_D3DPresentParameters.EnableAutoDepthStencil = true;
    g_D3DPresentParameters.PresentImmediately = true;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return E_FAIL;
    g_D3DPresentParameters.DeviceWidth = width;
    g_D3DPresentParameters.DeviceHeight = height;
    delete g_pD3DDevice;
    g_pD3DDevice = new gfx::Device(width, height);
    gfx::SetDeviceLog([](const char* line) { g_ErrorLog.Write(line); });
    return S_OK;
}

void ReleaseD3DDevice() {
    if (g_pD3DDevice) {
        delete g_pD3DDevice;
        g_pD3DDevice = nullptr;
    }
}

void NextPowerOfTwo(int& w, int& h) {
    auto next = [](int v) {
        if (v <= 0) return 1;
        int p = 1;
        while (p <= v && p < (1 << 30)) p <<= 1;
        return p;
    };
    w = next(w);
    h = next(h);
}
