#pragma once
// Frames and mesh containers of a skinned mesh, and the allocator that builds them
// while a .x file is loaded: normals for meshes that lack them, materials with their
// texture names, and for skinned meshes a vertex-blended mesh with its bone tables.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "hresult.h"
#include "math/vmath.h"
#include "mesh/xmesh.h"

// A frame with the matrix combined from the root (CD3DSkinnedMesh::UpdateFrameMatrices).
struct SkinFrame : public xmesh::Frame {
    vm::Matrix CombinedTransformationMatrix;
};

struct SkinMeshContainer : public xmesh::MeshContainer {
    std::vector<std::string> m_vecTextureName;       // per material; empty: no texture
    std::shared_ptr<xmesh::Mesh> m_pOrigMesh;         // the mesh before blending (skinned only)
    uint32_t m_dwNumAttributeGroups = 0;
    uint32_t m_dwNumInfl = 0;                          // most bones on one face
    std::vector<xmesh::BoneCombination> m_BoneCombinations;
    std::vector<vm::Matrix*> m_ppBoneMatrixPtrs;       // combined matrix of each bone's frame
    std::vector<vm::Matrix> m_pBoneOffsetMatrices;
    uint32_t m_iAttributeSW = 0;                       // first group the device cannot blend
};

enum SkinningMethod : int { SKINNING_NONINDEXED = 0 };

class CAllocateHierarchy : public xmesh::AllocateHierarchy {
public:
    explicit CAllocateHierarchy(int method = SKINNING_NONINDEXED) : m_SkinningMethod(method) {}

    HRESULT CreateFrame(const char* name, xmesh::Frame** newFrame) override;
    HRESULT CreateMeshContainer(const char* name, const xmesh::MeshData* meshData, const xmesh::XMaterial* materials,
                                const void* effectInstances, uint32_t numMaterials, const uint32_t* adjacency,
                                const std::shared_ptr<xmesh::SkinInfo>& skinInfo,
                                xmesh::MeshContainer** newMeshContainer) override;
    HRESULT DestroyFrame(xmesh::Frame* frame) override;
    HRESULT DestroyMeshContainer(xmesh::MeshContainer* meshContainer) override;

    // A new copy of `name` (null stays null).
    static HRESULT AllocateName(const char* name, char** out);
    // Replaces the container's mesh by the blended mesh of its source mesh.
    HRESULT GenerateSkinnedMesh(gfx::Device* device, SkinMeshContainer* container);

    int m_SkinningMethod = SKINNING_NONINDEXED;
    // Texture file names of every material loaded so far, each once, in the order
    // the materials first name them.
    std::vector<std::string> m_vecTextureFileName;
};
