// The part variables read from a part document whose properties, variables,
// dimensions and roughness signs a script set: the table, its lookups and
// grid, the material with the steel table, and when the material is read.
#include <filesystem>

#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "nc/detail_parameters.h"
#include "nc/materials_reference.h"
#include "nc/steel_table.h"
#include "plan/command_script.h"
#include "plan/part_model_services.h"
#include "plan_test_support.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/dialogs/grid_control.h"
#include "platform/part_model.h"
#include "test_parts.h"

namespace zarvento {
namespace {

// A materials reference that answers every material with the same record.
int connections = 0;
bool reachable = true;

class FakeReference : public MaterialsReferenceClient {
public:
    bool Connect() override {
        ++connections;
        return reachable;
    }
    void ReadMaterialProperties(const std::string&, DETAIL_PARAMETERS& part) override {
        part.material->sGroup = "Сталь конструкционная легированная";
        part.mcCodeText = "P3.0.Z.HT";
        part.material->Cr = 0.5;  // the reference knows the chromium, not the rest
        part.kvMet = 1.1;
    }
    void Disconnect() override {}
};

std::unique_ptr<MaterialsReferenceClient> MakeFake() { return std::make_unique<FakeReference>(); }

class PartVariablesTest : public test::PlanTest {
protected:
    void SetUp() override {
        PlanTest::SetUp();
        connections = 0;
        reachable = true;
        previous = RegisterMaterialsReference(nullptr);
    }
    void TearDown() override {
        RegisterMaterialsReference(previous);
        PlanTest::TearDown();
    }
    static void Run(const std::string& script) { CommandScript().Run(script); }
    const PartVariable* Entry(const std::string& name) const {
        for (const auto& e : detail.Variables())
            if (e->name == name) return e.get();
        return nullptr;
    }
    double Value(const std::string& name) {
        const double* v = detail.GetParameter("MODEL." + name);
        return v ? *v : -1;
    }

    DETAIL_PARAMETERS detail;
    MaterialsReferenceFactory previous = nullptr;
};

constexpr const char* kPartScript =
    "part name=Вал designation=\"АБВГ.715113.001\" material=\"Сталь 40Х\" density=7.85 author=Иванов "
    "organization=\"Завод\" roughness=\"Ra 6,3\"\n"
    "variable Длина 120 \"общая длина\"\n"
    "dimension linear 40 upper=+0,1 lower=-0.05\n"
    "dimension linear 0\n"
    "dimension linear 25\n"
    "dimension diametral 30 upper=0 lower=-0,021\n"
    "dimension radial 2\n"
    "dimension angular 45\n"
    "roughness \"Ra 3,2\"\n"
    "roughness \"Rz 20\"\n"
    "roughness \"Ra 0\"\n"
    "roughness \"Ra 1,6\"\n";

TEST_F(PartVariablesTest, TableFromAScriptedPartInItsOrderWithLookupsAndGrid) {
    SetPartBody(*TopPart(part), test::SteppedShaft());
    Run(kPartScript);
    part->SaveAs((folder->Path() / "вал.rdp").string());
    EXPECT_FALSE(detail.ReadFromModel(false));  // no location: nothing of the material was read

    std::vector<std::string> names;
    for (const auto& e : detail.Variables()) names.push_back(e->name);
    const std::vector<std::string> expected = {
        "Длина", "Name",  "Mark", "File", "Author", "Organization", "Material", "Mass", "Density", "RGH", "GrGOST4543",
        "HB",    "SigmV", "L1",   "L3",   "D1",     "R1",           "A1",       "Ra1",  "Rz1",     "Ra3"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Entry("Длина")->description, "общая длина");
    EXPECT_EQ(*detail.GetStringParameter("MODEL.Name"), "Вал");
    EXPECT_EQ(*detail.GetStringParameter("MODEL.Mark"), "АБВГ.715113.001");
    EXPECT_EQ(*detail.GetStringParameter("MODEL.File"), "вал");
    const double mass = 7.85 * TopPart(part)->Body().Volume() * 1e-6;
    EXPECT_NEAR(Value("Mass"), mass, 1e-12);
    EXPECT_GT(mass, 0.1);
    EXPECT_DOUBLE_EQ(Value("RGH"), 6.3);
    EXPECT_DOUBLE_EQ(Value("Ra1"), 3.2);
    EXPECT_DOUBLE_EQ(Value("Rz1"), 20);
    EXPECT_DOUBLE_EQ(Value("Ra3"), 1.6);  // "Ra 0" took number 2 and was not added
    EXPECT_EQ(detail.GetParameter("MODEL.Ra2"), nullptr);
    EXPECT_EQ(detail.GetParameter("MODEL.L2"), nullptr);  // the dimension of 0 keeps its number unused
    // The tolerance of the first linear dimension, by its letters only.
    EXPECT_NEAR(Value("L1.t"), 0.15, 1e-12);
    EXPECT_DOUBLE_EQ(Value("L1.h"), 0.1);
    EXPECT_DOUBLE_EQ(Value("L1.l"), -0.05);
    EXPECT_NEAR(Value("D1.t"), 0.021, 1e-12);
    EXPECT_EQ(detail.GetParameter("MODEL.L1.x"), nullptr);
    EXPECT_EQ(detail.GetParameter("MODEL.L1."), nullptr);
    EXPECT_EQ(detail.GetParameter("MODEL.L3.t"), nullptr);  // no deviations written, no tolerance
    // Сталь 40Х: the steel table's row "40Х".
    EXPECT_DOUBLE_EQ(Value("GrGOST4543"), 1);
    EXPECT_DOUBLE_EQ(Value("HB"), 217);
    EXPECT_DOUBLE_EQ(Value("SigmV"), 980);
    EXPECT_DOUBLE_EQ(*detail.GetParameter("MTRL.Cr"), 0.95);
    EXPECT_DOUBLE_EQ(*detail.GetParameter("MTRL.C"), 0.4);
    double result = 0;
    EXPECT_TRUE(detail.CalcFormula(result, "MODEL.L1 + MODEL.L1.t", true));
    EXPECT_NEAR(result, 40.15, 1e-12);

    GridControl grid;
    detail.FillGrid(grid);
    ASSERT_EQ(grid.RowCount(), static_cast<int>(expected.size()) + 1);
    EXPECT_EQ(grid.CellText(1, 0), "Длина");
    EXPECT_EQ(grid.CellText(1, 1), "120");
    EXPECT_EQ(grid.CellText(2, 1), "Вал");
    EXPECT_EQ(grid.CellText(2, 2), "Наименование детали");
    EXPECT_EQ(grid.CellText(14, 0), "L1");
    EXPECT_EQ(grid.CellText(14, 1), "40 (-0.05; 0.1)");
    EXPECT_EQ(grid.CellText(14, 2), "линейный размер");
    EXPECT_EQ(grid.RedrawCount(), 1);
    EXPECT_TRUE(Messages().empty());

    // Everything the script set is kept in the document file.
    HostDocumentPtr again = test::SaveCloseReopen(part, (folder->Path() / "вал.rdp").string());
    app->SetActiveDocument(again);
    DETAIL_PARAMETERS reread;
    reread.ReadFromModel(false);
    ASSERT_EQ(reread.Variables().size(), detail.Variables().size());
    for (std::size_t i = 0; i < reread.Variables().size(); ++i) {
        EXPECT_EQ(reread.Variables()[i]->name, detail.Variables()[i]->name);
        EXPECT_NEAR(reread.Variables()[i]->value, detail.Variables()[i]->value, 1e-9);
        EXPECT_EQ(reread.Variables()[i]->text, detail.Variables()[i]->text);
    }
}

TEST_F(PartVariablesTest, NoMassWithoutADensityAndAModelVariableKeepsItsName) {
    SetPartBody(*TopPart(part), test::SteppedShaft());
    Run("part material=\"Сталь 40Х\"\n");
    detail.ReadFromModel(false);
    EXPECT_EQ(Entry("Mass"), nullptr);
    double result = 0;
    EXPECT_FALSE(detail.CalcFormula(result, "MODEL.Mass * 2", true));

    Run("part density=7.85\nvariable Mass 12.5 \"своя масса\"\nvariable HB 250\n");
    detail.ReadFromModel(false);
    int masses = 0;
    for (const auto& e : detail.Variables()) masses += e->name == "Mass" ? 1 : 0;
    EXPECT_EQ(masses, 1);
    EXPECT_DOUBLE_EQ(Value("Mass"), 12.5);
    EXPECT_EQ(Entry("Mass")->description, "своя масса");
    // A hardness the model gives is kept; the table fills what is empty.
    EXPECT_DOUBLE_EQ(Value("HB"), 250);
    EXPECT_DOUBLE_EQ(detail.hardnessHB, 250);
}

TEST_F(PartVariablesTest, MaterialIsReadAgainOnlyWhenItsNameChangesOrWhenForced) {
    RegisterMaterialsReference(&MakeFake);
    Run("part material=\"Сталь 40Х\"\n");
    // Without a location in the materials reference nothing is read or shown.
    EXPECT_FALSE(detail.ReadMaterial(*TopPart(part)));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(connections, 0);

    Run("part location=\"Стали\\Конструкционные\\40Х\"\n");
    EXPECT_TRUE(detail.ReadFromModel(false));
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Считывание свойств материала: Сталь 40Х"});
    EXPECT_EQ(detail.materialName, "Сталь 40Х");
    EXPECT_EQ(detail.materialLocation, "Стали\\Конструкционные\\40Х");
    EXPECT_EQ(*detail.GetStringParameter("MODEL.sGroup"), "Сталь конструкционная легированная");
    EXPECT_DOUBLE_EQ(Value("MCcode"), 130);
    EXPECT_DOUBLE_EQ(*detail.GetParameter("MTRL.MCcode"), 130);
    EXPECT_DOUBLE_EQ(Value("KVMet"), 1.1);
    // The reference's chromium stays; the table fills only what is empty.
    EXPECT_DOUBLE_EQ(*detail.GetParameter("MTRL.Cr"), 0.5);
    EXPECT_DOUBLE_EQ(*detail.GetParameter("MTRL.Mn"), 0.65);

    EXPECT_FALSE(detail.ReadFromModel(false));  // the same name: not read again
    EXPECT_EQ(connections, 1);
    EXPECT_TRUE(detail.ReadFromModel(true));
    EXPECT_EQ(connections, 2);
    Run("part material=\"Сталь 45\"\n");
    detail.ReadFromModel(false);
    EXPECT_EQ(connections, 3);

    // A reference that cannot be reached: the message, and false.
    MessageLog::Instance().Clear();
    reachable = false;
    EXPECT_FALSE(detail.ReadMaterial(*TopPart(part)));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Считывание свойств материала: Сталь 45",
                                                    "Не удалось установить соединение со справочником материалов"}));
    EXPECT_EQ(Entries()[1].caption, "Orbisel");
}

TEST_F(PartVariablesTest, LinkedFileIsReadAgainOnlyWhenItsLastWriteTimeChanged) {
    RegisterMaterialsReference(&MakeFake);
    reachable = false;  // the material stays unread, so each rebuild looks at the link
    const std::string source = (folder->Path() / "source.rdp").string();
    {
        HostDocumentPtr linked = test::PartDocument(test::SteppedShaft(), false);
        TopPart(linked)->Properties().material = "Сталь 40Х";
        TopPart(linked)->Properties().hasLocation = true;
        linked->SaveAs(source);
        app->Documents().Close(linked);
    }
    app->SetActiveDocument(part);
    Run("part material=\"Сталь 40Х\" link=\"" + source + "\"\n");
    HostFaults::Clear();
    EXPECT_TRUE(detail.ReadFromModel(false));  // the file's time is new
    EXPECT_EQ(HostFaults::Calls("HostDocuments.Open"), 1);
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(app->Documents().Count(), 1u);  // opened for the reading and closed again
    EXPECT_FALSE(detail.ReadFromModel(false));
    EXPECT_EQ(HostFaults::Calls("HostDocuments.Open"), 1);
    const auto later = std::filesystem::last_write_time(source) + std::chrono::seconds(5);
    std::filesystem::last_write_time(source, later);
    EXPECT_TRUE(detail.ReadFromModel(false));
    EXPECT_EQ(HostFaults::Calls("HostDocuments.Open"), 2);
    EXPECT_EQ(connections, 2);
}

TEST_F(PartVariablesTest, SteelTableAndTheClassificationCode) {
    EXPECT_EQ(SteelTable().size(), 106u);
    const SteelGrade* vanadium = FindSteelGrade("40ХФA");  // ends in a Latin A
    ASSERT_TRUE(vanadium);
    EXPECT_EQ(vanadium->group, 6);
    EXPECT_EQ(vanadium->V, 0.14);
    EXPECT_EQ(FindSteelGrade("40ХФА"), nullptr);  // the Cyrillic А
    const SteelGrade* nickel = FindSteelGrade("25ХГНМТ");
    ASSERT_TRUE(nickel);
    EXPECT_EQ(nickel->group, 14);
    EXPECT_EQ(nickel->tensileMPa, 0);
    EXPECT_TRUE(FindSteelGrade("(40ХНМА)"));
    EXPECT_EQ(MATERIAL::ExtractMark("Сталь 45 ГОСТ 1050-88"), "45");
    EXPECT_EQ(MATERIAL::ExtractMark("Сплав 12Х18Н10Т"), "12Х18Н10Т");
    EXPECT_EQ(MATERIAL::ExtractMark("40Х"), "40Х");
    const struct {
        const char* text;
        double code;
    } codes[] = {{"P3.0.Z.HT", 130}, {"K2.1.C.NS", 421}, {"H1.2.Z", 612}, {"X1.2.Z", 12}, {"P3.", 0}, {"", 0}};
    for (const auto& c : codes) EXPECT_EQ(DETAIL_PARAMETERS::McCodeOf(c.text), c.code) << c.text;
}

TEST_F(PartVariablesTest, ThePlanReadsThemThroughItsRegisteredReader) {
    RegisterPartModelServices();
    Run("part name=Втулка\n");
    CPLAN* plan = GetPLAN();
    plan->ReadDetailParameters(false);
    EXPECT_EQ(*plan->GetStringParameter("MODEL.Name"), "Втулка");
}

// A tool variable's expression names the part's and the plan's values: they
// are read through the plan, not left at the value the model had.
TEST_F(PartVariablesTest, AToolVariableExpressionIsEvaluatedOnThePlan) {
    RegisterPartModelServices();
    Run("variable Длина 120\n");
    CPLAN* plan = GetPLAN();
    plan->ReadDetailParameters(false);
    const std::string path = (folder->Path() / "Tool_1.rdp").string();
    ToolModelText::Parse("zarvento-tool-model 1\nvariable d 10 \"Диаметр {=MODEL.Длина/4}\"\n", "model")->SaveAs(path);
    ParamTool tool;
    tool.sToolName = "Резец";
    tool.sWorkFile = path;
    HostDocumentPtr model = app->Documents().Open(path, false);
    tool.ReadModelVariables(*model);
    app->Documents().Close(model);
    tool.WriteModelVariables();
    EXPECT_EQ(app->Documents().Open(path, false)->FindVariable("d")->Value(), 30);
    DeletePLAN();
    EXPECT_EQ(ToolFormulaProvider(), nullptr);  // the plan takes its provider with it
}

}  // namespace
}  // namespace zarvento
