// Scanning, copying and looking up the installed post-processors.
#include "post/post_processors_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/processes/module.h"

namespace zarvento {

namespace {

// Descriptions named on a system that ignores the case of names keep working.
bool IsDescriptionFile(const std::filesystem::path& p) {
    std::string extension = p.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".py3";
}

}  // namespace

CPostProcessorsList::CPostProcessorsList() { ScanFolder(); }

CPostProcessorsList::CPostProcessorsList(const CPostProcessorsList& other) { *this = other; }

CPostProcessorsList& CPostProcessorsList::operator=(const CPostProcessorsList& other) {
    if (this == &other) return *this;
    folder_ = other.folder_;
    label_ = other.label_;
    std::vector<std::unique_ptr<CPostProcessor>> copies;
    copies.reserve(other.entries_.size());
    for (const auto& entry : other.entries_) copies.push_back(std::make_unique<CPostProcessor>(*entry));
    entries_ = std::move(copies);
    return *this;
}

CPostProcessorsList::~CPostProcessorsList() = default;

void CPostProcessorsList::ScanFolder() {
    entries_.clear();
    folder_.clear();
    const auto module = ModuleDirectory();
    if (!module) return;
    const std::filesystem::path folder = *module / "POSTPROCESSORS";
    folder_ = (folder / "").string();
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) return;
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const std::filesystem::path& p = it->path();
        if (IsDescriptionFile(p) && !it->is_directory(ec)) files.push_back(p);
    }
    // The directory's own order differs between file systems; by name the
    // list reads the same everywhere.
    std::sort(files.begin(), files.end());
    for (const auto& p : files) entries_.push_back(std::make_unique<CPostProcessor>(p.stem().string(), p.string()));
}

std::string CPostProcessorsList::GetName(int index) const {
    CPostProcessor* entry = GetAt(index);
    return entry ? entry->GetName() : std::string();
}

CPostProcessor* CPostProcessorsList::GetAt(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return entries_[static_cast<std::size_t>(index)].get();
}

CPostProcessor* CPostProcessorsList::FindPostProcessor(const std::string& name) const {
    for (const auto& entry : entries_)
        if (entry->GetName() == name) return entry.get();
    return nullptr;
}

}  // namespace zarvento
