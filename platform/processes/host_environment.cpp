// The host's answers for the Windows environment.
#include "platform/processes/host_environment.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/core/process_state.h"
#include "platform/core/utf8_text.h"
#include "platform/processes/host_registry.h"

namespace zarvento {

namespace {

std::optional<std::filesystem::path> commonFiles;

ZARVENTO_STATE_RESET { commonFiles.reset(); }

bool Named(std::string_view name, std::string_view windowsName) { return CompareNoCase(name, windowsName) == 0; }

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

}  // namespace

std::optional<std::string> HostEnvironmentVariable(std::string_view name) {
    if (Named(name, "APPDATA")) {
        if (std::optional<std::string> config = Environment("XDG_CONFIG_HOME"); config && !config->empty())
            return config;
        if (std::optional<std::string> home = Environment("HOME"); home && !home->empty())
            return (std::filesystem::path(*home) / ".config").string();
        return std::nullopt;
    }
    if (Named(name, "CommonProgramFiles")) {
        if (std::optional<std::filesystem::path> folder = CommonProgramFilesFolder()) return folder->string();
        return std::nullopt;
    }
    if (Named(name, "ProgramFiles") || Named(name, "ProgramFiles(x86)")) return std::nullopt;
    return Environment(std::string(name).c_str());
}

std::optional<std::filesystem::path> CommonProgramFilesFolder() {
    if (commonFiles) return commonFiles;
    std::optional<std::string> text = HostRegistry::Instance().Text(kCommonFilesKey, kCommonFilesValue);
    if (!text || text->empty()) return std::nullopt;
    return std::filesystem::path(*text);
}

void SetCommonProgramFilesFolder(std::optional<std::filesystem::path> folder) { commonFiles = std::move(folder); }

std::string UserDefaultLocaleName() {
    std::string lang = Environment("LANG").value_or("");
    lang = lang.substr(0, lang.find_first_of(".@"));
    if (lang.empty() || lang == "C" || lang == "POSIX") return "en-US";
    for (char& c : lang)
        if (c == '_') c = '-';
    return lang;
}

std::optional<std::filesystem::path> ModuleFileOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') return std::nullopt;
    // The program itself may be named as it was started ("zarvento", found on
    // PATH): its own link then says where it is.
    const std::string name = info.dli_fname;
    std::error_code ec;
    if (name.find('/') != std::string::npos) {
        std::filesystem::path file = std::filesystem::canonical(name, ec);
        if (!ec) return file;
    }
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self;
    return std::filesystem::path(name);
}

}  // namespace zarvento
