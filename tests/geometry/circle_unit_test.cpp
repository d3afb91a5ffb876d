// The circle unit: on-circle tolerance, intersections, signed lengths, box.
#include "geometry/circle_unit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class CircleUnitTest : public CleanStateTest {};

TEST_F(CircleUnitTest, FieldsAndCopies) {
    CCircleUnit circle(2, -3, 4, -1, true);
    EXPECT_EQ(circle.Kind, 'C');
    EXPECT_EQ(circle.ArcType, 1);
    EXPECT_EQ(circle.SurfaceName, "");
    EXPECT_EQ(circle.StartPoint.z, 0);
    circle.ArcType = 2;
    circle.IsMarked = true;
    auto clone = circle.Clone();
    const auto* c = static_cast<const CCircleUnit*>(clone.get());
    EXPECT_EQ(c->Radius, 4);
    EXPECT_EQ(c->ArcType, 2);
    EXPECT_EQ(c->DirVector, -1);
    EXPECT_TRUE(c->IsRapid);
    EXPECT_TRUE(c->IsMarked);
    EXPECT_EQ(c->CentrePoint.x, -3);
    auto simple = circle.GetSimpleCopy();
    EXPECT_FALSE(simple->IsRapid);
    EXPECT_EQ(static_cast<const CCircleUnit*>(simple.get())->ArcType, 1);
    EXPECT_EQ(simple->Kind, 'C');
}

TEST_F(CircleUnitTest, OnCircleWithinEps) {
    const CCircleUnit circle(1, 1, 5, 1);
    EXPECT_TRUE(circle.IsPointOnUnit(6 + 0.5e-6, 1));
    EXPECT_FALSE(circle.IsPointOnUnit(6 + 2e-6, 1));
    EXPECT_TRUE(circle.IsPointOnUnit(1, -4));
    EXPECT_FALSE(circle.IsPointOnUnit(1, 1));
}

TEST_F(CircleUnitTest, IntersectionsTable) {
    const CCircleUnit circle(0, 0, 5, 1);
    struct Case {
        const char* name;
        std::unique_ptr<CUnit> other;
        std::uint32_t count;
    };
    Case cases[] = {
        {"line through the centre", std::make_unique<CLineUnit>(-10, 0, 10, 0), 2},
        {"tangent line", std::make_unique<CLineUnit>(-10, 5, 10, 5), 1},
        {"line ending inside", std::make_unique<CLineUnit>(0, 0, 10, 0), 1},
        {"line missing", std::make_unique<CLineUnit>(-10, 6, 10, 6), 0},
        {"arc crossing twice", std::make_unique<CArcUnit>(5, 0, 5, 10, 0, 5, -5, -1), 2},
        {"arc crossing once", std::make_unique<CArcUnit>(5, 0, 5, 10, 0, 0, 0, 1), 1},
        {"another circle", std::make_unique<CCircleUnit>(5, 0, 5, 1), 0},
        {"null partner", nullptr, 0},
    };
    for (auto& c : cases) {
        IntersectPointList list;
        circle.Intersect(c.other.get(), list);
        EXPECT_EQ(list.Count(), c.count) << c.name;
        for (const auto& p : list) {
            EXPECT_TRUE(circle.IsPointOnUnit(p.z, p.x)) << c.name;
            EXPECT_TRUE(c.other->IsPointOnUnit(p.z, p.x)) << c.name;
        }
    }
}

TEST_F(CircleUnitTest, LengthsAreSignedFromPolarAngleZero) {
    const CCircleUnit cw(0, 0, 2, 1);
    const CCircleUnit ccw(0, 0, 2, -1);
    EXPECT_DOUBLE_EQ(cw.GetLength(), 4 * PI);
    EXPECT_DOUBLE_EQ(cw.GetLength3D(), 4 * PI);
    EXPECT_DOUBLE_EQ(cw.GetLengthToPoint(0, 2), -PI);
    EXPECT_DOUBLE_EQ(ccw.GetLengthToPoint(0, 2), PI);
    EXPECT_DOUBLE_EQ(ccw.GetLengthToPoint(-2, 0), 2 * PI);
    EXPECT_DOUBLE_EQ(ccw.GetLengthToPoint3D(0, 9, -2), 2 * PI);  // turning plane: (z, x) of (x, y, z)

    IntersectPoint mid;
    mid.z = mid.x = 3;
    mid.index1 = 4;
    cw.GetMidPoint(mid, 2, 0, -2, 0);
    EXPECT_EQ(mid.z, 0);
    EXPECT_EQ(mid.x, 0);
    EXPECT_EQ(mid.index1, 0);

    BoundBox box;
    CCircleUnit(1, -3, 2, 1).GetBoundBox(box);
    EXPECT_EQ(box.zmin, -1);
    EXPECT_EQ(box.xmin, -5);
    EXPECT_EQ(box.zmax, 3);
    EXPECT_EQ(box.xmax, -1);
}

TEST_F(CircleUnitTest, IsNeverDrawnAndMakesNoFrame) {
    CCircleUnit circle(0, 0, 2, 1);
    circle.CreateTessellationEdge(0x11);
    circle.CreateTessellationFace(0x11);
    EXPECT_EQ(circle.Draw2D(1), 0);
    EXPECT_EQ(circle.Edge, nullptr);
    EXPECT_EQ(circle.Face, nullptr);
    EXPECT_TRUE(ActiveDocument2D().Objects().empty());
    EXPECT_EQ(circle.CreateCadre(), nullptr);
    EXPECT_EQ(circle.GetScriptText(), "");
    EXPECT_EQ(circle.GetStartAngle(), 0.0);
    EXPECT_EQ(circle.GetCurvature(), 0.0);
    IntersectPointList list;
    circle.GetPointsByStep(list, 1, 0);
    circle.GetNearestPoint(5, 5, list, 0);
    EXPECT_EQ(list.Count(), 0u);
    circle.PrintInfo();
    EXPECT_EQ(Messages(), std::vector<std::string>{""});
}

}  // namespace
}  // namespace zarvento
