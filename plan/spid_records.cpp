// The plan data's companion records: the NC coordinate system with the
// post-processor name ("Zarvento.LSC"), the turret table ("Zarvento.TOOLS1")
// and the fixtures ("Zarvento.GADGETS1"), and the import of a turret table
// from another part file.
#include <algorithm>
#include <chrono>
#include <thread>

#include "geometry/lsc_transform.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/interface_transfer.h"
#include "platform/core/messages.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "platform/host/object_reference.h"

namespace zarvento {

namespace {

// The host's coordinate-system interface of an automation object.
constexpr std::string_view kLSCInterface = "{0C1E7A84-3B5D-4F60-9A2E-D8C4B7F15E39}";

// Writes a list record: the count under `countKey`, then each entry into its
// own record. The count written is the one the table can hold.
template <class Entry, std::size_t N>
void SaveList(const char* listName, const char* countKey, std::int32_t count, const std::array<Entry, N>& table,
              std::string (*recordName)(int)) {
    StorageRecord record;
    if (!record.OpenWrite(listName)) return;
    const int n = std::clamp(count, 0, static_cast<int>(N));
    record.AddNamedValue(countKey, Variant::I4(n));
    for (int k = 0; k < n; ++k) table[static_cast<std::size_t>(k)].Save(recordName(k));
    // The list record itself reaches the document after its entries.
    record.Flush();
}

// Reads a list record into the table; false when the list record is missing.
// A stored count beyond the table (a foreign or damaged document) is clamped.
template <class Entry, std::size_t N>
bool LoadList(const char* listName, const char* countKey, std::int32_t& count, std::array<Entry, N>& table,
              std::string (*recordName)(int)) {
    StorageRecord record;
    if (!record.OpenRead(listName)) return false;
    count = std::clamp(ReadStoredI4(record, countKey), 0, static_cast<int>(N));
    for (int k = 0; k < count; ++k) {
        Entry& entry = table[static_cast<std::size_t>(k)];
        entry.Load(recordName(k));
        entry.Position = k;
        // The working copy of the model is named by the position, as when the
        // tool was chosen: positions sharing one copy would each take the
        // model the last of them wrote.
        entry.nCopyIndex = k;
    }
    return true;
}

// A document this operation opened, closed again without saving on every exit.
class OpenedDocument {
public:
    OpenedDocument(HostApplication& app, HostDocumentPtr doc) : app_(app), doc_(std::move(doc)) {}
    ~OpenedDocument() {
        try {
            if (doc_) app_.Documents().Close(doc_);
        } catch (const HostError&) {
        }
    }
    OpenedDocument(const OpenedDocument&) = delete;
    OpenedDocument& operator=(const OpenedDocument&) = delete;

private:
    HostApplication& app_;
    HostDocumentPtr doc_;
};

}  // namespace

void CSPID::Save_LSC_CNC() {
    StorageRecord record;
    if (!record.OpenWrite(kLSCRecord)) return;
    record.AddNamedValue("isLSC", Variant::Bool(pLSC != nullptr));
    if (pLSC) record.WriteNamedValueNow("pLSC", Variant::Dispatch(pLSC));
    record.AddNamedValue("sNamePostProcessor", Variant::BStr(sNamePostProcessor));
    record.Flush();
}

bool CSPID::Load_LSC_CNC() {
    StorageRecord record;
    if (!record.OpenRead(kLSCRecord)) return false;
    bool found = false;
    if (ReadStoredBool(record, "isLSC")) {
        record.ReadNamedValue("pLSC");
        const Variant& stored = record.ReadBuffer();
        pLSC.reset();
        if (stored.Type() == VarType::Dispatch)
            pLSC = std::dynamic_pointer_cast<LocalCoordinateSystem>(
                QueryHostInterfaceOrNull(stored.AsDispatch(), kLSCInterface));
        // It must still be one of the part's coordinate systems.
        if (pLSC && FindSameObjectOfType(*ActiveHostDocument(), LocalCoordinateSystem::kObjectType, pLSC) != nullptr) {
            LscTransform::Global().ReadFromHost(pLSC);
            found = true;
        }
    }
    sNamePostProcessor = ReadStoredText(record, "sNamePostProcessor");
    if (!found) {
        pLSC.reset();
        LscTransform::Global().DropHostObject();
        ShowError("Потеряна связь с ЛСК");
    }
    CheckPostProcessor();
    return true;
}

void CSPID::SaveTools() { SaveList(kToolsRecord, "Npositions", Npositions, tools, &ParamTool::ToolRecordName); }

void CSPID::SaveGadgets() { SaveList(kGadgetsRecord, "Ngadgets", Ngadgets, gadgets, &ParamTool::GadgetRecordName); }

bool CSPID::LoadTools() { return LoadList(kToolsRecord, "Npositions", Npositions, tools, &ParamTool::ToolRecordName); }

bool CSPID::LoadGadgets() {
    return LoadList(kGadgetsRecord, "Ngadgets", Ngadgets, gadgets, &ParamTool::GadgetRecordName);
}

void CSPID::UpdateModelFiles() {
    const int toolCount = std::clamp(Npositions, 0, kMaxTools);
    for (int i = 0; i < toolCount; ++i) {
        ParamTool& tool = tools[static_cast<std::size_t>(i)];
        if (tool.FindModelFile(true)) tool.Save(ParamTool::ToolRecordName(i));
    }
    const int gadgetCount = std::clamp(Ngadgets, 0, kMaxGadgets);
    for (int i = 0; i < gadgetCount; ++i) {
        ParamGadget& gadget = gadgets[static_cast<std::size_t>(i)];
        if (gadget.FindModelFile(true)) gadget.Save(ParamTool::GadgetRecordName(i));
    }
}

void CSPID::RemoveLSCRecord() { StorageRecord().Remove(kLSCRecord); }

void CSPID::RemoveSPIDRecord() { StorageRecord().Remove(kSPIDRecord); }

bool CSPID::ImportToolsTable(const std::string& path) {
    if (path.empty()) return true;
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    HostDocumentPtr user = app->ActiveDocumentOrNull();
    // Every exit puts the user's document back and the busy flag as it was.
    ActiveDocumentSwitch restoreUser(*app, user);
    BusyFlagGuard busy(BusyFlag);
    HostDocumentPtr doc;
    std::unique_ptr<OpenedDocument> opened;
    if (user && !user->FilePath().empty() && NormalizeDocumentPath(user->FilePath()) == NormalizeDocumentPath(path)) {
        doc = user;
    } else {
        BusyFlag = true;
        doc = app->Documents().FindByPath(path);
        if (!doc) {
            try {
                // Opened unseen: it is only read and closed again.
                doc = app->Documents().Open(path, false);
            } catch (const HostError&) {
                doc = nullptr;
            }
            if (doc) opened = std::make_unique<OpenedDocument>(*app, doc);
        }
        if (!doc) {
            HostMessageBox("Не удалось открыть файл", kCaption, kExclamation);
            return false;
        }
    }
    if (doc->Type() != DocumentType::Part) {
        HostMessageBox("Файл не является деталью VOVUVE", kCaption, kExclamation);
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto imported = std::make_unique<CSPID>();
    app->SetActiveDocument(doc);
    if (!imported->LoadTools()) {
        ShowMessageBox("Файл не содержит Таблицу инструментов");
        return false;
    }
    Npositions = imported->Npositions;
    for (std::size_t i = 0; i < tools.size(); ++i) tools[i] = imported->tools[i];
    return true;
}

}  // namespace zarvento
