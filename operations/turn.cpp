// The operation base: construction with its defaults, the copy rules,
// the tool link and the factory of the seven kinds.
#include "operations/turn.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "catalogs/param_tool.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_kontur.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_otrezka.h"
#include "operations/turn_plashka.h"
#include "operations/turn_settings.h"
#include "operations/turn_threading.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"

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

// Registration is wiring, not process state: a state reset keeps it.
std::array<TurnEditor, kLastTurnType + 1> turnEditors{};

std::unique_ptr<Contour> CopyOrNull(const Contour* source) { return source ? source->Clone() : nullptr; }

}  // namespace

void RegisterTurnFactory() {
    static TurnFactory factory;
    RegisterPlanTurnFactory(&factory);
}

TurnEditor SetTurnEditor(std::int32_t kind, TurnEditor editor) {
    if (kind < 0 || kind > kLastTurnType) return nullptr;
    const TurnEditor previous = turnEditors[static_cast<std::size_t>(kind)];
    turnEditors[static_cast<std::size_t>(kind)] = editor;
    return previous;
}

TurnEditor GetTurnEditor(std::int32_t kind) {
    return kind < 0 || kind > kLastTurnType ? nullptr : turnEditors[static_cast<std::size_t>(kind)];
}

CTurn::CTurn() {
    CSPID* spid = GetSPID();
    pDetailContour = spid->GetDetailContour();
    if (pDetailContour) {
        workChoice = std::make_unique<Contour>(*pDetailContour);
        sourceChoice = std::make_unique<Contour>(*pDetailContour);
    }
    sourceBuilder = std::make_unique<CContourBuilderZagotovka>();
    workBuilder = std::make_unique<CContourBuilder>();
    PushChannelSettings();
    if (HostApplication* app = HostApplicationObject()) {
        const HostDocumentPtr& doc = app->ActiveDocumentOrNull();
        if (doc && doc->Type() == DocumentType::Part) partLink = doc;
    }
    parameters = std::make_unique<TurnParameters>(&GetPLAN()->PlanParameters(), *this);
}

CTurn::~CTurn() {
    // Frames go first: their providers lead to the operation's.
    frames.clear();
    // A tool must not keep looking at a working contour that is gone.
    if (CSPID* spid = ExistingSPID()) {
        for (ParamTool& tool : spid->tools) {
            if (tool.pSketchSource == &workContour) tool.pSketchSource = nullptr;
        }
    }
}

CTurn& CTurn::operator=(const CTurn& other) {
    if (this != &other) Copy(other);
    return *this;
}

void CTurn::Copy(const CTurn& other) {
    if (this == &other) return;
    // Every setting of the main record, by the table it is written by.
    for (const TurnSetting& setting : TurnSettings()) CopyTurnSetting(*this, other, setting);
    // What the main record does not hold: the identity, the contour choices
    // and sketches (in records of their own), the second cutting values, the
    // tool's corner radius and the post-processor.
    kind = other.kind;
    index = other.index;
    typeKey = other.typeKey;
    partLink = other.partLink;
    SposobBuildWork = other.SposobBuildWork;
    SposobBuildSour = other.SposobBuildSour;
    workChoice = Contour::ContourCopy(other.workChoice.get());
    sourceChoice = Contour::ContourCopy(other.sourceChoice.get());
    prevFinalContour = CopyOrNull(other.prevFinalContour.get());
    finalContour = CopyOrNull(other.finalContour.get());
    pWorkSketch = other.pWorkSketch;
    pSourSketch = other.pSourSketch;
    Spod2 = other.Spod2;
    Nshp2 = other.Nshp2;
    Vconst2 = other.Vconst2;
    Rtool = other.Rtool;
    postProcessor = other.postProcessor;
    isNoCycles = other.isNoCycles;
    cycleForced = other.cycleForced;

    PushChannelSettings();
    if (ParamTool* tool = GetTool()) tool->pSketchSource = &workContour;
}

void CTurn::PushChannelSettings() {
    auto push = [](CContourBuilder& b, std::int32_t method, Contour* choice, const std::shared_ptr<HostSketch>& sketch,
                   double stepBezie, std::int32_t napr, bool isPripusk, double pripusk) {
        b.buildMethod = method;
        b.partContour = choice;
        b.sketch = sketch;
        b.stepBezie = stepBezie;
        b.reverseFlag = napr != 0;
        b.isPripuskZ = isPripusk;
        b.PripuskZ = pripusk;
    };
    push(*workBuilder, SposobBuildWork, workChoice.get(), pWorkSketch, StepBezieW, naprSketchW, isPripuskW, PripuskW);
    push(*sourceBuilder, SposobBuildSour, sourceChoice.get(), pSourSketch, StepBezieS, naprSketchS, isPripuskS,
         PripuskS);
    workBuilder->startMode = ClosedSposob1;
    workBuilder->endMode = ClosedSposob2;
    workBuilder->startAngle = ClosedAngle1;
    workBuilder->endAngle = ClosedAngle2;
}

void CTurn::ReplaceWorkBuilder(std::unique_ptr<CContourBuilder> builder) {
    if (!builder) return;
    workBuilder = std::move(builder);
    PushChannelSettings();
}

int CTurn::Edit() {
    if (const TurnEditor editor = GetTurnEditor(kind)) return editor(*this);
    return PlanTurn::Edit();
}

ParamTool* CTurn::GetTool() const {
    if (nToolPosition < 0) return nullptr;
    CSPID* spid = GetSPID();
    ParamTool* tool = spid->GetTool(nToolPosition);
    if (!tool || tool->sToolName.empty()) return nullptr;
    return tool;
}

void CTurn::SetupTool() {
    if (const ParamTool* tool = GetTool()) Rtool = tool->r;
}

const Contour* CTurn::GetToolContour() const {
    const ParamTool* tool = GetTool();
    if (!tool || tool->isNoContour) return nullptr;
    return tool->pContour.get();
}

const Contour* CTurn::ToolOutline() {
    ParamTool* tool = GetTool();
    if (!tool || tool->isNoContour) return nullptr;
    // The outline is otherwise built only for the simulation: the path must
    // heed the same insert whether or not the simulation ran first. A tool
    // whose model is not there keeps the path it has without one.
    if (!tool->pContour) {
        std::string model = tool->sWorkFile;
        if (model.empty()) model = tool->isFromCatalog ? tool->CatalogModelPath() : tool->sFileName;
        std::error_code ec;
        if (!model.empty() && std::filesystem::is_regular_file(StoredPathToPath(model), ec))
            GetSPID()->CreateContourTool(nToolPosition);
    }
    return tool->isNoContour ? nullptr : tool->pContour.get();
}

void CTurn::CollectFrames(std::vector<CCadreISO*>& out) const {
    for (const auto& frame : frames) frame->AddToList(out);
}

}  // namespace zarvento
