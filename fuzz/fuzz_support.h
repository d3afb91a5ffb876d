// What the fuzz targets share: their start-up, the input as text, a scratch
// folder of the process for the files a reader needs, and a fresh process
// state around every input, so that one input never sees what another left.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "operations/operations_layer.h"
#include "platform/core/process_state.h"
#include "platform/core/text_file.h"

namespace zarvento::fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Made once, under the system's temporary folder; removed when the process ends.
inline const std::filesystem::path& Scratch() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Scratch(), ec);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// The input as a file of the scratch folder.
inline std::filesystem::path ScratchFile(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = Scratch() / name;
    if (!WriteFileAtomic(path, bytes).ok) ::abort();
    return path;
}

// The examples and post-processors of the source tree.
inline std::filesystem::path SourcePath(const std::string& relative) {
    return std::filesystem::path(ZARVENTO_SOURCE_DIR) / relative;
}

class FreshState {
public:
    FreshState() { ResetProcessState(); }
    ~FreshState() { ResetProcessState(); }
    FreshState(const FreshState&) = delete;
    FreshState& operator=(const FreshState&) = delete;
};

}  // namespace zarvento::fuzz

// The start-up of every fuzz target (one source each): the library wired as
// the program wires it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zarvento::RegisterOperationsLayer();
    return 0;
}
