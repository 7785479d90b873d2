#pragma once
// Pictures of the field's command menus: the help line, the terrain window, the
// unit command panel, the member choice of a move, the battle confirmation and the
// status window (whose parts also serve the skill list and its help panel).  Every
// button and place is drawn exactly where the menus test the pointer.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

Canvas MakeInstructWindow();      // graphics/InstructWindow.png, 512x128
Canvas MakeMapchipWindow();       // graphics/MapchipWindow.png, 512x256
Canvas MakeOperateMenu();         // graphics/OperateMenu.png, 512x512
Canvas MakeMoveMenu();            // graphics/MoveMenu.png, 512x512
Canvas MakeBattleOperateMenu();   // graphics/BattleOperateMenu.png, 512x512
Canvas MakeParamSheet();          // graphics/param.png, 1024x512

int WriteMenuImages(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
