// What the plan data shows in the part view: the stock, the coordinate
// system's model and the fixtures' models.
#include <algorithm>

#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

// Colour of the stock's display in the settings.
constexpr int kStockColour = 10;

// A fixture has a model once its file was found and copied for the plan.
bool HasModel(const ParamGadget& gadget) { return !gadget.isNoContour && !gadget.sWorkFile.empty(); }

// The slot of the model variable "rotated" among the first variables, or -1.
int RotatedVariable(const ParamGadget& gadget) {
    const int n = std::clamp(gadget.Npv, 0, ParamTool::kMaxVariables);
    for (int i = 0; i < n; ++i)
        if (gadget.aVariables[static_cast<std::size_t>(i)].sName == "rotated") return i;
    return -1;
}

// A new model of the fixture drawn at its place (the LSC point at its Z offset).
void RemakeModel(ParamGadget& gadget, bool displayFlag) {
    if (gadget.pDisplayModel) gadget.pDisplayModel->Erase();
    auto model = std::make_shared<CModelTess>();
    model->displayFlag = displayFlag;
    model->LoadFromFile(gadget.sWorkFile);
    model->DrawAt(gadget.CorrectZ, 0, 0);
    model->CollectTriangles(true);
    gadget.pDisplayModel = std::move(model);
}

}  // namespace

void CreateTessellationSource(CSPID& spid) {
    if (!spid.pSourceContour) spid.pSourceContour = spid.CreateSourceContour();
    if (spid.pSourceContour)
        spid.pSourceContour->CreateTessellationFaces(SettingsRecord::Global().Colour(kStockColour));
}

void CSPID::ToggleShowSource() {
    BusyFlagGuard busy;
    isShowSource = !isShowSource;
    if (isShowSource)
        CreateTessellationSource(*this);
    else
        HideSource();
}

void CSPID::HideSource() {
    if (pSourceContour) pSourceContour->ClearTessellationFaces();
}

void CSPID::ToggleShowLSC() {
    BusyFlagGuard busy;
    isShowLSC = !isShowLSC;
    if (isShowLSC)
        CreateLSCModel();
    else
        DeleteLSCModel();
}

void CSPID::CreateLSCModel() {
    pLSCModel = std::make_unique<CModelTess>();
    pLSCModel->displayFlag = true;
    std::string path;
    if (ModuleFilePath(path, "TESS/LSK.rdp") && pLSCModel->LoadFromFile(path)) pLSCModel->DrawAt(0, 0, 0);
}

void CSPID::ToggleShowGadgets() {
    BusyFlagGuard busy;
    isShowGadgets = !isShowGadgets;
    const int count = std::clamp(Ngadgets, 0, kMaxGadgets);
    for (int i = 0; i < count; ++i) {
        ParamGadget& gadget = gadgets[static_cast<std::size_t>(i)];
        if (!isShowGadgets) {
            if (gadget.pDisplayModel) gadget.pDisplayModel->Hide();
            continue;
        }
        gadget.LoadModel();
        if (!HasModel(gadget)) continue;
        if (!gadget.pDisplayModel) {
            auto model = std::make_shared<CModelTess>();
            model->LoadFromFile(gadget.sWorkFile);
            model->DrawAt(gadget.CorrectZ, 0, 0);
            gadget.pDisplayModel = std::move(model);
        } else {
            gadget.pDisplayModel->Show();
        }
        RefreshHostView();
    }
}

void CSPID::RebuildGadgetModels() {
    const int count = std::clamp(Ngadgets, 0, kMaxGadgets);
    for (int i = 0; i < count; ++i) {
        ParamGadget& gadget = gadgets[static_cast<std::size_t>(i)];
        gadget.LoadModel();
        if (!HasModel(gadget)) continue;
        const int rotated = RotatedVariable(gadget);
        if (rotated >= 0) {
            gadget.aVariables[static_cast<std::size_t>(rotated)].dValue = 0.0;
            gadget.WriteModelVariables();
        }
        RemakeModel(gadget, false);
    }
}

void CSPID::SetGadgetsRotated(bool on) {
    const int count = std::clamp(Ngadgets, 0, kMaxGadgets);
    for (int i = 0; i < count; ++i) {
        ParamGadget& gadget = gadgets[static_cast<std::size_t>(i)];
        gadget.LoadModel();
        const int rotated = HasModel(gadget) ? RotatedVariable(gadget) : -1;
        if (rotated < 0) continue;  // nothing turns: the model stays as it is
        gadget.aVariables[static_cast<std::size_t>(rotated)].dValue = on ? 1.0 : 0.0;
        gadget.WriteModelVariables();
        RemakeModel(gadget, true);
    }
}

}  // namespace zarvento
