#include "turn/TaskDispDamage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "FieldTaskInfo.h"
#include "PartyData.h"
#include "input/gvlInputManager.h"
#include "preload/GlobalPreloadData.h"
#include "resources/GlobalResources.h"
#include "resources/SheetDraw.h"
#include "turn/TurnBridge.h"
#include "util/ClampInt.h"

using namespace turnflow;

namespace {

constexpr int kCondPoison = 3;  // condition number of Poison (bit value 4)

double ClampD(double x, double lo, double hi) { return std::max(lo, std::min(x, hi)); }

CD3DDrawTexture* DigitSheet() {
    CPreloadBlock* block = g_GlobalPreloadData.GetBlock();
    return block != nullptr ? block->TextureCache.Find("DamageNumber") : nullptr;
}

constexpr uint32_t kDigitColour[4] = {0xFFFFFF, 0x00FF00, 0xFF0000, 0x0000FF};

}  // namespace

// ---- C_TaskDispFieldDamage -------------------------------------------------------------

C_TaskDispFieldDamage::C_TaskDispFieldDamage(C_FieldTaskInfo*, const C_TaskReply<uint8_t>& done)
    : m_Done(done), m_pPlates(new UnitPlate[4]) {
    m_Done.Start(0);
    ResetEntries();
}

C_TaskDispFieldDamage::~C_TaskDispFieldDamage() { m_Done.SetUnlessAnswered(1); }

void C_TaskDispFieldDamage::ResetEntries() {
    for (FieldDamageEntry& e : m_Entry) e = FieldDamageEntry();
}

int C_TaskDispFieldDamage::FlashAlpha(int frame) { return (int)ClampD(375.0 - 4.0 * frame, 0, 255); }

int C_TaskDispFieldDamage::DigitAlpha(int frame) {
    if (frame <= 50) return (int)(255.0 * ClampD((frame - 30) / 20.0, 0, 1));
    return (int)(255.0 * ClampD((120 - frame) / 10.0, 0, 1));
}

int C_TaskDispFieldDamage::DigitSlide(int frame) { return (int)ClampD(60 - frame, 0, 30); }

int C_TaskDispFieldDamage::DigitCount(int amount) {
    // Counted on integers: a power of ten has exactly as many digits as it shows.
    long long a = std::llabs((long long)amount);
    int n = 0;
    while (a > 0) {
        ++n;
        a /= 10;
    }
    return n;
}

void C_TaskDispFieldDamage::StepPrepare(C_FieldTaskInfo* info) {
    ResetEntries();
    m_nUnit = PrepareNext(info);
    if (m_nUnit < 0) {
        m_Done.Set(1);
        KillSelf(info);
        return;
    }
    CUnitList& units = info->m_UnitList;
    for (int i = 0; i < units.GetMemberCount(m_nUnit) && i < 4; ++i) {
        const int k = units.GetSlotPosition(m_nUnit, i);
        if (k >= 0 && k < 4) m_pPlates[k].Set(units.GetMemberPerson(m_nUnit, i), 0, 0, 0);
    }
    g_GlobalResources.ResetIconSlide();
    const int x = units.GetX(m_nUnit), y = units.GetY(m_nUnit);
    SetCamera(info, x, y);
    AddTask(info, new C_TaskDispRange(1, std::vector<FieldCell>{FieldCell{x, y}}, info), kSecondRange);
    m_eStep = Step::Show;
    m_nFrame = 0;
}

void C_TaskDispFieldDamage::Update(C_FieldTaskInfo* info) {
    if (m_eStep == Step::Prepare) {
        StepPrepare(info);
        return;
    }
    CUnitList& units = info->m_UnitList;
    const int members = std::min(units.GetMemberCount(m_nUnit), 4);
    if (m_nFrame == kShowFrame) {
        for (const FieldDamageEntry& e : m_Entry) {
            if (e.nKind == FieldDamageEntry::kNone) continue;
            PlaySE(e.nKind % 2 == 1 ? "warp01" : "hit_s09");
            break;
        }
        for (int i = 0; i < members; ++i) {
            const int k = units.GetSlotPosition(m_nUnit, i);
            if (k < 0 || k > 3) continue;
            const PersonRecord& p = units.GetMemberPerson(m_nUnit, i);
            UnitPlate& plate = m_pPlates[k];
            plate.SetPoisonText((m_Entry[i].bPoisoned || (p.nCondition & 4)) ? 4 : 0);
            if (m_Entry[i].nKind < 2) plate.SetHPText(SaturatingSub(p.nHP, m_Entry[i].nAmount), p.nMaxHP);
            else plate.SetNumberText(SaturatingSub(p.nMP, m_Entry[i].nAmount));
        }
    }
    IInputManager* input = info->GetInputManager();
    if (input != nullptr && (input->IsLButtonPush() || input->IsRButtonPush()))
        m_nFrame = m_nFrame >= kShowFrame ? kLastFrame : kShowFrame - 1;
    ++m_nFrame;
    if (m_nFrame > kLastFrame) {
        KillTask(info, kSecondRange);
        ApplyCurrent(info, m_nUnit);
        m_eStep = Step::Prepare;
        StepPrepare(info);
    }
}

// The plates of the shown unit at the right of the screen, fully in.
void C_TaskDispFieldDamage::DrawPlates(C_FieldTaskInfo* info) { info->DrawUnitPlates(m_nUnit, m_pPlates.get(), 15, false); }

void C_TaskDispFieldDamage::Draw(C_FieldTaskInfo* info) {
    if (m_eStep != Step::Show || !info->m_UnitList.IsValidUnit(m_nUnit)) return;
    DrawPlates(info);
    if (m_nFrame <= kShowFrame) return;
    CUnitList& units = info->m_UnitList;
    const int members = std::min(units.GetMemberCount(m_nUnit), 4);
    CD3DDrawTexture* sheet = DigitSheet();
    const int a2 = DigitAlpha(m_nFrame);
    const int slide = DigitSlide(m_nFrame);
    for (int i = 0; i < members; ++i) {
        const FieldDamageEntry& e = m_Entry[i];
        if (e.nKind == FieldDamageEntry::kNone || (e.nAmount == 0 && !e.bPoisoned)) continue;
        const int k = units.GetSlotPosition(m_nUnit, i);
        if (k < 0 || k > 3) continue;
        const float px = (float)m_pPlates[k].x, py = (float)m_pPlates[k].y;
        const uint32_t flash = (uint32_t)FlashAlpha(m_nFrame) << 24 | (e.nKind % 2 == 1 ? 0xFFFFFFu : 0xFF0000u);
        m_Flash.SetSize(155, 64, flash);
        m_Flash.Draw(px + 18, py);
        const int magnitude = std::abs(e.nAmount);
        const int count = DigitCount(e.nAmount);
        if (count == 0 || !BindSheet(sheet)) continue;
        const uint32_t colour = (uint32_t)a2 << 24 | kDigitColour[std::clamp(e.nKind, 0, 3)];
        int place = 1;
        for (int d = 0; d < count; ++d, place *= 10) {
            const int value = (magnitude / place) % 10;
            m_Digit.SetSize(40, 50, colour);
            m_Digit.SetSourceRectOfTexture(RECT{40 * value, 0, 40 * value + 40, 50}, *sheet);
            m_Digit.DrawWithCurrentTexture(px - 50 - 40 * d - slide, py + 7);
        }
    }
}

// ---- C_TaskDispCannonDamage ------------------------------------------------------------

C_TaskDispCannonDamage::C_TaskDispCannonDamage(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done)
    : C_TaskDispFieldDamage(info, done) {
    if (!info->m_vBattleAction.empty()) info->ApplyNextAction();
}

int C_TaskDispCannonDamage::PrepareNext(C_FieldTaskInfo* info) {
    CUnitList& units = info->m_UnitList;
    while (!info->m_vBattleAction.empty()) {
        const BattleActionRecord& r = info->m_vBattleAction.front();
        const int u = r.nUnit;
        if (!units.IsValidUnit(u) || units.GetMemberCount(u) < 1) {
            info->ApplyNextAction();  // logs the record of a unit that is gone and drops it
            continue;
        }
        for (int i = 0; i < units.GetMemberCount(u) && i < 4; ++i) {
            m_Entry[i].nKind = FieldDamageEntry::kHPDamage;
            m_Entry[i].nAmount = (int)ClampD(r.nDamage[i], 0, units.GetMemberHP(u, i));
            m_Entry[i].bPoisoned = r.nEffect[i] == 4 ? 1 : 0;
        }
        return u;
    }
    return -1;
}

void C_TaskDispCannonDamage::ApplyCurrent(C_FieldTaskInfo* info, int) {
    if (!info->m_vBattleAction.empty()) info->ApplyNextAction();
}

// ---- C_TaskDispPoisonDamage ------------------------------------------------------------

C_TaskDispPoisonDamage::C_TaskDispPoisonDamage(C_FieldTaskInfo* info, const C_TaskReply<uint8_t>& done)
    : C_TaskDispFieldDamage(info, done) {
    CUnitList& units = info->m_UnitList;
    CPersonList& persons = info->m_PersonList;
    const int count = units.GetCount();
    m_vDamageAura.assign(count, 0);
    m_vHealAura.assign(count, 0);
    for (int s = 0; s < count; ++s) {
        if (units.GetMemberCount(s) < 1) continue;
        const int leader = units.GetMember(s, 0);
        const bool hurts = persons.HasPassiveSkillEffect(leader, 4);
        const bool heals = !hurts && persons.HasPassiveSkillEffect(leader, 5);
        if (!hurts && !heals) continue;
        for (int w = 0; w < count; ++w) {
            if (std::abs(units.GetX(w) - units.GetX(s)) + std::abs(units.GetY(w) - units.GetY(s)) != 1) continue;
            if (hurts) {
                ++m_vDamageAura[w];
                continue;
            }
            bool wounded = false;
            for (int j = 0; j < units.GetMemberCount(w); ++j)
                if (units.GetMemberHP(w, j) < units.GetMemberMaxHP(w, j)) wounded = true;
            if (wounded) ++m_vHealAura[w];
        }
    }
}

bool C_TaskDispPoisonDamage::ComputeEffect(C_FieldTaskInfo* info, int u, int effect) {
    CUnitList& units = info->m_UnitList;
    CPersonList& persons = info->m_PersonList;
    const int members = std::min(units.GetMemberCount(u), 4);
    const int damageAuras = u < (int)m_vDamageAura.size() ? m_vDamageAura[u] : 0;
    const int healAuras = u < (int)m_vHealAura.size() ? m_vHealAura[u] : 0;
    bool any = false;
    for (int i = 0; i < members; ++i) {
        const int person = units.GetMember(u, i);
        const PersonRecord& p = persons.GetPerson(person);
        const double maxHP = p.nMaxHP;
        FieldDamageEntry& e = m_Entry[i];
        switch (effect) {
        case 0:
            if (!persons.HasCondition(person, kCondPoison)) continue;
            e.nKind = FieldDamageEntry::kHPDamage;
            e.nAmount = ClampDoubleToInt(ClampD(maxHP * 0.1, 0, double(p.nHP) - 1));
            break;
        case 1:
            if (damageAuras < 1) continue;
            e.nKind = FieldDamageEntry::kHPDamage;
            e.nAmount = ClampDoubleToInt(ClampD(maxHP * 0.1 * damageAuras, 0, double(p.nHP) - 1));
            break;
        case 2:
            if (healAuras < 1) continue;
            e.nKind = FieldDamageEntry::kHPRecovery;
            e.nAmount = -ClampDoubleToInt(ClampD(maxHP * 0.1 * healAuras, 0, double(p.nMaxHP) - p.nHP));
            break;
        case 3:
            if (!persons.HasPassiveSkillEffect(person, 6) || p.nHP >= p.nMaxHP) continue;
            e.nKind = FieldDamageEntry::kHPRecovery;
            e.nAmount = -ClampDoubleToInt(ClampD(std::ceil(maxHP * 0.1), 0, double(p.nMaxHP) - p.nHP));
            break;
        case 4:
            if (!persons.HasPassiveSkillEffect(person, 7) || p.nMP >= p.nMaxMP) continue;
            e.nKind = FieldDamageEntry::kMPRecovery;
            e.nAmount = -ClampDoubleToInt(ClampD(2, 0, double(p.nMaxMP) - p.nMP));
            break;
        default:
            continue;
        }
        any = true;
    }
    return any;
}

int C_TaskDispPoisonDamage::PrepareNext(C_FieldTaskInfo* info) {
    for (;;) {
        ++m_nCurrentEffect;
        if (m_nCurrentEffect > 4) {
            ++m_nCurrentUnit;
            m_nCurrentEffect = 0;
        }
        if (m_nCurrentUnit >= info->m_UnitList.GetCount()) return -1;
        ResetEntries();
        if (ComputeEffect(info, m_nCurrentUnit, m_nCurrentEffect)) return m_nCurrentUnit;
    }
}

void C_TaskDispPoisonDamage::ApplyCurrent(C_FieldTaskInfo* info, int u) {
    CUnitList& units = info->m_UnitList;
    if (!units.IsValidUnit(u)) return;
    const int members = std::min(units.GetMemberCount(u), 4);
    for (int i = 0; i < members; ++i) {
        const FieldDamageEntry& e = m_Entry[i];
        if (e.nKind <= FieldDamageEntry::kHPRecovery) {
            units.SetMemberHP(u, i, SaturatingSub(units.GetMemberHP(u, i), e.nAmount));
        } else {
            const int person = units.GetMember(u, i);
            info->m_PersonList.SetMP(person, SaturatingSub(info->m_PersonList.GetMP(person), e.nAmount));
        }
    }
}
