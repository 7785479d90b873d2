#pragma once
// The map-chip sheets of the field state as the menus draw them: a cell of the
// lower sheet (112 x 64, 9 to a row) and of the upper sheet (112 x 112, 8 to a row).
class C_FieldTaskInfo;
class CD3DDrawTexture;

// The field state's sheets; null while the state has none.
CD3DDrawTexture* GetLowerChipSheet(C_FieldTaskInfo* info);
CD3DDrawTexture* GetUpperChipSheet(C_FieldTaskInfo* info);
// Ends the sprite batch and draws lower chip `chip` / upper chip `chip` at (x, y).
void DrawLowerChip(C_FieldTaskInfo* info, int chip, int x, int y, unsigned char alpha = 255);
void DrawUpperChip(C_FieldTaskInfo* info, int chip, int x, int y, unsigned char alpha = 255);
