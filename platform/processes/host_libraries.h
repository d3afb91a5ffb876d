// The host's list of the libraries it has loaded (its library manager) and
// the commands they post. Each entry is known by the library's title and
// holds a text property and the library's command entry; the host calls that
// entry for every command of the library's menu, and for every command a
// library posts, once the command that posted it has returned.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zarvento {

// A library's command entry (its LIBRARYENTRY).
using LibraryCommandEntry = void (*)(unsigned int command);

struct HostLibraryEntry {
    std::string title;
    std::string text;
    LibraryCommandEntry entry = nullptr;
};

class HostLibraries {
public:
    static HostLibraries& Instance();
    void Reset();

    // Enters a library in the list; an entry of the same title is replaced.
    void Add(HostLibraryEntry entry);
    void Remove(const std::string& title);
    // The list item whose key is the title, or null (a host call:
    // HostFaults "HostLibraries.Item").
    const HostLibraryEntry* Item(const std::string& title) const;

    // The entry's run-command call: the command waits until the current one
    // has returned (HostFaults "HostLibraries.RunCommand").
    void RunCommand(const std::string& title, int command);
    // Called after each command the host ran through a library's entry.
    using AfterCommand = std::function<void()>;
    // A command of the library's menu: its entry runs it now, then every
    // command posted meanwhile runs. False when no such library is loaded.
    bool SendCommand(const std::string& title, int command, const AfterCommand& after = {});
    // Runs the posted commands in order through their libraries' entries, and
    // those they post in turn; a host runs each posting once, so the rounds are
    // bounded (kMaxPostedRounds). Returns how many ran.
    int RunPosted(const AfterCommand& after = {});
    // The commands waiting, by library title.
    const std::vector<std::pair<std::string, int>>& Posted() const { return posted_; }

    static constexpr int kMaxPostedRounds = 100;

private:
    std::vector<HostLibraryEntry> libraries_;
    std::vector<std::pair<std::string, int>> posted_;
};

// Asks the host to run a command of this library (the Zarvento library, by its
// title) after the current command: nothing for 777; otherwise, when the
// library is in the host's list and the host is idle, through the entry's
// run-command call. HostFaults "PostHostCommand" fails the call itself.
void PostHostCommand(int command);

// Sends a command of this library's menu by its id, as the host's menu does.
// False when the library is not loaded.
bool SendMenuCommand(int command, const HostLibraries::AfterCommand& after = {});

// This library's title in the host's list (the library title resource).
std::string LibraryTitle();

}  // namespace zarvento
