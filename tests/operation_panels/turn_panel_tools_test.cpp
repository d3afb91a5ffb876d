// The operation panel's tool tab and statistics: the tool list and its
// choices, the tool's model at a picked frame, the NC preview written as the
// program writes it, and the statistics grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../operations/operations_test_support.h"
#include "catalogs/tool_model_text.h"
#include "model/model_tess.h"
#include "nc/cadre_iso.h"
#include "nc/cadre_t.h"
#include "nc/frame_templates.h"
#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_mnogo_prohod.h"
#include "panel_driver.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"
#include "platform/documents/hidden_document.h"
#include "post/program.h"

namespace zarvento::test {
namespace {

using MultiPassPanel = TurnKindPanel<CTurnMnogoProhod>;

class TurnPanelToolsTest : public OperationTest, public PanelDriver {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        for (int i : {0, 1}) {
            ParamTool& tool = *GetSPID()->GetTool(i);
            tool.sPsevName = tool.sToolName;
            // Tools of no model file: nothing to load.
            tool.isFromCatalog = false;
        }
        CreateHiddenDocument();
    }
    void TearDown() override {
        if (panel) Manager().Unsubscribe(kPropertyManagerNotifications, panel.get());
        panel.reset();
        OperationTest::TearDown();
    }

    // Each operation turns the step a millimetre deeper than the one before,
    // into what that one left.
    CTurnMnogoProhod& Add(const std::function<void(CTurnMnogoProhod&)>& setup = {}) {
        const int radius = 20 - GetPLAN()->GetTurnCount();
        const std::string r = std::to_string(radius);
        const std::string profile =
            "LineSeg( 5,-" + r + ", -30,-" + r + ", 1 );\nLineSeg( -30,-" + r + ", -30,-30, 1 );\n";
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;
            if (setup) setup(dynamic_cast<CTurnMnogoProhod&>(o));
        });
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    // The panel of `op` made and shown as the modal run shows it; the test
    // plays the user through the property manager.
    MultiPassPanel& Open(CTurnMnogoProhod& op) {
        panel = std::make_unique<MultiPassPanel>(op);
        PanelDriver::Open(*panel, &op);
        return *panel;
    }
    static std::vector<std::string> Boxes() { return MessageLog::Instance().Texts(MessageRole::MessageBox); }
    static std::vector<std::string> Items(const PropertyControl& list) {
        std::vector<std::string> out;
        for (const auto& item : list.Items()) out.push_back(item.text);
        return out;
    }
    // The lines the whole program gives the frames of plan operation `i`:
    // the program's text pass, keeping the lines of that operation's frames.
    static std::vector<std::string> ProgramSlice(int i) {
        CPROGRAM program;
        program.CreateProgram();
        const CTurn& op = static_cast<const CTurn&>(*GetPLAN()->GetTurn(i));
        ResetModalState();
        std::vector<std::string> lines, slice;
        int number = 1;
        for (std::uint32_t k = 0; k < program.frames.Count(); ++k) {
            CCadreISO* frame = program.frames[k];
            frame->templateLineCount = 0;
            frame->frameNumber = -1;
            const std::size_t before = lines.size();
            number = frame->WriteText(lines, number);
            if (frame->operation == &op)
                slice.insert(slice.end(), lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
        }
        return slice;
    }
    // A tool at `position` whose model is a file of its own.
    ParamTool& ModelTool(int position, const std::string& name) {
        const std::string path = (folder.Path() / (name + ".rdp")).string();
        ToolModelText::Convert(FixturePath("tools/body_tool.txt"), path);
        ParamTool& tool = runner->Tool(position, name, 0.8);
        tool.sPsevName = name;
        tool.isFromCatalog = false;
        tool.sFileName = path;
        return tool;
    }
    static const CTessellationObject& FirstFace(const CModelTess& model) { return *model.parts.front()->faces.front(); }

    std::unique_ptr<MultiPassPanel> panel;
};

// Row i is turret position i both ways, an empty position between two
// tools included: a pick of a row gives that position's tool.
TEST_F(TurnPanelToolsTest, RowsAreThePositionsAndAManualPickTakesThatPositionsTool) {
    GetSPID()->Npositions = 4;
    ParamTool& third = runner->Tool(2, "Резец канавочный", 0.2);
    third.isFromCatalog = false;
    third.sPsevName = "Канавочный 3мм";
    third.CorrectZ = 1.5;
    third.CorrectX = -2.5;
    runner->Tool(1, "", 0.4);  // the second position is emptied
    CTurnMnogoProhod& op = Add();
    runner->Run();
    MultiPassPanel& p = Open(op);
    EXPECT_EQ(Items(*p.toolList), (std::vector<std::string>{" Поз.1 - Резец проходной", " Поз.2 - ",
                                                            " Поз.3 - Канавочный 3мм", " Поз.4 - "}));
    ASSERT_TRUE(Manager().UserSelect(*p.toolList, 2).done);
    EXPECT_EQ(p.nToolPosition, 2);
    EXPECT_EQ(p.toolNameField->Value().ToBStr(), "Канавочный 3мм");
    EXPECT_DOUBLE_EQ(p.Rtool, 0.2);
    EXPECT_DOUBLE_EQ(p.radiusField->Value().ToR8(), 0.2);
    EXPECT_DOUBLE_EQ(p.lengthZField->Value().ToR8(), 1.5);
    EXPECT_DOUBLE_EQ(p.lengthXField->Value().ToR8(), -2.5);
    EXPECT_GT(p.RecalculationCount(), 0);
    // The empty position holds no tool: the lengths show 0, the radius stays.
    ASSERT_TRUE(Manager().UserSelect(*p.toolList, 1).done);
    EXPECT_EQ(p.nToolPosition, 1);
    EXPECT_EQ(p.toolNameField->Value().ToBStr(), "");
    EXPECT_DOUBLE_EQ(p.radiusField->Value().ToR8(), 0.2);
    EXPECT_DOUBLE_EQ(p.lengthZField->Value().ToR8(), 0.0);
    EXPECT_DOUBLE_EQ(p.lengthXField->Value().ToR8(), 0.0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(op.nToolPosition, 0) << "the plan's operation waits for OK";
}

TEST_F(TurnPanelToolsTest, AToolWithoutItsModelFileIsNamedSoAndTheDirectionFollowsItsSpindle) {
    ParamTool& second = *GetSPID()->GetTool(1);
    second.isNoContour = true;
    second.M34 = 4;
    CTurnMnogoProhod& op = Add([](CTurnMnogoProhod& o) { o.isAutoM34 = true; });
    runner->Run();
    MultiPassPanel& p = Open(op);
    ASSERT_TRUE(Manager().UserSelect(*p.toolList, 1).done);
    EXPECT_EQ(p.toolNameField->Value().ToBStr(), "Резец подрезной (файл не найден)");
    EXPECT_TRUE(p.isM04);
    EXPECT_TRUE(p.directionGroup->Button(CTurnPanel::kSpindleLeft)->pressed);
    EXPECT_FALSE(p.directionGroup->Button(CTurnPanel::kSpindleRight)->pressed);
    EXPECT_EQ(p.ToolModel(), nullptr);
}

TEST_F(TurnPanelToolsTest, WithAutomaticChoiceOnAPickSnapsBackWithTheMessage) {
    SetHostVersion({16, 0, 0, 0});
    CTurnMnogoProhod& op = Add([](CTurnMnogoProhod& o) { o.isAutoTool = true; });
    runner->Run();
    MultiPassPanel& p = Open(op);
    ASSERT_EQ(p.toolList->CurrentItem(), 0);
    ASSERT_TRUE(p.toolList->Enabled()) << "older hosts leave the list open";
    EXPECT_FALSE(Manager().UserSelect(*p.toolList, 1).done);
    EXPECT_EQ(p.nToolPosition, 0);
    EXPECT_EQ(p.toolList->CurrentItem(), 0);
    ASSERT_EQ(Boxes(), std::vector<std::string>{CTurnPanel::kAutoToolOn});
    EXPECT_EQ(MessageLog::Instance().Entries().back().caption, "Orbisel");
    EXPECT_EQ(MessageLog::Instance().Entries().back().style & 0x30, 0x30);
    // Switched off, the pick is taken.
    ASSERT_TRUE(Manager().UserSetValue(*p.autoToolBox, "off").done);
    ASSERT_TRUE(Manager().UserSelect(*p.toolList, 1).done);
    EXPECT_EQ(p.nToolPosition, 1);
}

TEST_F(TurnPanelToolsTest, AutomaticChoiceTakesTheKindsToolOrWarnsAndLocksTheListOnNewerHosts) {
    // The first position holds a groove tool, which a turning pass does not take.
    runner->Tool(0, "Резец канавочный", 0.2).TYPE_ = 13;
    GetSPID()->GetTool(0)->isFromCatalog = false;
    GetSPID()->GetTool(0)->sPsevName = "Канавочный";
    CTurnMnogoProhod& op = Add();
    runner->Run();
    MultiPassPanel& p = Open(op);
    ASSERT_TRUE(Manager().UserSetValue(*p.autoToolBox, "on").done);
    EXPECT_TRUE(p.isAutoTool);
    EXPECT_EQ(p.nToolPosition, 1);
    EXPECT_EQ(p.toolList->CurrentItem(), 1);
    EXPECT_EQ(p.toolNameField->Value().ToBStr(), "Резец подрезной");
    EXPECT_FALSE(p.toolList->Enabled());
    EXPECT_TRUE(Boxes().empty());
    ASSERT_TRUE(Manager().UserSetValue(*p.autoToolBox, "off").done);
    EXPECT_TRUE(p.toolList->Enabled());
    // No tool of the kind at all: the position is lost, with the warning.
    GetSPID()->GetTool(1)->TYPE_ = 13;
    ASSERT_TRUE(Manager().UserSetValue(*p.autoToolBox, "on").done);
    EXPECT_EQ(p.nToolPosition, -1);
    EXPECT_EQ(p.toolList->CurrentItem(), -1);
    EXPECT_EQ(Boxes(), std::vector<std::string>{CTurnPanel::kNoAutoTool});
    EXPECT_EQ(MessageLog::Instance().Entries().back().caption, "Orbisel");
    EXPECT_FALSE(p.toolList->Enabled());
}

TEST_F(TurnPanelToolsTest, ThePickedLinePlacesTheToolModelAtItsFrameTheSameOnEveryPick) {
    ParamTool& tool = ModelTool(1, "Резец с державкой");
    tool.M34 = 4;
    tool.Angle = 90;
    tool.CorrectZ = 2.0;
    CTurnMnogoProhod& op = Add([](CTurnMnogoProhod& o) {
        o.nToolPosition = 1;
        o.isCorrectLz = true;
    });
    runner->Run();
    MultiPassPanel& p = Open(op);
    p.ChangeTab(CTurnPanel::kToolTab);
    ASSERT_FALSE(p.Frames().empty());
    const int last = static_cast<int>(p.toolPathList->Items().size()) - 1;
    ASSERT_GE(last, 1);
    ASSERT_TRUE(Manager().UserSelect(*p.toolPathList, last).done);
    const int frame = p.SelectedFrame();
    EXPECT_EQ(frame, static_cast<int>(p.Frames().size()) - 1);
    ASSERT_NE(p.ToolModel(), nullptr);
    ASSERT_TRUE(p.ToolModel()->IsDrawn());
    const CTessellationObject& face = FirstFace(*p.ToolModel());
    EXPECT_DOUBLE_EQ(face.angleX, PI) << "M4 turns the model over";
    EXPECT_DOUBLE_EQ(face.angleY, -PI / 2);
    const Point3D first = face.referencePoint;
    // The nose offsets of the tool's tip position, the Z correction off them.
    const FramePoint& end = p.Frames()[static_cast<std::size_t>(frame)]->end;
    const ParamTool& chosen = *GetSPID()->GetTool(1);
    const Point3D expected =
        LscToModel(chosen.dNoseDy - end.x, 0.0, end.z + chosen.dNoseDx - chosen.CorrectZ);  // x, y, z
    EXPECT_NEAR(first.x, expected.x, 1e-9);
    EXPECT_NEAR(first.z, expected.z, 1e-9);
    // Another line and back: the model moves, and comes back to the same place.
    ASSERT_TRUE(Manager().UserSelect(*p.toolPathList, 0).done);
    EXPECT_EQ(p.SelectedFrame(), 0);
    ASSERT_TRUE(Manager().UserSelect(*p.toolPathList, last).done);
    const Point3D again = FirstFace(*p.ToolModel()).referencePoint;
    EXPECT_NEAR(again.x, first.x, 1e-9);
    EXPECT_NEAR(again.z, first.z, 1e-9);
    // Another tab takes the model away.
    p.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_EQ(p.ToolModel(), nullptr);
}

TEST_F(TurnPanelToolsTest, TheFirstOperationsPreviewIsItsSliceOfTheProgramFromVersionEighteen) {
    runner->Version("18");
    ModalState.versionText = "18";
    CTurnMnogoProhod& op = Add();
    Add([](CTurnMnogoProhod& o) { o.nToolPosition = 1; });
    runner->Run();
    const std::vector<std::string> slice = ProgramSlice(0);
    ASSERT_FALSE(slice.empty());
    MultiPassPanel& p = Open(op);
    p.ChangeTab(CTurnPanel::kToolTab);
    EXPECT_EQ(Items(*p.toolPathList), slice);
    EXPECT_EQ(p.toolPathList->Caption(), "Траектория, в мм");
}

TEST_F(TurnPanelToolsTest, VersionSeventeenWritesNoHeadOrSafetyBlockBeforeThePreview) {
    for (const char* version : {"17", "2", "18", "100"}) {
        SCOPED_TRACE(version);
        runner->Clear();
        runner->Version(version);
        CTurnMnogoProhod& op = Add();
        runner->Run();
        MultiPassPanel& p = Open(op);
        p.ChangeTab(CTurnPanel::kToolTab);
        const std::vector<std::string> lines = Items(*p.toolPathList);
        const auto numbered =
            std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find(" N0") == 0; });
        ASSERT_NE(numbered, lines.end());
        // The safety block takes N001 from VERSION 18 on.
        const bool head = std::string(version) == "18" || std::string(version) == "100";
        EXPECT_EQ(numbered->substr(0, 5), head ? " N002" : " N001");
        Manager().Unsubscribe(kPropertyManagerNotifications, panel.get());
        panel.reset();
    }
}

TEST_F(TurnPanelToolsTest, TheThirdOperationsPreviewGoesOnFromWhatTheFirstTwoLeave) {
    runner->Version("18");
    ModalState.versionText = "18";
    Add();
    Add([](CTurnMnogoProhod& o) { o.isExclude = true; });
    Add([](CTurnMnogoProhod& o) { o.nToolPosition = 1; });
    CTurnMnogoProhod& third = Add([](CTurnMnogoProhod& o) { o.nToolPosition = 1; });
    runner->Run();
    const std::vector<std::string> slice = ProgramSlice(3);
    ASSERT_FALSE(slice.empty()) << third.messageText << " / " << runner->ProgramText();
    MultiPassPanel& p = Open(third);
    p.ChangeTab(CTurnPanel::kToolTab);
    EXPECT_EQ(Items(*p.toolPathList), slice);
    // Opened again in the same run, the tab shows the same lines.
    p.ChangeTab(CTurnPanel::kStrategyTab);
    p.ChangeTab(CTurnPanel::kToolTab);
    EXPECT_EQ(Items(*p.toolPathList), slice);
}

TEST_F(TurnPanelToolsTest, TheLastLineOfAMultiLineFrameSelectsThatFrame) {
    BuiltInFrameTexts::Global().toolOffsetText = "G54";
    ModelTool(1, "Резец с державкой");
    Add();
    CTurnMnogoProhod& op = Add([](CTurnMnogoProhod& o) { o.nToolPosition = 1; });
    runner->Run();
    MultiPassPanel& p = Open(op);
    p.ChangeTab(CTurnPanel::kToolTab);
    const std::vector<std::string> lines = Items(*p.toolPathList);
    // The tool change writes two lines: the call and the offset.
    const auto offset = std::find_if(lines.begin(), lines.end(),
                                     [](const std::string& l) { return l.find("G54") != std::string::npos; });
    ASSERT_NE(offset, lines.end()) << ::testing::PrintToString(lines);
    ASSERT_NE(offset, lines.begin());
    const int row = static_cast<int>(offset - lines.begin());
    int toolFrame = -1;
    for (std::size_t k = 0; k < p.Frames().size(); ++k)
        if (dynamic_cast<const CCadre_T*>(p.Frames()[k].get())) toolFrame = static_cast<int>(k);
    ASSERT_GE(toolFrame, 0);
    for (int r : {row - 1, row}) {
        ASSERT_TRUE(Manager().UserSelect(*p.toolPathList, r).done);
        EXPECT_EQ(p.SelectedFrame(), toolFrame) << r;
    }
    ASSERT_TRUE(Manager().UserSelect(*p.toolPathList, row + 1).done);
    EXPECT_EQ(p.SelectedFrame(), toolFrame + 1);
    EXPECT_EQ(p.FrameOfLine(100000), static_cast<int>(p.Frames().size()) - 1);
}

TEST_F(TurnPanelToolsTest, NoPositionsAndInchUnitsChangeTheListsTextAndCaption) {
    CTurnMnogoProhod& op = Add();
    runner->Run();
    GetSPID()->Npositions = 0;
    ProgramUnits::Global().Set(1);
    MultiPassPanel& p = Open(op);
    EXPECT_TRUE(p.toolList->Items().empty());
    p.ShowProgramPreview();
    ASSERT_FALSE(p.toolPathList->Items().empty());
    EXPECT_EQ(p.toolPathList->Items().front().text, CTurnPanel::kNoTurret);
    EXPECT_EQ(p.toolPathList->Caption(), "Траектория, в дюймах");
    ProgramUnits::Global().Set(2);
    p.ShowProgramPreview();
    EXPECT_EQ(p.toolPathList->Caption(), "Траектория, в см");
    ProgramUnits::Global().Set(0);
}

TEST_F(TurnPanelToolsTest, TheStatisticsGridShowsTheSumsOrUndefinedInMachineCycles) {
    CTurnMnogoProhod& op = Add();
    runner->Run();
    MultiPassPanel& p = Open(op);
    p.ChangeTab(CTurnPanel::kPropertiesTab);
    const GridControl& grid = p.statisticsGrid->Grid();
    const PathStatistics s = p.CalcStatistics();
    ASSERT_GT(s.workLength, 0.0);
    char text[64];
    const double values[] = {s.workLength, s.idleLength, s.workLength + s.idleLength,
                             s.workTime,   s.auxTime,    s.workTime + s.auxTime};
    for (int row = 1; row <= 6; ++row) {
        std::snprintf(text, sizeof text, "%1.2f", values[row - 1]);
        EXPECT_EQ(grid.CellText(row, 1), text) << row;
    }
    EXPECT_EQ(grid.CellText(0, 1), "Значение");
    EXPECT_TRUE(Boxes().empty());
    // No frames: nothing to show.
    p.ReleaseFrames();
    const int redraws = grid.RedrawCount();
    p.ShowStatistics();
    for (int row = 1; row <= 6; ++row) EXPECT_EQ(grid.CellText(row, 1), "0.00") << row;
    EXPECT_EQ(grid.RedrawCount(), redraws + 1);
    // Machine cycles: no statistics.
    p.indShema = 1;
    p.ShowStatistics();
    for (int row = 1; row <= 6; ++row) EXPECT_EQ(grid.CellText(row, 1), CTurnPanel::kUndefined) << row;
    EXPECT_EQ(Boxes(), std::vector<std::string>{CTurnPanel::kNoMachineCycleStatistics});
}

}  // namespace
}  // namespace zarvento::test
