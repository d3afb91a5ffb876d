// The frame base: construction from the modal state, output coordinates,
// frame variables and the common text output.
#include "nc/cadre_iso.h"

#include <cmath>

#include "nc/cycle_code_lists.h"
#include "nc/frame_templates.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "platform/core/check.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

// The provider a frame owns: it answers the frame's variables first.
class FrameCodeParameters : public CODE_PARAMETERS {
public:
    explicit FrameCodeParameters(CCadreISO& frame) : frame_(frame) {}

protected:
    const double* GetVariable(std::string_view name) override { return frame_.GetVariable(name); }

private:
    CCadreISO& frame_;
};

}  // namespace

CCadreISO::CCadreISO() : codeParameters(std::make_unique<FrameCodeParameters>(*this)) {
    feed = ModalState.feed;
    spindleSpeed = ModalState.spindleSpeed;
    start = end = aux = FramePoint{ModalState.position[0], ModalState.position[1], ModalState.position[2]};
    TakeOutputValues();
}

void CCadreISO::TakeOutputValues() {
    outX1 = start.x;
    outX2 = end.x;
    outZ1 = start.z;
    outZ2 = end.z;
    outF = feed;
}

CCadreISO::~CCadreISO() = default;

void CCadreISO::SetModalState() {
    if (spindleSpeed < 1e-6) spindleSpeed = ModalState.spindleSpeed;
    if (feed < 1e-6) feed = ModalState.feed;
    constantSpeed = ModalState.constantSpeed;
    minSpindleSpeed = ModalState.minSpindleSpeed;
    maxSpindleSpeed = ModalState.maxSpindleSpeed;
    spindleState = ModalState.spindleState;
}

void CCadreISO::SetOutputCoordinates() {
    switch (SettingsRecord::Global().xOutputMode) {
        case 0:
            outX1 = start.x * -2.0;
            outX2 = end.x * -2.0;
            break;
        case 1:
            outX1 = start.x;
            outX2 = end.x;
            break;
        default:
            outX1 = -start.x;
            outX2 = -end.x;
            break;
    }
    outZ1 = start.z;
    outZ2 = end.z;
    outF = feed;
}

double* CCadreISO::GetVariable(std::string_view name) {
    if (name == "_X1") return &outX1;
    if (name == "_Y1") return &start.y;
    if (name == "_Z1") return &outZ1;
    if (name == "_X2") return &outX2;
    if (name == "_Y2") return &end.y;
    if (name == "_Z2") return &outZ2;
    if (name == "_S") return &spindleSpeed;
    if (name == "_F") return &outF;
    if (name == "_M345") return &m345;
    return nullptr;
}

void CCadreISO::AddPathUnits(StepArray<CUnit*>& list) {
    if (hidden) return;
    MakeDeferredPath();
    for (int i = 0; i < path.Count(); ++i) list.Add(path.GetUnit(i));
}

int CCadreISO::GetPositionCount() const { return usedTemplate != nullptr ? templateLineCount : 1; }

int CCadreISO::WriteText(std::vector<std::string>&, int) { return 0; }

void CCadreISO::AddSubFrame(std::unique_ptr<CCadreISO> frame) {
    if (!frame) return;
    // A frame cannot be its own sub-frame: the list would own its owner.
    if (ZARVENTO_NEVER(frame.get() == this)) return static_cast<void>(frame.release());
    if (!subFrames_) subFrames_ = std::make_unique<SubFrameLists>();
    if (!subFrames_->owner) subFrames_->owner = std::make_shared<SubFrameList>();
    subFrames_->view.push_back(frame.get());
    subFrames_->owner->push_back(std::move(frame));
}

void CCadreISO::ReleaseSubFrames() { subFrames_.reset(); }

void CCadreISO::ShareSubFrames(const CCadreISO& source) {
    if (&source == this) return;
    if (!source.subFrames_) {
        subFrames_.reset();
        return;
    }
    // Sub-frames are shared with their owner list, or they could outlive it.
    if (ZARVENTO_NEVER(!source.subFrames_->view.empty() && !source.subFrames_->owner)) {
        subFrames_.reset();
        return;
    }
    subFrames_ = std::make_unique<SubFrameLists>(*source.subFrames_);
}

void CCadreISO::Move(double dx, double dy, double dz) {
    MakeDeferredPath();
    start.x += dx;
    end.x += dx;
    start.y += dy;
    end.y += dy;
    start.z += dz;
    end.z += dz;
    path.Move3D(dx, dy, dz);
}

std::string CCadreISO::FormatFrameNumber(int number) {
    if (number == -1) return " ";
    ModalState.frameCounter += 1;
    ModalState.builtInTextWritten = 1;
    if (frameNumber == -1) {
        std::int32_t n = -1;
        if (TruncateToInt32(ModalState.frameCounter + 0.1, n)) frameNumber = n;
    }
    if (frameNumber < 0) return " ";  // a counter past any block number cannot number the line
    std::string digits = std::to_string(frameNumber);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return " N" + digits + "  ";
}

void CCadreISO::AddTextLine(std::vector<std::string>& lines, std::string text) {
    if (ModalState.exportRun) return;
    lines.push_back(std::move(text));
}

bool CCadreISO::EvaluateFormula(const std::string& formula, double& value) {
    return codeParameters->CalcFormula(value, formula, true);
}

bool CCadreISO::EvaluateFormula(const ParsedFormula& formula, double& value) {
    return codeParameters->CalcFormula(value, formula, true);
}

const std::string* CCadreISO::FindTextVariable(const std::string& name) {
    if (const std::string* own = GetTextVariable(name)) return own;
    return codeParameters->GetStringParameter(name);
}

bool CCadreISO::WriteByTemplate(std::string_view kind, std::vector<std::string>& lines, int& number) {
    const CycleCodeLists* templ = FrameTemplates::Find(kind);
    if (templ == nullptr) {
        usedTemplate = nullptr;
        templateLineCount = 0;
        return false;
    }
    std::int32_t n = number;
    CycleCodeLists::WriteLines(templ, this, lines, n, '0');
    number = n;
    // The built-in texts of moves cannot know what a template wrote.
    if (kindLetter == 'L' || kindLetter == 'A') {
        ModalState.writtenX.clear();
        ModalState.writtenZ.clear();
    }
    return true;
}

}  // namespace zarvento
