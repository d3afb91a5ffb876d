// The operation panel's base: the edit run, the panel buttons, the tab
// accordion, the picks by tab and the copy back.
#include "operation_panels/turn_panel.h"

#include "catalogs/param_tool.h"
#include "geometry/number_text.h"
#include "model/model_tess.h"
#include "operation_panels/kind_panel_support.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/pick_collection.h"
#include "platform/dialogs/pick_process.h"
#include "platform/dialogs/property_tab.h"
#include "platform/host/host_document_3d.h"
#include "platform/processes/help_calls.h"

namespace zarvento {

namespace {

// Clear while the accordion runs: collapsing tabs makes the host send
// further tab notifications into the same routine.
bool tabStatePermission = true;

}  // namespace

// The kind's name is the name a new operation of the kind has.
CTurnPanel::CTurnPanel() : CBasePanel3D(kScriptName) { kindName = sNameTurn; }

// The frames go before the contours they were made from.
CTurnPanel::~CTurnPanel() { ReleaseFrames(); }

int CTurnPanel::EditPlain(CTurn&) {
    // The plain panel has no copy hooks: it shows an operation of no kind
    // and gives nothing back.
    CTurnPanel panel;
    return panel.ShowModal() == 1 ? 1 : 0;
}

void CTurnPanel::UpdateClosingSegments() {
    if (workContour && isAutoTool) ChooseToolAutomatically();
}

void CTurnPanel::AfterInitPanel() {
    propertyManager->SetCaption(TranslateString(sNameTurn) + "\n" + propertyManager->Caption());
}

void CTurnPanel::OnClosePanel() {
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
}

bool CTurnPanel::OnButtonClick(int buttonId) {
    if (result == 1) return true;
    if (buttonId == kPanelButtonOK) {
        ApplyToTurn();
        result = 1;
    } else if (buttonId == kPanelButtonCancel) {
        result = 2;
    } else {
        if (buttonId == kPanelButtonHelp) OpenHelp(1);
        return true;
    }
    EndHostProcess(1, 0);
    return true;
}

bool CTurnPanel::OnHelp() {
    // The host asks for the topic of the control the user is on; the
    // controls of a panel all carry the kind's topic.
    int topic = 1;
    if (PropertyTab* tab = HostTab(currentTab); tab && tab->ControlCount() > 0 && tab->Control(0).HelpTopic() != 0)
        topic = tab->Control(0).HelpTopic();
    return OnHelpTopic(topic);
}

bool CTurnPanel::OnHelpTopic(int topic) {
    OpenHelp(topic);
    return true;
}

int CTurnPanel::TabNumber(int tabIndex) const {
    for (int k = 0; k < kTabCount; ++k) {
        if (tabs[static_cast<std::size_t>(k)] && tabs[static_cast<std::size_t>(k)]->Index() == tabIndex) return k + 1;
    }
    return 0;
}

PropertyTab* CTurnPanel::HostTab(int number) const {
    return number >= 1 && number <= kTabCount ? tabs[static_cast<std::size_t>(number - 1)] : nullptr;
}

bool CTurnPanel::OnChangeTab(int tabIndex) {
    const int number = TabNumber(tabIndex);
    ChangeTab(number == 0 ? kWorkingTab : number);
    return true;
}

bool CTurnPanel::OnTabStateChanged(int tabIndex) {
    if (!tabStatePermission) return true;
    int changed = 0;
    {
        tabStatePermission = false;
        const ScopeGuard running([] { tabStatePermission = true; });
        for (int k = kTabCount; k >= 1; --k) {
            const PropertyTab* tab = HostTab(k);
            if (tab && tab->Expanded() != tabOpen[static_cast<std::size_t>(k - 1)]) {
                changed = k;
                break;
            }
        }
        if (changed == 0) changed = TabNumber(tabIndex);
        if (changed == 0) changed = kWorkingTab;
        if (PropertyTab* opened = HostTab(changed); opened && opened->Expanded()) {
            for (int k = 1; k <= kTabCount; ++k) {
                if (k != changed) {
                    if (PropertyTab* other = HostTab(k)) other->SetExpanded(false);
                }
            }
        }
        for (int k = 1; k <= kTabCount; ++k) {
            const PropertyTab* tab = HostTab(k);
            tabOpen[static_cast<std::size_t>(k - 1)] = tab && tab->Expanded();
        }
    }
    if (!suppressTabNotification) ChangeTab(changed);
    return true;
}

bool CTurnPanel::FilterObject(const HostObjectPtr& object) {
    if (result != 0) return true;
    if (currentTab == kWorkingTab) return workTab.FilterObject(object);
    if (currentTab == kSourceTab && !isUsePrevContour) return sourceTab.FilterObject(object);
    return false;
}

bool CTurnPanel::OnSelectObject(const HostObjectPtr& object, const Variant&) {
    if (result != 0) return true;
    if (currentTab == kWorkingTab) return workTab.OnSelectObject(object);
    if (currentTab == kSourceTab && !isUsePrevContour) return sourceTab.OnSelectObject(object);
    return false;
}

bool CTurnPanel::OnSelectListItem(PropertyControl& control, int index, int state) {
    workTab.OnSelectListItem(control, index, state);
    sourceTab.OnSelectListItem(control, index, state);
    if (state == 1 && index >= 0 && !ownSelection) {
        if (&control == toolList) return OnToolListPick(index);
        if (&control == toolPathList) {
            const ParamTool* tool = GetTool();
            if (tool && !tool->isNoContour && !tool->sWorkFile.empty() && !frames.empty()) {
                selectedFrame = FrameOfLine(index);
                PlaceToolModel();
            }
            return true;
        }
    }
    // The lists of the second kind report the user's choice as a selection;
    // the panel's own choice of an item is no change of the user's.
    if (state == 1 && !ownSelection && control.Kind() == PropertyControlKind::ImageList) ChangeValue(control);
    return true;
}

void CTurnPanel::SelectItem(PropertyControl& control, int index) {
    const int count = static_cast<int>(control.Items().size());
    const auto restore = SetForScope(ownSelection, true);
    control.SetCurrentItem(index >= 0 && index < count ? index : -1);
}

void CTurnPanel::TakeSurfaces() {
    // The faces chosen on the tabs become the copy's choices.
    if (Contour* work = workTab.GetSurfaces(); work && work != workChoice.get())
        workChoice = Contour::ContourCopy(work);
    if (Contour* source = sourceTab.GetSurfaces(); source && source != sourceChoice.get())
        sourceChoice = Contour::ContourCopy(source);
}

void CTurnPanel::ApplyToTurn() {
    if (const CContourBuilder* builder = workTab.Builder()) {
        SposobBuildWork = builder->buildMethod;
        naprSketchW = builder->reverseFlag ? 1 : 0;
        isPripuskW = builder->isPripuskZ;
        PripuskW = builder->PripuskZ;
    }
    if (const CContourBuilder* builder = sourceTab.Builder()) {
        SposobBuildSour = builder->buildMethod;
        naprSketchS = builder->reverseFlag ? 1 : 0;
        isPripuskS = builder->isPripuskZ;
        PripuskS = builder->PripuskZ;
    }
    if (workTab.GetSketch()) pWorkSketch = workTab.GetSketch();
    if (!isUsePrevContour && sourceTab.GetSketch()) pSourSketch = sourceTab.GetSketch();
    TakeSurfaces();
    CopyToTurn();
}

void CTurnPanel::HidePath() { HideFrames(); }

int CTurnPanel::EditCycleParameters(CCycle_Auto& cycle, bool owned) {
    // Chained anew only when it is not: the frames of the last path ask
    // the cycle's provider.
    if (cycle.parentProvider != &Parameters()) cycle.SetParentParameters(&Parameters());
    // The panel owns the dialog's commands only while the dialog runs.
    const auto scope = SetForScope(cycle.ownerPanel, owned ? this : cycle.ownerPanel);
    return cycle.EditParameters();
}

int CTurnPanel::EditOperationCycle(CCycle_Auto& elementary) {
    if (indShema == 0) return EditCycleParameters(elementary, true);
    CCycle_Auto* machine = postProcessor.GetCycleOfType(typeKey, indCycle);
    return machine ? machine->EditParameters() : -1;
}

PropertyControl& CTurnPanel::AddHandList(PropertyTab& tab) {
    PropertyControl& list =
        AddKindControl(tab, PropertyControlKind::DropDownList, "Направление", "Направление витков резьбы");
    list.AddItem("правое");
    list.AddItem("левое");
    list.SetWidth(7);
    SelectItem(list, indNapr ? 1 : 0);
    return list;
}

void CTurnPanel::ShowOneElementaryCycle(const std::string& item, int width) {
    static constexpr const char* kHint = "Список циклов в элементарных движениях";
    cycleList->ClearItems();
    cycleList->AddItem(item);
    cycleList->SetHint(kHint);
    cycleList->SetTip(kHint);
    cycleList->SetWidth(width);
    SelectItem(*cycleList, 0);
}

}  // namespace zarvento
