#pragma once
// The demo pictures. Each function draws one file; WriteAllImages writes them all
// below a runnable folder and returns the number of files it could not write.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

Canvas MakeSystemSheet();                 // graphics/sys.png, 1024x1024
Canvas MakeTitleMenu();                   // graphics/title00.png, 512x256
Canvas MakeTitleBackground();             // graphics/title01.png, 1024x512
Canvas MakeLogo();                        // graphics/RVT_logo.png, 256x256
Canvas MakeChapterTelopEffect();          // graphics/ChapterTeropEffect.png, 512x512
Canvas MakeStrategyMap();                 // graphics/StrategyMap.png, 2048x2048
Canvas MakeEndTypo();                     // graphics/ENDTypo.png, 128x64
Canvas MakePortrait(int id);              // graphics/BastUp/NNN.png, 200x300
Canvas MakeLowerChips();                  // graphics/mapchip.png, 1024x512
Canvas MakeUpperSheet();                  // graphics/mapchip2.png, 1024x1024
Canvas MakeBackdrop(int n);               // graphics/BackGround/NNN.png, 1024x512

// Portrait ids that are generated (files 000.png ... ).
constexpr int kPortraitCount = 40;
// Story backdrops that are generated (files 000.png ... ).
constexpr int kBackdropCount = 10;

int WriteAllImages(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
