// The library's help: its help file in the library's folder, opened at a
// topic through the host's help call (OpenHostHelp, which the headless host
// records).
#pragma once

#include <string>

namespace zarvento {

// Opens the help file at a topic: "Zarvento.chm" in the library's folder, by
// the host's interface language above host 17; nothing without a folder.
void OpenHelp(int topic);
// The help file's name for a host version and interface language.
std::string HelpFileName(int hostMajorVersion, const std::string& language);

}  // namespace zarvento
