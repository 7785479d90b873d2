#pragma once
// The 3D battle cut-in: plays the resolved actions that the field state holds
// (m_vBattleAction) on a small battle field, then writes 1 into the creator's
// over flag and ends itself.  It shows the results only; the creator applies them.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlSkinnedMesh.h"
#include "MeshControl.h"
#include "task/TaskBase.h"
#include "util/smart_ptr.h"

class C_TaskBattle : public C_FieldTaskBase {
public:
    static constexpr int kPriority = 160;

    // Stores the over flag and writes 0 into it.
    C_TaskBattle(C_FieldTaskInfo* field, const C_TaskReply<uint8_t>& battleOver);
    ~C_TaskBattle() override;

    void DumpName() override;
    void Update(C_FieldTaskInfo* field) override;
    void Draw(C_FieldTaskInfo* field) override;

    C_MeshController* GetController() const { return m_pController.Get(); }
    int GetFrame() const { return m_nFrame; }
    int GetEndFrame() const { return m_nEndFrame; }

private:
    // Builds the scene on the first update; false when there is nothing to play.
    bool Start(C_FieldTaskInfo* field);
    void DrawField(C_FieldTaskInfo* field);
    void DrawMembers();

    CD3DSkinnedMesh_TextureShared m_Mesh;
    vm::Matrix m_PassThrough;
    vm::Matrix m_Projection;
    smart_ptr<C_MeshController> m_pController;
    int32_t m_nEndFrame = 0;
    CD3DDrawSquare m_Bottom;
    bool m_bStarted = false;
    C_TaskReply<uint8_t> m_Over;
    int32_t m_nFrame = 0;
};
