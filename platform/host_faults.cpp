// HostFaults: armed failures and call counters.
#include "platform/host_faults.h"

#include <array>
#include <cstdint>
#include <map>

#include "platform/process_state.h"

namespace zarvento {

namespace {
struct Armed {
    HRESULT code;
    int skip;
    int times;
};
std::map<std::string, Armed, std::less<>> armed;
std::map<std::string, int, std::less<>> calls;

// Every host call passes through Check, mostly with the same few names from
// the same places: the counter last found for a name is kept by where the
// caller's text lies, and taken when the name there is still the same.
using Counter = std::map<std::string, int, std::less<>>::value_type;
std::array<Counter*, 64> recent{};

Counter& CounterOf(std::string_view call) {
    const std::uint64_t place = reinterpret_cast<std::uintptr_t>(call.data());
    Counter*& slot = recent[(place * 0x9E3779B97F4A7C15u) >> 58];
    if (slot && slot->first == call) return *slot;
    auto c = calls.find(call);
    if (c == calls.end()) c = calls.emplace(std::string(call), 0).first;
    slot = &*c;
    return *c;
}
}  // namespace

ZARVENTO_STATE_RESET { HostFaults::Clear(); }

void HostFaults::Arm(std::string call, HRESULT code, int skip, int times) {
    armed[std::move(call)] = Armed{code, skip, times};
}

void HostFaults::Clear() {
    armed.clear();
    calls.clear();
    recent.fill(nullptr);
}

void HostFaults::Check(std::string_view call) {
    ++CounterOf(call).second;
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

int HostFaults::Calls(std::string_view call) {
    auto c = calls.find(call);
    return c == calls.end() ? 0 : c->second;
}

std::vector<std::string> HostFaults::CalledNames() {
    std::vector<std::string> names;
    names.reserve(calls.size());
    for (const auto& [name, count] : calls) names.push_back(name);
    return names;
}

}  // namespace zarvento
