// The tool-model variable protocol: note markers and expressions, reading and
// writing the model's variables, the tip position, the insert code and the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "catalog_test_support.h"
#include "catalogs/param_tool.h"
#include "catalogs/params_grid.h"
#include "catalogs/tool_model_text.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"

namespace zarvento {
namespace {

using test::CatalogTest;

void AddVariable(ParamTool& t, const std::string& name, double value, const std::string& note = {}) {
    ParamVariable& v = t.aVariables[t.Npv++];
    v.sName = name;
    v.dValue = value;
    v.sNote = note;
}

TEST(NoteExpression, TheTextBetweenTheLastBracesWithoutItsMarkCharacter) {
    const struct {
        const char* note;
        bool found;
        const char* expression;
    } cases[] = {
        {"Радиус {=R1/2}", true, "R1/2"},
        {"{ x}", true, "x"},
        {"{=   d+1}", true, "d+1"},
        {"{a}", true, ""},
        {"{}", true, ""},
        {"{Жr*2}", true, "r*2"},  // the mark may be any character, Cyrillic too
        {"{=a} и {=b}", true, "b"},
        {"} перед {", false, "keep"},
        {"без скобок", false, "keep"},
        {"", false, "keep"},
    };
    for (const auto& c : cases) {
        std::string out = "keep";
        EXPECT_EQ(ExtractNoteExpression(c.note, out), c.found) << c.note;
        EXPECT_EQ(out, c.expression) << c.note;
    }
    EXPECT_TRUE(IsReferenceNote("Длина*"));
    EXPECT_FALSE(IsReferenceNote("Длина* "));
    EXPECT_TRUE(IsHiddenNote("служебная%"));
    EXPECT_FALSE(IsHiddenNote(""));
}

TEST(TipPosition, MirroredForSpindleAndHandThenForTheMountingSide) {
    const struct {
        bool isLeft;
        int m34;
        bool isInter;
        int nP;
        int result;
    } cases[] = {
        {false, 4, false, 3, 4},  // 3 -> 4, then 4 stays
        {false, 4, false, 2, 4},  // 2 -> 1 -> 4
        {false, 3, false, 4, 3}, {false, 3, false, 5, 7}, {false, 3, false, 1, 3},   {false, 4, false, 7, 5},
        {true, 3, false, 3, 4},  {true, 3, false, 7, 5},  {true, 4, false, 4, 3},    {true, 4, false, 1, 3},
        {false, 3, true, 4, 2},  {false, 4, true, 8, 6},  {true, 4, true, 1, 2},     {false, 3, true, 3, 2},
        {false, 5, false, 6, 8},  // any other spindle code: only the mounting side
        {false, 5, true, 4, 1},  {false, 3, false, 9, 9}, {false, 3, false, -1, -1},
    };
    for (const auto& c : cases) {
        ParamTool t;
        AddVariable(t, "nP", c.nP);
        t.nP = c.nP;
        t.isLeft = c.isLeft;
        t.M34 = static_cast<std::int16_t>(c.m34);
        t.isInter = c.isInter;
        t.UpdateTipPosition();
        EXPECT_EQ(t.nP, c.result) << c.isLeft << " M" << c.m34 << " inter " << c.isInter << " nP " << c.nP;
        double stored = 0;
        EXPECT_TRUE(t.GetVariable("nP", stored));
        EXPECT_EQ(stored, c.result);
    }
}

TEST(TipPosition, NoseOffsetsFollowTheCode) {
    const double r = 0.4;
    const struct {
        int nP;
        bool isInter;  // chosen so that the code is not remapped
        double dx, dy;
    } cases[] = {{1, true, -r, -r}, {2, true, r, -r}, {3, false, r, r}, {4, false, -r, r}, {5, false, -r, 0},
                 {6, true, 0, -r},  {7, false, r, 0}, {8, false, 0, r}, {0, false, 0, 0},  {12, false, 0, 0}};
    for (const auto& c : cases) {
        ParamTool t;
        t.M34 = 0;  // no spindle mirroring
        t.r = r;
        t.nP = c.nP;
        t.isInter = c.isInter;
        t.UpdateTipPosition();
        ASSERT_EQ(t.nP, c.nP);
        EXPECT_EQ(t.dNoseDx, c.dx) << c.nP;
        EXPECT_EQ(t.dNoseDy, c.dy) << c.nP;
    }
}

TEST(InsertDesignation, TableCases) {
    const struct {
        int form;
        double gamma, iC, s, r;
        const char* comment;
        const char* code;
    } cases[] = {
        {1, 7, 12.7, 4.76, 0.8, "", "CCMG120508"},     {6, 0, 12.7, 4.76, 0.4, "", "TNMG220504"},
        {1, 7, 9.525, 3.18, 0.8, "", "CCMG09T308"},    {8, 0, 12.7, 4.76, 0.8, "", "WNMG080508"},
        {4, 7, 12.7, 4.76, 0.8, "", "RCMG1205M0"},     {2, 11, 15.875, 6.35, 1.2, "", "DPMG190712"},
        {5, 13, 12.7, 4.76, 0.8, "", "SOMG120508"},    // no clearance letter for 13
        {5, 0.05, 12.7, 4.76, 0.8, "", "SNMG120508"},  // within 0.1 of 0
        {1, 7, 4.365, 1.0, 0.2, "", "CCMG04T002"},     // a tie takes the first size
        {1, 7, 12.7, 12, 0.8, "", "CCMG121208"},       // the fourteenth thickness
        {1, 7, 12.7, 10, 0.8, "", "CCMG121108"},       {1, 7, 12.7, 11, 0.8, "", "CCMG121208"},
        {1, 7, 6.0, 4.76, 0.8, "", "CCMG000508"},       // no C insert of 6.0: "00"
        {1, 7, 12.7, 4.76, 0.8, "CNTX", "CCTX120508"},  // tolerance and type kept
        {1, 7, 12.7, 4.76, 0.8, "ABЖ", "CCЖG120508"},   // characters, not bytes
        {1, 7, 12.7, 4.76, 0.79, "", "CCMG120507"},
    };
    for (const auto& c : cases) {
        ParamTool t;
        AddVariable(t, "gamma", c.gamma);
        AddVariable(t, "iC", c.iC);
        AddVariable(t, "s", c.s);
        t.Form = c.form;
        t.r = c.r;
        t.sComment = c.comment;
        t.MakeInsertDesignation();
        EXPECT_EQ(t.sComment, c.code) << c.form << " " << c.iC << " " << c.s;
    }
}

TEST(InsertDesignation, FormZeroClearsAndUnknownFormsKeepTheMark) {
    ParamTool t;
    t.sComment = "своя метка";
    t.Form = 9;
    t.MakeInsertDesignation();
    EXPECT_EQ(t.sComment, "своя метка");
    t.Form = 0;
    t.MakeInsertDesignation();
    EXPECT_EQ(t.sComment, "");
}

TEST(ParamsGridFill, ShownEntriesWithTheMarkRowFirst) {
    ParamTool t;
    t.sComment = "CNMG120408";
    AddVariable(t, "r", 0.8, "Радиус");
    AddVariable(t, "svc", 1, "служебная%");
    AddVariable(t, "L", 125.5, "Длина*");
    AddVariable(t, "d", 1e-7, "");
    t.aVariables[3].sExpression = "L/2";
    t.aVariables[3].isComputed = true;
    ParamsGrid grid;
    t.FillParamsGrid(grid);
    ASSERT_EQ(grid.Rows(), 5);
    EXPECT_EQ(grid.Cell(1, 0), "Обозначение");
    EXPECT_EQ(grid.Cell(1, 1), "sMark");
    EXPECT_EQ(grid.Cell(1, 2), "CNMG120408");
    EXPECT_EQ(grid.Cell(2, 1), "r");
    EXPECT_EQ(grid.Cell(2, 2), "0.8");
    EXPECT_FALSE(grid.ReadOnly(2, 2));
    EXPECT_EQ(grid.Cell(3, 0), "Длина*");
    EXPECT_EQ(grid.Cell(3, 2), "125.5");
    EXPECT_TRUE(grid.ReadOnly(3, 2));
    EXPECT_EQ(grid.Cell(4, 2), "1e-07");
    EXPECT_TRUE(grid.ReadOnly(4, 2));
    EXPECT_EQ(grid.Refreshes(), 1);
}

class ModelVariablesTest : public CatalogTest {};

TEST_F(ModelVariablesTest, ReadingTakesAtMostThirtyVariablesAndTheirDerivedFields) {
    auto model = std::make_shared<HostDocument>(DocumentType::Part);
    model->AddVariable("isLeft", 0.1);
    model->AddVariable("isInter", 0.2);
    model->AddVariable("nP", 2.95);
    model->AddVariable("TYPE_", 12);
    model->AddVariable("file_rez", 0, "rez.dat");
    model->AddVariable("gamma", 7);
    model->AddVariable("L", 30, "Длина {=d*2}");
    for (int i = 7; i < 30; ++i) model->AddVariable("v" + std::to_string(i), i);
    model->AddVariable("r", 0.8);  // the 31st: past the table
    for (int i = 31; i < 35; ++i) model->AddVariable("w" + std::to_string(i), i);

    ParamTool t;
    t.ReadModelVariables(*model);
    EXPECT_EQ(t.Npv, 30);
    EXPECT_EQ(t.r, 0);
    EXPECT_FALSE(t.isLeft);
    EXPECT_TRUE(t.isInter);
    EXPECT_EQ(t.nP, 3);
    EXPECT_EQ(t.TYPE_, 12);
    EXPECT_EQ(t.sFileRez, "rez.dat");
    EXPECT_EQ(t.gamma, 7);
    EXPECT_EQ(t.aVariables[6].sExpression, "d*2");
    EXPECT_EQ(t.aVariables[6].sNote, "Длина {=d*2}");
    EXPECT_EQ(t.aVariables[29].sName, "v29");
}

// A model document edited outside the system must not bring NaN or an absurd
// value into the tool table, whence feeds and speeds reach the program.
TEST_F(ModelVariablesTest, AValueNoToolHasRefusesTheModel) {
    for (double bad : {std::nan(""), 1e300, -std::numeric_limits<double>::infinity()}) {
        auto model = std::make_shared<HostDocument>(DocumentType::Part);
        model->AddVariable("r", 0.8);
        model->AddVariable("FEED1", bad);
        ParamTool t;
        const HostError e = test::CaughtHostError([&] { t.ReadModelVariables(*model); });
        EXPECT_EQ(e.Code(), DISP_E_OVERFLOW_);
        EXPECT_NE(std::string(e.what()).find("variable FEED1 = "), std::string::npos) << e.what();
    }
}

TEST_F(ModelVariablesTest, ATipPositionOfABoringBarMountsTheToolInside) {
    // The model's tip position names the point the program drives: 1, 2 and
    // 6 lie inside a bore. A model that says how the tool is mounted keeps
    // its word; kind 12 is inside in any case.
    struct Case {
        int nP, type;
        std::optional<double> inter;  // the model's "isInter", when it has one
        bool inside;
        int tip;  // after the spindle and mounting mirrors (a right-hand tool, M3)
    };
    const Case cases[] = {{2, 11, std::nullopt, true, 2}, {6, 11, std::nullopt, true, 6},
                          {1, 11, std::nullopt, true, 2}, {3, 11, std::nullopt, false, 3},
                          {2, 11, 0.0, false, 3},         {3, 12, std::nullopt, true, 2},
                          {3, 12, 0.0, true, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE("nP " + std::to_string(c.nP) + ", kind " + std::to_string(c.type));
        auto model = std::make_shared<HostDocument>(DocumentType::Part);
        model->AddVariable("TYPE_", c.type);
        model->AddVariable("r", 0.4);
        model->AddVariable("nP", c.nP);
        if (c.inter) model->AddVariable("isInter", *c.inter);
        ParamTool t;
        t.sToolName = "Резец";
        t.M34 = 3;
        t.ReadModelVariables(*model);
        EXPECT_EQ(t.isInter, c.inside);
        t.UpdateTipPosition();
        EXPECT_EQ(t.nP, c.tip);
        // The nose centre lies towards the axis from the tip of an inside tool.
        if (c.tip == 2) {
            EXPECT_EQ(t.dNoseDy, -0.4);
        }
    }
}

class WriteVariablesTest : public CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        const std::string text =
            "zarvento-tool-model 1\n"
            "variable d 10 \"Диаметр {=D0/2}\"\n"
            "variable L 20 \"Длина\"\n"
            "variable A 0 \"Справочная*\" = L*2\n"
            "variable B 5 \"Справочная 2*\"\n"
            "variable H 1 \"Скрытая%\"\n"
            "variable Q 3 \"Плохая {=1/0}\"\n";
        path = PathOf("Tool_1.rdp");
        ToolModelText::Parse(text, "model")->SaveAs(path);
        tool.sToolName = "Резец";
        tool.sWorkFile = path;
        HostDocumentPtr model = app->Documents().Open(path, false);
        tool.ReadModelVariables(*model);
        app->Documents().Close(model);
    }
    double ModelValue(const std::string& name) {
        return app->Documents().Open(path, false)->FindVariable(name)->Value();
    }

    std::string path;
    ParamTool tool;
};

TEST_F(WriteVariablesTest, ValuesAndExpressionsAreWrittenAndTheModelRebuilt) {
    ASSERT_EQ(tool.Npv, 6);
    EXPECT_EQ(tool.aVariables[0].sExpression, "D0/2");
    EXPECT_EQ(tool.aVariables[2].dValue, 40);  // computed by the model when it was read
    tool.SetVariable("L", 35);
    tool.SetVariable("H", 9);
    tool.aVariables[0].sExpression = "4*3";
    tool.WriteModelVariables();
    EXPECT_EQ(ModelValue("L"), 35);
    EXPECT_EQ(ModelValue("A"), 70);  // the rebuild recomputed the reference variable
    EXPECT_EQ(ModelValue("H"), 1);   // hidden: never written
    EXPECT_EQ(ModelValue("d"), 12);
    EXPECT_EQ(ModelValue("Q"), 3);             // the expression fails: its default (the value read) is written
    EXPECT_EQ(tool.aVariables[2].dValue, 70);  // read back
    EXPECT_TRUE(Messages().empty());
}

TEST_F(WriteVariablesTest, ChangingAReferenceVariableIsRefusedWithOneMessageEach) {
    tool.SetVariable("B", 5.0005);
    tool.WriteModelVariables();
    EXPECT_TRUE(Messages().empty());
    tool.SetVariable("A", 41);
    tool.SetVariable("B", 5.01);
    tool.WriteModelVariables();
    ASSERT_EQ(Entries().size(), 2u);
    EXPECT_EQ(Entries()[0].text, "Значения справочных переменных изменить нельзя");
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
    EXPECT_EQ(Entries()[0].style, 0x40);
    EXPECT_EQ(ModelValue("B"), 5);
}

TEST_F(WriteVariablesTest, NothingIsWrittenWithoutAWorkingCopy) {
    tool.SetVariable("L", 99);
    tool.isNoContour = true;
    tool.WriteModelVariables();
    tool.isNoContour = false;
    tool.sWorkFile.clear();
    tool.WriteModelVariables();
    EXPECT_EQ(ModelValue("L"), 20);
}

}  // namespace
}  // namespace zarvento
