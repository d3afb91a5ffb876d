// Loading and unloading a library module.
#include "platform/library_module.h"

#include <dlfcn.h>

#include "platform/host_libraries.h"

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
    // Resolved at once, so that a library missing a symbol fails here and not
    // in the middle of a command; kept to itself, as the host keeps each add-in.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load the library " + file.string() + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    std::unique_ptr<LibraryModule> module(new LibraryModule(handle, std::filesystem::absolute(file, ec)));
    for (const char* name : kRequiredExports) {
        if (!module->Symbol(name)) {
            error = file.string() + " is not a library of this host: it does not export " + name;
            module->title_.clear();
            return nullptr;
        }
    }
    module->id_ = reinterpret_cast<LibraryIdFunction>(module->Symbol("LIBRARYID"))();
    const char* title = reinterpret_cast<LibraryNameFunction>(module->Symbol("LIBRARYNAMEW"))();
    module->title_ = title ? title : "";
    HostLibraries::Instance().Add(HostLibraryEntry{
        module->title_, module->file_.string(), reinterpret_cast<LibraryCommandEntry>(module->Symbol("LIBRARYENTRY"))});
    reinterpret_cast<NotifyEntryFunction>(module->Symbol("LibInterfaceNotifyEntry"))();
    return module;
}

LibraryModule::~LibraryModule() {
    if (!title_.empty()) HostLibraries::Instance().Remove(title_);
    dlclose(handle_);
}

void* LibraryModule::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace zarvento
