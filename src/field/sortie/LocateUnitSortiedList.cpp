// The cards of the units placed at one sortie position.
#include "sortie/LocateUnitSortiedList.h"

#include <algorithm>
#include <cstdio>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "menu/DispStatus.h"
#include "resources/GlobalResources.h"
#include "sortie/LocateUnitCreatedTroop.h"
#include "sortie/LocateUnitPrompts.h"
#include "sortie/LocateUnitSortie.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"

namespace {
const RECT kCardPart{0, 0, 192, 64};
const RECT kButtonPart{210, 0, 250, 64};

std::string ShortName(int typeID) {
    return CPersonTypeTable::Has(typeID) ? CPersonTypeTable::Get(typeID).s_name : std::string("?");
}
std::string CostSuffix(int typeID) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "(%d)", sortie::LocateCostOf(typeID));
    return buf;
}
// An empty panel.
PersonRecord EmptyPerson() {
    PersonRecord p;
    p.s_name = "";
    p.nHP = p.nMaxHP = p.nMaxMP = 0;
    return p;
}
}  // namespace

C_TaskLocateUnitSortiedList2::C_TaskLocateUnitSortiedList2(C_FieldTaskInfo*, C_TaskLocateUnit* driver,
                                                           C_TaskLocateUnitSortie* owner)
    : m_pOwner(owner) {
    m_pLocateUnit = driver;
    AddItem("新しいユニットの追加", true);
    SetTitle("名前                  LV  COST", 12);
    m_nWinX = 200;
    m_nWinY = 132;
    m_nWinWidth = 410;
    m_nWinHeight = 268;
    m_nRowHeight = 12;
    m_nSelect = -1;
    m_nFrame = m_nOpenFrames;
}

CSortiePosition* C_TaskLocateUnitSortiedList2::CurrentPosition(C_FieldTaskInfo* info) {
    if (!m_pOwner) return nullptr;
    const int i = m_pOwner->GetCursor();
    if (i < 0 || i >= info->m_MapData.GetSortiePositionCount()) return nullptr;
    return &info->m_MapData.GetSortiePosition(i);
}

SortieRowRect C_TaskLocateUnitSortiedList2::ButtonRect(int card) const {
    const SortieRowRect& c = m_vCard[card];
    return SortieRowRect{c.x + kButtonLeft, c.y, kButtonWidth, kCardHeight, c.enabled};
}

void C_TaskLocateUnitSortiedList2::BuildCards(C_FieldTaskInfo* info) {
    ClearItems();
    m_vCard.clear();
    m_vLine.clear();
    m_vCardForced.clear();
    m_nHeroCards = m_nUnitCards = 0;
    m_bExtraIsNew = false;
    std::vector<std::string> texts;
    auto addCard = [&](bool enabled, bool forced) -> bool {
        const int n = (int)m_vCard.size();
        if (n >= sortie::kMaxCards) return false;
        SortieRowRect r;
        r.x = m_nWinX + 8 + (n % 2) * kCardWidth;
        r.y = m_nWinY + 6 + (n / 2) * kCardHeight;
        r.width = kCardWidth;
        r.height = kCardHeight;
        r.enabled = enabled;
        m_vCard.push_back(r);
        m_vCardForced.push_back(forced);
        return true;
    };
    auto addLines = [&](const bool present[4]) {
        const SortieRowRect& c = m_vCard.back();
        for (int p = 0; p < 4; ++p)
            m_vLine.push_back(SortieRowRect{c.x, c.y + 5 + kLineHeight * p, kLineWidth, kLineHeight, present[p]});
    };

    CSortiePosition* pos = CurrentPosition(info);
    bool clipped = false;
    if (pos) {
        for (const SortieHeroEntry& h : pos->m_vHero) {
            bool forced = false;
            if (info->m_pPartyData)
                for (const HeroEntry& e : info->m_pPartyData->m_Heros)
                    if (e.m_typeID == h.nTypeID && e.m_bForcePlaced) forced = true;
            if (!addCard(!forced, forced)) {
                clipped = true;
                break;
            }
            texts.push_back(ShortName(h.nTypeID) + CostSuffix(h.nTypeID));
            const bool lines[4] = {true, false, false, false};
            addLines(lines);
            ++m_nHeroCards;
        }
        for (const SortieTroopEntry& t : pos->m_vTroop) {
            if (clipped || !addCard(true, false)) {
                clipped = true;
                break;
            }
            std::string text;
            bool lines[4] = {false, false, false, false};
            for (int p = 0; p < 4; ++p) {
                const int k = t.FindSlotByPosition(p);
                if (k >= 0) {
                    text += (k < (int)t.bForward.size() && t.bForward[k]) ? "前衛：" : "後衛：";
                    text += ShortName(t.nTypeID[k]) + CostSuffix(t.nTypeID[k]) + "\r\n";
                    lines[p] = true;
                } else {
                    text += " ------\r\n";
                }
            }
            texts.push_back(text);
            addLines(lines);
        }
        if (clipped)
            g_ErrorLog.Printf("出撃地点: %d 個を超えるユニットは表示できません。", sortie::kMaxCards);
    }
    m_nUnitCards = (int)m_vCard.size();
    C_TaskLocateUnitCreatedTroopS* troop = m_pOwner ? m_pOwner->m_pTroopList : nullptr;
    const bool forming = troop && troop->IsActive();
    if (pos && forming && troop->m_nNextPosition == 0) {
        if (addCard(true, false)) {
            texts.push_back(" ------\r\n ------\r\n ------\r\n ------");
            const bool lines[4] = {false, false, false, false};
            addLines(lines);
        }
    } else if (pos && !forming && (int)m_vCard.size() < sortie::kMaxCards) {
        addCard(true, false);
        texts.push_back("(新規追加)");
        m_bExtraIsNew = true;
    }

    // The panel's picture.
    if (m_ListTarget.GetTargetWidth() != 512) m_ListTarget.Create(512.0, 512.0, 0);
    m_ListTarget.BeginTarget(true);
    g_GlobalResources.DrawWindow(0, 0, m_nWinWidth, m_nWinHeight, 0, 0x95000000);
    CD3DDrawTexture* sheet = m_pLocateUnit ? &m_pLocateUnit->m_UnitTexture : nullptr;
    for (int n = 0; n < (int)m_vCard.size(); ++n) {
        const int x = m_vCard[n].x - m_nWinX, y = m_vCard[n].y - m_nWinY;
        if (sheet) {
            sheet->Draw(x, y, 255, &kCardPart);
            if (n < m_nUnitCards && !m_vCardForced[n]) sheet->Draw(x + kButtonLeft, y, 255, &kButtonPart);
        }
        const bool red = n < m_nUnitCards && m_vCardForced[n];
        // 12 pixels: the smallest size at which the names stay readable.
        m_CardText[n].SetText(texts[n], 12, red ? 0xFFFF0000 : 0xFFFFFFFF);
        m_CardText[n].SetLineHeight(kLineHeight);
        m_CardText[n].SetMaxWidth(kButtonLeft - 8);  // up to the card's delete button
        m_CardText[n].Render();
        if (m_CardText[n].GetRenderTarget().GetTexture()) m_CardText[n].GetRenderTarget().Draw(x + 8, y + 6);
    }
    m_ListTarget.EndTarget();
    m_bRedraw = false;
}

void C_TaskLocateUnitSortiedList2::Draw(C_FieldTaskInfo* info) {
    if (m_bRedraw) BuildCards(info);
    const RECT part{0, 0, m_nWinWidth, m_nWinHeight};
    DrawOpening(m_ListTarget, m_nWinX, m_nWinY, m_nWinWidth, m_nWinHeight, 6, 6, &part);
    if (m_pOwner && m_pOwner->IsActive()) {
        m_Dim.SetSize(float(m_nWinWidth), float(m_nWinHeight), 0x40000000);
        m_Dim.Draw(float(m_nWinX), float(m_nWinY));
    }
    if (m_nFrame < m_nOpenFrames) return;
    const int cards = (int)m_vCard.size();
    if (IsActive() && m_nSelect >= 0) {
        if (m_nSelect < m_nUnitCards) {
            const SortieRowRect b = ButtonRect(m_nSelect);
            m_Mark.SetSize(float(b.width), float(b.height), 0x40FFFFFF);
            m_Mark.Draw(float(b.x), float(b.y));
        } else if (m_nSelect < cards) {
            const SortieRowRect& c = m_vCard[m_nSelect];
            m_Mark.SetSize(float(c.width), float(c.height), 0x40FFFFFF);
            m_Mark.Draw(float(c.x), float(c.y));
        } else if (m_nSelect - cards < (int)m_vLine.size()) {
            const SortieRowRect& l = m_vLine[m_nSelect - cards];
            m_Mark.SetSize(float(l.width), float(l.height), 0x30FFFF00);
            m_Mark.Draw(float(l.x), float(l.y));
        }
    }
    C_TaskLocateUnitCreatedTroopS* troop = m_pOwner ? m_pOwner->m_pTroopList : nullptr;
    if (troop && troop->IsActive() && cards > 0) {
        const int j = 4 * (cards - 1) + troop->m_nNextPosition;
        if (j >= 0 && j < (int)m_vLine.size() && troop->m_nNextPosition < 4) {
            const SortieRowRect& l = m_vLine[j];
            m_Mark.SetSize(float(l.width), float(l.height), 0x30FFFF00);
            m_Mark.Draw(float(l.x), float(l.y));
        }
    }
}

void C_TaskLocateUnitSortiedList2::Update(C_FieldTaskInfo* info) {
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    if (!IsActive() || m_nInputEnabled != 1) {
        UpdateActivation();
        return;
    }
    IInputManager* in = info->GetInputManager();
    if (m_pOwner) m_pOwner->SetInstructText("（新規作成）からユニットを追加してください。/既にあるユニットを選ぶと削除します。");
    const int before = m_nSelect;
    const int cards = (int)m_vCard.size();
    const int px = in ? in->GetX() : -1, py = in ? in->GetY() : -1;
    m_nSelect = -1;
    for (int n = 0; n < cards; ++n) {
        const bool hit = n < m_nUnitCards ? ButtonRect(n).Contains(px, py) : m_vCard[n].Contains(px, py);
        if (hit) m_nSelect = n;
    }
    for (int j = 0; j < (int)m_vLine.size(); ++j)
        if (m_vLine[j].Contains(px, py)) m_nSelect = cards + j;

    if (in && in->IsLButtonPush() && m_nSelect >= 0) {
        const int c = m_nSelect;
        C_TaskController* tc = info->m_pTaskController;
        if (c < m_nUnitCards && m_vCard[c].enabled && !m_vCardForced[c]) {
            auto* box = new C_TaskLocateUnitMenuYesNo();
            box->SetX(200);
            box->SetWidth(250);
            ShareDriver(box, this);
            using Remove = function_callback_vm2<C_TaskLocateUnitSortiedList2, C_FieldTaskInfo*, int>;
            box->SetCallback(smart_ptr<function_callback>(new Remove(
                this, c < m_nHeroCards ? &C_TaskLocateUnitSortiedList2::RemoveHero : &C_TaskLocateUnitSortiedList2::RemoveTroop,
                info, c)));
            box->SetMessage("このユニットを削除しますか？");
            box->OpenChild(this);
            if (tc) tc->AddTask(box, 207);
        } else if (c < cards && c >= m_nUnitCards && m_bExtraIsNew && m_vCard[c].enabled) {
            C_TaskLocateUnitCreatedTroopS* troop = m_pOwner ? m_pOwner->m_pTroopList : nullptr;
            if (troop) {
                troop->OpenChild(this);
                troop->m_bVisible = true;
                troop->m_bRebuild = true;
                troop->m_bStatusRefresh = true;
                troop->SetX(c % 2 == 1 ? 160 : 395);
                troop->m_nFrame = 0;
                m_bRedraw = true;
            }
        } else if (c >= cards && m_vLine[c - cards].enabled) {
            if (tc)
                tc->AddTask(new C_TaskDispStatus(info, GetCellPerson(info, c), 0, ReplyTo(info, this, &m_nInputEnabled),
                                                 -1, -1),
                            209);
        }
    } else if (in && in->IsRButtonPush()) {
        m_nSelect = -1;
        CloseChild();
    }
    if (m_bStatusRefresh || m_nSelect != before) {
        PersonRecord p = EmptyPerson();
        if (m_nSelect >= cards && m_nSelect - cards < (int)m_vLine.size() && m_vLine[m_nSelect - cards].enabled)
            p = GetCellPerson(info, m_nSelect);
        if (m_pOwner) {
            m_pOwner->m_ShownPerson = p;
            m_pOwner->m_bPanelDirty = true;
        }
        m_bStatusRefresh = false;
    }
    UpdateActivation();
}

PersonRecord C_TaskLocateUnitSortiedList2::GetCellPerson(C_FieldTaskInfo* info, int cursor) {
    CSortiePosition* pos = CurrentPosition(info);
    const int cards = (int)m_vCard.size();
    if (!pos || cursor < cards) return EmptyPerson();
    const int u = (cursor - cards) / 4, q = (cursor - cards) % 4;
    const int heroes = (int)pos->m_vHero.size();
    if (m_pOwner) m_pOwner->m_bShownIsHero = u < heroes;
    if (u < heroes) return pos->m_vHero[u].MakePerson();
    const int t = u - heroes;
    if (t >= (int)pos->m_vTroop.size()) return EmptyPerson();
    const SortieTroopEntry& troop = pos->m_vTroop[t];
    for (int k = 0; k < 4; ++k)
        if (troop.GetSlotPosition(k) == q) return troop.MakeMemberPerson(k);
    return EmptyPerson();
}

void C_TaskLocateUnitSortiedList2::RemoveHero(C_FieldTaskInfo* info, int card) {
    CSortiePosition* pos = CurrentPosition(info);
    if (!pos || card < 0 || card >= (int)pos->m_vHero.size()) return;
    const int id = pos->m_vHero[card].nTypeID;
    if (info->m_pPartyData)
        for (HeroEntry& h : info->m_pPartyData->m_Heros)
            if (h.m_typeID == id) h.m_nPlaced = -1;
    // What placing the hero cost, whether or not the party still lists the hero.
    const int refund = sortie::LocateCostOf(id);
    pos->m_vHero.erase(pos->m_vHero.begin() + card);
    if (m_pLocateUnit) {
        m_pLocateUnit->ChangeSortieCost(-int64_t(refund));
        m_pLocateUnit->m_bHeroListDirty = true;
    }
    m_bRedraw = true;
    if (m_pOwner && m_pOwner->m_pTroopList) m_pOwner->m_pTroopList->m_bRebuild = true;
}

void C_TaskLocateUnitSortiedList2::RemoveTroop(C_FieldTaskInfo* info, int card) {
    CSortiePosition* pos = CurrentPosition(info);
    if (!pos) return;
    const int t = card - (int)pos->m_vHero.size();
    if (t < 0 || t >= (int)pos->m_vTroop.size()) return;
    const int refund = sortie::TroopCost(pos->m_vTroop[t]);
    if (m_pLocateUnit) m_pLocateUnit->ChangeSortieCost(-int64_t(refund));
    pos->m_vTroop.erase(pos->m_vTroop.begin() + t);
    m_bRedraw = true;
    if (m_pOwner && m_pOwner->m_pTroopList) m_pOwner->m_pTroopList->m_bRebuild = true;
}
