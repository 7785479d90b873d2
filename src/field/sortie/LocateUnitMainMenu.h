#pragma once
// The hub of the sortie preparation: the command rows "編成", "強化", "マップ",
// "セーブ", "作戦開始" over the preparation picture, with the mission titles, the
// briefing in five pages, the funds, the sortie cost against its limit, the allowed
// number of heroes, the hero roster and the field's minimap.
#include <cstdint>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "sortie/LocateUnitMenuBase.h"

class C_TaskLocateUnitMainMenu : public C_TaskLocateUnitMenuBase {
public:
    static constexpr int kBriefingPages = 5;
    static constexpr int kBriefingLines = 12;

    explicit C_TaskLocateUnitMainMenu(C_FieldTaskInfo* info);
    ~C_TaskLocateUnitMainMenu() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    // The yes/no box's "はい": the next update hands over to the driver.
    void OnStartConfirmed() { m_bStartTurn = true; }

    // The briefing tab under a point of row y 244..263, or -1.
    static int BriefingTabAt(int x, int y);
    // Left edge of tab p (where its marker is drawn).
    static int BriefingTabLeft(int page) { return 236 + 52 * page; }
    // The hero roster text and the cost line, as the menu shows them.
    static std::string MakeHeroListText(const C_FieldTaskInfo& info);
    static std::string MakeCostText(int limit, int cost);

    CD3DTextDraw m_MoneyText;
    CD3DTextDraw m_CostText;
    CD3DTextDraw m_HeroNumText;
    CD3DTextDraw m_HeroListText;
    bool m_bBriefingHover = false;
    bool m_bStartTurn = false;
    CD3DDrawTexture m_Background;
    CD3DTextDraw m_BriefingLine[kBriefingLines];
    CD3DTextDraw m_MissionNameText[2];
    bool m_bBriefingReady = false;
    int32_t m_nBriefingPage = 0;
    int32_t m_nBriefingLines = 0;
    bool m_bTextReady = false;
    int32_t m_nShownMoney = 0;
    int32_t m_nShownCost = 0;
    CD3DDrawSquare m_BriefingFrame;
    CD3DDrawSquare m_BriefingFill;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }

private:
    void StartCheck(C_FieldTaskInfo* info);
    void OpenOver(C_FieldTaskInfo* info, C_TaskLocateUnitMenuBase* child);
};
