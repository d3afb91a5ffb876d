// The operation base: the factory of the seven kinds, the record of a
// position, and the road from a plan of operations to its frames.
#include "geometry/contour_script.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_kontur.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_otrezka.h"
#include "operations/turn_plashka.h"
#include "operations/turn_threading.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

class TurnTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
        RegisterTurnFactory();
    }
    static bool RecordExists(int position) {
        StorageRecord record;
        return record.OpenRead(CTurn::RecordName(position));
    }

    test::TempDir folder;
    HostApplication* app = nullptr;
    HostDocumentPtr part;
};

template <class T>
bool Is(PlanTurn* op) {
    return dynamic_cast<T*>(op) != nullptr;
}

TEST_F(TurnTest, FactoryBuildsEachKindAsItsOwnClass) {
    bool (*const checks[])(PlanTurn*) = {Is<CTurnMnogoProhod>, Is<CTurnKONTUR>,  Is<CTurnKANAVKA>, Is<CTurnDRILL>,
                                         Is<CTurnTHREADING>,   Is<CTurnPLASHKA>, Is<CTurnOTREZKA>};
    for (int type = 1; type <= 7; ++type) {
        SCOPED_TRACE(type);
        std::unique_ptr<PlanTurn> op = CPLAN::CreateTurnClass(type);
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(op->kind, type);
        for (int other = 1; other <= 7; ++other) EXPECT_EQ(checks[other - 1](op.get()), other == type);
        // The operation's variables lead to the plan's.
        EXPECT_EQ(static_cast<CTurn&>(*op).Parameters().parent, &GetPLAN()->PlanParameters());
    }
    EXPECT_EQ(CPLAN::CreateTurnClass(0), nullptr);
    EXPECT_EQ(CPLAN::CreateTurnClass(8), nullptr);
}

TEST_F(TurnTest, RecordsFollowPositionsAndRemovalDropsTheLast) {
    CPLAN& plan = *GetPLAN();
    // The operations keep their choice over the part contour; without one
    // an operation stores nothing.
    std::string error;
    GetSPID()->pDetailContour = ParseContourScript("LineSeg( 5,-20, -30,-20, 1 );\n", &error);
    ASSERT_NE(GetSPID()->pDetailContour, nullptr) << error;
    for (int type : {1, 4, 7}) {
        std::unique_ptr<PlanTurn> op = CPLAN::CreateTurnClass(type);
        static_cast<CTurn&>(*op).sNameTurn = "Обработка " + std::to_string(type);
        plan.InsertTurn(-1, std::move(op));
    }
    plan.GetTurn(1)->isExclude = true;
    for (int k = 0; k < 3; ++k) plan.GetTurn(k)->Save(k);
    ASSERT_TRUE(RecordExists(2));

    std::unique_ptr<PlanTurn> copy = CPLAN::CreateTurnClass(4);
    copy->Load(1);
    EXPECT_EQ(copy->GetNameTurn(), "Обработка 4");
    EXPECT_TRUE(copy->isExclude);

    plan.RemoveTurn(plan.GetTurn(0));
    EXPECT_TRUE(RecordExists(0));
    EXPECT_TRUE(RecordExists(1));
    EXPECT_FALSE(RecordExists(2));
    EXPECT_EQ(plan.GetTurn(0)->GetNameTurn(), "Обработка 4");
}

// A stand-in operation: a tool change from the previous active tool, then
// one feed move; excluded, it makes nothing. It replaces the whole
// recalculation, so no contour or diagnosis of the base takes part.
class ToolMoveTurn : public CTurn {
public:
    ToolMoveTurn(int toolPosition, double z) : tool(toolPosition), targetZ(z) {}
    void DiagnosticRaschetPath(int position) override {
        index = position;
        ReleaseFrames();
        if (isExclude) return;
        const int previous = ModalState.previousTool;
        AddFrame(std::make_unique<CCadre_T>(tool, tool + 1.0, previous + 1.0, previous < 0));
        AddFrame(std::make_unique<CCadre_LineG01>(-10.0, 0.0, -10.0, targetZ, 0.2, false));
    }
    int tool;
    double targetZ;
};

TEST_F(TurnTest, FramesOfThePlanComeInPlanOrderFromTheActiveOperations) {
    CPLAN& plan = *GetPLAN();
    const int tools[] = {0, 2, 1, 3};
    for (int k = 0; k < 4; ++k) plan.InsertTurn(-1, std::make_unique<ToolMoveTurn>(tools[k], -10.0 * (k + 1)));
    plan.GetTurn(1)->isExclude = true;
    plan.GetTurn(3)->messageText = "Не определен контур инструмента";
    ModalState.previousTool = 5;
    plan.DiagnosticRaschetPath();

    const std::vector<CCadreISO*> frames = plan.CollectProgramFrames();
    ASSERT_EQ(frames.size(), 4u) << "the excluded and the failing operation give none";
    auto* first = dynamic_cast<CCadre_T*>(frames[0]);
    auto* second = dynamic_cast<CCadre_T*>(frames[2]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(dynamic_cast<CCadre_LineG01*>(frames[1]), nullptr);
    EXPECT_NE(dynamic_cast<CCadre_LineG01*>(frames[3]), nullptr);
    EXPECT_EQ(first->toolValue, 1);
    EXPECT_EQ(first->previousToolValue, 0) << "the recalculation starts with no tool";
    EXPECT_TRUE(first->firstTool);
    EXPECT_EQ(second->toolValue, 2);
    EXPECT_EQ(second->previousToolValue, 1) << "the excluded operation changes no tool";
    EXPECT_EQ(frames[0]->operation, plan.GetTurn(0));
    EXPECT_EQ(frames[3]->operation, plan.GetTurn(2));
    EXPECT_EQ(frames[3]->end.z, -30);
    double t = 0;
    ASSERT_TRUE(frames[1]->EvaluateFormula("_NPOS+0", t)) << "frame variables reach the plan's";
    EXPECT_EQ(t, 8);

    std::vector<std::string> lines;
    int number = 1;
    for (CCadreISO* frame : frames) number = frame->WriteText(lines, number);
    ASSERT_FALSE(lines.empty());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    EXPECT_LT(text.find("T1"), text.find("T2")) << text;
    EXPECT_NE(text.find("G01"), std::string::npos) << text;
}

}  // namespace
}  // namespace zarvento
