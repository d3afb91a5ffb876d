// The panels' tables of control events: the row of the control an event came
// from runs, with the event's arguments; a control no row names, and a row
// whose control is not made yet, leave the event to what follows the table.
#include <gtest/gtest.h>

#include <string>

#include "panels/control_events.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento::test {
namespace {

struct ProbePanel {
    PropertyControl* speedField = nullptr;
    PropertyControl* runGroup = nullptr;
    PropertyControl* notMadeYet = nullptr;
    std::string log;
};

constexpr ControlEvents<ProbePanel> kValues[] = {
    {&ProbePanel::notMadeYet, [](ProbePanel& p, PropertyControl&) { p.log += "not made;"; }},
    {&ProbePanel::speedField, [](ProbePanel& p, PropertyControl& c) { p.log += "speed " + c.Caption() + ";"; }},
    {&ProbePanel::runGroup, [](ProbePanel& p, PropertyControl&) { p.log += "run;"; }},
};

constexpr ControlEvents<ProbePanel, int> kCommands[] = {
    {&ProbePanel::runGroup,
     [](ProbePanel& p, PropertyControl&, int id) { p.log += "run " + std::to_string(id) + ";"; }},
};

TEST(ControlEventsTest, TheRowOfTheControlRunsAndNoOtherEventIsTaken) {
    PropertyManager manager;
    PropertyTab& tab = manager.AddTab("Tab");
    ProbePanel panel;
    panel.speedField = &tab.AddControl(PropertyControlKind::RealEdit);
    panel.speedField->SetCaption("field");
    panel.runGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
    PropertyControl& stranger = tab.AddControl(PropertyControlKind::CheckBox);

    EXPECT_TRUE(DispatchControlEvent(kValues, panel, *panel.speedField));
    EXPECT_TRUE(DispatchControlEvent(kValues, panel, *panel.runGroup));
    EXPECT_TRUE(DispatchControlEvent(kCommands, panel, *panel.runGroup, 7));
    EXPECT_EQ(panel.log, "speed field;run;run 7;");

    // A control without a row, in a table or at all, is no event of the table.
    panel.log.clear();
    EXPECT_FALSE(DispatchControlEvent(kValues, panel, stranger));
    EXPECT_FALSE(DispatchControlEvent(kCommands, panel, *panel.speedField, 1));
    EXPECT_EQ(panel.log, "");

    // The rows read the members at the event: a control made again is found.
    PropertyControl& remade = tab.AddControl(PropertyControlKind::RealEdit);
    remade.SetCaption("remade");
    EXPECT_FALSE(DispatchControlEvent(kValues, panel, remade));
    panel.speedField = &remade;
    EXPECT_TRUE(DispatchControlEvent(kValues, panel, remade));
    EXPECT_EQ(panel.log, "speed remade;");
}

}  // namespace
}  // namespace zarvento::test
