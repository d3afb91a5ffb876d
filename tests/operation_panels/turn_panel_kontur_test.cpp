// The contour operation's panel: its layout on both hosts, the direction
// switch that makes approach and overrun exchange their angles, the angle
// modes, and the path by a sketch picked on the strategy tab.
#include <gtest/gtest.h>

#include "geometry/lsc_transform.h"
#include "kind_panel_test_support.h"
#include "operation_panels/turn_panel_kontur.h"
#include "operations/turn_kontur.h"
#include "platform/dialogs/pick_collection.h"
#include "platform/drawings/host_sketch.h"

namespace zarvento::test {
namespace {

class ContourPanelTest : public KindPanelTest {
protected:
    CTurnKONTUR& Kontur(const std::function<void(CTurnKONTUR&)>& setup = {}) {
        CTurn& op = runner->AddKind(kTurnKONTUR, kStepProfile, [&](CTurn& o) {
            auto& k = dynamic_cast<CTurnKONTUR&>(o);
            k.isSilent = true;
            k.isAutoTool = false;
            k.nToolPosition = 0;
            if (setup) setup(k);
        });
        runner->Run();
        return dynamic_cast<CTurnKONTUR&>(op);
    }
    void TearDown() override {
        LscTransform::Global().Reset();
        KindPanelTest::TearDown();
    }
    // A sketch in the NC coordinate system's turning plane with a path
    // along the outside of the step.
    std::shared_ptr<HostSketch> Sketch(const char* name) {
        if (!lsc) {
            lsc = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
            LscTransform::Global().ReadFromHost(lsc);
        }
        auto sketch = part->AddSketch(name);
        sketch->SetPlane(lsc, LocalCoordinateSystem::kPlaneZX);
        sketch->Objects().LineSeg(5, 20, -30, 20, 1);
        return sketch;
    }
    std::shared_ptr<LocalCoordinateSystem> lsc;
    PickCollection& Highlights() { return Procedural3D(part).SecondHighlights(); }
    SelectionManager& Selection() { return *HostSelectionManager(); }
};

class ContourPanelLayoutTest : public ContourPanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(ContourPanelLayoutTest, TheStrategyTabsDirectionAnglesAndSketchPath) {
    const int host = GetParam();
    SetHostVersion({host, 0, 0, 0});
    CTurnKONTUR& op = Kontur([](CTurnKONTUR& k) {
        k.VrezanieSposob = 5;
        k.VrezanieAngle = 30;
    });
    CTurnPanelKONTUR panel(op);
    Open(panel, &op);
    ExpectGolden("operation_panels/contour_panel_host" + std::to_string(host) + ".txt", Manager().Dump());
    EXPECT_EQ(panel.reverseBox->Caption(), host < 17 ? "" : "Сменить направление");
    EXPECT_EQ(panel.nameList->Items().size(), 10u);
    EXPECT_EQ(panel.nameList->Items()[0].text, "Контур");
    EXPECT_EQ(panel.nameList->CurrentItem(), 0);
    EXPECT_EQ(panel.schemeList, nullptr);
    EXPECT_EQ(panel.cycleParametersButton, nullptr);
    EXPECT_FALSE(panel.sketchField->Visible());
    Close(panel);
}

INSTANTIATE_TEST_SUITE_P(Hosts, ContourPanelLayoutTest, ::testing::Values(16, 17));

TEST_F(ContourPanelTest, TheDirectionSwitchExchangesTheAngleDataAndKeepsTheLengths) {
    CTurnKONTUR& op = Kontur([](CTurnKONTUR& k) {
        k.VrezanieSposob = 5;
        k.VrezanieAngle = 30;
        k.PerebegSposob = 0;
        k.PerebegAngle = 270;
        k.Vrezanie = 2;
        k.Perebeg = 3;
    });
    CTurnPanelKONTUR panel(op);
    Open(panel, &op);
    int recalculations = panel.RecalculationCount();
    Set(panel.reverseBox, "on");
    EXPECT_TRUE(panel.indNapr);
    EXPECT_EQ(panel.PerebegSposob, 5);
    EXPECT_EQ(panel.PerebegAngle, 30.0);
    EXPECT_EQ(panel.VrezanieSposob, 0);
    EXPECT_EQ(panel.overrunModeList->CurrentItem(), 5);
    EXPECT_EQ(panel.approachModeList->CurrentItem(), 0);
    EXPECT_TRUE(panel.overrunAngleField->Enabled());
    EXPECT_FALSE(panel.approachAngleField->Enabled());
    EXPECT_EQ(panel.overrunAngleField->Value().ToR8(), 30.0);
    EXPECT_EQ(panel.approachAngleField->Value().ToR8(), panel.VrezanieAngle) << "the angle the path took";
    EXPECT_EQ(panel.Vrezanie, 2.0);
    EXPECT_EQ(panel.Perebeg, 3.0);
    EXPECT_EQ(panel.RecalculationCount(), recalculations + 1);
    Set(panel.reverseBox, "off");
    EXPECT_EQ(panel.VrezanieSposob, 5);
    EXPECT_EQ(panel.VrezanieAngle, 30.0);
    EXPECT_EQ(panel.PerebegSposob, 0);
    EXPECT_EQ(op.VrezanieSposob, 5) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(ContourPanelTest, TheFreeAngleIsTheFieldsNumberAndIsKeptOutsideItsMode) {
    CTurnKONTUR& op = Kontur();
    CTurnPanelKONTUR panel(op);
    Open(panel, &op);
    // The path writes the angle it took into the operation: a field shows it.
    const double shown = panel.approachAngleField->Value().ToR8();
    int before = panel.RecalculationCount();
    Set(panel.approachModeList, "Произвольный угол");
    EXPECT_EQ(panel.VrezanieSposob, 5);
    EXPECT_EQ(panel.VrezanieAngle, shown) << "the number in the field";
    EXPECT_TRUE(panel.approachAngleField->Enabled());
    Set(panel.approachAngleField, "45");
    EXPECT_EQ(panel.VrezanieAngle, 45.0);
    Set(panel.approachModeList, "к оси (90 гр.)");
    EXPECT_EQ(panel.VrezanieSposob, 2);
    EXPECT_FALSE(panel.approachAngleField->Enabled());
    EXPECT_EQ(panel.approachAngleField->Value().ToR8(), panel.VrezanieAngle);
    Set(panel.approachModeList, "Произвольный угол");
    EXPECT_EQ(panel.VrezanieAngle, panel.approachAngleField->Value().ToR8());
    EXPECT_EQ(panel.RecalculationCount() - before, 4);
    before = panel.RecalculationCount();
    Set(panel.overrunModeList, "-Z (180 гр.)");
    EXPECT_EQ(panel.PerebegSposob, 3);
    EXPECT_FALSE(panel.overrunAngleField->Enabled());
    Set(panel.approachLengthField, "4");
    Set(panel.overrunLengthField, "5");
    EXPECT_EQ(panel.Vrezanie, 4.0);
    EXPECT_EQ(panel.Perebeg, 5.0);
    EXPECT_EQ(panel.RecalculationCount() - before, 3);
    Close(panel);
}

TEST_F(ContourPanelTest, ASketchIsChosenByItsPickClearedByASecondAndKeptWhileThePathIsOff) {
    CTurnKONTUR& op = Kontur();
    const auto first = Sketch("Траектория");
    const auto second = Sketch("Другая");
    const HostObjectPtr face = lsc;
    CTurnPanelKONTUR panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kStrategyTab);
    EXPECT_FALSE(panel.FilterObject(first)) << "the path by sketch is off";
    EXPECT_FALSE(panel.OnSelectObject(first, {}));
    Set(panel.sketchPathBox, "on");
    EXPECT_TRUE(panel.SposobTrajectory);
    EXPECT_TRUE(panel.sketchField->Visible());
    EXPECT_TRUE(panel.FilterObject(first));
    EXPECT_FALSE(panel.FilterObject(face)) << "only sketches";
    EXPECT_FALSE(panel.OnSelectObject(face, {}));
    EXPECT_EQ(panel.pEskiz, nullptr);

    EXPECT_TRUE(panel.OnSelectObject(first, {}));
    EXPECT_EQ(panel.pEskiz, first);
    EXPECT_TRUE(Selection().IsSelected(first));
    EXPECT_EQ(panel.sketchField->Value().ToBStr(), "Траектория");
    // Another sketch takes the choice over; the former one is let go.
    EXPECT_TRUE(panel.OnSelectObject(second, {}));
    EXPECT_EQ(panel.pEskiz, second);
    EXPECT_FALSE(Selection().IsSelected(first));
    EXPECT_EQ(panel.sketchField->Value().ToBStr(), "Другая");
    // The chosen sketch picked again: no choice.
    const int before = panel.RecalculationCount();
    EXPECT_TRUE(panel.OnSelectObject(second, {}));
    EXPECT_EQ(panel.pEskiz, nullptr);
    EXPECT_FALSE(Selection().IsSelected(second));
    EXPECT_EQ(panel.sketchField->Value().ToBStr(), "");
    EXPECT_EQ(panel.RecalculationCount(), before + 1);

    // Switched off and on, the path by sketch shows the same sketch again.
    EXPECT_TRUE(panel.OnSelectObject(first, {}));
    Set(panel.sketchPathBox, "off");
    EXPECT_FALSE(panel.sketchField->Visible());
    EXPECT_FALSE(Highlights().Contains(first));
    EXPECT_EQ(panel.pEskiz, first) << "kept";
    Set(panel.sketchPathBox, "on");
    EXPECT_TRUE(panel.sketchField->Visible());
    EXPECT_EQ(panel.sketchField->Value().ToBStr(), "Траектория");
    EXPECT_TRUE(Highlights().Contains(first));
    // On the contour tabs picks are the base panel's.
    OpenTab(panel, CTurnPanel::kToolTab);
    EXPECT_FALSE(panel.FilterObject(second));
    EXPECT_FALSE(panel.OnSelectObject(second, {}));
    EXPECT_EQ(panel.pEskiz, first);
    Close(panel);
}

TEST_F(ContourPanelTest, OkGivesTheSketchAndTheAnglesToThePlansOperation) {
    CTurnKONTUR& op = Kontur();
    const auto sketch = Sketch("Траектория");
    Queue({{"tab", "Стратегия"},
           {"set", "Траектория по эскизу", "on"},
           {"pick", "Траектория"},
           {"select", "Угол перебега", "5"},
           {"ok"}});
    EXPECT_EQ(op.Edit(), 1);
    EXPECT_TRUE(op.SposobTrajectory);
    EXPECT_EQ(op.pEskiz, sketch);
    EXPECT_EQ(op.PerebegSposob, 5);
}

}  // namespace
}  // namespace zarvento::test
