// The command table: every command id with the selected tree role gives its
// triples and asks for the host's post-command call or not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_support.h"
#include "plan/command_door.h"
#include "platform/processes/host_procedures.h"

namespace zarvento::test {
namespace {

using Triple = RecordedCommands::Triple;

struct Row {
    int id;
    int role;  // the selected tree role; kNoTree runs without a plan tree
    std::vector<Triple> triples;
    bool post;
};

constexpr int kNoTree = -99;
const Triple kSynchronize[] = {{-1, 21, -1}, {-1, 20, -1}};

class CommandTableTest : public HostBindingTest {};

TEST_F(CommandTableTest, EveryIdAndRoleGivesItsTriplesAndPostCommand) {
    const std::vector<Row> rows = {
        // The menu and toolbar.
        {1, kNoTree, {{-1, 0, -1}}, true},
        {2, kNoTree, {{1, 1, -1}}, true},
        {5, kNoTree, {{4, 1, -1}}, true},
        {8, kNoTree, {{7, 1, -1}}, true},
        {9, kNoTree, {{-1, 10, -1}}, true},
        {10, kNoTree, {{-1, 11, -1}}, true},
        {11, kNoTree, {{-1, 12, -1}}, true},
        {21, kNoTree, {{-1, 24, -1}}, false},
        {22, kNoTree, {{-1, 25, -1}}, false},
        {23, kNoTree, {{-1, 22, -1}, kSynchronize[0], kSynchronize[1]}, false},
        {30, kNoTree, {{-1, 30, -1}}, true},
        {50, kNoTree, {{-1, -1, -1}}, true},
        {75, kNoTree, {{-1, 75, -1}}, false},
        {111, kNoTree, {{-1, 111, -1}}, false},
        {777, kNoTree, {kSynchronize[0], kSynchronize[1]}, false},
        // The edit request by the selected item.
        {15, 1000, {{-1, 30, -1}}, false},
        {15, 0, {{-1, 30, -1}}, false},
        {15, 1, {{-1, 0, -1}}, false},
        {15, 4, {{-1, 2, 2}}, false},
        {15, kNoTree, {}, false},
        // A click on an operation; nothing selected gives index -3.
        {116, 3, {{1, 6, 1}}, false},
        {116, -1, {{1, 6, -3}}, false},
        {116, kNoTree, {}, false},
        // Insert above the selected operation (index role - 2) or below it
        // (role - 1); nothing for a negative index.
        {521, 1, {}, false},
        {521, 2, {{1, 1, 0}}, false},
        {521, 1000, {{1, 1, 998}}, false},
        {521, -1, {}, false},
        {621, 1, {{1, 1, 0}}, false},
        {621, 2, {{1, 1, 1}}, false},
        {621, 1000, {{1, 1, 999}}, false},
        {621, -1, {}, false},
        {527, 2, {{7, 1, 0}}, false},
        {627, 3, {{7, 1, 2}}, false},
        {521, kNoTree, {}, false},
        // The result model and the sketch of the operation.
        {540, 2, {{-1, 26, 0}}, false},
        {640, 2, {{-1, 26, 1}}, false},
        {541, 3, {{-1, 27, 1}}, false},
        {641, 1, {{-1, 27, 0}}, false},
        {540, 1, {}, false},
        // The rest of the tree's range does nothing.
        {528, 2, {}, false},
        {539, 2, {}, false},
        {600, 2, {}, false},
        {628, 2, {}, false},
        {700, 2, {}, false},
        {729, 2, {}, false},
        // Ids no row knows.
        {0, kNoTree, {}, false},
        {12, kNoTree, {}, false},
        {13, kNoTree, {}, false},
        {14, kNoTree, {}, false},
        {20, kNoTree, {}, false},
        {24, kNoTree, {}, false},
        {60, kNoTree, {}, false},
        {730, 2, {}, false},
    };
    RecordedCommands recorded;
    for (const Row& row : rows) {
        SCOPED_TRACE("id " + std::to_string(row.id) + ", role " + std::to_string(row.role));
        EXPECT_EQ(RunCommandTable(row.id, row.role != kNoTree, row.role), row.post);
        EXPECT_EQ(recorded.Take(), row.triples);
    }
}

TEST_F(CommandTableTest, HelpOpensTheHelpFileBeforeItsCommand) {
    RecordedCommands recorded;
    RunCommandTable(50, false, -1);
    ASSERT_EQ(HostHelpCalls().size(), 1u);
    EXPECT_EQ(HostHelpCalls()[0].command, 1);
    EXPECT_EQ(HostHelpCalls()[0].topic, 1);
}

// The script's menu statement takes exactly the ids the entry runs a command
// for, besides the rest of the tree's range.
TEST_F(CommandTableTest, TheMenuStatementTakesTheIdsTheEntryRuns) {
    RecordedCommands recorded;
    for (int id = -1; id <= 1000; ++id) {
        SCOPED_TRACE("id " + std::to_string(id));
        const bool posted = RunCommandTable(id, true, 2);
        const bool ran = !recorded.Take().empty() || posted;
        EXPECT_TRUE(!ran || IsMenuCommand(id));
        EXPECT_TRUE((id >= 521 && id <= 729) || IsMenuCommand(id) == ran);
    }
}

}  // namespace
}  // namespace zarvento::test
