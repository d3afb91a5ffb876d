// Contours holding gap and complex units: the simplified copies and cuts
// through them.
#include <gtest/gtest.h>

#include <memory>

#include "geometry/complex_unit.h"
#include "geometry/contour.h"
#include "geometry/gap_unit.h"
#include "geometry/line_unit.h"
#include "test_support.h"

namespace zarvento {
namespace {

std::unique_ptr<CComplexUnit> TwoStep(double z, double x) {
    auto unit = std::make_unique<CComplexUnit>();
    unit->AddUnit(std::make_unique<CLineUnit>(z, x, z, x + 5));
    unit->AddUnit(std::make_unique<CLineUnit>(z, x + 5, z + 10, x + 5));
    unit->UpdateEnds();
    return unit;
}

// A line, a collinear gap bridged by one segment, a line, a complex unit of
// two pieces and a corner gap of two bridges.
class MixedContourTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        auto a = std::make_unique<CLineUnit>(0, 0, 10, 0);
        auto b = std::make_unique<CLineUnit>(12, 0, 20, 0);
        auto gap = std::make_unique<CGapUnit>(a.get(), b.get());
        const CLineUnit tail(32, 8, 32, 20);
        auto complex = TwoStep(20, 0);  // (20, 0) to (30, 5)
        auto corner = std::make_unique<CGapUnit>(complex->SubUnit(1), &tail);
        contour.AddUnit(std::move(a));
        contour.AddUnit(std::move(gap));
        contour.AddUnit(std::move(b));
        contour.AddUnit(std::move(complex));
        contour.AddUnit(std::move(corner));
    }

    Contour contour;
};

TEST_F(MixedContourTest, SimplifiedCopiesExpandGapsComplexUnitsOrBoth) {
    ASSERT_EQ(contour.GetUnit(1)->GetBridge(0) != nullptr, true);
    ASSERT_EQ(contour.GetUnit(4)->GetBridge(1) != nullptr, true);

    const auto simple = contour.GetSimpleContour();
    ASSERT_NE(simple, nullptr);
    ASSERT_EQ(simple->Count(), 7);  // line, bridge, line, two pieces, two bridges
    const char kinds[] = {'L', 'L', 'L', 'L', 'L', 'L', 'L'};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(simple->GetUnit(i)->Kind, kinds[i]);
    EXPECT_TRUE(simple->GetUnit(3)->FromComplex);
    EXPECT_TRUE(simple->GetUnit(4)->FromComplex);
    EXPECT_FALSE(simple->GetUnit(1)->FromComplex);
    EXPECT_FALSE(simple->HasBreaks());

    const auto gapsOut = contour.ExpandGaps();
    ASSERT_NE(gapsOut, nullptr);
    ASSERT_EQ(gapsOut->Count(), 6);
    EXPECT_EQ(gapsOut->GetUnit(3)->Kind, kUnitComplex);

    const auto complexOut = contour.ExpandComplex();
    ASSERT_NE(complexOut, nullptr);
    ASSERT_EQ(complexOut->Count(), 4);  // gaps left out
    EXPECT_EQ(complexOut->GetUnit(2)->StartPoint.z, 20);
    EXPECT_EQ(complexOut->GetUnit(3)->EndPoint.z, 30);

    Contour plain;
    plain.AddUnit(std::make_unique<CLineUnit>(0, 0, 1, 0));
    plain.AddUnit(TwoStep(1, 0));
    static_cast<CComplexUnit*>(plain.GetUnit(1))->SetEndPoint(1, 3);  // one piece left
    EXPECT_EQ(plain.ExpandComplex(), nullptr);                        // nothing to expand when each counts once
}

TEST_F(MixedContourTest, SimpleCopiesLeaveOutDegeneratePiecesAndEmptyGaps) {
    Contour c;
    auto face = std::make_unique<CComplexUnit>();
    face->AddUnit(std::make_unique<CLineUnit>(0, 0, 5, 0));
    face->AddUnit(std::make_unique<CLineUnit>(5, 0, 5, 0));
    face->UpdateEnds();
    c.AddUnit(std::move(face));
    c.AddUnit(std::make_unique<CGapUnit>());  // no neighbours, no bridge
    const auto simple = c.GetSimpleContour();
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(simple->Count(), 1);
}

TEST_F(MixedContourTest, CutsSkipGapsAndCutComplexUnitsByTheirPieces) {
    IntersectPoint p1, p2;
    p1.z = 5;
    p1.index1 = 0;
    p2.z = 25;
    p2.x = 5;
    p2.index1 = 3;
    for (const bool cyclic : {false, true}) {
        SCOPED_TRACE(cyclic);
        const auto piece = cyclic ? contour.CutPartCyclic(p1, p2) : contour.CutPart(p1, p2);
        ASSERT_NE(piece, nullptr);
        ASSERT_EQ(piece->Count(), 3);  // the gap has no copy of its own
        EXPECT_EQ(piece->GetUnit(2)->Kind, kUnitComplex);
        EXPECT_DOUBLE_EQ(piece->GetUnit(2)->GetLength(), 10.0);
        EXPECT_DOUBLE_EQ(piece->GetLength(), 5.0 + 8.0 + 10.0);
    }
}

}  // namespace
}  // namespace zarvento
