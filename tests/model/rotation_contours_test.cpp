// The part's section from its faces of revolution, and the faces' storage.
#include <cmath>

#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "model/contour_builder_zagotovka.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "platform/host_application.h"
#include "platform/messages.h"
#include "test_support.h"

namespace zarvento {
namespace {

class RotationContoursTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }
    void SetLSC(std::array<double, 3> origin, std::array<double, 3> z, std::array<double, 3> x = {1, 0, 0}) {
        const std::array<double, 3> y{z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
        LscTransform::Global().ReadFromHost(part->AddLocalCoordinateSystem("ЛСК", origin, x, y, z));
    }
    void Add(const std::string& script, std::array<double, 3> direction = {0, 0, 1}) {
        auto profile = ParseContourScript(script);
        ASSERT_TRUE(profile);
        SetPartFromProfile(part, *profile, {0, 0, 0}, direction);
    }
    HostDocumentPtr part;
};

void ExpectPoint(const Point3D& p, double z, double x) {
    EXPECT_NEAR(p.z, z, 1e-9);
    EXPECT_NEAR(p.x, x, 1e-9);
}

// A rounded pin: a plane end, a cylinder and a spherical end cap.
constexpr const char* kPin =
    "LineSeg( 0,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 30,-10, 1 );\n"
    "ArcByPoint( 30,0, 10, 30,-10, 40,0, 1, 1 );\n";

TEST_F(RotationContoursTest, WithoutCoordinateSystemNothingAndNoMessage) {
    Add(kPin);
    std::string message;
    EXPECT_EQ(BuildRotationContours(part, &message), nullptr);
    EXPECT_EQ(message, "");
}

TEST_F(RotationContoursTest, PinSectionStartsAtTheSmallestZOnTheAxisAndClosesAlongIt) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    Add(kPin);
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 4);
    EXPECT_TRUE(contour->IsClosed());
    // Clockwise: along the axis to the cap, then back along the outside.
    const CUnit* axis = contour->GetUnit(0);
    ExpectPoint(axis->StartPoint, 0, 0);
    ExpectPoint(axis->EndPoint, 40, 0);
    EXPECT_EQ(axis->HostObjectCount(), 0);  // the closing line along the axis
    const CUnit* cap = contour->GetUnit(1);
    EXPECT_EQ(cap->Kind, 'A');
    EXPECT_EQ(cap->SurfaceName, "Сфера");
    EXPECT_EQ(cap->HostObjectCount(), 1);
    ExpectPoint(cap->EndPoint, 30, -10);
    EXPECT_EQ(contour->GetUnit(2)->SurfaceName, "Цилиндр");
    ExpectPoint(contour->GetUnit(2)->EndPoint, 0, -10);
    EXPECT_EQ(contour->GetUnit(3)->SurfaceName, "Плоскость");
    ExpectPoint(contour->GetUnit(3)->EndPoint, 0, 0);
}

TEST_F(RotationContoursTest, AxisAgainstTheCoordinateSystemGivesTheSameSection) {
    SetLSC({0, 0, 0}, {0, 0, -1});
    Add("LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,0, 1 );");
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    double zmin, xmin, zmax, xmax;
    contour->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(zmin, -30, 1e-9);
    EXPECT_NEAR(zmax, 0, 1e-9);
    EXPECT_NEAR(xmin, -10, 1e-9);
    EXPECT_TRUE(contour->IsClosed());
}

TEST_F(RotationContoursTest, TubeClosesOnItsBore) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    Add("LineSeg( 0,-5, 0,-10, 1 );\nLineSeg( 0,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,-5, 1 );\n"
        "LineSeg( 30,-5, 0,-5, 1 );");
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
    EXPECT_TRUE(contour->IsClosed());
    // The bore comes first, towards the face; the outside runs back from it.
    ExpectPoint(contour->GetUnit(0)->StartPoint, 0, -5);
    ExpectPoint(contour->GetUnit(0)->EndPoint, 30, -5);
    ExpectPoint(contour->GetUnit(2)->StartPoint, 30, -10);
    ExpectPoint(contour->GetUnit(2)->EndPoint, 0, -10);
}

// Twice the signed area of a section of lines: negative when it runs
// clockwise with z to the right and x up.
double TwiceSignedArea(const Contour& contour) {
    double sum = 0;
    for (int i = 0; i < contour.Count(); ++i) {
        const CUnit& u = *contour.GetUnit(i);
        sum += u.StartPoint.z * u.EndPoint.x - u.EndPoint.z * u.StartPoint.x;
    }
    return sum;
}

TEST_F(RotationContoursTest, ClosedSectionsRunClockwiseFromTheirFirstPoint) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    struct Case {
        const char* name;
        const char* faces;
        double z, x;  // the first point
    } cases[] = {
        {"shaft given from the face",
         "LineSeg( 40,0, 40,-15, 1 );\nLineSeg( 40,-15, 0,-15, 1 );\nLineSeg( 0,-15, 0,0, 1 );", 0, 0},
        // a step face right at the middle of the length
        {"stepped shaft",
         "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 20,-10, 1 );\nLineSeg( 20,-10, 20,-15, 1 );\n"
         "LineSeg( 20,-15, 40,-15, 1 );\nLineSeg( 40,-15, 40,0, 1 );",
         0, 0},
        {"stepped tube",
         "LineSeg( -10,-4, -10,-12, 1 );\nLineSeg( -10,-12, 10,-12, 1 );\nLineSeg( 10,-12, 10,-8, 1 );\n"
         "LineSeg( 10,-8, 30,-8, 1 );\nLineSeg( 30,-8, 30,-4, 1 );\nLineSeg( 30,-4, -10,-4, 1 );",
         -10, -4},
        {"blind hole from the face",
         "LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, 40,-15, 1 );\n"
         "LineSeg( 40,-15, 40,-2.5, 1 );\nLineSeg( 40,-2.5, 30,-2.5, 1 );\nLineSeg( 30,-2.5, 27.5,0, 1 );",
         0, 0},
    };
    for (const Case& c : cases) {
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
        Add(c.faces);
        auto contour = BuildRotationContours(part);
        ASSERT_TRUE(contour) << c.name;
        EXPECT_TRUE(contour->IsClosed()) << c.name;
        EXPECT_LT(TwiceSignedArea(*contour), 0) << c.name;
        EXPECT_NEAR(contour->GetUnit(0)->StartPoint.z, c.z, 1e-9) << c.name;
        EXPECT_NEAR(contour->GetUnit(0)->StartPoint.x, c.x, 1e-9) << c.name;
    }
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());
}

TEST_F(RotationContoursTest, FacesAboutAnotherAxisGiveTheMessage) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    Add(kPin, {1, 0, 0});
    std::string message;
    EXPECT_EQ(BuildRotationContours(part, &message), nullptr);
    EXPECT_EQ(message, kNoRotationFacesMessage);
}

TEST_F(RotationContoursTest, FacesAreSavedWithTheDocument) {
    test::TempDir dir;
    Add(kPin);
    const std::string path = (dir / "pin.rdp").string();
    part->SaveAs(path);
    HostApplication& app = ConnectHostApplication();
    app.Documents().Close(part);
    part = app.Documents().Open(path);
    SetLSC({0, 0, 0}, {0, 0, 1});
    auto contour = BuildRotationContours(part);
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
    const CUnit* arc = contour->GetUnit(1);
    EXPECT_NEAR(arc->CentrePoint.z, 30, 1e-12);
    EXPECT_EQ(arc->SurfaceName, "Сфера");
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
