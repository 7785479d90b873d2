// The scenes built into the program.  Each scene class is made with its constructor
// taking the shared party data; members that the constructor does not set need
// default member initialisers (the scenes were written for zero-filled memory).
//
// A scene enters the table here, by its header:
//   scene/LoadingScene.h   C_LoadingScene   (6)
//   scene/TitleScene.h     C_TitleScene     (1)
//   scene/StoryScene.h     C_StoryScene     (2)
//   FieldScene.h           C_FieldScene     (3, in src/field)
//   scene/TutorialScene.h  C_TutorialScene  (4)
//   scene/SaveScene.h      C_SaveScene      (5)
//   scene/EndingScene.h    C_EndingScene    (9)
#include "scene/SceneTable.h"

#if __has_include("scene/LoadingScene.h")
#include "scene/LoadingScene.h"
#define VORMANT_SCENE_LOADING 1
#endif
#if __has_include("scene/TitleScene.h")
#include "scene/TitleScene.h"
#define VORMANT_SCENE_TITLE 1
#endif
#if __has_include("scene/StoryScene.h")
#include "scene/StoryScene.h"
#define VORMANT_SCENE_STORY 1
#endif
#if __has_include("FieldScene.h")
#include "FieldScene.h"
#define VORMANT_SCENE_FIELD 1
#endif
#if __has_include("scene/TutorialScene.h")
#include "scene/TutorialScene.h"
#define VORMANT_SCENE_TUTORIAL 1
#endif
#if __has_include("scene/SaveScene.h")
#include "scene/SaveScene.h"
#define VORMANT_SCENE_SAVE 1
#endif
#if __has_include("scene/EndingScene.h")
#include "scene/EndingScene.h"
#define VORMANT_SCENE_ENDING 1
#endif

namespace {
template <class Scene>
C_SceneBase* Make(CPartyData* party) {
    return new Scene(party);
}
}  // namespace

std::map<int, C_SceneControler::SceneCreator> BuiltInScenes() {
    std::map<int, C_SceneControler::SceneCreator> table;
#ifdef VORMANT_SCENE_TITLE
    table[kSceneTitle] = &Make<C_TitleScene>;
#endif
#ifdef VORMANT_SCENE_STORY
    table[kSceneStory] = &Make<C_StoryScene>;
#endif
#ifdef VORMANT_SCENE_FIELD
    table[kSceneField] = &Make<C_FieldScene>;
#endif
#ifdef VORMANT_SCENE_TUTORIAL
    table[kSceneTutorial] = &Make<C_TutorialScene>;
#endif
#ifdef VORMANT_SCENE_SAVE
    table[kSceneSave] = &Make<C_SaveScene>;
#endif
#ifdef VORMANT_SCENE_LOADING
    table[kSceneLoading] = &Make<C_LoadingScene>;
#endif
#ifdef VORMANT_SCENE_ENDING
    table[kSceneEnding] = &Make<C_EndingScene>;
#endif
    return table;
}
