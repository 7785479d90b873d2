// The map and mission record in the keyed archive: the grid as one text of decimal
// values each followed by a space, lists as a count key and one group per element.
#include <algorithm>
#include <string>

#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"
#include "map/MapData.h"
#include "save/SavedCount.h"

namespace {

std::string Num(const char* key, int i) { return key + Int64ToString(i); }

}  // namespace

// ---- elements -------------------------------------------------------------------------------

void SortieHeroEntry::Save(CStringMap& archive) const {
    archive.SetInt64("nTypeID", nTypeID);
    archive.SetInt64("nLV", nLV);
}

void SortieHeroEntry::Load(CStringMap& archive) {
    nTypeID = archive.GetInt("nTypeID", 0);
    nLV = archive.GetInt("nLV", 0);
}

void SortieTroopEntry::Save(CStringMap& archive) const {
    archive.SetInt64("nTypeIDSize", (int64_t)nTypeID.size());
    for (int k = 0; k < (int)nTypeID.size(); ++k) archive.SetInt64(Num("nTypeID", k), nTypeID[k]);
    archive.SetInt64("nLVSize", (int64_t)nLV.size());
    for (int k = 0; k < (int)nLV.size(); ++k) archive.SetInt64(Num("nLV", k), nLV[k]);
    archive.SetInt64("bForwardSize", (int64_t)bForward.size());
    for (int k = 0; k < (int)bForward.size(); ++k) archive.SetInt64(Num("bForward", k), bForward[k] ? 1 : 0);
}

void SortieTroopEntry::Load(CStringMap& archive) {
    nTypeID.clear();
    nLV.clear();
    bForward.clear();
    int n = ReadSavedCount(archive, "nTypeIDSize", 0, "部隊の人物");
    for (int k = 0; k < n; ++k) nTypeID.push_back(archive.GetInt(Num("nTypeID", k), 0));
    n = ReadSavedCount(archive, "nLVSize", 0, "部隊のレベル");
    for (int k = 0; k < n; ++k) nLV.push_back(archive.GetInt(Num("nLV", k), 0));
    n = ReadSavedCount(archive, "bForwardSize", 0, "部隊の前列指定");
    for (int k = 0; k < n; ++k) bForward.push_back(archive.GetInt(Num("bForward", k), 0) != 0);
}

void CSortiePosition::Save(CStringMap& archive) const {
    archive.SetInt64("x", x);
    archive.SetInt64("y", y);
    archive.SetInt64("m_vHeroSize", (int64_t)m_vHero.size());
    for (int j = 0; j < (int)m_vHero.size(); ++j) {
        archive.EnterGroup(Num("m_vHero", j));
        m_vHero[j].Save(archive);
        archive.LeaveGroup();
    }
    archive.SetInt64("m_vTroopSize", (int64_t)m_vTroop.size());
    for (int j = 0; j < (int)m_vTroop.size(); ++j) {
        archive.EnterGroup(Num("m_vTroop", j));
        m_vTroop[j].Save(archive);
        archive.LeaveGroup();
    }
}

void CSortiePosition::Load(CStringMap& archive) {
    x = archive.GetInt("x", 0);
    y = archive.GetInt("y", 0);
    m_vHero.clear();
    int n = ReadSavedCount(archive, "m_vHeroSize", 0, "出撃位置の英雄");
    m_vHero.resize(n);
    for (int j = 0; j < n; ++j) {
        archive.EnterGroup(Num("m_vHero", j));
        m_vHero[j].Load(archive);
        archive.LeaveGroup();
    }
    m_vTroop.clear();
    n = ReadSavedCount(archive, "m_vTroopSize", 0, "出撃位置の部隊");
    m_vTroop.resize(n);
    for (int j = 0; j < n; ++j) {
        archive.EnterGroup(Num("m_vTroop", j));
        m_vTroop[j].Load(archive);
        archive.LeaveGroup();
    }
}

void MapEvent::Save(CStringMap& archive) const {
    archive.SetInt64("nEvent", nEvent);
    archive.SetInt64("nTurn", nTurn);
    archive.SetInt64("bCPU", bCPU ? 1 : 0);
}

void MapEvent::Load(CStringMap& archive) {
    nEvent = archive.GetInt("nEvent", 0);
    nTurn = archive.GetInt("nTurn", 0);
    bCPU = archive.GetInt("bCPU", 0) != 0;
}

// ---- the record ---------------------------------------------------------------------------

void CMapData::Save(CStringMap& archive) const {
    archive.SetInt64("m_byMapChipSize", (int64_t)m_byMapChip.size());
    std::string grid;
    grid.reserve(m_byMapChip.size() * 4);
    for (uint8_t chip : m_byMapChip) {
        AppendInt64(grid, chip);
        grid += ' ';
    }
    archive.SetString("m_byMapChip", grid);

    archive.SetInt64("m_vnSortiePosSize", (int64_t)m_vnSortiePos.size());
    for (int i = 0; i < (int)m_vnSortiePos.size(); ++i) {
        archive.EnterGroup(Num("m_vnSortiePos", i));
        m_vnSortiePos[i].Save(archive);
        archive.LeaveGroup();
    }
    archive.SetInt64("m_xSize", m_xSize);
    archive.SetInt64("m_ySize", m_ySize);

    archive.SetInt64("OperationMessageSize", (int64_t)OperationMessage.size());
    int i = 0;
    for (const auto& [key, lines] : OperationMessage) {
        archive.EnterGroup(Num("OperationMessage", i++));
        archive.SetInt64("key", key);
        archive.SetInt64("DataVectorSize", (int64_t)lines.size());
        for (int j = 0; j < (int)lines.size(); ++j) archive.SetString(Num("DataVector", j), lines[j]);
        archive.LeaveGroup();
    }

    archive.SetInt64("m_vAnabasisRouteSize", (int64_t)m_vAnabasisRoute.size());
    for (int r = 0; r < (int)m_vAnabasisRoute.size(); ++r) {
        archive.EnterGroup(Num("m_vAnabasisRoute", r));
        const std::vector<MapPoint>& route = m_vAnabasisRoute[r];
        archive.SetInt64("m_vAnabasisRouteSize", (int64_t)route.size());
        for (int k = 0; k < (int)route.size(); ++k) {
            archive.EnterGroup(Num("m_vAnabasisRoute", k));
            archive.SetInt64("x", route[k].x);
            archive.SetInt64("y", route[k].y);
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }

    archive.SetInt64("num_map", num_map);
    archive.SetInt64("m_vEventSize", (int64_t)m_vEvent.size());
    for (int e = 0; e < (int)m_vEvent.size(); ++e) {
        archive.EnterGroup(Num("m_vEvent", e));
        m_vEvent[e].Save(archive);
        archive.LeaveGroup();
    }
    archive.SetString("MissionName[0]", MissionName[0]);
    archive.SetString("MissionName[1]", MissionName[1]);
}

void CMapData::Load(CStringMap& archive) { LoadCommon(archive, false); }

void CMapData::LoadVersion1(CStringMap& archive) { LoadCommon(archive, true); }

void CMapData::LoadCommon(CStringMap& archive, bool version1) {
    // 1-2. The grid.
    m_byMapChip.clear();
    if (version1) {
        const int n = ReadSavedCount(archive, "m_byMapChipSize", 0, "マップのマス");
        m_byMapChip.assign(static_cast<size_t>(n), 0);
        for (int i = 0; i < n; ++i) m_byMapChip[i] = static_cast<uint8_t>(archive.GetInt(Num("m_byMapChip", i), 0));
    } else {
        const std::string grid = archive.GetString("m_byMapChip", "");
        // Every element stands in the text as a token ended by a space.
        const int tokens = static_cast<int>(std::count(grid.begin(), grid.end(), ' '));
        const int n = ReadSavedCount(archive, "m_byMapChipSize", 0, "マップのマス", tokens);
        m_byMapChip.assign(static_cast<size_t>(n), 0);
        size_t pos = 0;
        for (int i = 0; i < n; ++i) {
            const size_t end = grid.find(' ', pos);
            int64_t value = 0;
            ParseInt64(grid.substr(pos, end - pos), value);  // an empty or foreign token gives 0
            m_byMapChip[i] = static_cast<uint8_t>(value);
            pos = end + 1;
        }
    }

    // 3. Sortie points.
    m_vnSortiePos.clear();
    int n = ReadSavedCount(archive, "m_vnSortiePosSize", 0, "出撃位置");
    m_vnSortiePos.resize(n);
    for (int i = 0; i < n; ++i) {
        archive.EnterGroup(Num("m_vnSortiePos", i));
        m_vnSortiePos[i].Load(archive);
        archive.LeaveGroup();
    }

    // 4. Size.
    m_xSize = archive.GetInt("m_xSize", 0);
    m_ySize = archive.GetInt("m_ySize", 0);
    if (m_xSize < 0 || m_ySize < 0 ||
        static_cast<int64_t>(m_xSize) * m_ySize != static_cast<int64_t>(m_byMapChip.size())) {
        g_ErrorLog.Printf("セーブデータのマップの大きさ %d x %d がマス数 %d と合いません。", m_xSize, m_ySize,
                          (int)m_byMapChip.size());
        if (m_xSize < 0) m_xSize = 0;
        if (m_ySize < 0) m_ySize = 0;
        // The grid must cover every cell that the size names.
        if (static_cast<int64_t>(m_xSize) * m_ySize > static_cast<int64_t>(m_byMapChip.size())) {
            m_ySize = m_xSize > 0 ? static_cast<int>(m_byMapChip.size() / m_xSize) : 0;
        }
    }

    // 5. Operation messages (the older layout has none and keeps what is held).
    if (!version1) {
        OperationMessage.clear();
        n = ReadSavedCount(archive, "OperationMessageSize", 0, "作戦メッセージ");
        for (int i = 0; i < n; ++i) {
            archive.EnterGroup(Num("OperationMessage", i));
            const int key = archive.GetInt("key", 0);
            const int c = ReadSavedCount(archive, "DataVectorSize", 0, "作戦メッセージの行");
            std::vector<std::string> lines;
            lines.reserve(c);
            for (int j = 0; j < c; ++j) lines.push_back(archive.GetString(Num("DataVector", j), ""));
            OperationMessage.emplace(key, std::move(lines));
            archive.LeaveGroup();
        }
    }

    // 6. Routes.
    m_vAnabasisRoute.clear();
    n = ReadSavedCount(archive, "m_vAnabasisRouteSize", 0, "進軍経路");
    m_vAnabasisRoute.resize(n);
    for (int r = 0; r < n; ++r) {
        archive.EnterGroup(Num("m_vAnabasisRoute", r));
        const int points = ReadSavedCount(archive, "m_vAnabasisRouteSize", 0, "進軍経路の地点");
        std::vector<MapPoint>& route = m_vAnabasisRoute[r];
        route.resize(points);
        for (int k = 0; k < points; ++k) {
            archive.EnterGroup(Num("m_vAnabasisRoute", k));
            route[k].x = archive.GetInt("x", 0);
            route[k].y = archive.GetInt("y", 0);
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }

    // 7-8. Map number and events.
    num_map = archive.GetInt("num_map", 0);
    m_vEvent.clear();
    n = ReadSavedCount(archive, "m_vEventSize", 0, "イベント");
    m_vEvent.resize(n);
    for (int e = 0; e < n; ++e) {
        archive.EnterGroup(Num("m_vEvent", e));
        m_vEvent[e].Load(archive);
        archive.LeaveGroup();
    }

    // 9. Mission names.
    MissionName[0] = archive.GetString("MissionName[0]", "");
    MissionName[1] = archive.GetString("MissionName[1]", "");

    CheckChips("セーブデータのマップ");
}
