#pragma once
// Scene 4: the tutorial's topic menu over a field state of its own; a topic starts
// its tutorial chapter (30 to 33) through the story scene, a right click goes back
// to the title.
#include <cstdint>

#include "FieldTaskInfo.h"
#include "menu/TaskMenuBase.h"
#include "scene/SceneBase.h"

class CPartyData;

class CTutorialMenu : public C_TaskMenuBase {
public:
    CTutorialMenu();
    using C_TaskMenuBase::Draw;
    using C_TaskMenuBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};

class C_TutorialScene : public C_SceneBase {
public:
    explicit C_TutorialScene(CPartyData* party);
    int Update() override;
    void Draw() override;

    CTutorialMenu& GetMenu() { return m_Menu; }
    C_FieldTaskInfo& GetFieldInfo() { return m_FieldInfo; }

private:
    CTutorialMenu m_Menu;
    C_FieldTaskInfo m_FieldInfo;
    int32_t m_nFrame = 0;
};
