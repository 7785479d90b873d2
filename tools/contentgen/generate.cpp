#include "generate.h"

#include "audio.h"
#include "effects.h"
#include "images.h"
#include "menus.h"
#include "intermission.h"
#include "screens.h"
#include "story.h"

namespace cg {

int GenerateAll(const std::string& gameDir, std::vector<std::string>* written) {
    int failures = WriteAllImages(gameDir, written);
    failures += WriteScreenImages(gameDir, written);
    failures += WriteMenuImages(gameDir, written);
    failures += WriteEffectTextures(gameDir, written);
    failures += WriteStoryImages(gameDir, written);
    failures += WriteInterMissionImages(gameDir, written);
    failures += WriteAllSounds(gameDir, written);
    return failures;
}

}  // namespace cg
