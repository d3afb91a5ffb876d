// The simulation and check commands of a script, as the headless simulation
// panel runs them: what it reports in the panel log, the outcome it keeps,
// the fields it takes and refuses, and the program record it leaves.
#include <gtest/gtest.h>

#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/panel_script.h"
#include "simulation/headless_simulation.h"
#include "simulation_test_support.h"

namespace zarvento::test {
namespace {

class HeadlessSimulationTest : public ExamplePlanTest {
protected:
    void SetUp() override {
        ExamplePlanTest::SetUp();
        PlanExample();
        HeadlessSimulation::Instance().ClearOutcome();
    }
    void Script(const std::string& text) {
        CommandScript runner(examples / "shaft");
        runner.Run(text);
        failed = runner.CommandsFailed();
    }
    static std::vector<std::string> Notes() {
        std::vector<std::string> out;
        for (const PanelEntry& e : PanelScript::Instance().Entries())
            if (e.panel == "simulation") out.push_back(e.detail);
        return out;
    }
    static const SimulationOutcome& Outcome() { return *HeadlessSimulation::Instance().LastOutcome(); }
    int failed = 0;
};

TEST_F(HeadlessSimulationTest, TheSimulationPreCalculatesRunsAndSavesTheProgramRecordOnOK) {
    Script("answer simulation ok speed=40\nsimulate\n");
    EXPECT_EQ(failed, 0);
    ASSERT_NE(HeadlessSimulation::Instance().LastOutcome(), nullptr);
    const SimulationOutcome& outcome = Outcome();
    EXPECT_FALSE(outcome.checkMode);
    EXPECT_TRUE(outcome.preCalculated);
    EXPECT_TRUE(outcome.ran);
    EXPECT_EQ(outcome.ending, "Обработка завершена");
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(outcome.stockUnits, 18);
    const std::vector<std::string> notes = Notes();
    ASSERT_GE(notes.size(), 3u);
    EXPECT_EQ(notes[1], "pre-calculated " + std::to_string(outcome.frames) + " frames, stock 18 units");
    EXPECT_EQ(notes.back().rfind("ran ", 0), 0u) << notes.back();
    // The panel's speed went into the program's record.
    CPROGRAM program;
    ASSERT_TRUE(program.Load());
    EXPECT_EQ(program.KoffVelosity, 40.0);
    // The frames keep no stock once the panel is closed.
    for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) {
        std::vector<CCadreISO*> frames;
        GetPLAN()->GetTurn(i)->CollectFrames(frames);
        for (const CCadreISO* frame : frames) EXPECT_FALSE(frame->simulatedStock);
    }
}

TEST_F(HeadlessSimulationTest, FieldsTheSimulationCannotTakeRefuseTheAnswer) {
    for (const char* field : {"row=-1", "row=x", "speed=0", "speed=nan", "run=2", "tool=1"}) {
        SCOPED_TRACE(field);
        HeadlessSimulation::Instance().ClearOutcome();
        MessageLog::Instance().Clear();
        Script(std::string("answer simulation ok ") + field + "\nsimulate\n");
        EXPECT_EQ(failed, 1);
        EXPECT_EQ(HeadlessSimulation::Instance().LastOutcome(), nullptr) << "nothing ran";
        EXPECT_EQ(Boxes().size(), 1u);
    }
    CPROGRAM program;
    EXPECT_FALSE(program.Load()) << "a refused panel saves nothing";
}

TEST_F(HeadlessSimulationTest, APreCalculationAloneAndARunFromARow) {
    Script("answer simulation cancel run=0\nsimulate\n");
    EXPECT_TRUE(Outcome().preCalculated);
    EXPECT_FALSE(Outcome().ran);
    EXPECT_TRUE(Boxes().empty());
    const int frames = Outcome().frames;
    Script("answer simulation cancel row=60\nsimulate\n");
    EXPECT_TRUE(Outcome().ran);
    EXPECT_EQ(Outcome().frames, frames);
    EXPECT_EQ(Outcome().stockUnits, 18) << "a run from a later row starts from that frame's stock";
    CPROGRAM program;
    EXPECT_FALSE(program.Load()) << "a cancelled panel saves nothing";
}

TEST_F(HeadlessSimulationTest, TheCheckRunStartsFromThePlansStockAndWritesItsLines) {
    Script("answer simulation ok\ncheck\n");
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(SimulationCheckMode);
    EXPECT_TRUE(Outcome().checkMode);
    EXPECT_FALSE(Outcome().preCalculated);
    EXPECT_TRUE(Outcome().ran);
    const std::vector<std::string> lines = TextOutput();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("Niterations ", 0), 0u);
    EXPECT_EQ(app->ActiveDocument(), part);
    CPROGRAM program;
    EXPECT_FALSE(program.Load()) << "the check run writes no record";
    // The visualisation clears the check mode again.
    Script("answer simulation cancel run=0\nsimulate\n");
    EXPECT_FALSE(SimulationCheckMode);
}

// A cut into the part names the operation and the program's block after
// which the stock first cuts that unit: the finishing pass pushed 1 mm into
// the part, in the check run (which works the frames' stocks out for this
// alone) and in the simulation alike.
TEST_F(HeadlessSimulationTest, ACutIntoThePartNamesItsOperationAndBlock) {
    SetPathTamper([](CTurn& op) {
        if (op.index != 1) return;
        for (const auto& frame : op.Frames())
            if (!frame->rapid) frame->Move(1.0, 0.0, 0.0);
    });
    const ScopeGuard untamper([] { SetPathTamper(nullptr); });
    GetPLAN()->DiagnosticRaschetPath();
    const auto& finishing = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(1));
    std::vector<std::string> lines;
    Program(&lines);
    for (const char* command : {"check", "simulate"}) {
        SCOPED_TRACE(command);
        Script(std::string("answer simulation cancel\n") + command + "\n");
        const SimulationOutcome& outcome = Outcome();
        int cuts = 0;
        for (const SectionDeviation& d : outcome.deviations) cuts += d.cut > 0.0;
        ASSERT_GT(cuts, 0);
        ASSERT_EQ(outcome.cutSources.size(), static_cast<std::size_t>(cuts));
        for (const SimulationOutcome::CutSource& source : outcome.cutSources) {
            EXPECT_EQ(source.operation, 1) << source.unit;
            EXPECT_EQ(source.name, finishing.sNameTurn);
            // A feed move of the program as it is written.
            EXPECT_EQ(source.block.rfind('N', 0), 0u) << source.block;
            EXPECT_TRUE(source.block.find(" G01") != std::string::npos ||
                        source.block.find(" G02") != std::string::npos ||
                        source.block.find(" G03") != std::string::npos)
                << source.block;
            EXPECT_NE(std::find(lines.begin(), lines.end(), " " + source.block), lines.end()) << source.block;
        }
    }
}

}  // namespace
}  // namespace zarvento::test
