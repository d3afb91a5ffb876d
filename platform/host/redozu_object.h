// The host's automation object, which a library obtains through the host
// module's exported function CreateRedozuObject and asks for the application.
// One per process: the host module is one shared library that the program and
// every library the host loads link, so the application, its documents, the
// message log and the panels' answers exist once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/documents/host_application.h"

namespace zarvento {

class RedozuObject {
public:
    // The host's application, made when first asked for.
    HostApplication& Application();
};

// The file name of the host module a library loads beside the host
// executable: a Windows library name ("rdzAPI5.dll") as this system names a
// shared library ("librdzAPI5.so").
std::string SharedLibraryFileName(const std::string& windowsName);

// The host executable's file: the running program unless set (a test runs in
// its own program and plays the host's executable from the host's folder).
std::filesystem::path HostExecutablePath();
void SetHostExecutablePath(std::optional<std::filesystem::path> path);

}  // namespace zarvento

// The host module's export: the process's automation object, or null when the
// host cannot give one (HostFaults "CreateRedozuObject").
extern "C" zarvento::RedozuObject* CreateRedozuObject();
