// The host's registry file: any file as the registry, then the look-ups the
// program makes and a change written back, read again as it was written.
#include "fuzz_support.h"
#include "platform/core/host_error.h"
#include "platform/processes/host_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    const auto path = fuzz::ScratchFile("registry", fuzz::Text(data, size));
    HostRegistry& registry = HostRegistry::Instance();
    try {
        registry.Open(path);
        for (const std::string& key : registry.Keys()) {
            registry.SubKeys(key);
            registry.Value(key);
            registry.Text(key, "Path");
        }
        registry.SetText("Software\\Fuzz", "Path", "x");
        const auto before = registry.Keys();
        registry.Open(path);
        // What was written reads back with the same keys.
        if (registry.Keys() != before) __builtin_trap();
    } catch (const HostError&) {
        // A malformed registry is refused, as it must be.
    }
    registry.Close();
    return 0;
}
