#pragma once
// Units: one to four persons (front and back row) standing on one cell, and the
// unit list of one field with the defeated counts of both sides.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "PersonData.h"

class CStringMap;

constexpr int kMaxUnitMembers = 4;

struct UnitRecord {
    int32_t nUnitID = 0;          // identity within the run; not saved
    int32_t x = 0;
    int32_t y = 0;
    int32_t nCharge = 0;
    std::vector<int32_t> vnPerson;  // person-list indices, slot 0 first
    uint8_t bMoveEnd = 0;
    uint8_t bActEnd = 0;

    // A new unit without members; takes a fresh id from the program-wide counter.
    UnitRecord();
    // A new unit at (x, y) holding one person; takes a fresh id.
    UnitRecord(int person, int x, int y);
    // Copies keep the id: a unit keeps its id however the list stores it.
    UnitRecord(const UnitRecord&) = default;
    UnitRecord& operator=(const UnitRecord&) = default;
    UnitRecord(UnitRecord&&) = default;
    UnitRecord& operator=(UnitRecord&&) = default;

    // The next id the counter will give (starts at 10000).
    static int PeekNextId();
};

class CUnitList {
public:
    CUnitList();

    void SetPersonList(CPersonList* persons) { m_pPersonList = persons; }
    CPersonList* GetPersonList() const { return m_pPersonList; }

    // Forming units.
    int AddUnit(int person);
    int AddUnitAt(int person, int x, int y);
    void AddMember(int unit, int person);
    void SetMembers(int unit, const int order[4]);
    void RemoveMember(int unit, int slot);
    void RemoveUnit(int unit);
    void SortMembersFrontFirst(int unit);
    int SplitUnit(int unit, const bool selected[4]);
    int TransferMembers(int target, int source, const bool selected[4]);
    int MergeUnits(int target, int source, const int order[4]);
    bool CanJoinUnits(int a, int b, const bool* selected = nullptr) const;
    bool CanJoinRangedUnit(int a, int b, const bool* selected = nullptr) const;
    // Empties the units and the defeated counts.
    void Clear();

    // Movement and place.
    int GetUnitMove(int unit) const;
    int GetUnitRestMove(int unit) const;
    int GetDistance(int a, int b) const;
    bool IsInRange(int unit, int x, int y, int max, int min) const;
    int FindUnitAt(int x, int y) const;
    int FindUnitOfPerson(int person) const;
    int FindUnitById(int id) const;
    int GetSlotPosition(int unit, int slot) const;
    int FindSlotByPosition(int unit, int position) const;

    // Reach.
    int GetAttackRange(int unit) const;
    int GetAttackRangeEffect10(int unit) const;
    int GetMinAttackRange(int unit) const;
    bool HasAffordableType3Skill(int unit) const;

    // Defeated counts: side 0 the enemy side, 1 the player's side.
    void AddDefeated(int side, int typeID);
    int GetDefeatedCount(int side, int typeID) const;
    int GetDefeatedTotal(int side) const;
    int GetDefeatedHeroCount(int side) const;
    const std::map<int, int>& GetDefeatedMap(int side) const;

    // Accessors by unit index (and member slot j).
    int GetCount() const { return (int)m_vUnit.size(); }
    UnitRecord& GetUnit(int unit);
    const UnitRecord& GetUnit(int unit) const;
    void GetUnitId(int unit, int* id) const;
    int GetX(int unit) const;
    int GetY(int unit) const;
    void SetUnitPosition(int unit, int x, int y);
    int GetCharge(int unit) const;
    void SetCharge(int unit, int charge);
    bool IsActEnd(int unit) const;
    bool IsMoveEnd(int unit) const;
    void SetMoveEnd(int unit, uint8_t flag);
    void SetActEnd(int unit, uint8_t flag);
    void SetActEndAndMoveEnd(int unit, uint8_t flag);
    bool IsFriend(int unit) const;
    bool IsHero(int unit) const;
    bool IsOperable(int unit) const;
    int GetMemberCount(int unit) const;
    int GetMember(int unit, int j) const;
    PersonRecord& GetMemberPerson(int unit, int j);
    const PersonRecord& GetMemberPerson(int unit, int j) const;
    int GetMemberTypeID(int unit, int j) const;
    int GetMemberHP(int unit, int j) const;
    int GetMemberMP(int unit, int j) const;
    int GetMemberMaxHP(int unit, int j) const;
    int GetMemberStr(int unit, int j) const;
    int GetMemberMag(int unit, int j) const;
    int GetMemberMoveType(int unit, int j) const;
    bool IsMemberForward(int unit, int j) const;
    int CountMemberSkills(int unit, int j) const;
    int CountMemberCSkills(int unit, int j) const;
    int CountMemberPassiveSkills(int unit, int j) const;
    int GetMemberSkill(int unit, int j, int k) const;
    int GetMemberCSkill(int unit, int j, int k) const;
    int GetMemberPassiveSkill(int unit, int j, int k) const;
    int GetMemberSkillByIndex(int unit, int j, int n) const;
    void SetMemberHP(int unit, int j, int value);
    void SetMemberRestMove(int unit, int j, int value);
    // Number of skills of the member over its skill, cskill and pskill lists.
    int CountAllMemberSkills(int unit, int j) const;
    std::string GetMemberName(int unit, int j) const;
    std::string GetMemberShortName(int unit, int j) const;
    // The name of member 0 of the unit standing on cell (x, y); empty when none.
    // (For the name of a given member slot use GetMemberName.)
    std::string GetPersonNameAt(int x, int y) const;

    // Archive, inside the group the caller has entered.
    void Save(CStringMap& archive) const;
    void Load(CStringMap& archive);

    bool IsValidUnit(int unit) const { return unit >= 0 && unit < (int)m_vUnit.size(); }

    std::vector<UnitRecord> m_vUnit;
    CPersonList* m_pPersonList = nullptr;
    std::map<int, int> m_Defeated[2];
};
