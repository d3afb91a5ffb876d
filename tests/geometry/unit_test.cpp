// The unit base: transforms and their inverses, split at points, orientation
// by the coordinate system, host objects, selection and gap partners.
#include "geometry/unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/arc_unit.h"
#include "geometry/circle_unit.h"
#include "geometry/exception.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/dialogs/selection_manager.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class UnitTest : public CleanStateTest {};

void ExpectSameGeometry(const CUnit& a, const CUnit& b, const char* what) {
    const Point3D* pa[] = {&a.StartPoint, &a.EndPoint, &a.CentrePoint};
    const Point3D* pb[] = {&b.StartPoint, &b.EndPoint, &b.CentrePoint};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(pa[i]->z, pb[i]->z, 1e-12) << what << " point " << i;
        EXPECT_NEAR(pa[i]->x, pb[i]->x, 1e-12) << what << " point " << i;
        EXPECT_EQ(pa[i]->y, pb[i]->y) << what << " point " << i;
    }
    EXPECT_EQ(a.DirVector, b.DirVector) << what;
}

// Random lines, arcs and circles; arcs are built on their circle.
std::vector<UnitPtr> RandomUnits(std::mt19937& rng, int n) {
    std::uniform_real_distribution<double> coord(-100, 100), radius(0.5, 50), angle(0, 2 * PI);
    std::vector<UnitPtr> units;
    for (int i = 0; i < n; ++i) {
        const int dir = (i / 3) % 2 ? 1 : -1;
        switch (i % 3) {
            case 0: units.push_back(std::make_unique<CLineUnit>(coord(rng), coord(rng), coord(rng), coord(rng))); break;
            case 1: {
                const double zc = coord(rng), xc = coord(rng), r = radius(rng), a1 = angle(rng), a2 = angle(rng);
                units.push_back(std::make_unique<CArcUnit>(zc, xc, r, zc + r * std::cos(a1), xc + r * std::sin(a1),
                                                           zc + r * std::cos(a2), xc + r * std::sin(a2), dir));
                break;
            }
            default: units.push_back(std::make_unique<CCircleUnit>(coord(rng), coord(rng), radius(rng), dir)); break;
        }
    }
    return units;
}

TEST_F(UnitTest, TransformsUndoThemselves) {
    std::mt19937 rng(20261209);
    for (const auto& unit : RandomUnits(rng, 60)) {
        struct Case {
            const char* name;
            int times;
            void (*apply)(CUnit&);
        };
        const Case cases[] = {
            {"Reverse", 2, [](CUnit& u) { u.Reverse(); }},
            {"Rotate90", 4, [](CUnit& u) { u.Rotate90(); }},
            {"MirrorZ", 2, [](CUnit& u) { u.MirrorZ(); }},
            {"MirrorX", 2, [](CUnit& u) { u.MirrorX(); }},
            {"InvertX", 2, [](CUnit& u) { u.InvertX(); }},
            {"InvertDirection", 2, [](CUnit& u) { u.InvertDirection(); }},
        };
        for (const auto& c : cases) {
            auto copy = unit->Clone();
            for (int k = 0; k < c.times; ++k) c.apply(*copy);
            ExpectSameGeometry(*copy, *unit, c.name);
        }
    }
}

TEST_F(UnitTest, TransformedArcsKeepTheirShape) {
    // A mirrored, rotated or reversed arc still runs over the image of its own sweep.
    std::mt19937 rng(7);
    for (const auto& unit : RandomUnits(rng, 60)) {
        if (unit->Kind != 'A') continue;
        IntersectPoint mid;
        unit->GetMiddlePoint(mid);
        struct Case {
            const char* name;
            void (*apply)(CUnit&);
            double (*z)(double, double);
            double (*x)(double, double);
        };
        const Case cases[] = {
            {"Reverse", [](CUnit& u) { u.Reverse(); }, [](double z, double) { return z; },
             [](double, double x) { return x; }},
            {"Rotate90", [](CUnit& u) { u.Rotate90(); }, [](double, double x) { return -x; },
             [](double z, double) { return z; }},
            {"MirrorZ", [](CUnit& u) { u.MirrorZ(); }, [](double z, double) { return -z; },
             [](double, double x) { return x; }},
            {"MirrorX", [](CUnit& u) { u.MirrorX(); }, [](double z, double) { return z; },
             [](double, double x) { return -x; }},
            {"Move", [](CUnit& u) { u.Move(3, -4); }, [](double z, double) { return z + 3; },
             [](double, double x) { return x - 4; }},
        };
        for (const auto& c : cases) {
            auto copy = unit->Clone();
            c.apply(*copy);
            EXPECT_NEAR(copy->GetLength(), unit->GetLength(), 1e-7) << c.name;
            IntersectPoint m;
            copy->GetMiddlePoint(m);
            EXPECT_NEAR(m.z, c.z(mid.z, mid.x), 1e-7) << c.name;
            EXPECT_NEAR(m.x, c.x(mid.z, mid.x), 1e-7) << c.name;
        }
    }
}

TEST_F(UnitTest, BaseTransformValues) {
    CLineUnit line(1, 2, 3, 4);
    line.DirVector = 5;
    line.Reverse();
    EXPECT_EQ(line.StartPoint.z, 3);
    EXPECT_EQ(line.EndPoint.x, 2);
    EXPECT_EQ(line.DirVector, 1);  // anything but 1 becomes 1
    line.Reverse();
    EXPECT_EQ(line.DirVector, -1);
    line.Rotate90();
    EXPECT_EQ(line.StartPoint.z, -2);
    EXPECT_EQ(line.StartPoint.x, 1);
    EXPECT_EQ(line.DirVector, -1);
    line.Move(1, 1);
    EXPECT_EQ(line.StartPoint.z, -1);
    EXPECT_EQ(line.CentrePoint.x, 1);
    line.Move3D(1, 2, 3);
    EXPECT_EQ(line.StartPoint.x, 3);
    EXPECT_EQ(line.StartPoint.y, 2);
    EXPECT_EQ(line.StartPoint.z, 2);
    line.SetStartPoint(7, 8);
    line.SetEndPoint(7, 8 + 0.5e-6);
    EXPECT_TRUE(line.IsZeroLength());
    EXPECT_EQ(line.StartPoint.y, 2);
}

TEST_F(UnitTest, SplitAtPointsSortsAndChains) {
    const CLineUnit line(0, 0, 10, 0, true);
    IntersectPointList points;
    for (double z : {7.0, 0.0, 3.0, 10.0, 3.0 + 0.5e-6}) points.Add({z, 0});
    UnitList pieces(1);
    line.SplitAtPoints(pieces, points);
    EXPECT_EQ(points[0].z, 0);
    EXPECT_EQ(points[4].z, 10);
    ASSERT_EQ(pieces.Count(), 3u);
    const double ends[][2] = {{0, 3}, {3, 7}, {7, 10}};
    for (std::uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pieces[i]->StartPoint.z, ends[i][0]);
        EXPECT_EQ(pieces[i]->EndPoint.z, ends[i][1]);
        EXPECT_TRUE(pieces[i]->IsRapid);
        EXPECT_EQ(pieces[i]->Kind, 'L');
    }
    EXPECT_EQ(line.StartPoint.z, 0);
    EXPECT_EQ(line.EndPoint.z, 10);

    // An arc splits along its sense; the last piece reaches its end.
    const CArcUnit arc(0, 0, 10, 0, 10, 10, 0, 1);
    const double r = 10 / std::sqrt(2.0);
    IntersectPointList onArc;
    onArc.Add({r, r});
    UnitList arcs;
    arc.SplitAtPoints(arcs, onArc);
    ASSERT_EQ(arcs.Count(), 2u);
    EXPECT_NEAR(arcs[0]->GetLength() + arcs[1]->GetLength(), arc.GetLength(), 1e-9);
    EXPECT_EQ(arcs[1]->EndPoint.z, 10);

    IntersectPointList none;
    UnitList whole;
    arc.SplitAtPoints(whole, none);
    ASSERT_EQ(whole.Count(), 1u);
    EXPECT_NEAR(whole[0]->GetLength(), arc.GetLength(), 1e-12);
}

TEST_F(UnitTest, OrientByLscFourCases) {
    struct Case {
        double refX, refVectorX, startZ, endZ;
        bool reversed;
    };
    const Case cases[] = {
        {5, 0, 10, 0, true},    // part side running towards -Z: turned round
        {5, 0, 0, 10, false},   // part side already towards +Z
        {-5, 0, 0, 10, true},   // other side running towards +Z: turned round
        {-5, 0, 10, 0, false},  // other side already towards -Z
        {5, 1, 10, 0, false},   // the reference vector forbids it
    };
    for (const auto& c : cases) {
        CLineUnit line(c.startZ, -1, c.endZ, -1);
        line.RefPoint = {c.refX, 0, 0};
        line.RefVector = {c.refVectorX, 0, 0};
        line.OrientByLSC();
        EXPECT_EQ(line.StartPoint.z != c.startZ, c.reversed) << c.refX << " " << c.startZ;
    }
    // The reference point is converted into the coordinate system, and an x
    // on the axis takes the y.
    LscTransform::Global().originX = 10;
    CLineUnit line(10, -1, 0, -1);
    line.RefPoint = {10, 5, 0};
    line.OrientByLSC();
    EXPECT_EQ(line.RefPoint.x, 5);
    EXPECT_EQ(line.StartPoint.z, 0);
}

TEST_F(UnitTest, HostObjectsAreSharedByClones) {
    auto a = std::make_shared<HostObject>();
    auto b = std::make_shared<HostObject>();
    auto line = std::make_unique<CLineUnit>(0, 0, 1, 0);
    line->AddObject(a);
    line->AddObject(b);
    line->SetSourceObject(a);
    line->HostObjectId = 42;
    line->FaceColour = 0x77;
    EXPECT_EQ(line->HostObjectCount(), 2);
    EXPECT_TRUE(line->HasObject(b));
    EXPECT_FALSE(line->HasObject(std::make_shared<HostObject>()));
    EXPECT_EQ(line->GetSourceObject(1), b);
    EXPECT_EQ(line->GetSourceObject(2), nullptr);
    EXPECT_EQ(line->GetSourceObject(-1), nullptr);

    auto clone = line->Clone();
    EXPECT_EQ(clone->HostObjectId, 0);
    EXPECT_EQ(clone->SourceObject, nullptr);
    EXPECT_EQ(clone->FaceColour, 0u);
    line.reset();
    ASSERT_EQ(clone->HostObjectCount(), 2);
    EXPECT_EQ(clone->GetSourceObject(0), a);
    EXPECT_EQ(a.use_count(), 2);

    clone->CopyObjectsTo(*clone);
    EXPECT_EQ(clone->HostObjectCount(), 4);
    const CLineUnit empty(0, 0, 1, 0);
    clone->CopyFrom(empty);
    EXPECT_EQ(clone->HostObjectCount(), 0);
    EXPECT_EQ(a.use_count(), 1);
}

TEST_F(UnitTest, SelectionGoesThroughTheHostManager) {
    CLineUnit line(0, 0, 1, 0);
    line.Select();  // no objects: the manager is not needed
    EXPECT_TRUE(line.Selected);
    line.Deselect();

    auto a = std::make_shared<HostObject>();
    line.AddObject(a);
    line.AddObject(nullptr);
    try {
        line.Select();
        FAIL() << "no selection manager";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Code(), E_POINTER_);
    }

    auto manager = std::make_shared<SelectionManager>();
    SetHostSelectionManager(manager);
    line.Deselect();
    line.Select();
    EXPECT_TRUE(manager->IsSelected(a));
    line.Select();  // already selected: nothing asked
    EXPECT_EQ(manager->Calls().size(), 2u);
    line.HideSelection();
    EXPECT_TRUE(line.Selected);
    EXPECT_FALSE(manager->IsSelected(a));
    line.ShowSelection();
    EXPECT_TRUE(manager->IsSelected(a));
    line.Deselect();
    EXPECT_FALSE(line.Selected);
    EXPECT_FALSE(manager->IsSelected(a));
    line.ShowSelection();  // not selected: nothing shown
    line.HideSelection();
    EXPECT_EQ(manager->Calls().size(), 5u);
}

// A stand-in gap: two bridging lines and the on-unit test over both.
class FakeGap final : public CUnit {
public:
    FakeGap() : CUnit(kUnitGap), b1(0, 5, 5, 5), b2(5, 5, 5, 0) {}
    UnitPtr Clone() const override { return std::make_unique<FakeGap>(); }
    UnitPtr GetSimpleCopy() const override { return nullptr; }
    bool IsPointOnUnit(double z, double x, int flag = 0) const override {
        return b1.IsPointOnUnit(z, x, flag) || b2.IsPointOnUnit(z, x, flag);
    }
    const CUnit* GetBridge(int index) const override { return index == 0 ? &b1 : index == 1 ? &b2 : nullptr; }
    double GetLength() const override { return 0; }
    double GetLength3D() const override { return 0; }
    double GetLengthToPoint(double, double) const override { return 0; }
    double GetLengthToPoint3D(double, double, double) const override { return 0; }
    void GetMidPoint(IntersectPoint& out, double, double, double, double) const override { out = {}; }
    void GetBoundBox(BoundBox& box) const override { box = {}; }
    CLineUnit b1, b2;
};

TEST_F(UnitTest, GapPartnersAreIntersectedThroughTheirBridges) {
    const FakeGap gap;
    IntersectPointList list;
    CLineUnit(2, 0, 2, 10).Intersect(&gap, list);            // crosses the first bridge
    CLineUnit(0, 2, 10, 2).Intersect(&gap, list);            // crosses the second bridge
    CLineUnit(0, 0, 10, 10).Intersect(&gap, list);           // through the corner: found on both bridges
    CArcUnit(5, 5, 1, 4, 5, 5, 4, 1).Intersect(&gap, list);  // ends on the bridges
    CCircleUnit(5, 5, 1, 1).Intersect(&gap, list);           // circles do not look at gaps
    ASSERT_EQ(list.Count(), 6u);
    EXPECT_EQ(list[0].z, 2);
    EXPECT_EQ(list[0].x, 5);
    EXPECT_EQ(list[1].z, 5);
    EXPECT_EQ(list[1].x, 2);
    for (std::uint32_t i = 2; i < 4; ++i) {
        EXPECT_NEAR(list[i].z, 5, 1e-12);
        EXPECT_NEAR(list[i].x, 5, 1e-12);
    }
}

TEST_F(UnitTest, OverlapNeedsTheSameKind) {
    const CLineUnit line(0, 10, 10, 10);
    const CArcUnit arc(0, 0, 10, 0, 10, 10, 0, 1);  // starts where the line starts
    EXPECT_FALSE(line.IsOverlap(arc));
    EXPECT_FALSE(arc.IsOverlap(line));
    EXPECT_TRUE(arc.IsOverlap(CArcUnit(0, 0, 10, 10 / std::sqrt(2.0), 10 / std::sqrt(2.0), 10, 0, 1)));
}

TEST_F(UnitTest, CloneWithEndsAndStepChecks) {
    const CArcUnit arc(0, 0, 10, 0, 10, 10, 0, 1);
    auto piece = arc.CloneWithEnds(0, 10, 10 / std::sqrt(2.0), 10 / std::sqrt(2.0));
    EXPECT_NEAR(piece->GetLength(), 10 * PI / 4, 1e-9);
    try {
        CheckPointStep(0, 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid step for points along a unit");
    }
    EXPECT_THROW(CheckPointStep(1e-8, 1), Exception);
    EXPECT_NO_THROW(CheckPointStep(1e-7, 1));
}

}  // namespace
}  // namespace zarvento
