// The operation base: record, frames, and the factory of the seven kinds.
#include "operations/turn.h"

#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_kontur.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_otrezka.h"
#include "operations/turn_plashka.h"
#include "operations/turn_threading.h"
#include "plan/plan.h"
#include "platform/storage_record.h"
#include "platform/variant.h"

namespace zarvento {

namespace {

class TurnFactory final : public PlanTurnFactory {
public:
    // Each kind is built as the most derived object, so it constructs its
    // CTurn virtual base itself.
    std::unique_ptr<PlanTurn> CreateTurn(std::int32_t type) override {
        switch (type) {
            case kTurnMnogoProhod: return std::make_unique<CTurnMnogoProhod>();
            case kTurnKONTUR: return std::make_unique<CTurnKONTUR>();
            case kTurnKANAVKA: return std::make_unique<CTurnKANAVKA>();
            case kTurnDRILL: return std::make_unique<CTurnDRILL>();
            case kTurnTHREADING: return std::make_unique<CTurnTHREADING>();
            case kTurnPLASHKA: return std::make_unique<CTurnPLASHKA>();
            case kTurnOTREZKA: return std::make_unique<CTurnOTREZKA>();
            default: return nullptr;
        }
    }
};

[[maybe_unused]] const bool factoryRegistered = (RegisterTurnFactory(), true);

}  // namespace

void RegisterTurnFactory() {
    static TurnFactory factory;
    RegisterPlanTurnFactory(&factory);
}

CTurn::CTurn() : parameters(std::make_unique<OPERATION_PARAMETERS>(&GetPLAN()->PlanParameters())) {}

CTurn::~CTurn() = default;

void CTurn::DiagnosticRaschetPath(int position) { index = position; }

void CTurn::CollectFrames(std::vector<CCadreISO*>& out) const {
    for (const auto& frame : frames) frame->AddToList(out);
}

void CTurn::AddFrame(std::unique_ptr<CCadreISO> frame) {
    if (!frame) return;
    frame->operation = this;
    if (frame->codeParameters) frame->codeParameters->parent = parameters.get();
    frames.push_back(std::move(frame));
}

std::string CTurn::RecordName(int position) { return "Zarvento.Turn." + std::to_string(position); }

void CTurn::Save(int position) {
    StorageRecord record;
    if (!record.OpenWrite(RecordName(position))) return;
    record.AddNamedValue("nTypeTurn", Variant::I4(kind));
    record.AddNamedValue("sNameTurn", Variant::BStr(sNameTurn));
    record.AddNamedValue("isExclude", Variant::Bool(isExclude));
    record.AddNamedValue("isShowPath", Variant::Bool(isShowPath));
}

void CTurn::Load(int position) {
    StorageRecord record;
    if (!record.OpenRead(RecordName(position))) return;
    record.ReadNamedValue("sNameTurn");
    sNameTurn = record.ReadBuffer().ToBStr();
    record.ReadNamedValue("isExclude");
    isExclude = record.ReadBuffer().ToBool();
    record.ReadNamedValue("isShowPath");
    isShowPath = record.ReadBuffer().ToBool();
}

void CTurn::RemoveStorage(int position) {
    StorageRecord record;
    record.Remove(RecordName(position));
}

}  // namespace zarvento
