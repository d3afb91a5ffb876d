// The host's help call: a help file, a command and a topic. The headless host
// has no help viewer and records every call.
#pragma once

#include <string>
#include <vector>

namespace zarvento {

struct HelpCall {
    std::string file;
    int command = 0;
    int topic = 0;
};

void CallHostHelp(const std::string& file, int command, int topic);
// The library's help at a topic: "Zarvento.chm" in the library's folder,
// through the help call with command 1; nothing without a folder.
void OpenHelp(int topic);
const std::vector<HelpCall>& HostHelpCalls();

}  // namespace zarvento
