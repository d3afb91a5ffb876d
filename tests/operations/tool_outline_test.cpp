// The main job's check with the tool's whole outline, as the tool's model
// gives it and the simulation cuts with it: for every kind of tool a clean
// plan is written, and the same plan whose tool holds its insert in a holder
// that meets the part is refused, the holder named; a boring bar given to an
// outside contour is refused for its insert's edge; what of a boring bar
// lies past the spindle's axis meets the bore's other side.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "kind_test_support.h"
#include "operations/path_clearance.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_threading.h"
#include "operations_test_support.h"
#include "program_checks.h"

namespace zarvento {
namespace {

// A tool's outline drawn about its nose centre as its model draws it: z along
// the spindle's axis, x the negated radius (so +x runs towards the axis).
class OutlineDrawing {
public:
    OutlineDrawing(const ParamTool& tool, double z, double x)
        : cz_(tool.dNoseDx), cx_(-tool.dNoseDy), z_(cz_ + z), x_(cx_ + x), z0_(z_), x0_(x_) {}

    // A straight unit to the point.
    OutlineDrawing& To(double z, double x) {
        outline_->AddUnit(std::make_unique<CLineUnit>(z_, x_, cz_ + z, cx_ + x));
        z_ = cz_ + z;
        x_ = cx_ + x;
        return *this;
    }
    // The shorter arc about the centre to the point.
    OutlineDrawing& Around(double centreZ, double centreX, double z, double x) {
        const double r = std::hypot(z_ - cz_ - centreZ, x_ - cx_ - centreX);
        for (int sense : {1, -1}) {
            auto arc = std::make_unique<CArcUnit>(cz_ + centreZ, cx_ + centreX, r, z_, x_, cz_ + z, cx_ + x, sense);
            if (arc->GetSweep() > PI + 1e-9) continue;
            outline_->AddUnit(std::move(arc));
            break;
        }
        z_ = cz_ + z;
        x_ = cx_ + x;
        return *this;
    }
    std::shared_ptr<Contour> Close() {
        if (std::hypot(z_ - z0_, x_ - x0_) > 1e-9) outline_->AddUnit(std::make_unique<CLineUnit>(z_, x_, z0_, x0_));
        return outline_;
    }

private:
    double cz_, cx_, z_, x_, z0_, x0_;
    std::shared_ptr<Contour> outline_ = std::make_shared<Contour>();
};

// A plan of one kind and its tool's outline: `holder` puts a holder in where
// it meets the part (the insert's edges as in the clean outline).
struct KindPlan {
    const char* name;
    std::function<CTurn&(test::OperationRunner&)> make;
    std::function<std::shared_ptr<Contour>(const ParamTool&, bool holder)> outline;
    // What the plan's calculation left to set (none: nothing).
    std::function<void(CTurn&)> settle;
};

// The step of the path checks: radius 20 from the face at z = 5 to
// z = -30, radius 30 on to z = -58, back along the axis.
constexpr const char* kStepSection =
    "LineSeg( 5,0, 5,-20, 1 );\nLineSeg( 5,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n"
    "LineSeg( -30,-30, -58,-30, 1 );\nLineSeg( -58,-30, -58,0, 1 );\nLineSeg( -58,0, 5,0, 1 );\n";

// A pin of diameter 20 from the face (a 1 mm chamfer) to a relief 3 wide and
// 2 deep, before a shoulder of diameter 26.
constexpr const char* kPin =
    "LineSeg( 0,0, 0,-9, 1 );\nLineSeg( 0,-9, -1,-10, 1 );\nLineSeg( -1,-10, -20,-10, 1 );\n"
    "LineSeg( -20,-10, -20,-8, 1 );\nLineSeg( -20,-8, -23,-8, 1 );\nLineSeg( -23,-8, -23,-13, 1 );\n"
    "LineSeg( -23,-13, -40,-13, 1 );\nLineSeg( -40,-13, -40,0, 1 );\nLineSeg( -40,0, 0,0, 1 );\n";

// An outside turning insert about a nose of radius r: the edge on the -Z
// side straight away from the axis, the other leaving the nose at 30 degrees
// to the axis, a flat top 10 above the nose centre. With a holder, the top
// steps out 3 towards -Z from 6 above the nose: over a shoulder it meets.
std::shared_ptr<Contour> TurningInsert(const ParamTool& tool, bool holder) {
    const double r = tool.r, tz = r * std::cos(PI / 3.0), tx = r * std::sin(PI / 3.0);
    const double top = -10.0, far = tz + (tx - top) / std::tan(PI / 6.0);
    OutlineDrawing d(tool, tz, tx);
    d.Around(0, 0, -r, 0);
    if (holder)
        d.To(-r, -6).To(-r - 3, -6).To(-r - 3, top);
    else
        d.To(-r, top);
    return d.To(far, top).Close();
}

// A boring insert about its nose: the edge on the -Z side straight towards
// the axis, a top edge along +Z level with the nose's point farthest from
// the axis, and the bar behind it 1 below that (with a holder, 1 above it:
// into the bore's wall).
std::shared_ptr<Contour> BoringInsert(const ParamTool& tool, bool holder) {
    const double r = tool.r, bar = holder ? -r - 1.0 : -r + 1.0;
    return OutlineDrawing(tool, -r, 0).Around(0, 0, 0, -r).To(5, -r).To(5, bar).To(30, bar).To(30, 6).To(-r, 6).Close();
}

// A grooving blade 4 wide with corners of its radius, its shank 12 back from
// the tip; with a holder, the shank widens 1 towards +Z from 2 above the tip,
// inside the groove.
std::shared_ptr<Contour> GroovingBlade(const ParamTool& tool, bool holder) {
    const double r = tool.r, w = 4.0;
    OutlineDrawing d(tool, 0, r);
    d.Around(0, 0, -r, 0).To(-r, -30).To(w - r + (holder ? 1.0 : 0.0), -30);
    if (holder) d.To(w - r + 1.0, -2).To(w - r, -2);
    return d.To(w - r, 0).Around(w - 2 * r, 0, w - 2 * r, r).Close();
}

// The 60 degree threading insert of the thread checks: its flanks rise 5
// from the tip, its sides on up to 15. With a holder, a foot of it reaches 4
// towards -Z from 3.5 to 5 above the tip: into the shoulder behind the relief.
std::shared_ptr<Contour> ThreadingInsert(const ParamTool& tool, bool holder) {
    const double side = 5.0 * std::tan(PI / 6.0), tip = 0.05;
    OutlineDrawing d(tool, 0, tip);
    if (holder) d.To(-3.5 * std::tan(PI / 6.0), tip - 3.5).To(-4.0, tip - 3.5).To(-4.0, tip - 5.0);
    return d.To(-side, tip - 5.0).To(-side, tip - 15.0).To(side, tip - 15.0).To(side, tip - 5.0).Close();
}

// A drill of diameter 10 with a point of 90 degrees, its flutes reaching 30
// back from the point before the shank of diameter 16 (with a holder, 20:
// into the part at the hole's bottom, 25 deep).
std::shared_ptr<Contour> Drill(const ParamTool& tool, bool holder) {
    const double flutes = holder ? 20.0 : 30.0;
    return OutlineDrawing(tool, 0, 0)
        .To(5, -5)
        .To(flutes, -5)
        .To(flutes, -8)
        .To(60, -8)
        .To(60, 8)
        .To(flutes, 8)
        .To(flutes, 5)
        .To(5, 5)
        .Close();
}

class ToolOutlineTest : public test::OperationTest {
protected:
    // Programs are written through the installed lathe description, whose
    // thread passes are G32 blocks.
    void SetUp() override {
        test::OperationTest::SetUp();
        lathe = test::InstalledLathe();
    }

    // The runner's plan as the main job writes and judges it.
    test::WrittenPlan Written(ParamTool& tool, std::shared_ptr<Contour> outline) {
        tool.pContour = std::move(outline);
        tool.isNoContour = false;
        return test::WritePlan();
    }

    static const std::vector<KindPlan>& Kinds();

    std::unique_ptr<CPostProcessor> lathe;
};

const std::vector<KindPlan>& ToolOutlineTest::Kinds() {
    static const std::vector<KindPlan> kinds = {
        {"turning",
         [](test::OperationRunner& runner) -> CTurn& {
             runner.Part(kStepSection);
             return runner.AddKind(kTurnKONTUR, test::kStepProfile);
         },
         TurningInsert,
         {}},
        {"boring",
         [](test::OperationRunner& runner) -> CTurn& {
             // A bore of diameter 20 through a ring of 40, 40 long, from a bar
             // of 44 with a hole of 18.
             runner.Bar(40, 44, 18, 0).InnerPoint(-20, -15);
             runner.Part(
                 "LineSeg( 0,-10, 0,-20, 1 );\nLineSeg( 0,-20, -40,-20, 1 );\nLineSeg( -40,-20, -40,-10, 1 );\n"
                 "LineSeg( -40,-10, 0,-10, 1 );\n");
             ParamTool& bar = runner.Tool(2, "Резец расточной", 0.4);
             bar.TYPE_ = 12;
             bar.nP = 3;
             bar.isInter = true;
             bar.UpdateTipPosition();
             return runner.AddKind(kTurnKONTUR, "LineSeg( -40,-10, 0,-10, 1 );\n", [](CTurn& o) {
                 o.isAutoTool = false;
                 o.nToolPosition = 2;
             });
         },
         BoringInsert,
         {}},
        {"grooving blade",
         [](test::OperationRunner& runner) -> CTurn& {
             // A groove 4 wide and 3 deep from the bar's diameter of 50.
             runner.InnerPoint(-30, -10).Part(
                 "LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -10,-25, 1 );\nLineSeg( -10,-25, -10,-22, 1 );\n"
                 "LineSeg( -10,-22, -14,-22, 1 );\nLineSeg( -14,-22, -14,-25, 1 );\nLineSeg( -14,-25, -58,-25, 1 );\n"
                 "LineSeg( -58,-25, -58,0, 1 );\nLineSeg( -58,0, 2,0, 1 );\n");
             ParamTool& blade = test::KindTool(runner, 3, CTurnKANAVKA::kGroovingToolKind, {{"width", 4.0}});
             blade.r = 0.2;
             blade.nP = 3;
             blade.UpdateTipPosition();
             return runner.AddKind(
                 kTurnKANAVKA,
                 "LineSeg( -10,-26, -10,-22, 1 );\nLineSeg( -10,-22, -14,-22, 1 );\nLineSeg( -14,-22, -14,-26, 1 );\n");
         },
         GroovingBlade,
         {}},
        {"threading",
         [](test::OperationRunner& runner) -> CTurn& {
             // M20 x 1.5 on a pin, a relief 3 wide and 2 deep before a shoulder
             // of 26, from a bar of that diameter.
             runner.Bar(40, 26, 0, 0).InnerPoint(-30, -10).Part(kPin);
             runner.Tool(4, "Резец резьбовой", 0.05).TYPE_ = 15;
             return runner.AddKind(kTurnTHREADING, "LineSeg( -1,-10, -20,-10, 1 );\n", [](CTurn& o) {
                 auto& t = dynamic_cast<CTurnTHREADING&>(o);
                 t.Perebeg = 0.5;
                 t.Cycle().FindParam("P6")->intValue = 1;
             });
         },
         ThreadingInsert,
         [](CTurn& op) {
             // The pin is turned and its relief grooved before the thread.
             op.prevFinalContour = test::OperationRunner::Parse(kPin);
             op.finalContour = test::OperationRunner::Parse(kPin);
         }},
        {"drill",
         [](test::OperationRunner& runner) -> CTurn& {
             // A hole of diameter 10 and 25 deep with the point of the drill.
             runner.InnerPoint(-30, -15).Part(
                 "LineSeg( 0,-5, 0,-25, 1 );\nLineSeg( 0,-25, -58,-25, 1 );\nLineSeg( -58,-25, -58,0, 1 );\n"
                 "LineSeg( -58,0, -25,0, 1 );\nLineSeg( -25,0, -20,-5, 1 );\nLineSeg( -20,-5, 0,-5, 1 );\n");
             test::KindTool(runner, 5, CTurnDRILL::kDrillKind, {{"D", 10.0}, {"__D", 10.0}, {"fi", 45.0}});
             return runner.Add(std::make_unique<CTurnDRILL>(),
                               "LineSeg( -25,0, -20,-5, 1 );\nLineSeg( -20,-5, 5,-5, 1 );\n",
                               [](CTurn& o) { dynamic_cast<CTurnDRILL&>(o).AngleDrill = 90.0; });
         },
         Drill,
         {}},
    };
    return kinds;
}

// Each kind's clean plan is written with its tool's whole outline; the same
// plan with a holder that meets the part is refused, the holder named, and
// so is its path as calculated.
TEST_F(ToolOutlineTest, EveryKindIsWrittenCleanAndRefusedWhereOnlyItsHolderMeetsThePart) {
    for (const KindPlan& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        runner->Clear();
        runner->Bar(60, 50, 0, 2).InnerPoint(-10, -5);
        CTurn& op = kind.make(*runner);
        op.SetPostProcessorData(lathe.get());
        runner->Run();
        ASSERT_EQ(op.messageText, "");
        if (kind.settle) kind.settle(op);
        ParamTool& tool = *op.GetTool();

        const test::WrittenPlan clean = Written(tool, kind.outline(tool, false));
        EXPECT_TRUE(clean.judged) << op.messageText << "\n" << clean.text;
        EXPECT_FALSE(clean.moves.empty());

        const test::WrittenPlan held = Written(tool, kind.outline(tool, true));
        EXPECT_FALSE(held.judged) << held.text;
        EXPECT_NE(op.messageText.find(" мм державкой: перемещение из Z"), std::string::npos) << op.messageText;
        op.messageText.clear();
        const std::optional<PathIntrusion> calculated =
            FindPathIntrusion(op, ClearanceOutline(*GetSPID()->GetDetailContour()), nullptr, nullptr);
        ASSERT_TRUE(calculated);
        EXPECT_EQ(calculated->part, ToolPart::Holder) << calculated->Describe();
        EXPECT_GT(calculated->depth, 0.01) << calculated->Describe();

        tool.pContour.reset();
    }
}

// The outside contour pass given a boring bar, whose insert reaches from the
// nose towards the axis: the nose keeps to the part and the insert runs
// through it. The check names the insert's edge and the block.
TEST_F(ToolOutlineTest, ABoringBarOnAnOutsideContourIsRefusedForItsInsert) {
    runner->Part(kStepSection);
    CTurn& op = runner->AddKind(kTurnKONTUR, test::kStepProfile);
    op.SetPostProcessorData(lathe.get());
    runner->Run();
    ASSERT_EQ(op.messageText, "");
    ParamTool& tool = *op.GetTool();
    const test::WrittenPlan written = Written(tool, BoringInsert(tool, false));
    EXPECT_FALSE(written.judged);
    EXPECT_NE(op.messageText.find("Траектория врезается в деталь на "), std::string::npos) << op.messageText;
    EXPECT_NE(op.messageText.find(" мм режущей кромкой: перемещение из Z"), std::string::npos) << op.messageText;
    // The block as written.
    const std::size_t block = op.messageText.find(" (N");
    ASSERT_NE(block, std::string::npos) << op.messageText;
    EXPECT_NE(op.messageText.find("G01", block), std::string::npos) << op.messageText;
    // The nose alone keeps to the part.
    tool.pContour.reset();
    op.messageText.clear();
    EXPECT_TRUE(test::WritePlan().judged) << op.messageText;
}

// Inside a bore of diameter 20, a boring bar whose insert reaches 22 from
// its nose (9.6 off the axis) towards the axis passes the axis by 12.4:
// where the operation machines inside, that part of it meets the bore's wall
// on the other side, 10 off the axis; a bar reaching 16 keeps off.
TEST_F(ToolOutlineTest, WhatOfABoringBarPassesTheAxisMeetsTheBoresOtherSide) {
    const KindPlan& boring = Kinds()[1];
    CTurn& op = boring.make(*runner);
    runner->Run();
    ASSERT_EQ(op.messageText, "");
    ParamTool& tool = *op.GetTool();
    const ClearanceOutline part(*GetSPID()->GetDetailContour());
    for (const double reach : {16.0, 22.0}) {
        SCOPED_TRACE(reach);
        const double r = tool.r;
        tool.pContour = OutlineDrawing(tool, -r, 0).Around(0, 0, 0, -r).To(8, -r).To(8, reach).To(-r, reach).Close();
        tool.isNoContour = false;
        EXPECT_FALSE(FindPathIntrusion(op, part, nullptr, nullptr)) << "not marked as machining inside";
        for (const auto& frame : op.Frames()) frame->internalMachining = 1;
        const std::optional<PathIntrusion> found = FindPathIntrusion(op, part, nullptr, nullptr);
        for (const auto& frame : op.Frames()) frame->internalMachining = 0;
        ASSERT_EQ(found.has_value(), reach > 19.6) << (found ? found->Describe() : std::string());
        if (!found) continue;
        EXPECT_EQ(found->part, ToolPart::AcrossAxis);
        EXPECT_NE(found->Describe().find(" мм частью инструмента за осью шпинделя: "), std::string::npos)
            << found->Describe();
    }
}

}  // namespace
}  // namespace zarvento
