// The statement grammar of versions 17 and 18: scanning into statements, the
// effect of every statement, the limits of parameters and values, golden
// dumps of our descriptions and random sections.
#include <random>
#include <string>
#include <vector>

#include "golden_file.h"
#include "nc/address_table.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "post/cycle_definition_parser.h"
#include "post/description_statement.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"
#include "statement_dump.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

// Statements as "KEY[arg|arg]" for compact comparison.
std::vector<std::string> Scan(std::string_view body, bool keepBlanks = false) {
    std::vector<std::string> out;
    for (const DescriptionStatement& s :
         ScanDescriptionStatements("BEGIN_MACHINE_CYCLES" + std::string(body), keepBlanks)) {
        std::string t = s.keyword + "[";
        for (std::size_t i = 0; i < s.arguments.size(); ++i) t += (i ? "|" : "") + s.arguments[i];
        out.push_back(t + "]");
    }
    return out;
}

using Texts = std::vector<std::string>;

// --- scanning ---

struct ScanCase {
    const char* name;
    const char* body;
    Texts statements;
};

class ScanTest : public test::CleanStateTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanTest, CutsTheSectionIntoStatements) { EXPECT_EQ(Scan(GetParam().body), GetParam().statements); }

INSTANTIATE_TEST_SUITE_P(
    Sections, ScanTest,
    ::testing::Values(
        ScanCase{"Plain", "\nCYCLE(G800EL, Drilling cycle, Drilling);\n", {"CYCLE[G800EL|Drilling cycle|Drilling]"}},
        ScanCase{"QuotedComma", "PRINT('a, b', c);", {"PRINT[a, b|c]"}},
        // Blanks at both ends go, quoted or not; those inside stay.
        ScanCase{"QuotedLosesItsEndBlanksAndKeepsItsTail", "PRINT(' x ' y , z);", {"PRINT[x  y|z]"}},
        ScanCase{"QuotedBlanksAtTheEnds", "PRINT(' G90 ', x);", {"PRINT[G90|x]"}},
        ScanCase{"QuotedBlanksOnly", "PRINT(a, '   ');", {"PRINT[a|]"}},
        ScanCase{"UnclosedQuoteRunsToTheEnd", "PRINT(a, 'b, c);", {"PRINT[a|b, c]"}},
        ScanCase{"EmptyArguments", "PRINT(a,, b,);", {"PRINT[a||b|]"}},
        ScanCase{"LeadingComma", "PRINT(, b);", {"PRINT[|b]"}}, ScanCase{"BlankList", "PRINT( );", {"PRINT[]"}},
        ScanCase{"EmptyListIsNoStatement", "PRINT();TOOL(x);", {"TOOL[x]"}},
        ScanCase{"MissingEndIsNoStatement", "PRINT(x)\n", {}}, ScanCase{"EndBeforeOpening", "PRINT x); (y", {}},
        ScanCase{"KeywordInsideAWord", "GCODE(Head);", {"CODE[Head]"}},
        ScanCase{"ParamInsideParameters", "PARAMETERS(a, b, c);", {"PARAM[a|b|c]"}},
        ScanCase{"LongerKeywordFirst",
                 "CYCLE_GROUP(G1, a, b);PRINT_MEM(m);PRINT_TBL(2, t);",
                 {"CYCLE_GROUP[G1|a|b]", "PRINT_MEM[m]", "PRINT_TBL[2|t]"}},
        // The borrowed list is read again, as the scan goes on behind the keyword
        // by the length of the list only.
        ScanCase{"FreeTextBorrowsTheNextList", "a TOOL note\nCODE(Head);", {"TOOL[Head]", "CODE[Head]"}},
        ScanCase{"CaseSensitive", "print(x);Value(y);value(z);", {"value[z]"}},
        ScanCase{"TableCallRewritten",
                 "PRINT(F%f, select_from_table('Feeds', _D, 1)*2, X);",
                 {"PRINT[F%f|select_from_table( Feeds ; _D; 1)*2|X]"}},
        ScanCase{"TableCallWithoutClose", "PRINT(select_from_table('a', b);", {"PRINT[select_from_table( a ; b]"}},
        ScanCase{"NoKeywordBeforeTheSectionWord", "", {}}));

using SectionTest = test::CleanStateTest;

TEST_F(SectionTest, ScanningStartsBehindTheSectionWord) {
    EXPECT_EQ(ScanDescriptionStatements("BEGIN_MACHINE_CYCLESCODE(x);", false).size(), 1u);
    EXPECT_EQ(ScanDescriptionStatements("CODE(x);", false).size(), 0u);
    EXPECT_EQ(ScanDescriptionStatements("", false).size(), 0u);
}

TEST_F(SectionTest, AnExportRunKeepsTheFirstArgumentsLeadingBlanks) {
    EXPECT_EQ(Scan("PRINT(   G01 X%f ,  _X);", true), Texts{"PRINT[   G01 X%f|_X]"});
    EXPECT_EQ(Scan("PRINT(   ' a', b);", true), Texts{"PRINT[    a|b]"});
    EXPECT_EQ(Scan("PRINT(   G01 X%f ,  _X);", false), Texts{"PRINT[G01 X%f|_X]"});
}

struct AssignmentCase {
    const char* argument;
    const char* name;
    std::size_t position;  // npos: refused
};

class AssignmentTest : public ::testing::TestWithParam<AssignmentCase> {};

TEST_P(AssignmentTest, FindsTheValue) {
    EXPECT_EQ(CPostProcessor::FindAssignment(GetParam().argument, GetParam().name), GetParam().position);
}

constexpr std::size_t kNone = std::string_view::npos;

INSTANTIATE_TEST_SUITE_P(
    Arguments, AssignmentTest,
    ::testing::Values(AssignmentCase{"code=12", "code", 5}, AssignmentCase{"code \r\n= \n 12", "code", 11},
                      AssignmentCase{"code==1", "code", kNone}, AssignmentCase{"code 12", "code", kNone},
                      AssignmentCase{"format_number=N%3f", "number", 14}, AssignmentCase{"number", "number", kNone},
                      AssignmentCase{"x number=1 number=0", "number", 9}, AssignmentCase{"print=", "print", 6},
                      AssignmentCase{"print=1", "", kNone}));

TEST(KeywordTest, StartsWithKeywordComparesExactly) {
    EXPECT_TRUE(CPostProcessor::StartsWithKeyword("xCODE(", 1, "CODE"));
    EXPECT_FALSE(CPostProcessor::StartsWithKeyword("xCode(", 1, "CODE"));
    EXPECT_FALSE(CPostProcessor::StartsWithKeyword("COD", 0, "CODE"));
    EXPECT_FALSE(CPostProcessor::StartsWithKeyword("CODE", 9, "CODE"));
}

// --- interpreting ---

class StatementTest : public test::CleanStateTest {
protected:
    // Parses the body as the section of a description of that version.
    std::string Parse(const std::string& version, const std::string& body) {
        PostProcessorSettings::Current().Version = version;
        ParseCycleDefinition(post, "BEGIN_MACHINE_CYCLES\n" + body);
        return test::DumpStatements(post);
    }

    CPostProcessor post{"P", ""};
};

struct InterpretCase {
    const char* name;
    const char* version;
    const char* body;
    Texts present;   // lines of the dump that must be there
    Texts absent;    // texts that must not be anywhere in the dump
    Texts messages;  // the messages shown, in order
};

class InterpretTest : public StatementTest, public ::testing::WithParamInterface<InterpretCase> {};

TEST_P(InterpretTest, BuildsWhatTheStatementSays) {
    const InterpretCase& c = GetParam();
    const std::string dump = Parse(c.version, c.body);
    for (const std::string& line : c.present)
        EXPECT_NE(dump.find(line + "\n"), std::string::npos) << line << "\n" << dump;
    for (const std::string& text : c.absent) EXPECT_EQ(dump.find(text), std::string::npos) << text << "\n" << dump;
    EXPECT_EQ(Messages(), c.messages) << dump;
}

constexpr const char* kDefaultFormats =
    " | numbered 1 hold 0 contour 0 print \"1\" repeat \"1\" N \"N%3f\" m \"%5.3m\" n \"%5.3n\" f \"%5.3f\"";

std::string Line(const std::string& list, const std::string& text, const std::string& args,
                 const std::string& formats = kDefaultFormats) {
    return "  " + list + " \"" + text + "\" args" + args + formats;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, InterpretTest,
    ::testing::Values(
        InterpretCase{"Cycle",
                      "18",
                      "CYCLE(G800EL, Drilling cycle, Drilling, more);",
                      {"cycle \"G800EL\" type \"Drilling\"", "  name \"Drilling cycle\"", "  post-processor \"P\"",
                       "definition \"G800EL\" keyword \"CYCLE\" group 0 prepare 0 entries"},
                      {},
                      {}},
        InterpretCase{"CycleWithTwoArguments",
                      "17",
                      "CYCLE(G800EL, Drilling cycle);",
                      {"cycle \"\" type \"\"", "  name \"\""},
                      {"G800EL"},
                      {"Ошибка постпроцессора.\nФункция CYCLE должна содержать минимум 3 значения"}},
        InterpretCase{"CyclePrepare",
                      "17",
                      "CYCLE_PREPARE(G1, a);",
                      {"definition \"\" keyword \"CYCLE_PREPARE\" group 0 prepare 1 entries"},
                      {},
                      {"Ошибка постпроцессора.\nФункция CYCLE_PREPARE должна содержать минимум 3 значения"}},
        InterpretCase{"CycleGroup",
                      "17",
                      "CYCLE_GROUP(G9, g, Turning);",
                      {"cycle \"G9\" type \"Turning\" group",
                       "definition \"G9\" keyword \"CYCLE_GROUP\" group 1 prepare 0 entries"},
                      {},
                      {}},
        InterpretCase{"CommentNeedsExactlyOne",
                      "17",
                      "COMMENT(lost);CYCLE(G1, a, b);COMMENT(x, y);COMMENT(kept);",
                      {"  comment \"kept\""},
                      {"lost", "\"x\""},
                      {}},
        InterpretCase{"FeatureTrajectoryTool",
                      "17",
                      "CYCLE(G1, a, b);FEATURE(Face, more);TRAJECTORY(T1, T2, T3);TOOL(x, y);TOOL(Drill);",
                      {"  tool \"Drill\" profile \"Face\" trajectory \"T1\"",
                       "definition \"G1\" keyword \"CYCLE\" group 0 prepare 0 entries \"T2\" \"T3\""},
                      {"more"},
                      {}},
        InterpretCase{
            "ParamKinds",
            "17",
            "CYCLE(G1, a, b);PARAM(_DEPTH, OD, Depth of cut, 2);PARAM(_B, OP, b);PARAM(_C, R, c, 1, _A*2);"
            "PARAM(_D, ODD, d);",
            {"  param \"_DEPTH\" kind K caption \"Depth of cut\" value \"2\"",
             "  param \"_B\" kind 1 caption \"b\" value \"\"", "  param \"_C\" kind R caption \"c\" value \"1\"",
             "  param \"_C\" formula \"_A*2\" index 0", "  param \"_D\" kind s caption \"d\" value \"\""},
            {},
            {}},
        InterpretCase{"ParamWithTwoArguments",
                      "18",
                      "CYCLE(G7, a, b);PARAM(_A, D);value(kept);",
                      {"  param \"\" kind s caption \"\" value \"1\" list \"kept\""},
                      {},
                      {"Ошибка постпроцессора в цикле G7.\nФункция PARAM должна содержать минимум 3 значения"}},
        InterpretCase{"ParamOutsideACycle", "18", "PARAM(_A, D, a);CODE(Head);PARAM(_B, D, b);", {}, {"_A", "_B"}, {}},
        InterpretCase{"ValuesAndTheIndexFixUp",
                      "17",
                      "CYCLE(G1, a, b);PARAM(_MODE, 1, Mode, 0);value(First);value(Second, 7, 9);"
                      "PARAM(_SIDE, O, Side, 2);value(L, 4);value(R);value(B);PARAM(_PLAIN, D, p, 5);",
                      {"  param \"_MODE\" kind 1 caption \"Mode\" value \"1\" list \"First\" \"Second\"",
                       "  param \"_MODE\" formula \"\" index 0 [First 0 0] [Second 7 9]",
                       "  param \"_SIDE\" formula \"\" index 2 [L 4 0] [R 1 1] [B 2 2]",
                       "  param \"_SIDE\" kind O caption \"Side\" value \"3\" list \"L\" \"R\" \"B\"",
                       "  param \"_PLAIN\" kind D caption \"p\" value \"5\""},
                      {},
                      {}},
        InterpretCase{"ValueWithoutAParameterOfItsCycle",
                      "17",
                      "CYCLE(G1, a, b);PARAM(_A, O, a);value(one);CYCLE(G2, c, d);value(stray);",
                      {"  param \"_A\" formula \"\" index 0 [one 0 0]"},
                      {"stray"},
                      {}},
        InterpretCase{"Alphabet",
                      "18",
                      "ALPHABET(X, X, , \nZ);ALPHABET(\nX);",
                      {"word \"X\" formula \"\"", "word \"Z\" formula \"\""},
                      {"word \"\""},
                      {}},
        InterpretCase{"Metric",
                      "18",
                      "ALPHABET(X, Z, Y);METRIC(_INCH*2, X, Q, Z);",
                      {"word \"X\" formula \"_INCH*2\"", "word \"Z\" formula \"_INCH*2\"", "word \"Y\" formula \"\""},
                      {"Q"},
                      {}},
        InterpretCase{"CodeTemplateAndPrint",
                      "18",
                      "CODE(Head);PRINT(G90 G54);PRINT(X%f, _X2, more);",
                      {"template Head", Line("CODE", "G90 G54", ""), Line("CODE", "X%f", " \"_X2\" \"more\"")},
                      {},
                      {}},
        InterpretCase{"CodeReplaces",
                      "18",
                      "CODE(Head);PRINT(old);CODE(Head, extra);PRINT(new);",
                      {Line("CODE", "new", "")},
                      {"\"old\""},
                      {}},
        InterpretCase{"CodeUnknownName",
                      "18",
                      "CODE(Head);PRINT(a);CODE(Foo);PRINT(x);CODE(head);PRINT(y);",
                      {Line("CODE", "a", "")},
                      {"\"x\"", "\"y\"", "template Foo"},
                      {}},
        InterpretCase{
            "CodeEndsTheCycle", "18", "CYCLE(G1, a, b);CODE(Foo);PRINT(x);PARAM(_A, D, a);", {}, {"\"x\"", "_A"}, {}},
        InterpretCase{"PrintMemAndFormula",
                      "18",
                      "CODE(T);PRINT_MEM(T%f, _T);FORMULA(X*2, a);",
                      {"  CODE \"T%f\" args \"_T\" | numbered 1 hold 1 contour 0 print \"1\" repeat \"1\" N \"N%3f\" m "
                       "\"%5.3m\" n \"%5.3n\" f \"%5.3f\"",
                       "  CODE \"X*2%m\" args \"a\" | numbered 1 hold 1 contour 0 print \"1\" repeat \"1\" N \"N%3f\" "
                       "m \"%5.3m\" n \"%5.3n\" f \"%5.3f\""},
                      {},
                      {}},
        InterpretCase{"PrintContour",
                      "18",
                      "CODE(G01);PRINT_CONTOUR(DETAIL, ignored);",
                      {"  CODE \"DETAIL\" args | numbered 1 hold 0 contour 1 print \"1\" repeat \"1\" N \"N%3f\" m "
                       "\"%5.3m\" n \"%5.3n\" f \"%5.3f\""},
                      {"ignored"},
                      {}},
        InterpretCase{"PrintTable",
                      "18",
                      "CODE(Head);PRINT_TBL(_NPOS, T%f, i, x);PRINT_TBL(3);",
                      {"  CODE \"T%f\" args \"i\" \"x\" | numbered 1 hold 0 contour 0 print \"1\" repeat \"_NPOS\" N "
                       "\"N%3f\" m \"%5.3m\" n \"%5.3n\" f \"%5.3f\"",
                       "  CODE \"\" args | numbered 1 hold 0 contour 0 print \"1\" repeat \"3\" N \"N%3f\" m "
                       "\"%5.3m\" n \"%5.3n\" f \"%5.3f\""},
                      {},
                      {}},
        InterpretCase{"CycleLines",
                      "18",
                      "CYCLE(G1, a, b);PRINT(G1 X%f, _FX);PRINT_MEM(held);PRINT_PNT(p);PRINT_CNT(c);PRINT_END(e);"
                      "FORMULA(f);PRINT_TBL(2, t);PRINT_CONTOUR(STOCK);",
                      {Line("CODE", "G1 X%f", " \"_FX\""), Line("PRINT_PNT", "p", ""), Line("PRINT_CNT", "c", ""),
                       Line("PRINT_END", "e", ""),
                       "  CODE \"held\" args | numbered 1 hold 1 contour 0 print \"1\" repeat \"1\" N \"N%3f\" m "
                       "\"%5.3m\" n \"%5.3n\" f \"%5.3f\""},
                      {"\"f", "\"t\"", "STOCK"},
                      {}},
        InterpretCase{"CycleStatementsInATemplate",
                      "18",
                      "CODE(G01);PRINT_PNT(p);COMMENT(c);TOOL(t);",
                      {"template G01"},
                      {"\"p\"", "\"c\"", "\"t\""},
                      {}},
        InterpretCase{
            "Format",
            "18",
            "FORMAT(%f=%8.3f);CODE(G01);PRINT(a);"
            "FORMAT(number=0, format_number=O%4f, print=_ON, code=5, %m=%.2m, %n=%.1n, other);PRINT(b);"
            "FORMAT(number = 1);PRINT(c);",
            {Line("CODE", "a", "",
                  " | numbered 1 hold 0 contour 0 print \"1\" repeat \"1\" N \"N%3f\" m \"%5.3m\" n \"%5.3n\" "
                  "f \"%8.3f\""),
             Line("CODE", "b", "",
                  " | numbered 0 hold 0 contour 0 print \"_ON\" repeat \"1\" N \"O%4f\" m \"%.2m\" n \"%.1n\" "
                  "f \"%8.3f\""),
             Line("CODE", "c", "",
                  " | numbered 1 hold 0 contour 0 print \"_ON\" repeat \"1\" N \"O%4f\" m \"%.2m\" n \"%.1n\" "
                  "f \"%8.3f\"")},
            {},
            {}},
        InterpretCase{
            "FormatCarriesIntoCycles",
            "18",
            "FORMAT(number=0);CYCLE(G1, a, b);PRINT(a);",
            {Line("CODE", "a", "",
                  " | numbered 0 hold 0 contour 0 print \"1\" repeat \"1\" N \"N%3f\" m \"%5.3m\" n \"%5.3n\" "
                  "f \"%5.3f\"")},
            {},
            {}},
        InterpretCase{"Tables",
                      "18",
                      "TABLE(Feeds, 1);COLUMN_NAMES(Depth, Steel);ROW(0, 10, 20);ROW(5, 1, 2);ROW(9, 3);"
                      "ROW(x, 1.5e1, +2);TABLE(Named);ROW(0, 1);ROW(1, 2);TABLE(a, b, c);",
                      {"table \"Feeds\" second \"1\" columns \"Depth\" \"Steel\" width 3 keys 10 20", "  row 5 1 2",
                       "  row 9 3 0", "  row 0 15 2", "table \"\" second \"\" columns width 2 keys 1",
                       "table \"\" second \"\" columns width 0 keys", "global tables 3"},
                      {"Named"},
                      {}},
        InterpretCase{"TableEndsTheTemplate",
                      "18",
                      "CODE(G01);TABLE(T, 0);PRINT(x);ROW(0, 1);CODE(G00);ROW(5);",
                      {"table \"T\" second \"0\" columns width 2 keys 1"},
                      {"\"x\"", "row"},
                      {"Ошибка постпроцессора.\nТаблица T не содержит строк данных"}},
        InterpretCase{"RowsWithoutATable", "18", "ROW(1, 2);COLUMN_NAMES(a);", {"global tables 0"}, {"row"}, {}},
        InterpretCase{"VersionSeventeenIgnoresTheRest",
                      "17",
                      "ALPHABET(X);METRIC(2, X);FORMAT(number=0);CODE(Head);PRINT(x);TABLE(T, 0);ROW(0, 1);"
                      "CYCLE(G1, a, b);PRINT(y);PRINT_PNT(z);",
                      {"global tables 0", "definition \"G1\" keyword \"CYCLE\" group 0 prepare 0 entries"},
                      {"\nword ", "template", "CODE \""},
                      {}}),
    [](const ::testing::TestParamInfo<InterpretCase>& row) { return std::string(row.param.name); });

TEST_F(StatementTest, AFortyFirstParameterAndATwentyFirstValueAreRefused) {
    std::string body = "CYCLE(G9, many, Turning);";
    for (int i = 1; i <= 41; ++i) body += "PARAM(_P" + std::to_string(i) + ", D, p, 1);";
    body += "value(after the refused one);";
    body += "CYCLE(G10, list, Turning);PARAM(_L, O, l, 0);";
    for (int i = 1; i <= 22; ++i) body += "value(v" + std::to_string(i) + ");";
    Parse("18", body);
    const CCycle_Auto& many = *post.GetCycles()[0];
    EXPECT_EQ(many.paramCount, 40);
    EXPECT_EQ(many.params[39].name, "_P40");
    EXPECT_EQ(many.params[39].listCount, 0);
    const CCycle_Auto& list = *post.GetCycles()[1];
    EXPECT_EQ(list.params[0].listCount, 20);
    EXPECT_EQ(list.params[0].listTexts[19], "v20");
    EXPECT_EQ(Messages(),
              (Texts{"Ошибка постпроцессора в цикле G9.\nЦикл может содержать не более 40 параметров, "
                     "параметр _P41 пропущен",
                     "Ошибка постпроцессора в цикле G10.\nПараметр _L может содержать не более 20 значений, "
                     "значение v21 пропущено",
                     "Ошибка постпроцессора в цикле G10.\nПараметр _L может содержать не более 20 значений, "
                     "значение v22 пропущено"}));
}

TEST_F(StatementTest, MessagesKeepAPercentSignInTheirTexts) {
    Parse("18", "CYCLE(G%s1, a, b);PARAM(_A);");
    EXPECT_EQ(Messages(),
              Texts{"Ошибка постпроцессора в цикле G%s1.\nФункция PARAM должна содержать минимум 3 значения"});
}

TEST_F(StatementTest, TheParserKeepsLeadingBlanksWhileAScriptExportRuns) {
    {
        const ExportRunGuard exporting;
        Parse("18", "CODE(Head);PRINT(  <x>,  y);");
    }
    EXPECT_EQ(FrameTemplates::Find("Head")->code.at(0).text, "  <x>");
    EXPECT_EQ(FrameTemplates::Find("Head")->code.at(0).arguments, Texts{"y"});
    Parse("18", "CODE(Head);PRINT(  <x>,  y);");
    EXPECT_EQ(FrameTemplates::Find("Head")->code.at(0).text, "<x>");
}

TEST_F(StatementTest, TheCyclesTemplateIsMadeOnceAndSharedWithCopies) {
    Parse("18", "CYCLE(G1, a, b);PRINT(x);PRINT_END(y);CYCLE(G2, c, d);");
    const CCycle_Auto& g1 = *post.GetCycles()[0];
    ASSERT_NE(g1.cycleTemplate, nullptr);
    EXPECT_EQ(g1.cycleTemplate->code.size(), 1u);
    EXPECT_EQ(g1.cycleTemplate->printEnd.size(), 1u);
    EXPECT_EQ(post.GetCycles()[1]->cycleTemplate, nullptr);
    const CPostProcessor copy(post);
    EXPECT_EQ(copy.GetCycles()[0]->cycleTemplate, g1.cycleTemplate);
}

TEST_F(StatementTest, AParseReplacesTheGlobalTableList) {
    Parse("18", "TABLE(A, 0);ROW(0, 1);ROW(1, 2);");
    ASSERT_EQ(GlobalTableList().size(), 1u);
    EXPECT_EQ(GlobalTableList()[0].get(), post.GetTables()[0].get());
    CPostProcessor other("Q", "");
    PostProcessorSettings::Current().Version = "18";
    ParseCycleDefinition(other, "BEGIN_MACHINE_CYCLES");
    EXPECT_TRUE(GlobalTableList().empty());
}

// --- our descriptions, golden ---

struct GoldenCase {
    const char* description;  // under the fixture folder
    const char* golden;
};

class StatementGoldenTest : public test::CleanStateTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(StatementGoldenTest, ParsesIntoTheGoldenDump) {
    const fs::path path = test::FixturePath(GetParam().description);
    CPostProcessor post(path.stem().string(), path.string());
    ASSERT_TRUE(post.ReadPostProcessorDescription());
    const std::string dump = test::DumpStatements(post) + "messages" + test::JoinQuoted(Messages()) + "\n";
    test::ExpectGolden(std::string("post/") + GetParam().golden, dump);
}

INSTANTIATE_TEST_SUITE_P(Descriptions, StatementGoldenTest,
                         ::testing::Values(GoldenCase{"post/statements_v17.py3", "statements_v17.statements"},
                                           GoldenCase{"post/statements_v18.py3", "statements_v18.statements"},
                                           GoldenCase{"../../POSTPROCESSORS/ISO_Lathe.py3", "ISO_Lathe.statements"}));

TEST_F(SectionTest, TheInstalledDescriptionHasATemplateForEveryFrameKindTheOperationsWrite) {
    CPostProcessor post("ISO_Lathe", test::FixturePath("../../POSTPROCESSORS/ISO_Lathe.py3"));
    ASSERT_TRUE(post.ReadPostProcessorDescription());
    for (const char* kind :
         {"Head", "Safe", "Comm", "NameOper", "BegOper", "EndOper", "T",   "S",   "F",   "SF",  "G96",
          "G97",  "G40",  "G41",  "G42",      "G66",     "M01",     "M03", "M04", "M05", "M08", "M09",
          "M30",  "G00",  "G01",  "G02",      "G03",     "G04",     "G28", "SP",  "End", "Doc1"})
        EXPECT_NE(FrameTemplates::Find(kind), nullptr) << kind;
    for (const char* type : {"Turning", "Drilling", "Threading_Chisel", "Threading_Tap_Die"}) {
        ASSERT_GE(post.GetCountCyclesOfType(type), 1) << type;
        EXPECT_NE(post.GetCycleOfType(type, 0)->cycleTemplate, nullptr) << type;
    }
    EXPECT_TRUE(Messages().empty());
}

// --- random sections ---

TEST_F(StatementTest, RandomSectionsNeverBreakTheReader) {
    // Pieces that steer the scanner into every branch: keywords, lists, quotes,
    // table calls, statements cut short.
    const std::vector<std::string> pieces = {"CYCLE",
                                             "CYCLE_GROUP",
                                             "PARAM",
                                             "value",
                                             "CODE",
                                             "Head",
                                             "G01",
                                             "PRINT",
                                             "PRINT_TBL",
                                             "PRINT_CONTOUR",
                                             "PRINT_PNT",
                                             "FORMULA",
                                             "FORMAT",
                                             "number=",
                                             "code=",
                                             "%m=",
                                             "ALPHABET",
                                             "METRIC",
                                             "TABLE",
                                             "ROW",
                                             "COLUMN_NAMES",
                                             "select_from_table",
                                             "(",
                                             ")",
                                             ");",
                                             "();",
                                             ",",
                                             ",,",
                                             "'",
                                             " ",
                                             "\n",
                                             "X",
                                             "1",
                                             "-2.5",
                                             "OD",
                                             "OP",
                                             "=",
                                             "%s",
                                             "%f"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 1500; ++round) {
        ResetProcessState();
        std::string body;
        const int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i) body += pieces[random() % pieces.size()];
        if (random() % 4 == 0 && !body.empty()) body[random() % body.size()] = static_cast<char>(random() % 256);
        CPostProcessor fresh("R", "");
        PostProcessorSettings::Current().Version = random() % 2 ? "18" : "17";
        ParseCycleDefinition(fresh, "BEGIN_MACHINE_CYCLES" + body);
        for (const auto& c : fresh.GetCycles()) {
            ASSERT_LE(c->paramCount, CCadreCycle::kMaxParameters);
            for (const CycleParameter& p : c->params) ASSERT_LE(p.listCount, CycleParameter::kMaxListEntries);
        }
        ASSERT_EQ(GlobalTableList().size(), fresh.GetTables().size());
    }
}

}  // namespace
}  // namespace zarvento
