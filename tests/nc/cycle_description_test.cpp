// Cycle definitions read from the older description blocks, and groups that
// copy their members from the installed post-processor's definitions.
#include <string>

#include "cycle_test_support.h"
#include "nc/cycle_auto.h"
#include "test_support.h"

namespace zarvento {
namespace {

class CycleDescriptionTest : public test::CleanStateTest {};

TEST_F(CycleDescriptionTest, HeaderKeysAndParameters) {
    CCycle_Auto c;
    c.ReadCycleDescription(
        "G700EL\n"
        "NAME \"Multi pass\"\n"
        "TYPE Turning\n"
        "COMMENT \"two\r\nlines\"\n"
        "PARAMETERS\n"
        "P1 O \"Depth\" 1.5\n"
        "P2 A \"Auto\"\n"
        "P3 OD \"Tool\" 2\n"
        "P4 OP x 3\n"
        "P5 Z \"unknown kind\" 4\n"
        "P6 D \"kind D\" 5\n"
        "P7 R \"read only\" 6\n");
    EXPECT_EQ(c.gcode, "G700EL");
    EXPECT_EQ(c.cycleName, "Multi pass");
    EXPECT_EQ(c.cycleType, "Turning");
    EXPECT_EQ(c.comment, "two\nlines");  // a carriage return inside quotes is dropped
    EXPECT_EQ(c.toolDemands, " ");
    EXPECT_EQ(c.profilDemands, " ");
    EXPECT_EQ(c.trajectory, " ");
    ASSERT_EQ(c.paramCount, 7);
    struct Expected {
        const char* name;
        char kind;
        const char* caption;
        const char* value;
    };
    const Expected rows[] = {{"P1", 'O', "Depth", "1.5"},  {"P2", 'A', "Auto", ""},          {"P3", 'K', "Tool", "2"},
                             {"P4", '1', "x", "3"},        {"P5", 's', "unknown kind", "4"}, {"P6", 'D', "kind D", "5"},
                             {"P7", 'R', "read only", "6"}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(c.params[i].name, rows[i].name);
        EXPECT_EQ(c.params[i].kind, rows[i].kind) << rows[i].name;
        EXPECT_EQ(c.params[i].caption, rows[i].caption);
        EXPECT_EQ(c.params[i].valueText, rows[i].value);
    }
}

TEST_F(CycleDescriptionTest, TokensAtTheEdges) {
    CCycle_Auto c;
    // A final token with no terminator is not read; a long token is cut to 1023 characters.
    const std::string longName(1500, 'N');
    c.ReadCycleDescription("G1 NAME " + longName + " TYPE Drilling");
    EXPECT_EQ(c.gcode, "G1");
    EXPECT_EQ(c.cycleName, longName.substr(0, 1023));
    EXPECT_EQ(c.cycleType, "TYPE");  // its value was never terminated

    // A quote that closes inside a token keeps the token running to the next blank.
    CCycle_Auto q;
    q.ReadCycleDescription("G2 NAME \"a b\"c  COMMENT \"\" \n");
    EXPECT_EQ(q.cycleName, "a bc");
    EXPECT_EQ(q.comment, "");  // "" is a token: an explicitly empty value

    // Cyrillic characters count as one each.
    const std::string cyr = [] {
        std::string s;
        for (int i = 0; i < 1100; ++i) s += "ж";
        return s;
    }();
    CCycle_Auto r;
    r.ReadCycleDescription("G3 NAME " + cyr + "\n");
    EXPECT_EQ(r.cycleName.size(), 1023u * 2);
}

TEST_F(CycleDescriptionTest, ListsAndTheOverflowMessage) {
    CCycle_Auto c;
    c.ReadCycleDescription("G5\nPARAMETERS\nP1 O \"choice\" 1\nbegin_list a \"b c\" d end_list\nP2 D \"next\"\n");
    ASSERT_EQ(c.paramCount, 2);
    EXPECT_EQ(c.params[0].listCount, 3);
    EXPECT_EQ(c.params[0].listTexts[1], "b c");
    EXPECT_EQ(c.params[1].name, "P2");
    EXPECT_TRUE(Messages().empty());

    std::string block = "G6\nTYPE Threading\nTOOL_DEMANDS Tap\nPARAMETERS\nP1 O \"choice\"\nbegin_list\n";
    for (int i = 0; i < 21; ++i) block += "e" + std::to_string(i) + "\n";
    block += "end_list\nP2 O \"after\" 1\n";
    CCycle_Auto o;
    o.ReadCycleDescription(block);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Переполнение списка для цикла G6.\nОшибка постпроцессора"});
    EXPECT_EQ(o.params[0].listCount, 20);
    EXPECT_EQ(o.paramCount, 1);           // reading ended at the overflow
    EXPECT_EQ(o.cycleType, "Threading");  // and the closing steps did not run
}

TEST_F(CycleDescriptionTest, ParameterSectionEndsAtForty) {
    std::string block = "G7\nPARAMETERS\n";
    for (int i = 0; i < 42; ++i) block += "P" + std::to_string(i) + " O c" + std::to_string(i) + "\n";
    block += "NAME late\nPARAMETERS\nX O again\n";  // a second section finds no free slot
    CCycle_Auto c;
    c.ReadCycleDescription(block);
    EXPECT_EQ(c.paramCount, 40);
    EXPECT_EQ(c.params[39].name, "P39");
    EXPECT_EQ(c.cycleName, "late");
}

TEST_F(CycleDescriptionTest, ProfileDemandsAndThreadingKinds) {
    struct Case {
        const char* demands;
        const char* swapped;
    };
    const Case cases[] = {{"X(<10", "X(>10"}, {"a=>b", "a=<b"}, {"a<b", "a<b"}, {"(<<", "(>>"}, {"x>=1", "x>=1"}};
    for (const Case& k : cases) {
        CCycle_Auto c;
        c.ReadCycleDescription(std::string("G8 PROFIL_DEMANDS ") + k.demands + "\n");
        EXPECT_EQ(c.profilDemands, k.swapped) << k.demands;
    }
    struct Kind {
        const char* tool;
        const char* type;
    };
    const Kind kinds[] = {{"Chisel", "Threading_Chisel"},
                          {"Die", "Threading_Tap_Die"},
                          {"Tap", "Threading_Tap_Die"},
                          {"Drill", "Threading"}};
    for (const Kind& k : kinds) {
        CCycle_Auto c;
        c.ReadCycleDescription(std::string("G9 TYPE Threading TOOL_DEMANDS ") + k.tool + "\n");
        EXPECT_EQ(c.cycleType, k.type) << k.tool;
    }
}

TEST_F(CycleDescriptionTest, GroupCopiesItsMembersFromTheInstalledPostProcessor) {
    test::FakePostProcessors pps;
    CCycle_Auto& g1 = pps.AddDefinition("Fanuc", "G1 TRAJECTORY own1 PARAMETERS\nA O \"a\" 1\n");
    pps.AddDefinition("Fanuc", "G2 TRAJECTORY own2 PARAMETERS\nB O \"b\" 2\n");
    CCycle_Auto& group = pps.AddDefinition(
        "Fanuc", "GR TRAJECTORY grp PARAMETERS\nG1 O \"first\"\nG2 O \"second\"\nG9 O \"none\"\n", true);
    group.CreateGroupCycles();
    ASSERT_EQ(group.members.size(), 3u);
    EXPECT_EQ(group.members[0]->gcode, "G1");
    EXPECT_EQ(group.members[0]->params[0].valueText, "1");
    EXPECT_EQ(group.members[1]->params[0].name, "B");
    EXPECT_EQ(group.members[2]->gcode, "");  // no definition: an empty member
    EXPECT_NE(group.members[0].get(), &g1);
    // PROFIL_DEMANDS " ": the members keep their own TRAJECTORY.
    EXPECT_EQ(group.members[0]->trajectory, "own1");

    group.profilDemands = "D>1";
    group.CreateGroupCycles();
    ASSERT_EQ(group.members.size(), 3u);
    EXPECT_EQ(group.members[0]->trajectory, "grp");
    EXPECT_EQ(group.members[1]->trajectory, "grp");

    // Another post-processor's name, or no group flag: nothing happens.
    group.SetPostProcessorName("Sinumerik");
    group.CreateGroupCycles();
    EXPECT_EQ(group.members.size(), 3u);
    CCycle_Auto& single = pps.AddDefinition("Fanuc", "G3 PARAMETERS\nG1 O \"x\"\n");
    single.CreateGroupCycles();
    EXPECT_TRUE(single.members.empty());
}

TEST_F(CycleDescriptionTest, AGroupNamingItselfDoesNotCopyItself) {
    test::FakePostProcessors pps;
    CCycle_Auto& group = pps.AddDefinition("P", "GR PARAMETERS\nGR O \"self\"\n", true);
    group.CreateGroupCycles();
    ASSERT_EQ(group.members.size(), 1u);
    EXPECT_EQ(group.members[0]->gcode, "");
}

}  // namespace
}  // namespace zarvento
