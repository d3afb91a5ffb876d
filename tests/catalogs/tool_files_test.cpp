// A tool's model file found again after it moved or changed, settings taken
// from a tool name, the standard and designation texts, and the tool's drawing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "catalog_test_support.h"
#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "platform/core/host_variable.h"
#include "platform/core/stored_path.h"
#include "platform/processes/module.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;
using test::CatalogTest;

TEST(ParseNameSettings, BracesSetPositionCorrectionsAndSpindleCode) {
    const struct {
        const char* name;
        bool result;
        int position;
        double x, z;
        int m34;
    } cases[] = {
        {"Резец проходной{T2 M4}", true, 1, 0, 0, 4},
        {"Резец проходной{Т2 М4}", true, 1, 0, 0, 4},  // Cyrillic letters
        {"Резец{T3 X1.5 Z-2 M4.9}", true, 2, 1.5, -2, 4},
        {"Резец{T0}", false, -1, 0, 0, 3},
        {"Резец{t2 m4 x1}", false, -1, 0, 0, 3},  // lower case is no setting
        {"Резец{X 2.5}", false, -1, 2.5, 0, 3},
        {"Резец T2 M4", false, -1, 0, 0, 3},  // no brace: nothing read
        {"", false, -1, 0, 0, 3},
        {"Резец{T", false, -1, 0, 0, 3},  // a letter at the end reads nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParamTool t;
        EXPECT_EQ(t.ParseNameSettings(c.name), c.result);
        EXPECT_EQ(t.Position, c.position);
        EXPECT_EQ(t.CorrectX, c.x);
        EXPECT_EQ(t.CorrectZ, c.z);
        EXPECT_EQ(t.M34, c.m34);
    }
}

TEST(ToolDesignation, GostAndDesignationComeFromTheDisplayName) {
    ParamTool t;
    t.sPsevName = "Резец ГОСТ  18877-73 исп.1";
    t.sComment = "CNMG120404";
    t.MakeDesignation();
    EXPECT_EQ(t.sGost, "ГОСТ 18877-73");
    EXPECT_EQ(t.sDesignation, "Резец CNMG120404 ГОСТ 18877-73");
    // Texts already made are kept.
    t.sPsevName = "Сверло ГОСТ 10902-77";
    t.FindGOST();
    t.MakeDesignation();
    EXPECT_EQ(t.sGost, "ГОСТ 18877-73");

    ParamTool noMark;
    noMark.sPsevName = "Резец ГОСТ 18877-73";
    noMark.MakeDesignation();
    EXPECT_EQ(noMark.sDesignation, "");
    ParamTool bare;
    bare.sPsevName = "Резец ГОСТ ";
    bare.FindGOST();
    EXPECT_EQ(bare.sGost, "");
}

class ToolFilesTest : public CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        fs::create_directories(dir / "lib" / "TOOLS");
        fs::create_directories(dir / "session");
        SetModuleDirectory(dir / "lib");
        SetToolSessionDirectory((dir / "session").string());
    }
    void TearDown() override {
        SetModuleDirectory(std::nullopt);
        CatalogTest::TearDown();
    }
    fs::path Catalog(const std::string& name) {
        const fs::path path = dir / "lib" / "TOOLS" / name;
        ToolModelText::Convert(test::FixturePath("tools/turning_tool.txt"), path.string());
        return path;
    }
    static ParamTool Tool(const std::string& name) {
        ParamTool t;
        t.sToolName = name;
        t.sPsevName = name;
        t.sFileName = name + ".rdp";
        t.nCopyIndex = 0;
        return t;
    }
};

TEST_F(ToolFilesTest, ARenamedCatalogFileIsFoundByItsNameAndTheRecordFollowsIt) {
    Catalog("Проходной прямой{T2 M4}.rdp");
    Catalog("Проходной упорный.rdp");  // sorts after "прямой"
    ParamTool t = Tool("Проходной");
    t.sPsevName = "Проходной резец {старый}  ";
    ASSERT_TRUE(t.FindModelFile(true));
    EXPECT_EQ(t.sFileName, "Проходной прямой{T2 M4}.rdp");
    EXPECT_EQ(t.sToolName, "Проходной прямой{T2 M4}");
    EXPECT_EQ(t.sPsevName, "Проходной резец");
    EXPECT_EQ(t.Position, 1);
    EXPECT_EQ(t.M34, 4);
    EXPECT_TRUE(t.isModelLoaded);
    EXPECT_EQ(t.Npv, 6);
    EXPECT_NE(t.nTimeFileLow | t.nTimeFileHigh, 0);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text, "Инструмент Проходной резец\nбыл обновлен");
    EXPECT_EQ(Entries()[0].caption, "Orbisel");

    // Found where the record says now, unchanged: nothing is loaded or shown.
    t.isModelLoaded = false;
    ASSERT_TRUE(t.FindModelFile(true));
    EXPECT_FALSE(t.isModelLoaded);
    EXPECT_EQ(Entries().size(), 1u);

    ParamTool none = Tool("Отрезной");
    EXPECT_FALSE(none.FindModelFile(true));
    ParamTool device = Tool("Проходной");
    device.sCatalogFolder = "\\DEVICES\\";
    EXPECT_FALSE(device.FindModelFile(true));
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(ToolFilesTest, AChangedModelIsLoadedAgainOnceWithItsNewValues) {
    const fs::path file = Catalog("Проходной.rdp");
    ParamTool t = Tool("Проходной");
    ASSERT_TRUE(t.FindModelFile(false));
    EXPECT_TRUE(Entries().empty());
    double w = 0;
    ASSERT_TRUE(t.GetVariable("W", w));
    EXPECT_EQ(w, 4);

    // The catalog model is edited: W becomes 6.
    {
        HostDocumentPtr model = app->Documents().Open(file.string(), false);
        model->FindVariable("W")->SetValue(6);
        model->Save();
        app->Documents().Close(model);
    }
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
    t.aVariables = {};  // the record holds no values to push
    t.Npv = 0;
    ASSERT_TRUE(t.FindModelFile(true));
    ASSERT_TRUE(t.GetVariable("W", w));
    EXPECT_EQ(w, 6);
    EXPECT_EQ(Entries().size(), 1u);
    ASSERT_TRUE(t.FindModelFile(true));
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(ToolFilesTest, AModelBesideThePartFollowsTheActiveDocument) {
    fs::create_directories(dir / "part");
    ToolModelText::Convert(test::FixturePath("tools/turning_tool.txt"), (dir / "part" / "Свой.rdp").string());
    HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
    part->SaveAs((dir / "part" / "Вал.rdp").string());
    app->SetActiveDocument(part);
    ParamTool t = Tool("Свой");
    t.isFromCatalog = false;
    t.sFileName = "/old/place/Свой.rdp";
    t.sRefrName = "Свой.rdp";
    ASSERT_TRUE(t.FindModelFile(false));
    EXPECT_EQ(StoredPathToPath(t.sFileName), StoredPathToPath((dir / "part" / "Свой.rdp").string()));
    EXPECT_TRUE(t.isModelLoaded);
}

TEST_F(ToolFilesTest, TheSlideIsTheModelsDrawingOpenedInvisibly) {
    EXPECT_EQ(ParamTool::SlidePath("C:\\LIB\\TOOLS\\Резец.rdp"), "C:\\LIB\\TOOLS\\Резец.rdd");
    EXPECT_EQ(ParamTool::SlidePath("ab"), "");
    Catalog("Резец.rdp");
    ParamTool t = Tool("Резец");
    EXPECT_EQ(t.LoadSlide(), nullptr);  // no drawing beside the model

    HostDocumentPtr drawing = app->Documents().Add(DocumentType::Drawing2D);
    drawing->SaveAs((dir / "lib" / "TOOLS" / "Резец.rdd").string());
    app->Documents().Close(drawing);
    HostDocumentPtr slide = t.LoadSlide();
    ASSERT_NE(slide, nullptr);
    EXPECT_EQ(slide->Type(), DocumentType::Drawing2D);
    EXPECT_FALSE(slide->Visible());

    // A part saved under the drawing's name is no slide.
    app->Documents().CloseAll();
    fs::remove(dir / "lib" / "TOOLS" / "Резец.rdd");
    Catalog("Резец.rdd");
    EXPECT_EQ(t.LoadSlide(), nullptr);
    EXPECT_EQ(app->Documents().Count(), 0u);
}

}  // namespace
}  // namespace zarvento
