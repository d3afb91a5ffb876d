// HostFaults: armed failures and call counters.
#include "platform/core/host_faults.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "platform/core/process_state.h"

namespace zarvento {

namespace {
struct Armed {
    HRESULT code;
    int skip;
    int times;
};
// Every host call passes here: names are found by hash, without a string
// made for the lookup.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
template <typename T>
using ByName = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;
ByName<Armed> armed;
ByName<int> calls;

// The counters last found, by where their names lay: a call site passes the
// same text at the same address every time, so most calls find their counter
// here without hashing the name. The text is compared all the same, so a name
// made at run time in a buffer that once held another is never miscounted.
struct RecentCall {
    const std::string* name = nullptr;
    int* count = nullptr;
};
std::array<RecentCall, 64> recent{};
// Set by a test that runs a whole command: the command's own reset at its
// end must not take away what the test armed and counted.
bool heldThroughResets = false;

int& CounterOf(std::string_view call) {
    RecentCall& slot = recent[(reinterpret_cast<std::uintptr_t>(call.data()) >> 3) % recent.size()];
    if (slot.name && *slot.name == call) return *slot.count;
    auto c = calls.find(call);
    if (c == calls.end()) c = calls.emplace(std::string(call), 0).first;
    // The map's nodes stay where they are until the counters are cleared.
    slot = {&c->first, &c->second};
    return c->second;
}
}  // namespace

ZARVENTO_STATE_RESET {
    if (!heldThroughResets) HostFaults::Clear();
}

void HostFaults::HoldThroughResets(bool hold) { heldThroughResets = hold; }

void HostFaults::Arm(std::string call, HRESULT code, int skip, int times) {
    armed[std::move(call)] = Armed{code, skip, times};
}

void HostFaults::Clear() {
    armed.clear();
    calls.clear();
    recent.fill({});
}

void HostFaults::Check(std::string_view call) {
    ++CounterOf(call);
    if (armed.empty()) return;
    auto it = armed.find(call);
    if (it == armed.end()) return;
    if (it->second.skip > 0) {
        --it->second.skip;
        return;
    }
    const HRESULT code = it->second.code;
    if (--it->second.times <= 0) armed.erase(it);
    throw HostError(code, "host call " + std::string(call) + " failed");
}

int HostFaults::TotalCalls() {
    int total = 0;
    for (const auto& [name, count] : calls) total += count;
    return total;
}

bool HostFaults::IsArmed(std::string_view call) { return armed.find(call) != armed.end(); }

int HostFaults::Calls(std::string_view call) {
    auto c = calls.find(call);
    return c == calls.end() ? 0 : c->second;
}

std::vector<std::string> HostFaults::CalledNames() {
    std::vector<std::string> names;
    names.reserve(calls.size());
    for (const auto& [name, count] : calls) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zarvento
