// The scenes built into the program.  Each scene class is made with its constructor
// taking the shared party data; members that the constructor does not set need
// default member initialisers (the scenes were written for zero-filled memory).
//
// The scenes and their headers:
//   scene/LoadingScene.h   C_LoadingScene   (6)
//   scene/TitleScene.h     C_TitleScene     (1)
//   scene/StoryScene.h     C_StoryScene     (2)
//   FieldScene.h           C_FieldScene     (3, in src/field)
//   scene/TutorialScene.h  C_TutorialScene  (4)
//   scene/SaveScene.h      C_SaveScene      (5)
//   scene/EndingScene.h    C_EndingScene    (9)
#include "scene/SceneTable.h"

#include "scene/EndingScene.h"
#include "scene/LoadingScene.h"
#include "scene/SaveScene.h"
#include "scene/StoryScene.h"
#include "scene/TitleScene.h"
#include "scene/TutorialScene.h"

#include "FieldScene.h"

namespace {
template <class Scene>
C_SceneBase* Make(CPartyData* party) {
    return new Scene(party);
}
}  // namespace

std::map<int, C_SceneControler::SceneCreator> BuiltInScenes() {
    std::map<int, C_SceneControler::SceneCreator> table;
    table[kSceneTitle] = &Make<C_TitleScene>;
    table[kSceneStory] = &Make<C_StoryScene>;
    table[kSceneField] = &Make<C_FieldScene>;
    table[kSceneTutorial] = &Make<C_TutorialScene>;
    table[kSceneSave] = &Make<C_SaveScene>;
    table[kSceneLoading] = &Make<C_LoadingScene>;
    table[kSceneEnding] = &Make<C_EndingScene>;
    return table;
}
