// CTurnPanelMnogoProhod: the panel of the multi-pass operation. Besides the
// common tabs it offers the two cycles in elementary moves (turning and
// groove) or the post-processor's, the approach and overrun lengths, the
// feed-direction reversal, the clean-up pass and the caption rule, and takes
// the plan angles from the tool when the turning cycle's dialog opens
// (command 307).
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_mnogo_prohod.h"

namespace zarvento {

class CTurnPanelMnogoProhod : public TurnKindPanel<CTurnMnogoProhod> {
public:
    // Items of the cycle list in elementary moves, as the user sees them.
    static constexpr const char* kTurningCycleItem = "Многопроходный токарный цикл  ";
    static constexpr const char* kGrooveCycleItem = "Многопроходная канавка";
    static constexpr const char* kTurningName = "Многопроходная";
    static constexpr const char* kGrooveName = "Канавка многопроходная";
    static constexpr int kHelpTopic = 72000;
    // The reversal box's images: unchecked, checked, disabled.
    static constexpr int kReversalOff = 10132, kReversalOn = 10131;

    explicit CTurnPanelMnogoProhod(CTurnMnogoProhod& operation) : TurnKindPanel<CTurnMnogoProhod>(operation) {}

    // Runs the panel on a multi-pass operation: 1 after OK. In a script the
    // panel runs when its steps wait (`panel turn ... end`); otherwise the
    // plan's panel model answers the operation whole, as before.
    static int Edit(CTurn& turn);

    // ---- hooks ----
    void FillOperationKinds() override;
    void CreateParametersTab() override;
    void CreateCycleList() override;
    void UpdateCaption() override;
    void OnCycleDialogCommand(CycleDialogView& dialog, int id) override;

    // ---- the framework's ----
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;
    bool OnChangeTab(int tabIndex) override;
    bool OnTabStateChanged(int tabIndex) override;

    // The overrun, clean-up and reversal controls by the scheme, the cycle
    // and what the last path calculation left.
    void UpdatePassControls();

    // ---- the kind's controls (owned by the host's tab; null until made) ----
    PropertyControl *reversalBox = nullptr, *approachField = nullptr, *overrunField = nullptr, *cleanUpBox = nullptr,
                    *finishingButton = nullptr;

private:
    // The strategy tab opened: the pass controls by the last calculation.
    void StrategyTabOpened();
    // The scheme list and the cycle list; false for any other control.
    bool ChangeCycleChoice(PropertyControl& control);
    // The dialog of the cycle the scheme and cycle lists chose.
    void EditCycle();
};

}  // namespace zarvento
