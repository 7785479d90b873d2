// Frame and mesh-container allocation for skinned meshes.
#include "Draw/gvlMeshHierarchy.h"

#include <algorithm>
#include <cstring>
#include <new>

HRESULT CAllocateHierarchy::AllocateName(const char* name, char** out) {
    *out = nullptr;
    if (!name) return S_OK;
    size_t n = std::strlen(name) + 1;
    char* copy = new (std::nothrow) char[n];
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, name, n);
    *out = copy;
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateFrame(const char* name, xmesh::Frame** newFrame) {
    *newFrame = nullptr;
    SkinFrame* frame = new (std::nothrow) SkinFrame();
    if (!frame) return E_OUTOFMEMORY;
    HRESULT hr = AllocateName(name, &frame->Name);
    if (FAILED(hr)) {
        delete frame;
        return hr;
    }
    *newFrame = frame;
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateMeshContainer(const char* name, const xmesh::MeshData* meshData,
                                                const xmesh::XMaterial* materials, const void*,
                                                uint32_t numMaterials, const uint32_t* adjacency,
                                                const std::shared_ptr<xmesh::SkinInfo>& skinInfo,
                                                xmesh::MeshContainer** newMeshContainer) {
    *newMeshContainer = nullptr;
    if (!meshData || meshData->Type != xmesh::MESHTYPE_MESH || !meshData->pMesh) return E_FAIL;
    const std::shared_ptr<xmesh::Mesh>& mesh = meshData->pMesh;
    if (mesh->GetFVF() == 0) return E_FAIL;

    SkinMeshContainer* c = new (std::nothrow) SkinMeshContainer();
    if (!c) return E_OUTOFMEMORY;
    HRESULT hr = AllocateName(name, &c->Name);
    if (FAILED(hr)) {
        DestroyMeshContainer(c);
        return hr;
    }
    c->MeshData.Type = xmesh::MESHTYPE_MESH;
    gfx::Device* device = mesh->GetDevice();
    const uint32_t numFaces = mesh->GetNumFaces();

    // Lighting needs normals: a mesh without them gets a copy with computed ones.
    if (!(mesh->GetFVF() & gfx::FVF_NORMAL)) {
        hr = mesh->CloneMeshFVF(mesh->GetOptions(), mesh->GetFVF() | gfx::FVF_NORMAL, device, c->MeshData.pMesh);
        if (SUCCEEDED(hr)) hr = xmesh::ComputeNormals(*c->MeshData.pMesh, nullptr);
        if (FAILED(hr)) {
            DestroyMeshContainer(c);
            return hr;
        }
    } else {
        c->MeshData.pMesh = mesh;
    }

    c->NumMaterials = std::max(1u, numMaterials);
    c->pMaterials.resize(c->NumMaterials);
    c->m_vecTextureName.resize(c->NumMaterials);
    if (adjacency) c->pAdjacency.assign(adjacency, adjacency + size_t(numFaces) * 3);
    else c->pAdjacency.assign(size_t(numFaces) * 3, UINT32_MAX);

    if (numMaterials == 0 || !materials) {
        gfx::Material& m = c->pMaterials[0].MatD3D;
        m = gfx::Material{};
        m.diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        m.specular = m.diffuse;
    } else {
        for (uint32_t i = 0; i < numMaterials; ++i) {
            c->pMaterials[i] = materials[i];
            const std::string& tex = materials[i].TextureFilename;
            if (!tex.empty()) {
                if (std::find(m_vecTextureFileName.begin(), m_vecTextureFileName.end(), tex) ==
                    m_vecTextureFileName.end())
                    m_vecTextureFileName.push_back(tex);
                c->m_vecTextureName[i] = tex;
            }
            c->pMaterials[i].TextureFilename.clear();
        }
    }

    if (skinInfo) {
        c->pSkinInfo = skinInfo;
        // Blend the mesh that carries normals, so a skinned mesh whose file has none
        // is lit like any other.
        c->m_pOrigMesh = c->MeshData.pMesh;
        uint32_t bones = skinInfo->GetNumBones();
        c->m_pBoneOffsetMatrices.resize(bones);
        for (uint32_t b = 0; b < bones; ++b) c->m_pBoneOffsetMatrices[b] = *skinInfo->GetBoneOffsetMatrix(b);
        hr = GenerateSkinnedMesh(device, c);
        if (FAILED(hr)) {
            DestroyMeshContainer(c);
            return hr;
        }
    }
    *newMeshContainer = c;
    return S_OK;
}

HRESULT CAllocateHierarchy::GenerateSkinnedMesh(gfx::Device* device, SkinMeshContainer* c) {
    const uint32_t maxMatrices = xmesh::MaxVertexBlendMatrices(device);
    if (!c->pSkinInfo) return S_OK;
    c->MeshData.pMesh.reset();
    c->m_BoneCombinations.clear();
    if (!c->m_pOrigMesh) return E_FAIL;

    HRESULT hr = c->pSkinInfo->ConvertToBlendedMesh(*c->m_pOrigMesh, xmesh::MESH_MANAGED | xmesh::MESHOPT_VERTEXCACHE,
                                                    &c->m_dwNumInfl, c->m_BoneCombinations, c->MeshData.pMesh);
    if (FAILED(hr)) return hr;
    c->m_dwNumAttributeGroups = uint32_t(c->m_BoneCombinations.size());

    c->m_iAttributeSW = c->m_dwNumAttributeGroups;
    for (uint32_t g = 0; g < c->m_dwNumAttributeGroups; ++g) {
        uint32_t used = 0;
        for (uint32_t k = 0; k < c->m_dwNumInfl; ++k)
            if (c->m_BoneCombinations[g].BoneId[k] != xmesh::UNUSED_BONE) ++used;
        if (used > maxMatrices) {
            c->m_iAttributeSW = g;
            break;
        }
    }
    if (c->m_iAttributeSW < c->m_dwNumAttributeGroups) {
        std::shared_ptr<xmesh::Mesh> clone;
        const xmesh::Mesh& m = *c->MeshData.pMesh;
        hr = m.CloneMeshFVF(m.GetOptions() | xmesh::MESH_SOFTWAREPROCESSING, m.GetFVF(), m.GetDevice(), clone);
        if (FAILED(hr)) return hr;
        c->MeshData.pMesh = clone;
    }
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyFrame(xmesh::Frame* frame) {
    if (!frame) return S_OK;
    delete[] frame->Name;
    frame->Name = nullptr;
    delete static_cast<SkinFrame*>(frame);
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(xmesh::MeshContainer* base) {
    if (!base) return S_OK;
    SkinMeshContainer* c = static_cast<SkinMeshContainer*>(base);
    delete[] c->Name;
    c->Name = nullptr;
    delete c;  // materials, adjacency, bone tables, meshes and skin go with it
    return S_OK;
}
