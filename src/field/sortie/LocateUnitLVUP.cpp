// Strengthening heroes and troop types for money.
#include "sortie/LocateUnitLVUP.h"

#include <algorithm>
#include <cstdio>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "sortie/LocateUnitPrompts.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"
#include "util/ClampInt.h"

namespace {
std::string PriceText(int price) { return price >= 0 ? std::to_string(price) : std::string("---"); }

std::string RowText(const std::string& name, int level, int price) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%-34s%3s%8s", name.c_str(), std::to_string(level).c_str(),
                  PriceText(price).c_str());
    return buf;
}

bool InBranch(const CTroopType& t, int typeID) {
    return std::any_of(t.m_vBranch.begin(), t.m_vBranch.end(), [&](const auto& b) { return b.first == typeID; });
}

const RECT kMarkerPart{429, 0, 480, 30};
}  // namespace

// ---- the list ---------------------------------------------------------------------------

C_TaskLocateUnitLVUP::C_TaskLocateUnitLVUP(C_FieldTaskInfo* info) {
    m_nWinX = 170;
    m_nWinY = 10;
    m_nWinWidth = 470;
    m_nWinHeight = 375;
    m_nOpenFrames = 25;
    m_bPaging = true;  // every hero and troop type can be reached however many there are
    SetTitle("名前                               LV    COST", 14);
    m_InstructWindow.SetText("強化する英雄／部族を選んでください。");
    m_pStatus = new C_TaskLocateUnitLVUPStatus(info);
    if (info && info->m_pTaskController) info->m_pTaskController->AddTask(m_pStatus, 208);
}

int C_TaskLocateUnitLVUP::SelectedValueOfRow(C_FieldTaskInfo* info, int row) {
    const CPartyData* party = info->m_pPartyData;
    if (!party || row < 0) return -1;
    const int heroes = (int)party->m_Heros.size();
    if (row < heroes) return row;
    int n = 0;
    for (int i = 0; i < party->m_Troops.GetCount(); ++i) {
        if (!party->m_Troops.GetEntry(i).m_bCanUse) continue;
        if (n == row - heroes) return heroes + i;
        ++n;
    }
    return -1;
}

int C_TaskLocateUnitLVUP::PriceOf(C_FieldTaskInfo* info, int selected) {
    const CPartyData* party = info->m_pPartyData;
    if (!party || selected < 0) return sortie::kNoPrice;
    const int heroes = (int)party->m_Heros.size();
    if (selected < heroes) return sortie::LevelUpCost(party->m_Heros[selected].m_typeID, party->m_Heros[selected].m_LV);
    if (!party->m_Troops.IsValidIndex(selected - heroes)) return sortie::kNoPrice;
    return sortie::TroopLevelUpCost(party->m_Troops.GetEntry(selected - heroes));
}

void C_TaskLocateUnitLVUP::BuildRows(C_FieldTaskInfo* info) {
    ClearItems();
    const CPartyData* party = info->m_pPartyData;
    if (!party) return;
    for (const HeroEntry& h : party->m_Heros) {
        const std::string name = CPersonTypeTable::Has(h.m_typeID) ? CPersonTypeTable::Get(h.m_typeID).name : "?";
        const int price = sortie::LevelUpCost(h.m_typeID, h.m_LV);
        AddItem(RowText(name, h.m_LV, price), h.m_bCanUse && sortie::CanAffordLevelUp(price, party->nMoney, h.m_LV));
    }
    for (int i = 0; i < party->m_Troops.GetCount(); ++i) {
        const CTroopType& t = party->m_Troops.GetEntry(i);
        if (!t.m_bCanUse) continue;
        const int price = sortie::TroopLevelUpCost(t);
        AddItem(RowText(t.name, t.nLV, price), sortie::CanAffordLevelUp(price, party->nMoney, t.nLV));
    }
    if (m_nPageTop >= GetItemCount()) m_nPageTop = 0;
}

void C_TaskLocateUnitLVUP::DoLevelUp(C_FieldTaskInfo* info) {
    CPartyData* party = info->m_pPartyData;
    if (!party) return;
    const int s = m_nSelected;
    const int heroes = (int)party->m_Heros.size();
    const int price = PriceOf(info, s);
    int level = 0;
    if (s >= 0 && s < heroes)
        level = party->m_Heros[s].m_LV;
    else if (party->m_Troops.IsValidIndex(s - heroes))
        level = party->m_Troops.GetEntry(s - heroes).nLV;
    else
        return;
    // The price is paid only out of funds that cover it.
    if (!sortie::CanAffordLevelUp(price, party->nMoney, level)) {
        g_ErrorLog.Printf("強化: 価格 %d は資金 %d で払えません (強化しません)。", price, party->nMoney);
        return;
    }
    party->AddMoney(-price);
    if (s < heroes) {
        HeroEntry& h = party->m_Heros[s];
        ++h.m_LV;
        for (CSortiePosition& pos : info->m_MapData.m_vnSortiePos)
            for (SortieHeroEntry& e : pos.m_vHero)
                if (e.nTypeID == h.m_typeID) e.nLV = h.m_LV;
    } else {
        CTroopType& t = party->m_Troops.GetEntry(s - heroes);
        ++t.nLV;
        for (CreatedTroopEntry& c : party->m_CreatedTroop)
            for (size_t k = 0; k < c.TypeID.size() && k < c.nLV.size(); ++k)
                if (InBranch(t, c.TypeID[k])) c.nLV[k] = t.nLV;
        for (CSortiePosition& pos : info->m_MapData.m_vnSortiePos)
            for (SortieTroopEntry& e : pos.m_vTroop)
                for (size_t k = 0; k < e.nTypeID.size() && k < e.nLV.size(); ++k)
                    if (InBranch(t, e.nTypeID[k])) e.nLV[k] = t.nLV;
    }
    m_bRebuild = true;
    if (m_pLocateUnit) m_pLocateUnit->m_bHeroListDirty = true;
}

void C_TaskLocateUnitLVUP::Update(C_FieldTaskInfo* info) {
    MoveCursor(info);
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    // Only the window with the focus takes clicks: the right click that leaves the
    // preview is not also taken here, so the preview always ends in the question.
    if (IsActive()) {
        IInputManager* in = info->GetInputManager();
        if (m_pStatus && m_pStatus->m_bConfirmRequest) {
            auto* box = new C_TaskLocateUnitMenuYesNo();
            box->SetX(200);
            box->SetWidth(250);
            ShareDriver(box, this);
            box->SetCallback(smart_ptr<function_callback>(
                new function_callback_vm1<C_TaskLocateUnitLVUP, C_FieldTaskInfo*>(this, &C_TaskLocateUnitLVUP::DoLevelUp,
                                                                                 info)));
            box->SetMessage("強化を行います。よろしいですか？");
            box->OpenChild(this);
            if (info->m_pTaskController) info->m_pTaskController->AddTask(box, 207);
            m_nSelected = m_pStatus->m_nSelected;
            m_pStatus->m_bConfirmRequest = false;
        } else {
            const int c = FindItemLeftPressed(info);
            if (c >= 0 && m_pStatus) {
                m_pStatus->m_nSelected = SelectedValueOfRow(info, c);
                m_pStatus->OpenChild(this);
                m_pStatus->m_bVisible = true;
                m_pStatus->m_bRebuild = true;
            } else if (c == -1 && in && in->IsRButtonPush()) {
                CloseChild();
                if (info->m_pTaskController) info->m_pTaskController->KillTask(208);
                m_pStatus = nullptr;
                KillSelf(info);
            }
        }
    }
    UpdateActivation();
}

void C_TaskLocateUnitLVUP::Draw(C_FieldTaskInfo* info) {
    m_Dim.SetSize(640.0f, 230.0f, 0xC0000000);
    m_Dim.Draw(0.0f, 0.0f);
    m_Dim.SetSize(483.0f, 250.0f, 0xC0000000);
    m_Dim.Draw(157.0f, 230.0f);
    m_InstructWindow.Draw(m_nWinX, 395);
    if (m_bRebuild) {
        BuildRows(info);
        m_bRebuild = false;
        m_bLabelDirty = true;
    }
    C_TaskLocateUnitMenuBase::Draw(info);
}

// ---- the preview ------------------------------------------------------------------------

C_TaskLocateUnitLVUPStatus::C_TaskLocateUnitLVUPStatus(C_FieldTaskInfo*) {
    m_nWinX = 10;
    m_nWinY = 40;
    m_nWinWidth = 180;
}

int C_TaskLocateUnitLVUPStatus::UnlockedBranch(const CTroopType& troop, int row) {
    int n = 0;
    for (int b = 0; b < (int)troop.m_vBranch.size(); ++b) {
        if (troop.m_vBranch[b].second > troop.nLV) continue;
        if (n == row) return b;
        ++n;
    }
    return -1;
}

void C_TaskLocateUnitLVUPStatus::Update(C_FieldTaskInfo* info) {
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    MoveCursor(info);
    CPartyData* party = info->m_pPartyData;
    const int heroes = party ? (int)party->m_Heros.size() : 0;
    if (m_bRebuild) {
        ClearItems();
        m_bIsHero = m_nSelected >= 0 && m_nSelected < heroes;
        if (party && m_bIsHero) {
            const int id = party->m_Heros[m_nSelected].m_typeID;
            AddItem(CPersonTypeTable::Has(id) ? CPersonTypeTable::Get(id).s_name : "?", true);
        } else if (party && party->m_Troops.IsValidIndex(m_nSelected - heroes)) {
            const CTroopType& t = party->m_Troops.GetEntry(m_nSelected - heroes);
            for (const auto& [id, unlock] : t.m_vBranch)
                if (unlock <= t.nLV) AddItem(CPersonTypeTable::Has(id) ? CPersonTypeTable::Get(id).s_name : "?", true);
        }
        m_bRebuild = false;
        m_bPanelsDirty = true;
    }
    if (IsActive()) {
        IInputManager* in = info->GetInputManager();
        const int c = FindItemLeftPressed(info);
        if (c != -1 && c != m_nShownSoldier) {
            m_nShownSoldier = c;
            m_bPanelsDirty = true;
        }
        if (in && in->IsRButtonPush()) {
            m_nShownSoldier = 0;
            m_nSelect = 0;
            m_bVisible = false;
            m_bConfirmRequest = true;
            CloseChild();
        }
    }
    UpdateActivation();
}

void C_TaskLocateUnitLVUPStatus::Draw(C_FieldTaskInfo* info) {
    if (!m_bVisible || !IsActive()) return;
    m_Dim.SetSize(640.0f, 480.0f, 0xC0000000);
    m_Dim.Draw(0.0f, 0.0f);
    CPartyData* party = info->m_pPartyData;
    if (m_bPanelsDirty && party) {
        const int heroes = (int)party->m_Heros.size();
        for (int i = 0; i < 2; ++i) {
            PersonRecord p;
            p.nHP = 0;
            if (m_bIsHero) {
                const HeroEntry& h = party->m_Heros[m_nSelected];
                p = PersonRecord::CreateFromType(h.m_typeID, SaturatingAdd(h.m_LV, i), 1, 1, 1, 1);
            } else if (party->m_Troops.IsValidIndex(m_nSelected - heroes)) {
                const CTroopType& t = party->m_Troops.GetEntry(m_nSelected - heroes);
                const int b = UnlockedBranch(t, m_nShownSoldier);
                if (b >= 0) p = PersonRecord::CreateFromType(t.m_vBranch[b].first, SaturatingAdd(t.nLV, i), 1, 1, 1, 1);
            }
            m_Panel[i].Fill(p);
        }
        m_bPanelsDirty = false;
    }
    m_Panel[0].Draw(208, 5);
    m_Panel[1].Draw(208, 205);
    m_Panel[0].GetTexture().Draw(396, 158, 255, &kMarkerPart);
    C_TaskLocateUnitMenuBase::Draw(info);
}
