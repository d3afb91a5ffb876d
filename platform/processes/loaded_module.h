// A shared library loaded at run time, as the host loads a component's
// module. Loading calls the module's `DllMain` with kDllProcessAttach when it
// exports one, so a module starts itself in an explicit call rather than in
// static initialisers; unloading calls it with kDllProcessDetach first.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace zarvento {

inline constexpr int kDllProcessDetach = 0;
inline constexpr int kDllProcessAttach = 1;
// The module's start and end: `extern "C" int DllMain(int reason)`; a module
// that answers 0 to kDllProcessAttach refuses to load.
using DllMainFunction = int (*)(int reason);

class LoadedModule {
public:
    // Loads the library; null when it cannot be loaded or refuses to start,
    // with the reason in `error`.
    static std::unique_ptr<LoadedModule> Load(const std::filesystem::path& file, std::string* error = nullptr);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // The address of an exported symbol; null when the module has none.
    void* Symbol(const char* name) const;
    const std::filesystem::path& File() const { return file_; }

private:
    LoadedModule(void* handle, std::filesystem::path file) : handle_(handle), file_(std::move(file)) {}
    void* handle_;
    std::filesystem::path file_;
};

}  // namespace zarvento
