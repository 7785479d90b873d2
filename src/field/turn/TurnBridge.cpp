#include "turn/TurnBridge.h"

#include "resources/GlobalResources.h"

namespace turnflow {

void AddTask(C_FieldTaskInfo* info, C_TaskBase* task, int priority) {
    if (info == nullptr || info->m_pTaskController == nullptr) {
        delete task;
        return;
    }
    info->m_pTaskController->AddTask(task, priority);
}

void KillTask(C_FieldTaskInfo* info, int priority) {
    if (info != nullptr && info->m_pTaskController != nullptr) info->m_pTaskController->KillTask(priority);
}

void RaiseEvent(C_FieldTaskInfo* info, const C_TaskBase* raiser, uint8_t* done, const char* name, int priority) {
    *done = 0;
    AddTask(info, new C_TaskEvent(info, ReplyTo(info, raiser, done), std::string(name)), priority);
}

void SetCamera(C_FieldTaskInfo* info, int x, int y) {
    info->m_fCameraX = (float)x;
    info->m_fCameraY = (float)y;
}

void SetFightingUnits(C_FieldTaskInfo* info, int acting, int target) {
    info->m_nFightingUnit[0] = acting;
    info->m_nFightingUnit[1] = target;
}

void GlideMinimap(int x, int y) { SetMinimapGlide(x, y); }

void PlaySE(const char* name) { g_GlobalResources.PlaySoundEffect(name); }

CD3DDrawTexture* UpperSheet(C_FieldTaskInfo* info) { return info->m_UpperChipTexture.GetTexture(); }

}  // namespace turnflow
