// Loading and unloading a library module.
#include "platform/processes/library_module.h"

#include "platform/core/process_state.h"
#include "platform/processes/host_libraries.h"

namespace zarvento {

namespace {

// The exports the host calls on every library it loads.
constexpr const char* kRequiredExports[] = {"LIBRARYID", "LIBRARYNAMEW", "LIBRARYENTRY", "LibInterfaceNotifyEntry"};

using LibraryIdFunction = unsigned int (*)();
using LibraryNameFunction = const char* (*)();
using NotifyEntryFunction = int (*)();

}  // namespace

std::unique_ptr<LibraryModule> LibraryModule::Load(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = "the library " + file.string() + " does not exist";
        return nullptr;
    }
    std::string why;
    std::unique_ptr<LoadedModule> loaded = LoadedModule::Load(std::filesystem::absolute(file, ec), &why);
    if (!loaded) {
        error = "cannot load the library " + file.string() + ": " + why;
        return nullptr;
    }
    std::unique_ptr<LibraryModule> module(new LibraryModule(std::move(loaded)));
    for (const char* name : kRequiredExports) {
        if (!module->Symbol(name)) {
            error = file.string() + " is not a library of this host: it does not export " + name;
            return nullptr;
        }
    }
    module->id_ = reinterpret_cast<LibraryIdFunction>(module->Symbol("LIBRARYID"))();
    const char* title = reinterpret_cast<LibraryNameFunction>(module->Symbol("LIBRARYNAMEW"))();
    module->title_ = title ? title : "";
    HostLibraries::Instance().Add(
        HostLibraryEntry{module->title_, module->File().string(),
                         reinterpret_cast<LibraryCommandEntry>(module->Symbol("LIBRARYENTRY"))});
    module->listed_ = true;
    reinterpret_cast<NotifyEntryFunction>(module->Symbol("LibInterfaceNotifyEntry"))();
    return module;
}

LibraryModule::~LibraryModule() {
    if (listed_) HostLibraries::Instance().Remove(title_);
    module_.reset();
    // The resets of the state an unloaded module held went with it.
    DropStateResetsOfUnloadedModules();
}

}  // namespace zarvento
