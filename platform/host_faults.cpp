// HostFaults: armed failures and call counters.
#include "platform/host_faults.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/process_state.h"

namespace zarvento {

namespace {
struct Armed {
    HRESULT code;
    int skip;
    int times;
};
std::map<std::string, Armed, std::less<>> armed;
// Counted on every host call: hashed, so that counting stays cheap.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
std::unordered_map<std::string, int, NameHash, std::equal_to<>> calls;
}  // namespace

ZARVENTO_STATE_RESET { HostFaults::Clear(); }

void HostFaults::Arm(std::string call, HRESULT code, int skip, int times) {
    armed[std::move(call)] = Armed{code, skip, times};
}

void HostFaults::Clear() {
    armed.clear();
    calls.clear();
}

void HostFaults::Check(std::string_view call) {
    auto c = calls.find(call);
    if (c == calls.end()) c = calls.emplace(std::string(call), 0).first;
    ++c->second;
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
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zarvento
