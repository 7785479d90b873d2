// The battle window's cells.
#include "BattleWindow.h"

#include <algorithm>
#include <cmath>

#include "BattleMember.h"
#include "FieldTaskInfo.h"
#include "SkillData.h"
#include "menu/SelectMenu.h"
#include "util/ClampInt.h"

namespace {

// A cell of the window is 155 pixels wide; its texts stop a little short of its edge.
constexpr int kCellWidth = 155;
constexpr int kCellMargin = 6;

bool ByHitFrame(const AttackResult& a, const AttackResult& b) { return a.nHitFrame < b.nHitFrame; }

// Seven digits a side fill the cell: larger numbers show as 9999999.
std::string HpLine(int hp, int maxHp) { return FormatNumberCapped(hp, 5, 7) + "/" + FormatNumberCapped(maxHp, 5, 7); }

}  // namespace

int GetWindowColumnX(int s) { return s < 4 ? (s / 2) * 155 + 330 : (3 - s / 2) * 155; }
int GetWindowRowY(int s) { return 320 + (s % 2) * 80; }

int GaugeWidth(int64_t hp, int maxHp) {
    if (maxHp <= 0) return 0;
    // Within the bar, whatever hit points a save holds.
    return int(std::clamp(double(hp) * 130.0 / double(maxHp) + 0.9, 0.0, 130.0));
}

void CBattleWindowRow::Setup(C_FieldTaskInfo& field, bool show, int slotCode, int display) {
    shown = show;
    if (!shown) return;
    const BattleActionRecord* rec = GetBattleRecord(field, slotCode / 4);
    const int member = slotCode % 4;
    if (!rec || !IsValidBattleUnit(field, rec->nUnit) || member >= field.m_UnitList.GetMemberCount(rec->nUnit)) {
        shown = false;
        return;
    }
    const int person = field.m_UnitList.GetMember(rec->nUnit, member);
    const int skill = rec->nSkill[member];
    cell.Load("./graphics/BattleWindow.png");
    mode = 0;
    shake = 0;
    rendered = false;
    displaySlot = std::clamp(display, 0, 7);
    total = 0;
    hp = prevHp = field.m_PersonList.GetHP(person);
    maxHp = field.m_PersonList.GetMaxHP(person);
    name = field.m_PersonList.GetShortName(person);
    nameText.SetText(name, 13, 0xFFFFFFFF);
    hpText.SetText(HpLine(hp, maxHp), 14, 0xFFFFFFFF);
    if (skill != -1) skillText.SetText("[" + g_SkillData.GetName(skill) + "]", 12, 0xFFFFFFFF);
    // Each text keeps to the cell's right edge, however long the name or large the number.
    nameText.SetMaxWidth(kCellWidth - 12 - kCellMargin);
    hpText.SetMaxWidth(kCellWidth - 40 - kCellMargin);
    skillText.SetMaxWidth(kCellWidth - 8 - kCellMargin);
    amountText.SetMaxWidth(kCellWidth - 8 - kCellMargin);
    results.clear();
}

void CBattleWindowRow::QueueHit(const AttackResult& hit) {
    results.push_back(hit);
    std::stable_sort(results.begin(), results.end(), ByHitFrame);
}

void CBattleWindowRow::ApplyDue(int frame) {
    if (results.empty() || results.front().nHitFrame > frame) return;
    const AttackResult r = results.front();
    prevHp = hp;
    hp = int(std::clamp(double(prevHp) - double(r.nAmount), 0.0, double(std::max(maxHp, 0))));
    // Held short of the int limits, so that the healed sum can be shown as a positive number.
    total = std::max(SaturatingAdd(total, r.nAmount), -INT32_MAX);
    if (total >= 0) amountText.SetText("ダメージ: " + FormatNumber(total, -1), 12, 0xFFFFFFFF);
    else amountText.SetText("回復: " + FormatNumber(-total, -1), 12, 0xFFFFFFFF);
    amountText.Render();
    hpText.SetText(HpLine(hp, maxHp), 14, 0xFFFFFFFF);
    hpText.Render();
    results.erase(results.begin());
    if (prevHp - hp > 0) shake = 20;
    gaugeFade = 60;
    mode = 2;
}

void CBattleWindowRow::Draw(int frame) {
    if (!shown) return;
    ApplyDue(frame);
    int offset = 0;
    if (shake > 0) {
        offset = int(std::sin(double(shake) * 2.0 * 3.14159265358979 / 5.0) * 20.0);
        --shake;
    }
    if (frame == actFrame) {
        mode = 1;
        rendered = false;
    }
    const int x = GetWindowColumnX(displaySlot), y = GetWindowRowY(displaySlot);
    const RECT src = displaySlot < 4 ? RECT{0, 0, kCellWidth, 80} : RECT{0, 80, kCellWidth, 160};
    cell.Draw(x, y, 255, &src);
    if (!rendered) {
        nameText.Render();
        hpText.Render();
        if (mode == 1) skillText.Render();
        else if (mode == 2) amountText.Render();
        rendered = true;
    }
    nameText.GetRenderTarget().Draw(x + 12 + offset, y + 5, 255);
    hpText.GetRenderTarget().Draw(x + 40 + offset, y + 27, 255);
    if (mode == 1 && !skillText.GetText().empty()) skillText.GetRenderTarget().Draw(x + 8 + offset, y + 60, 255);
    else if (mode >= 2) amountText.GetRenderTarget().Draw(x + 8 + offset, y + 60, 255);

    // The gauge over the cell's full bar: the missing part black, the part just
    // lost darkening (or just gained emerging) over 60 frames.
    CD3DDrawSquare square;
    const int gx = x + 13, gy = y + 43;
    if (maxHp <= 0) {
        square.SetSize(130, 7, 0xFF000000);
        square.Draw(float(gx), float(gy));
        return;
    }
    const int high = std::max(hp, prevHp);
    if (maxHp != high) {
        square.SetSize(float(GaugeWidth(int64_t(maxHp) - high, maxHp)), 7, 0xFF000000);
        square.Draw(float(gx + GaugeWidth(high, maxHp)), float(gy));
    }
    if (gaugeFade > 0) --gaugeFade;
    if (prevHp != hp) {
        double t = std::clamp(std::sqrt((60.0 - gaugeFade) / 60.0), 0.0, 1.0);
        if (hp > prevHp) t = 1.0 - t;
        const uint32_t alpha = t >= 1.0 ? 255u : t <= 0.0 ? 0u : uint32_t(t * 255.0 + 0.5);
        square.SetSize(float(GaugeWidth(std::abs(int64_t(prevHp) - hp), maxHp)), 7, alpha << 24);
        square.Draw(float(gx + GaugeWidth(std::min(hp, prevHp), maxHp)), float(gy));
    }
}
