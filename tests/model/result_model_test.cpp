// The 3D model of the machined part: the body turned from the section (or cut
// from a copy of the stock model) has the section's volume and colour 10, in
// the place the NC system gives it; "LSC.txt" holds the system's axes; the
// failures leave no document open and no user's file overwritten.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "geometry/contour_script.h"
#include "host_fault_sweep.h"
#include "model/result_model.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/core/text_file.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_model.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// A shaft of 70: a collar of radius 20, a chamfer from 12 to 10, a journal of
// 10 and a spherical end of 10, closed along the axis.
constexpr const char* kSection =
    "LineSeg( 0,0, 0,-20, 1 );\n"
    "LineSeg( 0,-20, 30,-20, 1 );\n"
    "LineSeg( 30,-20, 30,-12, 1 );\n"
    "LineSeg( 30,-12, 35,-10, 1 );\n"
    "LineSeg( 35,-10, 60,-10, 1 );\n"
    "ArcByPoint( 60,0, 10, 60,-10, 70,0, 1, 1 );\n"
    "LineSeg( 70,0, 0,0, 1 );\n";
// pi * integral of r^2 dz over the section.
const double kSectionVolume = PI * (400.0 * 30 + 5.0 / 3.0 * (144 + 120 + 100) + 100.0 * 25 + 2000.0 / 3.0);

class ResultModelTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
        section = ParseContourScript(kSection);
        ASSERT_NE(section, nullptr);
        plan.lsc = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        plan.temporaryDirectory = folder.Path().string();
    }

    // The part document at the path, opened, and its volume.
    double VolumeOf(const fs::path& path) {
        HostDocumentPtr doc = app->Documents().Open(path.string(), false);
        const double volume = TopPart(doc)->Volume();
        last = doc;
        return volume;
    }
    std::string LscText() const {
        FileReadResult read = ReadTextFile(folder / kLscFileName, TextEncoding::Utf8);
        return read.ok ? read.text : "(none)";
    }
    const MessageEntry* LastBox() const {
        const auto& entries = MessageLog::Instance().Entries();
        return entries.empty() ? nullptr : &entries.back();
    }

    TempDir folder;
    HostApplication* app = nullptr;
    HostDocumentPtr part, last;
    std::unique_ptr<Contour> section;
    ResultModelPlan plan;
};

TEST_F(ResultModelTest, ANewPartHasTheSectionsVolumeColourTenAndTheAxesBesideIt) {
    const fs::path target = folder / "result.rdp";
    const std::size_t open = app->Documents().Count();
    Create3DModelResult(section.get(), target.string(), plan);
    EXPECT_EQ(app->Documents().Count(), open) << "the result's document is closed";
    ASSERT_TRUE(fs::exists(target));
    EXPECT_NEAR(VolumeOf(target), kSectionVolume, kSectionVolume * 1e-3);
    EXPECT_EQ(last->Type(), DocumentType::Part);
    const auto faces = TopPart(last)->Faces();
    ASSERT_FALSE(faces.empty());
    for (const auto& face : faces) EXPECT_EQ(face->Colour(), Rgb(150, 180, 170));
    EXPECT_EQ(LscText(), "1.000 0.000 0.000\r\n0.000 1.000 0.000\r\n0.000 0.000 1.000\r\n");
    // The sketch keeps the section and its axis.
    ASSERT_NE(last->FindSketch("Сечение результата"), nullptr);
    if (const char* keep = std::getenv("ZARVENTO_KEEP_PICTURES"))
        ScenePicture::Render(CollectScene(*last)).WritePng((fs::path(keep) / "result-model.png").string());
}

TEST_F(ResultModelTest, ASystemWhoseZRunsAlongMinusZPlacesTheSameBodyTheOtherWay) {
    plan.lsc = part->AddLocalCoordinateSystem("ЛСК-2", {5, 0, 10}, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1});
    const fs::path target = folder / "reversed.rdp";
    Create3DModelResult(section.get(), target.string(), plan);
    EXPECT_NEAR(VolumeOf(target), kSectionVolume, kSectionVolume * 1e-3);
    EXPECT_EQ(LscText(), "-1.000 0.000 0.000\r\n0.000 1.000 0.000\r\n0.000 0.000 -1.000\r\n");
    Point3 low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
    for (const auto& face : TopPart(last)->Faces()) {
        Point3 a, b;
        face->Box(a, b);
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], a[k]);
            high[k] = std::max(high[k], b[k]);
        }
    }
    EXPECT_NEAR(low[2], 10.0 - 70.0, 1e-3);
    EXPECT_NEAR(high[2], 10.0, 1e-3);
    EXPECT_NEAR(low[0], 5.0 - 20.0, 1e-3);
    EXPECT_NEAR(high[0], 5.0 + 20.0, 1e-3);
}

TEST_F(ResultModelTest, ASecondCallWithThePathRewritesTheModelAndTheAxes) {
    const fs::path target = folder / "twice.rdp";
    Create3DModelResult(section.get(), target.string(), plan);
    std::unique_ptr<Contour> shorter = ParseContourScript(
        "LineSeg( 0,0, 0,-20, 1 );\nLineSeg( 0,-20, 30,-20, 1 );\nLineSeg( 30,-20, 30,0, 1 );\n"
        "LineSeg( 30,0, 0,0, 1 );\n");
    plan.lsc = part->AddLocalCoordinateSystem("ЛСК-3", {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0});
    Create3DModelResult(shorter.get(), target.string(), plan);
    EXPECT_NEAR(VolumeOf(target), PI * 400.0 * 30, PI * 400.0 * 30 * 1e-3);
    EXPECT_EQ(LscText(), "0.000 1.000 0.000\r\n0.000 0.000 1.000\r\n1.000 0.000 0.000\r\n");
}

TEST_F(ResultModelTest, WithoutAnNCSystemOrAContourNothingIsMadeOrShown) {
    const std::size_t boxes = MessageLog::Instance().Entries().size();
    const std::size_t open = app->Documents().Count();
    plan.lsc = nullptr;
    Create3DModelResult(section.get(), (folder / "none.rdp").string(), plan);
    plan.lsc = part->AddLocalCoordinateSystem("ЛСК-4", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    Create3DModelResult(nullptr, (folder / "none.rdp").string(), plan);
    EXPECT_FALSE(fs::exists(folder / "none.rdp"));
    EXPECT_FALSE(fs::exists(folder / kLscFileName));
    EXPECT_EQ(MessageLog::Instance().Entries().size(), boxes);
    EXPECT_EQ(app->Documents().Count(), open);
}

// The stock model is a bar of radius 25 from z = -5 to z = 80: turning takes
// off what lies round the section up to 10 beyond its end; the bar's piece
// before the section's start stays.
TEST_F(ResultModelTest, FromAStepStockModelTheCopyIsCutAndSavedAsOurPart) {
    const fs::path bar = folder / "bar.step";
    PartShape::Cylinder({0, 0, -5}, {0, 0, 1}, 25.0, 85.0).WriteStep(bar.string(), "bar");
    const std::string barText = ReadTextFile(bar, TextEncoding::Utf8).text;
    plan.stockMethod = 2;
    plan.stockModelFile = bar.string();
    const fs::path target = folder / "machined.rdp";
    const std::size_t open = app->Documents().Count();
    Create3DModelResult(section.get(), target.string(), plan);
    EXPECT_EQ(app->Documents().Count(), open);
    const double expected = kSectionVolume + PI * 625.0 * 5.0;
    EXPECT_NEAR(VolumeOf(target), expected, expected * 1e-3);
    for (const auto& face : TopPart(last)->Faces()) EXPECT_EQ(face->Colour(), Rgb(150, 180, 170));
    EXPECT_FALSE(IsStepFile(target.string())) << "saved over as a part document";
    EXPECT_EQ(ReadTextFile(bar, TextEncoding::Utf8).text, barText) << "the stock model is untouched";
    if (const char* keep = std::getenv("ZARVENTO_KEEP_PICTURES"))
        ScenePicture::Render(CollectScene(*last)).WritePng((fs::path(keep) / "result-from-stock.png").string());
}

TEST_F(ResultModelTest, AMissingStockFileOrATargetThatIsTheUsersOwnModelIsRefusedWithItsMessage) {
    plan.stockMethod = 2;
    plan.stockModelFile = (folder / "no-such-bar.step").string();
    Create3DModelResult(section.get(), (folder / "x.rdp").string(), plan);
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "Не найден файл заготовки\n" + plan.stockModelFile);
    EXPECT_EQ(LastBox()->caption, "Orbisel");
    EXPECT_FALSE(fs::exists(folder / "x.rdp"));

    // Written over the stock model itself, or over a document the host has
    // open, the result would destroy the user's model.
    const fs::path bar = folder / "bar.step";
    PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 25.0, 80.0).WriteStep(bar.string(), "bar");
    plan.stockModelFile = bar.string();
    const std::string barText = ReadTextFile(bar, TextEncoding::Utf8).text;
    Create3DModelResult(section.get(), bar.string(), plan);
    EXPECT_EQ(LastBox()->text, "Модель результата нельзя записать в этот файл\n" + bar.string());
    EXPECT_EQ(ReadTextFile(bar, TextEncoding::Utf8).text, barText);

    const fs::path own = folder / "own.rdp";
    part->SaveAs(own.string());
    plan.stockMethod = 0;
    Create3DModelResult(section.get(), own.string(), plan);
    EXPECT_EQ(LastBox()->text, "Модель результата нельзя записать в этот файл\n" + own.string());
    EXPECT_TRUE(TopPart(part)->Faces().empty()) << "the open document is as it was";
}

TEST_F(ResultModelTest, AFailureOnTheWayClosesTheHalfBuiltDocumentUnsavedAndIsRaised) {
    const std::size_t open = app->Documents().Count();
    const fs::path target = folder / "failed.rdp";
    test::FailEachCall(
        {"HostPart.RotationAdd", "HostPart.SetBody", "HostFace.SetColour"}, E_FAIL_,
        [&] { Create3DModelResult(section.get(), target.string(), plan); },
        [&](const test::FaultRun& run) {
            EXPECT_TRUE(run.thrown.has_value()) << "raised";
            EXPECT_EQ(app->Documents().Count(), open);
            EXPECT_FALSE(fs::exists(target));
        });
    // Cut from a copy of the stock model, the copy goes with the document.
    const fs::path bar = folder / "bar.step";
    PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 25.0, 80.0).WriteStep(bar.string(), "bar");
    ResultModelPlan fromFile = plan;
    fromFile.stockMethod = 2;
    fromFile.stockModelFile = bar.string();
    HostFaults::Arm("HostPart.RotationCut", E_FAIL_);
    EXPECT_THROW(Create3DModelResult(section.get(), (folder / "cut.rdp").string(), fromFile), HostError);
    HostFaults::Clear();
    EXPECT_EQ(app->Documents().Count(), open);
    EXPECT_FALSE(fs::exists(folder / "cut.rdp"));

    // "LSC.txt" that cannot be written ends it silently, nothing left open.
    const std::size_t boxes = MessageLog::Instance().Entries().size();
    plan.temporaryDirectory = (folder / "no" / "such" / "folder").string();
    Create3DModelResult(section.get(), (folder / "silent.rdp").string(), plan);
    EXPECT_EQ(app->Documents().Count(), open);
    EXPECT_FALSE(fs::exists(folder / "silent.rdp"));
    EXPECT_EQ(MessageLog::Instance().Entries().size(), boxes);
}

}  // namespace
}  // namespace zarvento::test
