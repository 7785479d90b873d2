#pragma once
// Keyboard code translation at the platform edge.
//
// The game reads its keyboard as 256 key states in the classic scan-code
// numbering (Escape 0x01, Z 0x2C, Up 0xC8 ...), and key messages carry
// virtual-key codes (Escape 0x1B, Return 0x0D, 'A'..'Z' ...).  The system layer
// reports keys by position as SDL scancodes; these two functions translate.
#include <cstdint>

namespace plat {

// SDL scancode -> keyboard scan code (1..255); 0 when the key has no scan code.
int ScanCodeFromSdl(int sdlScancode);

// SDL scancode -> virtual-key code for key messages; 0 when the key has none.
uint32_t VirtualKeyFromSdl(int sdlScancode);

}  // namespace plat
