// Working and stock contours from sketches: the plane check, chaining pieces
// drawn in any direction, the refusals and the sketch's storage.
#include <cmath>
#include <memory>

#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "model/contour_builder.h"
#include "model/contour_builder_zagotovka.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "test_support.h"

namespace zarvento {
namespace {

class SketchContourTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
        lsc = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        LscTransform::Global().ReadFromHost(lsc);
        sketch = part->AddSketch("Эскиз");
        sketch->SetPlane(lsc, LocalCoordinateSystem::kPlaneZX);
        builder.sketch = sketch;
        builder.buildMethod = CContourBuilder::kFromSketch;
    }
    Document2D& Draw() { return sketch->Objects(); }
    static std::vector<MessageEntry> Boxes() {
        std::vector<MessageEntry> boxes;
        for (const MessageEntry& e : MessageLog::Instance().Entries())
            if (e.role == MessageRole::MessageBox) boxes.push_back(e);
        return boxes;
    }
    void ExpectOneBox(const char* text) {
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "Orbisel");
    }
    // A stepped profile (sketch x along the axis, y the radius) drawn in
    // shuffled order with every other piece against the chain.
    void DrawSteps() {
        Draw().LineSeg(20, 8, 10, 8, 1);
        Draw().LineSeg(10, 5, 0, 5, 1);
        Draw().ArcByPoint(20, 12, 4, 24, 12, 20, 8, -1, 1);
        Draw().LineSeg(10, 5, 10, 8, 1);
    }

    HostDocumentPtr part;
    std::shared_ptr<LocalCoordinateSystem> lsc;
    std::shared_ptr<HostSketch> sketch;
    CContourBuilder builder;
};

void ExpectPoint(const Point3D& p, double z, double x) {
    EXPECT_NEAR(p.z, z, 1e-9);
    EXPECT_NEAR(p.x, x, 1e-9);
}

TEST_F(SketchContourTest, PiecesDrawnInMixedDirectionsComeBackAsOneChain) {
    DrawSteps();
    auto contour = builder.CreateContourFromSketch();
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 4);
    EXPECT_FALSE(contour->HasBreaks());
    EXPECT_EQ(contour->GetFirstUnit()->Kind, kUnitArc);
    ExpectPoint(contour->GetFirstUnit()->StartPoint, 24, -12);  // the radius turned to the part's side
    ExpectPoint(contour->GetUnit(2)->StartPoint, 10, -8);
    ExpectPoint(contour->GetUnit(2)->EndPoint, 10, -5);
    ExpectPoint(contour->GetLastUnit()->EndPoint, 0, -5);
    for (int i = 0; i + 1 < contour->Count(); ++i) {
        const Point3D& e = contour->GetUnit(i)->EndPoint;
        ExpectPoint(contour->GetUnit(i + 1)->StartPoint, e.z, e.x);
    }
    EXPECT_EQ(sketch->EditDepth(), 0);
    EXPECT_TRUE(Boxes().empty());

    builder.reverseFlag = true;
    contour = builder.CreateContourFromSketch();
    ExpectPoint(contour->GetFirstUnit()->StartPoint, 0, -5);
}

TEST_F(SketchContourTest, PiecesOffTheChainAreDropped) {
    DrawSteps();
    Draw().LineSeg(50, 1, 60, 1, 1);
    auto contour = builder.CreateContourFromSketch();
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
}

TEST_F(SketchContourTest, ChainingCopesWithFarAndEqualEnds) {
    // Ends far beyond any grid, and three pieces meeting at one point: the
    // lowest index joins first, the rest is dropped.
    auto pieces = ParseContourScript(
        "LineSeg( 1e300,0, 1e300,5, 1 );\nLineSeg( 1e300,-5, 1e300,0, 1 );\n"
        "LineSeg( 0,0, 1,0, 1 );\nLineSeg( 2,0, 1,0, 1 );\nLineSeg( 1,0, 1,3, 1 );");
    ASSERT_TRUE(pieces);
    auto chain = CContourBuilder::ChainSketchUnits(*pieces);
    EXPECT_EQ(chain->Count(), 2);
    Contour local;
    for (int i = 2; i < pieces->Count(); ++i) local.AddUnit(pieces->GetUnit(i)->Clone());
    chain = CContourBuilder::ChainSketchUnits(local);
    ASSERT_EQ(chain->Count(), 2);
    ExpectPoint(chain->GetLastUnit()->StartPoint, 1, 0);
    ExpectPoint(chain->GetLastUnit()->EndPoint, 2, 0);  // the second piece, turned
}

TEST_F(SketchContourTest, SketchOffTheNcZxPlaneIsRefused) {
    DrawSteps();
    auto other = part->AddLocalCoordinateSystem("Другая", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    struct Case {
        std::shared_ptr<LocalCoordinateSystem> system;
        int plane;
    } cases[] = {
        {lsc, LocalCoordinateSystem::kPlaneXY}, {lsc, LocalCoordinateSystem::kPlaneYZ}, {other, 2}, {nullptr, 0}};
    for (const Case& c : cases) {
        MessageLog::Instance().Clear();
        sketch->SetPlane(c.system, c.plane);
        EXPECT_EQ(builder.CreateContourFromSketch(), nullptr);
        ExpectOneBox(kSketchPlaneMessage);
    }
    EXPECT_EQ(std::string(kSketchPlaneMessage), "Зскиз должен лежать в плоскости ZX локальной системы кооординат ЧПУ");
}

TEST_F(SketchContourTest, NoSketchIsNoContourAndNoCoordinateSystemIsAPointerError) {
    builder.sketch = nullptr;
    EXPECT_EQ(builder.CreateContourFromSketch(), nullptr);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());
    builder.sketch = sketch;
    EXPECT_EQ(builder.CreateContourFromSketch(), nullptr);  // an empty sketch
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());
    LscTransform::Global().Reset();
    try {
        builder.CreateContourFromSketch();
        FAIL() << "no error";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Code(), E_POINTER_);
    }
}

TEST_F(SketchContourTest, SelfIntersectingSketchIsRefused) {
    Draw().LineSeg(0, 0, 10, 10, 1);
    Draw().LineSeg(0, 10, 10, 0, 1);
    EXPECT_EQ(builder.CreateContourFromSketch(), nullptr);
    ExpectOneBox(kSketchSelfIntersectionMessage);
    EXPECT_EQ(std::string(kSketchSelfIntersectionMessage), "Контур в эскизе не должен самопересекаться");
}

TEST_F(SketchContourTest, ClosedSketchIsRefusedAsAWorkingContour) {
    Draw().LineSeg(0, 5, 10, 5, 1);
    Draw().LineSeg(10, 5, 10, 10, 1);
    Draw().LineSeg(0, 5, 10, 10, 1);
    EXPECT_EQ(builder.Build(), nullptr);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::HostMessage),
              std::vector<std::string>{"Рабочий контур должен быть разомкнутым"});
}

TEST_F(SketchContourTest, ClosedProfileMustLieOnOneSideOfTheAxis) {
    builder.halfPlaneCheck = true;
    Draw().LineSeg(0, -5, 10, 5, 1);
    EXPECT_EQ(builder.CreateContourFromSketch(), nullptr);
    ExpectOneBox(
        "Зскиз должен лежать в полуплоскости XOZ ЛСК с положительным направлением оси X.\n"
        "Все координаты X контура должны быть >=0");

    MessageLog::Instance().Clear();
    sketch->Objects().Clear();
    Draw().LineSeg(0, 5, 10, 5, 1);
    Draw().LineSeg(10, 5, 10, 8, 1);
    Draw().LineSeg(10, 8, 30, 8, 1);
    auto profile = builder.CreateContourFromSketch();
    ASSERT_TRUE(profile);
    EXPECT_TRUE(profile->IsClosed());
    EXPECT_TRUE(profile->DetermineDirection());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SketchContourTest, SketchWithItsXAxisAlongTheRadiusIsTurned) {
    sketch->SetPlacement({0, 0, 0}, {1, 0, 0});
    Draw().LineSeg(5, 0, 5, 10, 1);
    auto contour = builder.CreateContourFromSketch();
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 1);
    EXPECT_NEAR(contour->GetFirstUnit()->StartPoint.x, -5, 1e-9);
    EXPECT_NEAR(contour->GetFirstUnit()->EndPoint.x, -5, 1e-9);
    EXPECT_NEAR(std::fabs(contour->GetFirstUnit()->EndPoint.z - contour->GetFirstUnit()->StartPoint.z), 10, 1e-9);
}

TEST_F(SketchContourTest, SecondLoadingModeReadsRapidLinesAndStockClearsThem) {
    Draw().LineSeg(0, 5, 10, 5, 1);
    Draw().LineSeg(10, 5, 10, 9, 3);
    builder.secondLoadingMode = true;
    auto contour = builder.CreateContourFromSketch();
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 2);
    EXPECT_TRUE(contour->GetUnit(1)->IsRapid);
    builder.secondLoadingMode = false;
    EXPECT_EQ(builder.CreateContourFromSketch()->Count(), 1);  // style 3 is not read

    CContourBuilderZagotovka stock;
    stock.buildMethod = CContourBuilder::kFromSketch;
    stock.sketch = sketch;
    stock.secondLoadingMode = true;
    auto built = stock.Build();
    ASSERT_TRUE(built);
    ASSERT_EQ(built->Count(), 2);
    EXPECT_FALSE(built->GetUnit(1)->IsRapid);
}

TEST_F(SketchContourTest, SketchPlaneAndPlacementAreSavedWithTheDocument) {
    test::TempDir dir;
    DrawSteps();
    sketch->SetPlacement({1, 2, 3}, {1, 2, 4});
    const std::string path = (dir.Path() / "part.rdp").string();
    part->SaveAs(path);
    HostApplication& app = ConnectHostApplication();
    app.Documents().Close(part);
    part = app.Documents().Open(path);
    auto reopened = part->FindSketch("Эскиз");
    ASSERT_TRUE(reopened);
    auto system = std::dynamic_pointer_cast<LocalCoordinateSystem>(reopened->PlaneSystem());
    ASSERT_TRUE(system);
    EXPECT_EQ(system->Name(), "ЛСК");
    EXPECT_TRUE(SameHostObject(reopened->Plane(), system->Plane(LocalCoordinateSystem::kPlaneZX)));
    EXPECT_EQ(reopened->PlacementOrigin(), (std::array<double, 3>{1, 2, 3}));
    EXPECT_EQ(reopened->PlacementAxisPoint(), (std::array<double, 3>{1, 2, 4}));
    EXPECT_EQ(reopened->Objects().Objects().size(), 4u);

    LscTransform::Global().ReadFromHost(system);
    reopened->SetPlacement({0, 0, 0}, {0, 0, 1});
    builder.sketch = reopened;
    auto contour = builder.CreateContourFromSketch();
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 4);
}

}  // namespace
}  // namespace zarvento
