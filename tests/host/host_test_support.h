// A fixture for the host binding's suites: clean process state, the host's
// folders in a scratch directory, the program's folder as the host's (where
// the host module lies), the library in the host's list with its entry, and a
// part document made active.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/command_entry.h"
#include "host/library_binding.h"
#include "host/zarvento_module.h"
#include "platform/core/host_folder.h"
#include "platform/core/host_version.h"
#include "platform/documents/host_application.h"
#include "platform/host/redozu_object.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/host_procedures.h"
#include "test_support.h"

namespace zarvento::test {

inline const std::filesystem::path kProgramDir = ZARVENTO_PROGRAM_DIR;

class HostBindingTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        SetHostExecutablePath(kProgramDir / "zarvento");
        HostLibraries::Instance().Add(HostLibraryEntry{LibraryTitle(), "entry text", &LIBRARYENTRY});
    }

    // The host's first call after loading, and an active part.
    void Connect() {
        LibInterfaceNotifyEntry();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }

    TempDir folder;
    HostDocumentPtr part;
};

// A command wrapper that records the triples it is given instead of running them.
class RecordedCommands {
public:
    struct Triple {
        std::int32_t type, action, index;
        friend bool operator==(const Triple&, const Triple&) = default;
    };

    RecordedCommands() : previous_(SetCommandWrapper(&Record)) { Log().clear(); }
    ~RecordedCommands() { SetCommandWrapper(previous_); }
    RecordedCommands(const RecordedCommands&) = delete;
    RecordedCommands& operator=(const RecordedCommands&) = delete;

    // The triples since the last Take.
    std::vector<Triple> Take() { return std::exchange(Log(), {}); }

private:
    static std::vector<Triple>& Log() {
        static std::vector<Triple> log;
        return log;
    }
    static std::int32_t Record(std::int32_t type, std::int32_t action, std::int32_t index) {
        Log().push_back(Triple{type, action, index});
        return 1;
    }

    CommandWrapper previous_;
};

inline void PrintTo(const RecordedCommands::Triple& t, std::ostream* os) {
    *os << "(" << t.type << ", " << t.action << ", " << t.index << ")";
}

}  // namespace zarvento::test
