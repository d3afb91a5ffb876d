// The drawing protocol of the 3D view's objects: what never-drawn objects do,
// colours and opacity as the host receives them, turning by absolute angles,
// erasing with and without the simulation's deferred deletions, figures and
// their points, and the seams through which units and regions draw.
#include <cmath>
#include <memory>
#include <vector>

#include "display_test_support.h"
#include "geometry/contour.h"
#include "geometry/contour_script.h"
#include "geometry/primitives.h"
#include "geometry/region_drawable.h"
#include "geometry/simulation_hook.h"
#include "model/fig_1.h"
#include "model/model_layer.h"
#include "model/point_face_sp.h"
#include "model/simulation_changed_units.h"
#include "model/tessellation_object_edge.h"
#include "model/tessellation_object_face.h"
#include "platform/documents/settings_record.h"
#include "platform/view/view_3d_log.h"

namespace zarvento {
namespace {

class TessellationObjectTest : public test::DisplayTest {};

TEST_F(TessellationObjectTest, ObjectsNeverDrawnChangeNothing) {
    UseLsc({5, 6, 7});
    CTessellationObjectFace face;
    face.AddRevolvedSegment(0, -5, 10, -5);
    const Point3D reference = face.referencePoint;
    const Point3D first = face.vertices[0];
    face.Erase();
    face.Show();
    face.Hide();
    face.Draw(0x112233);
    face.MoveTo(40, 3, 2);
    EXPECT_FALSE(face.IsDrawn());
    EXPECT_EQ(face.colour, kDefaultTessellationColour) << "no draw, no colour";
    EXPECT_EQ(std::make_tuple(face.referencePoint.x, face.referencePoint.y, face.referencePoint.z),
              std::make_tuple(reference.x, reference.y, reference.z));
    EXPECT_EQ(face.vertices[0].z, first.z);
    EXPECT_EQ(Drawings().CreatedCount(), 0);
    EXPECT_EQ(reference.x, 5.0) << "the reference point starts at the LSC origin";

    // DrawAt makes the drawable first and then moves.
    face.DrawAt(40, 3, 2);
    ASSERT_TRUE(face.IsDrawn());
    EXPECT_NEAR(face.vertices[0].z - first.z, 40, 1e-12);
    CTessellationObjectFace empty;
    empty.DrawAt(1, 2, 3);
    EXPECT_FALSE(empty.IsDrawn()) << "nothing to draw";
    EXPECT_EQ(Drawings().CreatedCount(), 1);
}

TEST_F(TessellationObjectTest, AFaceColouredZeroStaysZeroAndEdgesAreAlwaysOpaque) {
    DefaultOpacity = 0.3;
    CTessellationObjectFace face;
    face.colour = 0;
    face.CreateRevolvedLine(0, -5, 10, -5, 0xABCDEF);
    EXPECT_EQ(face.hostDrawable->Colour(), 0u);
    EXPECT_DOUBLE_EQ(face.hostDrawable->Opacity(), 0.3) << "a new face takes the default opacity";
    CTessellationObjectFace other;
    other.CreateRevolvedLine(0, -5, 10, -5, 0xABCDEF);
    EXPECT_EQ(other.hostDrawable->Colour(), 0xABCDEFu);
    EXPECT_EQ(other.hostDrawable->FaceOption(), (std::array<std::int32_t, 2>{1, 0}));
    EXPECT_TRUE(other.hostDrawable->Enabled());

    CTessellationObjectEdge edge;
    edge.CreateLine(0, -1, 3, -1, 0x00FF00);
    EXPECT_DOUBLE_EQ(edge.hostDrawable->Opacity(), 1.0);
    EXPECT_EQ(edge.hostDrawable->LineWidth(), 1);
    EXPECT_EQ(edge.hostDrawable->Shape(), DrawableShape::Polyline);
    CFig_1 figure;
    figure.CreateLine(0, -1, 3, -1, 0x00FF00);
    EXPECT_EQ(figure.hostDrawable->LineWidth(), 2);
    EXPECT_DOUBLE_EQ(figure.pointSize, 0.6);
}

TEST_F(TessellationObjectTest, TurningTakesAbsoluteAnglesAndNormalsTurnAlong) {
    UseLsc({10, 0, 0});
    struct Case {
        const char* name;
        void (CTessellationObject::*rotate)(double);
    };
    // How each normal stands to the chords from the first vertex: a turn of
    // points and normals together keeps it.
    const auto standing = [](const CTessellationObject& o) {
        std::vector<double> out;
        const Point3D& p0 = o.vertices[0];
        for (std::uint32_t i = 0; i < o.vertices.Count(); ++i) {
            const Point3D &p = o.vertices[i], &n = o.normals[i];
            out.push_back((p.x - p0.x) * n.x + (p.y - p0.y) * n.y + (p.z - p0.z) * n.z);
        }
        return out;
    };
    for (const Case& c : {Case{"X", &CTessellationObject::RotateX}, Case{"Y", &CTessellationObject::RotateY}}) {
        SCOPED_TRACE(c.name);
        CTessellationObjectFace face;
        face.CreateRevolvedLine(3, -5, 12, -8, 1);
        face.DrawAt(20, 2, 0);
        const StepArray<Point3D> before = face.vertices;
        const std::vector<double> stood = standing(face);
        (face.*c.rotate)(0.7);
        const StepArray<Point3D> once = face.vertices;
        (face.*c.rotate)(0.7);
        double moved = 0;
        for (std::uint32_t i = 0; i < once.Count(); ++i) {
            EXPECT_NEAR(face.vertices[i].z, once[i].z, 1e-12) << "the same angle again turns nothing";
            moved = std::max(moved, std::fabs(once[i].z - before[i].z) + std::fabs(once[i].y - before[i].y));
        }
        EXPECT_GT(moved, 1.0);
        const std::vector<double> stands = standing(face);
        for (std::size_t i = 0; i < stood.size(); ++i) EXPECT_NEAR(stands[i], stood[i], 1e-9) << i;
        (face.*c.rotate)(0.0);
        for (std::uint32_t i = 0; i < before.Count(); ++i) {
            EXPECT_NEAR(face.vertices[i].x, before[i].x, 1e-9);
            EXPECT_NEAR(face.vertices[i].y, before[i].y, 1e-9);
            EXPECT_NEAR(face.vertices[i].z, before[i].z, 1e-9);
        }
        EXPECT_EQ(face.hostDrawable->Vertices()[2], face.vertices[0].z) << "every turn is drawn";
    }
}

TEST_F(TessellationObjectTest, ErasingDuringASimulationHidesAtOnceAndDeletesAtTheFlushOnce) {
    CTessellationObjectFace face;
    face.CreateRevolvedLine(0, -5, 10, -5, 1);
    const std::shared_ptr<HostDrawable> drawable = face.hostDrawable;
    DeferHostDeletions = true;
    face.Erase();
    EXPECT_FALSE(drawable->VisibleIn(0)) << "hidden at once";
    EXPECT_FALSE(drawable->Removed());
    EXPECT_FALSE(face.IsDrawn()) << "the object lets go of it";
    EXPECT_EQ(PendingHostDeletions.Count(), 1u);
    face.Erase();
    face.Show();
    EXPECT_EQ(PendingHostDeletions.Count(), 1u) << "a second erase queues nothing";
    EXPECT_FALSE(drawable->VisibleIn(0));

    // Drawn again before the flush: a new drawable, the old one still waits.
    face.CreateRevolvedLine(0, -5, 10, -5, 1);
    EXPECT_NE(face.hostDrawable, drawable);
    FlushHostDeletions();
    EXPECT_TRUE(drawable->Removed());
    EXPECT_FALSE(face.hostDrawable->Removed());
    EXPECT_EQ(PendingHostDeletions.Count(), 0u);
    EXPECT_EQ(View().LiveCount(), 1);
    EXPECT_EQ(View().RemovedCount(), 1);
    FlushHostDeletions();
    EXPECT_EQ(View().RemovedCount(), 1);

    DeferHostDeletions = false;
    face.Erase();
    EXPECT_EQ(View().LiveCount(), 0);
    EXPECT_EQ(View().RemovedCount(), 2);
}

TEST_F(TessellationObjectTest, NothingIsErasedWhileTheDocumentIsNotReady) {
    CTessellationObjectEdge edge;
    edge.CreateLine(0, -1, 30, -1, SettingsRecord::Global().Colour(4));
    ASSERT_TRUE(edge.arrows[0].IsDrawn());
    part->SetDocumentReady(0);
    edge.Erase();
    EXPECT_TRUE(edge.IsDrawn());
    EXPECT_TRUE(edge.hostDrawable->VisibleIn(0));
    part->SetDocumentReady(1);
    edge.Erase();
    EXPECT_FALSE(edge.IsDrawn());
    EXPECT_FALSE(edge.arrows[0].IsDrawn()) << "the edge takes its arrows along";
    EXPECT_EQ(View().LiveCount(), 0);
}

TEST_F(TessellationObjectTest, FiguresEraseTheirPointButNotTheirArrowsAndDestructionErasesAll) {
    const std::uint32_t path = SettingsRecord::Global().Colour(4);
    {
        CFig_1 figure;
        figure.CreateLine(0, -1, 30, -1, path);
        figure.point.DrawPoint(0, -1);
        figure.DrawPoint(5, -5);  // the panels' figures show no point of their own
        EXPECT_EQ(View().LiveCount(), 3);
        figure.Hide();
        EXPECT_EQ(View().ShownCount(), 1) << "a figure hides with its point; its arrows stay";
        figure.Show();
        EXPECT_EQ(View().ShownCount(), 3);
        figure.Erase();
        EXPECT_FALSE(figure.IsDrawn());
        EXPECT_FALSE(figure.point.IsDrawn());
        EXPECT_TRUE(figure.arrows[0].IsDrawn());
        EXPECT_EQ(View().LiveCount(), 1);
    }
    EXPECT_EQ(View().LiveCount(), 0) << "destroying the figure erased its arrow";
    {
        CTessellationObjectEdge edge;
        edge.CreateLine(0, -1, 30, -1, path);
    }
    EXPECT_EQ(View().LiveCount(), 0);
    EXPECT_EQ(View().CreatedCount(), 5);
}

// A path of 20,000 frames draws as many lines, each with an arrow: they keep
// their few points, not a step of a thousand each (24 KB a line).
TEST_F(TessellationObjectTest, LinesAndArrowsKeepOnlyTheirOwnPoints) {
    CTessellationObjectEdge line;
    line.CreateLine(0, -1, 30, -1, SettingsRecord::Global().Colour(4));
    EXPECT_EQ(line.vertices.Capacity(), 2u);
    EXPECT_EQ(line.indices.Capacity(), 3u);
    ASSERT_TRUE(line.arrows[0].IsDrawn());
    EXPECT_EQ(line.arrows[0].vertices.Capacity(), 6u);
    EXPECT_EQ(line.arrows[0].normals.Capacity(), 6u);
    IntersectPointList points(10);
    for (int k = 0; k < 5; ++k) {
        IntersectPoint p;
        p.z = k;
        p.x = -1.0;
        points.Add(p);
    }
    CTessellationObjectEdge polyline;
    polyline.CreatePolyline(points, 0x00FF00);
    EXPECT_EQ(polyline.vertices.Capacity(), 5u);
}

TEST_F(TessellationObjectTest, DrawablesOfAClosedDocumentAreForgottenNotCalled) {
    CTessellationObjectFace face;
    face.CreateRevolvedLine(0, -5, 10, -5, 1);
    ConnectHostApplication().Documents().Close(part);
    EXPECT_TRUE(face.hostDrawable->Removed());
    EXPECT_EQ(test::ErrorCodeOf([&] { face.Draw(1); }), E_POINTER_) << "the host refuses a removed drawable";
    face.Erase();
    EXPECT_FALSE(face.IsDrawn());
    EXPECT_EQ(test::ErrorCodeOf([] {
                  CTessellationObjectFace f;
                  f.CreateRevolvedLine(0, -1, 1, -1, 1);
              }),
              E_POINTER_)
        << "no active document";
}

TEST_F(TessellationObjectTest, TrianglesForCollisionsComeInThreesWithTheFirstCornersNormal) {
    CTessellationObjectFace face;
    face.CreateRevolvedLine(0, -5, 10, -5, 1);
    StepArray<CollisionTriangle> triangles(100);
    face.AppendTriangles(triangles);
    face.AppendTriangles(triangles);
    ASSERT_EQ(triangles.Count(), 116u);
    EXPECT_EQ(triangles[1].vertices[0][2], face.vertices[3].z);
    EXPECT_EQ(triangles[1].normal[0], face.normals[3].x);
    EXPECT_EQ(triangles[1].box, (std::array<double, 6>{}));
}

TEST_F(TessellationObjectTest, UnitsAndRegionsDrawThroughTheRegisteredLayer) {
    RegisterModelLayer();
    auto contour = ParseContourScript(
        "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 20,-10, 1 );\n"
        "ArcByPoint( 25,-10, 5, 20,-10, 30,-10, 1, 1 );\nLineSeg( 30,-10, 30,0, 1 );\n");
    ASSERT_TRUE(contour);
    contour->CreateTessellationFaces(0x0000FF);
    contour->CreateTessellationEdges(SettingsRecord::Global().Colour(4));
    const int arcSegments = RevolvedArcPointCount(5 * PI) - 1;
    EXPECT_EQ(View().LiveCount(), 8 + 3) << "4 faces, 4 edges, an arrow on each of the three lines";
    EXPECT_EQ(View().ShownTriangles(), (3 + arcSegments) * 58 + 3 * 2);
    std::unique_ptr<RegionDrawable> region = CreateRegionDrawable();
    contour->CreateTessellation(*region, 0x00FF00);
    EXPECT_EQ(View().WithColour(0x00FF00).size(), 4u + 1u) << "the outline's edges and its region";
    EXPECT_TRUE(View3DLog::Instance().Entries().empty()) << "the recording view stands aside";
    EXPECT_EQ(GetSimulationUnitList(), &SimulationChangedUnits::Instance());
    contour->ClearTessellationFaces();
    contour->ClearTessellationEdges();
    region->Hide();
    EXPECT_EQ(View().ShownCount(), 0);
    region.reset();
    UnregisterModelLayer();
}

}  // namespace
}  // namespace zarvento
