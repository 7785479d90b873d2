#pragma once
// Paths as the game writes them ("model\\keyframe.csv", "./Graphics/BastUp/001.png")
// mapped onto the Linux file system: "\\" and "/" both separate, and each component
// is found without regard to the case of its letters when the exact name is absent.
#include <string>

namespace plat {

// Replaces "\\" by "/"; keeps everything else.
std::string ToNativeSeparators(const std::string& path);

// The existing file or folder that `path` names, with each component matched
// case-insensitively (ASCII letters only) when the exact spelling does not exist.
// Returns the native path; when nothing matches, the native form of `path` with the
// components that were found corrected (so a file about to be created lands in the
// existing folder).
std::string ResolvePath(const std::string& path);

bool FileExists(const std::string& path);  // resolved as above

// The folder of the running program, ending with "/".
std::string ProgramFolder();

// The current working directory, ending with "/".
std::string CurrentFolder();
// Makes `folder` the current working directory; false when it cannot be entered.
bool SetCurrentFolder(const std::string& folder);

}  // namespace plat
