// Tool models in the headless host (the text form, sketches saved with the
// document, rebuilds), loading a catalog model and the tool contour taken
// from the model's sketch "Contour".
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "catalog_test_support.h"
#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "platform/core/host_variable.h"
#include "platform/core/stored_path.h"
#include "platform/core/text_file.h"
#include "platform/drawings/host_sketch.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using test::CatalogTest;

constexpr double kTol = 1e-9;

TEST(ToolModelTextReader, BadStatementsNameTheirLine) {
    const struct {
        const char* text;
        const char* where;
    } cases[] = {
        {"", "empty"},
        {"variable r 1\n", ":1:"},
        {"zarvento-tool-model 1\nvariable r\n", ":2:"},
        {"zarvento-tool-model 1\nvariable r x\n", ":2:"},
        {"zarvento-tool-model 1\nvariable r 1 \"open note\n", ":2:"},
        {"zarvento-tool-model 1\nvariable r 1 =\n", ":2:"},
        {"zarvento-tool-model 1\r\n\r\nbox 1 2\r\n", ":3:"},
        {"zarvento-tool-model 1\nsketch Contour\nline 0 0 1\nend\n", ":3:"},
        {"zarvento-tool-model 1\nsketch Contour\nline 0 0 q 1\nend\n", ":3:"},
        {"zarvento-tool-model 1\nsketch Contour\narc 0 0 0 1 0 0 1 1\nend\n", ":3:"},
        {"zarvento-tool-model 1\nsketch Contour\nline 0 0 1 1\n", "no \"end\""},
        // Values no tool has once went on as "Fnan" and a 300-digit S.
        {"zarvento-tool-model 1\nvariable FEED1 nan\n", ":2:"},
        {"zarvento-tool-model 1\nvariable FEED1 inf\n", ":2:"},
        {"zarvento-tool-model 1\n\nvariable SPIN 1e300\n", ":3: the value 1e300 of SPIN is out of range"},
        {"zarvento-tool-model 1\nvariable L 1e200\nsketch Contour\nline 0 0 L*L 0\nend\n", ":2:"},
        {"zarvento-tool-model 1\nvariable L 1e5\nsketch Contour\nline 0 0 L*L 0\nend\n", ":4:"},
        // Equations that read each other round were worked out once, in
        // the order they stand: a feed of 0.25 went out as F2.
        {"zarvento-tool-model 1\nvariable a 1 \"rec\" = b\nvariable b 1 \"rec\" = a\n", "(a -> b -> a)"},
        {"zarvento-tool-model 1\nvariable c 1 \"self\" = c+1\n", "(c -> c)"},
        {"zarvento-tool-model 1\nvariable r 1\nvariable a 1 = sqrt(r)+b\nvariable b 1 = d*2\nvariable d 1 = "
         "r>0 ? a : 1\n",
         "(a -> b -> d -> a)"},
    };
    for (const auto& c : cases) {
        HostError e = test::CaughtHostError([&] { ToolModelText::Parse(c.text, "m.txt"); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_) << c.text;
        EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::ErrorCodeOf([] { ToolModelText::Read("/no/such/model.txt"); }), STG_E_FILENOTFOUND_);
    // Equations that read later variables, functions and names of their
    // own kind that merely look alike are no circle.
    HostDocumentPtr model = ToolModelText::Parse(
        "zarvento-tool-model 1\nvariable s 0 = sqrt(L*L+W*W)\nvariable L 3\nvariable W 4\nvariable sqrt 2 = L\n",
        "m.txt");
    EXPECT_DOUBLE_EQ(model->FindVariable("s")->Value(), 5.0);
}

// Equations that cannot be worked out (the root of a negative number, an
// overflow, L = W = 0 dividing by zero) were taken with exit 0: the value
// stayed as declared and the tool's contour was no longer the model's, or
// collapsed to points. Read, such a model is refused, naming the equation,
// or the sketch element that collapses.
TEST(ToolModelTextReader, AnEquationWithoutAValueOrAnElementOfNoLengthIsRefused) {
    const std::string header = "zarvento-tool-model 1\nvariable r 0.8\n";
    const std::string sketch = "sketch Contour\nline 0 -r L -r\nline L -r L W\narc 0 0 r 0 r 0 -r 1\nend\n";
    const struct {
        std::string variables;
        std::string says;
    } cases[] = {
        {"variable L 20\nvariable W 6\nvariable s 0 = sqrt(-1)\n", "the equation of s (= sqrt(-1)) gives no value"},
        {"variable L 20\nvariable W 6\nvariable s 0 = 1e300*1e300\n", "the equation of s (= 1e300*1e300)"},
        {"variable L 20\nvariable W 6\nvariable s 0 = L*1e5\n", "the equation of s (= L*1e5)"},
        {"variable L 0\nvariable W 0\nvariable s 0 = sqrt(L*L+W*W)\nvariable Xt 0 = -r*W/s\n",
         "the equation of Xt (= -r*W/s) gives no value"},
        {"variable L 20\nvariable W 6\nvariable s 0 = nosuch*2\n", "the equation of s (= nosuch*2)"},
        // Declared values draw a sketch; those the equations give collapse it.
        {"variable L 20 = W-6\nvariable W 6\n", "sketch \"Contour\", \"line 0 -r L -r\" is a line of no length"},
        {"variable L 20\nvariable W 6\nvariable r 0.8 = L-20\n",
         "sketch \"Contour\", \"arc 0 0 r 0 r 0 -r 1\" does not evaluate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variables);
        const HostError e =
            test::CaughtHostError([&] { ToolModelText::Parse(header + c.variables + sketch, "m.txt"); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_) << e.what();
        EXPECT_NE(std::string(e.what()).find("m.txt: " + c.says), std::string::npos) << e.what();
    }
    // The same model with values the equations can work with is read.
    HostDocumentPtr model = ToolModelText::Parse(
        header + "variable L 20\nvariable W 6\nvariable s 0 = sqrt(L*L+W*W)\nvariable Xt 0 = -r*W/s\n" + sketch,
        "m.txt");
    EXPECT_NEAR(model->FindVariable("Xt")->Value(), -0.8 * 6 / std::sqrt(436.0), 1e-12);
}

class ToolModelTest : public CatalogTest {
protected:
    // Converts a fixture model into the catalog folder "TOOLS" of a library
    // folder of its own, with a session folder beside it.
    std::string Catalog(const std::string& fixture, const std::string& name) {
        fs::create_directories(dir / "lib" / "TOOLS");
        fs::create_directories(dir / "session");
        SetModuleDirectory(dir / "lib");
        SetToolSessionDirectory((dir / "session").string());
        const std::string path = (dir / "lib" / "TOOLS" / name).string();
        ToolModelText::Convert(test::FixturePath("tools/" + fixture), path);
        return path;
    }
    // A catalog tool whose model has been loaded into its working copy.
    ParamTool LoadedTool(int index = 0) {
        ParamTool t;
        t.sToolName = "Проходной";
        t.sFileName = "Проходной.rdp";
        t.nCopyIndex = index;
        t.LoadModel();
        return t;
    }
    void TearDown() override {
        SetModuleDirectory(std::nullopt);
        CatalogTest::TearDown();
    }
};

// "zarvento tool-model rt.txt rt.txt" once replaced the model's text by the
// document made of it. The document takes neither the place of its own text
// (by any name) nor that of a file that is no document.
TEST_F(ToolModelTest, TheDocumentNeverReplacesItsTextNorAForeignFile) {
    const std::string text = PathOf("rt.txt");
    fs::copy_file(test::FixturePath("tools/turning_tool.txt"), text);
    const std::string bytes = ReadFileBytes(text).text;
    fs::create_symlink(text, PathOf("alias.rdp"));
    for (const std::string& target : {text, PathOf("alias.rdp"), PathOf("./rt.txt")}) {
        SCOPED_TRACE(target);
        const HostError e = test::CaughtHostError([&] { ToolModelText::Convert(text, target); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_);
        EXPECT_NE(std::string(e.what()).find("would replace its own text"), std::string::npos) << e.what();
        EXPECT_EQ(ReadFileBytes(text).text, bytes);
    }
    std::ofstream(PathOf("notes.rdp")) << "not a document";
    const HostError foreign = test::CaughtHostError([&] { ToolModelText::Convert(text, PathOf("notes.rdp")); });
    EXPECT_EQ(foreign.Code(), STG_E_ACCESSDENIED_);
    EXPECT_EQ(ReadFileBytes(PathOf("notes.rdp")).text, "not a document");
    // A document, or an empty file, is replaced as before.
    ToolModelText::Convert(text, PathOf("rt.rdp"));
    ToolModelText::Convert(text, PathOf("rt.rdp"));
    std::ofstream(PathOf("empty.rdp")).flush();
    ToolModelText::Convert(text, PathOf("empty.rdp"));
}

TEST_F(ToolModelTest, SketchesAndEquationsSurviveSaveAndReopenAndFollowARebuild) {
    const std::string path = Catalog("turning_tool.txt", "Проходной.rdp");
    HostDocumentPtr model = app->Documents().Open(path, false);
    auto sketch = model->FindSketch("Contour");
    ASSERT_TRUE(sketch);
    ASSERT_EQ(sketch->Objects().Objects().size(), 4u);
    const Object2D& arc = sketch->Objects().Objects()[1];
    EXPECT_EQ(arc.type, kObj2DArc);
    EXPECT_EQ(arc.arc.xc, 20);
    EXPECT_EQ(arc.arc.rad, 2);
    EXPECT_EQ(arc.arc.direction, 1);
    EXPECT_EQ(model->FindVariable("Lfull")->Value(), 22);
    EXPECT_EQ(model->FindVariable("Lfull")->Equation(), "L+W/2");

    model->FindVariable("W")->SetValue(6);
    model->Rebuild();
    EXPECT_EQ(model->FindVariable("Lfull")->Value(), 23);
    EXPECT_EQ(sketch->Objects().Objects()[1].arc.rad, 3);
}

TEST_F(ToolModelTest, LoadingMakesOneWorkingCopyPerIndexAndReadsTheModel) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool first = LoadedTool(0);
    ParamTool second = LoadedTool(1);
    EXPECT_TRUE(first.isModelLoaded);
    EXPECT_TRUE(fs::exists(dir / "session" / "Tool_1.rdp"));
    EXPECT_TRUE(fs::exists(dir / "session" / "Tool_2.rdp"));
    EXPECT_EQ(StoredPathToPath(second.sWorkFile), StoredPathToPath((dir / "session" / "Tool_2.rdp").string()));
    EXPECT_EQ(first.Npv, 6);
    EXPECT_EQ(first.GetType(), 10);
    EXPECT_EQ(first.r, 0.4);
    EXPECT_TRUE(Messages().empty());
    // The working copy is closed again after loading.
    EXPECT_EQ(app->Documents().Count(), 0u);
}

TEST_F(ToolModelTest, LoadingPushesTheRecordsValuesIntoTheCopyAndRebuildsIt) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool t;
    t.sToolName = "Проходной";
    t.sFileName = "Проходной.rdp";
    t.Npv = 2;
    t.aVariables[0] = {"W", "", 8, "", false, 0};
    t.aVariables[1] = {"Lfull", "", 1, "", false, 0};  // a reference variable keeps the model's value
    t.LoadModel();
    double w = 0, full = 0;
    ASSERT_TRUE(t.GetVariable("W", w));
    ASSERT_TRUE(t.GetVariable("Lfull", full));
    EXPECT_EQ(w, 8);
    EXPECT_EQ(full, 24);
    HostDocumentPtr copy = app->Documents().Open(t.sWorkFile, false);
    EXPECT_EQ(copy->FindVariable("W")->Value(), 8);  // saved into the working copy
}

TEST_F(ToolModelTest, AMissingCatalogModelGivesThePlansMessage) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool t;
    t.sToolName = "Нет такого";
    t.sFileName = "Нет такого.rdp";
    t.LoadModel();
    EXPECT_TRUE(t.isNoContour);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text, ParamTool::MissingModelMessage(t.CatalogModelPath()));
    EXPECT_EQ(Entries()[0].text.rfind("Не найден файл\n", 0), 0u);
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].style, 0x30);
    // Later calls do nothing for this record.
    t.LoadModel();
    t.CreateToolContour();
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_FALSE(t.pContour);
}

TEST_F(ToolModelTest, AWorkingCopyThatVanishedGivesTheMessageAndNoContour) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool t = LoadedTool();
    fs::remove(StoredPathToPath(t.sWorkFile));
    t.CreateToolContour();
    EXPECT_TRUE(t.isNoContour);
    EXPECT_FALSE(t.pContour);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text, "Не найден файл\n" + t.sWorkFile);
}

TEST_F(ToolModelTest, TheContourIsTheSketchSeenFromBelowForM3ShiftedToTheNoseCentre) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool t = LoadedTool();
    t.Angle = 90;  // unrotated
    t.CreateToolContour();
    ASSERT_TRUE(t.pContour);
    EXPECT_FALSE(t.isNoContour);
    ASSERT_EQ(t.pContour->Count(), 3);  // the arc of radius 10000 is dropped
    // nP 3 stays 3 for a right-hand external tool on M3: nose at (r, r), so
    // the contour moves by (r, -r) in (Z, X).
    EXPECT_EQ(t.nP, 3);
    const CUnit* edge = t.pContour->GetUnit(0);
    EXPECT_NEAR(edge->StartPoint.z, 0.4, kTol);
    EXPECT_NEAR(edge->StartPoint.x, -0.4, kTol);
    EXPECT_NEAR(edge->EndPoint.z, 20.4, kTol);
    const CUnit* back = t.pContour->GetUnit(1);
    EXPECT_EQ(back->Kind, 'A');
    EXPECT_NEAR(back->CentrePoint.z, 20.4, kTol);
    EXPECT_NEAR(back->CentrePoint.x, 1.6, kTol);
    EXPECT_EQ(back->DirVector, -1);  // counter-clockwise, as drawn
    // A second call keeps the first contour.
    const Contour* built = t.pContour.get();
    t.CreateToolContour();
    EXPECT_EQ(t.pContour.get(), built);
    EXPECT_EQ(app->Documents().Count(), 0u);
}

TEST_F(ToolModelTest, M4SeesTheToolFromAboveAndAngleTurnsTheView) {
    Catalog("turning_tool.txt", "Проходной.rdp");
    ParamTool above = LoadedTool();
    above.M34 = 4;
    above.Angle = 90;
    above.CreateToolContour();
    ASSERT_TRUE(above.pContour);
    // Mirrored: the back arc lies below the edge and turns the other way;
    // nP 3 becomes 4 on M4, nose at (-r, r).
    EXPECT_EQ(above.nP, 4);
    const CUnit* back = above.pContour->GetUnit(1);
    EXPECT_NEAR(back->CentrePoint.z, 20 - 0.4, kTol);
    EXPECT_NEAR(back->CentrePoint.x, -2 - 0.4, kTol);
    EXPECT_EQ(back->DirVector, 1);

    ParamTool turned = LoadedTool(1);
    turned.Angle = 45;  // the view turns by -45 degrees
    turned.CreateToolContour();
    ASSERT_TRUE(turned.pContour);
    const CUnit* edge = turned.pContour->GetUnit(0);
    const double h = 20 * std::sqrt(0.5);
    EXPECT_NEAR(edge->EndPoint.z, h + 0.4, 1e-9);
    EXPECT_NEAR(edge->EndPoint.x, -h - 0.4, 1e-9);
}

TEST_F(ToolModelTest, AModelWithoutContourSketchGivesNoContour) {
    const std::string path = PathOf("bare.rdp");
    ToolModelText::Parse("zarvento-tool-model 1\nvariable r 1\nsketch Other\nline 0 0 1 1\nend\n", "bare")
        ->SaveAs(path);
    ParamTool t;
    t.sToolName = "Без контура";
    t.sWorkFile = path;
    t.CreateToolContour();
    EXPECT_TRUE(t.isNoContour);
    EXPECT_FALSE(t.pContour);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ToolModelTest, TheSwitchVariableIsSetBeforeTheProjection) {
    const std::string path = PathOf("switch.rdp");
    ToolModelText::Parse(
        "zarvento-tool-model 1\n"
        "variable isSimple 0 \"Упрощённо%\"\n"
        "sketch Contour\nline 0 0 5*isSimple+1 0\nend\n",
        "switch")
        ->SaveAs(path);
    ParamTool t;
    t.sToolName = "С переключателем";
    t.sWorkFile = path;
    t.Npv = 1;
    t.aVariables[0].sName = "isSimple";
    t.Angle = 90;
    t.CreateToolContour();
    ASSERT_TRUE(t.pContour);
    EXPECT_NEAR(t.pContour->GetUnit(0)->EndPoint.z, 6, kTol);
}

TEST_F(ToolModelTest, AnAdaptiveToolDrawsTheOperationsContourIntoItsSketch) {
    for (bool inter : {false, true}) {
        const std::string path = PathOf(inter ? "adaptive_inter.rdp" : "adaptive.rdp");
        ToolModelText::Convert(test::FixturePath("tools/adaptive_groove.txt"), path);
        auto source = std::make_unique<Contour>();
        source->AddUnit(std::make_unique<CLineUnit>(10, 5, 14, 5));
        source->AddUnit(std::make_unique<CLineUnit>(14, 5, 14, 8));
        ParamTool t;
        t.sToolName = "Канавочный";
        t.sWorkFile = path;
        t.Adapt = true;
        t.isInter = inter;
        t.pSketchSource = &source;
        t.ReadContourSketch();
        EXPECT_TRUE(t.isSketchContour);
        HostDocumentPtr model = app->Documents().Open(path, false);
        const auto& objects = model->FindSketch("Contour")->Objects().Objects();
        ASSERT_EQ(objects.size(), 2u);
        // The box corner of the cutting side (the maximum one for an
        // external tool) comes to the origin, then the shape is turned by 90
        // degrees and mirrored about X: 4 along Z becomes 4 along y.
        double xmin = 1e9, ymin = 1e9, xmax = -1e9, ymax = -1e9;
        for (const auto& o : objects) {
            for (auto [x, y] : {std::pair{o.line.x1, o.line.y1}, std::pair{o.line.x2, o.line.y2}}) {
                xmin = std::min(xmin, x), xmax = std::max(xmax, x);
                ymin = std::min(ymin, y), ymax = std::max(ymax, y);
            }
        }
        if (inter) {
            EXPECT_NEAR(xmax, 0, kTol);
            EXPECT_NEAR(ymax, 0, kTol);
            EXPECT_NEAR(xmin, -3, kTol);
            EXPECT_NEAR(ymin, -4, kTol);
        } else {
            EXPECT_NEAR(xmin, 0, kTol);
            EXPECT_NEAR(ymin, 0, kTol);
            EXPECT_NEAR(xmax, 3, kTol);
            EXPECT_NEAR(ymax, 4, kTol);
        }
        // Once per working copy; the contour then comes from the new sketch.
        t.ReadContourSketch();
        EXPECT_EQ(model->FindSketch("Contour")->Objects().Objects().size(), 2u);
        EXPECT_EQ(model->FindSketch("Contour")->EditDepth(), 0);
        t.CreateToolContour();
        ASSERT_TRUE(t.pContour);
        EXPECT_EQ(t.pContour->Count(), 2);
    }
}

}  // namespace
}  // namespace zarvento
