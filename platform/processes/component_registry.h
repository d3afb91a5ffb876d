// The component registry of the headless host: which module serves a class,
// by class id and by ProgID, kept in the host registry (platform/
// host_registry.h) under "HKCR" as the host keeps it, and the creation of
// objects through the class factories of those modules.
//
// A class may also be served by a program in a process of its own
// ("LocalServer32", platform/processes/local_server.h): creating it starts the program.
//
// A module of components exports, with C linkage:
//     HRESULT DllGetClassObject(const char* clsid, std::shared_ptr<ClassFactory>* factory);
//     HRESULT DllCanUnloadNow();       // S_OK when none of its objects lives
//     HRESULT DllRegisterServer();     // writes its entries here
//     HRESULT DllUnregisterServer();   // removes them
// and may export DllMain (platform/processes/loaded_module.h). A module is loaded when
// one of its classes is first created and stays loaded until
// FreeUnusedLibraries finds it unused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_object.h"

namespace zarvento {

inline constexpr HRESULT S_FALSE_ = 1;
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE_ = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG_ = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT SELFREG_E_TYPELIB_ = static_cast<HRESULT>(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS_ = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT CO_E_CLASSSTRING_ = static_cast<HRESULT>(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND_ = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL_ = static_cast<HRESULT>(0x800401F9u);

// Makes the objects of one class.
class ClassFactory {
public:
    virtual ~ClassFactory() = default;
    // A new object in `object`; never raises.
    virtual HRESULT CreateInstance(std::shared_ptr<HostObject>& object) = 0;
};

using DllGetClassObjectFunction = HRESULT (*)(const char* clsid, std::shared_ptr<ClassFactory>* factory);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();

// What a module writes for one creatable class.
struct ClassRegistration {
    std::string clsid;                 // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    std::string progId;                // empty: none
    std::string typeName;              // the class's readable name
    std::filesystem::path modulePath;  // empty: no module serves it in-process
    // The command line of a program that serves the class in a process of
    // its own ("LocalServer32"); empty: none.
    std::string localServer;
    std::string threadingModel = "Apartment";
    bool control = false;  // a control a container can place
    std::uint32_t miscStatus = 0;
    int toolboxBitmap = 0;  // the module's bitmap for a toolbox; 0: none
    std::string typeLib;    // the type library's id; empty: none
    std::string typeLibVersion;
};

struct TypeLibRegistration {
    std::string libid;
    std::string version;  // "1.0"
    std::string name;
    std::filesystem::path path;  // the module that holds it
    std::filesystem::path helpDir;
};

class ComponentRegistry {
public:
    // Registration writes and removes host registry entries, each call as one
    // update; a failed write raises HostError and leaves the registry as it
    // was (see HostRegistry). A module registers all it has in one update by
    // making its calls inside HostRegistry::Update.
    static void RegisterClass(const ClassRegistration& entry);
    // Removes the class's key, and its ProgID's key while that still names it.
    static void UnregisterClass(std::string_view clsid);
    static void RegisterProgId(std::string_view progId, std::string_view clsid, std::string_view typeName);
    static void UnregisterProgId(std::string_view progId);
    static void RegisterTypeLib(const TypeLibRegistration& entry);
    // Removes the version's entry, and the library's key when no version is left.
    static void UnregisterTypeLib(std::string_view libid, std::string_view version);

    static std::optional<std::string> ClsidFromProgId(std::string_view progId);
    static std::optional<std::string> ProgIdFromClsid(std::string_view clsid);
    static std::optional<std::filesystem::path> ModuleOfClass(std::string_view clsid);
    // The command line of the class's server program, when it has one.
    static std::optional<std::string> LocalServerOfClass(std::string_view clsid);
    // Every name under HKCR that names a class (ProgIDs and aliases), in order.
    static std::vector<std::string> ProgIds();
    static bool TypeLibRegistered(std::string_view libid, std::string_view version);

    // A class object of this process, found before any module's: for classes
    // of a program itself. Returns a cookie for RevokeClassObject (never 0).
    static int RegisterClassObject(std::string_view clsid, std::shared_ptr<ClassFactory> factory);
    static bool RevokeClassObject(int cookie);

    // The class factory of a class: REGDB_E_CLASSNOTREG when no module serves
    // it, CO_E_DLLNOTFOUND when its module does not load, CO_E_ERRORINDLL
    // when the module has no DllGetClassObject; else the module's answer.
    static HRESULT GetClassObject(std::string_view clsid, std::shared_ptr<ClassFactory>& factory);
    // A new object of the class named by a ProgID or a class id ("{...}");
    // CO_E_CLASSSTRING for an unknown ProgID. A class no class object or
    // module serves is made by its server program, when it has one (the
    // codes of CreateLocalServerObject); `error` gets the reason of a failure
    // there.
    static HRESULT CreateInstance(std::string_view progIdOrClsid, std::shared_ptr<HostObject>& object,
                                  std::string* error = nullptr);

    // Unloads each loaded module whose DllCanUnloadNow answers S_OK; returns
    // how many.
    static int FreeUnusedLibraries();
    static std::vector<std::filesystem::path> LoadedModules();

    // Runs a module's DllRegisterServer (or DllUnregisterServer), as a
    // registration tool does: loads it, calls it, and lets it go again.
    // CO_E_DLLNOTFOUND / CO_E_ERRORINDLL as above, with the reason in `error`.
    static HRESULT RegisterModule(const std::filesystem::path& module, bool unregister, std::string* error = nullptr);

private:
    static void WriteClass(const ClassRegistration& entry);
};

}  // namespace zarvento
