#include "UnitData.h"

#include <algorithm>
#include <climits>
#include <string>

#include "SkillData.h"
#include "archive/gvlStringMap.h"
#include "log/ErrorLog.h"

namespace {

int32_t g_nNextUnitId = 10000;

const UnitRecord& NeutralUnit() {
    static UnitRecord* neutral = new UnitRecord();
    *neutral = UnitRecord();
    return *neutral;
}

// What a member query outside the list answers: nobody, not alive.
PersonRecord& NeutralMember() {
    static PersonRecord* neutral = new PersonRecord();
    *neutral = PersonRecord();
    neutral->bExist = 0;
    return *neutral;
}

const std::map<int, int>& EmptyCounts() {
    static const std::map<int, int> empty;
    return empty;
}

}  // namespace

#define UNIT_OR(u, neutral)                                                                 \
    if (!IsValidUnit(u)) {                                                                  \
        g_ErrorLog.Printf("ユニット番号が範囲外です。%s: unit=%d, count=%d", __func__, (int)(u), \
                          GetCount());                                                      \
        return neutral;                                                                     \
    }

#define SLOT_OR(u, j, neutral)                                                                  \
    UNIT_OR(u, neutral);                                                                        \
    if ((j) < 0 || (j) >= (int)m_vUnit[u].vnPerson.size()) {                                    \
        g_ErrorLog.Printf("メンバー番号が範囲外です。%s: unit=%d, slot=%d", __func__, (int)(u), (int)(j)); \
        return neutral;                                                                         \
    }

#define PERSONS_OR(neutral)                                                     \
    if (m_pPersonList == nullptr) {                                             \
        g_ErrorLog.Printf("ユニット表に人物表がありません。%s", __func__);      \
        return neutral;                                                         \
    }

// ---- UnitRecord ---------------------------------------------------------------------------

UnitRecord::UnitRecord() : nUnitID(g_nNextUnitId++) {}

UnitRecord::UnitRecord(int person, int x_, int y_) : nUnitID(g_nNextUnitId++), x(x_), y(y_) {
    vnPerson.push_back(person);
}

int UnitRecord::PeekNextId() { return g_nNextUnitId; }

// ---- CUnitList: forming units -------------------------------------------------------------

CUnitList::CUnitList() { m_vUnit.reserve(500); }

void CUnitList::Clear() {
    m_vUnit.clear();
    m_Defeated[0].clear();
    m_Defeated[1].clear();
}

int CUnitList::AddUnit(int person) { return AddUnitAt(person, 0, 0); }

int CUnitList::AddUnitAt(int person, int x, int y) {
    PERSONS_OR(-1);
    if (!m_pPersonList->IsValidIndex(person)) {
        g_ErrorLog.Printf("ユニットを作る人物番号が範囲外です。person=%d", person);
        return -1;
    }
    m_vUnit.push_back(UnitRecord(person, x, y));
    m_pPersonList->SetForward(person, 1);
    return (int)m_vUnit.size() - 1;
}

void CUnitList::AddMember(int unit, int person) {
    UNIT_OR(unit, );
    PERSONS_OR();
    if (!m_pPersonList->IsValidIndex(person)) {
        g_ErrorLog.Printf("メンバーに加える人物番号が範囲外です。unit=%d, person=%d", unit, person);
        return;
    }
    UnitRecord& u = m_vUnit[unit];
    if ((int)u.vnPerson.size() >= kMaxUnitMembers) {
        g_ErrorLog.Printf("モブに規定を超える人数を追加しようとした。unit=%d, person=%d", unit, person);
        return;
    }
    u.vnPerson.push_back(person);
}

void CUnitList::SetMembers(int unit, const int order[4]) {
    UNIT_OR(unit, );
    PERSONS_OR();
    std::vector<int32_t> members;
    for (int k = 0; k < 4; ++k) {
        if (order[k] == -1) continue;
        if (!m_pPersonList->IsValidIndex(order[k])) {
            g_ErrorLog.Printf("メンバーの人物番号が範囲外です。unit=%d, person=%d", unit, order[k]);
            continue;
        }
        members.push_back(order[k]);
        m_pPersonList->SetForward(order[k], k < 2 ? 1 : 0);
    }
    m_vUnit[unit].vnPerson = members;
}

void CUnitList::RemoveMember(int unit, int slot) {
    SLOT_OR(unit, slot, );
    UnitRecord& u = m_vUnit[unit];
    u.vnPerson.erase(u.vnPerson.begin() + slot);
    if (u.vnPerson.empty()) {
        m_vUnit.erase(m_vUnit.begin() + unit);
        return;
    }
    if (m_pPersonList == nullptr) return;
    for (int32_t p : u.vnPerson)
        if (m_pPersonList->GetPerson(p).bForward) return;
    m_pPersonList->SetForward(u.vnPerson[0], 1);
}

void CUnitList::RemoveUnit(int unit) {
    UNIT_OR(unit, );
    m_vUnit.erase(m_vUnit.begin() + unit);
}

void CUnitList::SortMembersFrontFirst(int unit) {
    UNIT_OR(unit, );
    PERSONS_OR();
    std::vector<int32_t>& v = m_vUnit[unit].vnPerson;
    std::stable_partition(v.begin(), v.end(),
                          [this](int32_t p) { return m_pPersonList->GetPerson(p).bForward != 0; });
}

int CUnitList::SplitUnit(int unit, const bool selected[4]) {
    UNIT_OR(unit, -1);
    int count = (int)m_vUnit[unit].vnPerson.size();
    if (count <= 1) return unit;
    bool mixed = false;
    for (int k = 1; k < count; ++k)
        if (selected[k] != selected[0]) mixed = true;
    if (!mixed) return unit;

    const std::vector<int32_t> members = m_vUnit[unit].vnPerson;
    int created = -1;
    for (int k = 0; k < count; ++k) {
        if (!selected[k]) continue;
        if (created < 0) {
            created = AddUnit(members[k]);
            if (created < 0) return unit;
            m_vUnit[created].x = m_vUnit[unit].x;
            m_vUnit[created].y = m_vUnit[unit].y;
        } else {
            AddMember(created, members[k]);
        }
    }
    for (int k = count - 1; k >= 0; --k)
        if (selected[k]) RemoveMember(unit, k);
    m_vUnit[created].bActEnd = m_vUnit[unit].bActEnd;
    m_vUnit[created].bMoveEnd = m_vUnit[unit].bActEnd;
    return created;
}

int CUnitList::TransferMembers(int target, int source, const bool selected[4]) {
    UNIT_OR(target, -1);
    UNIT_OR(source, -1);
    PERSONS_OR(-1);
    if (target == source) {
        g_ErrorLog.Printf("同じユニットの間でメンバーを移そうとした。unit=%d", target);
        return target;
    }
    const std::vector<int32_t> members = m_vUnit[source].vnPerson;
    int count = (int)members.size();
    int chosen = 0;
    for (int k = 0; k < count; ++k)
        if (selected[k]) ++chosen;
    bool all = chosen == count;
    // Moving more members than the target can hold would drop the surplus from
    // both units: refuse the whole move instead.
    if ((int)m_vUnit[target].vnPerson.size() + chosen > kMaxUnitMembers) {
        g_ErrorLog.Printf("モブに規定を超える人数を移そうとした。unit=%d, from=%d, count=%d", target, source,
                          chosen);
        return target;
    }

    for (int k = 0; k < count; ++k) {
        if (!selected[k]) continue;
        PersonRecord& p = m_pPersonList->GetPerson(members[k]);
        int same = 0;
        for (int32_t q : m_vUnit[target].vnPerson) {
            if (m_pPersonList->GetPerson(q).bForward == p.bForward && ++same >= 2) {
                p.bForward = p.bForward ? 0 : 1;
                break;
            }
        }
        AddMember(target, members[k]);
    }
    SortMembersFrontFirst(target);
    const int32_t leader = m_vUnit[target].vnPerson.empty() ? -1 : m_vUnit[target].vnPerson[0];

    if (all) {
        m_vUnit[source].vnPerson.clear();
        m_vUnit.erase(m_vUnit.begin() + source);
    } else {
        for (int k = count - 1; k >= 0; --k)
            if (selected[k]) RemoveMember(source, k);
        SortMembersFrontFirst(source);
    }
    for (int u = 0; u < (int)m_vUnit.size(); ++u)
        if (!m_vUnit[u].vnPerson.empty() && m_vUnit[u].vnPerson[0] == leader) return u;
    return -1;
}

int CUnitList::MergeUnits(int target, int source, const int order[4]) {
    UNIT_OR(target, -1);
    UNIT_OR(source, -1);
    if (target == source) {
        g_ErrorLog.Printf("同じユニットを合流させようとした。unit=%d", target);
        SetMembers(target, order);
        return target;
    }
    const int32_t id = m_vUnit[target].nUnitID;
    const std::vector<int32_t> members = m_vUnit[source].vnPerson;
    for (int32_t m : members) AddMember(target, m);
    m_vUnit.erase(m_vUnit.begin() + source);
    int found = FindUnitById(id);
    if (found < 0) return -1;
    SetMembers(found, order);
    return found;
}

bool CUnitList::CanJoinUnits(int a, int b, const bool* selected) const {
    UNIT_OR(a, false);
    UNIT_OR(b, false);
    PERSONS_OR(false);
    if (a == b) return false;
    const UnitRecord& ua = m_vUnit[a];
    const UnitRecord& ub = m_vUnit[b];
    if (ua.vnPerson.empty()) return false;
    const PersonRecord& la = m_pPersonList->GetPerson(ua.vnPerson[0]);
    if (la.hero) return false;
    int joined = 0;
    if (!ub.vnPerson.empty()) {
        const PersonRecord& lb = m_pPersonList->GetPerson(ub.vnPerson[0]);
        if (la.bFriend != lb.bFriend || lb.hero) return false;
        for (int k = 0; k < (int)ub.vnPerson.size(); ++k)
            if (selected == nullptr || selected[k]) ++joined;
    }
    return (int)ua.vnPerson.size() + joined <= kMaxUnitMembers;
}

bool CUnitList::CanJoinRangedUnit(int a, int b, const bool* selected) const {
    return CanJoinUnits(a, b, selected) && GetMinAttackRange(b) > 1;
}

// ---- movement and place -------------------------------------------------------------------

int CUnitList::GetUnitMove(int unit) const {
    UNIT_OR(unit, 0);
    PERSONS_OR(0);
    int move = 100;
    for (int32_t p : m_vUnit[unit].vnPerson) move = std::min(move, m_pPersonList->GetPerson(p).nMove);
    return move;
}

int CUnitList::GetUnitRestMove(int unit) const {
    UNIT_OR(unit, 0);
    PERSONS_OR(0);
    int rest = 10000;
    for (int32_t p : m_vUnit[unit].vnPerson) rest = std::min(rest, m_pPersonList->GetPerson(p).nRestMove);
    return rest;
}

int CUnitList::GetDistance(int a, int b) const {
    UNIT_OR(a, 0);
    UNIT_OR(b, 0);
    return std::abs(m_vUnit[a].x - m_vUnit[b].x) + std::abs(m_vUnit[a].y - m_vUnit[b].y);
}

bool CUnitList::IsInRange(int unit, int x, int y, int max, int min) const {
    UNIT_OR(unit, false);
    int d = std::abs(x - m_vUnit[unit].x) + std::abs(y - m_vUnit[unit].y);
    if (d < min) return false;
    return d <= max;
}

int CUnitList::FindUnitAt(int x, int y) const {
    for (int u = 0; u < (int)m_vUnit.size(); ++u)
        if (m_vUnit[u].x == x && m_vUnit[u].y == y) return u;
    return -1;
}

int CUnitList::FindUnitOfPerson(int person) const {
    for (int u = 0; u < (int)m_vUnit.size(); ++u)
        for (int32_t p : m_vUnit[u].vnPerson)
            if (p == person) return u;
    return -1;
}

int CUnitList::FindUnitById(int id) const {
    for (int u = 0; u < (int)m_vUnit.size(); ++u)
        if (m_vUnit[u].nUnitID == id) return u;
    return -1;
}

int CUnitList::GetSlotPosition(int unit, int slot) const {
    SLOT_OR(unit, slot, -1);
    if (slot == 0) return 0;
    if (slot == 3) return 3;
    bool secondInFront = IsMemberForward(unit, 1);
    if (slot == 1) return secondInFront ? 1 : 2;
    return secondInFront ? 2 : 3;
}

int CUnitList::FindSlotByPosition(int unit, int position) const {
    UNIT_OR(unit, -1);
    for (int j = 0; j < (int)m_vUnit[unit].vnPerson.size(); ++j)
        if (GetSlotPosition(unit, j) == position) return j;
    return -1;
}

// ---- reach ---------------------------------------------------------------------------------

namespace {

// Skills that give a unit its attack reach: no cannon magic, no passives, no support.
bool IsReachSkill(int id) {
    return !g_SkillData.IsCannon(id) && !g_SkillData.IsPassive(id) && g_SkillData.GetType(id) != 3;
}

// The largest "range2" of the person's usable reach skills; 0 when none.
int PersonAttackRange(const CPersonList& persons, int person) {
    const PersonRecord& p = persons.GetPerson(person);
    int best = 0;
    int n = p.CountSkills();
    for (int k = 0; k < n; ++k) {
        int id = p.skill[k];
        if (!IsReachSkill(id)) continue;
        if (g_SkillData.GetMp(id) > p.nMP) continue;
        if (g_SkillData.GetType(id) == 2 && persons.HasCondition(person, 2)) continue;
        best = std::max(best, g_SkillData.GetRange2(id));
    }
    return best;
}

}  // namespace

int CUnitList::GetAttackRange(int unit) const {
    UNIT_OR(unit, 0);
    PERSONS_OR(0);
    int best = 0;
    for (int32_t p : m_vUnit[unit].vnPerson) best = std::max(best, PersonAttackRange(*m_pPersonList, p));
    return best;
}

int CUnitList::GetAttackRangeEffect10(int unit) const {
    UNIT_OR(unit, 0);
    PERSONS_OR(0);
    int best = 0;
    for (int32_t p : m_vUnit[unit].vnPerson) {
        // The passive that keeps a member's full reach after moving stands in its
        // passive skill list, like every other passive effect.
        if (m_pPersonList->HasPassiveSkillEffect(p, 10))
            best = std::max(best, PersonAttackRange(*m_pPersonList, p));
        else
            best = std::max(best, 1);
    }
    return best;
}

int CUnitList::GetMinAttackRange(int unit) const {
    UNIT_OR(unit, INT_MAX);
    PERSONS_OR(INT_MAX);
    int least = INT_MAX;
    for (int32_t person : m_vUnit[unit].vnPerson) {
        const PersonRecord& p = m_pPersonList->GetPerson(person);
        int n = p.CountSkills();
        for (int k = 0; k < n; ++k)
            if (IsReachSkill(p.skill[k])) least = std::min(least, g_SkillData.GetRange2(p.skill[k]));
    }
    return least;
}

bool CUnitList::HasAffordableType3Skill(int unit) const {
    UNIT_OR(unit, false);
    PERSONS_OR(false);
    for (int32_t p : m_vUnit[unit].vnPerson)
        if (m_pPersonList->HasAffordableType3Skill(p)) return true;
    return false;
}

// ---- defeated counts ----------------------------------------------------------------------

void CUnitList::AddDefeated(int side, int typeID) {
    if (side < 0 || side > 1) {
        g_ErrorLog.Printf("陣営番号が範囲外です。side=%d", side);
        return;
    }
    ++m_Defeated[side][typeID];
}

int CUnitList::GetDefeatedCount(int side, int typeID) const {
    if (side < 0 || side > 1) return 0;
    auto it = m_Defeated[side].find(typeID);
    return it == m_Defeated[side].end() ? 0 : it->second;
}

int CUnitList::GetDefeatedTotal(int side) const {
    if (side < 0 || side > 1) return 0;
    int total = 0;
    for (const auto& [type, count] : m_Defeated[side]) total += count;
    return total;
}

int CUnitList::GetDefeatedHeroCount(int side) const {
    if (side < 0 || side > 1) return 0;
    int total = 0;
    for (const auto& [type, count] : m_Defeated[side])
        if (CPersonTypeTable::Get(type).hero) total += count;
    return total;
}

const std::map<int, int>& CUnitList::GetDefeatedMap(int side) const {
    if (side < 0 || side > 1) return EmptyCounts();
    return m_Defeated[side];
}

// ---- accessors -----------------------------------------------------------------------------

UnitRecord& CUnitList::GetUnit(int unit) {
    UNIT_OR(unit, const_cast<UnitRecord&>(NeutralUnit()));
    return m_vUnit[unit];
}

const UnitRecord& CUnitList::GetUnit(int unit) const {
    UNIT_OR(unit, NeutralUnit());
    return m_vUnit[unit];
}

void CUnitList::GetUnitId(int unit, int* id) const {
    UNIT_OR(unit, );
    if (id) *id = m_vUnit[unit].nUnitID;
}

int CUnitList::GetX(int unit) const { UNIT_OR(unit, 0); return m_vUnit[unit].x; }
int CUnitList::GetY(int unit) const { UNIT_OR(unit, 0); return m_vUnit[unit].y; }

void CUnitList::SetUnitPosition(int unit, int x, int y) {
    UNIT_OR(unit, );
    m_vUnit[unit].x = x;
    m_vUnit[unit].y = y;
}

int CUnitList::GetCharge(int unit) const { UNIT_OR(unit, 0); return m_vUnit[unit].nCharge; }
void CUnitList::SetCharge(int unit, int charge) { UNIT_OR(unit, ); m_vUnit[unit].nCharge = charge; }
bool CUnitList::IsActEnd(int unit) const { UNIT_OR(unit, true); return m_vUnit[unit].bActEnd != 0; }
bool CUnitList::IsMoveEnd(int unit) const { UNIT_OR(unit, true); return m_vUnit[unit].bMoveEnd != 0; }
void CUnitList::SetMoveEnd(int unit, uint8_t flag) { UNIT_OR(unit, ); m_vUnit[unit].bMoveEnd = flag; }
void CUnitList::SetActEnd(int unit, uint8_t flag) { UNIT_OR(unit, ); m_vUnit[unit].bActEnd = flag; }

void CUnitList::SetActEndAndMoveEnd(int unit, uint8_t flag) {
    UNIT_OR(unit, );
    m_vUnit[unit].bActEnd = flag;
    m_vUnit[unit].bMoveEnd = flag;
}

bool CUnitList::IsFriend(int unit) const { return GetMemberPerson(unit, 0).bFriend != 0; }
bool CUnitList::IsHero(int unit) const { return GetMemberPerson(unit, 0).hero != 0; }
bool CUnitList::IsOperable(int unit) const { return GetMemberPerson(unit, 0).bOperate != 0; }

int CUnitList::GetMemberCount(int unit) const { UNIT_OR(unit, 0); return (int)m_vUnit[unit].vnPerson.size(); }

int CUnitList::GetMember(int unit, int j) const {
    SLOT_OR(unit, j, -1);
    return m_vUnit[unit].vnPerson[j];
}

PersonRecord& CUnitList::GetMemberPerson(int unit, int j) {
    SLOT_OR(unit, j, NeutralMember());
    PERSONS_OR(NeutralMember());
    return m_pPersonList->GetPerson(m_vUnit[unit].vnPerson[j]);
}

const PersonRecord& CUnitList::GetMemberPerson(int unit, int j) const {
    return const_cast<CUnitList*>(this)->GetMemberPerson(unit, j);
}

int CUnitList::GetMemberTypeID(int unit, int j) const { return GetMemberPerson(unit, j).typeID; }
int CUnitList::GetMemberHP(int unit, int j) const { return GetMemberPerson(unit, j).nHP; }
int CUnitList::GetMemberMP(int unit, int j) const { return GetMemberPerson(unit, j).nMP; }
int CUnitList::GetMemberMaxHP(int unit, int j) const { return GetMemberPerson(unit, j).nMaxHP; }
int CUnitList::GetMemberStr(int unit, int j) const { return GetMemberPerson(unit, j).nStr; }
int CUnitList::GetMemberMag(int unit, int j) const { return GetMemberPerson(unit, j).nMag; }
int CUnitList::GetMemberMoveType(int unit, int j) const { return GetMemberPerson(unit, j).m_type; }
bool CUnitList::IsMemberForward(int unit, int j) const { return GetMemberPerson(unit, j).bForward != 0; }
int CUnitList::CountMemberSkills(int unit, int j) const { return GetMemberPerson(unit, j).CountSkills(); }
int CUnitList::CountMemberCSkills(int unit, int j) const { return GetMemberPerson(unit, j).CountCSkills(); }
int CUnitList::CountMemberPassiveSkills(int unit, int j) const {
    return GetMemberPerson(unit, j).CountPassiveSkills();
}

namespace {
int SkillEntry(const int32_t* list, int k) {
    if (k < 0 || k >= kPersonSkillSlots) {
        g_ErrorLog.Printf("スキル番号が範囲外です。k=%d", k);
        return -1;
    }
    return list[k];
}
}  // namespace

int CUnitList::GetMemberSkill(int unit, int j, int k) const { return SkillEntry(GetMemberPerson(unit, j).skill, k); }
int CUnitList::GetMemberCSkill(int unit, int j, int k) const { return SkillEntry(GetMemberPerson(unit, j).cskill, k); }
int CUnitList::GetMemberPassiveSkill(int unit, int j, int k) const {
    return SkillEntry(GetMemberPerson(unit, j).pskill, k);
}
int CUnitList::GetMemberSkillByIndex(int unit, int j, int n) const {
    return GetMemberPerson(unit, j).GetSkillByIndex(n);
}

void CUnitList::SetMemberHP(int unit, int j, int value) {
    SLOT_OR(unit, j, );
    PERSONS_OR();
    m_pPersonList->SetHP(m_vUnit[unit].vnPerson[j], value);
}

void CUnitList::SetMemberRestMove(int unit, int j, int value) {
    SLOT_OR(unit, j, );
    PERSONS_OR();
    m_pPersonList->SetRestMove(m_vUnit[unit].vnPerson[j], value);
}

int CUnitList::CountAllMemberSkills(int unit, int j) const {
    const PersonRecord& p = GetMemberPerson(unit, j);
    return p.CountSkills() + p.CountCSkills() + p.CountPassiveSkills();
}

std::string CUnitList::GetMemberName(int unit, int j) const { return GetMemberPerson(unit, j).name; }
std::string CUnitList::GetMemberShortName(int unit, int j) const { return GetMemberPerson(unit, j).s_name; }

std::string CUnitList::GetPersonNameAt(int x, int y) const {
    int unit = FindUnitAt(x, y);
    if (unit < 0 || m_vUnit[unit].vnPerson.empty() || m_pPersonList == nullptr) return std::string();
    return m_pPersonList->GetName(m_vUnit[unit].vnPerson[0]);
}

// ---- archive -------------------------------------------------------------------------------

void CUnitList::Save(CStringMap& archive) const {
    for (int side = 0; side < 2; ++side) {
        archive.EnterGroup(side == 0 ? "Defeated0" : "Defeated1");
        archive.SetInt64("MapSize", (int64_t)m_Defeated[side].size());
        int i = 0;
        for (const auto& [type, count] : m_Defeated[side]) {
            archive.EnterGroup("MapData" + Int64ToString(i++));
            archive.SetInt64("key", type);
            archive.SetInt64("Data", count);
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }
    archive.SetInt64("OneUnitDataSize", (int64_t)m_vUnit.size());
    for (int i = 0; i < (int)m_vUnit.size(); ++i) {
        const UnitRecord& u = m_vUnit[i];
        archive.EnterGroup("m_vUnit" + Int64ToString(i));
        archive.SetInt64("bActEnd", u.bActEnd ? 1 : 0);
        archive.SetInt64("bMoveEnd", u.bMoveEnd ? 1 : 0);
        archive.SetInt64("nCharge", u.nCharge);
        archive.SetInt64("x", u.x);
        archive.SetInt64("y", u.y);
        archive.SetInt64("vnPersonSize", (int64_t)u.vnPerson.size());
        for (int k = 0; k < (int)u.vnPerson.size(); ++k)
            archive.SetInt64("vnPerson" + Int64ToString(k), u.vnPerson[k]);
        archive.LeaveGroup();
    }
}

void CUnitList::Load(CStringMap& archive) {
    // Counts read from a save are bounded so that a damaged file cannot make the
    // list allocate without end.
    constexpr int kMaxSavedUnits = 100000;
    constexpr int kMaxSavedTypes = 100000;
    for (int side = 0; side < 2; ++side) {
        m_Defeated[side].clear();
        archive.EnterGroup(side == 0 ? "Defeated0" : "Defeated1");
        int n = archive.GetInt("MapSize", 0);
        if (n < 0 || n > kMaxSavedTypes) {
            g_ErrorLog.Printf("セーブデータの撃破数の件数が不正です。%d", n);
            n = 0;
        }
        for (int i = 0; i < n; ++i) {
            archive.EnterGroup("MapData" + Int64ToString(i));
            m_Defeated[side].emplace(archive.GetInt("key", 0), archive.GetInt("Data", 0));
            archive.LeaveGroup();
        }
        archive.LeaveGroup();
    }
    m_vUnit.clear();
    int n = archive.GetInt("OneUnitDataSize", 0);
    if (n < 0 || n > kMaxSavedUnits) {
        g_ErrorLog.Printf("セーブデータのユニット数が不正です。%d", n);
        n = 0;
    }
    m_vUnit.reserve(std::max(n, 500));
    for (int i = 0; i < n; ++i) {
        UnitRecord u;  // a loaded unit takes a fresh id
        archive.EnterGroup("m_vUnit" + Int64ToString(i));
        u.bActEnd = archive.GetInt("bActEnd", 0) ? 1 : 0;
        u.bMoveEnd = archive.GetInt("bMoveEnd", 0) ? 1 : 0;
        u.nCharge = archive.GetInt("nCharge", 0);
        u.x = archive.GetInt("x", 0);
        u.y = archive.GetInt("y", 0);
        int members = archive.GetInt("vnPersonSize", 0);
        if (members < 0 || members > kMaxUnitMembers) {
            g_ErrorLog.Printf("セーブデータのユニット %d の人数が不正です。%d", i, members);
            members = members < 0 ? 0 : kMaxUnitMembers;
        }
        for (int k = 0; k < members; ++k) {
            int person = archive.GetInt("vnPerson" + Int64ToString(k), 0);
            if (m_pPersonList != nullptr && !m_pPersonList->IsValidIndex(person)) {
                g_ErrorLog.Printf("セーブデータのユニット %d の人物番号 %d が範囲外です。", i, person);
                continue;
            }
            if (std::find(u.vnPerson.begin(), u.vnPerson.end(), person) != u.vnPerson.end()) {
                g_ErrorLog.Printf("セーブデータのユニット %d に人物 %d が重ねて入っています。", i, person);
                continue;
            }
            u.vnPerson.push_back(person);
        }
        archive.LeaveGroup();
        if (members > 0 && u.vnPerson.empty()) continue;  // nobody left to stand there
        m_vUnit.push_back(u);
    }
}
