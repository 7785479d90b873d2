// The move-unit menu.
#include "menu/MoveUnitMenu.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "menu/MenuChips.h"
#include "resources/GlobalResources.h"
#include "util/GameUtil.h"

namespace {

constexpr uint16_t kSleep = 1;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Parts of the menu image (right and bottom exclusive).
constexpr RECT kSidePanel{0, 0, 164, 322};
constexpr RECT kMiddlePanel{164, 0, 443, 249};
constexpr RECT kPlacePlate{0, 322, 155, 387};
constexpr RECT kLeftLabel{0, 387, 63, 410};
constexpr RECT kRightLabelEmpty{0, 410, 63, 433};
constexpr RECT kRightLabelUnit{0, 433, 63, 456};

}  // namespace

// ---- row -----------------------------------------------------------------------------------------

void MoveMenuRow::SetTexts(C_FieldTaskInfo* info) {
    if (!info || !info->m_PersonList.IsValidIndex(m_nPerson)) return;
    const PersonRecord& p = info->m_PersonList.GetPerson(m_nPerson);
    char buf[32];
    m_NameText.SetText(info->m_PersonList.GetShortName(m_nPerson), 11, kWhite);
    m_NameText.Render();
    std::snprintf(buf, sizeof buf, "%4d/%4d", p.nHP, p.nMaxHP);
    m_HPText.SetText(buf, 12, kWhite);
    m_HPText.Render();
    std::snprintf(buf, sizeof buf, "%3d", p.nMP);
    m_MPText.SetText(buf, 12, kWhite);
    m_MPText.Render();
    // A person without maximum HP shows an empty bar rather than dividing by zero.
    m_nBar = p.nMaxHP > 0 ? int(std::clamp<int64_t>(int64_t(p.nHP) * 93 / p.nMaxHP, 0, 93)) : 0;
}

void MoveMenuRow::Draw(CD3DDrawTexture& image, int x, int y, bool withTexts) {
    image.Draw(x, y, 255, &kPlacePlate);
    auto text = [](CD3DTextDraw& t, int tx, int ty) {
        if (t.GetRenderTarget().GetTexture()) t.GetRenderTarget().Draw(tx, ty, 255);
    };
    if (withTexts) {
        text(m_NameText, x + 20, y + 6);
        text(m_HPText, x + 88, y + 21);
        text(m_MPText, x + 66, y + 44);
    }
    if (m_nBar < 93) DrawMenuQuad(m_BarCover, x + 52 + m_nBar, y + 34, 93 - m_nBar, 5, 0xFF000000);
}

// ---- menu ----------------------------------------------------------------------------------------

C_TaskMoveUnitMenu::C_TaskMoveUnitMenu(const C_TaskReply<int32_t>& result, C_FieldTaskInfo* info, int unit,
                                       int targetX, int targetY, const bool reach[4], const C_TaskReply<bool[4]>& moved,
                                       const C_TaskReply<int32_t[kPlaces]>& layout)
    : m_MenuImage("graphics\\MoveMenu.png"),
      m_Result(result),
      m_Moved(moved),
      m_nUnit(unit),
      m_nTargetX(targetX),
      m_nTargetY(targetY),
      m_Layout(layout) {
    m_Result.Start(0);
    m_nX = 15;
    m_nY = 45;
    m_nOpenFrames = 12;
    m_nItemNum = 10;
    m_nCursor = -1;
    m_Layout.Start({-1, -1, -1, -1, -1, -1, -1, -1});
    if (info) {
        CUnitList& units = info->m_UnitList;
        m_nTargetUnit = units.FindUnitAt(targetX, targetY);
        if (m_nTargetUnit == unit) m_nTargetUnit = -1;
        const int count = units.IsValidUnit(unit) ? std::min(units.GetMemberCount(unit), 4) : 0;
        for (int k = 0; k < count; ++k) {
            const int p = units.GetSlotPosition(unit, k);
            if (p < 0 || p > 3) continue;
            // An asleep member stays with its unit: it starts on the left and cannot cross.
            const bool asleep = (units.GetMemberPerson(unit, k).nCondition & kSleep) != 0;
            const bool canGo = reach && reach[k] && !asleep;
            const int place = m_nTargetUnit != -1 || !canGo ? p : 4 + p;
            m_pRow[place] = std::make_unique<MoveMenuRow>(units.GetMember(unit, k), canGo);
        }
        if (m_nTargetUnit != -1) {
            const int others = std::min(units.GetMemberCount(m_nTargetUnit), 4);
            for (int k = 0; k < others; ++k) {
                const int p = units.GetSlotPosition(m_nTargetUnit, k);
                if (p < 0 || p > 3) continue;
                m_pRow[4 + p] = std::make_unique<MoveMenuRow>(units.GetMember(m_nTargetUnit, k), false);
            }
        }
    }
    Compact(0);
    Compact(4);
    for (auto& row : m_pRow)
        if (!row) row = std::make_unique<MoveMenuRow>(-1, true);
    for (int i = 0; i < kPlaces; ++i) {
        const int l = m_nX + 5 + 443 * (i / 4), t = m_nY + 28 + 161 * ((i / 2) % 2) + 65 * (i % 2);
        m_rcPlace[i] = gfx::Rect{l, t, l + 153, t + 63};
    }
    m_rcPlace[kMoveButton] = gfx::Rect{m_nX + 203, m_nY + 213, m_nX + 277, m_nY + 233};
    m_rcPlace[kCancelButton] = gfx::Rect{m_nX + 326, m_nY + 213, m_nX + 400, m_nY + 233};
    m_bTextDirty = true;
    m_nHold = -1;
}

void C_TaskMoveUnitMenu::Compact(int a) {
    auto empty = [&](int i) { return !m_pRow[i] || m_pRow[i]->IsEmpty(); };
    if (empty(a + 2)) std::swap(m_pRow[a + 2], m_pRow[a + 3]);
    if (empty(a)) {
        if (!empty(a + 1)) {
            std::swap(m_pRow[a], m_pRow[a + 1]);
        } else {
            std::swap(m_pRow[a], m_pRow[a + 2]);
            std::swap(m_pRow[a + 2], m_pRow[a + 3]);
        }
    }
}

bool C_TaskMoveUnitMenu::SwapPlaces(C_FieldTaskInfo*) {
    const int c = m_nCursor, h = m_nHold;
    if (c < 0 || c >= kPlaces || h < 0 || h >= kPlaces) return false;
    if (c / 4 != h / 4 && (!IsPlaceMovable(c) || !IsPlaceMovable(h))) return false;
    std::swap(m_pRow[c], m_pRow[h]);
    Compact(0);
    Compact(4);
    m_nHold = -1;
    m_bTextDirty = true;
    return true;
}

int C_TaskMoveUnitMenu::HitTest(int px, int py) const {
    int hit = -1;
    for (int i = 0; i < 10; ++i)
        if (RectContainsPoint(m_rcPlace[i], px, py)) hit = i;
    return hit;
}

C_TaskMoveUnitMenu::~C_TaskMoveUnitMenu() { m_Result.SetUnlessAnswered(-1); }

void C_TaskMoveUnitMenu::Finish(C_FieldTaskInfo* info, int result) {
    m_Result.Set(result);
    KillSelf(info);
}

void C_TaskMoveUnitMenu::Update(C_FieldTaskInfo* info) {
    IInputManager* input = InputOf(info);
    if (!input || !info) return;
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        return;
    }
    m_nCursor = HitTest(input->GetX(), input->GetY());
    if (m_nCursor == -1) m_Instruct.SetText("移動させたいキャラを右に、/動かさないキャラを左に配置してください。");
    else if (m_nCursor == kMoveButton) m_Instruct.SetText("ユニットの移動を行います。");
    else if (m_nCursor == kCancelButton) m_Instruct.SetText("移動をキャンセルします。");
    if (input->IsLButtonPush() && m_nCursor != -1) {
        if (m_nCursor == kMoveButton) {
            CUnitList& units = info->m_UnitList;
            bool any = false;
            bool moved[4] = {false, false, false, false};
            const int count = units.IsValidUnit(m_nUnit) ? std::min(units.GetMemberCount(m_nUnit), 4) : 0;
            for (int i = 4; i < kPlaces; ++i) {
                if (!IsPlaceMovable(i) || GetPlacePerson(i) < 0) continue;
                for (int k = 0; k < count; ++k)
                    if (units.GetMember(m_nUnit, k) == GetPlacePerson(i)) moved[k] = any = true;
            }
            if (!any) return;
            int32_t layout[kPlaces];
            for (int i = 0; i < kPlaces; ++i) layout[i] = GetPlacePerson(i);
            m_Moved.Set(moved);
            m_Layout.Set(layout);
            Finish(info, 1);
        } else if (m_nCursor == kCancelButton) {
            Finish(info, -1);
        } else if (m_nHold == -1) {
            m_nHold = m_nCursor;
        } else if (m_nHold == m_nCursor) {
            m_nHold = -1;
        } else {
            SwapPlaces(info);
        }
    } else if (input->IsRButtonPush()) {
        if (m_nHold != -1)
            m_nHold = -1;
        else
            Finish(info, -1);
    }
}

void C_TaskMoveUnitMenu::Draw(C_FieldTaskInfo* info) {
    if (!info) return;
    if (m_bTextDirty) {
        for (int i = 0; i < kPlaces; ++i) {
            const int person = GetPlacePerson(i);
            if (person < 0 || !info->m_PersonList.IsValidIndex(person)) continue;
            m_pRow[i]->SetTexts(info);
            m_Plate[i].Set(info->m_PersonList.GetPerson(person), m_rcPlace[i].left, m_rcPlace[i].top, 255);
        }
        m_bTextDirty = false;
    }
    DrawOpening(m_MenuImage, m_nX, m_nY, 164, 322, 4, 4, &kSidePanel);
    DrawOpening(m_MenuImage, m_nX + 164, m_nY, 279, 249, 4, 4, &kMiddlePanel);
    DrawOpening(m_MenuImage, m_nX + 443, m_nY, 164, 322, 4, 4, &kSidePanel);
    m_MenuImage.Draw(m_nX + 51, m_nY - 24, 255, &kLeftLabel);
    m_MenuImage.Draw(m_nX + 494, m_nY - 24, 255, m_nTargetUnit != -1 ? &kRightLabelUnit : &kRightLabelEmpty);
    if (!IsStarted()) return;
    for (int i = 0; i < kPlaces; ++i) {
        if (GetPlacePerson(i) < 0) continue;
        // The unit plate laid over the row carries the name, HP and MP itself: the
        // row's own texts would show through it beside the plate's.
        m_pRow[i]->Draw(m_MenuImage, m_rcPlace[i].left, m_rcPlace[i].top, false);
        g_GlobalResources.DrawUnitPlate(m_Plate[i], false);
    }
    CUnitList& units = info->m_UnitList;
    if (units.IsValidUnit(m_nUnit) && info->m_MapData.IsValidCell(units.GetX(m_nUnit), units.GetY(m_nUnit)))
        DrawLowerChip(info, info->m_MapData.GetChipUnder(units.GetX(m_nUnit), units.GetY(m_nUnit)), m_nX + 172,
                      m_nY + 90);
    if (info->m_MapData.IsValidCell(m_nTargetX, m_nTargetY))
        DrawLowerChip(info, info->m_MapData.GetChipUnder(m_nTargetX, m_nTargetY), m_nX + 324, m_nY + 90);
    EndSpriteBatch();
    for (int side = 0; side < 2; ++side) {
        int figures[4];
        for (int k = 0; k < 4; ++k) {
            const int person = GetPlacePerson(4 * side + k);
            figures[k] = info->m_PersonList.IsValidIndex(person) ? info->m_PersonList.GetPerson(person).icon : -1;
        }
        DrawUnitFigures(GetUpperChipSheet(info), m_nX + 228 + 152 * side, m_nY + 118, 255, figures);
    }
    if (m_nCursor >= 0 && m_nCursor < kPlaces)
        DrawMenuQuad(m_Square, m_rcPlace[m_nCursor].left, m_rcPlace[m_nCursor].top, 154, 64, 0x20FFFFFF);
    else if (m_nCursor >= kPlaces)
        DrawMenuQuad(m_Square, m_rcPlace[m_nCursor].left, m_rcPlace[m_nCursor].top, 75, 20, 0x40FFFFFF);
    for (int i = 0; i < kPlaces; ++i)
        if (!IsPlaceMovable(i))
            DrawMenuQuad(m_Square, m_rcPlace[i].left, m_rcPlace[i].top, 154, 64, 0x50000000);
    if (m_nHold >= 0 && m_nHold < kPlaces)
        DrawMenuQuad(m_Square, m_rcPlace[m_nHold].left, m_rcPlace[m_nHold].top, 154, 64, 0x307FFF7F);
    m_Instruct.Draw(50, 380);
}
