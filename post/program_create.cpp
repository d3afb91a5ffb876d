// Building the NC program's frame list from the plan's operations, and the
// lifetime of the frames the program makes itself.
#include <algorithm>

#include "nc/cadre_comment.h"
#include "nc/cadre_end.h"
#include "nc/cadre_head.h"
#include "nc/cadre_iso.h"
#include "nc/cadre_m30.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_safe.h"
#include "nc/modal_state.h"
#include "platform/documents/host_application.h"
#include "post/post_processor_links.h"
#include "post/post_processor_settings.h"
#include "post/program.h"
#include "post/program_operation.h"
#include "post/program_plan_links.h"

namespace zarvento {

namespace {

// Descriptions of VERSION "18" and later have head and end blocks.
bool HasHeadAndEnd() { return PostProcessorSettings::Current().VersionAtLeast("18"); }

// The name of the part the program is for: its document's file name.
std::string PartName() {
    HostApplication* app = HostApplicationObject();
    const HostDocumentPtr document = app != nullptr ? app->ActiveDocumentOrNull() : nullptr;
    if (!document || document->FilePath().empty()) return std::string();
    return std::filesystem::path(document->FilePath()).stem().string();
}

}  // namespace

CPROGRAM::~CPROGRAM() = default;

void CPROGRAM::CreateProgram(ProgramOperation* edited, int editedIndex, int* firstFrame) {
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    if (links == nullptr || !links->HasPlan()) return;
    ClearFrames();
    ReleaseFrames();
    ResetModalState();
    PARAMETERS* planProvider = links->PlanProvider();
    ResetAddressWords(0, planProvider);

    // The operations as this program takes them; the edited one stands at
    // its index without being put into the plan.
    std::vector<ProgramOperation*> operations = links->Operations();
    int last = static_cast<int>(operations.size()) - 1;
    int editedAt = -1;
    if (edited != nullptr && editedIndex >= 0) {
        // An index past the end appends.
        editedAt = std::min(editedIndex, static_cast<int>(operations.size()));
        const bool inPlan = std::find(operations.begin(), operations.end(), edited) != operations.end();
        if (!inPlan) operations.insert(operations.begin() + editedAt, edited);
        last = std::min(editedAt, static_cast<int>(operations.size()) - 1);
    }

    std::vector<CCadreISO*> list;
    auto own = [&](std::unique_ptr<CCadreISO> frame) {
        list.push_back(frame.get());
        ownFrames_.push_back(std::move(frame));
    };
    // Which operation each frame of the list belongs to, for the messages
    // about its text.
    frameOperations_.clear();
    operationNames_.clear();
    operations_.clear();
    auto markOwner = [&](int owner) { frameOperations_.resize(list.size(), owner); };
    auto operationIndex = [&](int i, ProgramOperation* op) {
        operationNames_.push_back(std::to_string(i + 1) + " \"" + op->ProgramName() + "\"");
        operations_.push_back(op);
        return static_cast<int>(operationNames_.size()) - 1;
    };
    own(std::make_unique<CCadre_Comment>(PartName()));
    if (HasHeadAndEnd()) own(std::make_unique<CCadre_Head>());
    own(std::make_unique<CCadre_Safe>());

    for (int i = 0; i <= last; ++i) {
        ProgramOperation* op = operations[static_cast<std::size_t>(i)];
        if (i == editedAt && firstFrame != nullptr) *firstFrame = static_cast<int>(list.size());
        markOwner(-1);
        const int owner = operationIndex(i, op);
        op->AddCommentFrames(list, ownFrames_);
        // A failed or warned operation is passed by when its neighbours link
        // their tools and positions, so its frames would break that chain
        // (a tool change the next operation does not repeat): the program
        // shows it by its heading and mark alone.
        if (op->IsActive()) op->CopyFramesTo(list);
        markOwner(owner);
    }
    markOwner(-1);

    own(std::make_unique<CCadre_Comment>(std::string()));
    own(std::make_unique<CCadre_M5>());
    own(std::make_unique<CCadre_M30>());
    // Every operation of the plan documents itself, those behind an edited
    // one included (an excluded one gives nothing); an edited operation the
    // plan does not hold yet has no place in the plan's documents.
    for (ProgramOperation* op : links->Operations()) {
        markOwner(-1);
        op->AddDocFrame(list, ownFrames_);
        const auto at = std::find(operations.begin(), operations.end(), op) - operations.begin();
        markOwner(at <= last ? static_cast<int>(at) : -1);
    }
    markOwner(-1);

    for (std::size_t k = 1; k < list.size(); ++k)
        if (list[k]->toolNumber == -1) list[k]->toolNumber = list[k - 1]->toolNumber;

    if (HasHeadAndEnd()) {
        own(std::make_unique<CCadre_End>());
        for (CCadreISO* frame : list)
            if (frame->codeParameters && frame->codeParameters->parent == nullptr)
                frame->codeParameters->parent = planProvider;
    }
    for (CCadreISO* frame : list) frames.Add(frame);
}

void CPROGRAM::SwitchOffRadiusCorrection() {
    ProgramPlanLinks* links = GetProgramPlanLinks();
    if (links == nullptr || !links->HasPlan()) return;
    const std::vector<ProgramOperation*> operations = links->Operations();
    keptCorrection_ = std::make_unique<std::vector<bool>>();
    switchedOff_.clear();
    for (ProgramOperation* op : operations) {
        keptCorrection_->push_back(op->CorrectsRadius());
        if (!op->MachineCompensatesRadius() || !op->CorrectsRadius()) continue;
        // An operation with a message keeps it and shows in the program by
        // its heading and mark alone; so does a corrected path that cuts into
        // the part, which gets its message here.
        if (!op->IsActive() || !op->CheckCalculatedPath()) continue;
        op->SetCorrectsRadius(false);
        switchedOff_.push_back(op);
    }
    // Only the paths that change are made again: the others, and the stock
    // each operation leaves to the next, stay as calculated.
    for (ProgramOperation* op : switchedOff_) links->RecalculateOperation(op);
}

void CPROGRAM::RestoreRadiusCorrection() {
    if (!keptCorrection_) return;
    const std::unique_ptr<std::vector<bool>> kept = std::move(keptCorrection_);
    const std::vector<ProgramOperation*> changed = std::move(switchedOff_);
    switchedOff_.clear();
    ProgramPlanLinks* links = GetProgramPlanLinks();
    if (links == nullptr) return;
    // Operations deleted in between leave fewer to restore than were kept.
    const std::vector<ProgramOperation*> operations = links->Operations();
    const std::size_t count = std::min(kept->size(), operations.size());
    for (std::size_t k = 0; k < count; ++k) operations[k]->SetCorrectsRadius((*kept)[k]);
    for (ProgramOperation* op : changed)
        if (std::find(operations.begin(), operations.end(), op) != operations.end()) links->RecalculateOperation(op);
}

ProgramOperation* CPROGRAM::FrameOperation(std::uint32_t frame) const {
    if (frame >= frameOperations_.size()) return nullptr;
    const int owner = frameOperations_[frame];
    return owner >= 0 && static_cast<std::size_t>(owner) < operations_.size()
               ? operations_[static_cast<std::size_t>(owner)]
               : nullptr;
}

void CPROGRAM::CopyFrameList(const CPROGRAM& from) {
    frames = from.frames;
    frameOperations_ = from.frameOperations_;
    operationNames_ = from.operationNames_;
    operations_ = from.operations_;
}

void CPROGRAM::ClearFrames() {
    frames.RemoveAll();
    frameOperations_.clear();
}

void CPROGRAM::ReleaseFrames() { ownFrames_.clear(); }

}  // namespace zarvento
