// The operation panel's events: what each common control writes into the
// copy, the path's recalculation, the opening of tabs and the command buttons.
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/number_text.h"
#include "model/model_tess.h"
#include "nc/modal_state.h"
#include "operation_panels/panel_controls.h"
#include "operation_panels/turn_panel.h"
#include "panels/control_events.h"
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

using panel_controls::Checked;
using panel_controls::NumberOf;
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

// Long: the panel's value events as one table, a row per control; a row's
// handler stands beside the control it answers.
bool CTurnPanel::ChangeValue(PropertyControl& control) {
    using Row = ControlEvents<CTurnPanel>;
    static constexpr auto kindWithScheme = [](const CTurnPanel& p) {
        return p.kind >= kTurnDRILL && p.kind <= kTurnOTREZKA;
    };
    static constexpr auto closingMode = [](CTurnPanel& p, PropertyControl& c) {
        const bool start = &c == p.startModeList;
        const int mode = c.CurrentItem();
        PropertyControl& angle = start ? *p.startAngleField : *p.endAngleField;
        (start ? p.ClosedSposob1 : p.ClosedSposob2) = mode;
        if (mode == 5) (start ? p.ClosedAngle1 : p.ClosedAngle2) = NumberOf(angle);
        angle.SetEnabled(mode == 5);
        p.PushClosingSegments();
        p.workTab.RebuildContour();
    };
    static constexpr auto closingAngle = [](CTurnPanel& p, PropertyControl& c) {
        (&c == p.startAngleField ? p.ClosedAngle1 : p.ClosedAngle2) = NumberOf(c);
        p.PushClosingSegments();
        p.workTab.RebuildContour();
    };
    static constexpr auto lengthCorrection = [](CTurnPanel& p, PropertyControl& c) {
        const bool z = &c == p.lengthZBox;
        (z ? p.isCorrectLz : p.isCorrectLx) = Checked(c);
        (z ? p.lengthZField : p.lengthXField)->SetEnabled(Checked(c));
        p.RecalculatePath();
    };
    static constexpr auto lengthOffset = [](CTurnPanel& p, PropertyControl& c) {
        (&c == p.offsetZField ? p.CorrectLz : p.CorrectLx) = NumberOf(c);
        p.RecalculatePath();
    };
    static constexpr Row kRows[] = {
        {&CTurnPanel::usePrevBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isUsePrevContour = Checked(c);
             if (!p.isUsePrevContour) {
                 p.sourceTab.ShowSelection();
                 p.sourceTab.ShowControls();
             } else {
                 p.sourceTab.SetContour(p.prevFinalContour.get());
                 p.sourceTab.HideControls();
             }
         }},
        {&CTurnPanel::autoToolBox,
         [](CTurnPanel& p, PropertyControl& c) {
             if (Checked(c)) {
                 p.ChooseToolAutomatically();
             } else {
                 p.isAutoTool = false;
                 p.toolList->SetEnabled(true);
             }
         }},
        {&CTurnPanel::startModeList, closingMode},
        {&CTurnPanel::endModeList, closingMode},
        {&CTurnPanel::startAngleField, closingAngle},
        {&CTurnPanel::endAngleField, closingAngle},
        {&CTurnPanel::schemeList,
         [](CTurnPanel& p, PropertyControl& c) {
             if (!kindWithScheme(p)) return;
             p.indShema = c.CurrentItem();
             p.cycleForced = false;
             p.CreateCycleList();
             p.RecalculatePath();
             if (p.isAutoName) p.UpdateCaption();
         }},
        {&CTurnPanel::cycleList,
         [](CTurnPanel& p, PropertyControl& c) {
             if (!kindWithScheme(p)) return;
             (p.indShema == 0 ? p.indCycleElementar : p.indCycle) = c.CurrentItem();
             p.RecalculatePath();
             if (p.isAutoName) p.UpdateCaption();
             if (p.isAutoTool) p.ChooseToolAutomatically();
         }},
        {&CTurnPanel::showApproachBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isPathToggled = !Checked(c);
             p.RecalculatePath();
         }},
        {&CTurnPanel::transitionList,
         [](CTurnPanel& p, PropertyControl& c) {
             p.indPerehod = c.CurrentItem();
             // The user's choice is the mode a later forcing keeps.
             p.savedTransition = p.indPerehod;
             p.RecalculatePath();
             p.approachGroup->SetEnabled(p.indPerehod != 0);
         }},
        // A value typed in manual mode is the manual value the mode brings back.
        {&CTurnPanel::feedField, [](CTurnPanel& p, PropertyControl& c) { p.Spod = p.Spod2 = NumberOf(c); }},
        {&CTurnPanel::feedModeList,
         [](CTurnPanel& p, PropertyControl& c) {
             p.indSpod = c.CurrentItem();
             p.UpdateFeedControls();
         }},
        {&CTurnPanel::feedFormulaField,
         [](CTurnPanel& p, PropertyControl& c) {
             p.sSpod = TextOf(c);
             p.EvalFeedFormula();
             p.feedField->SetValue(Variant::R8(p.Spod));
         }},
        {&CTurnPanel::constantSpeedBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isVconst = Checked(c);
             p.UpdateSpeedControls();
         }},
        {&CTurnPanel::speedModeList,
         [](CTurnPanel& p, PropertyControl& c) {
             p.indNshp = c.CurrentItem();
             p.UpdateSpeedControls();
         }},
        {&CTurnPanel::spindleSpeedField, [](CTurnPanel& p, PropertyControl& c) { p.Nshp = p.Nshp2 = NumberOf(c); }},
        {&CTurnPanel::speedFormulaField,
         [](CTurnPanel& p, PropertyControl& c) {
             p.sNshp = TextOf(c);
             p.EvalSpeedFormulas();
             p.spindleSpeedField->SetValue(Variant::R8(p.Nshp));
         }},
        {&CTurnPanel::cuttingSpeedField, [](CTurnPanel& p, PropertyControl& c) { p.Vconst = p.Vconst2 = NumberOf(c); }},
        {&CTurnPanel::cuttingFormulaField,
         [](CTurnPanel& p, PropertyControl& c) {
             p.sVcut = TextOf(c);
             p.EvalSpeedFormulas();
             p.cuttingSpeedField->SetValue(Variant::R8(p.Vconst));
         }},
        {&CTurnPanel::minSpeedField, [](CTurnPanel& p, PropertyControl& c) { p.Nmin = NumberOf(c); }},
        {&CTurnPanel::maxSpeedField, [](CTurnPanel& p, PropertyControl& c) { p.Nmax = NumberOf(c); }},
        {&CTurnPanel::autoDirectionBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isAutoM34 = Checked(c);
             if (p.isAutoM34) {
                 if (const ParamTool* tool = GetSPID()->GetTool(p.nToolPosition)) {
                     p.isM04 = tool->M34 == 4;
                     p.directionGroup->PressButton(kSpindleLeft, p.isM04);
                     p.directionGroup->PressButton(kSpindleRight, !p.isM04);
                 }
             }
             p.directionGroup->SetEnabled(!p.isAutoM34);
         }},
        {&CTurnPanel::coolantBox, [](CTurnPanel& p, PropertyControl& c) { p.isCheckCooler = Checked(c); }},
        {&CTurnPanel::m01Box, [](CTurnPanel& p, PropertyControl& c) { p.isM01end = Checked(c); }},
        {&CTurnPanel::toolLifeField, [](CTurnPanel& p, PropertyControl& c) { p.TT = NumberOf(c); }},
        {&CTurnPanel::radiusBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isCorrectRadius = Checked(c);
             p.radiusField->SetEnabled(p.isCorrectRadius);
             p.machineCorrectionList->SetEnabled(p.isCorrectRadius);
             p.RecalculatePath();
         }},
        {&CTurnPanel::radiusField, [](CTurnPanel& p, PropertyControl& c) { p.Rtool = NumberOf(c); }},
        {&CTurnPanel::machineCorrectionList,
         [](CTurnPanel& p, PropertyControl& c) {
             const std::int32_t old = p.DirRcorrect;
             p.DirRcorrect = c.CurrentItem();
             if (old == 0 && p.DirRcorrect != 0) HostMessageBox(kG41Warning, CTurn::kCaption, MB_OK_ | kIconWarning);
         }},
        {&CTurnPanel::lengthZBox, lengthCorrection},
        {&CTurnPanel::lengthXBox, lengthCorrection},
        {&CTurnPanel::offsetZField, lengthOffset},
        {&CTurnPanel::offsetXField, lengthOffset},
        {&CTurnPanel::autoNameBox,
         [](CTurnPanel& p, PropertyControl& c) {
             p.isAutoName = Checked(c);
             p.nameList->SetEnabled(!p.isAutoName);
             if (p.isAutoName) p.UpdateCaption();
         }},
        {&CTurnPanel::nameList, [](CTurnPanel& p, PropertyControl& c) { p.sNameTurn = TextOf(c); }},
    };
    return DispatchControlEvent(kRows, *this, control);
}

bool CTurnPanel::OnControlCommand(PropertyControl& control, int id) {
    workTab.OnControlCommand(control, id);
    sourceTab.OnControlCommand(control, id);
    static constexpr ControlEvents<CTurnPanel, int> kRows[] = {
        {&CTurnPanel::approachGroup,
         [](CTurnPanel& p, PropertyControl&, int button) {
             if (button < kApproachLine || button > kApproachXZ) return;
             p.naprVihod = button - kApproachLine + 1;
             p.RecalculatePath();
         }},
        {&CTurnPanel::returnGroup,
         [](CTurnPanel& p, PropertyControl&, int button) {
             if (button < kReturnLine || button > kReturnXZ) return;
             p.naprVozvrat = button - kReturnLine + 1;
             p.RecalculatePath();
         }},
        {&CTurnPanel::directionGroup,
         [](CTurnPanel& p, PropertyControl&, int button) {
             if (button != kSpindleLeft && button != kSpindleRight) return;
             p.isM04 = button == kSpindleLeft;
             p.RecalculatePath();
         }},
        // The operation goes to the plan-data panel, where tools are added,
        // with what the user set here; the plan's tool command brings its
        // panel back.
        {&CTurnPanel::addToolButton,
         [](CTurnPanel& p, PropertyControl&, int) {
             p.ApplyToTurn();
             WaitingTurn = p.GetOriginalTurn();
             p.OnButtonClick(kPanelButtonCancel);
             PostHostCommand(kPlanDataCommand);
         }},
    };
    DispatchControlEvent(kRows, *this, control, id);
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
