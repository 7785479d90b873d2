#pragma once
// The pictures of the sortie preparation.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

Canvas MakeInterMissionScreen();       // graphics/InterMission.png, 1024x512
Canvas MakeInterMissionParamPanel();   // graphics/InterMission_param.png, 512x128
Canvas MakeInterMissionUnitCard();     // graphics/InterMission_unit.png, 256x64

int WriteInterMissionImages(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
