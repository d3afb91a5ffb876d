// The plan record "Zarvento.PLAN": which operations of which types the plan
// has, how its tree was expanded, the plan flags and the material values.
#include <algorithm>

#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan/stored_value.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

DetailParametersReader detailReader = nullptr;

constexpr std::int32_t kExpanded = 32;

std::int32_t ItemState(const TreeControl& tree, TreeItem item) {
    return tree.Exists(item) && tree.IsExpanded(item) ? kExpanded : 0;
}

// The next positional count; a missing or negative one counts as none.
std::int32_t ReadCount(StorageRecord& record) { return std::max(ReadNextI4(record).value_or(0), 0); }

}  // namespace

DetailParametersReader RegisterDetailParametersReader(DetailParametersReader reader) {
    DetailParametersReader previous = detailReader;
    detailReader = reader;
    return previous;
}

bool CPLAN::ReadDetailParameters(bool interactive) { return detailReader && detailReader(*this, interactive); }

void CPLAN::Save() {
    StorageRecord record;
    if (!record.OpenWrite(kPlanRecord)) return;
    storedDocumentPath = ActiveHostDocument()->FilePath();
    record.AddValue(Variant::BStr(storedDocumentPath));
    const std::int32_t n = GetTurnCount();
    record.AddValue(Variant::I4(n));
    for (const auto& op : turns) record.AddValue(Variant::Int(op->kind));
    record.AddValue(Variant::I4(n + 2));
    if (const TreeControl* tree = Tree()) {
        if (const CSPID* spid = ExistingSPID()) {
            record.AddValue(Variant::I4(ItemState(*tree, spid->hLSCGroup)));
            record.AddValue(Variant::I4(ItemState(*tree, spid->hSPIDGroup)));
        } else {
            record.AddValue(Variant::Int(0));
            record.AddValue(Variant::Int(0));
        }
        for (const auto& op : turns) record.AddValue(Variant::I4(ItemState(*tree, op->hTreeItem)));
    }
    record.AddNamedValue("isElementStat", Variant::Bool(isElementStat));
    record.AddNamedValue("isSTOP", Variant::Bool(isSTOP));
    record.AddNamedValue("DP.sMaterial", Variant::BStr(materialName));
    record.AddNamedValue("HighDateTime", Variant::I4(static_cast<std::int32_t>(linkedFileTimeHigh)));
    record.AddNamedValue("LowDateTime", Variant::I4(static_cast<std::int32_t>(linkedFileTimeLow)));
    record.AddNamedValue("DP.sGroup", Variant::BStr(materialGroup));
    record.AddNamedValue("DP.sMCcode", Variant::BStr(mcCodeText));
    record.AddNamedValue("DP.sLocation", Variant::BStr(materialLocation));
    record.AddNamedValue("DP.HB", Variant::R8(hardnessHB));
    record.AddNamedValue("DP.HRC", Variant::R8(hardnessHRC));
    record.AddNamedValue("DP.KVMet", Variant::R8(kvMet));
    record.AddNamedValue("DP.XMat", Variant::R8(xMat));
    record.AddNamedValue("DP.KShl", Variant::R8(kShl));
    record.AddNamedValue("DP.SigmV", Variant::R8(tensileStrength));
    record.Flush();
}

void CPLAN::Load() {
    typeCodes.clear();
    typeCodes.shrink_to_fit();
    treeStates.clear();
    treeStates.shrink_to_fit();
    StorageRecord record;
    if (!record.OpenRead(kPlanRecord)) return;
    storedDocumentPath = ReadNextText(record);
    // A record written here never has a gap; a foreign or damaged one stops
    // at its first missing value instead of trusting its counts.
    const std::int32_t n = ReadCount(record);
    for (std::int32_t k = 0; k < n; ++k) {
        const std::optional<std::int32_t> code = ReadNextI4(record);
        if (!code) break;
        typeCodes.push_back(*code);
    }
    const std::int32_t m = ReadCount(record);
    for (std::int32_t k = 0; k < m; ++k) {
        const std::optional<bool> state = ReadNextBool(record);
        if (!state) break;
        treeStates.push_back(*state ? 1 : 0);
    }
    isElementStat = ReadStoredBool(record, "isElementStat");
    isSTOP = ReadStoredBool(record, "isSTOP");
    materialName = ReadStoredText(record, "DP.sMaterial");
    linkedFileTimeHigh = static_cast<std::uint32_t>(ReadStoredI4(record, "HighDateTime"));
    linkedFileTimeLow = static_cast<std::uint32_t>(ReadStoredI4(record, "LowDateTime"));
    materialGroup = ReadStoredText(record, "DP.sGroup");
    mcCodeText = ReadStoredText(record, "DP.sMCcode");
    materialLocation = ReadStoredText(record, "DP.sLocation");
    hardnessHB = ReadStoredR8(record, "DP.HB");
    hardnessHRC = ReadStoredR8(record, "DP.HRC");
    kvMet = ReadStoredR8(record, "DP.KVMet");
    xMat = ReadStoredR8(record, "DP.XMat");
    kShl = ReadStoredR8(record, "DP.KShl");
    tensileStrength = ReadStoredR8(record, "DP.SigmV");
}

}  // namespace zarvento
