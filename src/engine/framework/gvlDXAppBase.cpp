// The application frame and its frame loop.
#include "framework/gvlDXAppBase.h"

#include <string>
#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "File/gvlFilePack.h"
#include "Sound/gvlDSNPlaySound.h"
#include "input/gvlMouse.h"
#include "log/ErrorLog.h"
#include "math/vmath.h"
#include "system.h"

gfx::Effect* g_pSkinnedMeshEffect = nullptr;
gfx::VertexShader* g_pSkinMeshVertexShader[4] = {nullptr, nullptr, nullptr, nullptr};
void* g_hMainWindow = nullptr;
void* g_hInstance = nullptr;
void* g_hWnd = nullptr;

const char CDXAppBase::kShaderFiles[4][30] = {
    "model\\skinmesh1.vsh",
    "model\\skinmesh2.vsh",
    "model\\skinmesh3.vsh",
    "model\\skinmesh4.vsh",
};

namespace {
// Stands for the runtime object the device is made from; the platform needs none.
int g_D3DToken = 0;
}  // namespace

CDXAppBase::CDXAppBase() = default;

CDXAppBase::~CDXAppBase() { Release(); }

// The render, sampler and stage states the game sets once after creating the device.
void SetFixedDeviceState(gfx::Device* d) {
    d->SetRenderState(gfx::RS_LIGHTING, 1);
    d->SetRenderState(gfx::RS_DITHERENABLE, 1);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_TRUE);
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    d->SetRenderState(gfx::RS_AMBIENT, 0x33333333);
    d->SetRenderState(gfx::RS_NORMALIZENORMALS, 1);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    d->SetSamplerState(0, gfx::SAMP_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetSamplerState(0, gfx::SAMP_MINFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
}

bool CDXAppBase::HoldsStartFiles(const std::string& folder) {
    if (CFilePack::Has(folder + kEffectFile)) return true;
    for (const char* shader : kShaderFiles)
        if (CFilePack::Has(folder + shader)) return true;
    return false;
}

static void ReportStartupFailure(const char* file, bool missing, HRESULT hr) {
    std::string text = std::string("起動に必要なファイル ") + file +
                       (missing ? " が見つかりません。" : " を読み込めません（中身が正しくありません）。");
    g_ErrorLog.Printf("%s (0x%08X)", text.c_str(), unsigned(hr));
    text += "\n詳しくは ErrorLog.txt をご覧ください。";
    plat::MessageBox(text.c_str(), "エラー", plat::kMbIconError);
}

HRESULT CDXAppBase::CreateEffectAndShaders(bool effect) {
    if (effect) {
        std::vector<unsigned char> bytes;
        const bool found = CFilePack::LoadFile(kEffectFile, bytes);
        gfx::Effect* e = nullptr;
        HRESULT hr = gfx::CreateEffect(m_pD3DDevice, bytes.data(), bytes.size(), &e);
        if (FAILED(hr)) {
            ReportStartupFailure(kEffectFile, !found, hr);
            return hr;
        }
        g_pSkinnedMeshEffect = e;
        return S_OK;
    }
    for (int i = 0; i < 4; ++i) {
        std::vector<unsigned char> bytes;
        const bool found = CFilePack::LoadFile(kShaderFiles[i], bytes);
        std::vector<uint8_t> code;
        HRESULT hr = gfx::AssembleShader(bytes.data(), bytes.size(), code);
        if (SUCCEEDED(hr)) hr = gfx::CreateVertexShader(m_pD3DDevice, code, &g_pSkinMeshVertexShader[i]);
        if (FAILED(hr)) {
            ReportStartupFailure(kShaderFiles[i], !found, hr);
            return hr;
        }
    }
    return S_OK;
}

HRESULT CDXAppBase::Create(void* instance, int showCommand) {
    // The window (its class is only a name on this platform).
    m_hInstance = instance;
    if (!plat::CreateMainWindow(m_pszCaption, m_nWidth, m_nHeight, m_bFullScreen)) {
        g_ErrorLog.Printf("ウィンドウを作れませんでした。");
        plat::MessageBox("ウィンドウを作れませんでした。\nThe window could not be opened.", "エラー", plat::kMbIconError);
        return E_FAIL;
    }
    m_hWnd = plat::MainWindowHandle();
    g_hWnd = m_hWnd;

    // The device.
    m_pD3D = &g_D3DToken;
    if (FAILED(CreateD3DDevice(m_bFullScreen, m_nWidth, m_nHeight)) || !g_pD3DDevice) {
        g_ErrorLog.Printf("描画装置を作れませんでした。");
        plat::MessageBox("描画装置を作れませんでした。", "エラー", plat::kMbIconError);
        return E_FAIL;
    }
    m_pD3DDevice = g_pD3DDevice;
    m_bDeviceMade = true;

    // The skinned-mesh effect.
    HRESULT hr = CreateEffectAndShaders(true);
    if (FAILED(hr)) return hr;

    // Draw objects, then the sound system.
    InitDrawObjects(m_pD3DDevice);
    m_bDrawObjectsMade = true;
    InitSoundSystem(m_hWnd);
    m_bSoundStarted = true;

    // The program-wide handles.
    g_hMainWindow = m_hWnd;
    g_hInstance = m_hInstance;

    SetFixedDeviceState(m_pD3DDevice);
    gfx::Device* d = m_pD3DDevice;

    // Projection: near plane 0, as the game's pictures expect.
    const float kPi = 3.14159265358979323846f;
    d->SetTransform(gfx::TS_PROJECTION,
                    vm::PerspectiveFovLH(kPi / 4, float(m_nWidth) / float(m_nHeight), 0.0f, 100.0f));

    // The skinning vertex shaders.
    hr = CreateEffectAndShaders(false);
    if (FAILED(hr)) return hr;

    OnInit();
    return S_OK;
}

int CDXAppBase::Run() {
    plat::Message msg;
    for (;;) {
        if (plat::PeekMessage(msg)) {
            if (msg.id == plat::kMsgQuit) return static_cast<int>(static_cast<intptr_t>(msg.wParam));
            WndProc(m_hWnd, msg.id, msg.wParam, msg.lParam);
        } else {
            m_bActive = plat::IsMainWindowActive();
            if (OnUpdate() == E_FAIL) return 0;
            Render();
            m_FPSTimer.WaitFrame();
        }
        plat::Sleep(0);
    }
}

HRESULT CDXAppBase::Render() {
    gfx::Device* d = m_pD3DDevice;
    if (!d) {
        OnRender();
        return S_OK;
    }
    if (SUCCEEDED(d->BeginScene())) {
        d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
        OnRender();
        EndSpriteBatch();
        d->EndScene();
    }
    if (FAILED(d->Present())) return d->Reset();
    return S_OK;
}

intptr_t CDXAppBase::WndProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == plat::kMsgClose || (message == plat::kMsgKeyDown && wParam == plat::kVkEscape))
        plat::PostQuitMessage(0);
    FeedMouseMessage(window, message, wParam, lParam);
    g_hWnd = window;
    return 0;
}

void CDXAppBase::Release() {
    if (m_bDrawObjectsMade) {
        ReleaseDrawObjects();
        m_bDrawObjectsMade = false;
    }
    if (m_bSoundStarted) {
        ReleaseSoundSystem();
        m_bSoundStarted = false;
    }
    if (g_pSkinnedMeshEffect) {
        g_pSkinnedMeshEffect->OnLostDevice();
        g_pSkinnedMeshEffect->Release();
        g_pSkinnedMeshEffect = nullptr;
    }
    for (gfx::VertexShader*& s : g_pSkinMeshVertexShader) {
        if (s) s->Release();
        s = nullptr;
    }
    if (m_bDeviceMade) {
        ReleaseD3DDevice();
        m_bDeviceMade = false;
    }
    m_pD3DDevice = nullptr;
    m_pD3D = nullptr;
}
