// Forming a new unit at a sortie position.
#include "sortie/LocateUnitCreatedTroop.h"

#include <cstdio>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "sortie/LocateUnitSortie.h"
#include "sortie/LocateUnitSortiedList.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"

namespace {
std::string RowText(int typeID, int level) {
    const std::string name = CPersonTypeTable::Has(typeID) ? CPersonTypeTable::Get(typeID).s_name : std::string("?");
    char buf[128];
    std::snprintf(buf, sizeof buf, "%-22s%2s%6s", name.c_str(), std::to_string(level).c_str(),
                  std::to_string(sortie::LocateCostOf(typeID)).c_str());
    return buf;
}
}  // namespace

C_TaskLocateUnitCreatedTroopS::C_TaskLocateUnitCreatedTroopS(C_FieldTaskInfo*, C_TaskLocateUnit* driver,
                                                             C_TaskLocateUnitSortie* owner)
    : m_pOwner(owner) {
    m_pLocateUnit = driver;
    m_nWinX = 395;
    m_nWinY = 132;
    m_nWinWidth = 235;
    m_nWinHeight = 264;
    m_nRowHeight = 12;
    m_bPaging = true;  // every hero and soldier can be reached however many there are
    SetTitle("名前                  LV  COST", 12);
}

int C_TaskLocateUnitCreatedTroopS::SortieCost() const { return m_pLocateUnit ? m_pLocateUnit->m_nSortieCost : 0; }

bool C_TaskLocateUnitCreatedTroopS::FindSoldier(C_FieldTaskInfo* info, int row, int* troopIndex, int* branch) {
    if (!info->m_pPartyData || row < 0) return false;
    const CTroopTypeTable& table = info->m_pPartyData->m_Troops;
    int n = 0;
    for (int i = 0; i < table.GetCount(); ++i) {
        const CTroopType& t = table.GetEntry(i);
        if (!t.m_bCanUse) continue;
        for (int b = 0; b < (int)t.m_vBranch.size(); ++b) {
            if (t.m_vBranch[b].second > t.nLV) continue;
            if (n == row) {
                *troopIndex = i;
                *branch = b;
                return true;
            }
            ++n;
        }
    }
    return false;
}

void C_TaskLocateUnitCreatedTroopS::BuildRows(C_FieldTaskInfo* info) {
    ClearItems();
    CPartyData* party = info->m_pPartyData;
    if (!party) {
        AddItem("(空白)", m_nNextPosition != 0);
        return;
    }
    const int budget = sortie::RemainingBudget(info->m_MapData, SortieCost());
    for (const HeroEntry& h : party->m_Heros)
        AddItem(RowText(h.m_typeID, h.m_LV), sortie::CanPlaceHero(*info, h, SortieCost(), m_nNextPosition));
    const CTroopTypeTable& table = party->m_Troops;
    for (int i = 0; i < table.GetCount(); ++i) {
        const CTroopType& t = table.GetEntry(i);
        if (!t.m_bCanUse) continue;
        for (const auto& [typeID, unlock] : t.m_vBranch) {
            if (unlock > t.nLV) continue;
            AddItem(RowText(typeID, t.nLV), sortie::LocateCostOf(typeID) <= budget);
        }
    }
    AddItem("(空白)", m_nNextPosition != 0);
    if (m_nPageTop >= GetItemCount()) m_nPageTop = 0;
}

void C_TaskLocateUnitCreatedTroopS::Finish() {
    m_nSelect = 0;
    m_nPageTop = 0;
    if (m_pOwner && m_pOwner->m_pSortiedList) {
        m_pOwner->m_pSortiedList->m_bStatusRefresh = true;
        m_pOwner->m_pSortiedList->m_bRedraw = true;
    }
    m_bVisible = false;
    m_nNextPosition = 0;
    CloseChild();
}

void C_TaskLocateUnitCreatedTroopS::Update(C_FieldTaskInfo* info) {
    CPartyData* party = info->m_pPartyData;
    const int heroes = party ? (int)party->m_Heros.size() : 0;
    C_TaskLocateUnitSortiedList2* cards = m_pOwner ? m_pOwner->m_pSortiedList : nullptr;

    // The row under the cursor goes to the parameter panel.
    if (MoveCursor(info)) m_bStatusRefresh = true;
    if (m_bStatusRefresh) {
        if (m_pOwner) m_pOwner->m_bPanelDirty = true;
        if (IsActive() && m_pOwner) {
            PersonRecord p;
            p.nHP = 0;
            int troop = -1, branch = -1;
            if (m_nSelect >= 0 && m_nSelect < heroes) {
                const HeroEntry& h = party->m_Heros[m_nSelect];
                p = PersonRecord::CreateFromType(h.m_typeID, h.m_LV, 1, 1, 1, 1);
            } else if (party && FindSoldier(info, m_nSelect - heroes, &troop, &branch)) {
                const CTroopType& t = party->m_Troops.GetEntry(troop);
                p = PersonRecord::CreateFromType(t.m_vBranch[branch].first, t.nLV, 1, 1, 1, 1);
            }
            m_pOwner->m_bShownIsHero = p.hero != 0;
            m_pOwner->m_ShownPerson = p;
        }
        m_bStatusRefresh = false;
    }

    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    if (!IsActive() || !party || !m_pOwner) {
        UpdateActivation();
        return;
    }
    m_pOwner->SetInstructText("新しいユニットを作成してください。");
    IInputManager* in = info->GetInputManager();
    const int c = FindItemLeftPressed(info);
    const int rows = GetItemCount();
    const int posIndex = m_pOwner->GetCursor();
    if (posIndex < 0 || posIndex >= info->m_MapData.GetSortiePositionCount()) {
        Finish();
        UpdateActivation();
        return;
    }
    CSortiePosition& pos = info->m_MapData.GetSortiePosition(posIndex);
    bool finish = false;
    if (c >= 0 && c < heroes) {
        HeroEntry& h = party->m_Heros[c];
        h.m_nPlaced = posIndex;
        pos.m_vHero.push_back(SortieHeroEntry{h.m_typeID, h.m_LV});
        if (m_pLocateUnit) {
            m_pLocateUnit->ChangeSortieCost(sortie::LocateCostOf(h.m_typeID));
            m_pLocateUnit->m_bHeroListDirty = true;
        }
        if (cards) cards->m_bRedraw = true;
        finish = true;
    } else if (c >= heroes && c < rows - 1) {
        int troop = -1, branch = -1;
        if (FindSoldier(info, c - heroes, &troop, &branch)) {
            const CTroopType& t = party->m_Troops.GetEntry(troop);
            const int typeID = t.m_vBranch[branch].first;
            if (m_nNextPosition == 0 || pos.m_vTroop.empty()) {
                SortieTroopEntry e;
                e.nTypeID.push_back(typeID);
                e.nLV.push_back(t.nLV);
                e.bForward.push_back(true);
                pos.m_vTroop.push_back(e);
            } else {
                SortieTroopEntry& e = pos.m_vTroop.back();
                e.nTypeID.push_back(typeID);
                e.nLV.push_back(t.nLV);
                e.bForward.push_back(m_nNextPosition < 2);
            }
            if (m_pLocateUnit) m_pLocateUnit->ChangeSortieCost(sortie::LocateCostOf(typeID));
            ++m_nNextPosition;
            if (cards) cards->m_bRedraw = true;
            m_bRebuild = true;
        }
    } else if (c == rows - 1 && c >= 0) {
        ++m_nNextPosition;
        m_bRebuild = true;  // "(空白)" is now allowed and the rows follow the place
    }
    if (m_nNextPosition >= 4 || finish) {
        Finish();
    } else if (c == -1 && in && in->IsRButtonPush()) {
        if (m_nNextPosition == 0) {
            Finish();
        } else {
            if (!pos.m_vTroop.empty()) {
                SortieTroopEntry& e = pos.m_vTroop.back();
                const int k = e.FindSlotByPosition(m_nNextPosition - 1);
                if (k >= 0 && k == (int)e.nTypeID.size() - 1) {
                    if (m_pLocateUnit) m_pLocateUnit->ChangeSortieCost(-int64_t(sortie::LocateCostOf(e.nTypeID[k])));
                    if (m_nNextPosition > 1) {
                        e.bForward.pop_back();
                        e.nLV.pop_back();
                        e.nTypeID.pop_back();
                    } else {
                        pos.m_vTroop.pop_back();
                    }
                } else if (k >= 0) {
                    g_ErrorLog.Printf("部隊編成: 取り消す隊員の位置が合いません。");
                }
            }
            --m_nNextPosition;
            m_bRebuild = true;
            if (cards) cards->m_bRedraw = true;
        }
    }
    UpdateActivation();
}

void C_TaskLocateUnitCreatedTroopS::Draw(C_FieldTaskInfo* info) {
    if (!m_bVisible) return;
    if (m_bRebuild) {
        m_nWinY = 132;
        m_nWinHeight = 264;
        BuildRows(info);
        m_bRebuild = false;
        m_bLabelDirty = true;
    }
    C_TaskLocateUnitMenuBase::Draw(info);
}
