// The library's life in the host: its attach and detach steps, the host's
// first notification, its own host objects (automation object, application,
// active document, first frame; the library entry text the panels keep), the host version
// gate, the help file, registration under the host's add-in key and the
// synchronisation with the model. Everything here runs on the host's one
// thread; the exports (library_exports.cpp) are the narrow door to it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/core/host_object.h"
#include "platform/documents/host_document.h"

namespace zarvento {

class HostApplication;
class RedozuObject;

// The library's host objects, held from load to unload.
struct LibraryGlobals {
    RedozuObject* automation = nullptr;      // never released
    HostApplication* application = nullptr;  // released at unload
    HostDocumentPtr activeDocument;
    HostObjectPtr firstFrame;
    int hostMajorVersion = 0;  // 0 until the first version query
};
LibraryGlobals& Globals();

// The module's own file, remembered at attach (registration and help use it).
const std::filesystem::path& LibraryModuleFile();

// The attach step: the module's file, the version gate with its message, the
// host's main window, and the wiring of every layer. `moduleFile` is the
// library's file.
void AttachLibrary(const std::filesystem::path& moduleFile);
// The detach step, in the order the host expects: templates, plan tree, plan
// data, plan executor, host objects, hidden work document, main window.
// Nothing it meets stops it.
void DetachLibrary();
// The wiring of the attach step taken back, the layers above first: the
// panels on the host, the simulation run, the display layer's drawables. The
// module's end calls it after DetachLibrary.
void UnwireLibrary();

// LibInterfaceNotifyEntry: connects the host, loads the settings, subscribes
// the application sink and, from host 17 on, keeps the library entry text.
void NotifyLibraryLoaded();

// Obtains the host's automation object and application once per load, from
// the host module beside the host's executable. A host module that is missing
// or gives no object leaves nothing connected.
void ConnectHost();
// The application, or E_POINTER when the host is not connected.
HostApplication& ConnectedApplication();
// Closes the hidden work document without saving, if there is one.
void CloseHiddenDocument();
// Removes every sink and releases the first frame, the active document and
// the application, in that order.
void ReleaseHostObjects();

// The host version gate: major 16 and later pass, 15 only when the third
// number is 2. An older host gets the message when asked for it.
bool CheckHostVersion(bool showMessage);
inline constexpr const char* kHostTooOldMessage = "Приложение должно работать в версии VOVUVE-3D не ниже V16.1";

// The library's folder; "" after "Error:\nPath for Orbisel not found" when
// it cannot be read.
std::string GetModuleFolder();

// Runs actions 21 and 20 under the busy flag, when the version gate passes.
void SynchronizeWithModel();

// The add-in key the host reads.
inline constexpr const char* kAddInKey = "HKLM\\Software\\DEDEV\\REDOZU-3D\\AddIns\\Orbisel";
inline constexpr std::uint32_t kRegistrationFailed = 0x8000FFFFu;
// Writes the library's whole path as "Path" and 1 as "AutoConnect" under the
// add-in key, or deletes the key: 0, or kRegistrationFailed when the host's
// registry cannot be written (or has no such key to delete).
std::uint32_t RegisterLibrary();
std::uint32_t UnregisterLibrary();

// The settings file "Kestrane.cfg" in the host's settings folder (kind 3).
std::filesystem::path SettingsFilePath();
// The record's defaults for the host's version, then the file over them.
void LoadSettings();

}  // namespace zarvento
