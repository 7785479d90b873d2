#pragma once
// Scene 2: plays the "Main" section of the current chapter's script, then the field.
#include "ScenarioScript.h"
#include "scene/SceneBase.h"

class CPartyData;

class C_StoryScene : public C_SceneBase {
public:
    explicit C_StoryScene(CPartyData* party);
    int Update() override;
    void Draw() override;

    C_ScenarioScript& GetScript() { return m_Script; }

private:
    C_ScenarioScript m_Script;
    C_StoryInfo m_Info;
};
