// The library as a whole: its application object, which starts and ends it
// (the message hook that lets the controls see their keys inside any
// container), counts its living objects, knows the windows of its controls,
// makes its class factories and writes and removes its registration.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/core/automation_error.h"
#include "platform/dialogs/host_message.h"
#include "platform/processes/component_registry.h"

namespace pelmora {

using zarvento::HostMessage;
using zarvento::HRESULT;
using zarvento::WindowHandle;

// A window of the library's own that takes part in message pre-translation.
class PreTranslateTarget {
public:
    virtual ~PreTranslateTarget() = default;
    // True when the window handled the message, which then goes no further.
    virtual bool PreTranslateMessage(HostMessage& message) = 0;
};

class CPelmoraApp {
public:
    static CPelmoraApp& Instance();

    static constexpr const char* kApplicationName = "Pelmora";
    static constexpr const char* kModuleVersion = "1.0.0.1";

    // The library's start: installs the message hook on this thread. A
    // second start without an end in between changes nothing.
    bool InitInstance();
    // The library's end: removes the hook.
    void ExitInstance();
    bool HookInstalled() const { return hookId_ != 0; }

    // Objects of the library that live; the library may go when none does.
    void ObjectCreated() { ++liveObjects_; }
    void ObjectDestroyed() { --liveObjects_; }
    long LiveObjects() const { return liveObjects_; }

    void AddWindow(WindowHandle window, PreTranslateTarget* target) { windows_[window] = target; }
    void RemoveWindow(WindowHandle window) { windows_.erase(window); }
    // The library's pre-translation of a message: from its window up through
    // the parents, each window of the library may handle it. True when one did.
    bool PreTranslate(HostMessage& message);

    // Who answers for a method of an interface of the library.
    static zarvento::AutomationSource Source(const char* interfaceId) {
        return {interfaceId, kApplicationName, "Pelmora.hlp"};
    }

    // True when two class or interface ids are the same (their hex digits in
    // either case).
    static bool SameId(std::string_view a, std::string_view b);

    // The class factory of one of the four classes; CLASS_E_CLASSNOTAVAILABLE
    // for any other class id.
    static HRESULT GetClassObject(const char* clsid, std::shared_ptr<zarvento::ClassFactory>* factory);
    // Writes the type library and the classes (with the alias of the
    // tree-dialog control) into the host's component registry, naming
    // `modulePath` as their module: SELFREG_E_TYPELIB or SELFREG_E_CLASS on
    // failure, else S_OK.
    static HRESULT RegisterServer(const std::filesystem::path& modulePath);
    static HRESULT UnregisterServer();

private:
    int hookId_ = 0;
    long liveObjects_ = 0;
    std::unordered_map<WindowHandle, PreTranslateTarget*> windows_;
};

// Starts the library for the life of the object (a program or a test that
// links the library instead of loading it).
class PelmoraModuleScope {
public:
    PelmoraModuleScope() { CPelmoraApp::Instance().InitInstance(); }
    ~PelmoraModuleScope() { CPelmoraApp::Instance().ExitInstance(); }
    PelmoraModuleScope(const PelmoraModuleScope&) = delete;
    PelmoraModuleScope& operator=(const PelmoraModuleScope&) = delete;
};

}  // namespace pelmora
