// The battle task: scene set-up, camera, light, field, members, effects, pop-ups
// and the battle window.
#include "TaskBattle.h"

#include "BattleCamera.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "framework/gvlDXAppBase.h"
#include "log/ErrorLog.h"
#include "preload/GlobalPreloadData.h"

namespace {

constexpr float kPi = 3.1415927f;
// The top of the battle window's black panel.
constexpr int kPanelTop = 320;

// The preloaded unit mesh of that number, when it is loaded.
CD3DSkinnedMesh* UnitMesh(CPreloadBlock* block, int number) {
    if (!block || number < 0 || number >= CPreloadBlock::kUnitMeshes) return nullptr;
    CD3DSkinnedMesh* mesh = &block->UnitMesh[number];
    return mesh->IsLoaded() ? mesh : nullptr;
}

int MapNumberOf(const C_FieldTaskInfo* field) {
    return field && field->m_pPartyData ? field->m_pPartyData->nMap : 0;
}

}  // namespace

C_TaskBattle::C_TaskBattle(C_FieldTaskInfo* field, const C_TaskReply<uint8_t>& battleOver) : m_Over(battleOver) {
    for (auto& row : m_PassThrough.m) row[0] = row[1] = row[2] = row[3] = 0.0f;
    m_Over.Start(0);
}

C_TaskBattle::~C_TaskBattle() { m_Over.SetUnlessAnswered(1); }

void C_TaskBattle::DumpName() { g_ErrorLog.WriteDump("C_TaskBattle", this, int(sizeof(*this))); }

bool C_TaskBattle::Start(C_FieldTaskInfo* field) {
    if (!field || field->m_vBattleAction.empty()) {
        // Nothing to play: back to the field at once.
        g_ErrorLog.Write("C_TaskBattle: 戦闘の記録がないので戦闘を表示しません");
        return false;
    }
    m_Projection = vm::PerspectiveFovLH(0.7853982f, 1.3333334f, 1.0f, 20000.0f);
    if (g_pD3DDevice) g_pD3DDevice->SetTransform(gfx::TS_PROJECTION, m_Projection);
    if (GetBattleCategory(*field) == 6) m_pController.Set(new C_MeshController_Cannon);
    else m_pController.Set(new C_MeshController);
    m_nEndFrame = m_pController->Setup(field);
    // The dark lord's bare face from map 17 on.
    if (CD3DSkinnedMesh* boss = UnitMesh(g_GlobalPreloadData.GetBlock(), 11))
        boss->SetTextureReplacement(MapNumberOf(field) >= 17 ? "velgor.png" : "velgor_hukumen2.png",
                                    "velgor_hukumen2.png");
    return true;
}

void C_TaskBattle::Update(C_FieldTaskInfo* field) {
    EndSpriteBatch();
    if (!m_bStarted) {
        if (!Start(field)) {
            m_Over.Set(1);
            KillSelf(field);
            return;
        }
        m_bStarted = true;
    }
    gfx::Device* d = g_pD3DDevice;
    if (d) d->SetTransform(gfx::TS_WORLD, vm::Identity());
    g_BattleCamera.SetByFrame(m_nFrame);
    g_BattleCamera.Apply(d);
    BattleEye = g_BattleCamera.m_Eye;
    BattleTarget = g_BattleCamera.m_Target;
    const int before = m_nFrame++;
    if (before > m_nEndFrame) {
        m_Over.Set(1);
        KillSelf(field);
    }
    m_pController->Update(field, m_nFrame);
}

void C_TaskBattle::Draw(C_FieldTaskInfo* field) {
    gfx::Device* d = g_pD3DDevice;
    if (!m_bStarted || !m_pController || !d) return;
    CD3DDrawSquare tint;
    EndSpriteBatch();
    d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0x00424B79, 1.0f, 0);

    // The opaque black bottom panel drawn last hides everything under it: the scene is
    // drawn above it only (and, when the panel covers the whole screen, nowhere, every
    // call still made for the states it leaves).
    const bool panelOnly = m_pController->QueryState();
    d->SetScissorRect(gfx::Rect{0, 0, 640, panelOnly ? 0 : kPanelTop});
    d->SetRenderState(gfx::RS_SCISSORTESTENABLE, 1);

    // One white directional light along the view.
    gfx::Light light;
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.direction = vm::Normalize(BattleTarget - BattleEye);
    light.diffuse = {1, 1, 1, 1};
    light.position = BattleEye;
    light.range = 10000.0f;
    d->SetLight(0, light);
    d->LightEnable(0, true);

    d->SetTransform(gfx::TS_WORLD, vm::Identity());
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
    EndSpriteBatch();

    DrawField(field);

    // The stage darkens under darkening effects; members and effects stay bright.
    const uint32_t colour = m_pController->m_Effects.GetTint();
    if (colour >> 24) {
        d->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
        tint.SetSize(640, kPanelTop, colour);
        tint.Draw(0, 0);
        d->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    }

    DrawMembers();

    d->SetTransform(gfx::TS_WORLD, vm::Identity());
    m_pController->m_Effects.Draw(d, g_pSkinMeshVertexShader, g_pSkinnedMeshEffect, &m_PassThrough, m_nFrame);
    for (BattleMember& m : m_pController->m_Member) m.m_Popups.Update(m_nFrame, m_pController->m_Formation);
    EndSpriteBatch();
    d->SetRenderState(gfx::RS_SCISSORTESTENABLE, 0);

    if (!panelOnly) {
        m_Bottom.SetSize(640, 480 - kPanelTop, 0xFF000000);
        m_Bottom.Draw(0, kPanelTop);
        for (BattleMember& m : m_pController->m_Member) m.m_WindowRow.Draw(m_nFrame);
    } else {
        m_Bottom.SetSize(640, 480, 0xFF000000);
        m_Bottom.Draw(0, 0);
    }
}

void C_TaskBattle::DrawField(C_FieldTaskInfo* field) {
    CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    if (!block) return;
    const int map = MapNumberOf(field);
    const int set = (map == 2 || map == 3 || map == 9 || map == 17) ? 1 : 0;
    gfx::Device* d = g_pD3DDevice;
    const vm::Matrix world = vm::RotationX(kPi / 2);
    CD3DSkinnedMesh& bg = block->FieldBGMesh[set];
    CD3DSkinnedMesh& ground = block->FieldGroundMesh[set];
    if (bg.IsLoaded()) {
        d->SetRenderState(gfx::RS_ZWRITEENABLE, 0);
        bg.UpdateFrameMatrices(bg.m_pFrameRoot, &world);
        bg.DrawFrames(d, g_pSkinMeshVertexShader, g_pSkinnedMeshEffect, m_PassThrough);
    }
    d->SetRenderState(gfx::RS_ZWRITEENABLE, 1);
    if (ground.IsLoaded()) {
        ground.UpdateFrameMatrices(ground.m_pFrameRoot, &world);
        ground.DrawFrames(d, g_pSkinMeshVertexShader, g_pSkinnedMeshEffect, m_PassThrough);
    }
}

void C_TaskBattle::DrawMembers() {
    CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    gfx::Device* d = g_pD3DDevice;
    for (BattleMember& m : m_pController->m_Member) {
        if (!m.m_bActive) continue;
        CD3DSkinnedMesh* mesh = UnitMesh(block, m.m_nMesh);
        if (!mesh) {
            // A motion naming no loaded mesh shows the standing motion's mesh.
            const int stand = m.m_pKeyframe ? m.m_pKeyframe->GetMotion(m.m_nKeyframeBase, 0) : -1;
            mesh = UnitMesh(block, stand);
            static bool s_reported = false;
            if (!s_reported)
                g_ErrorLog.Printf("C_TaskBattle: モーション %d のメッシュ %d がありません", m.m_vSchedule.front().id,
                                  m.m_nMesh);
            s_reported = true;
            if (!mesh) continue;
        }
        mesh->AdvanceAnimation(m.m_dAnimTime);
        mesh->m_fAlpha = m.m_fAlpha;
        mesh->UpdateFrameMatrices(mesh->m_pFrameRoot, &m.m_World);
        d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        mesh->DrawFrames(d, g_pSkinMeshVertexShader, g_pSkinnedMeshEffect, m_PassThrough);
    }
}
