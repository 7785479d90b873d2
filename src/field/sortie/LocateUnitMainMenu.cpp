// The hub of the sortie preparation.
#include "sortie/LocateUnitMainMenu.h"

#include <cstdio>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "map/TaskDrawMap.h"
#include "menu/SelectSkillMenu.h"
#include "sortie/LocateUnitLVUP.h"
#include "sortie/LocateUnitPrompts.h"
#include "sortie/LocateUnitSortie.h"
#include "sortie/SortieRules.h"
#include "sortie/TaskLocateUnit.h"
#include "task/TaskController.h"
#include "turn/TaskSelectUnit.h"
#include "util/GameUtil.h"

namespace {
// The briefing area, its tabs and the picture's parts.
constexpr int kBriefLeft = 170, kBriefTop = 267, kBriefRight = 498, kBriefBottom = 463;
constexpr int kTabTop = 244, kTabBottom = 263;
// Room of the status texts from their left edge to the left panel's right edge.
constexpr int kStatusRoom = 144;
constexpr int kTabWidth = 52;  // tab p spans [238 + 52p, 290 + 52p): the marker's middle 52 pixels
const RECT kBackgroundPart{0, 0, 800, 512};
const RECT kPageMarkerPart{968, 0, 1024, 20};
const RECT kTitlePart{0, 0, 1000, 80};
const RECT kMinimapPart{0, 0, 400, 200};
}  // namespace

C_TaskLocateUnitMainMenu::C_TaskLocateUnitMainMenu(C_FieldTaskInfo* info) {
    m_Background.Load("./Graphics/InterMission.png");
    m_nBriefingPage = 0;
    AddItem("編成", true);
    AddItem("強化", true);
    AddItem("マップ", true);
    AddItem("セーブ", true);
    AddItem("作戦開始", true);
    const bool positions = info && info->m_MapData.GetSortiePositionCount() > 0;
    m_vItem[0].m_bEnabled = positions;
    m_vItem[1].m_bEnabled = positions;
    m_nWinWidth = 100;
    m_nWinX = 15;
    m_bAutoHeight = true;
    if (info) {
        const CMapData& map = info->m_MapData;
        char buf[96];
        if (map.m_nMinHero == map.m_nMaxHero)
            std::snprintf(buf, sizeof buf, "出撃英雄数： %d", map.m_nMinHero);
        else
            std::snprintf(buf, sizeof buf, "出撃英雄数： %d～ %d", map.m_nMinHero, map.m_nMaxHero);
        m_HeroNumText.SetText(buf, 14, 0xFFFFFFFF);
    }
}

int C_TaskLocateUnitMainMenu::BriefingTabAt(int x, int y) {
    if (y < kTabTop || y > kTabBottom) return -1;
    for (int p = kBriefingPages - 1; p >= 0; --p) {
        const int left = BriefingTabLeft(p) + 2;
        if (x >= left && x < left + kTabWidth) return p;
    }
    return -1;
}

std::string C_TaskLocateUnitMainMenu::MakeCostText(int limit, int cost) {
    char buf[96];
    if (limit >= 1000)
        std::snprintf(buf, sizeof buf, "出撃コスト：\r\n          %4lld/%d", (long long)limit - cost, limit);
    else
        std::snprintf(buf, sizeof buf, "出撃コスト：%3lld/%d", (long long)limit - cost, limit);
    return buf;
}

std::string C_TaskLocateUnitMainMenu::MakeHeroListText(const C_FieldTaskInfo& info) {
    std::string text;
    if (!info.m_pPartyData) return text;
    for (const HeroEntry& h : info.m_pPartyData->m_Heros) {
        char buf[96];
        const std::string name = CPersonTypeTable::Has(h.m_typeID) ? CPersonTypeTable::Get(h.m_typeID).s_name : "?";
        // A name column of 12 bytes: a longer name is cut at a whole character, so the
        // marks and the level stay in the panel.
        text += PadBytes(name, 12, true);
        text += h.m_bForcePlaced ? "*" : "-";
        if (h.m_nPlaced >= 0 && h.m_nPlaced < 26)
            text += char('A' + h.m_nPlaced);
        else
            text += "-";
        std::snprintf(buf, sizeof buf, " Lv%2d\r\n", h.m_LV);
        text += buf;
    }
    return text;
}

void C_TaskLocateUnitMainMenu::OpenOver(C_FieldTaskInfo* info, C_TaskLocateUnitMenuBase* child) {
    ShareDriver(child, this);
    child->OpenChild(this);
    info->m_pTaskController->AddTask(child, 206);
}

void C_TaskLocateUnitMainMenu::StartCheck(C_FieldTaskInfo* info) {
    const CMapData& map = info->m_MapData;
    const int heroes = sortie::CountPlacedHeroes(map);
    if (heroes < map.m_nMinHero) {
        auto* alert = new C_TaskLocateUnitMenuAlert(false);
        alert->SetMessage("出撃する英雄数が足りません");
        alert->SetWidth(250);
        OpenOver(info, alert);
        return;
    }
    const int troops = sortie::CountPlacedTroops(map);
    std::string question;
    if (map.num_map < 3) {
        question = "ターン開始しますか？";
    } else {
        char buf[160];
        std::snprintf(buf, sizeof buf, "出撃ユニット数は、英雄:%d、兵士：%dです。\r\nターン開始しますか？", heroes, troops);
        question = buf;
    }
    auto* box = new C_TaskLocateUnitMenuYesNo();
    box->SetWidth(300);
    box->SetX(160);
    box->SetMessage(question);
    box->SetCallback(smart_ptr<function_callback>(new function_callback_vm0<C_TaskLocateUnitMainMenu>(
        this, &C_TaskLocateUnitMainMenu::OnStartConfirmed)));
    OpenOver(info, box);
}

void C_TaskLocateUnitMainMenu::Update(C_FieldTaskInfo* info) {
    IInputManager* in = info->GetInputManager();
    const int px = in ? in->GetX() : 0, py = in ? in->GetY() : 0;
    C_TaskLocateUnit* driver = m_pLocateUnit;
    const CPartyData* party = info->m_pPartyData;

    // Status texts: a rebuilt text also rebuilds the ones after it.
    const int money = party ? party->nMoney : 0;
    if (money != m_nShownMoney || !m_bTextReady) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "資金：%9d", money);
        m_MoneyText.SetText(buf, 14, 0xFFFFFFFF);
        m_nShownMoney = money;
        m_bTextReady = false;
    }
    const int cost = driver ? driver->m_nSortieCost : 0;
    if (cost != m_nShownCost || !m_bTextReady) {
        m_CostText.SetText(MakeCostText(info->m_MapData.m_nLocateCost, cost), 14, 0xFFFFFFFF);
        m_nShownCost = cost;
        m_bTextReady = false;
    }
    if ((driver && driver->m_bHeroListDirty) || !m_bTextReady) {
        m_HeroListText.SetText(MakeHeroListText(*info), 13, 0xFFFFFFFF);
        if (driver) driver->m_bHeroListDirty = false;
        m_bTextReady = false;
    }

    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    if (m_bStartTurn) {
        if (driver) driver->m_nState = -1;
        KillSelf(info);
        return;
    }
    MoveCursor(info);
    if (IsActive()) {
        switch (FindItemLeftPressed(info)) {
            case 0: {
                OpenOver(info, new C_TaskLocateUnitSortie(info, driver));
                break;
            }
            case 1:
                OpenOver(info, new C_TaskLocateUnitLVUP(info));
                break;
            case 2:
                // The map view: a right click on an empty cell there brings the
                // driver back to a new hub.
                info->m_bSortieFlag = true;
                info->m_pTaskController->AddTask(new C_TaskDrawMap(info), 2);
                info->m_pTaskController->AddTask(new C_TaskSelectUnit(info), 104);
                KillSelf(info);
                return;
            case 3:
                OpenOver(info, new C_TaskLocateUnitSave());
                break;
            case 4:
                StartCheck(info);
                break;
            default:
                break;
        }
        // Briefing pages.
        m_bBriefingHover = IsPointInRect(kBriefLeft, kBriefTop, kBriefRight, kBriefBottom, px, py);
        if (in && in->IsLButtonPush()) {
            const int tab = BriefingTabAt(px, py);
            if (tab >= 0) {
                m_nBriefingPage = tab;
                m_bBriefingReady = false;
            } else if (m_bBriefingHover) {
                m_nBriefingPage = (m_nBriefingPage + 1) % kBriefingPages;
                m_bBriefingReady = false;
            }
        }
    } else {
        m_bBriefingHover = false;
    }
    UpdateActivation();
}

void C_TaskLocateUnitMainMenu::Draw(C_FieldTaskInfo* info) {
    CMapData& map = info->m_MapData;
    if (!m_bTextReady) {
        // The status texts keep within the left panel, however long a name or number.
        for (CD3DTextDraw* t : {&m_MoneyText, &m_CostText, &m_HeroNumText, &m_HeroListText}) t->SetMaxWidth(kStatusRoom);
        m_MoneyText.Render();
        m_CostText.Render();
        m_HeroNumText.Render();
        m_HeroListText.Render();
        m_bTextReady = true;
    }
    if (!m_bBriefingReady) {
        m_MissionNameText[0].SetText(map.MissionName[0], 32, 0xFFFFFFFF);
        m_MissionNameText[1].SetText(map.MissionName[1], 28, 0xFFFFFFFF);
        m_MissionNameText[0].Render();
        m_MissionNameText[1].Render();
        m_nBriefingLines = 0;
        auto it = map.OperationMessage.find(m_nBriefingPage);
        if (it != map.OperationMessage.end()) {
            const std::vector<std::string>& lines = it->second;
            if ((int)lines.size() > kBriefingLines)
                g_ErrorLog.Printf("作戦説明 %d: %d 行のうち %d 行だけを表示します。", m_nBriefingPage, (int)lines.size(),
                                  kBriefingLines);
            m_nBriefingLines = std::min<int>((int)lines.size(), kBriefingLines);
            for (int k = 0; k < m_nBriefingLines; ++k) {
                m_BriefingLine[k].SetText(lines[k], 25, 0xFFFFFFFF);
                m_BriefingLine[k].Render();
            }
        }
        m_bBriefingReady = true;
    }

    m_Background.Draw(0, 0, 255, &kBackgroundPart);
    auto drawText = [](CD3DTextDraw& t, int x, int y) {
        if (t.GetRenderTarget().GetTexture()) t.GetRenderTarget().Draw(x, y);
    };
    drawText(m_MoneyText, 10, 250);
    if (map.num_map > 2) {
        drawText(m_CostText, 10, 267);
        drawText(m_HeroNumText, 14, 300);
        drawText(m_HeroListText, 14, 320);
    }
    auto drawHalf = [](CD3DTextDraw& t, int x, int y, const RECT* part) {
        if (t.GetRenderTarget().GetTexture()) t.GetRenderTarget().DrawScaled(x, y, 0.5, 0.5, 0, 0, 255, part);
    };
    drawHalf(m_MissionNameText[0], 30, 14, &kTitlePart);
    drawHalf(m_MissionNameText[1], 6, 44, &kTitlePart);
    for (int k = 0; k < m_nBriefingLines; ++k) drawHalf(m_BriefingLine[k], 173, 270 + 16 * k, nullptr);
    if (m_bBriefingHover) {
        const uint32_t frame = 0x60FFFFFF;
        const int w = kBriefRight - kBriefLeft + 1, h = kBriefBottom - kBriefTop + 1;
        m_BriefingFrame.SetSize(float(w), 1.0f, frame);
        m_BriefingFrame.Draw(float(kBriefLeft), float(kBriefTop));
        m_BriefingFrame.Draw(float(kBriefLeft), float(kBriefBottom));
        m_BriefingFrame.SetSize(1.0f, float(h), frame);
        m_BriefingFrame.Draw(float(kBriefLeft), float(kBriefTop));
        m_BriefingFrame.Draw(float(kBriefRight), float(kBriefTop));
        m_BriefingFill.SetSize(326.0f, 194.0f, 0x18FFFFFF);
        m_BriefingFill.Draw(171.0f, 268.0f);
    }
    m_Background.Draw(BriefingTabLeft(m_nBriefingPage), kTabTop, 255, &kPageMarkerPart);
    // The minimap pictures, whole.
    for (CD3DRTSquare* rt : {&map.m_MiniMapBase, &map.m_MiniMapUnits, &map.m_MiniMapSortie})
        if (rt->GetTexture()) rt->Draw(221, 20, 255, &kMinimapPart);
    C_TaskLocateUnitMenuBase::Draw(info);
}
