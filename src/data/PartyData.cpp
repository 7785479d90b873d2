#include "PartyData.h"

#include "archive/gvlStringMap.h"
#include "util/ClampInt.h"

void HeroEntry::Save(IStringMap& archive) const {
    archive.SetInt64("m_typeID", m_typeID);
    archive.SetInt64("m_LV", m_LV);
    archive.SetInt64("m_nPlaced", m_nPlaced);
    archive.SetInt64("m_bCanUse", m_bCanUse ? 1 : 0);
    archive.SetInt64("m_bForcePlaced", m_bForcePlaced ? 1 : 0);
}

void HeroEntry::Load(IStringMap& archive) {
    m_typeID = archive.GetInt("m_typeID", -1);
    m_LV = archive.GetInt("m_LV", 0);
    // A hero whose placement is missing from the save is not placed: the value is
    // used as a sortie position index.
    m_nPlaced = archive.GetInt("m_nPlaced", -1);
    if (m_nPlaced < -1) m_nPlaced = -1;
    m_bCanUse = archive.GetInt("m_bCanUse", 0) != 0;
    m_bForcePlaced = archive.GetInt("m_bForcePlaced", 0) != 0;
}

CPartyData::CPartyData() = default;

void CPartyData::AddUsedPerson(int typeID) { ++m_mapUsedPerson[typeID]; }

void CPartyData::AddHero(int typeID, int level) {
    HeroEntry hero;
    hero.m_typeID = typeID;
    hero.m_LV = level;
    hero.m_nPlaced = -1;
    hero.m_bCanUse = true;
    hero.m_bForcePlaced = false;
    m_Heros.push_back(hero);
}

// ---- progress, backup and archive ------------------------------------------------------

#include "PersonData.h"
#include "log/ErrorLog.h"
#include "save/SavedCount.h"

int CPartyData::GetMapClearBonus(int mapNumber) {
    static const int kBonus[40] = {0,    0,     0,     480,    1000,   2000,    0,      3800,    10000, 16000,
                                   36000, 75000, 170000, 360000, 800000, 1500000, 500000, 1000000, 0,     10000000};
    if (mapNumber < 0 || mapNumber >= 40) return 0;
    return kBonus[mapNumber];
}

void CPartyData::Reset() {
    nMap = 0;
    nMoney = 0;
    m_Heros.clear();
    m_Troops.LoadFile();
    m_Backup.m_Troops.LoadFile();
    ForceID0 = 0;
    ForceID1 = 3;
    Backup();
}

void CPartyData::AdvanceMap() {
    for (HeroEntry& hero : m_Heros) {
        hero.m_bForcePlaced = false;
        hero.m_nPlaced = -1;
    }
    nMap = SaturatingAdd(nMap, 1);
    AddMoney(GetMapClearBonus(nMap));
    Backup();
}

void CPartyData::AddMoney(int32_t amount) {
    bool held = false;
    const int32_t before = nMoney;
    nMoney = SaturatingAdd(nMoney, amount, &held);
    if (held) g_ErrorLog.Printf("資金 %d に %d を加えると範囲を超えるため、%d にしました。", before, amount, nMoney);
}

void CPartyData::Backup() {
    m_Backup.toInterMission = toInterMission;
    m_Backup.ForceID0 = ForceID0;
    m_Backup.ForceID1 = ForceID1;
    m_Backup.m_Heros = m_Heros;
    m_Backup.m_mapUsedPerson.clear();
    for (const auto& pair : m_mapUsedPerson) m_Backup.m_mapUsedPerson.insert(pair);
    m_Backup.m_CreatedTroop = m_CreatedTroop;
    m_Backup.m_Troops = m_Troops;
    m_Backup.nMap = nMap;
    m_Backup.nMoney = nMoney;
    SetDifficulty(m_Backup.Difficulty, Difficulty);
}

void CPartyData::RestoreBackup() {
    toInterMission = m_Backup.toInterMission;
    ForceID0 = m_Backup.ForceID0;
    ForceID1 = m_Backup.ForceID1;
    m_Heros = m_Backup.m_Heros;
    m_mapUsedPerson.clear();
    for (const auto& pair : m_Backup.m_mapUsedPerson) m_mapUsedPerson.insert(pair);
    m_CreatedTroop = m_Backup.m_CreatedTroop;
    m_Troops = m_Backup.m_Troops;
    nMap = m_Backup.nMap;
    nMoney = m_Backup.nMoney;
    SetDifficulty(Difficulty, m_Backup.Difficulty);
}

namespace {

void SaveHeroes(CStringMap& archive, const std::string& prefix, const std::vector<HeroEntry>& heroes) {
    archive.SetInt64(prefix + "m_HerosSize", (int64_t)heroes.size());
    for (int i = 0; i < (int)heroes.size(); ++i) {
        archive.EnterGroup(prefix + "m_Heros" + Int64ToString(i));
        heroes[i].Save(archive);
        archive.LeaveGroup();
    }
}

void LoadHeroes(CStringMap& archive, const std::string& prefix, std::vector<HeroEntry>& heroes) {
    heroes.clear();
    // A missing count (-1) is no length: the list stays empty.
    const int n = ReadSavedCount(archive, prefix + "m_HerosSize", -1, "英雄");
    heroes.resize(n);
    for (int i = 0; i < n; ++i) {
        archive.EnterGroup(prefix + "m_Heros" + Int64ToString(i));
        heroes[i].Load(archive);
        archive.LeaveGroup();
    }
}

void SaveCreatedTroops(CStringMap& archive, const std::string& prefix, const std::vector<CreatedTroopEntry>& troops) {
    archive.SetInt64(prefix + "m_CreatedTroopSize", (int64_t)troops.size());
    for (int i = 0; i < (int)troops.size(); ++i) {
        const CreatedTroopEntry& t = troops[i];
        archive.EnterGroup(prefix + "m_CreatedTroop" + Int64ToString(i));
        archive.SetInt64("NumPerson", (int64_t)t.TypeID.size());
        for (int j = 0; j < (int)t.TypeID.size(); ++j) {
            archive.EnterGroup(Int64ToString(j));
            archive.SetInt64("TypeID", t.TypeID[j]);
            archive.SetInt64("bForward", j < (int)t.bForward.size() && t.bForward[j] ? 1 : 0);
            archive.SetInt64("nLV", j < (int)t.nLV.size() ? t.nLV[j] : 0);
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }
}

void LoadCreatedTroops(CStringMap& archive, const std::string& prefix, std::vector<CreatedTroopEntry>& troops) {
    troops.clear();
    const int n = ReadSavedCount(archive, prefix + "m_CreatedTroopSize", 0, "編成部隊");
    troops.resize(n);
    for (int i = 0; i < n; ++i) {
        CreatedTroopEntry& t = troops[i];
        archive.EnterGroup(prefix + "m_CreatedTroop" + Int64ToString(i));
        const int members = ReadSavedCount(archive, "NumPerson", 0, "編成部隊の人物");
        t.TypeID.assign(members, 0);
        t.bForward.assign(members, false);
        t.nLV.assign(members, 0);
        for (int j = 0; j < members; ++j) {
            archive.EnterGroup(Int64ToString(j));
            t.TypeID[j] = archive.GetInt("TypeID", 0);
            t.bForward[j] = archive.GetInt("bForward", 0) != 0;
            t.nLV[j] = archive.GetInt("nLV", 0);
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }
}

}  // namespace

CStringMap CPartyData::Save() {
    CStringMap archive;
    archive.Clear();
    archive.SetInt64("Difficulty", Difficulty);
    archive.SetInt64("nMap", nMap);
    archive.SetInt64("nMoney", nMoney);
    archive.SetInt64("toInterMission", toInterMission ? 1 : 0);
    archive.SetInt64("ForceID0", ForceID0);
    archive.SetInt64("ForceID1", ForceID1);
    archive.SetInt64("m_mapUsedPersonSize", (int64_t)m_mapUsedPerson.size());
    int i = 0;
    for (const auto& [key, value] : m_mapUsedPerson) {
        archive.EnterGroup("m_mapUsedPerson" + Int64ToString(i++));
        archive.SetInt64("first", key);
        archive.SetInt64("second", value);
        archive.LeaveGroup();
    }
    SaveHeroes(archive, "", m_Heros);
    m_Troops.SaveToArchive(archive);
    SaveCreatedTroops(archive, "", m_CreatedTroop);

    archive.SetInt64("BackupParty.Difficulty", m_Backup.Difficulty);
    archive.SetInt64("BackupParty.nMap", m_Backup.nMap);
    archive.SetInt64("BackupParty.nMoney", m_Backup.nMoney);
    archive.SetInt64("BackupParty.toInterMission", m_Backup.toInterMission ? 1 : 0);
    archive.SetInt64("BackupParty.ForceID0", m_Backup.ForceID0);
    archive.SetInt64("BackupParty.ForceID1", m_Backup.ForceID1);
    SaveHeroes(archive, "BackupParty.", m_Backup.m_Heros);
    archive.EnterGroup("BackupParty");
    m_Backup.m_Troops.SaveToArchive(archive);
    archive.LeaveGroup();
    SaveCreatedTroops(archive, "BackupParty.", m_Backup.m_CreatedTroop);
    return archive;
}

void CPartyData::Load(CStringMap archive) {
    Reset();
    SetDifficulty(Difficulty, archive.GetInt("Difficulty", 2));
    nMap = archive.GetInt("nMap", -1);
    nMoney = archive.GetInt("nMoney", 0);
    toInterMission = archive.GetInt("toInterMission", 0) != 0;
    ForceID0 = archive.GetInt("ForceID0", 0);
    ForceID1 = archive.GetInt("ForceID1", 0);

    // The used-person map is not emptied first: a key already held keeps its value.
    const int pairs = ReadSavedCount(archive, "m_mapUsedPersonSize", 0, "使用人物");
    for (int i = 0; i < pairs; ++i) {
        archive.EnterGroup("m_mapUsedPerson" + Int64ToString(i));
        const int first = archive.GetInt("first", -1);
        const int second = archive.GetInt("second", -1);
        m_mapUsedPerson.emplace(first, second);
        archive.LeaveGroup();
    }
    LoadHeroes(archive, "", m_Heros);
    m_Troops.LoadFromArchive(archive);
    LoadCreatedTroops(archive, "", m_CreatedTroop);

    SetDifficulty(m_Backup.Difficulty, archive.GetInt("BackupParty.Difficulty", 2));
    m_Backup.nMap = archive.GetInt("BackupParty.nMap", -1);
    m_Backup.nMoney = archive.GetInt("BackupParty.nMoney", 0);
    m_Backup.toInterMission = archive.GetInt("BackupParty.toInterMission", 0) != 0;
    m_Backup.ForceID0 = archive.GetInt("BackupParty.ForceID0", 0);
    m_Backup.ForceID1 = archive.GetInt("BackupParty.ForceID1", 0);
    LoadHeroes(archive, "BackupParty.", m_Backup.m_Heros);
    archive.EnterGroup("BackupParty");
    m_Backup.m_Troops.LoadFromArchive(archive);
    archive.LeaveGroup();
    LoadCreatedTroops(archive, "BackupParty.", m_Backup.m_CreatedTroop);
}
