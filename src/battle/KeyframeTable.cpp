// The keyframe-data table and the keyframe animation table.
#include "KeyframeTable.h"

#include <set>

#include "log/ErrorLog.h"
#include "preload/GlobalPreloadData.h"

namespace {

// One line per distinct message over the program's run.
void LogOnce(const std::string& text) {
    static std::set<std::string> s_reported;
    if (s_reported.insert(text).second) g_ErrorLog.Write(text);
}

const std::vector<KeyframeKey>& ZeroKeys() {
    static const std::vector<KeyframeKey> keys(1);
    return keys;
}

}  // namespace

int StandingKeyframeOf(int id) {
    if (id < 100) return 100;
    return id - (id - 100) % 40;
}

// ---- keyframe data ----------------------------------------------------------------

int CKeyframeTable::Load(CTableFile& table) {
    const int before = table.GetRowCount();
    const int result = table.Load("model\\keyframe_data.csv");
    if (table.GetRowCount() == before)
        g_ErrorLog.Printf("CKeyframeTable::Load: model\\keyframe_data.csv に行がありません");
    return result;
}

int CKeyframeTable::GetInt(const CTableFile& table, int id, const std::string& name) {
    if (table.GetRowCount() == 0) {
        LogOnce("CKeyframeTable: model\\keyframe_data.csv が空です");
        return 0;
    }
    int column = -1;
    const auto& header = table.m_vRows[0];
    for (size_t c = 0; c < header.size(); ++c)
        if (header[c] == name) {
            column = int(c);
            break;
        }
    if (column < 0) {
        LogOnce("CKeyframeTable: model\\keyframe_data.csv に列 " + name + " がありません");
        return 0;
    }
    auto find = [&](int key) -> int {
        for (int r = 1; r < table.GetRowCount(); ++r)
            if (table.GetInt(r, 0) == key) return r;
        return -1;
    };
    // A motion missing from the table has length 0 and hits at its start frame.
    const int row = find(id);
    if (row < 0) {
        LogOnce("CKeyframeTable: model\\keyframe_data.csv に ID " + std::to_string(id) + " がないので 0 とします");
        return 0;
    }
    if (column >= table.GetColumnCount(row)) {
        LogOnce("CKeyframeTable: model\\keyframe_data.csv の ID " + std::to_string(id) + " に " + name +
                " の値がありません");
        return 0;
    }
    return table.GetInt(row, column);
}

int CKeyframeTable::GetInt(int id, const std::string& name) {
    const CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    if (!block) return 0;
    return GetInt(block->KeyframeTable, id, name);
}

// ---- keyframe animation -------------------------------------------------------------

CKeyframe::CKeyframe() {
    CTableFile table;
    table.Load("model\\keyframe.csv");
    if (table.GetRowCount() == 0) LogOnce("CKeyframe: model\\keyframe.csv に行がありません");
    LoadRows(table);
}

CKeyframe::CKeyframe(const CTableFile& table) { LoadRows(table); }

CKeyframe::~CKeyframe() {
    for (auto& entry : m_Keys) delete entry.second;
}

void CKeyframe::LoadRows(const CTableFile& table) {
    for (int r = 0; r < table.GetRowCount(); ++r) {
        const int cells = table.GetColumnCount(r);
        if (cells < 1) continue;
        const int id = table.GetInt(r, 0);
        auto it = m_Keys.find(id);
        if (it == m_Keys.end())
            it = m_Keys.emplace(id, new std::vector<KeyframeKey>(size_t(cells > 2 ? cells - 2 : 0))).first;
        std::vector<KeyframeKey>& keys = *it->second;
        if (cells < 2) continue;
        const std::string kind = table.GetCell(r, 1);
        int count = cells - 2;
        if (count > int(keys.size())) {
            LogOnce("CKeyframe: model\\keyframe.csv の ID " + std::to_string(id) + " の " + kind +
                    " 行は最初の行より長いので、余りの値を読みません");
            count = int(keys.size());
        }
        for (int i = 0; i < count; ++i) {
            KeyframeKey& k = keys[size_t(i)];
            const int c = i + 2;
            if (kind == "time") k.time = table.GetInt(r, c);
            else if (kind == "motion") k.motion = table.GetInt(r, c);
            else if (kind == "m_time") k.m_time = table.GetInt(r, c);
            else if (kind == "x") k.x = table.GetCellDouble(r, c);
            else if (kind == "y") k.y = table.GetCellDouble(r, c);
            else if (kind == "z") k.z = table.GetCellDouble(r, c);
            else if (kind == "rx") k.rx = table.GetCellDouble(r, c);
            else if (kind == "ry") k.ry = table.GetCellDouble(r, c);
            else if (kind == "rz") k.rz = table.GetCellDouble(r, c);
            else break;  // an unknown kind only creates the id's entry
        }
    }
}

bool CKeyframe::Has(int id) const {
    auto it = m_Keys.find(id);
    return it != m_Keys.end() && !it->second->empty();
}

const std::vector<KeyframeKey>& CKeyframe::KeysOf(int id) const {
    auto it = m_Keys.find(id);
    if (it != m_Keys.end() && !it->second->empty()) return *it->second;
    LogOnce("CKeyframe: model\\keyframe.csv に ID " + std::to_string(id) + " がないので立ちの動きを使います");
    it = m_Keys.find(StandingKeyframeOf(id));
    if (it != m_Keys.end() && !it->second->empty()) return *it->second;
    return ZeroKeys();
}

int CKeyframe::FindKey(int id, double t) const {
    const auto& keys = KeysOf(id);
    for (size_t i = 0; i < keys.size(); ++i)
        if (double(keys[i].time) > t) return int(i);
    return int(keys.size());
}

double CKeyframe::Channel(int id, double t, double KeyframeKey::*field) const {
    const auto& keys = KeysOf(id);
    const int k = FindKey(id, t);
    if (k == 0) return keys.front().*field;
    if (k == int(keys.size())) return keys.back().*field;
    const KeyframeKey& a = keys[size_t(k - 1)];
    const KeyframeKey& b = keys[size_t(k)];
    return a.*field + (b.*field - a.*field) * (t - a.time) / double(b.time - a.time);
}

double CKeyframe::GetX(int id, double t) const { return Channel(id, t, &KeyframeKey::x); }
double CKeyframe::GetY(int id, double t) const { return Channel(id, t, &KeyframeKey::y); }
double CKeyframe::GetZ(int id, double t) const { return Channel(id, t, &KeyframeKey::z); }
double CKeyframe::GetRX(int id, double t) const { return Channel(id, t, &KeyframeKey::rx); }
double CKeyframe::GetRY(int id, double t) const { return Channel(id, t, &KeyframeKey::ry); }
double CKeyframe::GetRZ(int id, double t) const { return Channel(id, t, &KeyframeKey::rz); }

int CKeyframe::GetMotion(int id, double t) const {
    const auto& keys = KeysOf(id);
    const int k = FindKey(id, t);
    return keys[size_t(k == 0 ? 0 : k - 1)].motion;
}

double CKeyframe::GetMTime(int id, double t) const {
    const auto& keys = KeysOf(id);
    const int k = FindKey(id, t);
    if (k == 0) return double(keys.front().m_time);
    if (k == int(keys.size())) return double(keys.back().m_time);
    const KeyframeKey& a = keys[size_t(k - 1)];
    const KeyframeKey& b = keys[size_t(k)];
    const int slope = (b.m_time - a.m_time) / (b.time - a.time);
    return double(a.m_time) + double(slope) * (t - double(a.time));
}
