// Making, sweeping and removing the plans' session directories.
#include "plan/session_dir.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "catalogs/param_tool.h"
#include "plan/spid.h"
#include "platform/core/guid.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSessionRoot = "TEMP_CNC";
constexpr const char* kSessionPrefix = "NC_";
constexpr std::size_t kSessionNameLength = 3 + kGuidTextLength;
// Files of at most this many characters survive a sweep ("LSC.txt"): only a
// session that knows them deletes them.
constexpr std::size_t kSweptNameMinLength = 8;

bool IsSessionName(const std::string& name) {
    return name.size() == kSessionNameLength && name.compare(0, 3, kSessionPrefix) == 0;
}

// Empties and removes a stale session directory; whatever cannot go stays
// for a later sweep.
void SweepSession(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> doomed;
    fs::directory_iterator it(dir, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().size() >= kSweptNameMinLength) doomed.push_back(it->path());
    for (const auto& file : doomed) fs::remove(file, ec);  // a non-empty subdirectory stays
    fs::remove(dir, ec);
}

void SweepSessions(const fs::path& root) {
    std::error_code ec;
    std::vector<fs::path> stale;
    fs::directory_iterator it(root, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (!IsSessionName(it->path().filename().string())) continue;
        std::error_code typeError;
        if (!it->is_directory(typeError)) continue;
        // On this system open files can be deleted, so a live session is
        // told by its lock, not by files that refuse to go.
        if (DirectoryLock::IsLocked(it->path())) continue;
        stale.push_back(it->path());
    }
    for (const auto& dir : stale) SweepSession(dir);
}

// A tool or fixture model copy: "Tool_N" or "Device_N" with a model extension.
bool IsModelCopy(const std::string& name) {
    for (const std::string kind : {"Tool_", "Device_"}) {
        if (name.compare(0, kind.size(), kind) != 0) continue;
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || dot <= kind.size()) return false;
        const std::string ext = name.substr(dot);
        return ext == ".rdp" || (ext.size() == 4 && ext.compare(2, 2, "3d") == 0);
    }
    return false;
}

}  // namespace

void CreateSessionDir(CSPID& spid) {
    const fs::path root = HostFolder() / kSessionRoot;
    const std::string guid = NewGuidText();
    SweepSessions(root);
    const fs::path session = root / (std::string(kSessionPrefix) + guid);
    spid.sessionDirectory = session.string();
    std::error_code ec;
    bool created = fs::create_directory(session, ec);
    if (!created && ec == std::errc::no_such_file_or_directory) {
        std::error_code rootError;
        fs::create_directory(root, rootError);
        created = fs::create_directory(session, ec);
        if (!created) {
            ShowHostMessage("Ошибка создания директории сессии");
            return;
        }
    }
    if (!created) return;
    spid.sessionLock.Acquire(session);
    SetToolSessionDirectory(spid.sessionDirectory);
}

void DeleteSessionDir(CSPID& spid) {
    if (spid.sessionDirectory.empty()) return;
    const fs::path session = spid.sessionDirectory;
    std::error_code ec;
    std::vector<fs::path> copies;
    fs::directory_iterator it(session, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec))
        if (IsModelCopy(it->path().filename().string())) copies.push_back(it->path());
    for (const auto& file : copies) fs::remove(file, ec);
    for (const char* name : {"input.tmp", "output.tmp", "path.tmp", "LSC.txt", "Rastr.tif"})
        fs::remove(session / name, ec);
    spid.sessionLock.Release();
    fs::remove(DirectoryLock::LockFilePath(session), ec);
    fs::remove(session, ec);
    if (ToolSessionDirectory() == spid.sessionDirectory) SetToolSessionDirectory({});
}

}  // namespace zarvento
