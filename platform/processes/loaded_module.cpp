// Loading and unloading modules with the dynamic loader.
#include "platform/processes/loaded_module.h"

#include <dlfcn.h>

namespace zarvento {

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::filesystem::path& file, std::string* error) {
    // Local binding: each module keeps its own symbols, as a host's modules do.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* why = ::dlerror();
            *error = why ? why : "cannot load " + file.string();
        }
        return nullptr;
    }
    std::unique_ptr<LoadedModule> module(new LoadedModule(handle, file));
    if (auto start = reinterpret_cast<DllMainFunction>(module->Symbol("DllMain"))) {
        if (start(kDllProcessAttach) == 0) {
            // It did not start, so it is not told to end either.
            module->handle_ = nullptr;
            ::dlclose(handle);
            if (error) *error = file.string() + " refused to start";
            return nullptr;
        }
    }
    return module;
}

LoadedModule::~LoadedModule() {
    if (!handle_) return;
    if (auto end = reinterpret_cast<DllMainFunction>(Symbol("DllMain"))) end(kDllProcessDetach);
    ::dlclose(handle_);
}

void* LoadedModule::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

}  // namespace zarvento
