#pragma once
// The battle effect textures under model/: glows, rings, sparks, flames, circles and
// the damage-number sheet. They are drawn additively or alpha-blended on billboards,
// so most are light shapes on a clear background.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

Canvas MakeDamageNumbers();  // model/DamageNumber.png, 512x256: digits and three strips
int WriteEffectTextures(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
