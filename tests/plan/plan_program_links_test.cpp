// The plan's answers to the NC program, and the installed script
// post-processor run through them from the plan's temporary folder.
#include <filesystem>

#include "../post/program_links_stand_in.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/text_file.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "post/python_run.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class PlanProgramLinksTest : public test::PlanTest {};

TEST_F(PlanProgramLinksTest, TheLinksAnswerForThePlanThereIs) {
    ProgramPlanLinks* links = GetProgramPlanLinks();
    ASSERT_NE(links, nullptr);
    EXPECT_TRUE(links->TemporaryDirectory().empty());
    EXPECT_EQ(links->PostProcessor(), nullptr);
    EXPECT_EQ(ExistingSPID(), nullptr);  // asking makes no plan

    CSPID* plan = GetSPID();
    CPostProcessor post("P", "P.py3");
    plan->SetPostProcessor(&post);
    EXPECT_EQ(links->TemporaryDirectory(), fs::path(plan->sessionDirectory));
    EXPECT_EQ(links->PostProcessor(), &post);
    plan->SetPostProcessor(nullptr);
}

TEST_F(PlanProgramLinksTest, TheInstalledScriptPostProcessorConvertsTheProgram) {
    SetModuleDirectory(fs::path(test::FixturePath("../..")));
    SettingsRecord::Global().SetDefaults();
    CSPID* plan = GetSPID();
    plan->sNamePostProcessor = "ISO_Python";
    plan->CheckPostProcessor();
    ASSERT_NE(plan->GetPostProcessor(), nullptr);
    ASSERT_EQ(plan->GetPostProcessor()->GetCncCodes(), (Lines{"ISO-DIAMETER", "ISO-RADIUS"}));

    const Lines intermediate{" (Вал)", " N001  G00  X40 Z2", " N002  G01  Z-10 F0.2", " N003  M05"};
    ASSERT_TRUE(WriteTextFile(fs::path(plan->sessionDirectory) / kInputFileName, intermediate, TextEncoding::Cp1251,
                              LineEnd::CrLf)
                    .ok);
    CPROGRAM program;
    program.indCODE = 1;
    ListControl output;
    ListControl messages;
    ASSERT_TRUE(program.RunPostProcessor(&output, &messages));
    EXPECT_EQ(output.Lines(), (Lines{"%", "(Вал)", "N0005 G00  X20 Z2", "N0010 G01  Z-10 F0.2", "N0015 M05", "%"}));
    EXPECT_EQ(messages.Lines(), Lines{"ISO_Python: 3 blocks, coding 1, units mm"});

    test::NumberedMoves moves(program);
    program.ReadPathFile();
    ASSERT_EQ(moves.cut.SubFrames().size(), 1u);
    EXPECT_DOUBLE_EQ(moves.cut.SubFrames()[0]->end.z, -10.0);
    EXPECT_EQ(moves.rapid.SubFrames().size(), 1u);
}

}  // namespace
}  // namespace zarvento
