// Shared test helpers.
#include "test_support.h"

#include <stdlib.h>

#include <stdexcept>

#include "platform/documents/host_application.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/host_storages.h"
#include "platform/documents/storage_record.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/process_runner.h"
#include "treecontrol/pelmora_lib.h"

namespace zarvento::test {

HostError CaughtHostError(const std::function<void()>& f) {
    try {
        f();
    } catch (const HostError& e) {
        return e;
    }
    return HostError(S_OK_, "no error");
}

void RegisterTreeControl(const std::filesystem::path& module) {
    ClassRegistration entry;
    entry.clsid = pelmora::kPmTreeDlgClsid;
    entry.progId = pelmora::kPmTreeDlgProgId;
    entry.typeName = "pmTreeDlg Control";
    entry.modulePath = module;
    entry.control = true;
    ComponentRegistry::RegisterClass(entry);
    ComponentRegistry::RegisterProgId(pelmora::kPmTreeDlgAliasProgId, pelmora::kPmTreeDlgClsid, entry.typeName);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string FixturePath(const std::string& relative) { return std::string(ZARVENTO_FIXTURES) + "/" + relative; }

const std::string& ResolvedPython() {
    static const std::string python = [] {
        ProcessRequest request;
        request.program = "python3";
        request.arguments = {"-c", "import sys; sys.stdout.write(sys.executable)"};
        request.timeoutMs = kProductScriptLimitMs;
        const ProcessResult result = RunProcess(request);
        // Without an answer the tests run python3 from PATH and say why they fail there.
        return result.Succeeded() && !result.output.empty() ? result.output : std::string("python3");
    }();
    return python;
}

HostDocumentPtr SaveCloseReopen(const HostDocumentPtr& doc, const std::string& path) {
    doc->SaveAs(path);
    HostApplication& app = ConnectHostApplication();
    app.Documents().Close(doc);
    return app.Documents().Open(path);
}

std::shared_ptr<HostRecord> StoredRecord(HostDocument& doc, const std::string& name) {
    auto storage = doc.Storages().Item(Variant::I4(0));
    return storage ? storage->Record(Variant::BStr(name)) : nullptr;
}

std::vector<std::string> StoredEntryNames(HostDocument& doc, const std::string& name) {
    std::vector<std::string> names;
    if (auto r = StoredRecord(doc, name))
        for (const auto& e : r->Entries()) names.push_back(e.name);
    return names;
}

void WriteNamedRecord(const std::string& name, const std::vector<std::pair<std::string, Variant>>& values) {
    StorageRecord record;
    ASSERT_TRUE(record.OpenWrite(name));
    for (const auto& [key, value] : values) record.AddNamedValue(key, value);
    record.Flush();
}

}  // namespace zarvento::test
