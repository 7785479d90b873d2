// Unit plates: set from a person, drawn from the system sheet.
#include "resources/UnitPlate.h"

#include <cstdio>

#include "PersonData.h"
#include "menu/SelectMenu.h"
#include "resources/GlobalResources.h"

namespace {
// Room of the plate's texts up to its right edge (or, on the detailed plate, up to
// the column of small digits), so that long names and numbers stay on the plate.
constexpr int kNameRoom = 124;
constexpr int kHPRoom = 99;
constexpr int kMPRoom = 70;
constexpr int kHPDigits = 7;
}  // namespace

void UnitPlate::Set(const PersonRecord& person, int px, int py, uint8_t alpha) {
    bHero = person.hero;
    bForward = person.bForward;
    m_NameText.SetText(person.s_name, 11, 0xFFFFFFFF);
    m_NameText.SetMaxWidth(kNameRoom);
    m_NameText.Render();
    SetHPText(person.nHP, person.nMaxHP);
    SetNumberText(person.nMP);
    SetPoisonText(person.nCondition);
    x = px;
    y = py;
    nAlpha = alpha;
    nStr = person.nStr;
    nMag = person.nMag;
    nDex = person.nDex;
    nSpd = person.nSpd;
    nGur = person.nGur;
    nGurA = person.nGurA;
    nGurM = person.nGurM;
}

void UnitPlate::SetHPText(int hp, int maxHp) {
    // Seven digits a side fill the plate: larger numbers show as 9999999.
    const std::string text = FormatNumberCapped(hp, 4, kHPDigits) + "/" + FormatNumberCapped(maxHp, 4, kHPDigits);
    m_HPText.SetText(text, 12, 0xFFFFFFFF);
    m_HPText.SetMaxWidth(kHPRoom);
    m_HPText.Render();
    // A person without a maximum has no share of it to show.
    nHPPercent = maxHp > 0 ? int((long long)hp * 100 / maxHp) : 0;
    if (nHPPercent < 0) nHPPercent = 0;
    if (nHPPercent > 100) nHPPercent = 100;
}

void UnitPlate::SetNumberText(int value) {
    char buf[6];  // at most 5 characters
    std::snprintf(buf, sizeof(buf), "%3d", value);
    m_MPText.SetText(buf, 12, 0xFFFFFFFF);
    m_MPText.SetMaxWidth(kMPRoom);
    m_MPText.Render();
}

void UnitPlate::SetPoisonText(uint16_t conditions) {
    if (conditions & 4) m_ConditionText.SetText("Poison", 12, 0xFFFF0000);
    else m_ConditionText.SetText("", 12, 0xFFFFFFFF);
    m_ConditionText.Render();
}

void CGlobalResources::DrawUnitPlate(const UnitPlate& plate, bool detailed) {
    UnitPlate& p = const_cast<UnitPlate&>(plate);  // drawing reads its render targets only
    const unsigned char a = p.nAlpha;
    const int x = p.x, y = p.y;
    const RECT back = detailed ? RECT{192, 560, 416, 624} : RECT{18, 560, 173, 624};
    m_SysTexture.Draw(x, y, a, &back);
    const int xs = detailed ? x : x - 18;
    p.m_NameText.GetRenderTarget().Draw(xs + 45, y + 6, a);
    p.m_HPText.GetRenderTarget().Draw(xs + 70, y + 21, a);
    p.m_MPText.GetRenderTarget().Draw(xs + 48, y + 44, a);
    if (!p.m_ConditionText.GetText().empty()) p.m_ConditionText.GetRenderTarget().Draw(xs + 121, y + 44, a);
    const int w = p.GetHPBarWidth();
    if (w > 0) {
        const RECT bar{0, 16, w, 20};
        m_SysTexture.Draw(xs + 70, y + 34, a, &bar);
    }
    if (!detailed) return;
    RECT mark;
    if (p.bHero) mark = RECT{512, 560, 552, 592};
    else if (p.bForward) mark = RECT{416, 560, 448, 592};
    else mark = RECT{464, 560, 504, 592};
    m_SysTexture.Draw(x, y, a, &mark);
    // The digits keep their own translucency under the plate's fade.
    const int digitAlpha = kSmallNumberAlpha * a / 255;
    DrawSmallNumber(x + 200, y + 5, p.nStr, digitAlpha);
    DrawSmallNumber(x + 200, y + 13, p.nMag, digitAlpha);
    DrawSmallNumber(x + 200, y + 21, p.nDex, digitAlpha);
    DrawSmallNumber(x + 200, y + 29, p.nSpd, digitAlpha);
    DrawSmallNumber(x + 176, y + 52, p.nGur, digitAlpha);
    DrawSmallNumber(x + 189, y + 52, p.nGurA, digitAlpha);
    DrawSmallNumber(x + 202, y + 52, p.nGurM, digitAlpha);
}
