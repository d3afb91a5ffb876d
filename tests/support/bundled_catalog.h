// The bundled catalog of tools and fixtures laid out beside the library as
// the build makes it: each model's text form in catalog/ converted into its
// model document under the same folders.
#pragma once

#include <filesystem>

#include "catalogs/tool_model_text.h"

namespace zarvento::test {

inline void InstallBundledCatalog(const std::filesystem::path& catalog, const std::filesystem::path& into) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(catalog)) {
        if (entry.path().extension() != ".txt") continue;
        fs::path target = into / fs::relative(entry.path(), catalog);
        target.replace_extension(".rdp");
        fs::create_directories(target.parent_path());
        ToolModelText::Convert(entry.path().string(), target.string());
    }
}

}  // namespace zarvento::test
