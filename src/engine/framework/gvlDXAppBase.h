#pragma once
// The application frame: main window, device and its fixed state, the skinned-mesh
// effect and vertex shaders, draw-object registry and sound start-up, and the
// single-threaded frame loop (messages, update, render, frame pacing).  The game
// derives its application object from it and fills OnInit, OnUpdate and OnRender.
#include <cstdint>
#include <string>

#include "gfx/device.h"
#include "gfx/effect.h"
#include "hresult.h"
#include "timing/gvlTimer.h"

// The skinned-mesh effect and the four skinning vertex shaders made at start-up; the
// battle scenes pass them into the mesh drawing.
extern gfx::Effect* g_pSkinnedMeshEffect;
extern gfx::VertexShader* g_pSkinMeshVertexShader[4];

// The main window and instance as stored by CDXAppBase::Create, and the window the
// window procedure saw last (the owner of the program's message boxes).
extern void* g_hMainWindow;
extern void* g_hInstance;
extern void* g_hWnd;

// The render, sampler and stage states the game sets once after creating the device.
void SetFixedDeviceState(gfx::Device* device);

class CDXAppBase {
public:
    CDXAppBase();
    virtual ~CDXAppBase();
    CDXAppBase(const CDXAppBase&) = delete;
    CDXAppBase& operator=(const CDXAppBase&) = delete;

    // One-time initialisation, called at the end of Create.
    virtual HRESULT OnInit() = 0;
    // Per-frame update; exactly E_FAIL ends the frame loop.
    virtual HRESULT OnUpdate() = 0;
    // Per-frame draw, between the begin and the end of the scene.
    virtual HRESULT OnRender() = 0;

    // Window, device and device state; calls OnInit last.  On failure the frame loop
    // must not run.
    HRESULT Create(void* instance, int showCommand);
    // The frame loop: returns the quit message's exit code (0 when an update ended it).
    int Run();
    // One frame of drawing.
    HRESULT Render();
    // The window procedure: every message taken by the loop comes through here.
    intptr_t WndProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Releases everything Create made (safe to call again).
    void Release();

    bool IsActive() const { return m_bActive; }
    bool IsFullScreen() const { return m_bFullScreen; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    const char* GetCaption() const { return m_pszCaption; }
    CFPSTimer& GetFPSTimer() { return m_FPSTimer; }

    // The window class the frame registers.
    static constexpr const char* kWindowClassName = "D3DFWSampleClass";
    static constexpr const char* kEffectFile = "model\\SkinnedMesh.fx";
    static const char kShaderFiles[4][30];
    // Whether `folder` (ending with "/") holds a file the frame needs to start: the
    // effect or one of the shaders, loose or in the pack of their folder.
    static bool HoldsStartFiles(const std::string& folder);

protected:
    bool m_bActive = true;
    bool m_bFullScreen = false;
    int32_t m_nWidth = 640;
    int32_t m_nHeight = 480;
    const char* m_pszCaption = "Application";
    CFPSTimer m_FPSTimer;
    void* m_pD3D = nullptr;                 // the runtime object (stands for the device factory)
    gfx::Device* m_pD3DDevice = nullptr;    // a copy of g_pD3DDevice
    void* m_hInstance = nullptr;
    void* m_hWnd = nullptr;
    int32_t m_nIconResource = -1;

private:
    HRESULT CreateEffectAndShaders(bool effect);
    bool m_bDeviceMade = false;
    bool m_bDrawObjectsMade = false;
    bool m_bSoundStarted = false;
};
