// Plan data services: part recognition and marker sizes, the tools table,
// the plan-tree groups and the guarded build of the tool contours.
#include "geometry/lsc_transform.h"
#include "model/shape_builders.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/part_model.h"

namespace zarvento {
namespace {

class SpidServicesTest : public test::PlanTest {};

struct MarkerCase {
    double length, radius, marker;
};

// The box diagonal of a shaft of length L and radius R is hypot(L, R).
TEST_F(SpidServicesTest, RecognitionOfAStepppedShaftSetsTheMarkerAtTheBoundaries) {
    const MarkerCase cases[] = {
        {80, 59.9, 2.0},                     // 99.93
        {80, 60, 3.5},                       // 100
        {160, 119.9, 3.5}, {160, 120, 5.0},  // 200
        {300, 40, 5.0},
    };
    SetLSC();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        for (const auto& e : std::vector<HostObjectPtr>(part->Entities()))
            if (e->ObjectType() == 6) part->RemoveEntity(e);
        AddProfile(test::SteppedShaft(c.length, c.radius));
        CSPID spid;
        ArrowLength = 2.5;
        ASSERT_TRUE(RecognizeDetailContour(spid));
        ASSERT_NE(spid.GetDetailContour(), nullptr);
        EXPECT_EQ(spid.GetDetailContour()->Count(), 6);
        EXPECT_TRUE(spid.GetDetailContour()->IsClosed());
        EXPECT_DOUBLE_EQ(ArrowLength, c.marker);
        // The inner point lies inside the section.
        EXPECT_GT(spid.innerPointZ, 0);
        EXPECT_LT(spid.innerPointZ, c.length);
        EXPECT_LT(spid.innerPointX, 0);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(BusyFlag);
}

TEST_F(SpidServicesTest, SectionIsTakenInTheCoordinateSystem) {
    SetLSC({0, 0, 50});
    AddProfile(test::SteppedShaft(80, 20));
    CSPID spid;
    ASSERT_TRUE(RecognizeDetailContour(spid));
    double zmin, xmin, zmax, xmax;
    spid.GetDetailContour()->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(zmin, -50, 1e-9);
    EXPECT_NEAR(zmax, 30, 1e-9);
    EXPECT_NEAR(xmin, -20, 1e-9);
    EXPECT_NEAR(xmax, 0, 1e-9);
}

TEST_F(SpidServicesTest, SectionOfTwoRegionsGivesOneMessageAndNoContour) {
    SetLSC();
    // Two rings side by side: the section holds two regions.
    const auto ring = [](double z1, double z2) {
        return PartShape::Revolve({MeridianPiece::Segment(z1, 10, z1, 20), MeridianPiece::Segment(z1, 20, z2, 20),
                                   MeridianPiece::Segment(z2, 20, z2, 10), MeridianPiece::Segment(z2, 10, z1, 10)});
    };
    SetPartBody(*TopPart(part), ring(0, 30).Fuse(ring(40, 70)));
    CSPID spid;
    BusyFlag = true;
    EXPECT_FALSE(RecognizeDetailContour(spid));
    EXPECT_TRUE(BusyFlag);  // the previous value comes back
    BusyFlag = false;
    EXPECT_EQ(spid.GetDetailContour(), nullptr);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text,
              "Ошибка:\nКонтур сечения детали в плоскости ЛСК XOZ не замкнут либо содержит более одной области");
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].style, 0x30);
    EXPECT_FALSE(RecognizeDetailContour(spid));  // a second failure of this plan shows nothing
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_DOUBLE_EQ(ArrowLength, 2.5);
}

TEST_F(SpidServicesTest, RecognitionWithoutCoordinateSystemOrFaces) {
    CSPID spid;
    EXPECT_FALSE(RecognizeDetailContour(spid));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Потеряна связь с ЛСК"});
    MessageLog::Instance().Clear();
    SetLSC();
    EXPECT_FALSE(RecognizeDetailContour(spid));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Ошибка:\nНе удалось распознать контур детали"});
}

TEST_F(SpidServicesTest, PartWithoutFacesOfRotationIsNoPart) {
    SetLSC();
    // A bar across the axis: its section is a disc beside the axis, on no
    // face of rotation about Z.
    SetPartBody(*TopPart(part), PartShape::Cylinder({20, -5, 0}, {0, 1, 0}, 10, 10));
    CSPID spid;
    EXPECT_FALSE(RecognizeDetailContour(spid));
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Ошибка:\nДеталь не содержит поверхностей вращения, совпадающих с осью Z ЛСК"});
}

TEST_F(SpidServicesTest, ToolsTableCellTexts) {
    CSPID spid;
    spid.Npositions = 6;
    auto set = [&](int i, const char* name, double cx, double cz, int m34, bool inter, bool left, double dc) {
        ParamTool& t = spid.tools[i];
        t.sFileName = "tool.rdp";
        t.sPsevName = name;
        t.CorrectX = cx, t.CorrectZ = cz, t.M34 = static_cast<std::int16_t>(m34);
        t.isInter = inter, t.isLeft = left, t.d_centr = dc;
    };
    set(0, "Резец (PCLNR)", 12.5, 3, 3, false, false, 0.0005);
    set(1, "Резец(PCLNR)", 0.0005, 3, 4, false, false, 8);
    set(2, "Сверло ", 2, -1.25, 4, true, true, 0);
    set(3, "Резец  (T2)", 1e-3, 3, 3, false, true, 0.0011);
    spid.tools[1].isFromCatalog = false;
    spid.tools[2].isNoContour = true;
    spid.tools[4].isFromCatalog = false;  // an empty position
    GridControl grid;
    spid.FillToolsTable(grid, 2);
    const std::vector<std::vector<std::string>> expected = {
        {"1", "Резец (PCLNR)", "12.5", "3", "M3", ""},
        {"2 *", "Резец (PCLNR)", "", "-3", "M4", "8"},
        {"3 !!!", "Сверло", "-2", "-1.25", "M4", ""},
        {"4", "Резец  (T2)", "", "-3", "M3", "0.0011"},
        {"5 *", "", "", "", "", ""},
        {"6", "", "", "", "", ""},
    };
    EXPECT_EQ(grid.RowCount(), 7);
    for (int row = 1; row <= 6; ++row)
        for (int col = 0; col <= 5; ++col)
            EXPECT_EQ(grid.CellText(row, col), expected[row - 1][col]) << row << "," << col;
    EXPECT_EQ(grid.CellSettingCount(1, 4), 1);
    EXPECT_EQ(grid.CellSettingCount(5, 5), 1);
    EXPECT_EQ(grid.CellSettingCount(1, 3), 0);
    EXPECT_EQ(grid.CurrentRow(), 3);
    EXPECT_EQ(grid.RedrawCount(), 1);
}

TEST_F(SpidServicesTest, DisplayNameNormalisation) {
    const std::pair<const char*, const char*> cases[] = {
        {"A (b)", "A (b)"}, {"A(b)", "A (b)"}, {"A ", "A"}, {"A  (b)", "A  (b)"}, {"A", "A"}, {"", ""}, {"(b)", " (b)"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(CSPID::ToolDisplayName(in), out) << in;
}

TEST_F(SpidServicesTest, GadgetsListHasOneBlankPrefixedLinePerFixture) {
    CSPID spid;
    spid.Ngadgets = 2;
    spid.gadgets[0].sPsevName = "Патрон";
    spid.gadgets[1].sPsevName = "Центр";
    spid.gadgets[2].sPsevName = "Люнет";
    ListControl list;
    list.AddLine("old");
    spid.FillGadgetsList(list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{" Патрон", " Центр"}));
}

TEST_F(SpidServicesTest, TreeGroupsAreInsertedOnceAndToolLinesDoNotAccumulate) {
    PlanTree& tree = GetPlanTree();
    TreeControl& control = tree.CreateControl();
    CSPID spid;
    spid.tools[0].sPsevName = "Резец";
    spid.InsertLSCTreeNode(&tree);
    spid.InsertSPIDTreeNode(&tree);
    spid.InsertSPIDTreeNode(&tree);
    spid.InsertLSCTreeNode(&tree);
    const auto groups = control.Children(tree.Root());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(control.ItemText(groups[0]), "Система ЧПУ");
    EXPECT_EQ(control.ItemText(groups[1]), "Заготовка, инструменты");
    EXPECT_TRUE(control.IsExpanded(tree.Root()));
    const auto lsc = control.Children(groups[0]);
    ASSERT_EQ(lsc.size(), 2u);
    EXPECT_EQ(control.ItemText(lsc[0]), "не задана");
    EXPECT_EQ(control.ItemText(lsc[1]), "ЛСК ЧПУ: не определена");
    const auto stock = control.Children(groups[1]);
    ASSERT_EQ(stock.size(), 2u);
    EXPECT_EQ(control.ItemText(stock[0]), "Число позиций: 8 ");
    EXPECT_EQ(control.ItemText(stock[1]), "X=100.00, Z=100.00");
    const auto toolLines = control.Children(stock[0]);
    ASSERT_EQ(toolLines.size(), 8u);
    EXPECT_EQ(control.ItemText(toolLines[0]), "1.Резец");
    EXPECT_EQ(control.ItemText(toolLines[7]), "8.");
    for (TreeItem item : {groups[1], stock[0], stock[1], toolLines[3]}) EXPECT_EQ(control.ItemData(item), groups[1]);
    EXPECT_EQ(control.ItemData(lsc[1]), groups[0]);

    spid.sNamePostProcessor = "Fanuc";
    SetLSC();
    spid.pLSC = LscTransform::Global().HostObjectRef();
    spid.Npositions = 2;
    spid.X0tool = 120.456;
    spid.Z0tool = -3;
    spid.UpdateLSCTreeItems();
    spid.UpdateSPIDTreeItems();
    EXPECT_EQ(control.ItemText(lsc[0]), "Fanuc");
    EXPECT_EQ(control.ItemText(lsc[1]), "ЛСК ЧПУ: ЛСК-1");
    EXPECT_EQ(control.ItemText(stock[0]), "Число позиций: 2 ");
    EXPECT_EQ(control.ItemText(stock[1]), "X=120.46, Z=-3.00");
    EXPECT_EQ(control.Children(stock[0]).size(), 2u);
}

TEST_F(SpidServicesTest, TreeServicesDoNothingWithoutATree) {
    CSPID spid;
    spid.InsertLSCTreeNode(nullptr);
    spid.InsertSPIDTreeNode(&GetPlanTree());  // a tree without its control
    spid.UpdateSPIDTreeItems();
    EXPECT_EQ(spid.hSPIDGroup, kNoTreeItem);
}

class ContourToolTest : public SpidServicesTest {
protected:
    void Check(const std::function<void()>& run) {
        BusyFlag = false;
        app->SetMessageMode(1);
        const std::size_t documents = app->Documents().Count();
        run();
        EXPECT_FALSE(BusyFlag);
        EXPECT_EQ(app->MessageMode(), 1);
        EXPECT_EQ(app->ActiveDocument(), part);
        EXPECT_EQ(app->Documents().Count(), documents);
    }
};

TEST_F(ContourToolTest, EveryPositionWithNoToolsStillOpensAndClosesTheHiddenDocument) {
    CSPID spid;
    spid.Npositions = 0;
    Check([&] { spid.CreateContourTool(CSPID::kAllPositions); });
    EXPECT_EQ(HostFaults::Calls("HostApplication.SetMessageMode"), 2 + 1);
}

TEST_F(ContourToolTest, StalePositionsBuildNothing) {
    CSPID spid;
    for (int position : {-1, 8, 30, 1000}) Check([&] { spid.CreateContourTool(position); });
}

TEST_F(ContourToolTest, HostErrorsRestoreEverything) {
    CSPID spid;
    spid.Npositions = 1;
    // Fails inside the loop over the positions, while the hidden document is active.
    Check([&] {
        HostFaults::Arm("HostApplication.SetActiveDocument", E_FAIL_);
        EXPECT_EQ(test::ErrorCodeOf([&] { spid.CreateContourTool(CSPID::kAllPositions); }), E_FAIL_);
    });
    // Fails while quieting the host's messages.
    Check([&] {
        HostFaults::Arm("HostApplication.SetMessageMode", E_OUTOFMEMORY_);
        EXPECT_EQ(test::ErrorCodeOf([&] { spid.CreateContourTool(0); }), E_OUTOFMEMORY_);
    });
    // Fails adding the hidden document.
    Check([&] {
        HostFaults::Arm("HostApplication.Documents", E_POINTER_);
        EXPECT_EQ(test::ErrorCodeOf([&] { spid.CreateContourTool(0); }), E_POINTER_);
    });
}

}  // namespace
}  // namespace zarvento
