#pragma once
// The field saves among the fuzz seeds, made with the game's own writers, shared by
// the seed writer and the test that plays one through the field target's turn: a
// map's state once its "FieldInitialize" has run, for the party the seeds carry,
// saved as a field or preparation save, and one field changed so that its enemy
// phase ends the map.  Made in the current folder, which holds the game's tables,
// maps and scripts.
#include <functional>
#include <vector>

#include "FieldEvent.h"
#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "ScenarioScript.h"
#include "archive/gvlStringMap.h"
#include "fake_input.h"
#include "save/ArchiveManager.h"
#include "task/TaskController.h"

namespace fuzz {

// The party of the seeds: two heroes and some money.
inline CPartyData SeedParty() {
    CPartyData party;
    party.Reset();
    party.AddHero(1, 3);
    party.AddHero(2, 5);
    party.nMoney = 1200;
    return party;
}

// Map `map`'s field and map records once its "FieldInitialize" has run (every wait for
// a click ends at once), then `arrange` changed the field, the party's map set to it;
// false when the map cannot be read.
inline bool FieldSeedRecords(int map, CPartyData& party, CStringMap& field, CStringMap& mapRecord,
                             const std::function<void(C_FieldTaskInfo&)>& arrange = {}) {
    party.nMap = map;  // the scene that takes a save over opens the party's map
    FakeInput input;
    input.leftPush = true;
    C_TaskController controller;
    C_FieldTaskInfo info;
    info.SetInputManager(&input);
    info.m_pPartyData = &party;
    info.m_pTaskController = &controller;
    if (!info.m_MapData.LoadMapCsv(map)) return false;
    info.Reset();
    info.m_nTurn = 1;
    C_ScenarioScript script;
    script.LoadChapter(map);
    for (int pass = 0; pass < 1000; ++pass)
        if (script.UpdateFieldEvent("FieldInitialize", &info) != 0) break;
    if (arrange) arrange(info);
    field = info.Save();
    mapRecord = CStringMap();
    info.m_MapData.Save(mapRecord);
    return true;
}

// Chapter 0's field with its hero at bay, for a turn whose enemy phase ends the map:
// Leon, the only hero on the field, is left at 1 hit point with his move spent and a
// band of a 賊兵 made beside him, while a 剣兵 of the player's, made far from him
// near (2, 2), is the first unit the player may still move (the one the turn's
// exchange is fought by).  Leon lives through the player's phase and falls in the
// enemy's; the chapter's "ForceSuffered(1,-2,0)" section then loses the map, and its
// "Lost" section shows the game over.
constexpr int kHeroAtBayMap = 0;
inline void ArrangeHeroAtBay(C_FieldTaskInfo& info) {
    CUnitList& units = info.m_UnitList;
    int hero = -1;
    for (int u = 0; u < units.GetCount() && hero < 0; ++u)
        if (units.IsFriend(u) && units.IsHero(u)) hero = u;
    if (hero < 0) return;
    units.SetMemberHP(hero, 0, 1);
    units.SetActEndAndMoveEnd(hero, 1);
    const int levels[4] = {1, -1, -1, -1}, soldier[4] = {10, -1, -1, -1}, bandit[4] = {20, -1, -1, -1};
    CreateScriptUnit(info, units.GetX(hero), units.GetY(hero), false, levels, bandit);
    CreateScriptUnit(info, 2, 2, true, levels, soldier);
}

// The stream of a save of kind `kind` (before masking) holding `party` and the field
// record `field` of map `map`.
inline std::vector<unsigned char> FieldSeedStream(CPartyData& party, const CStringMap& field, int map,
                                                  const char* kind) {
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetArchive(FieldTaskInfoKey, field);
    manager->SetString(SaveFileChapterKey, Int64ToString(map));
    manager->SetString(SaveFileDiffKey, Int64ToString(party.Difficulty));
    manager->SetString(SaveFileTypeKey, kind);
    manager->SetString(SaveFileVersion, "10");
    return manager->BuildStream();
}

}  // namespace fuzz
