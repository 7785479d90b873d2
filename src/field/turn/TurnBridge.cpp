#include "turn/TurnBridge.h"

#include <type_traits>

#include "resources/GlobalResources.h"

namespace turnflow {

namespace {

// The chip sheet's texture, whatever the holder looks like.
template <class Sheet>
CD3DDrawTexture* SheetTexture(Sheet& sheet) {
    if constexpr (std::is_base_of_v<CD3DDrawTexture, Sheet>) return &sheet;
    else if constexpr (requires { sheet.m_Texture; }) return &sheet.m_Texture;
    else if constexpr (requires { sheet.GetTexture(); }) return sheet.GetTexture();
    else return nullptr;
}

template <class Info>
CD3DDrawTexture* UpperSheetOf(Info* info) {
    if constexpr (requires { info->m_UpperChipTexture; }) return SheetTexture(info->m_UpperChipTexture);
    else return nullptr;
}

template <class Info>
void StoreFightingUnits(Info* info, int acting, int target) {
    if constexpr (requires { info->m_nFightingUnit[1]; }) {
        info->m_nFightingUnit[0] = acting;
        info->m_nFightingUnit[1] = target;
    } else {
        (void)info, (void)acting, (void)target;  // BRIDGE: until the field state holds the two units
    }
}

}  // namespace

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

void RaiseEvent(C_FieldTaskInfo* info, uint8_t* done, const char* name, int priority) {
    *done = 0;
    AddTask(info, new C_TaskEvent(info, done, std::string(name)), priority);
}

void SetCamera(C_FieldTaskInfo* info, int x, int y) {
    info->m_fCameraX = (float)x;
    info->m_fCameraY = (float)y;
}

int CellScreenX(const C_FieldTaskInfo* info, float x, float y) {
    return (int)(56.0f * (x - info->m_fCameraX) + 320.0f - 56.0f * (y - info->m_fCameraY));
}

int CellScreenY(const C_FieldTaskInfo* info, float x, float y) {
    return (int)(28.0f * (x - info->m_fCameraX) + 240.0f + 28.0f * (y - info->m_fCameraY));
}

void SetFightingUnits(C_FieldTaskInfo* info, int acting, int target) { StoreFightingUnits(info, acting, target); }

void GlideMinimap(int x, int y) {
#ifdef TURN_HAS_MINIMAP
    SetMinimapGlide(x, y);
#else
    (void)x, (void)y;  // BRIDGE: until the minimap exists
#endif
}

void PlaySE(const char* name) { g_GlobalResources.PlaySoundEffect(name); }

CD3DDrawTexture* UpperSheet(C_FieldTaskInfo* info) { return UpperSheetOf(info); }

}  // namespace turnflow
