// A library the host loads from its file, as the CAD host loads an add-in:
// the file is loaded (its attach step runs), its exports are checked, the
// library is entered in the host's library list under its title, and it is
// told once that it has been loaded (LibInterfaceNotifyEntry). Unloading
// takes it off the list and unloads the file, which runs its detach step.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

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
    void* Symbol(const char* name) const;
    // The library's id (LIBRARYID) and title (LIBRARYNAMEW).
    unsigned int LibraryId() const { return id_; }
    const std::string& Title() const { return title_; }
    const std::filesystem::path& File() const { return file_; }

private:
    LibraryModule(void* handle, std::filesystem::path file) : handle_(handle), file_(std::move(file)) {}

    void* handle_;
    std::filesystem::path file_;
    unsigned int id_ = 0;
    std::string title_;
};

}  // namespace zarvento
