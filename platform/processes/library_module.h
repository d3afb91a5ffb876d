// A library the host loads from its file, as the CAD host loads an add-in:
// the module is loaded and started (its DllMain attach step), its exports
// are checked, the library is entered in the host's library list under its
// title and told once that it has been loaded (LibInterfaceNotifyEntry).
// Unloading takes it off the list and ends the module (its detach step runs
// while the host is still there).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/processes/loaded_module.h"

namespace zarvento {

class LibraryModule {
public:
    // The loaded library, or null with `error` saying why: the file is
    // missing, cannot be loaded, or is no library of this host (it lacks one
    // of the exports every library has).
    static std::unique_ptr<LibraryModule> Load(const std::filesystem::path& file, std::string& error);
    ~LibraryModule();
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;

    // An export of the library, or null.
    void* Symbol(const char* name) const { return module_->Symbol(name); }
    // The library's id (LIBRARYID) and title (LIBRARYNAMEW).
    unsigned int LibraryId() const { return id_; }
    const std::string& Title() const { return title_; }
    const std::filesystem::path& File() const { return module_->File(); }

private:
    explicit LibraryModule(std::unique_ptr<LoadedModule> module) : module_(std::move(module)) {}

    std::unique_ptr<LoadedModule> module_;
    unsigned int id_ = 0;
    std::string title_;
    bool listed_ = false;
};

}  // namespace zarvento
