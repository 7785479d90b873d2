// The arithmetic of the sortie preparation.
#include "sortie/SortieRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "log/ErrorLog.h"
#include "util/ClampInt.h"

namespace sortie {

int LocateCostOf(int typeID) {
    if (!CPersonTypeTable::Has(typeID)) {
        g_ErrorLog.Printf("出撃コスト: 人物表に typeID=%d がありません (コスト 0)。", typeID);
        return 0;
    }
    return CPersonTypeTable::Get(typeID).LocateCost;
}

int TroopCost(const SortieTroopEntry& troop) {
    int sum = 0;
    for (int32_t id : troop.nTypeID) sum = SaturatingAdd(sum, LocateCostOf(id));
    return sum;
}

int TotalSortieCost(CMapData& map) {
    int sum = 0;
    for (const CSortiePosition& pos : map.m_vnSortiePos) {
        for (const SortieHeroEntry& h : pos.m_vHero) sum = SaturatingAdd(sum, LocateCostOf(h.nTypeID));
        for (const SortieTroopEntry& t : pos.m_vTroop) sum = SaturatingAdd(sum, TroopCost(t));
    }
    return sum;
}

int CountPlacedHeroes(const CMapData& map) {
    int n = 0;
    for (const CSortiePosition& pos : map.m_vnSortiePos) n += (int)pos.m_vHero.size();
    return n;
}

int CountPlacedTroops(const CMapData& map) {
    int n = 0;
    for (const CSortiePosition& pos : map.m_vnSortiePos) n += (int)pos.m_vTroop.size();
    return n;
}

bool IsHeroOnAnyPosition(const CMapData& map, int typeID) {
    for (const CSortiePosition& pos : map.m_vnSortiePos)
        for (const SortieHeroEntry& h : pos.m_vHero)
            if (h.nTypeID == typeID) return true;
    return false;
}

int LevelUpPrice(double base, double growth, int level) {
    const double price = std::trunc(std::pow(growth, double(level) - 1.0) * base);
    if (!std::isfinite(price) || price < 0.0 || price > double(std::numeric_limits<int32_t>::max())) return kNoPrice;
    return int(price);
}

int LevelUpCost(int typeID, int level) {
    if (!CPersonTypeTable::Has(typeID)) {
        g_ErrorLog.Printf("強化: 人物表に typeID=%d がありません。", typeID);
        return kNoPrice;
    }
    const PersonRecord& p = CPersonTypeTable::Get(typeID);
    return LevelUpPrice(double(p.nEXP), p.nEXPUP, level);
}

int TroopLevelUpCost(const CTroopType& troop) { return LevelUpPrice(double(troop.nEXP), troop.dEXPUP, troop.nLV); }

bool CanAffordLevelUp(int price, int money, int level) { return price >= 0 && price <= money && level < kMaxLevel; }

int RemainingBudget(const CMapData& map, int sortieCost) {
    return ClampToInt32(int64_t(map.m_nLocateCost) - sortieCost);
}

bool CanPlaceHero(const C_FieldTaskInfo& info, const HeroEntry& h, int sortieCost, int nextPosition) {
    const CMapData& map = info.m_MapData;
    if (nextPosition != 0 || h.m_bForcePlaced || h.m_nPlaced != -1) return false;
    if (CountPlacedHeroes(map) >= map.m_nMaxHero) return false;
    if (std::find(info.m_vBannedHero.begin(), info.m_vBannedHero.end(), h.m_typeID) != info.m_vBannedHero.end())
        return false;
    if (IsHeroOnAnyPosition(map, h.m_typeID)) return false;
    return LocateCostOf(h.m_typeID) <= RemainingBudget(map, sortieCost);
}

std::string MissionTableBase(int mapNumber) {
    char buf[32];
    if (mapNumber >= 0 && mapNumber < 10)
        std::snprintf(buf, sizeof buf, "map/map0%d", mapNumber);
    else
        std::snprintf(buf, sizeof buf, "map/map%d", mapNumber);
    return buf;
}

void PlaceForcedHeroes(CPartyData& party, CMapData& map) {
    for (const HeroEntry& h : party.m_Heros) {
        if (!h.m_bForcePlaced || h.m_nPlaced < 0) continue;
        if (h.m_nPlaced >= map.GetSortiePositionCount()) {
            g_ErrorLog.Printf("出撃準備: 英雄 typeID=%d の出撃地点 %d がありません (配置しません)。", h.m_typeID,
                              h.m_nPlaced);
            continue;
        }
        std::vector<SortieHeroEntry>& list = map.m_vnSortiePos[h.m_nPlaced].m_vHero;
        const bool listed = std::any_of(list.begin(), list.end(),
                                        [&](const SortieHeroEntry& e) { return e.nTypeID == h.m_typeID; });
        if (!listed) list.push_back(SortieHeroEntry{h.m_typeID, h.m_LV});
    }
}

int MergeDuplicatePositions(CMapData& map) {
    std::vector<CSortiePosition>& v = map.m_vnSortiePos;
    int removed = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        for (size_t j = i + 1; j < v.size();) {
            if (v[j].x == v[i].x && v[j].y == v[i].y) {
                for (const SortieHeroEntry& h : v[j].m_vHero) {
                    const bool listed = std::any_of(v[i].m_vHero.begin(), v[i].m_vHero.end(),
                                                    [&](const SortieHeroEntry& e) { return e.nTypeID == h.nTypeID; });
                    if (!listed) v[i].m_vHero.push_back(h);
                }
                v[i].m_vTroop.insert(v[i].m_vTroop.end(), v[j].m_vTroop.begin(), v[j].m_vTroop.end());
                v.erase(v.begin() + long(j));
                ++removed;
            } else {
                ++j;
            }
        }
    }
    return removed;
}

}  // namespace sortie
