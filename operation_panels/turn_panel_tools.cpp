// The operation panel's tool choice: the tool list, the automatic and the
// manual choice, what a tool change brings into the panel, and the tool's
// model placed at a frame of the path.
#include "catalogs/param_tool.h"
#include "model/model_tess.h"
#include "nc/cadre_iso.h"
#include "operation_panels/turn_panel.h"
#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/processes/module.h"
#include "simulation/tool_model_placement.h"

namespace zarvento {

namespace {

constexpr int kIconWarning = 0x30;

}  // namespace

void CTurnPanel::FillToolList() {
    toolList->ClearItems();
    // Every position has its row, an empty one with an empty name, so that
    // row i is position i both ways.
    CSPID* spid = GetSPID();
    for (int i = 0; i < spid->Npositions && i < CSPID::kMaxTools; ++i) {
        const ParamTool* tool = spid->GetTool(i);
        const bool holdsTool = tool && !tool->sToolName.empty();
        toolList->AddItem(" Поз." + std::to_string(i + 1) + " - " + (holdsTool ? tool->sPsevName : std::string()));
    }
    SelectItem(*toolList, nToolPosition);
}

void CTurnPanel::ChooseToolAutomatically() {
    isAutoTool = true;
    const std::int32_t before = nToolPosition;
    SetupTool();
    if (nToolPosition != before) {
        if (nToolPosition == -1) toolModel.reset();
        FillToolList();
        OnToolChanged();
    }
    if (nToolPosition == -1) HostMessageBox(kNoAutoTool, CTurn::kCaption, MB_OK_ | kIconWarning);
    if (HostMajorVersion() >= 17) toolList->SetEnabled(false);
}

bool CTurnPanel::OnToolListPick(int row) {
    if (isAutoTool) {
        if (nToolPosition == -1) FillToolList();
        SelectItem(*toolList, nToolPosition);
        HostMessageBox(kAutoToolOn, CTurn::kCaption, MB_OK_ | kIconWarning);
        return false;
    }
    nToolPosition = row;
    OnToolChanged();
    return true;
}

void CTurnPanel::OnToolChanged() {
    // An empty position holds no tool.
    ParamTool* tool = GetTool();
    if (!tool) {
        radiusField->SetValue(Variant::R8(Rtool));
        lengthZField->SetValue(Variant::R8(0.0));
        lengthXField->SetValue(Variant::R8(0.0));
        // The fields of the tool chosen before would name a tool the
        // operation no longer has.
        toolNameField->SetValue(Variant::BStr(""));
        modelFileField->SetValue(Variant::BStr(""));
    } else {
        toolNameField->SetValue(
            Variant::BStr(tool->sPsevName + (tool->isNoContour ? std::string(" (файл не найден)") : std::string())));
        modelFileField->SetValue(Variant::BStr(tool->sFileName));
        Rtool = tool->r;
        radiusField->SetValue(Variant::R8(Rtool));
        lengthZField->SetValue(Variant::R8(tool->CorrectZ));
        lengthXField->SetValue(Variant::R8(tool->CorrectX));
        if (isAutoM34) {
            isM04 = tool->M34 == 4;
            directionGroup->PressButton(kSpindleLeft, isM04);
            directionGroup->PressButton(kSpindleRight, !isM04);
        }
    }
    PrepareToolModel();
    UpdateTransitionControl();
    RecalculatePath();
    ShowProgramPreview();
    toolModel.reset();
    tool = GetTool();
    if (tool && !tool->isNoContour && !tool->sWorkFile.empty() && !frames.empty()) {
        if (selectedFrame < 0 || selectedFrame >= static_cast<int>(frames.size())) selectedFrame = 0;
        PlaceToolModel();
    }
}

void CTurnPanel::PrepareToolModel() {
    ParamTool* tool = GetTool();
    if (!tool || tool->isNoContour) return;
    tool->LoadModel();
    if (!workContour) return;
    // The adaptive tool takes its sketch from the copy's working contour for
    // this drawing only.
    const auto restore = SetForScope(tool->pSketchSource, &workContour);
    tool->DrawAdaptiveSketch();
}

void CTurnPanel::PlaceToolModel() {
    ParamTool* tool = GetTool();
    if (!tool || frames.empty()) return;
    if (selectedFrame < 0 || selectedFrame >= static_cast<int>(frames.size())) selectedFrame = 0;
    const CCadreISO& frame = *frames[static_cast<std::size_t>(selectedFrame)];
    // The nose offsets follow the tip position, which is brought up to date
    // first: the model stands where it will stand at every later pick.
    if (!toolModel) tool->UpdateTipPosition();
    double z = 0.0, x = 0.0;
    ToolModelOrigin(*tool, frame.end.z, frame.end.x, isCorrectLz ? tool->CorrectZ : 0.0,
                    isCorrectLx ? tool->CorrectX : 0.0, z, x);
    if (!toolModel) {
        toolModel = LoadToolModel(*tool, z, x);
        if (!toolModel) return;
    } else {
        toolModel->MoveTo(z, x, 0.0);
    }
    RefreshHostView();
}

}  // namespace zarvento
