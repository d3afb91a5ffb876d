// The Windows environment the library asks the host for, as this host
// answers it: environment variables with their Windows names, the user's
// interface language, and the file of a loaded module.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

// A variable by its Windows name (case-blind): "APPDATA" is the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config);
// "CommonProgramFiles" the host's common-files setting (unset when it has
// none); "ProgramFiles" and "ProgramFiles(x86)" are unset, there being no
// such folders here; any other name is the process environment's.
std::optional<std::string> HostEnvironmentVariable(std::string_view name);

// The host's folder of files shared by programs: the one set, else the
// registry's "CommonFilesDir" under
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion, else none.
std::optional<std::filesystem::path> CommonProgramFilesFolder();
// Sets the folder for this process; nullopt goes back to the registry's.
void SetCommonProgramFilesFolder(std::optional<std::filesystem::path> folder);
inline constexpr const char* kCommonFilesKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kCommonFilesValue = "CommonFilesDir";

// The user's interface language as a locale name, from LANG: "ru_RU.UTF-8"
// gives "ru-RU", "de" gives "de"; "en-US" when LANG names no language
// (unset, empty, "C" or "POSIX").
std::string UserDefaultLocaleName();

// The file of the program or shared library that holds `address`; none
// when no loaded file holds it.
std::optional<std::filesystem::path> ModuleFileOf(const void* address);

}  // namespace zarvento
