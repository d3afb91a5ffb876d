// The operation panel's events: what each common control writes into the
// copy, the path's recalculation, the opening of tabs and the command buttons.
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/number_text.h"
#include "model/model_tess.h"
#include "nc/modal_state.h"
#include "operation_panels/turn_panel.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/property_tab.h"
#include "platform/documents/hidden_document.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

// The message box's warning icon.
constexpr int kIconWarning = 0x30;

bool Checked(const PropertyControl& control) { return control.Value().ToBool(); }
double NumberOf(const PropertyControl& control) { return control.Value().ToR8(); }
std::string TextOf(const PropertyControl& control) { return control.Value().ToBStr(); }

}  // namespace

void CTurnPanel::RecalculatePath() {
    const HostDocumentPtr hidden = HiddenDocument();
    if (!hidden) return;
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    ++recalculations;
    {
        ActiveDocumentSwitch partBack(*app, hidden);
        ActiveDocument2DSwitch drawIntoHidden(HiddenWorkDocument2D());
        RefreshHostView();
        // The path builder reshapes the contours it is given: it works on
        // copies, and the tabs go on showing the contours as they built them.
        // Every build starts from the same state: the copy's own calculation
        // state, the program's modal state and the user's transition mode
        // (the path's own forcing of it belongs to the path).
        std::unique_ptr<Contour> shownWork = Contour::ContourCopy(workContour.get());
        std::unique_ptr<Contour> shownSource = Contour::ContourCopy(sourceContour.get());
        const ModalStateRecord modal = ModalState;
        const std::int32_t transition = indPerehod;
        calc = TurnCalculation{};
        CreateContourPath();
        ModalState = modal;
        indPerehod = transition;
        // The reshaped contours live as long as the frames made from them.
        pathWorkContour = std::exchange(workContour, std::move(shownWork));
        pathSourceContour = std::exchange(sourceContour, std::move(shownSource));
    }
    ShowFrames();
    RefreshHostView();
}

bool CTurnPanel::OnChangeControlValue(PropertyControl& control) {
    workTab.OnChangeControlValue(control);
    sourceTab.OnChangeControlValue(control);
    ChangeValue(control);
    return true;
}

bool CTurnPanel::ChangeValue(PropertyControl& c) {
    const bool kindWithScheme = kind >= kTurnDRILL && kind <= kTurnOTREZKA;
    if (&c == usePrevBox) {
        isUsePrevContour = Checked(c);
        if (!isUsePrevContour) {
            sourceTab.ShowSelection();
            sourceTab.ShowControls();
        } else {
            sourceTab.SetContour(prevFinalContour.get());
            sourceTab.HideControls();
        }
    } else if (&c == autoToolBox) {
        if (Checked(c)) {
            ChooseToolAutomatically();
        } else {
            isAutoTool = false;
            toolList->SetEnabled(true);
        }
    } else if (&c == startModeList || &c == endModeList) {
        const bool start = &c == startModeList;
        const int mode = c.CurrentItem();
        PropertyControl& angle = start ? *startAngleField : *endAngleField;
        (start ? ClosedSposob1 : ClosedSposob2) = mode;
        if (mode == 5) (start ? ClosedAngle1 : ClosedAngle2) = NumberOf(angle);
        angle.SetEnabled(mode == 5);
        PushClosingSegments();
        workTab.RebuildContour();
    } else if (&c == startAngleField || &c == endAngleField) {
        (&c == startAngleField ? ClosedAngle1 : ClosedAngle2) = NumberOf(c);
        PushClosingSegments();
        workTab.RebuildContour();
    } else if (&c == schemeList && kindWithScheme) {
        indShema = c.CurrentItem();
        CreateCycleList();
        RecalculatePath();
        if (isAutoName) UpdateCaption();
    } else if (&c == cycleList && kindWithScheme) {
        (indShema == 0 ? indCycleElementar : indCycle) = c.CurrentItem();
        RecalculatePath();
        if (isAutoName) UpdateCaption();
        if (isAutoTool) ChooseToolAutomatically();
    } else if (&c == showApproachBox) {
        isPathToggled = !Checked(c);
        RecalculatePath();
    } else if (&c == transitionList) {
        indPerehod = c.CurrentItem();
        // The user's choice is the mode a later forcing keeps.
        savedTransition = indPerehod;
        RecalculatePath();
        approachGroup->SetEnabled(indPerehod != 0);
    } else if (&c == feedField) {
        // A value typed in manual mode is the manual value the mode brings back.
        Spod = Spod2 = NumberOf(c);
    } else if (&c == feedModeList) {
        indSpod = c.CurrentItem();
        UpdateFeedControls();
    } else if (&c == feedFormulaField) {
        sSpod = TextOf(c);
        EvalFeedFormula();
        feedField->SetValue(Variant::R8(Spod));
    } else if (&c == constantSpeedBox) {
        isVconst = Checked(c);
        UpdateSpeedControls();
    } else if (&c == speedModeList) {
        indNshp = c.CurrentItem();
        UpdateSpeedControls();
    } else if (&c == spindleSpeedField) {
        Nshp = Nshp2 = NumberOf(c);
    } else if (&c == speedFormulaField) {
        sNshp = TextOf(c);
        EvalSpeedFormulas();
        spindleSpeedField->SetValue(Variant::R8(Nshp));
    } else if (&c == cuttingSpeedField) {
        Vconst = Vconst2 = NumberOf(c);
    } else if (&c == cuttingFormulaField) {
        sVcut = TextOf(c);
        EvalSpeedFormulas();
        cuttingSpeedField->SetValue(Variant::R8(Vconst));
    } else if (&c == minSpeedField) {
        Nmin = NumberOf(c);
    } else if (&c == maxSpeedField) {
        Nmax = NumberOf(c);
    } else if (&c == autoDirectionBox) {
        isAutoM34 = Checked(c);
        if (isAutoM34) {
            if (const ParamTool* tool = GetSPID()->GetTool(nToolPosition)) {
                isM04 = tool->M34 == 4;
                directionGroup->PressButton(kSpindleLeft, isM04);
                directionGroup->PressButton(kSpindleRight, !isM04);
            }
        }
        directionGroup->SetEnabled(!isAutoM34);
    } else if (&c == coolantBox) {
        isCheckCooler = Checked(c);
    } else if (&c == m01Box) {
        isM01end = Checked(c);
    } else if (&c == toolLifeField) {
        TT = NumberOf(c);
    } else if (&c == radiusBox) {
        isCorrectRadius = Checked(c);
        radiusField->SetEnabled(isCorrectRadius);
        machineCorrectionList->SetEnabled(isCorrectRadius);
        RecalculatePath();
    } else if (&c == radiusField) {
        Rtool = NumberOf(c);
    } else if (&c == machineCorrectionList) {
        const std::int32_t old = DirRcorrect;
        DirRcorrect = c.CurrentItem();
        if (old == 0 && DirRcorrect != 0) HostMessageBox(kG41Warning, CTurn::kCaption, MB_OK_ | kIconWarning);
    } else if (&c == lengthZBox || &c == lengthXBox) {
        const bool z = &c == lengthZBox;
        (z ? isCorrectLz : isCorrectLx) = Checked(c);
        (z ? lengthZField : lengthXField)->SetEnabled(Checked(c));
        RecalculatePath();
    } else if (&c == offsetZField || &c == offsetXField) {
        (&c == offsetZField ? CorrectLz : CorrectLx) = NumberOf(c);
        RecalculatePath();
    } else if (&c == autoNameBox) {
        isAutoName = Checked(c);
        nameList->SetEnabled(!isAutoName);
        if (isAutoName) UpdateCaption();
    } else if (&c == nameList) {
        sNameTurn = TextOf(c);
    } else {
        return false;
    }
    return true;
}

bool CTurnPanel::OnControlCommand(PropertyControl& control, int id) {
    workTab.OnControlCommand(control, id);
    sourceTab.OnControlCommand(control, id);
    if (&control == approachGroup) {
        if (id < kApproachLine || id > kApproachXZ) return true;
        naprVihod = id - kApproachLine + 1;
        RecalculatePath();
    } else if (&control == returnGroup) {
        if (id < kReturnLine || id > kReturnXZ) return true;
        naprVozvrat = id - kReturnLine + 1;
        RecalculatePath();
    } else if (&control == directionGroup) {
        if (id != kSpindleLeft && id != kSpindleRight) return true;
        isM04 = id == kSpindleLeft;
        RecalculatePath();
    } else if (&control == addToolButton) {
        // The operation goes to the plan-data panel, where tools are added,
        // with what the user set here; the plan's tool command brings its
        // panel back.
        ApplyToTurn();
        WaitingTurn = GetOriginalTurn();
        OnButtonClick(kPanelButtonCancel);
        PostHostCommand(kPlanDataCommand);
    }
    return true;
}

void CTurnPanel::ChangeTab(int tab) {
    if (WaitingTurn) {
        workTab.SetReferenceSlot(&sourceContour);
        workTab.OnActivate();
        tab = kToolTab;
        WaitingTurn = nullptr;
        if (isAutoTool) ChooseToolAutomatically();
    }
    if (currentTab == kNoTab && HostMajorVersion() >= 17) {
        suppressTabNotification = true;
        const ScopeGuard release([this] { suppressTabNotification = false; });
        for (int k = 1; k <= kTabCount; ++k) {
            if (PropertyTab* t = HostTab(k)) t->SetExpanded(k == kWorkingTab);
        }
    }
    TakeSurfaces();
    if (currentTab == kWorkingTab && tab != kWorkingTab) workTab.ClearHighlight();
    if (currentTab == kSourceTab && tab != kSourceTab) sourceTab.ClearHighlight();
    CSPID* spid = GetSPID();
    if (tab == kWorkingTab || tab == kSourceTab) {
        HidePath();
        spid->HideStartPoint();
    }
    if (tab != kToolTab) toolModel.reset();
    switch (tab) {
        case kWorkingTab:
            workTab.SetReferenceSlot(&sourceContour);
            workTab.OnActivate();
            break;
        case kSourceTab:
            sourceTab.SetReferenceSlot(&workContour);
            if (!isUsePrevContour) {
                sourceTab.ShowSelection();
                sourceTab.ShowControls();
            } else {
                sourceTab.SetContour(prevFinalContour.get());
                sourceTab.HideControls();
            }
            break;
        case kToolTab:
            if (nToolPosition >= 0) {
                RecalculatePath();
                PrepareToolModel();
                SelectItem(*toolList, nToolPosition);
                ShowProgramPreview();
            } else if (isAutoTool && workContour) {
                HostMessageBox(kNoAutoTool, CTurn::kCaption, MB_OK_ | kIconWarning);
            }
            break;
        case kStrategyTab:
            RecalculatePath();
            UpdateTransitionControl();
            UpdateDirectionButtons();
            break;
        case kCuttingTab:
            RecalculatePath();
            if (isAutoM34) {
                directionGroup->SetEnabled(true);
                directionGroup->PressButton(kSpindleLeft, isM04);
                directionGroup->PressButton(kSpindleRight, !isM04);
                directionGroup->SetEnabled(false);
            }
            break;
        case kCorrectionTab:
            RecalculatePath();
            radiusField->SetValue(Variant::R8(Rtool));
            break;
        case kPropertiesTab: {
            RecalculatePath();
            ShowStatistics();
            const std::string name = TranslateString(sNameTurn);
            if (nameList->IndexOfValue(name) < 0) nameList->AddItem(name);
            nameList->SetValue(Variant::BStr(name));
            if (isAutoName) UpdateCaption();
            break;
        }
        default: break;
    }
    if (tab >= kToolTab && tab <= kPropertiesTab) {
        if (workContour) workContour->ShowTessellation();
        if (sourceContour) sourceContour->ShowTessellation();
        spid->ShowStartPoint();
    }
    currentTab = tab;
}

void CTurnPanel::UpdateFeedControls() {
    if (indSpod == 0) {
        Spod = Spod2;
    } else {
        EvalFeedFormula();
    }
    ShowFeedMode();
}

void CTurnPanel::ShowFeedMode() {
    feedField->SetReadOnly(indSpod != 0);
    feedFormulaField->SetVisible(indSpod != 0);
    feedField->SetValue(Variant::R8(Spod));
}

void CTurnPanel::UpdateSpeedControls() {
    if (indNshp == 0) {
        Nshp = Nshp2;
        Vconst = Vconst2;
    } else {
        EvalSpeedFormulas();
    }
    ShowSpeedMode();
}

void CTurnPanel::ShowSpeedMode() {
    const bool formula = indNshp == 1;
    PropertyControl& shown = isVconst ? *cuttingSpeedField : *spindleSpeedField;
    PropertyControl& shownFormula = isVconst ? *cuttingFormulaField : *speedFormulaField;
    PropertyControl& hidden = isVconst ? *spindleSpeedField : *cuttingSpeedField;
    PropertyControl& hiddenFormula = isVconst ? *speedFormulaField : *cuttingFormulaField;
    shown.SetVisible(true);
    shown.SetReadOnly(formula);
    shownFormula.SetVisible(formula);
    hidden.SetVisible(false);
    hiddenFormula.SetVisible(false);
    shown.SetValue(Variant::R8(isVconst ? Vconst : Nshp));
    minSpeedField->SetVisible(isVconst);
    maxSpeedField->SetVisible(isVconst);
}

void CTurnPanel::UpdateTransitionControl() {
    const auto* previous = dynamic_cast<const CTurn*>(GetPLAN()->GetPrevActiveTurn(index - 1));
    if (previous && previous->nToolPosition == nToolPosition) {
        transitionList->SetEnabled(true);
        indPerehod = savedTransition;
        transitionForced = false;
    } else {
        transitionList->SetEnabled(false);
        // Forced already, the list shows the forced mode: the user's stays saved.
        if (!transitionForced) savedTransition = indPerehod;
        transitionForced = true;
        indPerehod = 2;
    }
    SelectItem(*transitionList, indPerehod);
    approachGroup->SetEnabled(indPerehod != 0);
}

void CTurnPanel::UpdateDirectionButtons() {
    for (int id = kApproachLine; id <= kApproachXZ; ++id)
        approachGroup->PressButton(id, id - kApproachLine + 1 == naprVihod);
    for (int id = kReturnLine; id <= kReturnXZ; ++id) returnGroup->PressButton(id, id - kReturnLine + 1 == naprVozvrat);
}

}  // namespace zarvento
