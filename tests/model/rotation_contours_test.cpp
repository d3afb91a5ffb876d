// The part's section from its faces of rotation, on bodies made with the
// host's modelling: the profile, its ties to faces, curves and edges, the
// messages, and the model left as it was.
#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/complex_unit.h"
#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "model/contour_builder_zagotovka.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "model/section_cache.h"
#include "platform/core/check.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento {
namespace {

std::vector<std::string> reported;
void Report(const std::string& text) { reported.push_back(text); }

class RotationContoursTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        reported.clear();
        previousReport = RegisterSectionErrorReport(&Report);
        app = &ConnectHostApplication();
    }
    void TearDown() override {
        RegisterSectionErrorReport(previousReport);
        CleanStateTest::TearDown();
    }

    // The NC coordinate system of the document: its Z and X axes at `origin`.
    static void SetLSC(const HostDocumentPtr& doc, Point3 origin = {0, 0, 0}, Point3 z = {0, 0, 1},
                       Point3 x = {1, 0, 0}) {
        const Point3 y{z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
        LscTransform::Global().ReadFromHost(doc->AddLocalCoordinateSystem("ЛСК", origin, x, y, z));
    }
    // A part document of the body with the global axes as its system.
    HostDocumentPtr Part(const PartShape& body) {
        HostDocumentPtr doc = test::PartDocument(body);
        SetLSC(doc);
        return doc;
    }

    SectionErrorReport previousReport = nullptr;
    HostApplication* app = nullptr;
};

// A point (z, x) of the contour in model coordinates.
Point3 ModelPoint(double z, double x) {
    double px = -x, py = 0, pz = z;
    LscTransform::Global().LocalToGlobal(px, py, pz);
    return {px, py, pz};
}

double Distance(const Point3& a, const Point3& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

bool OnFace(const HostFace& face, double z, double x) {
    const Point3 p = ModelPoint(z, x);
    double u = 0, v = 0;
    return face.Project(p, u, v) && Distance(face.PointAt(u, v), p) < 1e-6;
}

bool OnCurve(const HostCurve& curve, double z, double x) {
    const Point3 p = ModelPoint(z, x);
    return Distance(curve.PointAt(curve.Project(p)), p) < 1e-6;
}

// Whether the face turns about the LSC Z axis, asked independently of the
// section: its axis (a plane's normal) along Z, its axis or centre on it.
bool TurnsAboutZ(const HostFace& face) {
    const LscTransform& lsc = LscTransform::Global();
    auto local = [&](Point3 p) {
        lsc.GlobalToLocal(p[0], p[1], p[2]);
        return p;
    };
    Point3 p, q;
    if (face.Kind() == SurfaceKind::Nurbs) return true;
    if (face.Kind() == SurfaceKind::Sphere) {
        face.Centre(p);
        p = local(p);
        return std::hypot(p[0], p[1]) < 1e-6;
    }
    if (!face.Placement(p, q)) return false;
    p = local(p), q = local(q);
    const bool along = std::hypot(q[0] - p[0], q[1] - p[1]) < 1e-6;
    return along && (face.Kind() == SurfaceKind::Plane || std::hypot(p[0], p[1]) < 1e-6);
}

struct Expected {
    char kind;
    double z1, x1, z2, x2;
    const char* surface;
};

// The stepped shaft's section: along the axis from the spherical end, down
// the bore's bottom, the bore, the face, the chamfer, the collar, the fillet,
// the step, the cylinders with the groove, back over the sphere.
const Expected kShaftSection[] = {
    {'L', 0, 0, 45, 0, "Цилиндр"},       {'L', 45, 0, 45, -5, "Плоскость"},    {'L', 45, -5, 62, -5, "Цилиндр"},
    {'L', 62, -5, 62, -16, "Плоскость"}, {'L', 62, -16, 60, -18, "Конус"},     {'L', 60, -18, 42, -18, "Цилиндр"},
    {'A', 42, -18, 40, -16, "Тор"},      {'L', 40, -16, 40, -10, "Плоскость"}, {'L', 40, -10, 34, -10, "Цилиндр"},
    {'L', 34, -10, 34, -8, "Плоскость"}, {'L', 34, -8, 30, -8, "Цилиндр"},     {'L', 30, -8, 30, -10, "Плоскость"},
    {'L', 30, -10, 10, -10, "Цилиндр"},  {'A', 10, -10, 0, 0, "Сфера"},
};

// The section's units, their kind, ends and (where given) surface.
template <std::size_t N>
void ExpectSection(const Contour& contour, const Expected (&expected)[N]) {
    ASSERT_EQ(contour.Count(), static_cast<int>(N));
    for (int i = 0; i < contour.Count(); ++i) {
        SCOPED_TRACE(i);
        const CUnit& u = *contour.GetUnit(i);
        const Expected& e = expected[i];
        EXPECT_EQ(u.Kind, e.kind);
        EXPECT_NEAR(u.StartPoint.z, e.z1, 1e-6);
        EXPECT_NEAR(u.StartPoint.x, e.x1, 1e-6);
        EXPECT_NEAR(u.EndPoint.z, e.z2, 1e-6);
        EXPECT_NEAR(u.EndPoint.x, e.x2, 1e-6);
        if (*e.surface) {
            EXPECT_EQ(u.SurfaceName, e.surface);
        }
    }
}

void ExpectShaftSection(const Contour& contour) { ExpectSection(contour, kShaftSection); }

TEST_F(RotationContoursTest, SteppedShaftSectionRunsClockwiseWithEveryUnitTiedToItsFaceAndCurve) {
    HostDocumentPtr part = Part(test::SteppedShaft());
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    ExpectShaftSection(*contour);
    EXPECT_TRUE(contour->IsClosed());
    EXPECT_EQ(contour->Colour, kDefaultContourColour);
    // The closing line along the axis lies on no face and came from no curve.
    EXPECT_EQ(contour->GetUnit(0)->HostObjectCount(), 0);
    EXPECT_EQ(contour->GetUnit(0)->SourceObject, nullptr);
    for (int i = 1; i < contour->Count(); ++i) {
        SCOPED_TRACE(i);
        const CUnit& u = *contour->GetUnit(i);
        auto face = std::dynamic_pointer_cast<HostFace>(u.GetSourceObject(0));
        ASSERT_TRUE(face);
        EXPECT_TRUE(TurnsAboutZ(*face));
        IntersectPoint m;
        u.GetMiddlePoint(m);
        for (auto [z, x] : {std::pair{u.StartPoint.z, u.StartPoint.x}, {m.z, m.x}, {u.EndPoint.z, u.EndPoint.x}})
            EXPECT_TRUE(OnFace(*face, z, x)) << z << " " << x;
        auto curve = std::dynamic_pointer_cast<HostCurve>(u.SourceObject);
        ASSERT_TRUE(curve);
        EXPECT_TRUE(OnCurve(*curve, u.StartPoint.z, u.StartPoint.x));
        EXPECT_TRUE(OnCurve(*curve, u.EndPoint.z, u.EndPoint.x));
    }
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RotationContoursTest, SystemsAlongMinusZOrOffTheOriginGiveTheSameProfile) {
    // The shaft turned about the model's -Z axis, with the LSC along it.
    RevolutionAxis minusZ;
    minusZ.direction = {0, 0, -1};
    HostDocumentPtr reversed = test::PartDocument(test::SteppedShaft(minusZ));
    SetLSC(reversed, {0, 0, 0}, {0, 0, -1});
    auto a = BuildRotationContours(reversed);
    ASSERT_TRUE(a);
    ExpectShaftSection(*a);
    // Turned about an axis through (10, 20, 30), with the LSC there.
    RevolutionAxis moved;
    moved.origin = {10, 20, 30};
    HostDocumentPtr offset = test::PartDocument(test::SteppedShaft(moved));
    SetLSC(offset, {10, 20, 30});
    auto b = BuildRotationContours(offset);
    ASSERT_TRUE(b);
    ExpectShaftSection(*b);
    EXPECT_TRUE(reported.empty());
}

TEST_F(RotationContoursTest, RunOfASplineCurveBecomesOneComplexUnitNamedNurbs) {
    HostDocumentPtr part = Part(test::TurnedSpline());
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 4);  // the axis, the end face, the spline, the other end face
    const CUnit& spline = *contour->GetUnit(2);
    ASSERT_EQ(spline.Kind, kUnitComplex);
    EXPECT_EQ(spline.SurfaceName, "NURBS");
    EXPECT_GT(static_cast<const CComplexUnit&>(spline).SubUnitCount(), 10);
    auto face = std::dynamic_pointer_cast<HostFace>(spline.GetSourceObject(0));
    ASSERT_TRUE(face);
    EXPECT_TRUE(face->IsKind(SurfaceKind::Nurbs));
    ASSERT_TRUE(std::dynamic_pointer_cast<HostCurve>(spline.SourceObject));
    EXPECT_NEAR(spline.StartPoint.z, 40, 1e-6);
    EXPECT_NEAR(spline.StartPoint.x, -10, 1e-6);
    EXPECT_NEAR(spline.EndPoint.z, 0, 1e-6);
    EXPECT_NEAR(spline.EndPoint.x, -10, 1e-6);
    EXPECT_TRUE(contour->IsClosed());
}

// The plain journal's section: along the axis, the face at z = 150, the
// journal, the face at z = 0.
const Expected kJournalSection[] = {
    {'L', 0, 0, 150, 0, "Цилиндр"},
    {'L', 150, 0, 150, -22.5, "Плоскость"},
    {'L', 150, -22.5, 0, -22.5, "Цилиндр"},
    {'L', 0, -22.5, 0, 0, "Плоскость"},
};

// Every unit but the line along the axis lies on a face of rotation about Z
// that holds it all round, whatever was milled into that face elsewhere.
void ExpectUnitsOnFacesOfRotation(const Contour& contour) {
    for (int i = 1; i < contour.Count(); ++i) {
        SCOPED_TRACE(i);
        const CUnit& u = *contour.GetUnit(i);
        auto face = std::dynamic_pointer_cast<HostFace>(u.GetSourceObject(0));
        ASSERT_TRUE(face);
        EXPECT_TRUE(TurnsAboutZ(*face));
    }
}

// What is milled into a turned part and does not go all round (a flat, a
// hole across it, a keyway, a slot run out of its end) stays out of the
// turned outline: a lathe sees the part's full turn there.
TEST_F(RotationContoursTest, FeaturesThatDoNotGoAllRoundLeaveTheTurnedOutlineWhole) {
    for (const auto& [name, body] :
         {std::pair{"flat", test::ShaftWithFlat()}, {"cross hole", test::ShaftWithCrossHole()}}) {
        SCOPED_TRACE(name);
        auto contour = BuildRotationContours(Part(body));
        ASSERT_TRUE(contour);
        ExpectShaftSection(*contour);
        ExpectUnitsOnFacesOfRotation(*contour);
    }
    for (const auto& [name, body] :
         {std::pair{"keyway", test::JournalWithKeyway()}, {"end slot", test::JournalWithEndSlot()}}) {
        SCOPED_TRACE(name);
        auto contour = BuildRotationContours(Part(body));
        ASSERT_TRUE(contour);
        ExpectSection(*contour, kJournalSection);
        ExpectUnitsOnFacesOfRotation(*contour);
        // The journal is the whole cylinder of diameter 45: its keyway's
        // floor 5.5 below it is no recess.
        auto journal = std::dynamic_pointer_cast<HostFace>(contour->GetUnit(2)->GetSourceObject(0));
        ASSERT_TRUE(journal);
        EXPECT_TRUE(journal->IsKind(SurfaceKind::Cylinder));
    }
    EXPECT_TRUE(reported.empty());
}

// A hex head keeps its corners' turn: the outline of its sides is the circle
// through the corners, tied to the faces it came from.
TEST_F(RotationContoursTest, HexHeadKeepsTheEnvelopeOfItsCorners) {
    auto contour = BuildRotationContours(Part(test::HexHeadBolt()));
    ASSERT_TRUE(contour);
    const double r = 24 / std::sqrt(3.0);
    const Expected bolt[] = {
        {'L', -40, 0, 10, 0, ""}, {'L', 10, 0, 10, -r, ""},  {'L', 10, -r, 0, -r, ""},
        {'L', 0, -r, 0, -6, ""},  {'L', 0, -6, -40, -6, ""}, {'L', -40, -6, -40, 0, ""},
    };
    ExpectSection(*contour, bolt);
    for (int i = 1; i < contour->Count(); ++i) EXPECT_TRUE(contour->GetUnit(i)->GetSourceObject(0)) << i;
    EXPECT_TRUE(reported.empty());
}

// A groove cut into the axle's back face goes all round: no angle has
// material there, so it stays a recess of the section, while the keyway and
// the hole across the axle beside it, which have material at other angles,
// leave the turned outline whole.
TEST_F(RotationContoursTest, AFaceGrooveStaysARecessWhileFeaturesBesideItDoNot) {
    auto contour = BuildRotationContours(Part(test::AxleWithFaceGroove()));
    ASSERT_TRUE(contour);
    const Expected axle[] = {
        {'L', -100, 0, 0, 0, ""},
        {'L', 0, 0, 0, -15, "Плоскость"},
        {'L', 0, -15, -100, -15, "Цилиндр"},
        {'L', -100, -15, -100, -9.5, "Плоскость"},
        {'L', -100, -9.5, -81.5, -9.5, "Цилиндр"},
        {'L', -81.5, -9.5, -81.5, -4, "Плоскость"},
        {'L', -81.5, -4, -100, -4, "Цилиндр"},
        {'L', -100, -4, -100, 0, "Плоскость"},
    };
    ExpectSection(*contour, axle);
    ExpectUnitsOnFacesOfRotation(*contour);
    EXPECT_TRUE(reported.empty());
}

// A pin 1.5 across whose end is a cone made about a leaning axis: the
// section is the turn of the cone's generators in the plane of both axes,
// closed. With the apex off the axis, the generator that crosses the axis
// turns into a corner on it, where the section meets the axis.
TEST_F(RotationContoursTest, AnObliqueConeEndOfASmallPinGivesAClosedSection) {
    for (const double offset : {0.0, 0.1}) {
        SCOPED_TRACE(offset);
        auto contour = BuildRotationContours(Part(test::PinWithObliqueConeEnd(8, offset)));
        ASSERT_TRUE(contour);
        EXPECT_TRUE(contour->IsClosed());
        // The generator leaning away from the axis reaches the cylinder.
        const double lean = std::tan(48 * PI / 180), reach = 10.6 - (0.75 + offset) / lean;
        const CUnit& along = *contour->GetUnit(0);
        EXPECT_NEAR(along.StartPoint.z, 0, 1e-6);
        EXPECT_NEAR(along.StartPoint.x, 0, 1e-9);
        EXPECT_NEAR(along.EndPoint.z, 10.6 - offset / lean, 1e-6);
        EXPECT_NEAR(along.EndPoint.x, 0, 1e-9);
        bool apex = false, cylinder = false;
        for (int i = 0; i < contour->Count(); ++i) {
            const CUnit& u = *contour->GetUnit(i);
            EXPECT_LE(u.StartPoint.x, 1e-9) << i;
            apex = apex || (std::fabs(u.EndPoint.z - 10.6) < 1e-6 && std::fabs(u.EndPoint.x + offset) < 1e-6);
            cylinder =
                cylinder || (std::fabs(u.StartPoint.z - reach) < 1e-6 && std::fabs(u.StartPoint.x + 0.75) < 1e-9 &&
                             std::fabs(u.EndPoint.z) < 1e-9 && std::fabs(u.EndPoint.x + 0.75) < 1e-9);
        }
        EXPECT_TRUE(apex);
        EXPECT_TRUE(cylinder);
    }
    EXPECT_TRUE(reported.empty());
}

// A cylinder parallel to Z whose axis stands 30 off it is not turned about
// Z: its end faces square to Z would turn it into a ring. It is refused,
// saying how far its axis stands off.
TEST_F(RotationContoursTest, CylinderParallelToZOffTheAxisIsNoFaceOfRotation) {
    std::string message;
    EXPECT_EQ(BuildRotationContours(Part(test::OffAxisCylinder()), &message), nullptr);
    EXPECT_EQ(message, std::string(kNoRotationFacesMessage) +
                           ": ось вращения грани 1 параллельна ей и отстоит от неё на 30.000 мм");
    HostDocumentPtr stock = test::PartDocument(test::OffAxisCylinder(), false);
    EXPECT_EQ(BuildRotationContours(stock), nullptr);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].rfind(kNoStockRotationFacesMessage, 0), 0u) << reported[0];
    // No outline stays in the model.
    EXPECT_FALSE(TopPart(stock)->FindModelObject(kSectionObjectName));
}

// The part lies along X, Y or a skew axis, and its system's Z axis along it:
// the section is the one of the part along Z.
TEST_F(RotationContoursTest, APartAlongAnyAxisGivesTheSectionOfThePartAlongZ) {
    const double third = 1.0 / 3.0;
    const struct {
        const char* name;
        Point3 z, x;
    } axes[] = {
        {"X", {1, 0, 0}, {0, 1, 0}},
        {"Y", {0, 1, 0}, {0, 0, 1}},
        {"skew", {third, 2 * third, 2 * third}, {2 * third, third, -2 * third}},
    };
    for (const auto& a : axes) {
        SCOPED_TRACE(a.name);
        RevolutionAxis axis;
        axis.origin = {5, -7, 11};
        axis.direction = a.z;
        axis.radial = a.x;
        HostDocumentPtr part = test::PartDocument(test::SteppedShaft(axis));
        SetLSC(part, axis.origin, a.z, a.x);
        auto contour = BuildRotationContours(part);
        ASSERT_TRUE(contour);
        ExpectShaftSection(*contour);
        ExpectUnitsOnFacesOfRotation(*contour);
    }
    EXPECT_TRUE(reported.empty());
}

// A ball centred on the axis but made about another: its great circle.
TEST_F(RotationContoursTest, BallMadeAboutAnotherAxisGivesItsGreatCircle) {
    RevolutionAxis alongY;
    alongY.direction = {0, 1, 0};
    alongY.radial = {1, 0, 0};
    auto contour = BuildRotationContours(Part(
        PartShape::Revolve({MeridianPiece::Arc(-10, 0, 0, 10, 10, 0), MeridianPiece::Segment(10, 0, -10, 0)}, alongY)));
    ASSERT_TRUE(contour);
    // The arc through (0, -10) and the line along the axis.
    ASSERT_EQ(contour->Count(), 2);
    const int a = contour->GetUnit(0)->Kind == kUnitArc ? 0 : 1;
    const auto& arc = static_cast<const CArcUnit&>(*contour->GetUnit(a));
    ASSERT_EQ(arc.Kind, kUnitArc);
    EXPECT_NEAR(arc.Radius, 10, 1e-9);
    IntersectPoint middle;
    arc.GetMiddlePoint(middle);
    EXPECT_NEAR(middle.z, 0, 1e-9);
    EXPECT_NEAR(middle.x, -10, 1e-9);
    EXPECT_NEAR(std::fabs(arc.StartPoint.z - arc.EndPoint.z), 20, 1e-9);
    auto face = std::dynamic_pointer_cast<HostFace>(arc.GetSourceObject(0));
    ASSERT_TRUE(face);
    EXPECT_TRUE(face->IsKind(SurfaceKind::Sphere));
    EXPECT_EQ(contour->GetUnit(1 - a)->Kind, kUnitLine);
}

// A turned spline part lying across the system's Z axis has no face of
// rotation about it: its spline face is tested like any other.
TEST_F(RotationContoursTest, SplinePartAcrossTheAxisHasNoFaceOfRotation) {
    HostDocumentPtr part = Part(test::TurnedSpline().Rotated({0, 0, 0}, {0, 1, 0}, 90));
    std::string message;
    EXPECT_EQ(BuildRotationContours(part, &message), nullptr);
    EXPECT_EQ(message, kNoRotationFacesMessage);
}

TEST_F(RotationContoursTest, WithoutFacesOfRotationTheMessageNamesThePartOrTheStock) {
    HostDocumentPtr part = Part(test::CrossBar());
    std::string message;
    EXPECT_EQ(BuildRotationContours(part, &message), nullptr);
    EXPECT_EQ(message, kNoRotationFacesMessage);
    EXPECT_TRUE(reported.empty());  // the caller reports what it was handed
    // A document that is not the active one is a stock model; without a place
    // for the message the plan data's report shows it.
    HostDocumentPtr stock = test::PartDocument(test::CrossBar(), false);
    EXPECT_EQ(BuildRotationContours(stock), nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{kNoStockRotationFacesMessage});
}

TEST_F(RotationContoursTest, WithoutCoordinateSystemNoHostCallIsMade) {
    HostDocumentPtr part = test::PartDocument(test::SteppedShaft());
    HostFaults::Clear();
    std::string message;
    EXPECT_EQ(BuildRotationContours(part, &message), nullptr);
    EXPECT_EQ(HostFaults::TotalCalls(), 0);
    EXPECT_EQ(message, "");
}

// The outline object goes from the model on every way out, and the host's
// switches come back on with the document's state as it was.
TEST_F(RotationContoursTest, OutlineGoesOnEveryPathAndTheModelStateComesBack) {
    auto outlines = [](const HostDocumentPtr& doc) {
        int n = 0;
        for (const auto& e : doc->Entities()) n += e->Name() == kSectionObjectName ? 1 : 0;
        return n;
    };
    auto expectRestored = [&](const HostDocumentPtr& doc, bool changed) {
        auto part = TopPart(doc);
        EXPECT_TRUE(part->RebuildSwitch());
        EXPECT_TRUE(part->RedrawSwitch());
        EXPECT_TRUE(part->UndoSwitch());
        EXPECT_EQ(part->StateFlag(), changed);
        EXPECT_EQ(outlines(doc), 0);
    };
    // The main path, on an unchanged and on a changed document; an outline
    // left in the model by an earlier run is taken again.
    HostDocumentPtr part = Part(test::SteppedShaft());
    TopPart(part)->ResetState();
    TopPart(part)->CreateOutline(kSectionObjectName);
    TopPart(part)->ResetState();
    ASSERT_TRUE(BuildRotationContours(part));
    expectRestored(part, false);
    TopPart(part)->MarkChanged();
    ASSERT_TRUE(BuildRotationContours(part));
    expectRestored(part, true);
    // The outline gives no curves: the part has no body.
    HostDocumentPtr aside = Part(PartShape());
    TopPart(aside)->ResetState();
    EXPECT_EQ(BuildRotationContours(aside), nullptr);
    EXPECT_EQ(outlines(aside), 0);
    EXPECT_TRUE(TopPart(aside)->RebuildSwitch());
    // A host call that fails half way (on a document that keeps no section):
    // the error reaches the caller, the model is cleaned up all the same.
    part = Part(test::SteppedShaft());
    TopPart(part)->MarkChanged();
    HostFaults::Arm("HostFace.Project", E_FAIL_);
    EXPECT_EQ(test::ErrorCodeOf([&] { BuildRotationContours(part); }), E_FAIL_);
    expectRestored(part, true);
}

TEST_F(RotationContoursTest, ProfileSectionsRunClockwiseFromTheirFirstPoint) {
    struct Case {
        const char* name;
        const char* profile;
        double z, x;  // the first point
        int units;
    } cases[] = {
        {"shaft given from the face",
         "LineSeg( 40,0, 40,-15, 1 );\nLineSeg( 40,-15, 0,-15, 1 );\nLineSeg( 0,-15, 0,0, 1 );", 0, 0, 4},
        {"tube, its bore first",
         "LineSeg( -10,-4, -10,-12, 1 );\nLineSeg( -10,-12, 10,-12, 1 );\nLineSeg( 10,-12, 10,-8, 1 );\n"
         "LineSeg( 10,-8, 30,-8, 1 );\nLineSeg( 30,-8, 30,-4, 1 );\nLineSeg( 30,-4, -10,-4, 1 );",
         -10, -4, 6},
        {"blind hole from the face",
         "LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, 40,-15, 1 );\n"
         "LineSeg( 40,-15, 40,-2.5, 1 );\nLineSeg( 40,-2.5, 30,-2.5, 1 );\nLineSeg( 30,-2.5, 27.5,0, 1 );",
         0, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
        SetLSC(part);
        SetPartFromProfile(part, *ParseContourScript(c.profile));
        auto contour = BuildRotationContours(part);
        ASSERT_TRUE(contour);
        EXPECT_EQ(contour->Count(), c.units);
        EXPECT_TRUE(contour->IsClosed());
        double area = 0;
        for (int i = 0; i < contour->Count(); ++i) {
            const CUnit& u = *contour->GetUnit(i);
            area += u.StartPoint.z * u.EndPoint.x - u.EndPoint.z * u.StartPoint.x;
        }
        EXPECT_LT(area, 0);  // clockwise with z to the right and x up
        EXPECT_NEAR(contour->GetUnit(0)->StartPoint.z, c.z, 1e-9);
        EXPECT_NEAR(contour->GetUnit(0)->StartPoint.x, c.x, 1e-9);
    }
}

TEST_F(RotationContoursTest, SectionAfterReopeningTiesUnitsToTheSameFaces) {
    test::TempDir dir;
    HostDocumentPtr part = Part(test::SteppedShaft());
    auto before = BuildRotationContours(part);
    ASSERT_TRUE(before);
    std::vector<std::int64_t> ids;
    for (int i = 1; i < before->Count(); ++i) ids.push_back(before->GetUnit(i)->GetSourceObject(0)->PersistentId());
    before.reset();
    part = test::SaveCloseReopen(part, (dir / "shaft.rdp").string());
    LscTransform::Global().ReadFromHost(
        std::dynamic_pointer_cast<LocalCoordinateSystem>(part->ObjectsOfType(LocalCoordinateSystem::kObjectType)[0]));
    auto after = BuildRotationContours(part);
    ASSERT_TRUE(after);
    ExpectShaftSection(*after);
    for (int i = 1; i < after->Count(); ++i)
        EXPECT_EQ(after->GetUnit(i)->GetSourceObject(0)->PersistentId(), ids[static_cast<std::size_t>(i - 1)]);
}

// The section kept with the document is taken again without a host call
// while the body and the system stay, after reopening too, and is the same
// to the last bit; another system or body is sectioned anew.
TEST_F(RotationContoursTest, KeptSectionServesOnlyTheSameBodyAndSystem) {
    auto expectSame = [](const Contour& a, const Contour& b) {
        ASSERT_EQ(a.Count(), b.Count());
        for (int i = 0; i < a.Count(); ++i) {
            SCOPED_TRACE(i);
            const CUnit &u = *a.GetUnit(i), &v = *b.GetUnit(i);
            EXPECT_EQ(u.Kind, v.Kind);
            EXPECT_EQ(u.SurfaceName, v.SurfaceName);
            for (auto [p, q] : {std::pair{&u.StartPoint, &v.StartPoint},
                                {&u.EndPoint, &v.EndPoint},
                                {&u.CentrePoint, &v.CentrePoint},
                                {&u.RefPoint, &v.RefPoint}})
                EXPECT_TRUE(p->x == q->x && p->y == q->y && p->z == q->z);
            EXPECT_EQ(u.DirVector, v.DirVector);
            if (u.Kind == kUnitArc) {
                EXPECT_EQ(static_cast<const CArcUnit&>(u).Radius, static_cast<const CArcUnit&>(v).Radius);
            }
            ASSERT_EQ(u.HostObjectCount(), v.HostObjectCount());
            for (int k = 0; k < u.HostObjectCount(); ++k)
                EXPECT_EQ(u.GetSourceObject(k)->PersistentId(), v.GetSourceObject(k)->PersistentId());
        }
    };
    test::TempDir dir;
    HostDocumentPtr part = Part(test::SteppedShaft());
    auto taken = BuildRotationContours(part);
    ASSERT_TRUE(taken);
    HostFaults::Clear();
    auto kept = BuildRotationContours(part);
    ASSERT_TRUE(kept);
    EXPECT_EQ(HostFaults::Calls("HostFace.Project"), 0);
    expectSame(*taken, *kept);
    part = test::SaveCloseReopen(part, (dir / "shaft.rdp").string());
    LscTransform::Global().ReadFromHost(
        std::dynamic_pointer_cast<LocalCoordinateSystem>(part->ObjectsOfType(LocalCoordinateSystem::kObjectType)[0]));
    HostFaults::Clear();
    kept = BuildRotationContours(part);
    ASSERT_TRUE(kept);
    EXPECT_EQ(HostFaults::Calls("HostFace.Project"), 0);
    expectSame(*taken, *kept);
    // The system moved along Z: the profile moves with it.
    SetLSC(part, {0, 0, 5});
    auto moved = BuildRotationContours(part);
    ASSERT_TRUE(moved);
    EXPECT_GT(HostFaults::Calls("HostFace.Project"), 0);
    EXPECT_NEAR(moved->GetUnit(1)->StartPoint.z, taken->GetUnit(1)->StartPoint.z - 5, 1e-9);
    // Another body under the same system.
    SetPartBody(*TopPart(part), PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 10, 30));
    auto other = BuildRotationContours(part);
    ASSERT_TRUE(other);
    EXPECT_NE(other->Count(), taken->Count());
}

// A section is always a closed profile; one that is not, in a user's build,
// is refused: nothing is kept, and the kept one before goes too.
TEST_F(RotationContoursTest, AnOpenSectionIsNotKept) {
    const detail::UserBuildInvariants userBuild;
    HostDocumentPtr part = Part(test::SteppedShaft());
    auto taken = BuildRotationContours(part);
    ASSERT_TRUE(taken);
    ASSERT_TRUE(KeptSection(*part, *TopPart(part)));
    taken->RemoveUnit(taken->GetLastUnit());
    EXPECT_FALSE(KeepSection(*part, *TopPart(part), *taken));
    EXPECT_FALSE(KeptSection(*part, *TopPart(part)));
    EXPECT_EQ(BrokenInvariantText(kBrokenSectionMessage)
                  .rfind("Сечение детали не построено: внутренняя ошибка программы (section_cache.cpp:", 0),
              0u);
}

TEST_F(RotationContoursTest, BarStockContour) {
    CContourBuilderZagotovka builder;
    builder.buildMethod = CContourBuilderZagotovka::kBar;
    builder.barLength = 100, builder.barDiameter = 50, builder.barInnerDiameter = 20, builder.barZ = 5;
    auto bar = builder.Build();
    ASSERT_TRUE(bar);
    EXPECT_EQ(ContourScriptText(*bar),
              ContourScriptText(*ParseContourScript("LineSeg( -95,-10, 5,-10, 1 );\nLineSeg( 5,-10, 5,-25, 1 );\n"
                                                    "LineSeg( 5,-25, -95,-25, 1 );\nLineSeg( -95,-25, -95,-10, 1 );")));
    builder.barInnerDiameter = 49.9;  // a wall of 0.05
    EXPECT_EQ(builder.Build(), nullptr);
    builder.buildMethod = 7;
    EXPECT_EQ(builder.Build(), nullptr);
}

}  // namespace
}  // namespace zarvento
