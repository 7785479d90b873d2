// The windows of the sortie preparation played frame by frame with the pointer:
// the hub, the placement with its cards and the troop formation, strengthening,
// the prompts and the start of the battle, the save and its load.
#include "sortie_fixture.h"

namespace {

class SortieWindows : public SortieTest {
protected:
    void SetUp() override {
        SortieTest::SetUp();
        // Leon stands at position A by the story's order.
        party_.m_Heros[0].m_bForcePlaced = true;
        party_.m_Heros[0].m_nPlaced = 0;
    }
    C_TaskLocateUnitMainMenu* Main() { return Find<C_TaskLocateUnitMainMenu>(205); }
    // "編成", then position `pos`: the sortied-unit list has the focus.
    C_TaskLocateUnitSortiedList2* OpenPosition(int pos) {
        ClickRow(Main(), 0, 16);
        auto* sortie = Find<C_TaskLocateUnitSortie>(206);
        EXPECT_NE(sortie, nullptr);
        if (!sortie) return nullptr;
        ClickRow(sortie, pos, 12);  // the list replays its opening for another position
        return Find<C_TaskLocateUnitSortiedList2>(207);
    }
    void ClickCard(C_TaskLocateUnitSortiedList2* list, int card, int after = 3) {
        const SortieRowRect& c = list->m_vCard.at(card);
        Click(c.x + c.width / 2, c.y + c.height / 2, after);
    }
    void ClickButton(C_TaskLocateUnitSortiedList2* list, int card, int after = 3) {
        const SortieRowRect b = list->ButtonRect(card);
        Click(b.x + b.width / 2, b.y + b.height / 2, after);
    }
    // The prompt at `priority`: "はい" or "いいえ".
    void Answer(int priority, bool yes) {
        auto* box = Find<C_TaskLocateUnitMenuYesNo>(priority);
        ASSERT_NE(box, nullptr);
        Frames(12);
        ClickRow(box, yes ? 1 : 2, 3);
        EXPECT_EQ(Find<C_TaskLocateUnitMenuYesNo>(priority), nullptr);
    }
};

TEST_F(SortieWindows, TheHubShowsFundsCostLimitsRosterBriefingAndCommands) {
    Start();
    auto* main = Main();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(driver_->m_nState, 1);
    EXPECT_EQ(driver_->m_nSortieCost, 10);  // Leon, forced onto A
    EXPECT_EQ(main->m_CostText.GetText(), "出撃コスト：\r\n          1190/1200");
    EXPECT_EQ(main->m_HeroNumText.GetText(), "出撃英雄数： 1～ 3");
    EXPECT_EQ(main->m_HeroListText.GetText().rfind("レオン      *A Lv 1\r\n", 0), 0u) << main->m_HeroListText.GetText();
    EXPECT_TRUE(main->IsActive());
    // The second briefing tab, then a click in the briefing area turns to the third.
    Click(main->BriefingTabLeft(1) + 28, 250);
    EXPECT_EQ(main->m_nBriefingPage, 1);
    Move(300, 350);
    EXPECT_TRUE(Matches("hub"));
    Click(300, 350);
    EXPECT_EQ(main->m_nBriefingPage, 2);
    for (int i = 0; i < 3; ++i) Click(300, 350);
    EXPECT_EQ(main->m_nBriefingPage, 0);  // 2, 3, 4, 0
}

// The tabs take presses where the page marker stands over them (52 pixels apart from
// x 236, the marker's frame left out), from y 244 to 263; a press in the briefing
// area below turns to the next page.
TEST_F(SortieWindows, BriefingTabsTakePressesUnderTheirMarker) {
    struct Press {
        int x, y, page;  // the page shown after the press, from page 2
    } presses[] = {
        {237, 250, 2}, {238, 250, 0}, {289, 250, 0}, {290, 250, 1}, {293, 250, 1}, {341, 263, 1},
        {342, 244, 2}, {394, 250, 3}, {445, 250, 3}, {446, 250, 4}, {497, 250, 4}, {498, 250, 2},
        {300, 243, 2}, {300, 264, 2}, {300, 267, 3},
    };
    Start();
    for (const Press& p : presses) {
        Main()->m_nBriefingPage = 2;
        Click(p.x, p.y, 1);
        EXPECT_EQ(Main()->m_nBriefingPage, p.page) << p.x << ", " << p.y;
    }
}

TEST_F(SortieWindows, ABriefingPageShowsAtMostTwelveLinesAndSaysSo) {
    std::vector<std::string> lines;
    for (int i = 0; i < 14; ++i) lines.push_back("行" + std::to_string(i));
    info_->m_MapData.AddOperationMessage(4, lines);
    Start();
    Click(C_TaskLocateUnitMainMenu::BriefingTabLeft(4) + 28, 250);
    EXPECT_EQ(Main()->m_nBriefingPage, 4);
    EXPECT_EQ(Main()->m_nBriefingLines, 12);
    EXPECT_NE(Log().find("14"), std::string::npos) << Log();
}

TEST_F(SortieWindows, CostLineKeepsThreeDigitsBelowALimitOfAThousand) {
    EXPECT_EQ(C_TaskLocateUnitMainMenu::MakeCostText(20, 18), "出撃コスト：  2/20");
    EXPECT_EQ(C_TaskLocateUnitMainMenu::MakeCostText(1000, 0), "出撃コスト：\r\n          1000/1000");
}

// The hero list's name column is 12 bytes whatever the name's length; a long name is
// cut at a whole character and the marks and the level follow it.
TEST_F(SortieWindows, HeroListNamesKeepTheirColumn) {
    std::string& name = CPersonTypeTable::Get(party_.m_Heros[0].m_typeID).s_name;
    const std::string kept = name;
    for (const auto& [n, column] : {std::pair{"ab", "ab          "}, {"長長長長長長長", "長長長長長長"}, {"a長長長長長長", "a長長長長長 "}}) {
        name = n;
        EXPECT_EQ(C_TaskLocateUnitMainMenu::MakeHeroListText(*info_).substr(0, 17), std::string(column) + "*A Lv") << n;
    }
    name = kept;
}

TEST_F(SortieWindows, WithoutSortiePositionsFormationAndStrengtheningAreDim) {
    info_->m_MapData.m_vnSortiePos.clear();
    party_.m_Heros[0].m_nPlaced = -1;
    Start();
    auto* main = Main();
    EXPECT_FALSE(main->m_vItem[0].m_bEnabled);
    EXPECT_FALSE(main->m_vItem[1].m_bEnabled);
    ClickRow(main, 0);
    ClickRow(main, 1);
    EXPECT_EQ(tc_.GetTaskCount(), 2);  // driver and hub only
}

TEST_F(SortieWindows, ATroopIsFormedPlaceByPlaceAndRemovedWithItsWholeCostBack) {
    Start();
    auto* list = OpenPosition(0);
    ASSERT_NE(list, nullptr);
    Frames(2);
    ASSERT_TRUE(list->IsActive());
    ASSERT_EQ(list->CardCount(), 2);  // Leon (forced, no button) and "(新規追加)"
    EXPECT_TRUE(list->m_vCardForced[0]);
    // The forced hero's card takes no clicks.
    ClickButton(list, 0);
    EXPECT_EQ(Find<C_TaskLocateUnitMenuYesNo>(207), nullptr);

    ClickCard(list, 1, 12);  // right column: the formation list opens at x 160
    auto* troop = Find<C_TaskLocateUnitCreatedTroopS>(208);
    ASSERT_NE(troop, nullptr);
    EXPECT_TRUE(troop->IsActive());
    EXPECT_EQ(troop->m_nWinX, 160);
    // Heroes, then 剣兵 and 弓兵 (the unlocked soldiers), then "(空白)".
    ASSERT_EQ(troop->GetItemCount(), 7);
    EXPECT_FALSE(troop->m_vItem.at(0).m_bEnabled);  // Leon is placed
    EXPECT_TRUE(troop->m_vItem.at(1).m_bEnabled);
    EXPECT_FALSE(troop->m_vItem.at(6).m_bEnabled);  // nothing picked yet: no blank place

    ClickRow(troop, 4);  // 剣兵 at 0
    EXPECT_EQ(driver_->m_nSortieCost, 12);
    EXPECT_FALSE(troop->m_vItem.at(1).m_bEnabled);  // a hero only before any soldier
    ClickRow(troop, 5);  // 弓兵 at 1
    ClickRow(troop, 6);  // blank at 2
    EXPECT_EQ(troop->m_nNextPosition, 3);
    RightClick(600, 20);  // takes back the blank only
    EXPECT_EQ(troop->m_nNextPosition, 2);
    EXPECT_EQ(driver_->m_nSortieCost, 15);
    RightClick(600, 20);  // takes back 弓兵
    EXPECT_EQ(driver_->m_nSortieCost, 12);
    ClickRow(troop, 5);
    ClickRow(troop, 6);
    int x = 0, y = 0;
    RowCentre(troop, 5, &x, &y);
    Move(x, y);  // 弓兵 in the panel
    EXPECT_EQ(Find<C_TaskLocateUnitSortie>(206)->m_ShownPerson.typeID, 12);
    EXPECT_TRUE(Matches("forming", 0, 0, 640, 396));  // above the help line
    ClickRow(troop, 4);  // the fourth place ends the formation
    EXPECT_FALSE(troop->IsActive());
    Frames(2);
    EXPECT_TRUE(list->IsActive());
    const CSortiePosition& a = info_->m_MapData.m_vnSortiePos[0];
    ASSERT_EQ(a.m_vTroop.size(), 1u);
    EXPECT_EQ(a.m_vTroop[0].nTypeID, (std::vector<int32_t>{10, 12, 10}));
    EXPECT_EQ(a.m_vTroop[0].bForward, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(driver_->m_nSortieCost, 17);
    ASSERT_EQ(list->CardCount(), 3);

    // Pointing at a member line shows that person in the panel.
    auto* sortie = Find<C_TaskLocateUnitSortie>(206);
    const SortieRowRect& line = list->m_vLine.at(4 + 1);  // troop card, position 1
    Move(line.x + 20, line.y + 5);
    Frames(1);
    EXPECT_EQ(sortie->m_ShownPerson.typeID, 12);
    EXPECT_EQ(sortie->m_ParamPanel.GetText(CPersonParamPanel::kMove), "5/歩行");

    // Remove it: "いいえ" keeps it, "はい" gives back exactly its cost.
    ClickButton(list, 1);
    Answer(207, false);
    EXPECT_EQ(a.m_vTroop.size(), 1u);
    EXPECT_EQ(driver_->m_nSortieCost, 17);
    Frames(2);
    ClickButton(list, 1);
    Answer(207, true);
    EXPECT_TRUE(a.m_vTroop.empty());
    EXPECT_EQ(driver_->m_nSortieCost, 10);

    // Right clicks go back to the positions, then to the hub, ending the lists.
    Frames(2);
    RightClick(600, 20);
    EXPECT_TRUE(sortie->IsActive());
    RightClick(600, 20);
    EXPECT_EQ(Find<C_TaskLocateUnitSortie>(206), nullptr);
    EXPECT_EQ(Find<C_TaskLocateUnitSortiedList2>(207), nullptr);
    EXPECT_EQ(Find<C_TaskLocateUnitCreatedTroopS>(208), nullptr);
    Frames(2);
    EXPECT_TRUE(Main()->IsActive());
}

TEST_F(SortieWindows, HeroesObeyTheBanTheLimitAndTheBudget) {
    info_->m_vBannedHero.push_back(4);
    info_->m_MapData.m_nMaxHero = 2;
    Start();
    auto* list = OpenPosition(1);
    ASSERT_NE(list, nullptr);
    Frames(2);
    ClickCard(list, 0, 12);  // left column: the formation list opens at x 395
    auto* troop = Find<C_TaskLocateUnitCreatedTroopS>(208);
    ASSERT_NE(troop, nullptr);
    EXPECT_EQ(troop->m_nWinX, 395);
    EXPECT_TRUE(troop->m_vItem.at(1).m_bEnabled);
    EXPECT_TRUE(troop->m_vItem.at(2).m_bEnabled);
    EXPECT_FALSE(troop->m_vItem.at(3).m_bEnabled);  // banned on this map
    ClickRow(troop, 1);  // セラ forms a unit alone
    EXPECT_EQ(party_.m_Heros[1].m_nPlaced, 1);
    EXPECT_EQ(driver_->m_nSortieCost, 18);
    Frames(1);  // the hub's roster shows her at B
    EXPECT_NE(Main()->m_HeroListText.GetText().find("セラ        -B Lv 1"), std::string::npos);
    Frames(2);
    ASSERT_TRUE(list->IsActive());
    ClickCard(list, 1, 12);
    EXPECT_FALSE(troop->m_vItem.at(2).m_bEnabled);  // two heroes: the limit
    RightClick(600, 20);  // nothing picked: closes
    Frames(2);
    // Removing セラ frees her and the limit.
    ClickButton(list, 0);
    Answer(207, true);
    EXPECT_EQ(party_.m_Heros[1].m_nPlaced, -1);
    EXPECT_EQ(driver_->m_nSortieCost, 10);

    // A budget of 11: no hero fits, only the cheapest soldier.
    info_->m_MapData.m_nLocateCost = 12;
    Frames(2);
    ClickCard(list, 0, 12);
    EXPECT_FALSE(troop->m_vItem.at(1).m_bEnabled);
    EXPECT_TRUE(troop->m_vItem.at(4).m_bEnabled);   // 剣兵 costs 2
    EXPECT_FALSE(troop->m_vItem.at(5).m_bEnabled);  // 弓兵 costs 3
}

TEST_F(SortieWindows, EightCardsLeaveNoRoomForANewUnit) {
    SortieTroopEntry t;
    t.nTypeID = {10};
    t.nLV = {1};
    t.bForward = {true};
    for (int i = 0; i < 8; ++i) info_->m_MapData.m_vnSortiePos[2].m_vTroop.push_back(t);
    Start();
    auto* list = OpenPosition(2);
    ASSERT_NE(list, nullptr);
    Frames(2);
    EXPECT_EQ(list->CardCount(), 8);
    EXPECT_FALSE(list->m_bExtraIsNew);
    // A ninth unit (from a save) is not drawn beyond the window, and says so.
    info_->m_MapData.m_vnSortiePos[2].m_vTroop.push_back(t);
    list->m_bRedraw = true;
    Frames(1);
    EXPECT_EQ(list->CardCount(), 8);
    for (const SortieRowRect& c : list->m_vCard) EXPECT_LE(c.y + c.height, list->m_nWinY + list->m_nWinHeight);
}

TEST_F(SortieWindows, StrengtheningPaysRaisesAndSpreadsTheNewLevel) {
    SortieTroopEntry t;
    t.nTypeID = {10, 12};
    t.nLV = {1, 1};
    t.bForward = {true, true};
    info_->m_MapData.m_vnSortiePos[1].m_vTroop.push_back(t);
    party_.m_CreatedTroop.push_back(CreatedTroopEntry{{10, 11}, {true, false}, {1, 1}});
    Start();
    ClickRow(Main(), 1, 27);
    auto* lvup = Find<C_TaskLocateUnitLVUP>(206);
    ASSERT_NE(lvup, nullptr);
    ASSERT_EQ(lvup->GetItemCount(), 6);  // four heroes, 歩兵隊, 弓兵隊
    EXPECT_TRUE(lvup->m_vItem.at(0).m_bEnabled);
    EXPECT_NE(lvup->m_vItem.at(0).m_strText.find("300"), std::string::npos) << lvup->m_vItem.at(0).m_strText;

    ClickRow(lvup, 0, 3);  // Leon: the preview at levels 1 and 2
    auto* preview = Find<C_TaskLocateUnitLVUPStatus>(208);
    ASSERT_TRUE(preview->IsActive());
    EXPECT_EQ(preview->m_nSelected, 0);
    EXPECT_EQ(preview->m_Panel[1].GetText(CPersonParamPanel::kName), "レオン");
    EXPECT_TRUE(Matches("preview", 0, 0, 640, 392));  // above the help line
    RightClick(600, 470, 2);  // leaving the preview asks
    ASSERT_NE(Find<C_TaskLocateUnitMenuYesNo>(207), nullptr);
    EXPECT_NE(Find<C_TaskLocateUnitLVUP>(206), nullptr);  // the list did not take the click
    Answer(207, true);
    EXPECT_EQ(party_.nMoney, 700);
    EXPECT_EQ(party_.m_Heros[0].m_LV, 2);
    EXPECT_EQ(info_->m_MapData.m_vnSortiePos[0].m_vHero[0].nLV, 2);
    Frames(1);
    EXPECT_NE(Main()->m_HeroListText.GetText().find("レオン      *A Lv 2"), std::string::npos);

    // 歩兵隊 (剣兵, 槍兵, 騎兵): "いいえ" changes nothing, "はい" raises its soldiers.
    Frames(3);
    ClickRow(lvup, 4, 3);
    EXPECT_EQ(preview->GetItemCount(), 1);  // only 剣兵 is unlocked at level 1
    RightClick(600, 470, 2);
    Answer(207, false);
    EXPECT_EQ(party_.nMoney, 700);
    Frames(3);
    ClickRow(lvup, 4, 3);
    RightClick(600, 470, 2);
    Answer(207, true);
    EXPECT_EQ(party_.nMoney, 600);
    EXPECT_EQ(party_.m_Troops.GetEntry(0).nLV, 2);
    EXPECT_EQ(info_->m_MapData.m_vnSortiePos[1].m_vTroop[0].nLV, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(party_.m_CreatedTroop[0].nLV, (std::vector<int32_t>{2, 2}));

    // Funds exactly at the price: the row can be chosen and the funds end at 0.
    party_.nMoney = sortie::LevelUpCost(2, 1);
    lvup->m_bRebuild = true;
    Frames(3);
    EXPECT_TRUE(lvup->m_vItem.at(1).m_bEnabled);
    EXPECT_FALSE(lvup->m_vItem.at(2).m_bEnabled);
    ClickRow(lvup, 1, 3);
    RightClick(600, 470, 2);
    Answer(207, true);
    EXPECT_EQ(party_.nMoney, 0);
    EXPECT_EQ(party_.m_Heros[1].m_LV, 2);
    // A level-up that the funds no longer cover does nothing.
    lvup->m_nSelected = 2;
    lvup->DoLevelUp(info_.get());
    EXPECT_EQ(party_.nMoney, 0);
    EXPECT_EQ(party_.m_Heros[2].m_LV, 2);

    Frames(3);
    RightClick(600, 470);
    EXPECT_EQ(Find<C_TaskLocateUnitLVUP>(206), nullptr);
    EXPECT_EQ(Find<C_TaskLocateUnitLVUPStatus>(208), nullptr);
}

TEST_F(SortieWindows, TooFewHeroesAlertsAndAConfirmedStartHandsOverTheTurn) {
    info_->m_MapData.m_nMinHero = 2;
    Start();
    ClickRow(Main(), 4, 12);
    auto* alert = Find<C_TaskLocateUnitMenuAlert>(206);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->m_vItem[0].m_strText, "出撃する英雄数が足りません");
    EXPECT_FALSE(Main()->IsActive());
    ClickRow(alert, 0);  // the message itself is no answer
    EXPECT_NE(Find<C_TaskLocateUnitMenuAlert>(206), nullptr);
    RightClick(600, 470);  // beside "ＯＫ": nothing
    EXPECT_NE(Find<C_TaskLocateUnitMenuAlert>(206), nullptr);
    ClickRow(alert, 1);
    EXPECT_EQ(Find<C_TaskLocateUnitMenuAlert>(206), nullptr);
    EXPECT_TRUE(Main()->IsActive());

    info_->m_MapData.m_nMinHero = 1;
    ClickRow(Main(), 4, 12);
    auto* box = Find<C_TaskLocateUnitMenuYesNo>(206);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->m_vItem[0].m_strText, "出撃ユニット数は、英雄:1、兵士：0です。\r\nターン開始しますか？");
    ClickRow(box, 1, 0);
    EXPECT_TRUE(Main()->m_bStartTurn);
    Frames(2);
    EXPECT_EQ(Main(), nullptr);
    EXPECT_EQ(Find<C_TaskLocateUnit>(201), nullptr);  // the driver handed over and ended
    EXPECT_FALSE(info_->IsInterMission);
    EXPECT_EQ(party_.m_mapUsedPerson[1], 1);
}

TEST_F(SortieWindows, WithoutPreparationTheTurnStartsAtOnce) {
    party_.toInterMission = false;
    Start(false, 1);
    EXPECT_EQ(Find<C_TaskLocateUnit>(201), nullptr);
    EXPECT_EQ(Main(), nullptr);
}

TEST_F(SortieWindows, TheSaveWritesOnlyAChosenSlotAndLoadsBackIntoThePreparation) {
    // The field on its map (the grid resets the mission's points and limits): a
    // record whose units stand off its grid is refused on loading.
    ASSERT_TRUE(info_->m_MapData.LoadMapCsv(2));
    info_->m_MapData.num_map = 4;
    info_->m_MapData.AddSortiePosition(1, 12);
    info_->m_MapData.AddSortiePosition(2, 13);
    info_->m_MapData.AddSortiePosition(3, 11);
    info_->m_MapData.m_nMaxHero = 3;
    info_->m_MapData.m_nMinHero = 1;
    info_->m_MapData.m_nLocateCost = 1200;
    Start();
    ClickRow(Main(), 3, 0);
    auto* save = Find<C_TaskLocateUnitSave>(206);
    ASSERT_NE(save, nullptr);
    // Not yet active: whatever the pointer does, nothing is chosen.
    EXPECT_EQ(save->m_nLastResult, -1);
    Frames(3);
    const RECT row = save->m_ArchiveWindow.m_rcRow[2];
    Click((row.left + row.right) / 2, (row.top + row.bottom) / 2, 0);
    EXPECT_EQ(Find<C_TaskLocateUnitSave>(206), nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir_.path() + "Save2.dat"));
    Frames(2);
    EXPECT_TRUE(Main()->IsActive());

    // The load: the field state from the save, the chapter's positions added again.
    CArchiveManager::CreateInstance();
    ASSERT_TRUE(CArchiveManager::GetInstance()->Load(2));
    EXPECT_EQ(CArchiveManager::GetInstance()->GetString(SaveFileTypeKey, false), IntermissionSave);
    tc_.KillTaskRange(0, 1000);
    info_ = std::make_unique<C_FieldTaskInfo>();
    info_->m_pTaskController = &tc_;
    info_->m_pPartyData = &party_;
    info_->SetInputManager(&in_);
    ASSERT_EQ(info_->RestoreFromArchiveManager(*CArchiveManager::GetInstance()), 1) << Log();
    ASSERT_EQ(info_->m_MapData.GetSortiePositionCount(), 3);
    info_->m_MapData.AddSortiePosition(1, 12);
    info_->m_MapData.AddSortiePosition(2, 13);
    info_->m_MapData.AddSortiePosition(3, 11);
    Start(true);
    EXPECT_EQ(info_->m_MapData.GetSortiePositionCount(), 3);
    EXPECT_EQ(info_->m_MapData.m_vnSortiePos[0].m_vHero.size(), 1u);
    EXPECT_EQ(driver_->m_nSortieCost, 10);
    EXPECT_NE(Main(), nullptr);
}

TEST_F(SortieWindows, CancellingTheSaveWindowWritesNothing) {
    Start();
    ClickRow(Main(), 3, 3);
    RightClick(320, 240, 3);
    EXPECT_EQ(Find<C_TaskLocateUnitSave>(206), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() + "Save0.dat"));
    Frames(2);
    EXPECT_TRUE(Main()->IsActive());
}

}  // namespace
