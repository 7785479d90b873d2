#pragma once
// Pictures that the chapter scripts place by file name: strategy-map markers and
// force fields, and event pictures shown over the story.
#include <string>
#include <vector>

#include "canvas.h"

namespace cg {

int WriteStoryImages(const std::string& gameDir, std::vector<std::string>* written);

}  // namespace cg
