// The map-chip sheets for the menus.
#include "menu/MenuChips.h"

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "resources/SheetDraw.h"

// BRIDGE: the chip sheets of the field state come with the map drawing; until then
// the menus keep sheets of their own.
#if __has_include("map/MapChipTexture.h")
#include "map/MapChipTexture.h"
#define MENU_HAS_FIELD_CHIP_SHEETS 1
#else
#include "Draw/gvlD3DDrawSquare.h"
#endif

CD3DDrawTexture* GetLowerChipSheet(C_FieldTaskInfo* info) {
    if (!info) return nullptr;
#ifdef MENU_HAS_FIELD_CHIP_SHEETS
    return info->m_LowerChipTexture.GetTexture();
#else
    static CD3DDrawTexture* sheet = new CD3DDrawTexture("./graphics/mapchip.png");
    return sheet;
#endif
}

CD3DDrawTexture* GetUpperChipSheet(C_FieldTaskInfo* info) {
    if (!info) return nullptr;
#ifdef MENU_HAS_FIELD_CHIP_SHEETS
    return info->m_UpperChipTexture.GetTexture();
#else
    static CD3DDrawTexture* sheet = new CD3DDrawTexture("./graphics/mapchip2.png");
    return sheet;
#endif
}

void DrawLowerChip(C_FieldTaskInfo* info, int chip, int x, int y, unsigned char alpha) {
    CD3DDrawTexture* sheet = GetLowerChipSheet(info);
    if (!sheet || chip < 0) return;
    EndSpriteBatch();
    const int l = (chip % 9) * 112, t = (chip / 9) * 64;
    DrawTextureRect(sheet, float(x), float(y), l, t, l + 112, t + 64, alpha);
}

void DrawUpperChip(C_FieldTaskInfo* info, int chip, int x, int y, unsigned char alpha) {
    CD3DDrawTexture* sheet = GetUpperChipSheet(info);
    if (!sheet || chip <= 0) return;
    EndSpriteBatch();
    const int l = (chip % 8) * 112, t = (chip / 8) * 112;
    DrawTextureRect(sheet, float(x), float(y), l, t, l + 112, t + 112, alpha);
}
