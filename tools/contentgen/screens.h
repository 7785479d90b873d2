#pragma once
// Pictures of the field's turn logos and minimap icons, the preparation screen, the battle window and the
// story scripts. Every function draws one file; WriteScreenImages writes them all.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

Canvas MakeTurnLogo(bool player);          // graphics/TurnLogo_Player.png / _Enemy.png, 512x128
Canvas MakeMiniMapIcons();                 // graphics/MiniMapIcon.png, 256x32
Canvas MakeBattleWindow();                 // graphics/BattleWindow.png, 256x256
Canvas MakeGameOver();                     // graphics/GameOver.png, 512x256
Canvas MakeToBeContinued();                // graphics/ToBeContinued.png, 256x64
Canvas MakeVisualBackground();             // graphics/VisualBackGround.png, 128x1024
Canvas MakeMissionArgue();                 // graphics/MissionArgue.png, 512x512
Canvas MakeMissionArgueBack(bool field);   // graphics/MissionArgueFBack.png / CBack.png, 512x512

int WriteScreenImages(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
