#pragma once
// The meshes, effect textures and keyframe-data table that the battles and the field
// use throughout the game, loaded once by the loading scene (one step per frame) and
// kept until the program ends.  The battle code finds effect textures by name through
// the texture cache.
#include <map>
#include <string>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlSkinnedMesh.h"
#include "hresult.h"
#include "table/gvlTableFile.h"

// Effect textures by lower-case base name ("damagenumber" for "model\DamageNumber.png").
class CTextureCache {
public:
    CTextureCache() = default;
    ~CTextureCache() { Clear(); }
    CTextureCache(const CTextureCache&) = delete;
    CTextureCache& operator=(const CTextureCache&) = delete;

    // Loads the file and adds it under its key; E_FAIL (nothing added) when the picture
    // cannot be read.
    HRESULT LoadAndAdd(const std::string& fileName);
    // The texture of a base name in any case; null when there is none.
    CD3DDrawTexture* Find(const std::string& name) const;
    void Clear();
    size_t GetCount() const { return m_mapTexture.size(); }
    // "model\DamageCircle.png" -> "damagecircle".
    static std::string KeyOf(const std::string& fileName);

private:
    std::map<std::string, CD3DDrawTexture*> m_mapTexture;  // owned
};

// The block of preloaded data.
struct CPreloadBlock {
    static constexpr int kUnitMeshes = 17;
    static constexpr int kEffectMeshes = 5;
    static constexpr int kFieldMeshes = 10;

    CTableFile KeyframeTable;
    CD3DSkinnedMesh UnitMesh[kUnitMeshes];
    CD3DSkinnedMesh EffectMesh[kEffectMeshes];
    CTextureCache TextureCache;
    CD3DSkinnedMesh FieldGroundMesh[kFieldMeshes];
    CD3DSkinnedMesh FieldBGMesh[kFieldMeshes];
    CD3DSkinnedMesh_Explode ExplosionMesh;  // not loaded by the preload
};

class CGlobalPreloadData {
public:
    static constexpr int kSteps = 10;

    CGlobalPreloadData() = default;
    virtual ~CGlobalPreloadData();
    CGlobalPreloadData(const CGlobalPreloadData&) = delete;
    CGlobalPreloadData& operator=(const CGlobalPreloadData&) = delete;

    // One step of the preload, 0 to 9 (see the table in the source).
    void Load(int step);
    // Destroys the block (when there is one).  Safe to call any number of times.
    void Release();

    CPreloadBlock* GetBlock() const { return m_pBlock; }
    // The files that could not be loaded, in loading order.
    const std::vector<std::string>& GetFailures() const { return m_vFailed; }

private:
    void LoadMesh(CD3DSkinnedMesh& mesh, const char* fileName);
    void LoadTexture(const char* fileName);

    CPreloadBlock* m_pBlock = nullptr;
    std::vector<std::string> m_vFailed;
};

extern CGlobalPreloadData g_GlobalPreloadData;
