// The string table compiled in from resources/strings.inc.
#include "platform/processes/resource_strings.h"

#include <algorithm>
#include <iterator>

#include "platform/core/host_faults.h"

namespace zarvento {

namespace {
struct ResString {
    int id;
    const char* text;
};
constexpr ResString kStrings[] = {
#include "resources/strings.inc"
};
}  // namespace

std::string LoadResString(int id) {
    HostFaults::Check("LoadResString");
    auto it = std::find_if(std::begin(kStrings), std::end(kStrings), [id](const ResString& s) { return s.id == id; });
    return it == std::end(kStrings) ? std::string() : std::string(it->text);
}

}  // namespace zarvento
