#pragma once
// A scene of the game: loading, title, story, field, tutorial, save, ending.
// Every scene's constructor takes the shared party data and keeps it.
class C_SceneBase {
public:
    virtual ~C_SceneBase() = default;
    // The id of the scene to run next, or -1 (or the scene's own id) to stay.
    virtual int Update() = 0;
    virtual void Draw() {}
};

// Scene ids.
enum : int {
    kSceneNone = -1,
    kSceneTitle = 1,
    kSceneStory = 2,
    kSceneField = 3,
    kSceneTutorial = 4,
    kSceneSave = 5,
    kSceneLoading = 6,
    kSceneUnused = 7,
    kSceneExit = 8,
    kSceneEnding = 9,
};
