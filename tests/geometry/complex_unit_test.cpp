// The complex unit: forwarding to its sub-units, cutting at a point, lengths,
// transforms that keep the chain whole, trimmed and offset copies.
#include "geometry/complex_unit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "platform/core/host_faults.h"
#include "platform/drawings/document_2d.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::ErrorCodeOf;

// A staircase of five unit-length lines from (0, 0) to (3, 2).
std::unique_ptr<CComplexUnit> Staircase() {
    auto unit = std::make_unique<CComplexUnit>();
    const double pts[6][2] = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}};
    for (int i = 0; i < 5; ++i)
        unit->AddUnit(std::make_unique<CLineUnit>(pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1]));
    unit->UpdateEnds();
    return unit;
}

std::unique_ptr<CComplexUnit> Chain(std::initializer_list<std::array<double, 4>> lines) {
    auto unit = std::make_unique<CComplexUnit>();
    for (const auto& l : lines) unit->AddUnit(std::make_unique<CLineUnit>(l[0], l[1], l[2], l[3]));
    unit->UpdateEnds();
    return unit;
}

void ExpectPoint(const Point3D& p, double z, double x) {
    EXPECT_NEAR(p.z, z, 1e-9);
    EXPECT_NEAR(p.x, x, 1e-9);
}

// Each sub-unit starts where the one before ends, and the unit's own ends
// are those of the chain.
void ExpectWholeChain(const CComplexUnit& unit) {
    ASSERT_GT(unit.SubUnitCount(), 0);
    ExpectPoint(unit.StartPoint, unit.SubUnit(0)->StartPoint.z, unit.SubUnit(0)->StartPoint.x);
    const CUnit& last = *unit.SubUnit(unit.SubUnitCount() - 1);
    ExpectPoint(unit.EndPoint, last.EndPoint.z, last.EndPoint.x);
    for (int i = 1; i < unit.SubUnitCount(); ++i)
        ExpectPoint(unit.SubUnit(i)->StartPoint, unit.SubUnit(i - 1)->EndPoint.z, unit.SubUnit(i - 1)->EndPoint.x);
}

class ComplexUnitTest : public test::CleanStateTest {};

TEST_F(ComplexUnitTest, AnEmptyUnitHasNoLengthNoContourAndLevelAngles) {
    const CComplexUnit unit;
    EXPECT_EQ(unit.Kind, kUnitComplex);
    EXPECT_EQ(unit.SurfaceName, "Поверхность");
    EXPECT_DOUBLE_EQ(unit.GetLength(), 0.0);
    EXPECT_FALSE(unit.IsZeroLength());
    EXPECT_EQ(unit.GetContour(), nullptr);
    EXPECT_DOUBLE_EQ(unit.GetStartAngle(), 0.0);
    EXPECT_DOUBLE_EQ(unit.GetEndAngle(), 0.0);
    const UnitPtr simple = Staircase()->GetSimpleCopy();
    EXPECT_EQ(static_cast<const CComplexUnit&>(*simple).SubUnitCount(), 0);
}

TEST_F(ComplexUnitTest, SubUnitsAreMarkedAndMeasuredInOrder) {
    auto unit = Staircase();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(unit->SubUnit(i)->FromComplex);
    ExpectPoint(unit->StartPoint, 0, 0);
    ExpectPoint(unit->EndPoint, 3, 2);
    EXPECT_DOUBLE_EQ(unit->GetLength(), 5.0);
    EXPECT_DOUBLE_EQ(unit->GetLengthToPoint(1.5, 1), 2.5);
    EXPECT_DOUBLE_EQ(unit->GetLengthToPoint(9, 9), 0.0);
    EXPECT_DOUBLE_EQ(unit->GetLengthToPoint3D(1.5, 0, 2), 3.5);  // (x, y, z) = (1.5, 0, 2) is (z, x) = (2, 1.5)
    EXPECT_TRUE(unit->IsPointOnUnit(2, 1.5));
    EXPECT_FALSE(unit->IsPointOnUnit(0.5, 1));
    EXPECT_NEAR(unit->GetStartAngle(), 0.0, 1e-12);
    EXPECT_NEAR(unit->GetEndAngle(), 0.0, 1e-12);
    BoundBox box;
    unit->GetBoundBox(box);
    EXPECT_EQ(box.zmin, 0);
    EXPECT_EQ(box.xmin, 0);
    EXPECT_EQ(box.zmax, 3);
    EXPECT_EQ(box.xmax, 2);
    const auto contour = unit->GetContour();
    ASSERT_NE(contour, nullptr);
    EXPECT_EQ(contour->Count(), 5);
    EXPECT_NE(contour->GetUnit(0), unit->SubUnit(0));
}

TEST_F(ComplexUnitTest, MidpointsOnOneSubUnitOrAcrossSeveral) {
    auto unit = Staircase();
    IntersectPoint out;
    unit->GetMidPoint(out, 1, 0.2, 1, 0.6);
    EXPECT_NEAR(out.z, 1, 1e-12);
    EXPECT_NEAR(out.x, 0.4, 1e-12);
    unit->GetMidPoint(out, 0.5, 0, 2, 1.5);  // across: the end of the first point's piece
    EXPECT_NEAR(out.z, 1, 1e-12);
    EXPECT_NEAR(out.x, 0, 1e-12);
    unit->GetMidPoint(out, 9, 9, 2, 1.5);  // a point on no piece
    EXPECT_EQ(out.z, 0);
    EXPECT_EQ(out.x, 0);
}

TEST_F(ComplexUnitTest, MovingAnEndCutsAwayThePiecesBeyondIt) {
    auto unit = Staircase();
    unit->SetStartPoint(1.5, 1);  // on the third of five
    ASSERT_EQ(unit->SubUnitCount(), 3);
    ExpectPoint(unit->SubUnit(0)->StartPoint, 1.5, 1);
    ExpectPoint(unit->StartPoint, 1.5, 1);
    ExpectWholeChain(*unit);

    unit->SetEndPoint(10, 10);  // on no piece: nothing changes
    EXPECT_EQ(unit->SubUnitCount(), 3);
    ExpectPoint(unit->EndPoint, 3, 2);

    unit->SetEndPoint(2, 1.5);
    ASSERT_EQ(unit->SubUnitCount(), 2);
    ExpectPoint(unit->EndPoint, 2, 1.5);
    ExpectWholeChain(*unit);
}

TEST_F(ComplexUnitTest, ZeroLengthOnlyWhenEveryPieceIsAPoint) {
    auto face = Chain({{0, 0, 5, 0}, {5, 0, 5, 0}});
    EXPECT_FALSE(face->IsZeroLength());
    auto points = Chain({{1, 1, 1, 1}, {1, 1, 1, 1}});
    EXPECT_TRUE(points->IsZeroLength());
    // The face with a degenerate piece stays in the contour.
    Contour contour;
    contour.AddUnit(std::move(face));
    contour.RemoveZeroLengthUnits();
    EXPECT_EQ(contour.Count(), 1);
}

TEST_F(ComplexUnitTest, TransformsKeepTheChainAndItsEndsTogether) {
    struct Case {
        const char* name;
        void (*apply)(CUnit&);
        double z1, x1, z2, x2;
    };
    const Case cases[] = {
        {"Reverse", [](CUnit& u) { u.Reverse(); }, 3, 2, 0, 0},
        {"Move", [](CUnit& u) { u.Move(1, -1); }, 1, -1, 4, 1},
        {"Rotate90", [](CUnit& u) { u.Rotate90(); }, 0, 0, -2, 3},
        {"MirrorZ", [](CUnit& u) { u.MirrorZ(); }, 0, 0, -3, 2},
        {"MirrorX", [](CUnit& u) { u.MirrorX(); }, 0, 0, 3, -2},
        {"InvertX", [](CUnit& u) { u.InvertX(); }, 0, 0, 3, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto unit = Staircase();
        c.apply(*unit);
        ExpectPoint(unit->StartPoint, c.z1, c.x1);
        ExpectPoint(unit->EndPoint, c.z2, c.x2);
        ExpectWholeChain(*unit);
    }
    auto twice = Staircase();
    twice->Reverse();
    twice->Reverse();
    ExpectPoint(twice->SubUnit(1)->StartPoint, 1, 0);
    ExpectPoint(twice->SubUnit(1)->EndPoint, 1, 1);

    // A reversed contour holding a complex unit has no breaks.
    Contour contour;
    contour.AddUnit(std::make_unique<CLineUnit>(-1, 0, 0, 0));
    contour.AddUnit(Staircase());
    contour.Reverse();
    EXPECT_FALSE(contour.HasBreaks());
    const auto simple = contour.GetSimpleContour();
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(simple->Count(), 6);
    EXPECT_FALSE(simple->HasBreaks());
}

TEST_F(ComplexUnitTest, SameCarrierComparesPiecesWithinTheShorterList) {
    auto a = Chain({{0, 0, 1, 0}, {1, 0, 1, 1}});
    auto longer = Chain({{2, 0, 3, 0}, {1, 2, 1, 3}, {5, 5, 6, 6}});
    auto shorter = Chain({{2, 0, 3, 0}});
    auto other = Chain({{0, 0, 1, 1}, {1, 0, 1, 1}});
    const CLineUnit line(0, 0, 1, 0);
    EXPECT_TRUE(a->IsSameCarrier(*longer));
    EXPECT_FALSE(a->IsSameCarrier(*shorter));  // the other's list is never read past its end
    EXPECT_FALSE(a->IsSameCarrier(*other));
    EXPECT_FALSE(a->IsSameCarrier(line));
    EXPECT_FALSE(CComplexUnit().IsSameCarrier(*a));
}

TEST_F(ComplexUnitTest, CrossingsWithPlainAndComplexPartners) {
    auto unit = Staircase();
    const CLineUnit probe(0, 0.5, 3, 0.5);  // crosses the second piece at (1, 0.5)
    IntersectPointList points(5);
    unit->Intersect(&probe, points);
    ASSERT_EQ(points.Count(), 1u);
    EXPECT_NEAR(points[0].z, 1, 1e-9);
    IntersectPointList back(5);
    probe.Intersect(unit.get(), back);
    ASSERT_EQ(back.Count(), 1u);
    EXPECT_NEAR(back[0].x, 0.5, 1e-9);
    auto cross = Chain({{1.5, 0, 1.5, 3}, {1.5, 3, 2.5, 3}});  // its first piece meets the third step
    IntersectPointList both(5);
    unit->Intersect(cross.get(), both);
    ASSERT_EQ(both.Count(), 1u);
    EXPECT_NEAR(both[0].z, 1.5, 1e-9);
    EXPECT_NEAR(both[0].x, 1, 1e-9);
}

TEST_F(ComplexUnitTest, TrimsSkipWholePiecesAndShortenTheNextOne) {
    auto unit = Staircase();
    unit->StartExtension = -1.5;
    unit->EndExtension = -1.5;
    const UnitPtr result = unit->GetOffsetUnit(true, 0.0);
    const auto& trimmed = static_cast<const CComplexUnit&>(*result);
    EXPECT_EQ(trimmed.SourceUnit, unit.get());
    ASSERT_EQ(trimmed.SubUnitCount(), 3);
    ExpectPoint(trimmed.StartPoint, 1, 0.5);
    ExpectPoint(trimmed.EndPoint, 2, 1.5);
    EXPECT_NEAR(trimmed.GetLength(), 2.0, 1e-12);
    // The source is left as it was.
    EXPECT_EQ(unit->SubUnitCount(), 5);
    ExpectPoint(unit->StartPoint, 0, 0);

    // Trims that reach the whole length drop nothing and apply as given.
    unit->StartExtension = -2.5;
    unit->EndExtension = -2.5;
    const UnitPtr whole = unit->GetOffsetUnit(true, 0.0);
    const auto& all = static_cast<const CComplexUnit&>(*whole);
    EXPECT_EQ(all.SubUnitCount(), 5);
    ExpectPoint(all.StartPoint, 2.5, 0);
    ExpectPoint(all.EndPoint, 0.5, 2);

    // A positive extension prolongs along the chord.
    unit->StartExtension = 2;
    unit->EndExtension = 0;
    const UnitPtr longer = unit->GetOffsetUnit(true, 0.0);
    ExpectPoint(longer->StartPoint, -2, 0);
}

TEST_F(ComplexUnitTest, OffsetGoesThroughTheWorkDocumentAndGivesItBack) {
    Document2D sketch;
    SetActiveDocument2D(&sketch);
    auto unit = Chain({{0, 0, 10, 0}, {10, 0, 10, 10}});
    unit->OffsetDistance = 1;
    const UnitPtr result = unit->GetOffsetUnit(false, 0.0);
    const auto& offset = static_cast<const CComplexUnit&>(*result);
    // Left of travel; the inner corner is trimmed.
    ASSERT_EQ(offset.SubUnitCount(), 2);
    ExpectPoint(offset.StartPoint, 0, 1);
    ExpectPoint(offset.EndPoint, 9, 10);
    ExpectPoint(offset.SubUnit(0)->EndPoint, 9, 1);
    EXPECT_TRUE(offset.SubUnit(1)->FromComplex);
    EXPECT_EQ(&ActiveDocument2D(), &sketch);
    EXPECT_TRUE(sketch.Objects().empty());
    EXPECT_TRUE(HiddenWorkDocument2D().Objects().empty());  // the call leaves nothing behind

    // Round join at the outer corner of the other side's offset.
    auto reversed = Chain({{10, 10, 10, 0}, {10, 0, 0, 0}});
    const UnitPtr outer = reversed->GetOffsetUnit(true, 1.0);
    const auto& round = static_cast<const CComplexUnit&>(*outer);
    ASSERT_EQ(round.SubUnitCount(), 3);
    EXPECT_EQ(round.SubUnit(1)->Kind, kUnitArc);
    ExpectPoint(round.StartPoint, 11, 10);
    ExpectPoint(round.EndPoint, 0, -1);
    ExpectPoint(round.SubUnit(0)->EndPoint, 11, 0);
    ExpectPoint(round.SubUnit(1)->CentrePoint, 10, 0);
    EXPECT_NEAR(static_cast<const CArcUnit&>(*round.SubUnit(1)).Radius, 1.0, 1e-9);
    ExpectPoint(round.SubUnit(2)->StartPoint, 10, -1);

    // No offset at a distance of zero or below the slack.
    const UnitPtr same = unit->GetOffsetUnit(true, 0.00005);
    ExpectPoint(same->StartPoint, 0, 0);
    SetActiveDocument2D(nullptr);
}

TEST_F(ComplexUnitTest, AFailingHostCallStillGivesTheDocumentBack) {
    Document2D sketch;
    SetActiveDocument2D(&sketch);
    auto unit = Chain({{0, 0, 10, 0}});
    HostFaults::Arm("Document2D.Equidistant", E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([&] { unit->GetOffsetUnit(true, 1.0); }), E_FAIL_);
    EXPECT_EQ(&ActiveDocument2D(), &sketch);
    HostFaults::Arm("RefreshHostView", E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([&] { unit->GetOffsetUnit(true, 1.0); }), E_FAIL_);
    EXPECT_EQ(&ActiveDocument2D(), &sketch);
    SetActiveDocument2D(nullptr);
}

TEST_F(ComplexUnitTest, PrintInfoShowsTheCountTheEndsAndEachPiece) {
    auto unit = Chain({{0, 0, 1, 0}, {1, 0, 1, 1}});
    unit->PrintInfo();
    const MessageEntry& box = Entries().back();
    EXPECT_EQ(box.caption, " ");
    EXPECT_EQ(box.text.rfind("Count=2\nZ1=0.0000000 X1=0.0000000  Z2=1.0000000 X2=1.0000000\np=", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(": Z1=1.0000000 X1=0.0000000  Z2=1.0000000 X2=1.0000000\n"), std::string::npos);
}

}  // namespace
}  // namespace zarvento
