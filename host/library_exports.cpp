// The library's exports: the narrow door where the host meets the library.
// Nothing thrown inside crosses it: a host error or any other failure is
// reported through the host's message call, as the command wrapper reports it.
#include "host/zarvento_module.h"

#include <dlfcn.h>

#include <exception>
#include <string>

#include "geometry/exception.h"
#include "host/command_entry.h"
#include "host/library_binding.h"
#include "plan/command_door.h"
#include "plan/plan_panels.h"
#include "plan/plan_tree.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/loaded_module.h"

namespace zarvento {

namespace {

template <typename F>
void Guarded(F&& f) {
    try {
        f();
    } catch (const HostError& e) {
        ShowHostMessage(HostErrorText(e));
        SetLastCommandFailed(true);
    } catch (const Exception& e) {
        ShowHostMessage(e.Message());
        SetLastCommandFailed(true);
    } catch (const std::exception& e) {
        ShowHostMessage(std::string("Ошибка выполнения команды: ") + e.what());
        SetLastCommandFailed(true);
    }
}

// The library's file, found from an address inside it.
std::filesystem::path ThisModuleFile() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisModuleFile), &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code ec;
    std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path(info.dli_fname) : file;
}

}  // namespace

}  // namespace zarvento

using namespace zarvento;

extern "C" {

// The module's start and end: the host calls it when it loads the library
// and before it unloads it, as the platform's entry point is called for a
// library of the CAD host.
int DllMain(int reason) {
    if (reason == kDllProcessAttach) {
        try {
            AttachLibrary(ThisModuleFile());
        } catch (const std::exception& e) {
            // The library loads all the same; its commands report what fails.
            ShowMessageBox(std::string("Ошибка загрузки библиотеки: ") + e.what());
        }
    } else if (reason == kDllProcessDetach) {
        DetachLibrary();
        UnwireLibrary();
    }
    return 1;
}

unsigned int LIBRARYID() { return 100; }

const char* LIBRARYNAMEW() {
    // One buffer for the string resources, valid until the next call.
    static std::string buffer;
    buffer.clear();
    Guarded([] { buffer = LibraryTitle(); });
    return buffer.c_str();
}

const char* LIBRARYHELPFILEW() { return nullptr; }

std::int32_t LibToolBarId(std::int32_t type, std::int32_t index) {
    constexpr std::int32_t kToolBar = 6001;
    return type != 0 && index == 0 ? kToolBar : -1;
}

std::int32_t LibraryBmpBeginID(std::int32_t kind) { return kind >= 0 && kind <= 3 ? 1000 * (kind + 1) : 0; }

std::int32_t LibIsOnApplication7() { return 1; }

std::int32_t LibInterfaceNotifyEntry() {
    Guarded([] { NotifyLibraryLoaded(); });
    return 0;
}

void LIBRARYENTRY(unsigned int command) {
    Guarded([command] { LibraryEntry(command); });
}

std::int32_t CreatePlanSketch(const char* name) {
    Guarded([name] { GetPlanPanels().CreatePlanDocument(name ? name : ""); });
    return 1;
}

TreeControl* SYNCHRON() {
    TreeControl* control = nullptr;
    Guarded([&control] {
        SynchronizeWithModel();
        control = GetPlanTree().Control();
    });
    return control;
}

std::uint32_t DllRegisterServer() {
    std::uint32_t result = 0x8000FFFFu;
    Guarded([&result] { result = RegisterLibrary(); });
    return result;
}

std::uint32_t DllUnregisterServer() {
    std::uint32_t result = 0x8000FFFFu;
    Guarded([&result] { result = UnregisterLibrary(); });
    return result;
}

}  // extern "C"
