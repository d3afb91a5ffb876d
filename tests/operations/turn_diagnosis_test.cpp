// Recalculation and diagnosis of an operation: the message forms, which
// message stands, reports shown only outside a recalculation, the
// working-contour checks, the final contour, and the post-processor hand-over.
#include <gtest/gtest.h>

#include "geometry/line_unit.h"
#include "nc/cycle_auto.h"
#include "operations/turn_kontur.h"
#include "operations_test_support.h"
#include "plan/plan_tree.h"
#include "platform/core/messages.h"
#include "platform/documents/host_documents.h"

namespace zarvento {
namespace {

class TurnDiagnosisTest : public test::OperationTest {
protected:
    CTurn& Probe(const std::string& script = test::kStepProfile) {
        return runner->Add(std::make_unique<test::ProbeTurn>(), script, [](CTurn& o) { o.nToolPosition = 0; });
    }
};

TEST_F(TurnDiagnosisTest, ErrorAndWarningForms) {
    CTurn& op = Probe();
    op.ReportError("текст");
    EXPECT_EQ(op.messageText, "Ошибка:\nтекст");
    op.ReportWarning("текст");
    EXPECT_EQ(op.messageText, "Предупреждение\nтекст");
    // Outside a recalculation each report is shown, with the caption.
    ASSERT_EQ(Entries().size(), 2u);
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].text, "Ошибка:\nтекст");
    EXPECT_EQ(Entries()[1].text, "Предупреждение\nтекст");
}

TEST_F(TurnDiagnosisTest, ReportsDuringARecalculationAreKeptNotShown) {
    CTurn& op = Probe();
    op.tableWorkContour.reset();
    runner->Run();
    EXPECT_EQ(op.messageText, "Ошибка:\nНе задан рабочий контур");
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(op.isSilent);
}

TEST_F(TurnDiagnosisTest, WhichMessageStands) {
    struct Case {
        const char* name;
        std::function<void(CTurn&)> change;
        const char* message;
        bool framesBuilt;
    };
    const Case cases[] = {
        {"zero feed", [](CTurn& o) { o.Spod = 0; }, "Не заданы режимы резания", true},
        {"zero cutting speed", [](CTurn& o) { o.isVconst = true, o.Vconst = 0; }, "Не заданы режимы резания", true},
        {"a path error replaces the cutting data's",
         [](CTurn& o) {
             o.Spod = 0;
             o.tableWorkContour.reset();
         },
         "Ошибка:\nНе задан рабочий контур", false},
        {"a working contour of zero length",
         [](CTurn& o) { o.tableWorkContour = test::OperationRunner::Parse("LineSeg( 1,-20, 1,-20, 1 );"); },
         "Ошибка:\nНе задан рабочий контур", false},
        {"self-crossing",
         [](CTurn& o) {
             o.tableWorkContour = test::OperationRunner::Parse(
                 "LineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -30,-20, -10,-30, 1 );\nLineSeg( -10,-30, -10,-10, 1 );");
         },
         "Ошибка:\nРабочий контур не должен самопересекаться", false},
        {"broken",
         [](CTurn& o) {
             o.tableWorkContour =
                 test::OperationRunner::Parse("LineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -31,-20, -31,-30, 1 );");
         },
         "Ошибка:\nУ звеньев рабочего контура не совпадают узлы", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurn& op = Probe();
        c.change(op);
        runner->Run();
        EXPECT_EQ(op.messageText, c.message);
        EXPECT_FALSE(op.IsActive());
        EXPECT_EQ(op.Frames().empty(), !c.framesBuilt);
    }
}

TEST_F(TurnDiagnosisTest, NoStockAndNoEarlierOperationGiveTheTwoLineText) {
    runner->Bar(60, 50, 60, 2);  // a bore wider than the bar: no stock
    CTurn& op = Probe();
    runner->Run();
    EXPECT_EQ(op.messageText,
              "Не определен контур предыдущей обработки.\nПроверьте контур заготовки или результат предыдущей "
              "обработки.");
    EXPECT_TRUE(op.Frames().empty());
}

TEST_F(TurnDiagnosisTest, LostLinksOfBothChoicesLeaveTheSourceText) {
    // A part contour whose chosen units have no host object behind them.
    auto part = test::OperationRunner::Parse(test::kStepProfile);
    for (int i = 0; i < part->Count(); ++i) part->GetUnit(i)->Selected = true;
    GetSPID()->pDetailContour = std::move(part);
    CTurn& op = Probe();
    runner->Run();
    EXPECT_EQ(op.messageText, "Потеряна связь исходного контура с опорной поверхностью");
    op.sourceChoice.reset();
    runner->Run();
    EXPECT_EQ(op.messageText, "Потеряна связь контура обработки с опорной поверхностью");
}

TEST_F(TurnDiagnosisTest, LostPartAndExcludedOperation) {
    CTurn& op = Probe();
    runner->Run();
    const std::size_t frames = op.Frames().size();
    op.isExclude = true;
    op.messageText = "старое";
    runner->Run();
    EXPECT_EQ(op.messageText, "старое") << "an excluded operation is left as it was";
    EXPECT_EQ(op.Frames().size(), frames);

    op.isExclude = false;
    app->Documents().Close(part);
    part.reset();
    op.DiagnosticRaschetPath(0);
    EXPECT_EQ(op.messageText, "Ошибка:\nПотеряна связь с деталью");
}

TEST_F(TurnDiagnosisTest, FinalContourIsTheStockLessTheMachinedRegionAndFeedsTheNext) {
    CTurn& first = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) { o.nToolPosition = 0; });
    CTurn& second = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) { o.nToolPosition = 0; });
    runner->Run();
    ASSERT_TRUE(first.IsActive()) << first.messageText;
    ASSERT_NE(first.finalContour, nullptr);
    const Contour& done = *first.finalContour;
    EXPECT_TRUE(done.IsPointInside(-10, -5));
    EXPECT_TRUE(done.IsPointInside(-40, -24));
    EXPECT_FALSE(done.IsPointInside(-10, -22)) << "the turned step is gone";
    EXPECT_FALSE(done.DetermineDirection());
    double x = 0, z = 0;
    done.GetStartPoint(x, z);
    EXPECT_NEAR(z, -58, 1e-9) << "the start is at the least z";
    ASSERT_NE(second.prevFinalContour, nullptr);
    EXPECT_EQ(ContourScriptText(*second.prevFinalContour), ContourScriptText(done));
    // Kinds 2 and 7 machine along the working contour itself.
    ASSERT_EQ(first.calc.regionList.size(), 1u);
    EXPECT_EQ(ContourScriptText(*first.calc.regionList[0]),
              ContourScriptText(*test::OperationRunner::Parse(test::kStepProfile)));
}

TEST_F(TurnDiagnosisTest, AnOperationWithAMessagePassesItsSourceOn) {
    CTurn& op = Probe();
    op.Spod = 0;
    runner->Run();
    ASSERT_TRUE(op.HasMessage());
    ASSERT_NE(op.finalContour, nullptr);
    EXPECT_EQ(ContourScriptText(*op.finalContour), ContourScriptText(*op.sourceContour));
}

TEST_F(TurnDiagnosisTest, MissingCycleParametersWarnAndThePathGoesOn) {
    CPostProcessor post("Станок", "");
    auto cycle = std::make_unique<CCycle_Auto>();
    cycle->SetType("Turning");
    cycle->SetGCode("G71");
    cycle->AddParamDouble("P1", 0.0, "Шаг");
    cycle->FindParam("P1")->kind = 'K';
    post.AddCycleDefinition(std::move(cycle));
    CTurn& op = Probe();
    op.SetPostProcessorData(&post);
    op.indShema = 1;
    runner->Run();
    EXPECT_EQ(op.messageText,
              "Предупреждение\nНе заданы обязательные параметры цикла G71:\nP1\nПостпроцессор может выдать ошибку");
    EXPECT_FALSE(op.Frames().empty());
    EXPECT_EQ(op.GetCycleCaption(), ", [G71]");
}

TEST_F(TurnDiagnosisTest, NoPostProcessorChosenIsSafe) {
    CPostProcessor post("Станок", "");
    auto cycle = std::make_unique<CCycle_Auto>();
    cycle->SetType("Turning");
    post.AddCycleDefinition(std::move(cycle));
    CTurn& op = Probe();
    op.SetPostProcessorData(&post);
    op.indShema = 1;
    op.indCycle = 2;
    op.SetPostProcessorData(nullptr);
    EXPECT_TRUE(op.isNoCycles);
    EXPECT_EQ(op.indShema, 1) << "the choice waits for a post-processor";
    EXPECT_EQ(op.indCycle, 2);
    EXPECT_EQ(op.postProcessor.GetName(), "Станок");
    runner->Run();
    EXPECT_EQ(op.indShema, 0) << "but the path is elementary meanwhile";
    op.indShema = 1;
    op.SetPostProcessorData(&post);
    EXPECT_FALSE(op.isNoCycles);
    EXPECT_EQ(op.indShema, 1);
}

TEST_F(TurnDiagnosisTest, AnotherPostProcessorSwitchesToElementaryMovesWithOneNotice) {
    CPostProcessor first("Первый", ""), second("Второй", "");
    for (CPostProcessor* p : {&first, &second}) {
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->SetType("Turning");
        p->AddCycleDefinition(std::move(cycle));
    }
    CTurn& a = Probe();
    CTurn& b = Probe();
    for (CTurn* op : {&a, &b}) {
        op->SetPostProcessorData(&first);
        op->indShema = 1;
        op->indCycle = 1;
    }
    MessageLog::Instance().Clear();
    ArmPostProcessorChangeNotice();
    a.SetPostProcessorData(&second);
    b.SetPostProcessorData(&second);
    EXPECT_EQ(a.indShema, 0);
    EXPECT_EQ(b.indCycle, 0);
    EXPECT_EQ(b.postProcessor.GetName(), "Второй");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Постпроцессор был изменен.\nОбработки приняты в элементарных перемещениях");
}

TEST_F(TurnDiagnosisTest, TreeItemAndItsThreeLines) {
    TreeControl& tree = GetPlanTree().CreateControl();
    CTurn& op = Probe();
    CTurn& other = runner->Add(std::make_unique<test::ProbeTurn>(), test::kStepProfile, [](CTurn& o) {
        o.isVconst = true;
        o.isCorrectRadius = false;
        o.DirRcorrect = 2;
    });
    runner->Run();
    // The recalculation refreshes an item when what it shows changes: its
    // message, its tool, or the corner radius the operation takes from the
    // tool (a new operation takes it there, after its item was made).
    auto lines = [&tree](const CTurn& o) {
        std::vector<std::string> texts{tree.ItemText(o.hTreeItem)};
        for (TreeItem line : tree.Children(o.hTreeItem)) texts.push_back(tree.ItemText(line));
        return texts;
    };
    EXPECT_EQ(lines(op), (std::vector<std::string>{"Проба", "T1  Резец проходной", "S=500 об/мин, F=0.15 мм/об",
                                                   "Коррекция: r=0.8"}));
    EXPECT_EQ(lines(other), (std::vector<std::string>{"Проба", "T?  . . . . . . . . .",
                                                      "Vconst=180 м/мин, F=0.15 мм/об", "Коррекция: r=0 (G42)"}));
    // The item's image shows the state: active, with a message, excluded.
    op.kind = 2;
    const auto image = [&tree, &op] {
        EXPECT_EQ(tree.ItemSelectedImage(op.hTreeItem), tree.ItemImage(op.hTreeItem));
        return tree.ItemImage(op.hTreeItem);
    };
    op.UpdateTreeItem(tree);
    EXPECT_EQ(image(), GetTreeImageIndex(10202));
    op.messageText = "Ошибка:\nтекст";
    op.UpdateTreeItem(tree);
    EXPECT_EQ(image(), GetTreeImageIndex(10402));
    op.isExclude = true;
    op.UpdateTreeItem(tree);
    EXPECT_EQ(image(), GetTreeImageIndex(10502));
    EXPECT_NE(GetTreeImageIndex(10502), GetTreeImageIndex(10402));
}

}  // namespace
}  // namespace zarvento
