#pragma once
// Writes every generated picture, piece of music and sound effect below a runnable
// folder. Deterministic: the same generator always writes the same bytes.
#include <string>
#include <vector>

namespace cg {

// Returns the number of files that could not be made; `written` receives the paths
// (relative to gameDir, "/" separated) of the files made.
int GenerateAll(const std::string& gameDir, std::vector<std::string>* written = nullptr);

}  // namespace cg
