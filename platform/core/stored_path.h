// Paths as the system stores them (Windows texts with '\' separators, drive
// letters, tails like "\TEMP_CNC\NC_" appended to a folder) and their
// std::filesystem form on this host.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zarvento {

// True for texts beginning with a drive letter and a colon ("C:\...", "c:").
bool HasDriveLetter(std::string_view stored);

// A stored path text as a path of this host. '\' and '/' both separate; runs
// of separators count as one. A drive letter is dropped and the rest is taken
// from the root ("C:\Program Files\x.exe" -> "/Program Files/x.exe"): there
// are no drives here, and a stored Windows location can only be found again
// when the same tree is mounted at the root. A text beginning with a
// separator is rooted; others stay relative. Nothing else is interpreted:
// "." and ".." stay as they are.
std::filesystem::path StoredPathToPath(std::string_view stored);

// `base` followed by a stored relative tail. Leading separators of the tail do
// not make it rooted: the system writes tails as "\TEMP_CNC\NC_" and means
// them below the folder. A tail with a drive letter is a whole path of its own.
std::filesystem::path AppendStoredPath(const std::filesystem::path& base, std::string_view tail);

// The text to store for a path: '\' separators, no drive letter.
std::string PathToStoredText(const std::filesystem::path& path);

}  // namespace zarvento
