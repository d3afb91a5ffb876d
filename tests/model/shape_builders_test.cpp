// The shape builders as the scene survey sees them: surfaces of revolution
// (ring sizes, normals, the axis), arcs, path lines and their arrows, markers,
// regions, safety planes and the start-point sphere.
#include <cmath>
#include <set>
#include <tuple>

#include "display_test_support.h"
#include "geometry/primitives.h"
#include "model/arrow_face.h"
#include "model/plane_face.h"
#include "model/point_et.h"
#include "model/point_face_sp.h"
#include "model/region_face.h"
#include "model/shape_builders.h"
#include "model/tessellation_object_edge.h"
#include "model/tessellation_object_face.h"
#include "platform/documents/settings_record.h"

namespace zarvento {
namespace {

class ShapeBuildersTest : public test::DisplayTest {};

double Length(const Point3D& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Point3D TriangleNormal(const CTessellationObject& o, std::uint32_t t) {
    const Point3D &a = o.vertices[3 * t], &b = o.vertices[3 * t + 1], &c = o.vertices[3 * t + 2];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    return {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
}

IntersectPointList Points(std::initializer_list<std::pair<double, double>> zx) {
    IntersectPointList list(10);
    for (const auto& [z, x] : zx) {
        IntersectPoint p;
        p.z = z, p.x = x;
        list.Add(p);
    }
    return list;
}

double MeshArea(const CTessellationObject& o) {
    double area = 0;
    for (std::uint32_t t = 0; t < o.vertices.Count() / 3; ++t) area += Length(TriangleNormal(o, t)) / 2;
    return area;
}

TEST_F(ShapeBuildersTest, RevolvedSegmentsHaveTwoRingsOfThirtyAndTheirConeNormals) {
    struct Case {
        const char* name;
        double z1, r1, z2, r2;
        int vertices;
    };
    for (const Case& c : {Case{"cylinder", 0, -10, 20, -10, 174}, Case{"disc", 5, 0, 5, -12, 174},
                          Case{"cone from the axis", 0, 0, 10, -10, 174}, Case{"cone to the axis", 0, -4, 3, 0, 174},
                          Case{"no length", 3, -2, 3, -2, 0}}) {
        SCOPED_TRACE(c.name);
        CTessellationObjectFace face;
        face.CreateRevolvedLine(c.z1, c.r1, c.z2, c.r2, 0x123456);
        EXPECT_EQ(face.vertexCount, c.vertices);
        EXPECT_EQ(static_cast<int>(face.vertices.Count()), c.vertices);
        EXPECT_EQ(static_cast<int>(face.normals.Count()), c.vertices);
        EXPECT_TRUE(test::AllFinite(face)) << "a ring on the axis has no radial direction, yet a normal";
        ASSERT_TRUE(face.IsDrawn());
        EXPECT_EQ(face.hostDrawable->TriangleCount(), c.vertices / 3);
        for (std::uint32_t i = 0; i < face.vertices.Count(); ++i) {
            // Every point lies on its ring about the Z axis.
            const Point3D& p = face.vertices[i];
            const double r = std::hypot(p.x, p.y);
            EXPECT_TRUE(std::fabs(r - std::fabs(c.r1)) < 1e-9 || std::fabs(r - std::fabs(c.r2)) < 1e-9) << i;
        }
    }

    CTessellationObjectFace cylinder;
    cylinder.CreateRevolvedLine(0, -10, 20, -10, 1);
    const SinCosTable& table = GetSinCosTable();
    // The first triangle's corners are rings 1, 1, 2 at table entries 0, 1, 1.
    EXPECT_NEAR(cylinder.normals[0].x, table.cosines[0], 1e-12);
    EXPECT_NEAR(cylinder.normals[0].y, table.sines[0], 1e-12);
    EXPECT_NEAR(cylinder.normals[2].x, table.cosines[1], 1e-12);
    for (const Point3D& n : cylinder.normals) {
        EXPECT_NEAR(n.z, 0, 1e-12);
        EXPECT_NEAR(Length(n), 1, 1e-12);
    }
    CTessellationObjectFace disc;
    disc.CreateRevolvedLine(5, 0, 5, -12, 1);
    for (const Point3D& n : disc.normals) EXPECT_EQ(std::make_tuple(n.x, n.y, n.z), std::make_tuple(0.0, 0.0, 1.0));
    CTessellationObjectFace apex;
    apex.CreateRevolvedLine(0, 0, 10, -10, 1);
    EXPECT_NEAR(apex.normals[0].z, 0.5, 1e-12);
    EXPECT_NEAR(std::hypot(apex.normals[0].x, apex.normals[0].y), 0.0, 1e-12) << "the apex ring: along the axis";
    EXPECT_NEAR(std::hypot(apex.normals[2].x, apex.normals[2].y), std::sqrt(0.5), 1e-12);
}

TEST_F(ShapeBuildersTest, TheMirrorFlagTurnsTheSurfaceTheOtherWay) {
    CTessellationObjectFace plain, mirrored;
    mirrored.mirror = true;
    plain.CreateRevolvedLine(0, -10, 20, -10, 1);
    mirrored.CreateRevolvedLine(0, -10, 20, -10, 1);
    for (std::uint32_t t = 0; t < 58; ++t) {
        // The outward direction at a triangle is its first corner's radius.
        const auto facing = [&](const CTessellationObject& o) {
            const Point3D n = TriangleNormal(o, t), &p = o.vertices[3 * t];
            return n.x * p.x + n.y * p.y;
        };
        EXPECT_LT(facing(plain) * facing(mirrored), 0) << t;
    }
}

TEST_F(ShapeBuildersTest, ArcsTakeAPointPerMillimetreUpToTwenty) {
    struct Case {
        double length;
        int points;
    };
    for (const Case& c : {Case{2.0, 3}, Case{0.0, 3}, Case{12.5, 12}, Case{19.99, 19}, Case{40, 20}, Case{500, 20}})
        EXPECT_EQ(RevolvedArcPointCount(c.length), c.points) << c.length;
    // 100 divided by a twentieth of itself lands on 20 or just below it.
    EXPECT_GE(RevolvedArcPointCount(100.0), 19);
    EXPECT_LE(RevolvedArcPointCount(100.0), 20);

    // A quarter circle of length 12.5 about (0, -20), counter-clockwise and
    // clockwise from the same ends: 12 points, 11 segments; the long way round
    // is longer than 20 and takes 20.
    const double r = 12.5 / (PI / 2);
    CTessellationObjectFace quarter, longWay;
    quarter.CreateRevolvedArc(0, -20, r, r, -20, 0, -20 + r, +1, 7);
    longWay.CreateRevolvedArc(0, -20, r, r, -20, 0, -20 + r, -1, 7);
    EXPECT_EQ(quarter.vertexCount, 11 * 174);
    EXPECT_EQ(longWay.vertexCount, 19 * 174);
    // Its points stay on the torus of the arc.
    for (const Point3D& p : quarter.vertices) EXPECT_NEAR(std::hypot(std::hypot(p.x, p.y) - 20, p.z), r, 1e-9);
    EXPECT_EQ(quarter.hostDrawable->Colour(), 7u);
}

TEST_F(ShapeBuildersTest, PathLinesLongerThanSevenGetAnArrowInThePathAndRapidColoursOnly) {
    const SettingsRecord& settings = SettingsRecord::Global();
    const std::uint32_t path = settings.Colour(4), rapid = settings.Colour(5), other = 0x00AA00;
    ASSERT_NE(path, other);
    struct Case {
        double length;
        std::uint32_t colour;
        bool arrow;
    };
    for (const Case& c :
         {Case{7.0, path, false}, Case{7.01, path, true}, Case{7.01, rapid, true}, Case{7.01, other, false},
          Case{30, other, false}, Case{3, rapid, false}, Case{-20, path, true}}) {
        SCOPED_TRACE(testing::Message() << c.length << " in " << std::hex << c.colour);
        const std::int64_t before = Drawings().CreatedCount();
        CTessellationObjectEdge edge;
        // Lengths below zero run along a slant (3, 4, 5), so that the length
        // is the segment's, not one axis'.
        const bool slant = c.length < 0;
        const double dz = slant ? -c.length * 0.6 : c.length, dx = slant ? c.length * 0.8 : 0.0;
        edge.CreateLine(1, -2, 1 + dz, -2 + dx, c.colour);
        EXPECT_EQ(edge.arrows[0].IsDrawn(), c.arrow);
        EXPECT_FALSE(edge.arrows[1].IsDrawn());
        EXPECT_EQ(Drawings().CreatedCount() - before, c.arrow ? 2 : 1);
        EXPECT_EQ(edge.hostDrawable->Polylines().size(), 1u);
        EXPECT_EQ(edge.hostDrawable->Colour(), c.colour);
        if (!c.arrow) continue;
        EXPECT_EQ(edge.arrows[0].hostDrawable->Colour(), c.colour);
        EXPECT_EQ(edge.arrows[0].hostDrawable->Opacity(), 1.0);
        // The tip at 0.9 / 1.9 of the way, the notch behind it towards the start.
        const Point3D& tip = edge.arrows[0].vertices[2];
        EXPECT_NEAR(tip.z, 1 + dz * 0.9 / 1.9, 1e-12);
        EXPECT_NEAR(-tip.x, -2 + dx * 0.9 / 1.9, 1e-12);
        const Point3D& notch = edge.arrows[0].vertices[0];
        EXPECT_NEAR(Distance(tip.z, tip.x, notch.z, notch.x), 0.8 * ArrowLength, 1e-12);
        EXPECT_LT(notch.z, tip.z);
    }
}

TEST_F(ShapeBuildersTest, ADrawnMarkerDoesNotMoveWhenDrawnAgainElsewhere) {
    CArrowFace arrow;
    arrow.CreateArrow(10, -5, 0.3, 0x0000FF, false);
    CPointET point;
    point.DrawPoint(10, -5);
    const auto boxOf = [](const CTessellationObject& o) { return DrawableSummary::Of(*o.hostDrawable).box; };
    const SceneBox arrowBox = boxOf(arrow), pointBox = boxOf(point);
    arrow.CreateArrow(40, -20, 1.3, 0x00FF00, true);
    point.DrawPoint(40, -20);
    EXPECT_EQ(boxOf(arrow).min, arrowBox.min);
    EXPECT_EQ(boxOf(arrow).max, arrowBox.max);
    EXPECT_EQ(boxOf(point).min, pointBox.min);
    EXPECT_EQ(arrow.hostDrawable->Colour(), 0x00FF00u) << "only the colour changes";
    EXPECT_EQ(point.hostDrawable->Colour(), SettingsRecord::Global().Colour(3));
    EXPECT_EQ(point.vertexCount, 21);
    EXPECT_NEAR(pointBox.max[2] - pointBox.min[2], 2 * PointMarkerRadius, 0.05) << "a disc of seven sectors";
}

TEST_F(ShapeBuildersTest, RegionsAreCutIntoTrianglesThatCoverThemExactly) {
    struct Case {
        const char* name;
        IntersectPointList outline;
        int triangles;
        double area;
    };
    Case cases[] = {
        {"square", Points({{0, 0}, {10, 0}, {10, -10}, {0, -10}, {0, 0}}), 2, 100},
        {"L", Points({{0, 0}, {10, 0}, {10, -5}, {5, -5}, {5, -10}, {0, -10}, {0, 0}}), 4, 75},
        {"L the other way round", Points({{0, 0}, {0, -10}, {5, -10}, {5, -5}, {10, -5}, {10, 0}, {0, 0}}), 4, 75},
        {"square with a doubled corner", Points({{0, 0}, {10, 0}, {10, 0.004}, {10, -10}, {0, -10}, {0, 0}}), 2, 100},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRegionFace region;
        region.CreateRegion(c.outline, 0x00FF00);
        EXPECT_EQ(region.vertexCount, 3 * c.triangles);
        EXPECT_NEAR(MeshArea(region), c.area, 1e-9);
        for (const Point3D& p : region.vertices) EXPECT_EQ(p.y, 0.0) << "in the turning plane";
        ASSERT_TRUE(region.IsDrawn());
        EXPECT_EQ(region.hostDrawable->TriangleCount(), c.triangles);
    }
    // An outline without an inside stops after six passes without progress
    // and keeps its first three points as its one triangle.
    CRegionFace flat;
    IntersectPointList line = Points({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 0}});
    flat.Triangulate(line);
    EXPECT_EQ(flat.vertexCount, 3);
    EXPECT_EQ(flat.vertices[2].z, 2.0);
}

TEST_F(ShapeBuildersTest, TheStartPointSphereIsSixtyFourTrianglesOnTwentySixPoints) {
    C3DPointFace_SP sphere;
    EXPECT_EQ(sphere.vertexCount, 192);
    std::set<std::tuple<double, double, double>> distinct;
    for (const Point3D& p : sphere.vertices) {
        distinct.insert({p.x, p.y, p.z});
        EXPECT_NEAR(Length(p), 2.5, 0.001);
    }
    EXPECT_EQ(distinct.size(), 26u);
    EXPECT_TRUE(distinct.count({-2.5, 0.0, 0.0}) && distinct.count({2.5, 0.0, 0.0})) << "poles on the X axis";
    EXPECT_TRUE(distinct.count({-1.768, 1.25, 1.25})) << "5 sin 45 to three decimals, halved";
    std::set<double> normalValues;
    for (const Point3D& n : sphere.normals) normalValues.insert(std::fabs(n.y));
    EXPECT_EQ(normalValues, (std::set<double>{0.0, 0.5, 0.707, 1.0}));
    EXPECT_FALSE(sphere.IsDrawn());

    // Placed at the LSC point (4, 0, -30) of a system off the model origin.
    UseLsc({100, 0, 50});
    C3DPointFace_SP marker;
    marker.DrawAtOffset(4, 0, -30);
    const SceneBox box = DrawableSummary::Of(*marker.hostDrawable).box;
    EXPECT_NEAR((box.min[0] + box.max[0]) / 2, 104, 1e-9);
    EXPECT_NEAR((box.min[2] + box.max[2]) / 2, 20, 1e-9);
    EXPECT_EQ(View().LiveCount(), 1);
}

TEST_F(ShapeBuildersTest, SafetyPlanesAreTranslucentRectanglesAcrossTheAxis) {
    CPlaneFace planeX, planeZ;
    planeX.length = 80, planeX.width = 40;
    planeZ.length = 60;
    planeX.DrawPlaneX(0xFF0000);
    planeZ.DrawPlaneZ(0x00FF00);
    const DrawableSummary x = DrawableSummary::Of(*planeX.hostDrawable), z = DrawableSummary::Of(*planeZ.hostDrawable);
    EXPECT_EQ(x.triangles, 2);
    EXPECT_DOUBLE_EQ(x.opacity, kPlaneOpacity);
    EXPECT_EQ(x.box.min, (ScenePoint{0, -20, -80}));
    EXPECT_EQ(x.box.max, (ScenePoint{0, 20, 0}));
    EXPECT_EQ(z.box.min, (ScenePoint{-30, -30, 0}));
    EXPECT_EQ(z.box.max, (ScenePoint{30, 30, 0}));
    EXPECT_NEAR(MeshArea(planeX), 80 * 40, 1e-9);
    EXPECT_NEAR(MeshArea(planeZ), 60 * 60, 1e-9);
}

TEST_F(ShapeBuildersTest, AHostThatGivesNoDrawableLeavesTheSurfaceUndrawnAndSaysSo) {
    Drawings().RefuseCreates(1);
    CTessellationObjectFace face;
    face.CreateRevolvedLine(0, -5, 10, -5, 3);
    EXPECT_FALSE(face.IsDrawn());
    EXPECT_EQ(face.vertexCount, 174) << "the mesh is made, only not drawn";
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::TextOutput), (std::vector<std::string>{"Obj==NULL"}));
    face.CreateRevolvedLine(0, -5, 10, -5, 3);
    EXPECT_TRUE(face.IsDrawn());
    EXPECT_EQ(View().LiveCount(), 1);
}

}  // namespace
}  // namespace zarvento
