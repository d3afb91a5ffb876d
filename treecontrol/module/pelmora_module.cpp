// The exports of the Pelmora module, with C linkage: its start and end, its
// class objects, whether it may go, and its self-registration.
#include <dlfcn.h>

#include <filesystem>
#include <memory>

#include "platform/processes/component_registry.h"
#include "platform/processes/loaded_module.h"
#include "treecontrol/pelmora_app.h"

namespace {

// The module's own file, as the host loaded it.
std::filesystem::path ThisModule() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ThisModule), &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(info.dli_fname, ec);
    return ec ? std::filesystem::path(info.dli_fname) : path;
}

}  // namespace

extern "C" {

int DllMain(int reason) {
    if (reason == zarvento::kDllProcessAttach) return pelmora::CPelmoraApp::Instance().InitInstance() ? 1 : 0;
    if (reason == zarvento::kDllProcessDetach) pelmora::CPelmoraApp::Instance().ExitInstance();
    return 1;
}

zarvento::HRESULT DllGetClassObject(const char* clsid, std::shared_ptr<zarvento::ClassFactory>* factory) {
    return pelmora::CPelmoraApp::GetClassObject(clsid, factory);
}

zarvento::HRESULT DllCanUnloadNow() {
    return pelmora::CPelmoraApp::Instance().LiveObjects() == 0 ? zarvento::S_OK_ : zarvento::S_FALSE_;
}

zarvento::HRESULT DllRegisterServer() { return pelmora::CPelmoraApp::RegisterServer(ThisModule()); }

zarvento::HRESULT DllUnregisterServer() { return pelmora::CPelmoraApp::UnregisterServer(); }

}  // extern "C"
