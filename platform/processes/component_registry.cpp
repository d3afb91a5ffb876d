// The component registry: entries in the host registry, modules loaded on
// demand, class objects of the process.
#include "platform/processes/component_registry.h"

#include <map>
#include <utility>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/processes/host_registry.h"
#include "platform/processes/loaded_module.h"
#include "platform/processes/local_server.h"

namespace zarvento {

namespace {

const std::string kClasses = "HKCR";

std::string ClassKey(std::string_view clsid) { return kClasses + "\\CLSID\\" + std::string(clsid); }
std::string ProgIdKey(std::string_view progId) { return kClasses + "\\" + std::string(progId); }
std::string TypeLibKey(std::string_view libid) { return kClasses + "\\TypeLib\\" + std::string(libid); }

struct RegistryState {
    std::vector<std::pair<int, std::pair<std::string, std::shared_ptr<ClassFactory>>>> classObjects;
    int nextCookie = 1;
    // Loaded modules by file; never unloaded behind the back of a living object.
    std::map<std::string, std::unique_ptr<LoadedModule>> modules;
};

RegistryState& State() {
    // Made once and never destroyed: modules are not unloaded at exit, when
    // objects of theirs may still live in other statics.
    static RegistryState* state = new RegistryState;
    return *state;
}

bool SameId(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

LoadedModule* ModuleOf(const std::filesystem::path& file, std::string* error) {
    RegistryState& state = State();
    auto it = state.modules.find(file.string());
    if (it != state.modules.end()) return it->second.get();
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(file, error);
    if (!module) return nullptr;
    return state.modules.emplace(file.string(), std::move(module)).first->second.get();
}

bool Unused(const LoadedModule& module) {
    auto canUnload = reinterpret_cast<DllCanUnloadNowFunction>(module.Symbol("DllCanUnloadNow"));
    return canUnload && canUnload() == S_OK_;
}

}  // namespace

ZARVENTO_STATE_RESET {
    State().classObjects.clear();
    ComponentRegistry::FreeUnusedLibraries();
}

void ComponentRegistry::RegisterClass(const ClassRegistration& entry) {
    HostRegistry& registry = HostRegistry::Instance();
    registry.Update([&] { WriteClass(entry); });
}

void ComponentRegistry::WriteClass(const ClassRegistration& entry) {
    HostRegistry& registry = HostRegistry::Instance();
    const std::string key = ClassKey(entry.clsid);
    registry.SetText(key, "", entry.typeName);
    if (!entry.modulePath.empty()) {
        registry.SetText(key + "\\InprocServer32", "", entry.modulePath.string());
        registry.SetText(key + "\\InprocServer32", "ThreadingModel", entry.threadingModel);
    }
    if (!entry.localServer.empty()) registry.SetText(key + "\\LocalServer32", "", entry.localServer);
    if (entry.control) {
        registry.SetText(key + "\\Control", "", "");
        registry.SetNumber(key + "\\MiscStatus", "", entry.miscStatus);
    }
    if (entry.toolboxBitmap != 0)
        registry.SetText(key + "\\ToolboxBitmap32", "",
                         entry.modulePath.string() + ", " + std::to_string(entry.toolboxBitmap));
    if (!entry.typeLib.empty()) {
        registry.SetText(key + "\\TypeLib", "", entry.typeLib);
        registry.SetText(key + "\\Version", "", entry.typeLibVersion);
    }
    if (!entry.progId.empty()) {
        registry.SetText(key + "\\ProgID", "", entry.progId);
        RegisterProgId(entry.progId, entry.clsid, entry.typeName);
    }
}

void ComponentRegistry::UnregisterClass(std::string_view clsid) {
    HostRegistry& registry = HostRegistry::Instance();
    registry.Update([&] {
        if (std::optional<std::string> progId = ProgIdFromClsid(clsid)) {
            std::optional<std::string> named = ClsidFromProgId(*progId);
            if (named && SameId(*named, clsid)) UnregisterProgId(*progId);
        }
        registry.DeleteKey(ClassKey(clsid));
    });
}

void ComponentRegistry::RegisterProgId(std::string_view progId, std::string_view clsid, std::string_view typeName) {
    HostRegistry& registry = HostRegistry::Instance();
    registry.Update([&] {
        registry.SetText(ProgIdKey(progId), "", typeName);
        registry.SetText(ProgIdKey(progId) + "\\CLSID", "", clsid);
    });
}

void ComponentRegistry::UnregisterProgId(std::string_view progId) {
    HostRegistry::Instance().DeleteKey(ProgIdKey(progId));
}

void ComponentRegistry::RegisterTypeLib(const TypeLibRegistration& entry) {
    HostRegistry& registry = HostRegistry::Instance();
    const std::string key = TypeLibKey(entry.libid) + "\\" + entry.version;
    registry.Update([&] {
        registry.SetText(key, "", entry.name);
        registry.SetText(key + "\\0\\linux", "", entry.path.string());
        registry.SetText(key + "\\FLAGS", "", "0");
        registry.SetText(key + "\\HELPDIR", "", entry.helpDir.string());
    });
}

void ComponentRegistry::UnregisterTypeLib(std::string_view libid, std::string_view version) {
    HostRegistry& registry = HostRegistry::Instance();
    registry.Update([&] {
        registry.DeleteKey(TypeLibKey(libid) + "\\" + std::string(version));
        if (registry.KeyExists(TypeLibKey(libid)) && registry.SubKeys(TypeLibKey(libid)).empty())
            registry.DeleteKey(TypeLibKey(libid));
    });
}

std::optional<std::string> ComponentRegistry::ClsidFromProgId(std::string_view progId) {
    if (progId.empty() || progId.find('\\') != std::string_view::npos) return std::nullopt;
    return HostRegistry::Instance().Text(ProgIdKey(progId) + "\\CLSID");
}

std::optional<std::string> ComponentRegistry::ProgIdFromClsid(std::string_view clsid) {
    return HostRegistry::Instance().Text(ClassKey(clsid) + "\\ProgID");
}

std::optional<std::filesystem::path> ComponentRegistry::ModuleOfClass(std::string_view clsid) {
    std::optional<std::string> path = HostRegistry::Instance().Text(ClassKey(clsid) + "\\InprocServer32");
    if (!path || path->empty()) return std::nullopt;
    return std::filesystem::path(*path);
}

std::optional<std::string> ComponentRegistry::LocalServerOfClass(std::string_view clsid) {
    std::optional<std::string> command = HostRegistry::Instance().Text(ClassKey(clsid) + "\\LocalServer32");
    if (!command || command->empty()) return std::nullopt;
    return command;
}

std::vector<std::string> ComponentRegistry::ProgIds() {
    const HostRegistry& registry = HostRegistry::Instance();
    std::vector<std::string> names;
    for (const std::string& name : registry.SubKeys(kClasses))
        if (registry.Text(ProgIdKey(name) + "\\CLSID")) names.push_back(name);
    return names;
}

bool ComponentRegistry::TypeLibRegistered(std::string_view libid, std::string_view version) {
    return HostRegistry::Instance().KeyExists(TypeLibKey(libid) + "\\" + std::string(version));
}

int ComponentRegistry::RegisterClassObject(std::string_view clsid, std::shared_ptr<ClassFactory> factory) {
    RegistryState& state = State();
    const int cookie = state.nextCookie++;
    state.classObjects.push_back({cookie, {std::string(clsid), std::move(factory)}});
    return cookie;
}

bool ComponentRegistry::RevokeClassObject(int cookie) {
    auto& objects = State().classObjects;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        if (it->first == cookie) {
            objects.erase(it);
            return true;
        }
    }
    return false;
}

HRESULT ComponentRegistry::GetClassObject(std::string_view clsid, std::shared_ptr<ClassFactory>& factory) {
    factory.reset();
    for (const auto& [cookie, entry] : State().classObjects) {
        if (SameId(entry.first, clsid) && entry.second) {
            factory = entry.second;
            return S_OK_;
        }
    }
    const std::optional<std::filesystem::path> file = ModuleOfClass(clsid);
    if (!file) return REGDB_E_CLASSNOTREG_;
    LoadedModule* module = ModuleOf(*file, nullptr);
    if (!module) return CO_E_DLLNOTFOUND_;
    auto get = reinterpret_cast<DllGetClassObjectFunction>(module->Symbol("DllGetClassObject"));
    if (!get) return CO_E_ERRORINDLL_;
    const std::string id(clsid);
    const HRESULT hr = get(id.c_str(), &factory);
    if (hr >= 0 && !factory) return CLASS_E_CLASSNOTAVAILABLE_;
    return hr;
}

HRESULT ComponentRegistry::CreateInstance(std::string_view progIdOrClsid, std::shared_ptr<HostObject>& object,
                                          std::string* error) {
    object.reset();
    std::string clsid(progIdOrClsid);
    if (progIdOrClsid.empty() || progIdOrClsid.front() != '{') {
        std::optional<std::string> named = ClsidFromProgId(progIdOrClsid);
        if (!named) return CO_E_CLASSSTRING_;
        clsid = *named;
    }
    try {
        HostFaults::Check("ComponentRegistry.CreateInstance");
    } catch (const HostError& e) {
        if (error) *error = e.Message();
        return e.Code();
    }
    std::shared_ptr<ClassFactory> factory;
    const HRESULT hr = GetClassObject(clsid, factory);
    if (hr == REGDB_E_CLASSNOTREG_) {
        if (std::optional<std::string> command = LocalServerOfClass(clsid)) {
            AutomationObjectPtr made;
            const HRESULT started = CreateLocalServerObject(*command, clsid, made, error);
            object = made;
            return started;
        }
    }
    if (hr < 0) return hr;
    const HRESULT made = factory->CreateInstance(object);
    if (made >= 0 && !object) return E_FAIL_;
    return made;
}

int ComponentRegistry::FreeUnusedLibraries() {
    auto& modules = State().modules;
    int freed = 0;
    for (auto it = modules.begin(); it != modules.end();) {
        if (Unused(*it->second)) {
            it = modules.erase(it);
            ++freed;
        } else {
            ++it;
        }
    }
    return freed;
}

std::vector<std::filesystem::path> ComponentRegistry::LoadedModules() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : State().modules) files.push_back(entry.second->File());
    return files;
}

HRESULT ComponentRegistry::RegisterModule(const std::filesystem::path& file, bool unregister, std::string* error) {
    LoadedModule* module = ModuleOf(file, error);
    if (!module) return CO_E_DLLNOTFOUND_;
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<DllRegisterServerFunction>(module->Symbol(entry));
    if (!call) {
        if (error) *error = file.string() + " has no " + entry;
        return CO_E_ERRORINDLL_;
    }
    const HRESULT hr = call();
    FreeUnusedLibraries();
    return hr;
}

}  // namespace zarvento
