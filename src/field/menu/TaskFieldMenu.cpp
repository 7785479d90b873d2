// The field menu and the terrain window.
#include "menu/TaskFieldMenu.h"

#include <vector>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "log/ErrorLog.h"
#include "map/MapData.h"
#include "menu/MenuChips.h"
#include "resources/GlobalResources.h"
#include "task/TaskController.h"

#include "turn/TaskFieldSave.h"
#include "turn/TaskSelectUnit.h"
#include "turn/TaskTurn.h"

int g_nFieldInfoView = 1;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

void AddTask(C_FieldTaskInfo* info, C_TaskBase* task, int priority) {
    if (info && info->m_pTaskController)
        info->m_pTaskController->AddTask(task, priority);
    else
        delete task;
}

}  // namespace

// ---- texts ---------------------------------------------------------------------------------------

std::string FormatRight6(const std::string& text) {
    if (text.size() >= 6) return text;
    return std::string(6 - text.size(), ' ') + text;
}

std::string FormatSignedValue(int value) { return value < 0 ? std::to_string(value) : "+" + std::to_string(value); }

std::string MakeTerrainClassText(const CMapData* map, int terrain, int moveClass) {
    const CFieldDataTable& table = map->GetFieldData();
    const int cost = table.GetMoveCost(terrain, moveClass);
    std::string text = FormatRight6(cost >= kImpassableCost ? std::string("--") : std::to_string(cost));
    text += "\r\n" + FormatRight6(FormatSignedValue(table.GetDGuard(terrain, moveClass)));
    text += "\r\n" + FormatRight6(FormatSignedValue(table.GetIGuard(terrain, moveClass)));
    return text;
}

std::string GetHeightWord(int height) {
    static const char* const kWords[4] = {"無", "中", "高", "高"};
    if (height < 0 || height > 3) {
        g_ErrorLog.Printf("地形の高さ %d は高さの表にありません。", height);
        return height < 0 ? kWords[0] : kWords[3];
    }
    return kWords[height];
}

void MakeOperationInfoText(CD3DTextDraw& text, const CMapData* map) {
    std::vector<std::string> lines;
    if (map) map->GetOperationMessage(1, lines);
    std::string joined;
    for (const std::string& line : lines) joined += line + "\r\n";
    text.SetText(joined, 13, kWhite);
    text.SetLineHeight(15);
    text.Render();
}

// ---- terrain window ------------------------------------------------------------------------------

CMapchipWindow::CMapchipWindow(const CMapData* map, int x, int y) : CD3DDrawTexture("graphics/MapchipWindow.png") {
    // The pointer may have been over no cell when the menu opened: the window stays empty.
    if (!map || !map->IsValidCell(x, y)) return;
    m_NameText.SetText(map->GetTerrainName(x, y), 12, kWhite);
    m_NameText.Render();
    const int terrain = map->GetChipType(x, y);
    for (int m = 0; m < 2; ++m) {
        m_ClassText[m].SetText(MakeTerrainClassText(map, terrain, m), 12, kWhite);
        m_ClassText[m].SetLineHeight(26);
        m_ClassText[m].Render();
    }
    m_HeightText.SetText(GetHeightWord(map->GetTileHeight(x, y)), 12, kWhite);
    m_HeightText.Render();
    m_nUpperChip = map->GetChipUpper(x, y);
    m_nUnderChip = map->GetChipUnder(x, y);
}

void CMapchipWindow::Draw(int x, int y, C_FieldTaskInfo* info) {
    CD3DDrawTexture::Draw(x, y, 255);
    if (m_nUnderChip < 0) return;
    auto text = [](CD3DTextDraw& t, int tx, int ty) {
        if (t.GetRenderTarget().GetTexture()) t.GetRenderTarget().Draw(tx, ty, 255);
    };
    text(m_NameText, x + 25, y + 29);
    text(m_ClassText[0], x + 123, y + 149);
    text(m_ClassText[1], x + 187, y + 149);
    text(m_HeightText, x + 80, y + 87);
    DrawLowerChip(info, m_nUnderChip, x + 129, y + 20);
    if (m_nUpperChip > 0) DrawUpperChip(info, m_nUpperChip, x + 129, y - 8);
}

// ---- menu ----------------------------------------------------------------------------------------

C_TaskFieldMenu::C_TaskFieldMenu(C_FieldTaskInfo* info)
    : m_MapchipWindow(info ? &info->m_MapData : nullptr, info ? info->m_nHoverX : -1, info ? info->m_nHoverY : -1) {
    MakeOperationInfoText(m_OperationText, info ? &info->m_MapData : nullptr);
    m_ItemText[0].SetText(g_nFieldInfoView == 0 ? "地形情報表示" : "作戦情報表示", 14, kWhite);
    m_ItemText[1].SetText("セーブ", 14, kWhite);
    m_ItemText[2].SetText("ターン終了", 14, kWhite);
    m_nItemNum = 3;
    m_nX = 40;
    m_nY = 40;
    m_nWidth = 150;
    m_nHeight = 90;
    m_nItemWidth = 174;
    m_nLineHeight = 20;
    m_nOpenFrames = 10;
    m_bTextDirty = true;
}

void C_TaskFieldMenu::Update(C_FieldTaskInfo* info) {
    UpdateCursor(info);
    if (!IsStarted()) return;
    IInputManager* input = InputOf(info);
    if (!input) return;
    if (input->IsLButtonPush()) {
        switch (m_nCursor) {
        case 0:
            g_nFieldInfoView = (g_nFieldInfoView + 1) % 2;
            m_bTextDirty = true;
            break;
        case 1:
            AddTask(info, new C_TaskFieldSave(), 230);
            KillSelf(info);
            break;
        case 2:
            AddTask(info, new C_TaskEndTurn(info), 102);
            KillSelf(info);
            break;
        default:
            break;
        }
    } else if (input->IsRButtonPush()) {
        AddTask(info, new C_TaskSelectUnit(info), 104);
        KillSelf(info);
    }
}

void C_TaskFieldMenu::Draw(C_FieldTaskInfo* info) {
    if (m_bTextDirty) m_ItemText[0].SetText(g_nFieldInfoView == 0 ? "地形情報表示" : "作戦情報表示", 14, kWhite);
    C_TaskMenuBase::Draw(info);
    if (!IsStarted()) return;
    if (g_nFieldInfoView == 0)
        DrawOperationInfo(m_OperationText, 220, 30);
    else
        m_MapchipWindow.Draw(350, 30, info);
}

void C_TaskFieldMenu::DrawOperationInfo(CD3DTextDraw& text, int x, int y) {
    g_GlobalResources.DrawWindow(x, y, 390, 200, 0, 0x95000000);
    CD3DRTSquare& rt = text.GetRenderTarget();
    if (!text.GetText().empty() && rt.GetTexture()) rt.Draw(x + 10, y + 10, 255);
}
