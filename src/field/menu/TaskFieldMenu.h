#pragma once
// The field menu, opened by a right click during the player's phase: a toggle
// between the two information windows, saving the field and ending the turn.  Beside
// it stands the operation information or the terrain window of the cell that was
// under the pointer when the menu opened.
#include <cstdint>
#include <string>

#include "Draw/gvlD3DTextDraw.h"
#include "menu/TaskMenuBase.h"

class CMapData;

// The terrain window: name, height and the move cost and defence values of both
// movement classes of one cell, with the cell's chip pictures.
class CMapchipWindow : public CD3DDrawTexture {
public:
    // A cell outside the map shows an empty window.
    CMapchipWindow(const CMapData* map, int x, int y);
    ~CMapchipWindow() override = default;

    void Draw(int x, int y, C_FieldTaskInfo* info);

    CD3DTextDraw m_NameText;
    CD3DTextDraw m_HeightText;
    CD3DTextDraw m_ClassText[2];
    int32_t m_nUpperChip = 0;
    int32_t m_nUnderChip = -1;  // -1: no cell, nothing drawn
};

class C_TaskFieldMenu : public C_TaskMenuBase {
public:
    explicit C_TaskFieldMenu(C_FieldTaskInfo* info);
    ~C_TaskFieldMenu() override = default;

    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    void DrawOperationInfo(CD3DTextDraw& text, int x, int y);

    CD3DTextDraw m_OperationText;
    CMapchipWindow m_MapchipWindow;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

// Which window the field menu shows: 0 the operation information, 1 the terrain
// window.  1 when the program starts; kept for the rest of the run.
extern int g_nFieldInfoView;

// The operation lines stored under key 1 of the map, each ended by "\r\n", at font
// height 13, line height 15, rendered.
void MakeOperationInfoText(CD3DTextDraw& text, const CMapData* map);
// The text right-aligned in 6 characters (a longer text unchanged).
std::string FormatRight6(const std::string& text);
// A defence value as the terrain window writes it: "+0", "+20", "-3".
std::string FormatSignedValue(int value);
// The three lines of one movement class: move cost ("--" when impassable), d_guard
// and i_guard, each through FormatRight6, joined by "\r\n".
std::string MakeTerrainClassText(const CMapData* map, int terrain, int moveClass);
// The height word of a terrain height: 0 "無", 1 "中", 2 and more "高".
std::string GetHeightWord(int height);
