// Contour builders on generated parts: working contours from picked faces
// with gap units, the stock, the operation contours and closing onto the stock.
#include "model/contour_builder.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "dense_profiles.h"
#include "geometry/contour_script.h"
#include "geometry/exception.h"
#include "geometry/gap_unit.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "model/contour_builder_drill.h"
#include "model/contour_builder_kanavka.h"
#include "model/contour_builder_otrezka.h"
#include "model/contour_builder_tap_die.h"
#include "model/contour_builder_threading.h"
#include "model/contour_builder_zagotovka.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"
#include "platform/processes/host_procedures.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento {
namespace {

// A stepped shaft: end face, cylinder 10, cone, cylinder 15, end face. Its
// section runs clockwise: along the axis (unit 0) to the face at z = 40, then
// back along the outside to z = 0.
constexpr const char* kShaft =
    "LineSeg( 0,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 20,-10, 1 );\n"
    "LineSeg( 20,-10, 25,-15, 1 );\n"
    "LineSeg( 25,-15, 40,-15, 1 );\n"
    "LineSeg( 40,-15, 40,0, 1 );\n";
enum { kAxis, kEnd2, kCyl15, kCone, kCyl10, kEnd1 };

class BuilderControlLog : public BuilderControl {
public:
    void SetValue(const Variant& v) override { value = v; }
    void SetEnabled(bool e) override { enabled = e; }
    Variant value;
    bool enabled = true;
};

class ContourBuilderTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostSelectionManager(selection);
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
        LscTransform::Global().ReadFromHost(
            part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
        auto profile = ParseContourScript(kShaft);
        ASSERT_TRUE(profile);
        SetPartFromProfile(part, *profile);
        partContour = BuildRotationContours(part);
        ASSERT_TRUE(partContour);
        ASSERT_EQ(partContour->Count(), 6);
    }
    HostObjectPtr Face(int i) const { return partContour->GetUnit(i)->GetSourceObject(0); }
    void Attach(CContourBuilder& builder) { builder.partContour = partContour.get(); }
    static std::unique_ptr<Contour> Bar(double length, double diameter, double z) {
        CContourBuilderZagotovka stock;
        stock.barLength = length, stock.barDiameter = diameter, stock.barZ = z;
        return stock.CreateBarContour();
    }
    static std::vector<std::string> Messages(MessageRole role) { return MessageLog::Instance().Texts(role); }

    std::shared_ptr<SelectionManager> selection = std::make_shared<SelectionManager>();
    HostDocumentPtr part;
    std::unique_ptr<Contour> partContour;
};

void ExpectPoint(const Point3D& p, double z, double x) {
    EXPECT_NEAR(p.z, z, 1e-9);
    EXPECT_NEAR(p.x, x, 1e-9);
}

TEST_F(ContourBuilderTest, PickedFacesAreJoinedByASegmentGapFirstAndByTheStoredTypeAfter) {
    CContourBuilder builder;
    Attach(builder);
    EXPECT_EQ(builder.CreateContourFromFaces(), nullptr);  // nothing chosen
    builder.HighlightUnit(Face(kCyl15));
    builder.HighlightUnit(Face(kCyl10));
    auto contour = builder.CreateContourFromFaces();
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 3);
    const CUnit* gap = contour->GetUnit(1);
    ASSERT_EQ(gap->Kind, kUnitGap);
    EXPECT_EQ(static_cast<const CGapUnit*>(gap)->GapType, kGapSegment);
    // In the part's order: from the cylinder 15 down the step to the cylinder 10.
    ExpectPoint(contour->GetUnit(0)->StartPoint, 40, -15);
    ExpectPoint(gap->StartPoint, 25, -15);
    ExpectPoint(gap->EndPoint, 20, -10);
    ExpectPoint(contour->GetUnit(2)->EndPoint, 0, -10);
    EXPECT_EQ(partContour->GetRelation(kCyl10, kCyl15), kGapSegment);
    EXPECT_EQ(partContour->GetRelation(kCyl15, kCyl10), kGapSegment);

    // The user joins the pair by a square corner whose first leg runs across
    // the axis: the next build uses it.
    partContour->SetRelation(kCyl10, kCyl15, kGapFromAxis);
    partContour->SetRelation(kCyl15, kCyl10, kGapFromAxis);
    contour = builder.CreateContourFromFaces();
    ASSERT_TRUE(contour);
    ASSERT_EQ(contour->Count(), 3);
    const auto* square = static_cast<const CGapUnit*>(contour->GetUnit(1));
    ASSERT_EQ(square->Kind, kUnitGap);
    EXPECT_EQ(square->GapType, kGapFromAxis);
    ASSERT_TRUE(square->GetBridge(0));
    ExpectPoint(square->GetBridge(0)->EndPoint, 25, -10);
    EXPECT_EQ(partContour->GetRelation(kCyl10, kCyl15), kGapFromAxis);
}

TEST_F(ContourBuilderTest, CommonOffsetMovesEveryUnitAndGapsBridgeTheOpenCorners) {
    CContourBuilder builder;
    Attach(builder);
    for (int i : {kCyl10, kCone, kCyl15}) builder.HighlightUnit(Face(i));
    builder.isPripuskZ = true;
    builder.PripuskZ = 1.0;
    auto contour = builder.CreateContourFromFaces();
    ASSERT_TRUE(contour);
    // Every unit moves away from the material. The convex corner at the top
    // of the cone opens a gap; the concave one at its foot is trimmed to the
    // crossing.
    EXPECT_EQ(contour->GetGapCount(), 1);
    ASSERT_EQ(contour->Count(), 4);
    EXPECT_FALSE(contour->HasBreaks());
    ExpectPoint(contour->GetFirstUnit()->StartPoint, 40, -16);
    ExpectPoint(contour->GetUnit(1)->StartPoint, 25, -16);
    EXPECT_EQ(contour->GetUnit(1)->Kind, kUnitGap);
    ExpectPoint(contour->GetLastUnit()->EndPoint, 0, -11);
    // The foot of the cone, offset: where the two offsets cross.
    ExpectPoint(contour->GetLastUnit()->StartPoint, 20 - std::tan(PI / 8), -11);
}

// Dense polylines as CAD systems export curved faces, offset by an
// allowance: neighbours that turn by micro-radians still meet at a corner,
// so the offset runs unit after unit to the end without a break and without
// a unit that runs back against its face. Once such a pair was taken for
// one line: a backward bridge cut the working contour short at it (1,000
// segments) or left its nodes apart (3,000).
TEST_F(ContourBuilderTest, AllowanceOnADensePolylineKeepsTheContourWhole) {
    struct Case {
        test::DenseForm form;
        int segments, decimals;
    };
    for (const Case& c : {Case{test::DenseForm::WavyShaft, 1000, 9}, Case{test::DenseForm::WavyShaft, 3000, 9},
                          Case{test::DenseForm::MonotoneShaft, 2000, 4}, Case{test::DenseForm::Bore, 1500, 5}}) {
        SCOPED_TRACE(std::to_string(c.segments) + " segments, " + std::to_string(c.decimals) + " decimals");
        const test::DenseProfile dense = test::DenseProfileOf(c.form, c.segments, c.decimals);
        HostDocumentPtr doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
        auto profile = ParseContourScript(dense.script);
        ASSERT_TRUE(profile);
        SetPartFromProfile(doc, *profile);
        auto section = BuildRotationContours(doc);
        ASSERT_TRUE(section);
        // The curved face: every unit that is neither a face across the axis,
        // nor the axis, nor the bore's outside.
        for (int i = 0; i < section->Count(); ++i) {
            CUnit& unit = *section->GetUnit(i);
            const bool across = std::fabs(unit.StartPoint.z - unit.EndPoint.z) < 1e-9;
            const bool flat = std::fabs(unit.StartPoint.x - unit.EndPoint.x) < 1e-9 &&
                              (std::fabs(unit.StartPoint.x) < 1e-9 || std::fabs(unit.StartPoint.x + 30.0) < 1e-9);
            unit.Selected = !across && !flat;
        }
        EXPECT_EQ(section->GetSelectedCount(), dense.last - dense.first + 1);
        CContourBuilder builder;
        builder.partContour = section.get();
        builder.isPripuskZ = true;
        builder.PripuskZ = 0.5;
        auto contour = builder.CreateContourFromFaces();
        ASSERT_TRUE(contour);
        auto simple = contour->GetSimpleContour();
        ASSERT_TRUE(simple);
        EXPECT_FALSE(simple->HasBreaks());
        // From one end of the curve to the other, 0.5 off it.
        double zs = 0, xs = 0, ze = 0, xe = 0;
        simple->GetStartPoint(xs, zs);
        simple->GetEndPoint(xe, ze);
        EXPECT_NEAR(std::fabs(zs - ze), 100.0, 0.5 + 1e-6);
        // Every unit runs the way the curve runs (towards -Z or +Z as the
        // whole does): none turns back.
        const double sense = ze < zs ? -1.0 : 1.0;
        for (int i = 0; i < simple->Count(); ++i) {
            const CUnit& unit = *simple->GetUnit(i);
            EXPECT_GT(sense * (unit.EndPoint.z - unit.StartPoint.z), -1e-9)
                << "unit " << i << " from (" << unit.StartPoint.z << ", " << unit.StartPoint.x << ") to ("
                << unit.EndPoint.z << ", " << unit.EndPoint.x << ")";
        }
        ConnectHostApplication().Documents().Close(doc);
    }
}

TEST_F(ContourBuilderTest, PicksToggleInTheBaseAndAreSingleInTheSingleChoiceBuilders) {
    CContourBuilder base;
    Attach(base);
    base.HighlightUnit(Face(kCyl10));
    base.HighlightUnit(Face(kCyl15));
    EXPECT_EQ(partContour->GetSelectedCount(), 2);
    base.HighlightUnit(Face(kCyl10));
    EXPECT_EQ(partContour->GetSelectedCount(), 1);
    EXPECT_FALSE(selection->IsSelected(Face(kCyl10)));  // the face's highlight goes with the unit's
    EXPECT_TRUE(selection->IsSelected(Face(kCyl15)));
    base.HighlightUnit(nullptr);  // nothing holds it: nothing happens
    EXPECT_EQ(partContour->GetSelectedCount(), 1);

    CContourBuilderOtrezka single;
    Attach(single);
    single.HighlightUnit(Face(kEnd2));
    EXPECT_EQ(partContour->GetSelectedCount(), 1);
    EXPECT_TRUE(partContour->GetUnit(kEnd2)->Selected);
    single.HighlightUnit(Face(kEnd2));  // the chosen one again: nothing chosen
    EXPECT_EQ(partContour->GetSelectedCount(), 0);

    CContourBuilderDrill drill;
    Attach(drill);
    drill.HighlightUnit(Face(kCyl10));
    drill.HighlightUnit(Face(kCyl15));  // mode 0 toggles like the base
    EXPECT_EQ(partContour->GetSelectedCount(), 2);
    drill.SposobDrill = CContourBuilderDrill::kHoleByParameters;
    drill.HighlightUnit(Face(kCone));
    EXPECT_EQ(partContour->GetSelectedCount(), 1);
    EXPECT_TRUE(partContour->GetUnit(kCone)->Selected);
}

TEST_F(ContourBuilderTest, WhichFacesEachBuilderTakes) {
    CContourBuilder base;
    CContourBuilderOtrezka cutOff;
    CContourBuilderTapDie tap;
    CContourBuilderThreading thread;
    for (CContourBuilder* b : std::initializer_list<CContourBuilder*>{&base, &cutOff, &tap, &thread}) {
        EXPECT_FALSE(b->HasUnitForObject(Face(kCyl10)));  // no part contour yet
        Attach(*b);
        EXPECT_TRUE(b->IsObjectAccepted(Face(kCyl10)));
        EXPECT_FALSE(b->IsObjectAccepted(part->AddSketch("Эскиз")));
        EXPECT_FALSE(b->HasUnitForObject(nullptr));
    }
    struct Case {
        int face;
        bool base, cutOff, tap;
    } cases[] = {{kEnd1, true, true, false}, {kCyl10, true, false, true}, {kCone, true, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(base.HasUnitForObject(Face(c.face)), c.base) << c.face;
        EXPECT_EQ(cutOff.HasUnitForObject(Face(c.face)), c.cutOff) << c.face;
        EXPECT_EQ(tap.HasUnitForObject(Face(c.face)), c.tap) << c.face;
        EXPECT_EQ(thread.HasUnitForObject(Face(c.face)), c.base) << c.face;
    }
}

TEST_F(ContourBuilderTest, ThreadingTakesLinesOnlyAndBuildsNothingWhenSuppressed) {
    auto arcPart = ConnectHostApplication().Documents().Add(DocumentType::Part);
    SetPartFromProfile(arcPart, *ParseContourScript("LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, 30,-10, 1 );\n"
                                                    "ArcByPoint( 30,0, 10, 30,-10, 40,0, 1, 1 );\n"));
    auto pin = BuildRotationContours(arcPart);
    ASSERT_TRUE(pin);
    CContourBuilderThreading thread;
    thread.partContour = pin.get();
    thread.HighlightUnit(pin->GetUnit(1)->GetSourceObject(0));  // the spherical cap
    EXPECT_EQ(pin->GetSelectedCount(), 0);
    thread.HighlightUnit(pin->GetUnit(2)->GetSourceObject(0));
    EXPECT_EQ(pin->GetSelectedCount(), 1);
    auto contour = thread.Build();
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 1);
    thread.suppressBuild = true;
    EXPECT_EQ(thread.Build(), nullptr);
}

TEST_F(ContourBuilderTest, TapDieContourIsNotClosedOntoTheStock) {
    auto stock = Bar(60, 40, 45);
    CContourBuilderTapDie tap;
    Attach(tap);
    tap.sourceContour = stock.get();
    tap.HighlightUnit(Face(kCyl10));
    auto contour = tap.Build();
    ASSERT_TRUE(contour);
    EXPECT_EQ(contour->Count(), 1);
}

TEST_F(ContourBuilderTest, StockFromFacesIsClosedDownToTheAxis) {
    CContourBuilderZagotovka stock;
    Attach(stock);
    EXPECT_EQ(stock.Build(), nullptr);  // faces are the default method; none chosen
    for (int i : {kCyl10, kCone, kCyl15}) stock.HighlightUnit(Face(i));
    auto contour = stock.Build();
    ASSERT_TRUE(contour);
    EXPECT_TRUE(contour->IsClosed());
    EXPECT_EQ(contour->Count(), 6);
    ExpectPoint(contour->GetFirstUnit()->StartPoint, 0, 0);  // the closing line along the axis comes first
    ExpectPoint(contour->GetFirstUnit()->EndPoint, 40, 0);
    ExpectPoint(contour->GetUnit(1)->EndPoint, 40, -15);  // then down to the picked faces
    ExpectPoint(contour->GetLastUnit()->StartPoint, 0, -10);
}

TEST_F(ContourBuilderTest, BarStockByDiametersAndNothingWithoutAWall) {
    auto bar = Bar(50, 40, 45);
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->Count(), 4);
    ExpectPoint(bar->GetUnit(0)->StartPoint, -5, 0);  // a solid bar starts on the axis
    ExpectPoint(bar->GetUnit(1)->StartPoint, 45, 0);
    ExpectPoint(bar->GetUnit(2)->StartPoint, 45, -20);
    ExpectPoint(bar->GetUnit(3)->StartPoint, -5, -20);
    EXPECT_TRUE(bar->IsClosed());
    CContourBuilderZagotovka tube;
    tube.buildMethod = CContourBuilderZagotovka::kBar;
    tube.barLength = 50, tube.barDiameter = 40, tube.barInnerDiameter = 39.85;
    EXPECT_EQ(tube.Build(), nullptr);
}

TEST_F(ContourBuilderTest, StockFromAModelFileIsReadOnceAndKept) {
    test::TempDir dir;
    HostApplication& app = ConnectHostApplication();
    auto stockPart = app.Documents().Add(DocumentType::Part);
    SetPartFromProfile(stockPart, *Bar(60, 40, 45));
    const std::string path = (dir.Path() / "stock.rdp").string();
    stockPart->SaveAs(path);
    app.Documents().Close(stockPart);
    app.SetActiveDocument(part);
    const std::size_t open = app.Documents().Count();

    CContourBuilderZagotovka stock;
    stock.buildMethod = CContourBuilderZagotovka::kFromFile;
    stock.SetFileName(path);
    auto first = stock.Build();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Count(), 4);
    EXPECT_EQ(app.Documents().Count(), open);  // opened for the reading and closed again
    EXPECT_EQ(app.ActiveDocumentOrNull(), part);
    std::filesystem::remove(path);
    auto second = stock.Build();  // the kept contour, without the file
    ASSERT_TRUE(second);
    EXPECT_EQ(ContourScriptText(*second), ContourScriptText(*first));
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());
    stock.DeleteContour();
    EXPECT_EQ(stock.Build(), nullptr);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox),
              std::vector<std::string>{"Не удалось открыть файл заготовки"});

    MessageLog::Instance().Clear();
    part->SaveAs((dir.Path() / "part.rdp").string());
    stock.SetFileName(part->FilePath());
    EXPECT_EQ(stock.Build(), nullptr);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox),
              std::vector<std::string>{"Файл заготовки открыт в текущем окне"});
    EXPECT_EQ(app.Documents().Count(), open);
}

namespace {
std::vector<std::string> sectionReports;
void RecordSectionReport(const std::string& text) { sectionReports.push_back(text); }
}  // namespace

TEST_F(ContourBuilderTest, StockFromAStepFileAndTheFilesItRefuses) {
    test::TempDir dir;
    HostApplication& app = ConnectHostApplication();
    const std::string bar = (dir / "bar.step").string(), cross = (dir / "cross.step").string(),
                      pair = (dir / "pair.step").string(), junk = (dir / "junk.step").string();
    PartShape::Revolve({MeridianPiece::Segment(-15, 0, -15, 20), MeridianPiece::Segment(-15, 20, 45, 20),
                        MeridianPiece::Segment(45, 20, 45, 0)})
        .WriteStep(bar, "Пруток");
    test::CrossBar().WriteStep(cross, "Поперечина");
    PartShape::WriteStepAssembly(
        pair, "Узел", {{"Вал", test::SteppedShaft(), {0, 0, 0}}, {"Втулка", test::OffAxisCylinder(), {0, 0, 100}}});
    std::ofstream(junk) << "ISO-10303-21;\nnot really\n";
    sectionReports.clear();
    const SectionErrorReport previous = RegisterSectionErrorReport(&RecordSectionReport);
    // The section of a stock outlined by more than its meridians (the bar
    // across the axis) takes its boundary in the library's hidden document.
    if (!HiddenDocument()) CreateHiddenDocument();
    const std::size_t open = app.Documents().Count();
    // The user's part has unsaved changes, which the stock's section must not
    // touch (it runs in the stock's own document).
    TopPart(part)->MarkChanged();
    auto build = [&](const std::string& file) {
        CContourBuilderZagotovka stock;
        stock.buildMethod = CContourBuilderZagotovka::kFromFile;
        stock.SetFileName(file);
        return stock.Build();
    };

    CContourBuilderZagotovka stock;
    stock.buildMethod = CContourBuilderZagotovka::kFromFile;
    stock.SetFileName(bar);
    const int posts = HostPostCommandCount();
    auto first = stock.Build();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Count(), 4);
    EXPECT_TRUE(first->IsClosed());
    double zmin, xmin, zmax, xmax;
    first->GetBoundBox(zmin, xmin, zmax, xmax);
    EXPECT_NEAR(zmin, -15, 1e-6);
    EXPECT_NEAR(zmax, 45, 1e-6);
    EXPECT_NEAR(xmin, -20, 1e-6);
    EXPECT_EQ(HostPostCommandCount(), posts + 1);
    EXPECT_EQ(app.Documents().Count(), open);
    EXPECT_EQ(app.ActiveDocumentOrNull(), part);
    EXPECT_TRUE(TopPart(part)->StateFlag());
    EXPECT_TRUE(TopPart(part)->RebuildSwitch());
    for (const auto& e : part->Entities()) EXPECT_NE(e->Name(), kSectionObjectName);
    // The second build reuses the kept contour without opening the file.
    const int opens = HostFaults::Calls("HostDocuments.Open");
    ASSERT_TRUE(stock.Build());
    EXPECT_EQ(HostFaults::Calls("HostDocuments.Open"), opens);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());

    const struct {
        std::string file;
        const char* message;
    } refused[] = {
        {junk, "Не удалось открыть файл заготовки"},
        {pair, "Файл заготовки не является деталью VOVUVE"},
        {cross, "Не удалось распознать контур заготовки"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.file);
        MessageLog::Instance().Clear();
        EXPECT_EQ(build(r.file), nullptr);
        EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox), std::vector<std::string>{r.message});
        EXPECT_EQ(app.Documents().Count(), open);
        EXPECT_EQ(app.ActiveDocumentOrNull(), part);
    }
    // The stock without faces of rotation was reported by the plan data too.
    EXPECT_EQ(sectionReports, std::vector<std::string>{kNoStockRotationFacesMessage});

    // The file of the current window is refused before anything is opened.
    MessageLog::Instance().Clear();
    part->SaveAs((dir / "part.rdp").string());
    HostFaults::Clear();
    EXPECT_EQ(build(part->FilePath()), nullptr);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox),
              std::vector<std::string>{"Файл заготовки открыт в текущем окне"});
    EXPECT_EQ(HostFaults::Calls("HostDocuments.Open") + HostFaults::Calls("HostDocuments.FindByPath"), 0);
    RegisterSectionErrorReport(previous);
}

TEST_F(ContourBuilderTest, BuildersAreDestroyedThroughTheBase) {
    std::unique_ptr<CContourBuilder> builders[] = {
        std::make_unique<CContourBuilderZagotovka>(), std::make_unique<CContourBuilderDrill>(),
        std::make_unique<CContourBuilderKanavka>(),   std::make_unique<CContourBuilderOtrezka>(),
        std::make_unique<CContourBuilderTapDie>(),    std::make_unique<CContourBuilderThreading>()};
    static_cast<CContourBuilderZagotovka&>(*builders[0]).SetStockContour(Bar(10, 10, 0));
    builders[0]->sketch = part->AddSketch("Эскиз");
    for (auto& b : builders) b.reset();  // the stock contour goes with its builder (checked under the sanitizer)
    SUCCEED();
}

// --- the hole builder ---

TEST_F(ContourBuilderTest, HoleByParametersFromTheChosenFace) {
    CContourBuilderDrill drill;
    Attach(drill);
    drill.SposobDrill = CContourBuilderDrill::kHoleByParameters;
    drill.HighlightUnit(Face(kEnd2));  // z = 40
    drill.Zbase = -2, drill.Glubina = 10, drill.Diametr = 5, drill.AngleDrill = 118;
    auto hole = drill.CreateHoleContour();
    ASSERT_TRUE(hole);
    ASSERT_EQ(hole->Count(), 2);
    const double tip = 2.5 / std::tan(59.0 * PI / 180.0);
    ExpectPoint(hole->GetUnit(0)->StartPoint, 28 - tip, 0);
    ExpectPoint(hole->GetUnit(0)->EndPoint, 28, -2.5);
    ExpectPoint(hole->GetUnit(1)->EndPoint, 38, -2.5);
    EXPECT_DOUBLE_EQ(drill.startAngle, 121);
}

TEST_F(ContourBuilderTest, HoleWithoutATipAngleOrDiameterIsNoContour) {
    CContourBuilderDrill drill;
    drill.SposobDrill = CContourBuilderDrill::kHoleByParameters;
    drill.Glubina = 10;
    struct Case {
        double diameter, angle;
        bool made;
    } cases[] = {{5, 0, false},        {5, 1e-9, false}, {5, -30, false}, {5, 181, false},
                 {0.0005, 118, false}, {5, 180, true},   {5, 1, true},    {0.001, 118, true}};
    for (const Case& c : cases) {
        drill.Diametr = c.diameter, drill.AngleDrill = c.angle;
        auto hole = drill.CreateHoleContour();
        EXPECT_EQ(hole != nullptr, c.made) << c.diameter << " " << c.angle;
        for (int i = 0; hole && i < hole->Count(); ++i) EXPECT_TRUE(std::isfinite(hole->GetUnit(i)->StartPoint.z));
    }
}

TEST_F(ContourBuilderTest, CentreDrillAlwaysTakesOneHundredTwenty) {
    CContourBuilderDrill drill;
    drill.SposobDrill = CContourBuilderDrill::kCentreDrill;
    drill.Diametr = 4, drill.Glubina = 1, drill.AngleDrill = 118;
    BuilderControlLog angle;
    drill.tipAngleControl = &angle;
    auto hole = drill.Build();  // no source: not closed
    ASSERT_TRUE(hole);
    ASSERT_EQ(hole->Count(), 3);
    EXPECT_DOUBLE_EQ(drill.AngleDrill, 120);
    EXPECT_DOUBLE_EQ(drill.startAngle, 120);
    EXPECT_TRUE(drill.isAngleChanged);
    EXPECT_DOUBLE_EQ(angle.value.ToR8(), 120);  // the tip angle shown again
    ExpectPoint(hole->GetUnit(0)->StartPoint, -1, 0);
    ExpectPoint(hole->GetUnit(1)->StartPoint, -1 + 2 / std::tan(PI / 3), -2);
    ExpectPoint(hole->GetUnit(1)->EndPoint, 5, -2);
    ExpectPoint(hole->GetUnit(2)->EndPoint, 5 + 3 / std::tan(PI / 6), -5);
    drill.Diametr = 0;
    EXPECT_EQ(drill.CreateCentreDrillContour(), nullptr);
}

TEST_F(ContourBuilderTest, DrillTakesTheTipAngleFromAChosenCone) {
    // A blind hole of diameter 5 drilled 10 deep into the face at z = 40 with
    // a tip of 90 degrees.
    auto drilled = ConnectHostApplication().Documents().Add(DocumentType::Part);
    SetPartFromProfile(drilled, *ParseContourScript("LineSeg( 0,0, 0,-15, 1 );\nLineSeg( 0,-15, 40,-15, 1 );\n"
                                                    "LineSeg( 40,-15, 40,-2.5, 1 );\nLineSeg( 40,-2.5, 30,-2.5, 1 );\n"
                                                    "LineSeg( 30,-2.5, 27.5,0, 1 );"));
    auto section = BuildRotationContours(drilled);
    ASSERT_TRUE(section);
    const CUnit* tip = section->GetUnit(1);  // after the axis
    ASSERT_EQ(tip->SurfaceName, "Конус");
    CContourBuilderDrill drill;
    drill.partContour = section.get();
    BuilderControlLog angle, diameter;
    drill.tipAngleControl = &angle;
    drill.diameterControl = &diameter;
    drill.isAngleFromCone = true;
    drill.HighlightUnit(tip->GetSourceObject(0));
    auto contour = drill.CreateContourFromFaces();
    ASSERT_TRUE(contour);
    EXPECT_TRUE(drill.isAngleChanged);
    EXPECT_NEAR(drill.startAngle, 135, 1e-9);  // 180 - tip / 2, as for a hole by parameters
    ASSERT_TRUE(drill.Build());
    EXPECT_NEAR(angle.value.ToR8(), 90, 1e-9);    // the tip angle shown
    EXPECT_NEAR(diameter.value.ToR8(), 5, 1e-9);  // and the hole's diameter
    EXPECT_NEAR(drill.Diametr, 5, 1e-9);
    drill.HighlightUnit(tip->GetSourceObject(0));
    drill.HighlightUnit(section->GetUnit(2)->GetSourceObject(0));  // the hole's wall gives no angle
    drill.CreateContourFromFaces();
    EXPECT_FALSE(drill.isAngleChanged);
}

// --- the groove builder ---

TEST_F(ContourBuilderTest, GrooveWidthIsCheckedAndSetsTheExtensionModes) {
    CContourBuilderKanavka groove;
    Attach(groove);
    groove.HighlightUnit(Face(kEnd2));  // a face of constant Z: no width along Z
    EXPECT_EQ(groove.Build(), nullptr);
    EXPECT_EQ(Messages(MessageRole::HostMessage), std::vector<std::string>{kGrooveWidthMessage});
    groove.grooveDirection = 1;  // width along X: 15
    auto contour = groove.Build();
    ASSERT_TRUE(contour);
    // x runs down from 0 to -15: the ends are prolonged out of the face.
    EXPECT_EQ(groove.startMode, kExtendPlusZ);
    EXPECT_EQ(groove.endMode, kExtendPlusZ);
    groove.HighlightUnit(Face(kEnd2));
    groove.HighlightUnit(Face(kCyl10));
    groove.grooveDirection = 0;
    ASSERT_TRUE(groove.Build());
    // z runs down from 20 to 0: the ends are prolonged away from the axis.
    EXPECT_EQ(groove.startMode, kExtendMinusX);
    EXPECT_EQ(groove.endMode, kExtendMinusX);
}

// --- closing onto the stock ---

TEST_F(ContourBuilderTest, StartIsProlongedOntoTheStockByEachMode) {
    auto stock = Bar(60, 40, 45);  // z from -15 to 45, radius 20, solid
    struct Case {
        int mode;
        double angle;
        double z, x;  // where the prolongation starts
        double shown;
    } cases[] = {{kExtendAuto, 0, -15, -10, 180},
                 {kExtendPlusZ, 0, 45, -10, 0},
                 {kExtendPlusX, 0, 0, 0, 90},
                 {kExtendMinusZ, 0, -15, -10, 180},
                 {kExtendMinusX, 0, 0, -20, 270},
                 {kExtendAtAngle, 225, -10, -20, 225},
                 {9, 0, -15, -10, 180}};
    for (const Case& c : cases) {
        CContourBuilder builder;
        BuilderControlLog group, angle;
        builder.startGroupControl = &group;
        builder.startAngleControl = &angle;
        builder.startMode = c.mode;
        builder.startAngle = c.angle;
        auto contour =
            builder.CloseContourToSource(ParseContourScript("LineSeg( 0,-10, 30,-10, 1 );"), stock.get(), true, false);
        ASSERT_TRUE(contour);
        ASSERT_EQ(contour->Count(), 2) << c.mode;
        const CUnit* line = contour->GetFirstUnit();
        EXPECT_TRUE(line->IsMarked);
        ExpectPoint(line->StartPoint, c.z, c.x);
        ExpectPoint(line->EndPoint, 0, -10);
        EXPECT_NEAR(angle.value.ToR8(), c.shown, 1e-9) << c.mode;
        EXPECT_EQ(angle.enabled, c.mode == kExtendAtAngle);
        EXPECT_TRUE(group.enabled);
        EXPECT_GE(builder.startMode, 0);
        EXPECT_LE(builder.startMode, 5);
    }
}

TEST_F(ContourBuilderTest, EndIsProlongedOntoTheStock) {
    auto stock = Bar(60, 40, 45);
    struct Case {
        int mode;
        double z, x;
    } cases[] = {{kExtendAuto, 45, -10}, {kExtendMinusZ, -15, -10}, {kExtendPlusX, 30, 0}, {kExtendMinusX, 30, -20}};
    for (const Case& c : cases) {
        CContourBuilder builder;
        builder.endMode = c.mode;
        auto contour =
            builder.CloseContourToSource(ParseContourScript("LineSeg( 0,-10, 30,-10, 1 );"), stock.get(), false, true);
        ASSERT_EQ(contour->Count(), 2) << c.mode;
        ExpectPoint(contour->GetLastUnit()->StartPoint, 30, -10);
        ExpectPoint(contour->GetLastUnit()->EndPoint, c.z, c.x);
        EXPECT_TRUE(contour->GetLastUnit()->IsMarked);
    }
}

TEST_F(ContourBuilderTest, AutomaticModeTurnsAwayFromThePart) {
    // The working contour ends beyond the part's end face running along -Z:
    // straight on would run through the part, so the probe turns a quarter
    // away from it (towards -X).
    auto stock = Bar(60, 40, 45);
    CContourBuilder builder;
    auto contour =
        builder.CloseContourToSource(ParseContourScript("LineSeg( 44,-12, 42,-12, 1 );"), stock.get(), false, true);
    ASSERT_EQ(contour->Count(), 2);
    ExpectPoint(contour->GetLastUnit()->EndPoint, -15, -12);  // without the part: straight on
    Attach(builder);
    contour =
        builder.CloseContourToSource(ParseContourScript("LineSeg( 44,-12, 42,-12, 1 );"), stock.get(), false, true);
    ASSERT_EQ(contour->Count(), 2);
    ExpectPoint(contour->GetLastUnit()->EndPoint, 42, -20);
}

TEST_F(ContourBuilderTest, EndsOutsideTheStockOrWithoutAStockStayAsTheyAre) {
    auto stock = Bar(60, 40, 45);
    CContourBuilder builder;
    BuilderControlLog group;
    builder.startGroupControl = &group;
    auto outside =
        builder.CloseContourToSource(ParseContourScript("LineSeg( -20,-10, 30,-30, 1 );"), stock.get(), true, true);
    EXPECT_EQ(outside->Count(), 1);
    EXPECT_FALSE(group.enabled);
    auto noStock =
        builder.CloseContourToSource(ParseContourScript("LineSeg( 0,-10, 30,-10, 1 );"), nullptr, true, true);
    EXPECT_EQ(noStock->Count(), 1);
    EXPECT_EQ(builder.CloseContourToSource(nullptr, stock.get(), true, true), nullptr);
    // Built from faces, the base closes onto its own source contour.
    Attach(builder);
    builder.sourceContour = stock.get();
    builder.startMode = builder.endMode = kExtendMinusX;
    builder.HighlightUnit(Face(kCyl10));
    auto built = builder.Build();
    ASSERT_TRUE(built);
    ASSERT_EQ(built->Count(), 3);
    ExpectPoint(built->GetFirstUnit()->StartPoint, 20, -20);
    ExpectPoint(built->GetLastUnit()->EndPoint, 0, -20);
}

}  // namespace
}  // namespace zarvento
