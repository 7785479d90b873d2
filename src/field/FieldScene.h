#pragma once
// Scene 3: the strategy map of one chapter.  The scene builds the field state (or
// takes it over from a field or preparation save), runs the chapter's
// "FieldInitialize" sections to their end, starts the first field tasks and then
// runs its task controller every frame until the field state's exit state names
// the next scene.
#include <cstdint>
#include <string>

#include "FieldTaskInfo.h"
#include "scene/SceneBase.h"
#include "task/TaskController.h"

class CPartyData;

class C_FieldScene : public C_SceneBase {
public:
    // The most passes the "FieldInitialize" loop makes before it gives up (a
    // section that would wait for input or for a frame never ends inside it).
    static constexpr int kMaxInitializePasses = 100000;

    explicit C_FieldScene(CPartyData* party);
    // The tasks go first (their destructors may still use the field state).
    ~C_FieldScene() override;

    int Update() override;
    void Draw() override;

    // The next scene for an exit state (-1 to stay); a won or lost map stops the
    // music and a lost one restores the party's backup.
    static int ExitStateToScene(int exitState, CPartyData* party);

    C_FieldTaskInfo& GetFieldInfo() { return m_FieldTaskInfo; }
    C_TaskController& GetTaskController() { return m_TaskController; }
    // The kind of save the field was started from ("" for a new chapter).
    const std::string& GetSaveType() const { return m_strSaveType; }
    // 1 taken over from a save, 0 none, -1 a save that was refused.
    int GetRestoreResult() const { return m_nRestore; }
    bool IsMapMissing() const { return m_bMapMissing; }
    int GetInitializePasses() const { return m_nInitializePasses; }

private:
    // Loads the grid and resets the state for a new field; false when the map file
    // gives no cells.
    bool BuildNewField(int map);
    void RunFieldInitialize(int map);
    void StartTasks(bool fromSave);

    // The members stand in this order: the controller, and every task with it, is
    // destroyed before the state.
    C_FieldTaskInfo m_FieldTaskInfo;
    C_TaskController m_TaskController;
    CPartyData* m_pPartyData = nullptr;
    std::string m_strSaveType;
    int m_nRestore = 0;
    bool m_bMapMissing = false;
    int m_nInitializePasses = 0;
};
