// The map-chip sheets for the menus.
#include "menu/MenuChips.h"

#include "Draw/gvlD3DObjectBase.h"
#include "FieldTaskInfo.h"
#include "resources/SheetDraw.h"

#include "map/MapChipTexture.h"

CD3DDrawTexture* GetLowerChipSheet(C_FieldTaskInfo* info) {
    if (!info) return nullptr;
    return info->m_LowerChipTexture.GetTexture();
}

CD3DDrawTexture* GetUpperChipSheet(C_FieldTaskInfo* info) {
    if (!info) return nullptr;
    return info->m_UpperChipTexture.GetTexture();
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
