// The library list and the queue of posted commands.
#include "platform/processes/host_libraries.h"

#include <algorithm>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/processes/host_procedures.h"
#include "platform/processes/resource_strings.h"

namespace zarvento {

namespace {
// The library title among the string resources.
constexpr int kLibraryTitleString = 101;
// The command of this library that is never posted (it synchronises at once).
constexpr int kNeverPosted = 777;
}  // namespace

ZARVENTO_STATE_RESET { HostLibraries::Instance().Reset(); }

HostLibraries& HostLibraries::Instance() {
    static HostLibraries libraries;
    return libraries;
}

void HostLibraries::Reset() {
    libraries_.clear();
    posted_.clear();
}

void HostLibraries::Add(HostLibraryEntry entry) {
    Remove(entry.title);
    libraries_.push_back(std::move(entry));
}

void HostLibraries::Remove(const std::string& title) {
    std::erase_if(libraries_, [&](const HostLibraryEntry& e) { return e.title == title; });
    std::erase_if(posted_, [&](const auto& p) { return p.first == title; });
}

const HostLibraryEntry* HostLibraries::Item(const std::string& title) const {
    HostFaults::Check("HostLibraries.Item");
    auto it = std::find_if(libraries_.begin(), libraries_.end(), [&](const auto& e) { return e.title == title; });
    return it == libraries_.end() ? nullptr : &*it;
}

void HostLibraries::RunCommand(const std::string& title, int command) {
    HostFaults::Check("HostLibraries.RunCommand");
    posted_.emplace_back(title, command);
}

bool HostLibraries::SendCommand(const std::string& title, int command, const AfterCommand& after) {
    const HostLibraryEntry* library = Item(title);
    if (!library || !library->entry) return false;
    const LibraryCommandEntry entry = library->entry;
    entry(static_cast<unsigned int>(command));
    if (after) after();
    RunPosted(after);
    return true;
}

int HostLibraries::RunPosted(const AfterCommand& after) {
    int run = 0;
    for (int round = 0; round < kMaxPostedRounds && !posted_.empty(); ++round) {
        std::vector<std::pair<std::string, int>> batch;
        batch.swap(posted_);
        for (const auto& posted : batch) {
            // A library unloaded meanwhile takes its commands with it.
            const HostLibraryEntry* library = Item(posted.first);
            if (!library || !library->entry) continue;
            const LibraryCommandEntry entry = library->entry;
            entry(static_cast<unsigned int>(posted.second));
            if (after) after();
            ++run;
        }
    }
    return run;
}

std::string LibraryTitle() { return LoadResString(kLibraryTitleString); }

void PostHostCommand(int command) {
    HostFaults::Check("PostHostCommand");
    if (command == kNeverPosted) return;
    const std::string title = LibraryTitle();
    if (!HostLibraries::Instance().Item(title)) return;
    if (HostIsIdle()) HostLibraries::Instance().RunCommand(title, command);
}

bool SendMenuCommand(int command, const HostLibraries::AfterCommand& after) {
    return HostLibraries::Instance().SendCommand(LibraryTitle(), command, after);
}

}  // namespace zarvento
