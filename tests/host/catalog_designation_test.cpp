// The size a tool is chosen in from the catalog names it where the operator
// reads it: every row of every model of the bundled catalog, chosen in the
// catalog dialog, reaches the program's head and the setup sheet as the
// model's name with the row's designation, so two sizes of one model (two
// inserts of a turning tool, blades of 2 and 3 mm) read apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bundled_catalog.h"
#include "catalogs/param_tool.h"
#include "host/document_jobs.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "nc/frame_text_format.h"
#include "platform/processes/module.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

struct CatalogSize {
    int row;   // the model's row of the catalog dialog's tree
    int size;  // its size-table row, -1 for a model without one
    const char* name;
};

// The models in the tree's order and each of their sizes, with the name the
// tool takes in it.
const std::vector<CatalogSize> kSizes = {
    {3, 0, "Метчик M6 ГОСТ 3266-81"},
    {3, 1, "Метчик M8 ГОСТ 3266-81"},
    {3, 2, "Метчик M10 ГОСТ 3266-81"},
    {3, 3, "Метчик M12 ГОСТ 3266-81"},
    {4, 0, "Плашка M8 ГОСТ 9740-71"},
    {4, 1, "Плашка M10 ГОСТ 9740-71"},
    {4, 2, "Плашка M12 ГОСТ 9740-71"},
    {6, 0, "Сверло спиральное 5 ГОСТ 10902-77"},
    {6, 1, "Сверло спиральное 8 ГОСТ 10902-77"},
    {6, 2, "Сверло спиральное 10 ГОСТ 10902-77"},
    {6, 3, "Сверло спиральное 12 ГОСТ 10902-77"},
    {6, 4, "Сверло спиральное 16 ГОСТ 10902-77"},
    {7, 0, "Сверло центровочное A 1,6 ГОСТ 14952-75"},
    {7, 1, "Сверло центровочное A 2,5 ГОСТ 14952-75"},
    {7, 2, "Сверло центровочное A 4 ГОСТ 14952-75"},
    {10, 0, "Резец канавочный N123G2-0200"},
    {10, 1, "Резец канавочный N123G2-0300"},
    {10, 2, "Резец канавочный N123H2-0400"},
    {11, 0, "Резец отрезной N151.2-200-20"},
    {11, 1, "Резец отрезной N151.2-300-40"},
    {11, 2, "Резец отрезной N151.2-400-60"},
    {13, 0, "Резец проходной SSBCR SNMG 120404"},
    {13, 1, "Резец проходной SSBCR SNMG 120408"},
    {13, 2, "Резец проходной SSBCR SNMG 150612"},
    {15, 0, "Резец расточной S16R-SCLCR 09"},
    {15, 1, "Резец расточной S20S-SCLCR 09"},
    {15, 2, "Резец расточной S25T-SCLCR 12"},
    {17, -1, "Резец резьбовой 16ER AG60"},
    {18, -1, "Резец резьбовой левый 16EL AG60"},
};

// The turret position (from 1) of a size.
int PositionOf(int row, int size) {
    for (std::size_t k = 0; k < kSizes.size(); ++k)
        if (kSizes[k].row == row && kSizes[k].size == size) return static_cast<int>(k) + 1;
    return 0;
}

// The folder the program runs in for a test's life.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

// A command of the program in the folder; each ends the host's state, the
// installed tree control with it, so it is installed again first.
int Command(std::vector<std::string> args, int (*command)(int, char**)) {
    test::RegisterTreeControl(ZARVENTO_TREE_CONTROL_MODULE);
    SetModuleDirectory(fs::current_path());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
}

std::string FileText(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CatalogDesignationTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        fs::copy_file(source / "POSTPROCESSORS" / "ISO_Lathe.py3", folder.Path() / "POSTPROCESSORS" / "ISO_Lathe.py3");
        test::InstallBundledCatalog(source / "catalog", folder.Path());
        fs::copy_file(source / "examples" / "pin" / "threaded-pin.profile", folder.Path() / "pin.profile");
        working = std::make_unique<WorkingFolder>(folder.Path());
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
    test::TempDir folder;
    std::unique_ptr<WorkingFolder> working;
};

TEST_F(CatalogDesignationTest, EverySizeChosenNamesTheToolInTheProgramAndTheSetupSheet) {
    // The threaded pin with a turret of every size of the catalog.
    std::string make =
        "lsc \"ЛСК-1\"\nprofile pin.profile\n"
        "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
        "answer spid ok L=101 D=38 Z=1 positions=" +
        std::to_string(kSizes.size()) + " x0=60 z0=40\nplan-data\n";
    for (std::size_t k = 0; k < kSizes.size(); ++k)
        make += "answer spid ok catalog=" + std::to_string(k + 1) + "\ndialog catalog\n  select 100 " +
                std::to_string(kSizes[k].row) + "\n" +
                (kSizes[k].size >= 0 ? "  select 200 " + std::to_string(kSizes[k].size) + "\n" : "") +
                "  ok\nend\nplan-data\n";
    // The pin's plan with the two inserts of the turning tool, the 2 and
    // 3 mm blades and the cut-off blade of 3.
    const auto tool = [](int row, int size) { return " tool=" + std::to_string(PositionOf(row, size)); };
    const std::string plan =
        "answer turn ok name=Черновая" + tool(13, 1) + " work=1-15 allowance=0.3 feed=0.25 spin=1500\ncreate 1\n" +
        "answer turn ok name=Чистовая" + tool(13, 0) + " work=1-15 direction=along feed=0.1 spin=2000\ncreate 2\n" +
        "answer turn ok name=Канавка" + tool(10, 1) + " work=4-6 strategy=groove feed=0.05 spin=800\ncreate 1\n" +
        "answer turn ok name=Кольцо" + tool(10, 0) + " work=10 feed=0.05 spin=800\ncreate 3\n" +
        "answer turn ok name=Отрезка" + tool(11, 1) + " work=16 feed=0.05 spin=800\ncreate 7\n";
    std::ofstream("make.zsc") << make;
    std::ofstream("plan.zsc") << plan;
    testing::internal::CaptureStdout();
    const int made = Command({"zarvento", "run", "--new", "pin.rdp", "make.zsc"}, RunScript);
    const int planned = Command({"zarvento", "run", "pin.rdp", "plan.zsc"}, RunScript);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(made, kExitOk) << out;
    ASSERT_EQ(planned, kExitOk) << out;

    // The program's head lists the turret: each position by its tool's name
    // (the program's lines end in CR LF).
    testing::internal::CaptureStderr();
    const int written = Command({"zarvento", "program", "pin.rdp", "-o", "pin.nc"}, RunProgramJob);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(written, kExitOk) << err;
    const std::string program = FileText("pin.nc");
    for (std::size_t k = 0; k < kSizes.size(); ++k) {
        char position[8];
        std::snprintf(position, sizeof position, "%02d", static_cast<int>(k + 1));
        const std::string line = std::string("(T") + position + " " + TransliterateUpper(kSizes[k].name) + ")\r\n";
        EXPECT_NE(program.find(line), std::string::npos) << line << program.substr(0, 1500);
    }

    // The setup sheet: each operation's tool by its name and corner radius.
    testing::internal::CaptureStdout();
    const int sheet = Command({"zarvento", "setup-sheet", "pin.rdp", "-o", "sheet.svg"}, RunSetupSheetJob);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(sheet, kExitOk);
    const std::string svg = FileText("sheet.svg");
    for (const char* text : {">Резец проходной SSBCR SNMG 120408 r0.8<", ">Резец проходной SSBCR SNMG 120404 r0.4<",
                             ">Резец канавочный N123G2-0300 r0.2<", ">Резец канавочный N123G2-0200 r0.2<",
                             ">Резец отрезной N151.2-300-40 r0.2<"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
}

// The name of a tool in a size: the row's designation after the model's name,
// before its standard where only the model's name has one, and settings in
// braces kept at the end.
TEST(ToolSizeNameTest, TheRowsDesignationJoinsTheModelsName) {
    struct Case {
        const char* model;
        const char* designation;
        const char* name;
    } cases[] = {
        {"Резец проходной SSBCR", "SNMG 120408", "Резец проходной SSBCR SNMG 120408"},
        {"Резец проходной SSBCR", "", "Резец проходной SSBCR"},
        {"Сверло ГОСТ 10902-77", "2300-0193", "Сверло 2300-0193 ГОСТ 10902-77"},
        {"Метчик", "M10 ГОСТ 3266-81", "Метчик M10 ГОСТ 3266-81"},
        {"Резец расточной {T3 M4}", "S16R-SCLCR 09", "Резец расточной S16R-SCLCR 09 {T3 M4}"},
    };
    for (const Case& c : cases) EXPECT_EQ(ParamTool::NameWithDesignation(c.model, c.designation), c.name) << c.model;

    // A record takes the size from its model file's name; its mark is the
    // row's designation, and a name that holds it is its full designation
    // (not the name before "ГОСТ", the mark and the standard once more).
    ParamTool tap;
    tap.sFileName = "Осевые\\Резьбонарезные\\Метчик.rdp";
    tap.sToolName = "Метчик";
    tap.isModelLoaded = true;
    EXPECT_EQ(tap.ModelName(), "Метчик");
    tap.TakeSizeDesignation("M10 ГОСТ 3266-81");
    EXPECT_EQ(tap.sToolName, "Метчик M10 ГОСТ 3266-81");
    EXPECT_EQ(tap.sPsevName, "Метчик M10 ГОСТ 3266-81");
    EXPECT_EQ(tap.sComment, "M10 ГОСТ 3266-81");
    tap.MakeDesignation();
    EXPECT_EQ(tap.sDesignation, "Метчик M10 ГОСТ 3266-81");
    // Another size renames it, its designation made again.
    tap.TakeSizeDesignation("M12 ГОСТ 3266-81");
    EXPECT_EQ(tap.sToolName, "Метчик M12 ГОСТ 3266-81");
    EXPECT_TRUE(tap.sDesignation.empty());
}

}  // namespace
}  // namespace zarvento::app
