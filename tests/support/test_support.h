// Shared test helpers: a fixture that starts every test from clean
// process-wide state, and short accessors for the message log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/documents/host_document.h"
#include "platform/documents/host_record.h"

#include "platform/core/messages.h"
#include "platform/core/process_state.h"

namespace zarvento::test {

// The sanitizer build runs an order of magnitude slower: property tests take
// fewer or smaller cases there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// Enters the tree-dialog control of the module (Pelmora) in the host's
// component registry, as its installation does, under the name the plan
// tree asks for it by.
void RegisterTreeControl(const std::filesystem::path& module);

class CleanStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        // The suites of the library run on a host where the plan tree's
        // control is installed.
#ifdef ZARVENTO_TREE_CONTROL_MODULE
        RegisterTreeControl(ZARVENTO_TREE_CONTROL_MODULE);
#endif
    }
    void TearDown() override { ResetProcessState(); }

    static std::vector<std::string> Messages() { return MessageLog::Instance().AllTexts(); }
    static const std::vector<MessageEntry>& Entries() { return MessageLog::Instance().Entries(); }
};

// The HostError that f raises; code S_OK_ when it raises none.
HostError CaughtHostError(const std::function<void()>& f);
// Its code alone.
inline HRESULT ErrorCodeOf(const std::function<void()>& f) { return CaughtHostError(f).Code(); }

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The fixture folder of the tests.
std::string FixturePath(const std::string& relative);

// The longest any script of the product may run: a test waiting for a child
// that ends by itself never allows it less.
inline constexpr std::int64_t kProductScriptLimitMs = 15000;

// The interpreter `python3` on PATH stands for, asked once per test program:
// a version manager's shim may take seconds to start each time, and a test
// whose subject is not the lookup on PATH need not pay that every run.
const std::string& ResolvedPython();

// A test of a timeout: runs `attempt(ms)` with a timeout of `firstMs`,
// doubled up to `lastMs` while `started()` says the child was ended before it
// got going, so that what the test checks never hangs on how long a busy
// machine takes to start the child. Returns the last attempt's result.
template <typename Attempt, typename Started>
auto WithATimeoutTheChildOutlives(std::int64_t firstMs, std::int64_t lastMs, Attempt attempt, Started started) {
    for (std::int64_t ms = firstMs;; ms = std::min(ms * 2, lastMs)) {
        auto result = attempt(ms);
        if (started() || ms >= lastMs) return result;
    }
}

// Saves the document to path, closes it and opens the file again: what a
// stored record must survive.
HostDocumentPtr SaveCloseReopen(const HostDocumentPtr& doc, const std::string& path);

// One record of a document's storage 0, or null when it is missing.
std::shared_ptr<HostRecord> StoredRecord(HostDocument& doc, const std::string& name);
// The names of a record's entries in order (none when it is missing).
std::vector<std::string> StoredEntryNames(HostDocument& doc, const std::string& name);
// Writes a record of named values straight into the active document.
void WriteNamedRecord(const std::string& name, const std::vector<std::pair<std::string, Variant>>& values);

}  // namespace zarvento::test
