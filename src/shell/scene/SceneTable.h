#pragma once
// The scenes built into the program, by id.
#include <map>

#include "scene/SceneControler.h"

// Scene id -> creator, for every scene this program has.
std::map<int, C_SceneControler::SceneCreator> BuiltInScenes();
