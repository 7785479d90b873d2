// Battle members: placement, the start of an action, hits and the per-frame pose.
#include "BattleMember.h"

#include <algorithm>
#include <cmath>

#include "EffectSelect.h"
#include "FieldTaskInfo.h"
#include "MeshControl.h"
#include "SkillData.h"
#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"
#include "util/ClampInt.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kDegree = 0.017453292f;

bool ByStart(const MotionKey& a, const MotionKey& b) { return a.start < b.start; }
bool ByHitFrame(const AttackResult& a, const AttackResult& b) { return a.nHitFrame < b.nHitFrame; }

// Rows (0, 1 front; 2, 3 rear) of the members of one record's unit: front members
// take the front rows in member order, rear members the rear rows; a unit with
// more than two members in one row puts the others on the free rows.
void AssignRows(const C_FieldTaskInfo& field, const BattleActionRecord* rec, bool swap, int rows[4]) {
    for (int i = 0; i < 4; ++i) rows[i] = i;
    if (!rec || !IsValidBattleUnit(field, rec->nUnit)) return;
    const int count = std::min(4, field.m_UnitList.GetMemberCount(rec->nUnit));
    bool taken[4] = {};
    int front = 0, rear = 0;
    int wanted[4];
    for (int i = 0; i < count; ++i) {
        const bool forward = field.m_UnitList.GetMemberPerson(rec->nUnit, i).bForward != 0;
        wanted[i] = forward ? front++ : 2 + rear++;
    }
    for (int i = 0; i < count; ++i)
        if (wanted[i] < 4 && !taken[wanted[i]]) {
            rows[i] = wanted[i];
            taken[wanted[i]] = true;
        } else {
            rows[i] = -1;
        }
    for (int i = 0; i < count; ++i)
        if (rows[i] < 0)
            for (int r = 0; r < 4; ++r)
                if (!taken[r]) {
                    rows[i] = r;
                    taken[r] = true;
                    break;
                }
    if (swap)
        for (int i = 0; i < count; ++i) rows[i] ^= 1;
}

vm::Vec3 TranslationOf(const vm::Matrix* m) {
    return m ? vm::Vec3(m->m[3][0], m->m[3][1], m->m[3][2]) : vm::Vec3();
}

}  // namespace

const BattleActionRecord* GetBattleRecord(const C_FieldTaskInfo& field, int r) {
    if (r < 0 || r >= int(field.m_vBattleAction.size())) return nullptr;
    return &field.m_vBattleAction[size_t(r)];
}

bool IsBattleOnOwnUnit(const C_FieldTaskInfo& field) {
    return field.m_vBattleAction.size() >= 2 && field.m_vBattleAction[0].nUnit == field.m_vBattleAction[1].nUnit;
}

bool IsValidBattleUnit(const C_FieldTaskInfo& field, int unit) {
    return unit >= 0 && unit < field.m_UnitList.GetCount();
}

int GetBattleCategory(const C_FieldTaskInfo& field) {
    const BattleActionRecord* rec = GetBattleRecord(field, 0);
    return rec ? GetSkillCategory(&rec->nSkill[0]) : 0;
}

// ---- placement ----------------------------------------------------------------------

void BattleMember::Place(C_FieldTaskInfo& field, const CKeyframe* keyframe, const BattleFormation& formation,
                         int slot) {
    m_dAnimTime = 0.0;
    m_fAlpha = 1.0f;
    m_nMesh = -1;
    m_pKeyframe = keyframe;
    m_nActionLength = 0;
    m_nActionStart = 0;
    m_nHitFrame = -1;
    m_nDeathFrame = -1;
    m_nApproach = 0;
    m_bSpear = false;
    m_vSchedule.clear();
    m_vOwnResult.clear();
    m_vReceived.clear();
    m_BasePos = m_MotionOffset = vm::Vec3();
    m_BaseRot = m_MotionRot = vm::Identity();
    m_Turn = TurnRecord{};
    m_nSlot = slot;
    m_nSkill = -1;
    m_nTargetIndex = -1;

    const int r = slot / 4;
    const int member = slot % 4;
    const BattleActionRecord* rec = GetBattleRecord(field, r);
    m_nUnit = rec ? rec->nUnit : -1;
    m_bActive = rec && IsValidBattleUnit(field, m_nUnit) && member < field.m_UnitList.GetMemberCount(m_nUnit) &&
                !(IsBattleOnOwnUnit(field) && slot >= 4);
    if (!m_bActive) return;

    const int side = std::min(slot, 7) / 4;
    m_nKind = formation.kind[side];
    int rows[4];
    AssignRows(field, rec, formation.swap[side] != 0, rows);
    m_nPosition = side * 4 + rows[member];
    m_nHP = field.m_UnitList.GetMemberHP(m_nUnit, member);
    m_nSkill = rec->nSkill[member];
    m_nTargetIndex = rec->nTargetSlot[member];

    const bool ownUnit = IsBattleOnOwnUnit(field);
    for (const AttackResult& res : rec->vResult) {
        if (res.nAttacker != slot) continue;
        AttackResult copy = res;
        if (ownUnit) copy.nTarget -= 4;
        copy.nHitFrame = -1;  // released by a hit frame the battle gives it
        m_vOwnResult.push_back(copy);
    }

    const PersonRecord& person = field.m_UnitList.GetMemberPerson(m_nUnit, member);
    m_nKeyframeBase = 100 + 40 * person.model;
    const int category = GetSkillCategory(&m_nSkill);
    if ((m_nKeyframeBase == 100 || m_nKeyframeBase == 500 || m_nKeyframeBase == 540 || m_nKeyframeBase == 660) &&
        category == 3)
        m_nKeyframeBase += 80;
    else if (category == 2 && m_nKeyframeBase == 100)
        m_nKeyframeBase = 380;

    const int row = m_nPosition % 4;
    const float d = side == 0 ? 1.0f : -1.0f;
    if (row < 2) {
        static const float kFrontX[4] = {0.0f, -0.75f, -0.75f, -0.5f};
        float x = kFrontX[std::clamp(m_nKind, 0, 3)];
        if ((m_nKind == 2 || m_nKind == 3) && row == 0) x = -x;
        m_BasePos = vm::Vec3(x, -2.0f * d, 0.0f);
    } else {
        m_BasePos = vm::Vec3(row == 2 ? 2.0f : -2.0f, -3.0f * d, 0.0f);
    }
    m_BaseRot = vm::RotationX(kPi / 2) * vm::RotationZ(side == 1 ? kPi : 0.0f);
    m_World = m_BaseRot * vm::Translation(m_BasePos.x, m_BasePos.y, m_BasePos.z);
    AddMotion(0, m_nKeyframeBase);
}

// ---- action starts -------------------------------------------------------------------

int BattleMember::MotionLength(int motion) const {
    return CKeyframeTable::GetInt(m_nKeyframeBase + motion, "length");
}

int BattleMember::MotionHitTime(int motion) const {
    return CKeyframeTable::GetInt(m_nKeyframeBase + motion, "atk_time");
}

void BattleMember::SetHitFrames(int frame) {
    m_nHitFrame = frame;
    // Every result of the blow lands at that frame (a blow on several members
    // shows each of their numbers).
    for (AttackResult& r : m_vOwnResult) r.nHitFrame = frame;
}

void BattleMember::StartAttack(C_FieldTaskInfo& field, BattleFormation& formation, CBattleEffectController& effects) {
    const int s = m_nSlot;
    const int k = std::clamp(m_nKind, 0, 3);
    if (m_nPosition == 0) {
        static const int kCode[4] = {2, 4, 4, 1};
        m_nApproach = kCode[k];
    } else if (m_nPosition == 1) {
        static const int kCode[4] = {2, 4, 0, 3};
        m_nApproach = kCode[k];
    } else {
        m_nApproach = m_nPosition + 8;
    }
    m_nActionStart = 27 - 3 * (s % 4);
    m_WindowRow.actFrame = m_nActionStart;
    const int category = GetSkillCategory(&m_nSkill);
    if (category == 0 || !m_bActive) return;
    if (category >= 4) {
        StartMagic(field, m_nActionStart, formation, effects);
        return;
    }
    int m = 0;
    if (category == 3) {
        m = 10;
        StartArrow(field, m_nActionStart, formation, m_nKeyframeBase + m, effects);
    } else if (category == 2) {
        m = 10;
        StartSpear(field, m_nActionStart, formation, m_nKeyframeBase + m, effects);
    } else {
        const int other = formation.kind[1];
        switch (k) {
            case 0: m = 1; break;
            case 1: m = 2; break;
            case 2: m = other == 0 ? (m_nPosition == 0 ? 5 : 4) : other == 2 ? 1 : 3; break;
            default: m = 0; break;
        }
        switch (m) {
            case 1: m_nApproach = k == 0 ? 7 : (m_nPosition == 0 ? 5 : 9); break;
            case 2:
            case 3: m_nApproach = 7; break;
            case 4: m_nApproach = 8; break;
            case 5: m_nApproach = 6; break;
            default: break;
        }
        SetHitFrames(m_nActionStart + MotionHitTime(m));
    }
    AddMotion(m_nActionStart, m_nKeyframeBase + m);
    m_nActionLength = MotionLength(m);
}

void BattleMember::StartCounter(C_FieldTaskInfo& field, int counterStart, BattleFormation& formation,
                                CBattleEffectController& effects) {
    m_nHitFrame = -1;
    const int category = GetSkillCategory(&m_nSkill);
    if (!m_bActive || category == 0) return;
    // The approach of the attacker it answers; a target index that names no
    // attacker takes its result's own target, and an unknown code the default.
    int attacker = m_nTargetIndex;
    if ((attacker < 0 || attacker > 3) && !m_vOwnResult.empty()) attacker = m_vOwnResult.front().nTarget;
    int code = attacker >= 0 && attacker <= 3 ? formation.approach[attacker] : 0;
    if (code < 0 || code > 11) code = 0;
    const int s = m_nSlot;
    m_nActionStart = counterStart + 3 * (4 - s % 4);
    m_WindowRow.actFrame = m_nActionStart;
    if (category >= 4) {
        StartMagic(field, m_nActionStart, formation, effects);
        return;
    }
    int m;
    if (category == 3) {
        m = 10;
        StartArrow(field, m_nActionStart, formation, m_nKeyframeBase + m, effects);
    } else if (category == 2 && (code < 5 || code > 9 || m_nPosition == 6 || m_nPosition == 7)) {
        m = 10;
        StartSpear(field, m_nActionStart, formation, m_nKeyframeBase + m, effects);
    } else {
        // Rear attackers (codes 10 and 11) are answered like code 0.
        static const int kMotion[10] = {1, 2, 1, 3, 1, 6, 8, 6, 7, 6};
        m = kMotion[code <= 9 ? code : 0];
        if (code == 2 && m_nKind != 0) m = m_nPosition % 4 != 0 ? 4 : 5;
        if (code == 7 && m_nKind != 0) m = m_nPosition % 4 != 0 ? 8 : 7;
        SetHitFrames(m_nActionStart + MotionHitTime(m));
    }
    AddMotion(m_nActionStart, m_nKeyframeBase + m);
    m_nActionLength = MotionLength(m);
}

const vm::Matrix* BattleMember::AimedMatrix(const BattleFormation& formation) const {
    const int t = m_nTargetIndex;
    int slot = -1;
    if (t >= 0 && t <= 3) slot = Side() == 0 ? t + 4 : t;
    if ((slot < 0 || !formation.matrix[slot]) && !m_vOwnResult.empty()) slot = m_vOwnResult.front().nTarget;
    if (slot < 0 || slot > 7) return nullptr;
    return formation.matrix[slot];
}

void BattleMember::StartArrow(C_FieldTaskInfo& field, int start, BattleFormation& formation, int keyframeId,
                              CBattleEffectController& effects) {
    const vm::Matrix* target = AimedMatrix(formation);
    if (m_vOwnResult.empty() || !target) {
        g_ErrorLog.Printf("BattleMember::StartArrow: slot %d has no target", m_nSlot);
        return;
    }
    BattleEffectArgs a;
    a.start = start;
    a.caster = &m_World;
    a.target = target;
    a.keyframeId = keyframeId;
    a.first = &m_vOwnResult.front();
    AddBattleEffect(effects, "CBattleEffect_Arrow", a);
    // Further results of the same shot land with the blow of the motion.
    const int hit = start + CKeyframeTable::GetInt(keyframeId, "atk_time");
    for (size_t i = 1; i < m_vOwnResult.size(); ++i) m_vOwnResult[i].nHitFrame = hit;
    m_Turn = TurnRecord{true, start, &m_World, target};
}

void BattleMember::StartSpear(C_FieldTaskInfo& field, int start, BattleFormation& formation, int keyframeId,
                              CBattleEffectController& effects) {
    const vm::Matrix* target = AimedMatrix(formation);
    m_bSpear = true;
    if (m_vOwnResult.empty() || !target) {
        g_ErrorLog.Printf("BattleMember::StartSpear: slot %d has no target", m_nSlot);
        return;
    }
    BattleEffectArgs a;
    a.start = start;
    a.caster = &m_World;
    a.target = target;
    a.keyframeId = keyframeId;
    a.first = &m_vOwnResult.front();
    AddBattleEffect(effects, "CBattleEffect_Spear", a);
    for (size_t i = 1; i < m_vOwnResult.size(); ++i) m_vOwnResult[i].nHitFrame = start + 45;
    m_Turn = TurnRecord{true, start, &m_World, target};
}

void BattleMember::StartMagic(C_FieldTaskInfo& field, int start, BattleFormation& formation,
                              CBattleEffectController& effects) {
    AddMotion(start, m_nKeyframeBase + 11);
    const int category = GetSkillCategory(&m_nSkill);
    BattleEffectArgs circle;
    circle.start = start;
    circle.caster = &m_World;
    if (category == 6) {
        AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
        return;
    }
    const bool ownUnit = IsBattleOnOwnUnit(field);
    BattleEffectArgs a;
    a.start = start;
    a.caster = &m_World;
    if (category == 5) {
        m_nActionLength = 120;
        // The members of the side it aims at: its own when the skill is used on
        // its own unit, else the other side.
        const int base = ownUnit ? 0 : (m_nPosition < 4 ? 4 : 0);
        const BattleActionRecord* rec = GetBattleRecord(field, ownUnit ? 0 : base / 4);
        const int count = rec && IsValidBattleUnit(field, rec->nUnit) ? field.m_UnitList.GetMemberCount(rec->nUnit) : 0;
        for (int i = 0; i < count && i < 4; ++i) a.targets.push_back(formation.matrix[base + i]);
        a.hits = m_vOwnResult;
        const char* name = AreaEffectName(m_nSkill, &a.flag);
        AddBattleEffect(effects, name, a);
        AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
        return;
    }
    m_nActionLength = 90;
    int slot = -1;
    const int t = m_nTargetIndex;
    if (t >= 0 && t <= 3) slot = ownUnit ? t : (m_nPosition < 4 ? t + 4 : t);
    if ((slot < 0 || !formation.matrix[slot]) && !m_vOwnResult.empty()) slot = m_vOwnResult.front().nTarget;
    a.target = slot >= 0 && slot < 8 ? formation.matrix[slot] : nullptr;
    if (a.target && !m_vOwnResult.empty()) {
        a.first = &m_vOwnResult.front();
        AddBattleEffect(effects, SingleMagicEffectName(m_nSkill), a);
    } else {
        g_ErrorLog.Printf("BattleMember::StartMagic: slot %d has no target", m_nSlot);
    }
    AddBattleEffect(effects, "CBattleEffect_MagicCircle1", circle);
}

void BattleMember::AddMotion(int start, int id) {
    m_vSchedule.push_back(MotionKey{start, id});
    std::stable_sort(m_vSchedule.begin(), m_vSchedule.end(), ByStart);
}

void BattleMember::StartHitReaction(int frame) { AddMotion(frame, m_nKeyframeBase + (m_bSpear ? 12 : 9)); }

void BattleMember::ReleaseHits(std::vector<AttackResult>& out, int frame) const {
    for (const AttackResult& r : m_vOwnResult)
        if (r.nHitFrame == frame) out.push_back(r);
}

void BattleMember::QueueHit(const AttackResult& hit) {
    m_vReceived.push_back(hit);
    std::stable_sort(m_vReceived.begin(), m_vReceived.end(), ByHitFrame);
}

// ---- per frame -------------------------------------------------------------------------

void BattleMember::Update(C_FieldTaskInfo& field, int frame, BattleFormation& formation,
                          CBattleEffectController& effects) {
    if (!m_bActive) return;
    const bool cannon = GetBattleCategory(field) == 6;

    // 1. At most one received hit a frame.
    if (!m_vReceived.empty() && m_vReceived.front().nHitFrame <= frame && m_nHP > 0) {
        const AttackResult hit = m_vReceived.front();
        m_vReceived.erase(m_vReceived.begin());
        m_nHP = ClampToInt32(int64_t(m_nHP) - hit.nAmount);
        if (!cannon) {
            m_WindowRow.QueueHit(hit);
            m_Popups.QueueHit(hit);
        }
        const int type = g_SkillData.GetType(hit.nSkill);
        if (type != 3 && !(hit.bMiss && type != 2)) {
            StartHitReaction(hit.nHitFrame);
            g_GlobalResources.PlaySoundEffect("hit_s09");
            if (!cannon) {
                if (type != 2) {
                    BattleEffectArgs a;
                    a.start = frame + 1;
                    a.caster = hit.nAttacker >= 0 && hit.nAttacker < 8 ? formation.matrix[hit.nAttacker] : nullptr;
                    a.target = hit.nTarget >= 0 && hit.nTarget < 8 ? formation.matrix[hit.nTarget] : &m_World;
                    if (!a.caster) a.caster = a.target;
                    AddBattleEffect(effects, "CBattleEffect_Damage3", a);
                }
                if (m_nHP <= 0) m_nDeathFrame = std::max(m_nDeathFrame, hit.nHitFrame + 10);
            }
        }
    }

    // 2. The next motion takes over from the playing one.
    if (m_vSchedule.size() >= 2 && m_vSchedule[1].start <= frame) {
        m_vSchedule.erase(m_vSchedule.begin());
        m_BasePos = m_BasePos + m_MotionOffset;
        m_BaseRot = m_BaseRot * m_MotionRot;
    }

    // 3. The swing before a melee blow.
    const int playing = m_vSchedule.front().id - m_nKeyframeBase;
    if (frame == m_nHitFrame - 4 && playing >= 1 && playing <= 8) g_GlobalResources.PlaySoundEffect("swing37_b");

    // 4. Falling.
    if (m_nDeathFrame > 0 && m_nDeathFrame < frame) {
        m_fAlpha = float((m_nDeathFrame - frame + 30) / 30.0);
        if (frame > m_nDeathFrame + 30) m_bActive = false;
    }

    // 5. Turning towards the target of a shot.
    vm::Matrix turn;
    if (m_Turn.active) {
        const vm::Vec3 own = TranslationOf(m_Turn.own), target = TranslationOf(m_Turn.target);
        if (own.y != target.y) {
            const float angle = -std::atan((own.x - target.x) / (own.y - target.y)) *
                                float(std::min(std::max(frame - m_Turn.start, 0), 10)) / 10.0f;
            turn = vm::RotationZ(angle);
        }
    }

    // 6. The pose of the playing motion.
    const MotionKey& key = m_vSchedule.front();
    const double t = double(frame - key.start);
    const double g = m_nPosition >= 4 ? -1.0 : 1.0;
    if (m_pKeyframe) {
        const CKeyframe& k = *m_pKeyframe;
        m_MotionRot = vm::RotationYawPitchRoll(float(k.GetRY(key.id, t)) * kDegree, float(k.GetRX(key.id, t)) * kDegree,
                                               float(g * k.GetRZ(key.id, t)) * kDegree);
        m_MotionOffset = vm::Vec3(float(k.GetX(key.id, t)), float(g * k.GetY(key.id, t)), float(k.GetZ(key.id, t)));
        m_nMesh = k.GetMotion(key.id, t);
        m_dAnimTime = k.GetMTime(key.id, t) / 60.0;
    }
    const vm::Vec3 p = m_BasePos + m_MotionOffset;
    m_World = m_BaseRot * m_MotionRot * turn * vm::Translation(p.x, p.y, p.z);
}
