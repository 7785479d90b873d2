#include "ai/AIState.h"

#include <string>

#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "save/SavedCount.h"

void ResetAssignmentRecord(AIPlanEntry& entry) {
    entry.bAct = false;
    entry.x = entry.y = entry.destX = entry.destY = -1;
    entry.nOrderKey = 0;
    entry.targetX = entry.targetY = -1;
    entry.nPersonID = -1;
    entry.nTroop = -1;
    entry.bFollowUp = false;
}

// ---- IntGrid ----------------------------------------------------------------------------

void IntGrid::Resize(int width, int height, int value) {
    nWidth = width < 0 ? 0 : width;
    nHeight = height < 0 ? 0 : height;
    vnCell.assign(static_cast<size_t>(nWidth) * nHeight, value);
}

void IntGrid::GetAt(int* out, int x, int y) const {
    const int64_t index = static_cast<int64_t>(x) + static_cast<int64_t>(nWidth) * y;
    if (!IsInside(x, y) || index >= static_cast<int64_t>(vnCell.size())) {
        g_ErrorLog.Printf("IntGrid::GetAt: (%d, %d) は %d x %d の外です。", x, y, nWidth, nHeight);
        *out = -1;
        return;
    }
    *out = vnCell[static_cast<size_t>(index)];
}

void IntGrid::SetAt(int x, int y, int value) {
    const int64_t index = static_cast<int64_t>(x) + static_cast<int64_t>(nWidth) * y;
    if (!IsInside(x, y) || index >= static_cast<int64_t>(vnCell.size())) {
        g_ErrorLog.Printf("IntGrid::SetAt: (%d, %d) は %d x %d の外です。", x, y, nWidth, nHeight);
        return;
    }
    vnCell[static_cast<size_t>(index)] = value;
}

// ---- archive -----------------------------------------------------------------------------

namespace {
std::string Num(const char* key, int i) { return key + Int64ToString(i); }
}  // namespace

void AITroop::Save(CStringMap& archive) const {
    archive.SetInt64("NumMemberID", (int64_t)MemberID.size());
    for (int k = 0; k < (int)MemberID.size(); ++k) archive.SetInt64(Num("MemberID", k), MemberID[k]);
    archive.SetInt64("NumHealerID", (int64_t)HealerID.size());
    for (int k = 0; k < (int)HealerID.size(); ++k) archive.SetInt64(Num("HealerID", k), HealerID[k]);
    archive.SetInt64("NumMoveList", (int64_t)MoveList.size());
    int k = 0;
    for (const AIMovePoint& p : MoveList) {
        archive.EnterGroup(Num("MoveList", k++));
        archive.SetInt64("x", p.x);
        archive.SetInt64("y", p.y);
        archive.SetInt64("Type", p.Type);
        archive.LeaveGroup();
    }
}

void AITroop::Load(CStringMap& archive) {
    int n = ReadSavedCount(archive, "NumMemberID", 0, "敵部隊の人物");
    for (int k = 0; k < n; ++k) MemberID.push_back(archive.GetInt(Num("MemberID", k), -1));
    n = ReadSavedCount(archive, "NumHealerID", 0, "敵部隊の回復役");
    for (int k = 0; k < n; ++k) HealerID.push_back(archive.GetInt(Num("HealerID", k), -1));
    n = ReadSavedCount(archive, "NumMoveList", 0, "敵部隊の経由地");
    for (int k = 0; k < n; ++k) {
        archive.EnterGroup(Num("MoveList", k));
        AIMovePoint p;
        p.x = archive.GetInt("x", -2);
        p.y = archive.GetInt("y", -2);
        p.Type = archive.GetInt("Type", -1);
        MoveList.push_back(p);
        archive.LeaveGroup();
    }
}

void C_AI::Save(CStringMap& archive) const {
    archive.SetInt64("m_bDetected", m_bDetected ? 1 : 0);
    archive.SetInt64("m_bUseView", m_bUseView ? 1 : 0);
    archive.SetInt64("NumTroopList", (int64_t)m_vTroop.size());
    for (int i = 0; i < (int)m_vTroop.size(); ++i) {
        archive.EnterGroup(Num("Troop", i));
        m_vTroop[i].Save(archive);
        archive.LeaveGroup();
    }
}

void C_AI::Load(CStringMap& archive) {
    m_bDetected = archive.GetInt("m_bDetected", 1) != 0;
    m_bUseView = archive.GetInt("m_bUseView", 0) != 0;
    const int n = ReadSavedCount(archive, "NumTroopList", 0, "敵部隊");
    for (int i = 0; i < n; ++i) {
        AITroop troop;
        archive.EnterGroup(Num("Troop", i));
        troop.Load(archive);
        archive.LeaveGroup();
        m_vTroop.push_back(troop);
    }
    m_bTroopsLoaded = true;
}
