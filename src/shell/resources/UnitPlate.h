#pragma once
// The status plate of one person shown beside a unit on the field: name, HP, MP, a
// condition and the person's seven fighting values.  Its texts are rendered once when
// it is set; CGlobalResources::DrawUnitPlate draws it.
#include <cstdint>

#include "Draw/gvlD3DTextDraw.h"

struct PersonRecord;

struct UnitPlate {
    CD3DTextDraw m_NameText;
    CD3DTextDraw m_HPText;
    CD3DTextDraw m_MPText;
    CD3DTextDraw m_ConditionText;
    int x = 0;
    int y = 0;
    int nHPPercent = 0;  // current HP x 100 / maximum HP
    uint8_t nAlpha = 0;
    uint8_t bHero = 0;
    uint8_t bForward = 0;
    int nStr = 0, nMag = 0, nDex = 0, nSpd = 0, nGur = 0, nGurA = 0, nGurM = 0;

    void Set(const PersonRecord& person, int x, int y, uint8_t alpha);
    // "%4d/%4d"; the bar follows hp x 100 / maxHp (0 when the maximum is not positive).
    void SetHPText(int hp, int maxHp);
    // "%3d", cut to 5 characters.
    void SetNumberText(int value);
    // "Poison" in red while condition 3 (bit value 4) is held, else an empty text.
    void SetPoisonText(uint16_t conditions);
    // Width in pixels of the HP bar (0 to 93).
    int GetHPBarWidth() const { return nHPPercent * 93 / 100; }
};
