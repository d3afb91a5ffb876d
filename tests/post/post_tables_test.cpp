// Post-processor tables and address words: nearest look-ups, select_from_table
// on its own and inside formulas, the word that ends a line, METRIC factors
// with _INCH, and the links the formulas reach them by.
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "nc/address_table.h"
#include "nc/frame_templates.h"
#include "nc/parameters.h"
#include "nc/post_links.h"
#include "post/cycle_definition_parser.h"
#include "post/post_processor.h"
#include "post/post_processor_links.h"
#include "post/post_processor_settings.h"
#include "post/post_processor_table.h"
#include "test_support.h"

namespace zarvento {
namespace {

// The plan's variables as a program run sees them; _INCH stands in for the
// program settings' units until the program record sets them.
class PlanStandIn : public PARAMETERS {
public:
    const double* GetParameter(std::string_view name) override {
        asked.emplace_back(name);
        auto v = values.find(std::string(name));
        return v == values.end() ? nullptr : &v->second;
    }
    std::map<std::string, double> values;
    std::vector<std::string> asked;
};

std::shared_ptr<PostProcessorTable> Table(std::string name, std::vector<std::vector<double>> rows) {
    auto t = std::make_shared<PostProcessorTable>();
    t->name = std::move(name);
    t->rows = std::move(rows);
    t->Finish();
    return t;
}

using TablesTest = test::CleanStateTest;

TEST_F(TablesTest, FinishingBuildsKeysAndPaddedRows) {
    const auto t = Table("T", {{0, 10}, {5, 1, 2, 3}, {6}});
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->columnKeys, (std::vector<double>{10, 0, 0}));
    EXPECT_EQ(t->dataRows, (std::vector<std::vector<double>>{{5, 1, 2, 3}, {6, 0, 0, 0}}));
    EXPECT_EQ(t->lookupMode, PostProcessorTable::kNearest);
    const auto empty = Table("E", {});
    EXPECT_EQ(empty->width, 0);
    EXPECT_FALSE(empty->HasData());
}

struct LookupCase {
    const char* name;
    std::vector<std::vector<double>> rows;
    double x, y;
    double expected;
};

class LookupTest : public TablesTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupTest, TakesTheNearestRowAndColumn) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(Table("T", c.rows)->Lookup(c.x, c.y), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, LookupTest,
    ::testing::Values(LookupCase{"NearestBoth", {{0, 10, 20}, {5, 1, 2}}, 4, 16, 2},
                      LookupCase{"EarlierRowOnATie", {{0, 10}, {2, 7}, {4, 9}}, 3, 0, 7},
                      LookupCase{"EarlierColumnOnATie", {{0, 10, 20}, {1, 3, 4}}, 1, 15, 3},
                      LookupCase{"OutsideTheKeys", {{0, 10, 20}, {1, 3, 4}, {2, 5, 6}}, 99, -99, 5},
                      LookupCase{"TwoWideUsesColumnZero", {{0, 100}, {1, 5}, {3, 7}}, 2.9, 1e6, 7},
                      LookupCase{"FallingKeys", {{0, 30, 20, 10}, {9, 1, 2, 3}, {5, 4, 5, 6}}, 6, 12, 6},
                      LookupCase{"OneWideHasNoValues", {{0}, {1}}, 1, 0, 0},
                      LookupCase{"NoDataRow", {{0, 10, 20}}, 0, 10, 0}),
    [](const ::testing::TestParamInfo<LookupCase>& row) { return std::string(row.param.name); });

TEST_F(TablesTest, SelectFromTableNeedsThreePartsAndANamedTableWithData) {
    PlanStandIn plan;
    plan.values = {{"_D", 4.0}};
    const std::vector<PostProcessorTablePtr> tables = {
        Table("Empty", {{0, 10}}), Table("Feeds", {{0, 10, 20}, {5, 1, 2}}), Table("Feeds", {{0, 10}, {1, 99}})};
    double r = -1.0;
    EXPECT_TRUE(SelectFromTable(tables, r, " Feeds ; _D; 16", true, plan));
    EXPECT_EQ(r, 2.0);
    EXPECT_TRUE(SelectFromTable(tables, r, "'Feeds';_D*0;'10'", true, plan));
    EXPECT_EQ(r, 1.0);
    r = -1.0;
    for (const char* bad : {" Feeds ; _D", "Feeds;1;2;3", "feeds;1;2", "Empty;0;10", ""}) {
        EXPECT_FALSE(SelectFromTable(tables, r, bad, true, plan)) << bad;
        EXPECT_EQ(r, -1.0) << bad;
    }
}

TEST_F(TablesTest, AFailingFormulaGoesOnWithTheNextTableOfThatName) {
    PlanStandIn plan;
    plan.values = {{"_D", 1.0}};
    const std::vector<PostProcessorTablePtr> tables = {Table("T", {{0, 10}, {1, 5}}), Table("T", {{0, 10}, {1, 6}})};
    double r = 0.0;
    // The unknown variable fails on every table; nothing answers.
    EXPECT_FALSE(SelectFromTable(tables, r, "T;_UNKNOWN;1", true, plan));
    EXPECT_TRUE(SelectFromTable(tables, r, "T;_D;1", true, plan));
    EXPECT_EQ(r, 5.0);
}

class ParsedTablesTest : public TablesTest {
protected:
    void Parse(const std::string& body) {
        PostProcessorSettings::Current().Version = "18";
        ParseCycleDefinition(post, "BEGIN_MACHINE_CYCLES\n" + body);
    }
    // The first field formula of the G01 template.
    static std::string FrameTemplatesFormula() { return FrameTemplates::Find("G01")->code.at(0).arguments.at(0); }
    CPostProcessor post{"P", ""};
};

TEST_F(ParsedTablesTest, FormulasLookUpTheTablesOfTheDescriptionReadLast) {
    ASSERT_EQ(GetPostLinks(), &PostProcessorLinks::Instance());
    Parse(
        "TABLE(Feeds, 0);ROW(0, 10, 20);ROW(5, 1, 2);ROW(8, -3, -4);"
        "CODE(G01);PRINT(F%f, 2*select_from_table('Feeds', _D, 16)+1);");
    const std::string formula = FrameTemplatesFormula();
    EXPECT_EQ(formula, "2*select_from_table( Feeds ; _D; 16)+1");
    PlanStandIn plan;
    plan.values = {{"_D", 4.0}};
    double v = 0.0;
    ASSERT_TRUE(plan.CalcFormula(v, formula, true));
    EXPECT_EQ(v, 5.0);
    plan.values["_D"] = 9.0;  // a negative value stays one operand
    ASSERT_TRUE(plan.CalcFormula(v, formula, true));
    EXPECT_EQ(v, -7.0);

    // The tables go with the next description.
    CPostProcessor other("Q", "");
    ParseCycleDefinition(other, "BEGIN_MACHINE_CYCLES");
    EXPECT_FALSE(plan.CalcFormula(v, formula, true));
}

TEST_F(ParsedTablesTest, ATableIsLookedUpOnlyOnceItHasADataRow) {
    Parse("TABLE(Speeds, 0);ROW(0, 10, 20);TABLE(Late, 0);");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Ошибка постпроцессора.\nТаблица Speeds не содержит строк данных",
                                                    "Ошибка постпроцессора.\nТаблица Late не содержит строк данных"}));
    PlanStandIn plan;
    double v = 0.0;
    EXPECT_FALSE(PostProcessorLinks::Instance().SelectFromTable(v, "Speeds;0;10", true, plan));
}

// --- address words ---

struct FindWordCase {
    const char* name;
    std::vector<const char*> words;
    const char* line;
    int start;
    char suffix;
    const char* found;  // null: none
    int startAfter;
};

class FindWordTest : public TablesTest, public ::testing::WithParamInterface<FindWordCase> {};

TEST_P(FindWordTest, TakesTheLongestWordThatEndsTheLine) {
    const FindWordCase& c = GetParam();
    AddressTable& table = AddressTable::Global();
    for (const char* w : c.words) table.AddWord(w);
    int start = c.start;
    double value = 7.0;
    double scaled = -1.0;
    const std::string* name = table.FindWord(c.line, start, value, c.suffix, scaled);
    if (c.found == nullptr) {
        EXPECT_EQ(name, nullptr);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(value, 7.0);
        return;
    }
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(*name, c.found);
    EXPECT_EQ(start, c.startAfter);
    EXPECT_EQ(value, 1e10);  // a new word's last value
    EXPECT_EQ(scaled, 7.0);
    EXPECT_EQ(*table.LastValue(c.found), c.suffix == 'f' ? 100000.0 : 7.0);
}

INSTANTIATE_TEST_SUITE_P(Lines, FindWordTest,
                         ::testing::Values(FindWordCase{"EndsWithX", {"X", "Y"}, "G01 X", -1, 'm', "X", 4},
                                           FindWordCase{"TrailingBlanks", {"X", "Y"}, "G01 X   ", -1, 'm', "X", 4},
                                           FindWordCase{"XYEndsWithY", {"X", "Y"}, "G01 XY", -1, 'm', "Y", 5},
                                           FindWordCase{"LongerWordWins", {"Z", "UZ"}, "G00 UZ", -1, 'm', "UZ", 4},
                                           FindWordCase{
                                               "LongerWordWinsInEitherOrder", {"UZ", "Z"}, "G00 UZ", -1, 'm', "UZ", 4},
                                           FindWordCase{"MustBeginAfterStart", {"Z", "UZ"}, "G00 UZ", 4, 'm', "Z", 5},
                                           FindWordCase{"NothingAfterStart", {"X"}, "G01 X", 4, 'm', nullptr, 0},
                                           FindWordCase{"NoWordAtTheEnd", {"X"}, "G01 X1", -1, 'm', nullptr, 0},
                                           FindWordCase{"EmptyLine", {"X"}, "", -1, 'm', nullptr, 0},
                                           FindWordCase{"SuffixFForgets", {"F"}, "G01 F", -1, 'f', "F", 4}),
                         [](const ::testing::TestParamInfo<FindWordCase>& row) { return std::string(row.param.name); });

class MetricTest : public ParsedTablesTest, public ::testing::WithParamInterface<std::pair<int, double>> {};

TEST_P(MetricTest, ResetTakesTheFactorsOfTheUnits) {
    Parse("ALPHABET(X, Z, S);METRIC(_INCH==1 ? 1/25.4 : (_INCH==2 ? 0.1 : 1), X, Z);");
    PlanStandIn plan;
    plan.values = {{"_INCH", GetParam().first}};
    EXPECT_EQ(ResetAddressWords(3, &plan), 3);
    for (const char* word : {"X", "Z", "S"}) {
        int start = -1;
        double value = 1.0;
        double scaled = 0.0;
        ASSERT_NE(AddressTable::Global().FindWord(std::string("G01 ") + word, start, value, 'm', scaled), nullptr);
        EXPECT_EQ(value, 100000.0) << word;  // nothing written since the reset
        EXPECT_NEAR(scaled, std::string(word) == "S" ? 1.0 : GetParam().second, 1e-12) << word;
    }
}

INSTANTIATE_TEST_SUITE_P(Units, MetricTest,
                         ::testing::Values(std::pair{0, 1.0}, std::pair{1, 1.0 / 25.4}, std::pair{2, 0.1}));

TEST_F(ParsedTablesTest, AFactorOfAboutZeroOrAFailingFormulaLeavesOne) {
    Parse("ALPHABET(X, Z, Y);METRIC(0.0000001, X);METRIC(_NONE, Z);METRIC(-2, Y);");
    PlanStandIn plan;
    ResetAddressWords(0, &plan);
    const auto& words = AddressTable::Global().Words();
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].factor, 1.0);
    EXPECT_EQ(words[1].factor, 1.0);
    EXPECT_EQ(words[2].factor, -2.0);
    ResetAddressWords(0, nullptr);
    EXPECT_EQ(words[2].factor, 1.0);
}

TEST_F(ParsedTablesTest, FramesReadTheLastWrittenValueOfAWord) {
    Parse("ALPHABET(X);METRIC(2, X);");
    PlanStandIn plan;
    ResetAddressWords(0, &plan);
    int start = -1;
    double value = 21.0;
    double scaled = 0.0;
    AddressTable::Global().FindWord("G00 X", start, value, 'm', scaled);
    EXPECT_EQ(scaled, 42.0);
    const double* x = GetPostLinks()->AddressWordValue("X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(*x, 42.0);
    EXPECT_EQ(GetPostLinks()->AddressWordValue("x"), nullptr);

    AddressTable::Global().SaveValues();
    start = -1;
    value = 1.0;
    AddressTable::Global().FindWord("G00 X", start, value, 'm', scaled);
    EXPECT_EQ(*x, 2.0);
    AddressTable::Global().RestoreValues();
    EXPECT_EQ(*GetPostLinks()->AddressWordValue("X"), 42.0);
}

}  // namespace
}  // namespace zarvento
