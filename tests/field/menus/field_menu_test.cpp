// The field menu: the remembered view, the items' clicks and the terrain window's texts.
#include <gtest/gtest.h>

#include "log/ErrorLog.h"
#include "menu/TaskFieldMenu.h"
#include "menu_fixture.h"

namespace {

using menutest::MenuField;

class FieldMenuTest : public MenuField {
protected:
    C_TaskFieldMenu* Open() {
        auto* menu = new C_TaskFieldMenu(f.get());
        tasks.AddTask(menu, 22);
        Move(0, 0);
        Frames(10);
        return menu;
    }
    // Item i's middle: the area starts at (40, 40), items 20 apart.
    static int ItemY(int i) { return 40 + 10 + 20 * i + 10; }
};

TEST_F(FieldMenuTest, TheViewIsRememberedBetweenOpenings) {
    g_nFieldInfoView = 1;  // as at the program's start
    C_TaskFieldMenu* menu = Open();
    EXPECT_EQ(menu->m_ItemText[0].GetText(), "作戦情報表示");
    Left(60, ItemY(0));
    EXPECT_EQ(g_nFieldInfoView, 0);
    EXPECT_TRUE(Has(22)) << "the toggle keeps the menu open";
    EXPECT_TRUE(menu->m_bTextDirty);
    menu->Draw(f.get());
    EXPECT_EQ(menu->m_ItemText[0].GetText(), "地形情報表示");
    Right();
    EXPECT_FALSE(Has(22));
    menu = Open();
    EXPECT_EQ(menu->m_ItemText[0].GetText(), "地形情報表示");
    g_nFieldInfoView = 1;
}

TEST_F(FieldMenuTest, EachItemHandsOverToItsTask) {
    struct Case {
        int item;
        int priority;  // of the task the click starts
        const char* name;
    };
    const Case cases[] = {{1, 230, "C_TaskFieldSave"}, {2, 102, "C_TaskEndTurn"}, {-1, 104, "C_TaskSelectUnit"}};
    for (const Case& c : cases) {
        Open();
        if (c.item < 0)
            Right();
        else
            Left(60, ItemY(c.item));
        EXPECT_FALSE(Has(22)) << c.name;
        EXPECT_TRUE(Has(c.priority)) << c.name;
        tasks.KillTaskRange(-1000, 100000);
    }
}

TEST_F(FieldMenuTest, ClicksBesideTheItemsDoNothing) {
    Open();
    Left(300, 300);
    Left(60, ItemY(3));
    EXPECT_TRUE(Has(22));
}

TEST_F(FieldMenuTest, ClicksWhileOpeningAreIgnored) {
    auto* menu = new C_TaskFieldMenu(f.get());
    tasks.AddTask(menu, 22);
    for (int i = 0; i < 9; ++i) Left(60, ItemY(2));
    EXPECT_TRUE(Has(22));
    Left(60, ItemY(2));
    EXPECT_FALSE(Has(22));
}

TEST(FieldMenuTexts, RightAlignedInSixAndSigned) {
    EXPECT_EQ(FormatRight6("--"), "    --");
    EXPECT_EQ(FormatRight6("123456"), "123456");
    EXPECT_EQ(FormatRight6("1234567"), "1234567");
    EXPECT_EQ(FormatRight6(FormatSignedValue(0)), "    +0");
    EXPECT_EQ(FormatRight6(FormatSignedValue(-3)), "    -3");
    EXPECT_EQ(FormatRight6(FormatSignedValue(20)), "   +20");
    EXPECT_EQ(GetHeightWord(0), "無");
    EXPECT_EQ(GetHeightWord(1), "中");
    EXPECT_EQ(GetHeightWord(2), "高");
    EXPECT_EQ(GetHeightWord(3), "高");
    EXPECT_EQ(GetHeightWord(7), "高");
    EXPECT_NE(g_ErrorLog.GetLastText().find("7"), std::string::npos);
}

TEST_F(FieldMenuTest, TerrainWindowOfTheHoveredCell) {
    // Terrain 3 (marsh): foot cannot enter, horse 2; height 0; no defence.
    SetTerrain(rulestest::kHill, 2, 99, 3, -3, 0);
    Map({"..h.", "....", "....", "...."});
    f->m_MapData.GetChipTable().m_mapUnder[rulestest::kHill] = 5;
    f->m_MapData.GetChipTable().m_mapUpper[rulestest::kHill] = 0;
    CMapchipWindow hill(&f->m_MapData, 2, 0);
    EXPECT_EQ(hill.m_NameText.GetText(), "hill");
    EXPECT_EQ(hill.m_ClassText[0].GetText(), "     2\r\n    -3\r\n    +0");
    EXPECT_EQ(hill.m_ClassText[1].GetText(), "    --\r\n    -3\r\n    +0");
    EXPECT_EQ(hill.m_HeightText.GetText(), "高");
    EXPECT_EQ(hill.m_nUnderChip, 5);
    EXPECT_EQ(hill.m_nUpperChip, 0);
    // No cell under the pointer: an empty window, nothing read outside the map.
    CMapchipWindow none(&f->m_MapData, -1, -1);
    EXPECT_EQ(none.m_nUnderChip, -1);
    EXPECT_TRUE(none.m_NameText.GetText().empty());
    none.Draw(350, 30, f.get());
}

TEST_F(FieldMenuTest, OperationInformationIsTheFirstKeysLines) {
    CD3DTextDraw text;
    MakeOperationInfoText(text, &f->m_MapData);
    EXPECT_EQ(text.GetText(), "");
    f->m_MapData.AddOperationMessage(2, {"別の鍵"});
    MakeOperationInfoText(text, &f->m_MapData);
    EXPECT_EQ(text.GetText(), "");
    f->m_MapData.AddOperationMessage(1, {"敵将を倒せ", "城を守れ"});
    MakeOperationInfoText(text, &f->m_MapData);
    EXPECT_EQ(text.GetText(), "敵将を倒せ\r\n城を守れ\r\n");
    EXPECT_EQ(text.GetLineHeight(), 15);
    EXPECT_EQ(text.GetFontHeight(), 13);
}

}  // namespace
