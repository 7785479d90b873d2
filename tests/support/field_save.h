#pragma once
// Saves for the end-to-end tests, made and read in the test's own process: a field
// save of chapter 0 arranged by the test (units placed, enemies moved, the camera),
// written as the field menu writes one; the header and party of a slot; a field save
// read back through the field as a load at the title does.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FieldScene.h"
#include "PartyData.h"
#include "PersonData.h"
#include "archive/gvlStringMap.h"
#include "golden.h"
#include "random/gvlRand.h"
#include "save/ArchiveManager.h"

namespace testsupport {

// Adds a unit of persons of `types` (front first, level `level`) at (x, y); its index.
inline int AddUnit(C_FieldTaskInfo& info, const std::vector<int>& types, int level, int x, int y, int mp = -1) {
    int unit = -1;
    for (int type : types) {
        PersonRecord p = PersonRecord::CreateFromType(type, level, 1, 1, 1, 0);
        if (mp >= 0) p.nMP = mp;
        const int person = info.m_PersonList.AddPerson(p);
        if (unit < 0) unit = info.m_UnitList.AddUnitAt(person, x, y);
        else info.m_UnitList.AddMember(unit, person);
    }
    return unit;
}

// The map's enemy bands, in list order, moved to the cells of `cells`.
inline void MoveEnemies(C_FieldTaskInfo& info, const std::vector<std::pair<int, int>>& cells) {
    size_t e = 0;
    for (int u = 0; u < info.m_UnitList.GetCount() && e < cells.size(); ++u)
        if (!info.m_UnitList.IsFriend(u)) {
            info.m_UnitList.SetUnitPosition(u, cells[e].first, cells[e].second);
            ++e;
        }
}

// The camera and the hovered cell on (x, y).
inline void LookAt(C_FieldTaskInfo& info, int x, int y) {
    info.m_fCameraX = float(x);
    info.m_fCameraY = float(y);
    info.m_nHoverX = x;
    info.m_nHoverY = y;
}

// Members' HP of the unit at (x, y) (empty when none stands there).
inline std::vector<int> MemberHP(const C_FieldTaskInfo& info, int x, int y) {
    std::vector<int> hp;
    const int u = info.m_UnitList.FindUnitAt(x, y);
    if (u >= 0)
        for (int j = 0; j < info.m_UnitList.GetMemberCount(u); ++j) hp.push_back(info.m_UnitList.GetMemberHP(u, j));
    return hp;
}

// Writes a save of kind `type` (a field save, or a preparation save) of chapter 0 on
// "Expert" into slot `slot` (0 = "Save0.dat") of `folder`: the chapter's field as it
// starts, in the player's phase of turn 1 (the preparation for a preparation save),
// then changed by `arrange(info)`.  The soldiers' stat spread draws from the program's
// generator, seeded first: the same save whichever test ran before in this process.
template <class Arrange>
::testing::AssertionResult WriteFieldSave(const std::string& folder, Arrange arrange, int slot = 0,
                                          const char* type = FieldSave, int chapter = 0) {
    ScopedCurrentDir cd(folder);
    g_Rand.SetSeed(4357);
    CArchiveManager::DestroyInstance();
    CPartyData party;
    party.Reset();
    party.nMap = chapter;
    SetDifficulty(party.Difficulty, 3);
    CStringMap record;
    {
        C_FieldScene scene(&party);
        C_FieldTaskInfo& info = scene.GetFieldInfo();
        info.m_nTurn = 1;
        info.IsInterMission = std::string(type) == IntermissionSave;
        arrange(info);
        record = info.Save();
    }
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    manager->ClearArchives();
    manager->ClearCurrentArchive();
    manager->SetArchive(PartyDataKey, party.Save());
    manager->SetArchive(FieldTaskInfoKey, record);
    manager->SetString(SaveFileChapterKey, std::to_string(party.nMap));
    manager->SetString(SaveFileDiffKey, std::to_string(party.Difficulty));
    manager->SetString(SaveFileTypeKey, type);
    const bool saved = manager->Save(slot);
    CArchiveManager::DestroyInstance();
    if (!saved) return ::testing::AssertionFailure() << "save " << slot << " was not written in " << folder;
    return ::testing::AssertionSuccess();
}

// Slot `slot` as the program wrote it: the save's header, its party and its field.
struct SaveSlot {
    bool loaded = false;
    std::string type, chapter, difficulty;
    bool hasParty = false, hasField = false;
    CPartyData party;
    CStringMap field;  // the field's record (empty without one)
};

inline SaveSlot ReadSlot(const std::string& folder, int slot) {
    ScopedCurrentDir cd(folder);
    SaveSlot s;
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    s.loaded = manager->Load(slot);
    if (s.loaded) {
        s.type = manager->GetString(SaveFileTypeKey, false);
        s.chapter = manager->GetString(SaveFileChapterKey, false);
        s.difficulty = manager->GetString(SaveFileDiffKey, false);
        s.hasParty = manager->HasArchive(PartyDataKey);
        if (s.hasParty) s.party.Load(manager->GetArchive(PartyDataKey, false));
        s.hasField = manager->HasArchive(FieldTaskInfoKey);
        if (s.hasField) s.field = manager->GetArchive(FieldTaskInfoKey, false);
    }
    CArchiveManager::DestroyInstance();
    return s;
}

// The field of save `slot` read back as a load at the title does (the field takes the
// save over from the archive manager), handed to `read(info)`.  False (and a failure)
// when the slot holds no field save.
template <class Read>
bool ReadFieldSave(const std::string& folder, int slot, Read read) {
    ScopedCurrentDir cd(folder);
    CArchiveManager::DestroyInstance();
    CArchiveManager::CreateInstance();
    CArchiveManager* manager = CArchiveManager::GetInstance();
    const bool ok = manager->Load(slot) && manager->HasArchive(FieldTaskInfoKey);
    if (ok) {
        CPartyData party;
        party.Reset();
        party.Load(manager->GetArchive(PartyDataKey, false));
        C_FieldScene scene(&party);
        read(static_cast<const C_FieldTaskInfo&>(scene.GetFieldInfo()));
    } else {
        ADD_FAILURE() << "save " << slot << " in " << folder << " holds no field";
    }
    CArchiveManager::DestroyInstance();
    return ok;
}

}  // namespace testsupport
