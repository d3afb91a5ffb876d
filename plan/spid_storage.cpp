// The set-up record of the plan, "Zarvento.SPID", with its ".Stock" contour.
#include <filesystem>

#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

std::string StockRecordName() { return std::string(CSPID::kSPIDRecord) + ".Stock"; }

// The folder of the active document's file with a trailing separator; empty
// when the document was never saved.
std::string ActiveDocumentFolder() {
    const std::string path = ActiveHostDocument()->FilePath();
    if (path.empty()) return {};
    return std::filesystem::path(path).parent_path().string() + "/";
}

}  // namespace

bool CSPID::Save_SPID() {
    StorageRecord record;
    if (!record.OpenWrite(kSPIDRecord)) return false;
    record.AddNamedValue("SposobBuildSource", Variant::I4(SposobBuildSource));
    record.AddNamedValue("isSourceSketch", Variant::Bool(pSourceSketch != nullptr));
    if (pSourceSketch) record.WriteNamedValueNow("pSourceSketch", Variant::Dispatch(pSourceSketch));
    record.AddNamedValue("isContourSourDetail", Variant::Bool(pContourSourDetail != nullptr));
    if (pContourSourDetail) pContourSourDetail->Save(StockRecordName());
    record.AddNamedValue("sFileModelSour", Variant::BStr(sFileModelSour));
    record.AddNamedValue("sRefrModelSour", Variant::BStr(sRefrModelSour));
    record.AddNamedValue("ProkatL", Variant::R8(ProkatL));
    record.AddNamedValue("ProkatD", Variant::R8(ProkatD));
    record.AddNamedValue("Prokatd", Variant::R8(Prokatd));
    record.AddNamedValue("ProkatZ", Variant::R8(ProkatZ));
    record.AddNamedValue("nSposobStock", Variant::Int(nSposobStock));
    record.AddNamedValue("isPripuskZ", Variant::Bool(isPripuskZ));
    record.AddNamedValue("PripuskZ", Variant::R8(PripuskZ));
    record.AddNamedValue("Xplane", Variant::R8(Xplane));
    record.AddNamedValue("Zplane", Variant::R8(Zplane));
    record.AddNamedValue("X0tool", Variant::R8(X0tool));
    record.AddNamedValue("Z0tool", Variant::R8(Z0tool));
    record.AddNamedValue("isReferent", Variant::Bool(isReferent));
    SaveTools();
    SaveGadgets();
    // The set-up values reach the document last, after the stock contour and
    // the lists; written here so a failing write is not lost in a destructor.
    record.Flush();
    return true;
}

bool CSPID::Load_SPID() {
    StorageRecord record;
    if (!record.OpenRead(kSPIDRecord)) return false;
    SposobBuildSource = ReadStoredI4(record, "SposobBuildSource");
    ReadStoredSketch(record, "isSourceSketch", "pSourceSketch", pSourceSketch);
    // The stored choice applies to the part contour recognised before the
    // load; without one the stock contour on the part stays as it is.
    if (ReadStoredBool(record, "isContourSourDetail") && pDetailContour) {
        pContourSourDetail = pDetailContour->Clone();
        pContourSourDetail->Load(StockRecordName());
    }
    sFileModelSour = ReadStoredText(record, "sFileModelSour");
    sRefrModelSour = ReadStoredText(record, "sRefrModelSour");
    if (!sRefrModelSour.empty()) {
        // A stock model kept beside the part follows the part when it moves.
        const std::string folder = ActiveDocumentFolder();
        if (!folder.empty()) sFileModelSour = folder + sRefrModelSour;
    }
    ProkatL = ReadStoredR8(record, "ProkatL");
    ProkatD = ReadStoredR8(record, "ProkatD");
    Prokatd = ReadStoredR8(record, "Prokatd");
    ProkatZ = ReadStoredR8(record, "ProkatZ");
    nSposobStock = ReadStoredI4(record, "nSposobStock");
    isPripuskZ = ReadStoredBool(record, "isPripuskZ");
    PripuskZ = ReadStoredR8(record, "PripuskZ");
    Xplane = ReadStoredR8(record, "Xplane");
    Zplane = ReadStoredR8(record, "Zplane");
    X0tool = ReadStoredR8(record, "X0tool");
    Z0tool = ReadStoredR8(record, "Z0tool");
    isReferent = ReadStoredBool(record, "isReferent");
    LoadTools();
    LoadGadgets();
    RefreshStockBuilder();
    isNewPlan = false;
    return true;
}

}  // namespace zarvento
