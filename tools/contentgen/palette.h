#pragma once
// The demo's one palette ("dusk steel"): sixteen colours that every picture uses,
// with shades and mixes of them for depth. content/README.md lists them.
#include "canvas.h"

namespace cg::pal {

inline constexpr Rgba kInk = RGB(0x14121C);     // outlines, deepest shadow
inline constexpr Rgba kNight = RGB(0x232A44);   // window bodies, night sky
inline constexpr Rgba kSlate = RGB(0x3B4A6B);   // panels, stone
inline constexpr Rgba kSteel = RGB(0x6D7FA3);   // metal, friendly side
inline constexpr Rgba kMist = RGB(0xB4C2D9);    // highlights, snow shade
inline constexpr Rgba kBone = RGB(0xEFE6D2);    // text, light
inline constexpr Rgba kGold = RGB(0xD9A441);    // frames, titles
inline constexpr Rgba kAmber = RGB(0xB4702C);   // frame shade, wood
inline constexpr Rgba kEmber = RGB(0xA63C32);   // enemy side, danger, fire
inline constexpr Rgba kWine = RGB(0x5E2436);    // dark red, enemy shade
inline constexpr Rgba kMoss = RGB(0x4F7A3A);    // forest, grass shade
inline constexpr Rgba kLeaf = RGB(0x8FB65A);    // grass, healing
inline constexpr Rgba kSea = RGB(0x2F6C8F);     // water
inline constexpr Rgba kSky = RGB(0x7FB8D6);     // shallow water, sky, magic
inline constexpr Rgba kSand = RGB(0xC9B07A);    // sand, road, skin shade
inline constexpr Rgba kEarth = RGB(0x7A5A3C);   // earth, hair, leather

}  // namespace cg::pal
