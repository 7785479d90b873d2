// The formation step and the person parameter panel.
#include "sortie/LocateUnitSortie.h"

#include <string>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "menu/SelectMenu.h"
#include "sortie/LocateUnitCreatedTroop.h"
#include "sortie/LocateUnitSortiedList.h"
#include "task/TaskController.h"

// ---- CPersonParamPanel ------------------------------------------------------------------

namespace {
struct PanelText {
    int font;
    int x, y;
};
constexpr PanelText kPanelText[CPersonParamPanel::kTextCount] = {
    {15, 84, 19},   // name
    {14, 126, 48},  // HP
    {14, 226, 48},  // MP
    {14, 132, 78},  // strength
    {14, 132, 98},  // magic
    {14, 239, 78},  // dexterity
    {14, 239, 98},  // speed
    {12, 370, 97},  // move
    {12, 380, 39},  // guard
    {12, 380, 57},  // arrow guard
    {12, 380, 75},  // magic guard
};
const RECT kPanelPart{0, 0, 428, 128};
}  // namespace

CPersonParamPanel::CPersonParamPanel() { m_Texture.Load("graphics/InterMission_param.png"); }

void CPersonParamPanel::Fill(PersonRecord person) {
    std::string text[kTextCount];
    if (person.nHP != 0) {
        text[kName] = person.name;
        text[kHP] = FormatNumber(person.nMaxHP, 4);
        text[kMP] = FormatNumber(person.nMaxMP, 4);
        text[kStr] = FormatNumber(person.nStr, 4);
        text[kMag] = FormatNumber(person.nMag, 4);
        text[kDex] = FormatNumber(person.nDex, 4);
        text[kSpd] = FormatNumber(person.nSpd, 4);
        text[kMove] = std::to_string(person.nMove) + (person.m_type == 0 ? "/歩行" : "/騎馬");
        text[kGuard] = FormatNumber(person.nGur, 3);
        text[kGuardArrow] = FormatNumber(person.nGurA, 3);
        text[kGuardMagic] = FormatNumber(person.nGurM, 3);
    }
    for (int i = 0; i < kTextCount; ++i) {
        m_Text[i].SetText(text[i], kPanelText[i].font, 0xFFFFFFFF);
        m_Text[i].Render();
    }
}

void CPersonParamPanel::Draw(int x, int y) {
    m_Texture.Draw(x, y, 255, &kPanelPart);
    for (int i = 0; i < kTextCount; ++i) {
        if (m_Text[i].GetText().empty()) continue;
        CD3DRTSquare& rt = m_Text[i].GetRenderTarget();
        if (rt.GetTexture()) rt.Draw(x + kPanelText[i].x, y + kPanelText[i].y, 255);
    }
}

// ---- C_TaskLocateUnitSortie --------------------------------------------------------------

C_TaskLocateUnitSortie::C_TaskLocateUnitSortie(C_FieldTaskInfo* info, C_TaskLocateUnit* driver) {
    m_pLocateUnit = driver;
    m_nWinX = 95;
    m_nWinY = 10;
    m_nWinWidth = 110;
    m_bAutoHeight = true;
    m_nOpenFrames = 15;
    m_ShownPerson.nHP = 0;
    m_bPanelDirty = true;
    const int positions = info ? info->m_MapData.GetSortiePositionCount() : 0;
    for (int i = 0; i < positions; ++i) {
        std::string row = "出撃地点";
        row += i < 26 ? char('A' + i) : '?';
        AddItem(row, true);
    }
    m_pSortiedList = new C_TaskLocateUnitSortiedList2(info, driver, this);
    m_pTroopList = new C_TaskLocateUnitCreatedTroopS(info, driver, this);
    m_pSortiedList->m_bRedraw = true;
    m_pSortiedList->m_nFrame = 0;
    if (info && info->m_pTaskController) {
        info->m_pTaskController->AddTask(m_pSortiedList, 207);
        info->m_pTaskController->AddTask(m_pTroopList, 208);
    }
}

void C_TaskLocateUnitSortie::Update(C_FieldTaskInfo* info) {
    if (m_nFrame < m_nOpenFrames) {
        ++m_nFrame;
        UpdateActivation();
        return;
    }
    if (MoveCursor(info) && m_pSortiedList) {
        m_pSortiedList->m_bRedraw = true;
        m_pSortiedList->m_nFrame = 0;
    }
    if (IsActive()) {
        SetInstructText("編成する出撃地点を選んでください。");
        IInputManager* in = info->GetInputManager();
        if (FindItemLeftPressed(info) >= 0) {
            if (m_pSortiedList) {
                m_pSortiedList->m_bRedraw = true;
                m_pSortiedList->m_bStatusRefresh = true;
                m_pSortiedList->OpenChild(this);
            }
            UpdateActivation();
            return;
        }
        if (in && in->IsRButtonPush()) {
            // Both lists and an open status display end with the step.
            if (info->m_pTaskController) info->m_pTaskController->KillTaskRange(207, 210);
            m_pSortiedList = nullptr;
            m_pTroopList = nullptr;
            CloseChild();
            KillSelf(info);
        }
    }
    UpdateActivation();
}

void C_TaskLocateUnitSortie::Draw(C_FieldTaskInfo* info) {
    m_Dim.SetSize(640.0f, 230.0f, 0xC0000000);
    m_Dim.Draw(0.0f, 0.0f);
    m_Dim.SetSize(483.0f, 250.0f, 0xC0000000);
    m_Dim.Draw(157.0f, 230.0f);
    const bool listActive =
        (m_pSortiedList && m_pSortiedList->IsActive()) || (m_pTroopList && m_pTroopList->IsActive());
    if (m_bPanelDirty && (listActive || m_ShownPerson.nHP == 0)) {
        m_ParamPanel.Fill(m_ShownPerson);
        m_bPanelDirty = false;
    }
    m_ParamPanel.Draw(208, 5);
    m_InstructWindow.Draw(160, 398);
    C_TaskLocateUnitMenuBase::Draw(info);
}
