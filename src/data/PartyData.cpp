#include "PartyData.h"

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
