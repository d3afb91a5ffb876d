// The library's help file and its opening.
#include "platform/processes/help_calls.h"

#include "platform/core/host_major_version.h"
#include "platform/processes/host_procedures.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {
// The host version from which the help comes in the interface's language.
constexpr int kNewerHost = 17;
constexpr int kHelpCommand = 1;
}  // namespace

std::string HelpFileName(int hostMajorVersion, const std::string& language) {
    if (hostMajorVersion > kNewerHost) {
        if (language == "en-US") return "Zarvento_en-US.chm";
        if (language == "tr-TR") return "Zarvento_tr-TR.chm";
    }
    return "Zarvento.chm";
}

void OpenHelp(int topic) {
    const int major = HostMajorVersion();
    const std::string name = HelpFileName(major, major > kNewerHost ? HostInterfaceLanguage() : std::string());
    std::string path;
    if (ModuleFilePath(path, name)) OpenHostHelp(path, kHelpCommand, topic);
}

}  // namespace zarvento
