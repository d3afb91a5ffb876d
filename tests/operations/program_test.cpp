// The NC program of a plan: its frames between head and end blocks, each
// operation behind its heading comments, with the exact lines of its text.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "nc/cadre_end.h"
#include "nc/cadre_head.h"
#include "nc/cadre_safe.h"
#include "operation_runner.h"
#include "operations_test_support.h"
#include "plan/plan_program_links.h"
#include "post/program.h"
#include "post/program_operation.h"

namespace zarvento {
namespace {

class ProgramTest : public test::OperationTest {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        part->SetFilePath((folder.Path() / "Вал.rdp").string());
        runner->Clear();
        // Active on tool 0, excluded, failing (no working contour), active on tool 1.
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& op) {
            op.sNameTurn = "Черновая";
            op.nToolPosition = 0;
        });
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& op) {
            op.sNameTurn = "Исключенная";
            op.isExclude = true;
        });
        runner->Add(std::make_unique<test::ProbeTurn>(), "", [](CTurn& op) { op.sNameTurn = "Без контура"; });
        runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& op) {
            op.sNameTurn = "Чистовая";
            op.nToolPosition = 1;
        });
    }

    std::string Text(CPROGRAM& program) {
        std::vector<std::string> lines;
        program.WriteProgramText(lines);
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }
};

constexpr const char* kGolden = R"( ( Вал )
 N001  G90 G40 G17
 (  )
 ( ================================== )
 (  Черновая )
 ( ================================== )
 (  )
 N002  T1
 N003  S500 F0.15 
 N004  M03
 N005  G00  X40 Z5 
 N006  G01  Z-30 
 N007  G01  X60 
 N008  M01
 (  )
 ( ================================== )
 (  Исключенная )
 ( ================================== )
 (  )
 ( Исключена из расчета )
 (  )
 ( ================================== )
 (  Без контура )
 ( ================================== )
 (  )
 ( Ошибка )
 (  )
 ( ================================== )
 (  Чистовая )
 ( ================================== )
 (  )
 N009  T2
 N010  S500 F0.15 
 N011  M03
 N012  G00  X40 Z5 
 N013  G01  Z-30 
 N014  G01  X60 
 N015  M01
 (  )
 N016  M05
 N017  M30
)";

template <typename T>
int CountOf(const CPROGRAM& program) {
    int n = 0;
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) n += dynamic_cast<T*>(program.frames[i]) != nullptr;
    return n;
}

TEST_F(ProgramTest, GoldenProgramOfActiveExcludedAndFailingOperations) {
    runner->Version("17").Run();
    ASSERT_TRUE(runner->Operation(2).HasMessage());
    CPROGRAM program;
    program.CreateProgram();
    EXPECT_EQ(Text(program), kGolden);
    // No head or end block before VERSION "18"; the document frames of every
    // operation but the excluded one, the failing one included.
    EXPECT_EQ(CountOf<CCadre_Head>(program), 0);
    EXPECT_EQ(CountOf<CCadre_End>(program), 0);
    EXPECT_EQ(CountOf<CCadre_Doc1>(program), 3);
    EXPECT_NE(dynamic_cast<CCadre_Doc1*>(program.frames[program.frames.Count() - 1]), nullptr);
    // From the first tool change on, every frame knows the tool it runs with.
    bool toolKnown = false;
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) {
        if (toolKnown) {
            EXPECT_NE(program.frames[i]->toolNumber, -1) << i;
        }
        toolKnown = toolKnown || program.frames[i]->toolNumber != -1;
    }
    EXPECT_EQ(program.frames[program.frames.Count() - 1]->toolNumber, 1);
}

TEST_F(ProgramTest, VersionEighteenAddsHeadAndEndBlocksWithThePlanAsTheirParent) {
    runner->Version("18").Run();
    CPROGRAM program;
    program.CreateProgram();
    ASSERT_GT(program.frames.Count(), 3u);
    EXPECT_NE(dynamic_cast<CCadre_Comment*>(program.frames[0]), nullptr);
    EXPECT_NE(dynamic_cast<CCadre_Head*>(program.frames[1]), nullptr);
    EXPECT_NE(dynamic_cast<CCadre_Safe*>(program.frames[2]), nullptr);
    CCadreISO* end = program.frames[program.frames.Count() - 1];
    ASSERT_NE(dynamic_cast<CCadre_End*>(end), nullptr);
    EXPECT_EQ(end->codeParameters->parent, &GetPLAN()->PlanParameters());
    EXPECT_EQ(program.frames[0]->codeParameters->parent, &GetPLAN()->PlanParameters());
    // Without a description the template-only blocks write nothing: the
    // lines are those of VERSION "17" apart from the operations' named blocks.
    EXPECT_EQ(Text(program), kGolden);
}

// Builds its path, then warns: an operation with a message but with frames.
class WarnedProbe : public test::ProbeTurn {
public:
    bool CreateContourPath() override {
        if (!ProbeTurn::CreateContourPath()) return false;
        ReportWarning("проверка");
        return true;
    }
};

TEST_F(ProgramTest, AnOperationWithAMessageGivesItsHeadingButNoFrames) {
    // The warned operation changes to tool 2; the one after it is linked past
    // it to the first and changes no tool, so the warned frames would leave
    // it cutting with the wrong tool.
    runner->Clear();
    runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& op) { op.nToolPosition = 0; });
    runner->Add(std::make_unique<WarnedProbe>(), test::kStepProfile, [](CTurn& op) {
        op.sNameTurn = "Предупреждение";
        op.nToolPosition = 1;
    });
    runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& op) { op.nToolPosition = 0; });
    runner->Version("17").Run();
    ASSERT_TRUE(runner->Operation(1).HasMessage());
    ASSERT_FALSE(runner->Operation(1).Frames().empty());
    CPROGRAM program;
    program.CreateProgram();
    const std::string text = Text(program);
    EXPECT_EQ(text.find("T2"), std::string::npos) << text;
    EXPECT_NE(text.find(" (  Предупреждение )\n ( ================================== )\n (  )\n ( Ошибка )\n (  )"),
              std::string::npos)
        << text;
    // Of the warned operation only its document frame.
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) {
        if (dynamic_cast<CCadre_Doc1*>(program.frames[i])) continue;
        EXPECT_NE(program.frames[i]->operation, &runner->Operation(1)) << i;
    }
    EXPECT_EQ(CountOf<CCadre_Doc1>(program), 3);
}

// A value no control reads (here a feed turned NaN after the calculation)
// once went into the program as "Fnan" with the job ending well: the
// program is refused, naming the word and the operation that wrote it.
TEST_F(ProgramTest, AWordNoControlReadsRefusesTheProgramNamingItsOperation) {
    runner->Version("17").Run();
    for (const auto& frame : runner->Operation(3).Frames()) frame->feed = std::nan("");
    CPROGRAM program;
    program.CreateProgram();
    std::vector<std::string> lines;
    EXPECT_FALSE(program.MakeProgramText(lines));
    ASSERT_FALSE(program.RefusedWords().empty());
    EXPECT_EQ(program.RefusedWords().front(), "F=nan (обработка 4 \"Чистовая\")");
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find(CPROGRAM::kRefusedWord), std::string::npos);
    EXPECT_NE(Messages().back().find("F=nan (обработка 4 \"Чистовая\")"), std::string::npos);
    // The same plan with a sane feed writes again without complaint.
    runner->Run();
    program.CreateProgram();
    program.WriteProgramText(lines);
    EXPECT_TRUE(program.RefusedWords().empty());
}

// An operation that stands in for the one an operation panel edits.
class EditedStandIn : public ProgramOperation {
public:
    bool IsActive() const override { return true; }
    void AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override {
        if (throwing) throw std::runtime_error("host failure");
        owned.push_back(std::make_unique<CCadre_Comment>("правка"));
        program.push_back(owned.back().get());
    }
    void CopyFramesTo(std::vector<CCadreISO*>& program) override { program.push_back(&move); }
    void AddDocFrame(std::vector<CCadreISO*>&, std::vector<std::unique_ptr<CCadreISO>>&) override {}

    bool throwing = false;
    CCadre_LineG01 move{-10, 0, -10, -5, 0.1, false};
};

TEST_F(ProgramTest, TheEditedOperationStandsAtItsIndexAndTheRestIsLeftOut) {
    runner->Version("17").Run();
    EditedStandIn edited;
    for (int index : {0, 1, 4, 9}) {
        CPROGRAM program;
        int first = -1;
        program.CreateProgram(&edited, index, &first);
        const std::string text = Text(program);
        ASSERT_GE(first, 0) << index;
        EXPECT_EQ(dynamic_cast<CCadre_Comment*>(program.frames[static_cast<std::uint32_t>(first)])->text, "правка");
        // Operations before it, then it, then nothing of the plan.
        EXPECT_EQ(text.find("Черновая") != std::string::npos, index >= 1) << index;
        EXPECT_EQ(text.find("Чистовая") != std::string::npos, index >= 4) << index;
        EXPECT_LT(text.find("( правка )"), text.find("M05")) << index;
        // Numbered in this program, whatever an earlier one gave the frame;
        // its X stated, since no block before it wrote that X.
        EXPECT_NE(text.find("( правка )\n N" +
                            std::string(index == 0   ? "002"
                                        : index == 1 ? "009"
                                                     : "016") +
                            "  G01  X-10 Z-5"),
                  std::string::npos)
            << text;
        EXPECT_EQ(GetPLAN()->GetTurnCount(), 4);
        // Every operation of the plan documents itself, those left out behind
        // the edited one included; the excluded one and the edited one, which
        // the plan does not hold, do not.
        EXPECT_EQ(CountOf<CCadre_Doc1>(program), 3) << index;
    }
    edited.throwing = true;
    CPROGRAM program;
    EXPECT_THROW(program.CreateProgram(&edited, 1), std::runtime_error);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 4);
}

TEST_F(ProgramTest, ReleasingTheProgramsFramesLeavesTheOperationsFrames) {
    runner->Version("18").Run();
    const std::size_t pathFrames = runner->Operation(0).Frames().size();
    CPROGRAM program;
    program.CreateProgram();
    ASSERT_FALSE(program.OwnFrames().empty());
    for (const auto& own : program.OwnFrames())
        for (const auto& path : runner->Operation(0).Frames()) EXPECT_NE(own.get(), path.get());
    program.ClearFrames();
    program.ReleaseFrames();
    EXPECT_EQ(program.frames.Count(), 0u);
    EXPECT_TRUE(program.OwnFrames().empty());
    EXPECT_EQ(runner->Operation(0).Frames().size(), pathFrames);
    // A program made twice holds one set of its own frames.
    program.CreateProgram();
    const std::size_t once = program.OwnFrames().size();
    program.CreateProgram();
    EXPECT_EQ(program.OwnFrames().size(), once);
}

TEST_F(ProgramTest, RadiusCorrectionIsOffWhileTheMachineCompensatesAndComesBackForTheOperationsLeft) {
    runner->Operation(0).DirRcorrect = 1;
    runner->Operation(3).isCorrectRadius = false;
    runner->Version("17").Run();
    {
        CPROGRAM program;
        RadiusCorrectionOff off(program);
        EXPECT_FALSE(runner->Operation(0).isCorrectRadius);
        EXPECT_TRUE(runner->Operation(1).isCorrectRadius);
        // Deleted while the program is made: fewer operations to restore.
        GetPLAN()->RemoveTurn(&runner->Operation(3));
        GetPLAN()->RemoveTurn(&runner->Operation(2));
    }
    EXPECT_TRUE(runner->Operation(0).isCorrectRadius);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
    // Nothing kept: restoring does nothing.
    CPROGRAM program;
    program.RestoreRadiusCorrection();
    EXPECT_TRUE(runner->Operation(0).isCorrectRadius);
}

}  // namespace
}  // namespace zarvento
