// The preloaded meshes, effect textures and keyframe-data table.
#include "preload/GlobalPreloadData.h"

#include <algorithm>

#include "Draw/gvlD3DObjectBase.h"
#include "KeyframeTable.h"
#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"

CGlobalPreloadData g_GlobalPreloadData;

namespace {

const char* const kUnitMeshFiles[CPreloadBlock::kUnitMeshes] = {
    "model\\light_armor2.x", "model\\heavy_armor.x", "model\\archer.x",        "model\\knight.x",
    nullptr,                 "model\\arch_knight.x", "model\\magi.x",          "model\\sugent.x",
    "model\\HeroKnight.x",   "model\\surgent_bow.x", "model\\HeroBowKnight.x", "model\\velgor.x",
    "model\\wizard.x",       "model\\wizard_horse.x", "model\\magi_horse.x",   "model\\furfur.x",
    "model\\spearman.x",
};

const char* const kEffectMeshFiles[4] = {"model\\arrow.x", "model\\ball.x", "model\\rock1.x", "model\\spear.x"};

const char* const kEffectTextures[22] = {
    "model\\bomb02_c.png",     "model\\DamageCircle.png", "model\\beam1.png",      "model\\ball.png",
    "model\\bomb3b.png",       "model\\ball2.png",        "model\\ball4.png",      "model\\BladeCircle.png",
    "model\\fire01.png",       "model\\water01.png",      "model\\WhiteWave.png",  "model\\DarkBall.png",
    "model\\LightBall.png",    "model\\LightBall2.png",   "model\\MagicCircle1.png", "model\\MagicCircle2.png",
    "model\\Thunder1.png",     "model\\cloud1.png",       "model\\LensFlare1.png", "model\\LensFlare2.png",
    "model\\RecoverFlare.png", "model\\DamageNumber.png",
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

}  // namespace

// ---- texture cache -------------------------------------------------------------------

std::string CTextureCache::KeyOf(const std::string& fileName) {
    std::string name = fileName;
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    return Lower(name);
}

HRESULT CTextureCache::LoadAndAdd(const std::string& fileName) {
    CD3DDrawTexture* texture = new CD3DDrawTexture;
    texture->Load(fileName);
    // Without a device the picture is read when the device comes; with one it must
    // have been read now.
    if (g_pD3DDevice && !texture->GetTexture()) {
        delete texture;
        return E_FAIL;
    }
    const std::string key = KeyOf(fileName);
    auto it = m_mapTexture.find(key);
    if (it != m_mapTexture.end()) {
        delete it->second;  // the same name loaded again replaces the old picture
        it->second = texture;
    } else {
        m_mapTexture.emplace(key, texture);
    }
    return S_OK;
}

CD3DDrawTexture* CTextureCache::Find(const std::string& name) const {
    auto it = m_mapTexture.find(Lower(name));
    return it == m_mapTexture.end() ? nullptr : it->second;
}

void CTextureCache::Clear() {
    for (auto& entry : m_mapTexture) delete entry.second;
    m_mapTexture.clear();
}

// ---- preload -------------------------------------------------------------------------

CGlobalPreloadData::~CGlobalPreloadData() { Release(); }

void CGlobalPreloadData::Release() {
    if (!m_pBlock) return;
    // Members go in reverse order: explosion, backgrounds, grounds, the cache
    // (which deletes its textures), effect meshes, unit meshes, the table.
    delete m_pBlock;
    m_pBlock = nullptr;
}

void CGlobalPreloadData::LoadMesh(CD3DSkinnedMesh& mesh, const char* fileName) {
    mesh.Load(fileName);
    if (g_pD3DDevice && (!mesh.IsLoaded() || FAILED(mesh.GetLastLoadResult()))) {
        g_ErrorLog.Printf("CGlobalPreloadData: メッシュを読み込めません (%s)", fileName);
        m_vFailed.push_back(fileName);
    }
}

void CGlobalPreloadData::LoadTexture(const char* fileName) {
    if (FAILED(m_pBlock->TextureCache.LoadAndAdd(fileName))) {
        g_ErrorLog.Printf("CGlobalPreloadData: テクスチャを読み込めません (%s)", fileName);
        m_vFailed.push_back(fileName);
    }
}

void CGlobalPreloadData::Load(int step) {
    if (step == 1) {
        Release();
        m_vFailed.clear();
        m_pBlock = new CPreloadBlock;
        return;
    }
    if (step < 2 || step > 5) return;
    if (!m_pBlock) {
        g_ErrorLog.Printf("CGlobalPreloadData::Load: step %d without the preload block", step);
        return;
    }
    CPreloadBlock& b = *m_pBlock;
    switch (step) {
        case 2:
            for (int i = 0; i < 4; ++i) LoadMesh(b.EffectMesh[i], kEffectMeshFiles[i]);
            for (const char* file : kEffectTextures) LoadTexture(file);
            CKeyframeTable::Load(b.KeyframeTable);
            if (b.KeyframeTable.GetRowCount() == 0) m_vFailed.push_back("model\\keyframe_data.csv");
            break;
        case 3:
            for (int i = 0; i < 4; ++i) LoadMesh(b.UnitMesh[i], kUnitMeshFiles[i]);
            LoadMesh(b.FieldGroundMesh[0], "model\\field1_gnd.x");
            LoadMesh(b.FieldBGMesh[0], "model\\field1_BG.x");
            LoadMesh(b.FieldGroundMesh[1], "model\\field2_gnd.x");
            LoadMesh(b.FieldBGMesh[1], "model\\field2_BG.x");
            break;
        case 4:
            for (int i = 5; i <= 10; ++i) LoadMesh(b.UnitMesh[i], kUnitMeshFiles[i]);
            break;
        case 5:
            LoadMesh(b.UnitMesh[11], kUnitMeshFiles[11]);
            b.UnitMesh[11].SetTextureReplacement("model\\velgor.png", "velgor.png");
            for (int i = 12; i <= 16; ++i) LoadMesh(b.UnitMesh[i], kUnitMeshFiles[i]);
            g_GlobalResources.Load();
            break;
        default:
            break;
    }
}
