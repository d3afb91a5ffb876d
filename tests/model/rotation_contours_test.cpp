// The part's section from its faces of revolution, and the faces' storage.
#include <cmath>

#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "model/contour_builder_zagotovka.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "platform/host_application.h"
#include "platform/revolution_face.h"
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
        AddPartFaces(*part, *profile, {0, 0, 0}, direction);
    }
    HostDocumentPtr part;
};

// A rounded pin: a plane end, a cylinder and a spherical end cap.
constexpr const char* kPin =
    "LineSeg( 0,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 30,-10, 1 );\n"
    "ArcByPoint( 30,0, 10, 30,-10, 40,0, 1, 1 );\n";

TEST_F(RotationContoursTest, WithoutCoordinateSystemNothingAndNoMessage) {
    Add(kPin);
    std::string message;
    EXPECT_EQ(BuildRotationContours(*part, &message), nullptr);
    EXPECT_EQ(message, "");
}

TEST_F(RotationContoursTest, PinSectionStartsAtTheSmallestZOnTheAxisAndClosesAlongIt) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    Add(kPin);
    auto contour = BuildRotationContours(*part);
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 4);
    EXPECT_TRUE(contour->IsClosed());
    const CUnit* first = contour->GetUnit(0);
    EXPECT_NEAR(first->StartPoint.z, 0, 1e-9);
    EXPECT_NEAR(first->StartPoint.x, 0, 1e-9);
    EXPECT_EQ(first->SurfaceName, "Плоскость");
    EXPECT_EQ(contour->GetUnit(1)->SurfaceName, "Цилиндр");
    EXPECT_EQ(contour->GetUnit(2)->Kind, 'A');
    EXPECT_EQ(contour->GetUnit(2)->SurfaceName, "Сфера");
    EXPECT_EQ(contour->GetUnit(2)->HostObjectCount(), 1);
    EXPECT_EQ(contour->GetUnit(3)->HostObjectCount(), 0);  // the closing line along the axis
}

TEST_F(RotationContoursTest, AxisAgainstTheCoordinateSystemGivesTheSameSection) {
    SetLSC({0, 0, 0}, {0, 0, -1});
    Add("LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 30,-10, 1 );\nLineSeg( 30,-10, 30,0, 1 );");
    auto contour = BuildRotationContours(*part);
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
    auto contour = BuildRotationContours(*part);
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
    EXPECT_TRUE(contour->IsClosed());
    EXPECT_NEAR(contour->GetUnit(0)->EndPoint.x, -10, 1e-9);  // the end face comes first
}

TEST_F(RotationContoursTest, FacesAboutAnotherAxisGiveTheMessage) {
    SetLSC({0, 0, 0}, {0, 0, 1});
    Add(kPin, {1, 0, 0});
    std::string message;
    EXPECT_EQ(BuildRotationContours(*part, &message), nullptr);
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
    auto contour = BuildRotationContours(*part);
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
    const CUnit* arc = contour->GetUnit(2);
    EXPECT_NEAR(arc->CentrePoint.z, 30, 1e-12);
    EXPECT_EQ(arc->SurfaceName, "Сфера");
}

TEST_F(RotationContoursTest, BarStockContour) {
    CContourBuilderZagotovka builder;
    builder.buildMethod = CContourBuilderZagotovka::kBar;
    builder.barLength = 100, builder.barDiameter = 50, builder.barInnerDiameter = 20, builder.barZ = 5;
    auto bar = builder.Build();
    ASSERT_TRUE(bar);
    EXPECT_EQ(ContourScriptText(*bar), ContourScriptText(*ParseContourScript(
                                           "LineSeg( -95,-10, 5,-10, 1 );\nLineSeg( 5,-10, 5,-25, 1 );\n"
                                           "LineSeg( 5,-25, -95,-25, 1 );\nLineSeg( -95,-25, -95,-10, 1 );")));
    builder.barInnerDiameter = 49.9;  // a wall of 0.05
    EXPECT_EQ(builder.Build(), nullptr);
    builder.buildMethod = 7;
    EXPECT_EQ(builder.Build(), nullptr);
}

}  // namespace
}  // namespace zarvento
