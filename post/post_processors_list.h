// The installed post-processors: every "*.py3" description in the folder
// "POSTPROCESSORS" beside the library's own file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "post/post_processor.h"

namespace zarvento {

class CPostProcessorsList {
public:
    // Scans the folder.
    CPostProcessorsList();
    // Copies own their entries: a copy and its source never share one.
    CPostProcessorsList(const CPostProcessorsList& other);
    CPostProcessorsList& operator=(const CPostProcessorsList& other);
    ~CPostProcessorsList();

    // Rebuilds the list from the folder; pointers into the old list die.
    void ScanFolder();
    int Count() const { return static_cast<int>(entries_.size()); }
    // The name of the index-th entry; empty past the end.
    std::string GetName(int index) const;
    CPostProcessor* GetAt(int index) const;
    // The entry with exactly that name, or null; it belongs to the list.
    CPostProcessor* FindPostProcessor(const std::string& name) const;

    const std::string& Folder() const { return folder_; }
    static constexpr const char* kLocationLabel = ".../Постпроцессоры/";

private:
    std::string folder_;
    std::string label_ = kLocationLabel;
    std::vector<std::unique_ptr<CPostProcessor>> entries_;
};

}  // namespace zarvento
