// The library's start and end, its message hook, class factories and
// registration.
#include "treecontrol/pelmora_app.h"

#include <new>
#include <string_view>

#include "platform/dialogs/host_window.h"
#include "platform/dialogs/message_loop.h"
#include "platform/processes/host_registry.h"
#include "treecontrol/pelmora.h"
#include "treecontrol/pelmora_lib.h"
#include "treecontrol/pelmora_prop_page.h"
#include "treecontrol/pm_tree_dlg.h"

namespace pelmora {

namespace {

using zarvento::ClassFactory;
using zarvento::ComponentRegistry;
using zarvento::HostObject;

template <typename T>
class Factory : public ClassFactory {
public:
    HRESULT CreateInstance(std::shared_ptr<HostObject>& object) override {
        try {
            object = std::make_shared<T>();
            return zarvento::S_OK_;
        } catch (const std::bad_alloc&) {
            return zarvento::E_OUTOFMEMORY_;
        } catch (...) {
            return zarvento::E_UNEXPECTED_;
        }
    }
};

// Misc status of both controls: activate when visible, set the client site
// first, inside-out, cannot link inside, recompose on resize.
constexpr std::uint32_t kControlMiscStatus = 0x20191;

struct ClassEntry {
    const char* clsid;
    const char* progId;
    const char* typeName;  // the string table's text
    bool control;
    int toolboxBitmap;
};

// The four creatable classes, in the order they are registered.
constexpr ClassEntry kClasses[] = {
    {kPmTreeDlgClsid, kPmTreeDlgProgId, "pmTreeDlg Control", true, 1},
    {kPelmoraClsid, kPelmoraProgId, "Pelmora Control", true, 2},
    {kPmTreeDlgPropPageClsid, kPmTreeDlgPropPageProgId, "pmTreeDlg Property Page", false, 0},
    {kPelmoraPropPageClsid, kPelmoraPropPageProgId, "Pelmora Property Page", false, 0},
};

}  // namespace

bool CPelmoraApp::SameId(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

CPelmoraApp& CPelmoraApp::Instance() {
    static CPelmoraApp app;
    return app;
}

bool CPelmoraApp::InitInstance() {
    if (hookId_ != 0) return true;
    // Every message the thread takes from its queue passes the library's own
    // pre-translation first; one it handles goes no further, so a key reaches
    // the tree although the container never forwards it.
    hookId_ = zarvento::InstallMessageHook([](HostMessage& message) {
        if (message.kind != zarvento::MessageKind::Null && CPelmoraApp::Instance().PreTranslate(message))
            message = HostMessage{};
    });
    return true;
}

void CPelmoraApp::ExitInstance() {
    if (hookId_ != 0) zarvento::RemoveMessageHook(hookId_);
    hookId_ = 0;
}

bool CPelmoraApp::PreTranslate(HostMessage& message) {
    // The parent chain ends at a top-level window; each link was made before
    // the window below it, so the walk ends.
    for (zarvento::HostWindow* w = zarvento::HostWindow::FromHandle(message.window); w; w = w->Parent()) {
        auto it = windows_.find(w->Handle());
        if (it != windows_.end() && it->second->PreTranslateMessage(message)) return true;
    }
    return false;
}

HRESULT CPelmoraApp::GetClassObject(const char* clsid, std::shared_ptr<ClassFactory>* factory) {
    if (!factory || !clsid) return zarvento::E_INVALIDARG_;
    factory->reset();
    try {
        if (SameId(clsid, kPmTreeDlgClsid)) {
            *factory = std::make_shared<Factory<CpmTreeDlg>>();
        } else if (SameId(clsid, kPelmoraClsid)) {
            *factory = std::make_shared<Factory<CPelmora>>();
        } else if (SameId(clsid, kPmTreeDlgPropPageClsid)) {
            *factory = std::make_shared<Factory<CpmTreeDlgPropPage>>();
        } else if (SameId(clsid, kPelmoraPropPageClsid)) {
            *factory = std::make_shared<Factory<CPelmoraPropPage>>();
        } else {
            return zarvento::CLASS_E_CLASSNOTAVAILABLE_;
        }
    } catch (const std::bad_alloc&) {
        return zarvento::E_OUTOFMEMORY_;
    }
    return zarvento::S_OK_;
}

HRESULT CPelmoraApp::RegisterServer(const std::filesystem::path& modulePath) {
    try {
        zarvento::TypeLibRegistration lib;
        lib.libid = kLibId;
        lib.version = kLibVersion;
        lib.name = kLibName;
        lib.path = modulePath;
        lib.helpDir = modulePath.parent_path();
        ComponentRegistry::RegisterTypeLib(lib);
    } catch (...) {
        return zarvento::SELFREG_E_TYPELIB_;
    }
    try {
        // The classes go in as one update: all of them or none.
        zarvento::HostRegistry::Instance().Update([&] {
            for (const ClassEntry& c : kClasses) {
                zarvento::ClassRegistration entry;
                entry.clsid = c.clsid;
                entry.progId = c.progId;
                entry.typeName = c.typeName;
                entry.modulePath = modulePath;
                entry.control = c.control;
                if (c.control) {
                    entry.miscStatus = kControlMiscStatus;
                    entry.toolboxBitmap = c.toolboxBitmap;
                    entry.typeLib = kLibId;
                    entry.typeLibVersion = kLibVersion;
                }
                ComponentRegistry::RegisterClass(entry);
            }
            // Zarvento's plan tree asks for the tree-dialog control under a name
            // of its own; it is registered beside the control's.
            ComponentRegistry::RegisterProgId(kPmTreeDlgAliasProgId, kPmTreeDlgClsid, "pmTreeDlg Control");
        });
    } catch (...) {
        return zarvento::SELFREG_E_CLASS_;
    }
    return zarvento::S_OK_;
}

HRESULT CPelmoraApp::UnregisterServer() {
    try {
        ComponentRegistry::UnregisterTypeLib(kLibId, kLibVersion);
    } catch (...) {
        return zarvento::SELFREG_E_TYPELIB_;
    }
    try {
        zarvento::HostRegistry::Instance().Update([] {
            std::optional<std::string> alias = ComponentRegistry::ClsidFromProgId(kPmTreeDlgAliasProgId);
            if (alias && SameId(*alias, kPmTreeDlgClsid)) ComponentRegistry::UnregisterProgId(kPmTreeDlgAliasProgId);
            for (const ClassEntry& c : kClasses) ComponentRegistry::UnregisterClass(c.clsid);
        });
    } catch (...) {
        return zarvento::SELFREG_E_CLASS_;
    }
    return zarvento::S_OK_;
}

}  // namespace pelmora
