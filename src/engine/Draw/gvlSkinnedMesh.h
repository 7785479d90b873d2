#pragma once
// Animated models read from .x files: a frame hierarchy with mesh containers, bone
// skinning and one animation controller.  Per frame the caller sets the animation
// position (AdvanceAnimation), combines the frame matrices under a world matrix
// (UpdateFrameMatrices with m_pFrameRoot) and draws (DrawFrames).
#include <map>
#include <memory>
#include <set>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlMeshHierarchy.h"
#include "gfx/effect.h"
#include "gfx/texture.h"
#include "mesh/xmesh.h"

class CD3DSkinnedMesh : public CD3DObjectBase {
public:
    CD3DSkinnedMesh();
    ~CD3DSkinnedMesh() override;
    CD3DSkinnedMesh(const CD3DSkinnedMesh&) = delete;
    CD3DSkinnedMesh& operator=(const CD3DSkinnedMesh&) = delete;

    // Releases what was loaded, stores the file name ('/' becomes '\') and loads
    // it when the device exists.  Always 0.
    int Load(std::string fileName);

    void Restore() override;
    void Invalidate() override;

    // Materials textured `textureName` are drawn with the texture `replacement`
    // instead; a replacement equal to the texture name removes the substitution.
    void SetTextureReplacement(std::string replacement, std::string textureName);

    // frame's combined matrix = its transformation x parent, down the whole tree
    // (siblings share the parent).  A null parent stands for identity.
    void UpdateFrameMatrices(xmesh::Frame* frame, const vm::Matrix* parent);
    // Draws every mesh container of the tree.  The shaders, effect and matrix are
    // passed through for the draw variants; the fixed-function draw does not use them.
    void DrawFrames(gfx::Device* device, gfx::VertexShader** shaders = nullptr, gfx::Effect* effect = nullptr,
                    vm::Matrix matrix = vm::Matrix{});
    // Moves animation set 0 forward to the position `t` seconds, taken modulo the
    // period, in the cycle after the current one.  No animation: nothing happens.
    void AdvanceAnimation(double t);

    // The folder textures are read from: "\" + the file name's folder ("\model\").
    std::string GetTextureFolder() const;
    HRESULT GetLastLoadResult() const { return m_hrLastLoad; }
    bool IsLoaded() const { return m_pFrameRoot != nullptr; }

    xmesh::Frame* m_pFrameRoot = nullptr;
    bool m_bLoaded = false;
    std::string m_strFile;
    double m_dTime = 0.0;
    std::map<std::string, gfx::Texture*> mapTexture;  // owned
    std::map<std::string, std::string> m_mapTextureReplace;
    std::unique_ptr<xmesh::AnimationController> m_pAnimController;
    float m_fAlpha = 1.0f;

    virtual void DrawMeshContainer(gfx::Device* device, xmesh::MeshContainer* container, xmesh::Frame* frame,
                                   gfx::VertexShader** shaders, gfx::Effect* effect, const vm::Matrix& matrix);
    virtual gfx::Texture* GetTexture(const std::string& name);
    virtual void LoadTexture(const std::string& fullPath, const std::string& name);

protected:
    HRESULT LoadHierarchy(gfx::Device* device);
    void ReleaseHierarchy();
    HRESULT SetupBoneMatrixPointers(xmesh::Frame* frame);
    HRESULT SetupBoneMatrixPointersOnMesh(xmesh::MeshContainer* container);
    void DrawFrame(gfx::Device* device, xmesh::Frame* frame, gfx::VertexShader** shaders, gfx::Effect* effect,
                   const vm::Matrix& matrix);

    // The texture for `name` after substitution, from `textures`; a substitute that
    // is not there yet is loaded from the mesh's folder the first time.
    gfx::Texture* FindTexture(std::map<std::string, gfx::Texture*>& textures, const std::string& name);
    // Reads and creates a texture; null (and a log line) when that fails.
    gfx::Texture* CreateTexture(const std::string& path);
    // The path a texture name is read from.
    std::string TexturePath(const std::string& name) const;

    HRESULT m_hrLastLoad = S_OK;
    std::set<std::string> m_setMissingTexture;  // names already reported
};

// Textures shared by every instance through one class-wide map, which lives until
// the last instance is destroyed.
class CD3DSkinnedMesh_TextureShared : public CD3DSkinnedMesh {
public:
    CD3DSkinnedMesh_TextureShared();
    ~CD3DSkinnedMesh_TextureShared() override;

    static std::map<std::string, gfx::Texture*> s_mapSharedTexture;
    static int s_nUsers;

    gfx::Texture* GetTexture(const std::string& name) override;
    void LoadTexture(const std::string& fullPath, const std::string& name) override;
};

// Scrolls the second texture coordinate of every vertex by 0.025 at each draw.
class CD3DSkinnedMesh_Explode : public CD3DSkinnedMesh {
public:
    void DrawMeshContainer(gfx::Device* device, xmesh::MeshContainer* container, xmesh::Frame* frame,
                           gfx::VertexShader** shaders, gfx::Effect* effect, const vm::Matrix& matrix) override;
};
