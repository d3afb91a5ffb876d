// The operation panels' registrations.
#include "operation_panels/operation_panels_layer.h"

#include "operation_panels/turn_panel.h"
#include "operation_panels/turn_panel_drill.h"
#include "operation_panels/turn_panel_kanavka.h"
#include "operation_panels/turn_panel_kontur.h"
#include "operation_panels/turn_panel_mnogo_prohod.h"
#include "operation_panels/turn_panel_otrezka.h"
#include "operation_panels/turn_panel_plashka.h"
#include "operation_panels/turn_panel_threading.h"
#include "simulation/simulation_layer.h"

namespace zarvento {

namespace {
// An operation of no kind has the plain panel; the kinds without a panel of
// their own keep the plan's panel model.
constexpr std::int32_t kNoKind = 0;
}  // namespace

void RegisterOperationPanelsLayer() {
    RegisterSimulationLayer();
    SetTurnEditor(kNoKind, &CTurnPanel::EditPlain);
    SetTurnEditor(kTurnTHREADING, &CTurnPanelTHREADING::Edit);
    SetTurnEditor(kTurnPLASHKA, &CTurnPanelPLASHKA::Edit);
    SetTurnEditor(kTurnOTREZKA, &CTurnPanelOTREZKA::Edit);
    SetTurnEditor(kTurnMnogoProhod, &CTurnPanelMnogoProhod::Edit);
    SetTurnEditor(kTurnDRILL, &CTurnPanelDRILL::Edit);
    SetTurnEditor(kTurnKANAVKA, &CTurnPanelKANAVKA::Edit);
    SetTurnEditor(kTurnKONTUR, &CTurnPanelKONTUR::Edit);
}

void UnregisterOperationPanelsLayer() {
    if (GetTurnEditor(kNoKind) == &CTurnPanel::EditPlain) SetTurnEditor(kNoKind, nullptr);
    if (GetTurnEditor(kTurnTHREADING) == &CTurnPanelTHREADING::Edit) SetTurnEditor(kTurnTHREADING, nullptr);
    if (GetTurnEditor(kTurnPLASHKA) == &CTurnPanelPLASHKA::Edit) SetTurnEditor(kTurnPLASHKA, nullptr);
    if (GetTurnEditor(kTurnOTREZKA) == &CTurnPanelOTREZKA::Edit) SetTurnEditor(kTurnOTREZKA, nullptr);
    if (GetTurnEditor(kTurnMnogoProhod) == &CTurnPanelMnogoProhod::Edit) SetTurnEditor(kTurnMnogoProhod, nullptr);
    if (GetTurnEditor(kTurnDRILL) == &CTurnPanelDRILL::Edit) SetTurnEditor(kTurnDRILL, nullptr);
    if (GetTurnEditor(kTurnKANAVKA) == &CTurnPanelKANAVKA::Edit) SetTurnEditor(kTurnKANAVKA, nullptr);
    if (GetTurnEditor(kTurnKONTUR) == &CTurnPanelKONTUR::Edit) SetTurnEditor(kTurnKONTUR, nullptr);
}

}  // namespace zarvento
