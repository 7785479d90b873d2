#include "PartyData.h"

#include "archive/gvlStringMap.h"

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
