// Skinned meshes: loading, textures, frame matrices, animation and drawing.
#include "Draw/gvlSkinnedMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "File/gvlFilePack.h"
#include "log/ErrorLog.h"

namespace {
// Failures are reported under the source file's name, as the engine's checks are.
void ReportFailure(const char* check, const std::string& detail) {
    g_ErrorLog.Printf(".\\Draw\\gvlSkinnedMesh: %s: %s", check, detail.c_str());
}
}  // namespace

CD3DSkinnedMesh::CD3DSkinnedMesh() = default;

CD3DSkinnedMesh::~CD3DSkinnedMesh() {
    ReleaseHierarchy();
    m_pAnimController.reset();
}

int CD3DSkinnedMesh::Load(std::string fileName) {
    Invalidate();
    std::replace(fileName.begin(), fileName.end(), '/', '\\');
    m_strFile = fileName;
    // A mesh loaded before is loaded again with the new file at once, rather than
    // being left empty until the next restore of the draw objects.
    Restore();
    return 0;
}

void CD3DSkinnedMesh::Restore() {
    if (m_strFile.empty() || !g_pD3DDevice) return;
    // A second restore without a release in between reloads instead of leaking.
    if (m_pFrameRoot) Invalidate();
    m_bLoaded = true;
    m_hrLastLoad = LoadHierarchy(g_pD3DDevice);
}

void CD3DSkinnedMesh::Invalidate() {
    ReleaseHierarchy();
    m_pAnimController.reset();
}

HRESULT CD3DSkinnedMesh::LoadHierarchy(gfx::Device* device) {
    CAllocateHierarchy alloc(SKINNING_NONINDEXED);
    std::vector<unsigned char> bytes;
    if (!CFilePack::LoadFile(m_strFile, bytes) || bytes.empty()) {
        ReportFailure("file.Open(m_strFile)", "cannot read " + m_strFile);
        return E_FAIL;
    }
    std::string error;
    HRESULT hr = xmesh::LoadMeshHierarchyFromXInMemory(bytes.data(), bytes.size(), xmesh::MESH_MANAGED, device, &alloc,
                                                       nullptr, &m_pFrameRoot, &m_pAnimController, &error);
    if (FAILED(hr)) {
        g_ErrorLog.Printf("mesh %s not loaded: %s", m_strFile.c_str(), error.c_str());
        m_pFrameRoot = nullptr;
        m_pAnimController.reset();
        return hr;
    }
    hr = SetupBoneMatrixPointers(m_pFrameRoot);
    if (FAILED(hr)) {  // logged with the bone's name
        ReleaseHierarchy();
        m_pAnimController.reset();
        return hr;
    }
    for (const std::string& name : alloc.m_vecTextureFileName) LoadTexture(TexturePath(name), name);
    return S_OK;
}

std::string CD3DSkinnedMesh::GetTextureFolder() const {
    size_t p = m_strFile.find_last_of('\\');
    return "\\" + (p == std::string::npos ? std::string() : m_strFile.substr(0, p + 1));
}

std::string CD3DSkinnedMesh::TexturePath(const std::string& name) const {
    // Relative to the current folder, which the file pack reads from.
    return GetTextureFolder().substr(1) + name;
}

gfx::Texture* CD3DSkinnedMesh::CreateTexture(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (!CFilePack::LoadFile(path, bytes) || bytes.empty()) {
        ReportFailure("0", "texture file " + path + " cannot be read");
        return nullptr;
    }
    std::string error;
    std::unique_ptr<gfx::Texture> tex = gfx::Texture::CreateFromImage(
        bytes.data(), bytes.size(), true, gfx::ImageFilter::Linear, gfx::Format::A8R8G8B8, &error);
    if (!tex) {
        ReportFailure("ptex!=NULL", path + ": " + error);
        return nullptr;
    }
    return tex.release();
}

void CD3DSkinnedMesh::LoadTexture(const std::string& fullPath, const std::string& name) {
    if (mapTexture.count(name)) return;
    gfx::Texture* tex = CreateTexture(fullPath);
    if (tex) mapTexture[name] = tex;
    else m_setMissingTexture.insert(name);  // already reported
}

gfx::Texture* CD3DSkinnedMesh::FindTexture(std::map<std::string, gfx::Texture*>& textures, const std::string& name) {
    if (name.empty()) return nullptr;
    std::string use = name;
    auto r = m_mapTextureReplace.find(name);
    if (r != m_mapTextureReplace.end()) use = r->second;
    auto p = textures.find(use);
    if (p == textures.end() && use != name && !m_setMissingTexture.count(use)) {
        // A substitute that no material named: read it now, from the path given when
        // it has a folder, else from the mesh's folder.
        bool hasFolder = use.find_first_of("\\/") != std::string::npos;
        LoadTexture(hasFolder ? use : TexturePath(use), use);
        p = textures.find(use);
        if (p == textures.end()) {
            m_setMissingTexture.insert(use);
            g_ErrorLog.Printf("mesh %s: replacement texture %s not loaded; %s is used", m_strFile.c_str(), use.c_str(),
                              name.c_str());
        }
    }
    if (p == textures.end() && use != name) p = textures.find(name);
    if (p == textures.end()) {
        if (!m_setMissingTexture.count(name)) {
            m_setMissingTexture.insert(name);
            ReportFailure("p!=mapTexture.end()", "texture " + name + " of " + m_strFile + " was never loaded");
        }
        return nullptr;
    }
    return p->second;
}

gfx::Texture* CD3DSkinnedMesh::GetTexture(const std::string& name) { return FindTexture(mapTexture, name); }

void CD3DSkinnedMesh::ReleaseHierarchy() {
    if (m_pFrameRoot) {
        CAllocateHierarchy alloc(SKINNING_NONINDEXED);
        xmesh::FrameDestroy(m_pFrameRoot, &alloc);
        m_pFrameRoot = nullptr;
    }
    for (auto& t : mapTexture) delete t.second;
    mapTexture.clear();
    m_setMissingTexture.clear();
}

void CD3DSkinnedMesh::SetTextureReplacement(std::string replacement, std::string textureName) {
    auto p = m_mapTextureReplace.find(textureName);
    if (p != m_mapTextureReplace.end()) {
        if (replacement == textureName) m_mapTextureReplace.erase(p);
        else p->second = replacement;
    } else {
        m_mapTextureReplace.emplace(textureName, replacement);
    }
}

HRESULT CD3DSkinnedMesh::SetupBoneMatrixPointersOnMesh(xmesh::MeshContainer* base) {
    SkinMeshContainer* c = static_cast<SkinMeshContainer*>(base);
    if (!c->pSkinInfo) return S_OK;
    uint32_t bones = c->pSkinInfo->GetNumBones();
    c->m_ppBoneMatrixPtrs.assign(bones, nullptr);
    for (uint32_t b = 0; b < bones; ++b) {
        xmesh::Frame* f = xmesh::FrameFind(m_pFrameRoot, c->pSkinInfo->GetBoneName(b));
        if (!f) {
            g_ErrorLog.Printf("mesh %s not loaded: bone %s has no frame", m_strFile.c_str(), c->pSkinInfo->GetBoneName(b));
            return E_FAIL;
        }
        c->m_ppBoneMatrixPtrs[b] = &static_cast<SkinFrame*>(f)->CombinedTransformationMatrix;
    }
    return S_OK;
}

// A frame's containers, then its sibling subtree, then its child subtree: the
// containers of a whole sibling chain come first, then the chain's children from the
// last sibling back to the first.  The first error stops the walk.
HRESULT CD3DSkinnedMesh::SetupBoneMatrixPointers(xmesh::Frame* frame) {
    std::vector<xmesh::Frame*> chain;
    for (; frame; frame = frame->pFrameSibling) {
        for (xmesh::MeshContainer* c = frame->pMeshContainer; c; c = c->pNextMeshContainer) {
            HRESULT hr = SetupBoneMatrixPointersOnMesh(c);
            if (FAILED(hr)) return hr;
        }
        chain.push_back(frame);
    }
    for (size_t i = chain.size(); i-- > 0;) {
        HRESULT hr = SetupBoneMatrixPointers(chain[i]->pFrameFirstChild);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

void CD3DSkinnedMesh::UpdateFrameMatrices(xmesh::Frame* base, const vm::Matrix* parent) {
    for (xmesh::Frame* f = base; f; f = f->pFrameSibling) {
        SkinFrame* frame = static_cast<SkinFrame*>(f);
        frame->CombinedTransformationMatrix =
            parent ? frame->TransformationMatrix * *parent : frame->TransformationMatrix;
        if (frame->pFrameFirstChild) UpdateFrameMatrices(frame->pFrameFirstChild, &frame->CombinedTransformationMatrix);
    }
}

void CD3DSkinnedMesh::DrawFrames(gfx::Device* device, gfx::VertexShader** shaders, gfx::Effect* effect,
                                 vm::Matrix matrix) {
    if (!device || !m_pFrameRoot) return;
    EndSpriteBatch();
    DrawFrame(device, m_pFrameRoot, shaders, effect, matrix);
}

// A frame's containers in list order, then its sibling subtree, then its child
// subtree (translucent parts blend in this order): the containers of a whole sibling
// chain are drawn first, then the chain's children from the last sibling back.
void CD3DSkinnedMesh::DrawFrame(gfx::Device* device, xmesh::Frame* frame, gfx::VertexShader** shaders,
                                gfx::Effect* effect, const vm::Matrix& matrix) {
    std::vector<xmesh::Frame*> chain;
    for (; frame; frame = frame->pFrameSibling) {
        for (xmesh::MeshContainer* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
            DrawMeshContainer(device, c, frame, shaders, effect, matrix);
        chain.push_back(frame);
    }
    for (size_t i = chain.size(); i-- > 0;) DrawFrame(device, chain[i]->pFrameFirstChild, shaders, effect, matrix);
}

void CD3DSkinnedMesh::DrawMeshContainer(gfx::Device* device, xmesh::MeshContainer* base, xmesh::Frame* baseFrame,
                                        gfx::VertexShader**, gfx::Effect*, const vm::Matrix&) {
    SkinMeshContainer* c = static_cast<SkinMeshContainer*>(base);
    SkinFrame* frame = static_cast<SkinFrame*>(baseFrame);
    xmesh::Mesh* mesh = c->MeshData.pMesh.get();
    if (!device || !mesh) return;
    const uint32_t maxMatrices = xmesh::MaxVertexBlendMatrices(device);
    const vm::Matrix savedWorld = device->GetTransform(gfx::TS_WORLD);
    const gfx::Material savedMaterial = device->GetMaterial();

    auto setMaterial = [&](uint32_t i) {
        if (i >= c->pMaterials.size()) return;
        c->pMaterials[i].MatD3D.diffuse.a = m_fAlpha;
        device->SetMaterial(c->pMaterials[i].MatD3D);
        device->SetTexture(0, GetTexture(c->m_vecTextureName[i]));
    };

    if (!c->pSkinInfo) {
        device->SetTransform(gfx::TS_WORLD, frame->CombinedTransformationMatrix);
        for (uint32_t i = 0; i < c->NumMaterials; ++i) {
            setMaterial(i);
            mesh->DrawSubset(i);
        }
    } else {
        // One pass over the groups the device can blend, then one over those that
        // need more matrices than it offers.
        for (int pass = 0; pass < 2; ++pass) {
            uint32_t first = pass == 0 ? 0 : c->m_iAttributeSW;
            uint32_t prevAttrib = UINT32_MAX;
            for (uint32_t g = first; g < c->m_dwNumAttributeGroups; ++g) {
                const xmesh::BoneCombination& bc = c->m_BoneCombinations[g];
                uint32_t blend = 0;
                for (uint32_t k = 0; k < c->m_dwNumInfl; ++k)
                    if (bc.BoneId[k] != xmesh::UNUSED_BONE) blend = k;
                bool fits = maxMatrices >= blend + 1;
                if (fits != (pass == 0)) continue;
                for (uint32_t k = 0; k < c->m_dwNumInfl; ++k) {
                    uint32_t bone = bc.BoneId[k];
                    if (bone == xmesh::UNUSED_BONE || bone >= c->m_ppBoneMatrixPtrs.size()) continue;
                    device->SetTransform(gfx::TS_WORLDMATRIX(int(k)),
                                         c->m_pBoneOffsetMatrices[bone] * *c->m_ppBoneMatrixPtrs[bone]);
                }
                device->SetRenderState(gfx::RS_VERTEXBLEND, blend);
                if (g == first || bc.AttribId != prevAttrib) {
                    setMaterial(bc.AttribId);
                    prevAttrib = bc.AttribId;
                }
                mesh->DrawSubset(g);
            }
        }
        device->SetRenderState(gfx::RS_VERTEXBLEND, gfx::VBF_DISABLE);
    }
    device->SetTransform(gfx::TS_WORLD, savedWorld);
    device->SetMaterial(savedMaterial);
}

void CD3DSkinnedMesh::AdvanceAnimation(double t) {
    if (!m_pAnimController) return;
    xmesh::AnimationSet* set = m_pAnimController->GetAnimationSet(0);
    if (!set) return;
    double period = set->GetPeriod();
    double current = m_pAnimController->GetTime();
    if (!(period > 0) || !std::isfinite(t)) {
        // Keys at one instant only: the pose never changes, the time does not move.
        m_pAnimController->AdvanceTime(0.0, nullptr);
        return;
    }
    double n = std::trunc(t / period);
    double m = std::trunc(current / period + 1.0);
    double target = m * period + (t - n * period);
    double step = target - current;
    m_dTime += step;
    m_pAnimController->AdvanceTime(step, nullptr);
}

// ---- shared textures -------------------------------------------------------------------

std::map<std::string, gfx::Texture*> CD3DSkinnedMesh_TextureShared::s_mapSharedTexture;
int CD3DSkinnedMesh_TextureShared::s_nUsers = 0;

CD3DSkinnedMesh_TextureShared::CD3DSkinnedMesh_TextureShared() { ++s_nUsers; }

CD3DSkinnedMesh_TextureShared::~CD3DSkinnedMesh_TextureShared() {
    if (--s_nUsers == 0) {
        for (auto& t : s_mapSharedTexture) delete t.second;
        s_mapSharedTexture.clear();
    }
}

void CD3DSkinnedMesh_TextureShared::LoadTexture(const std::string& fullPath, const std::string& name) {
    if (s_mapSharedTexture.count(name)) return;
    gfx::Texture* tex = CreateTexture(fullPath);
    if (tex) s_mapSharedTexture[name] = tex;
    else m_setMissingTexture.insert(name);
}

gfx::Texture* CD3DSkinnedMesh_TextureShared::GetTexture(const std::string& name) {
    return FindTexture(s_mapSharedTexture, name);
}

// ---- scrolling texture -------------------------------------------------------------------

void CD3DSkinnedMesh_Explode::DrawMeshContainer(gfx::Device* device, xmesh::MeshContainer* container,
                                                xmesh::Frame* frame, gfx::VertexShader** shaders, gfx::Effect* effect,
                                                const vm::Matrix& matrix) {
    if (xmesh::Mesh* mesh = container->MeshData.pMesh.get()) {
        const uint32_t stride = mesh->GetNumBytesPerVertex();
        std::vector<uint8_t>& v = mesh->Vertices();
        if (stride >= 32)
            for (size_t at = 28; at + 4 <= v.size(); at += stride) {
                float f;
                std::memcpy(&f, &v[at], 4);
                f += 0.025f;
                std::memcpy(&v[at], &f, 4);
            }
    }
    CD3DSkinnedMesh::DrawMeshContainer(device, container, frame, shaders, effect, matrix);
}
