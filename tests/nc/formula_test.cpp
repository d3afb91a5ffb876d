// The formula evaluator: arithmetic, functions, the logical layer, error
// texts, table substitution, cycle detection and robustness on bad text.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "nc/parameters.h"
#include "nc_test_support.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::FakePostLinks;
using test::VariableTable;

class FormulaTest : public test::CleanStateTest {
protected:
    FormulaTest() { vars.values = {{"a", 2}, {"b", 3}, {"c", 4}, {"d", 5}, {"X", 1.5}}; }
    VariableTable vars;
};

constexpr double kPreset = 42.0;
constexpr const char* kNoMessage = "";

// What one evaluation shows: success, the result's bits (a NaN included),
// both error texts and the variables asked for, in order.
struct Outcome {
    bool ok = false;
    std::uint64_t bits = 0;
    std::string errorText;
    std::string globalErrorText;
    std::vector<std::string> asked;
    bool operator==(const Outcome&) const = default;
};

template <class Formula>
Outcome Evaluate(VariableTable& vars, const Formula& formula) {
    vars.errorText.clear();
    vars.asked.clear();
    FormulaErrorText.clear();
    double result = kPreset;
    Outcome o;
    o.ok = vars.CalcFormula(result, formula, true);
    o.bits = std::bit_cast<std::uint64_t>(result);
    o.errorText = vars.errorText;
    o.globalErrorText = FormulaErrorText;
    o.asked = vars.asked;
    return o;
}

// A formula parsed once answers exactly as its text does.
void ExpectParsedAsText(VariableTable& vars, const std::string& text) {
    const Outcome byText = Evaluate(vars, std::string_view(text));
    const ParsedFormula parsed(text);
    EXPECT_TRUE(Evaluate(vars, parsed) == byText) << text;
    EXPECT_TRUE(Evaluate(vars, parsed) == byText) << text << " (again)";
    FormulaErrorText.clear();
}

struct Case {
    const char* formula;
    bool ok;
    double value;  // kPreset: the result must be left as it was
    const char* error = kNoMessage;
};

class FormulaTableTest : public FormulaTest {
protected:
    template <std::size_t N>
    void ExpectCases(const Case (&cases)[N]) {
        for (const Case& c : cases) {
            vars.errorText.clear();
            double result = kPreset;
            EXPECT_EQ(vars.CalcFormula(result, c.formula, true), c.ok) << c.formula;
            EXPECT_NEAR(result, c.ok ? c.value : kPreset, 1e-12) << c.formula;
            EXPECT_EQ(vars.errorText, c.error) << c.formula;
            EXPECT_EQ(FormulaErrorText, "") << c.formula;
            ExpectParsedAsText(vars, c.formula);
        }
    }
};

TEST_F(FormulaTableTest, EvaluatesTheTable) {
    const Case cases[] = {
        // Precedence: ^ binds tightest and folds left; the leading sign binds before it.
        {"2+3*4", true, 14},
        {"(2+3)*4", true, 20},
        {"2^3^2", true, 64},
        {"-2^2", true, 4},
        {"10/4/5", true, 0.5},
        {"7-2-1", true, 4},
        {"2*3^2", true, 18},
        {"a*b+c/d", true, 6.8},
        // Signs.
        {"2*-3", false, kPreset, kFormulaSyntaxError},
        {"2*(-3)", true, -6},
        {"a--b", true, 5},
        {"a+-b", true, -1},
        {"a - - b", true, 5},
        {"2^-1", false, kPreset, kFormulaSyntaxError},
        {"2*/3", false, kPreset, kFormulaSyntaxError},
        {"2+", false, kPreset, kFormulaSyntaxError},
        {"$0", false, kPreset, kFormulaSyntaxError},
        {"  \r\n 3", true, 3},
        // Numbers: no exponent, "." and "5." read as usual.
        {".", true, 0},
        {"5.", true, 5},
        {".5", true, 0.5},
        {"1.2.3", false, kPreset},
        {"1e-5", false, kPreset},
        // Division and functions (radians).
        {"1/0.0000001", false, kPreset, kFormulaDivisionByZero},
        {"1/(a-2)", false, kPreset, kFormulaDivisionByZero},
        {"sqrt(4)", true, 2},
        {"-sqrt(4)", true, -2},
        {"sqrt(-1)", false, kPreset, kFormulaSqrtNegative},
        {"sin(90)", true, std::sin(90.0)},
        {"cos(0)", true, 1},
        {"tan(1)", true, std::tan(1.0)},
        {"asin(1)", true, std::asin(1.0)},
        {"atan(1)*4", true, std::atan(1.0) * 4},
        {"log(exp(2))", true, 2},
        {"abs(-3)", true, 3},
        {"floor(-1.5)", true, -2},
        {"ceil(1.2)", true, 2},
        {"inv(0)", true, 1},
        {"inv(a)", true, 0},
        {"sqrt(abs(-16))+1", true, 5},
        {"foo(1)", false, kPreset},
        {"sinx(1)", false, kPreset},
        {"2(3)", false, kPreset},
        {"SIN(1)", false, kPreset},
        // Parentheses.
        {"()", true, kPreset},
        {"1+()", true, 1},
        {"(1+2", false, kPreset},
        {"1+2)", false, kPreset},
        {")(", false, kPreset},
        // Conditional, logical and comparison layer.
        {"1 ? 5 : 7", true, 5},
        {"0 ? 5 : 7", true, 7},
        {"0 ? 5", false, kPreset},
        {"2 ? 5", true, 5},
        {"a>1 ? a : b", true, 2},
        {"0 ? 1 : 0 ? 2 : 3", true, 3},
        {"1==1.0000005", true, 1},
        {"1<1.0000005", true, kPreset},
        {"1!=1.0000005", true, kPreset},
        {"1!=1.000002", true, 1},
        {"1>=1.0000005", true, 1},
        {"1<=0.9999995", true, 1},
        {"2>1", true, 1},
        {"1>1.0000005", true, kPreset},
        {"a = b", false, kPreset},
        {"2 && 0", true, 0},
        {"0 || 3", true, 1},
        {"2 && 3", true, 1},
        {"0 || 0", true, 0},
        {"0 && 0 || 1", true, 0},  // split at the first operator: a && (b || c)
        // Both sides are evaluated even when the left one decides.
        {"0 && q", false, kPreset},
        {"1 || q", false, kPreset},
        // Nothing to evaluate.
        {"", true, kPreset},
        {"   ", true, kPreset},
    };
    ExpectCases(cases);
}

// Pins the traps of a naive reading: skipping the character after "?" and
// ":", stripping an outer "(" and ")" that are no pair, and refusing sqrt(0).
TEST_F(FormulaTableTest, ConditionalWithoutBlanksMatchedPairsAndSqrtOfZero) {
    const Case cases[] = {
        // The conditional's parts were cut one character after "?" and ":".
        {"1?5:7", true, 5},
        {"0?5:7", true, 7},
        {"1 ?", true, 0},
        {"1 ? 5 :", true, 5},
        {"?", false, kPreset},
        {":", false, kPreset},
        // Splits and the enclosing pair respect parentheses.
        {"(a+b)*(c+d)", true, 45},
        {"(a>1) && (b<2)", true, 0},
        {"(a>1) && (b>2)", true, 1},
        {"1 ? (0 ? 5 : 6) : 7", true, 6},
        {"((a>1))", true, 1},
        {"(a<1) || (a==2)", true, 1},
        // sqrt(0) is 0; rounding noise below zero reads as 0.
        {"sqrt(0)", true, 0},
        {"sqrt(0-0.0000001)", true, 0},
        {"sqrt(0.0001)", true, 0.01},
    };
    ExpectCases(cases);
}

TEST_F(FormulaTest, ExponentIsNotReadAndTheRestIsAVariable) {
    double result = 0;
    EXPECT_FALSE(vars.CalcFormula(result, "1e-5", true));
    EXPECT_EQ(vars.asked, (std::vector<std::string>{"1e"}));
}

TEST_F(FormulaTest, VariablesAreCaseSensitiveAndUnknownOnesFailSilently) {
    double result = 0;
    EXPECT_TRUE(vars.CalcFormula(result, "X*2", true));
    EXPECT_DOUBLE_EQ(result, 3);
    EXPECT_FALSE(vars.CalcFormula(result, "x*2", true));
    EXPECT_EQ(vars.errorText, "");
}

TEST_F(FormulaTest, TheHundredAndFirstGroupFails) {
    std::string hundred = "(1)";
    for (int i = 1; i < kMaxFormulaGroups; ++i) hundred += "+(1)";
    double result = 0;
    EXPECT_TRUE(vars.CalcFormula(result, hundred, true));
    EXPECT_DOUBLE_EQ(result, 100);
    result = 0;
    EXPECT_FALSE(vars.CalcFormula(result, hundred + "+(1)", true));
    EXPECT_EQ(result, 0);
}

TEST_F(FormulaTest, TableLookupIsSubstitutedOnceWithSevenDecimals) {
    FakePostLinks links;
    links.table = [](double& r, std::string_view args, bool, PARAMETERS&) {
        r = args == "'T'; 1; 2" ? 1.23456789 : -1.5;
        return true;
    };
    double result = 0;
    ASSERT_TRUE(vars.CalcFormula(result, "select_from_table('T'; 1; 2)*2", true));
    EXPECT_DOUBLE_EQ(result, 2 * 1.2345679);
    EXPECT_EQ(links.tableCalls, (std::vector<std::string>{"'T'; 1; 2"}));
    // Only the first call is replaced; the second is then no variable.
    EXPECT_FALSE(vars.CalcFormula(result, "select_from_table('T'; 1; 2)+select_from_table('T'; 1; 2)", true));
    EXPECT_EQ(links.tableCalls.size(), 2u);
    // A negative value keeps the formula valid after an operator.
    ASSERT_TRUE(vars.CalcFormula(result, "2*select_from_table('U';1;1)", true));
    EXPECT_DOUBLE_EQ(result, -3);
    // Empty arguments, a failed look-up or no post-processor: evaluated as it stands, and failing.
    EXPECT_FALSE(vars.CalcFormula(result, "select_from_table()", true));
    EXPECT_EQ(links.tableCalls.size(), 3u);
    links.table = nullptr;
    EXPECT_FALSE(vars.CalcFormula(result, "select_from_table('T'; 1; 2)", true));
}

TEST_F(FormulaTest, NoPostProcessorMeansNoTable) {
    double result = 0;
    EXPECT_FALSE(vars.CalcFormula(result, "select_from_table('T'; 1; 2)", true));
}

TEST_F(FormulaTest, TrueCycleIsRefusedWithTheGlobalText) {
    vars.formulas = {{"P1", "P2+1"}, {"P2", "P1+1"}};
    double result = 0;
    EXPECT_FALSE(vars.CalcFormula(result, "P1", true));
    EXPECT_EQ(FormulaErrorText, kFormulaCyclicDependency);
    EXPECT_EQ(FormulaErrorText, "Циклическая зависимость ");
    FormulaErrorText.clear();
    vars.formulas = {{"P1", "P1*2"}};
    EXPECT_FALSE(vars.CalcFormula(result, "P1*2", true));
    EXPECT_EQ(FormulaErrorText, kFormulaCyclicDependency);
}

// Two parameters with the same formula text are no cycle, nor is one
// variable read twice.
TEST_F(FormulaTest, EqualFormulaTextsInOneEvaluationAreNoCycle) {
    vars.formulas = {{"P1", "P3+P4"}, {"P3", "X*2"}, {"P4", "X*2"}, {"P5", "P3+P3"}};
    double result = 0;
    ASSERT_TRUE(vars.CalcFormula(result, "P1+P5", true));
    EXPECT_DOUBLE_EQ(result, 12);
    EXPECT_EQ(FormulaErrorText, "");

    FakePostLinks links;
    links.table = [](double& r, std::string_view, bool reset, PARAMETERS& p) {
        double a = 0, b = 0;
        if (!p.CalcFormula(a, "P3", reset) || !p.CalcFormula(b, "P3", reset)) return false;
        r = a + b;
        return true;
    };
    vars.formulas["Q"] = "select_from_table('T'; P3; P3)";
    ASSERT_TRUE(vars.CalcFormula(result, "Q+1", true));
    EXPECT_DOUBLE_EQ(result, 7);
}

TEST_F(FormulaTest, CallersTextIsLeftAsItWas) {
    FakePostLinks links;
    links.table = [](double& r, std::string_view, bool, PARAMETERS&) { return r = 2, true; };
    const std::string formula = " (select_from_table('T';1;1) + 1) ";
    const std::string copy = formula;
    double result = 0;
    ASSERT_TRUE(vars.CalcFormula(result, formula, true));
    EXPECT_DOUBLE_EQ(result, 3);
    EXPECT_EQ(formula, copy);
}

TEST_F(FormulaTest, DeepNestingIsAnErrorNotACrash) {
    double result = 0;
    std::string nested = "1";
    for (int i = 0; i < kMaxFormulaDepth / 2; ++i) nested = "1+(" + nested + ")";
    ASSERT_TRUE(vars.CalcFormula(result, nested, true));
    EXPECT_DOUBLE_EQ(result, kMaxFormulaDepth / 2 + 1);

    const std::string enclosed = std::string(kMaxFormulaDepth / 2, '(') + "1" + std::string(kMaxFormulaDepth / 2, ')');
    ASSERT_TRUE(vars.CalcFormula(result, enclosed, true));
    EXPECT_DOUBLE_EQ(result, 1);
    const std::string deep = std::string(20000, '(') + "1" + std::string(20000, ')');
    vars.errorText.clear();
    EXPECT_FALSE(vars.CalcFormula(result, deep, true));
    EXPECT_EQ(vars.errorText, kFormulaTooDeep);
    const std::string deepSum = [] {
        std::string s;
        for (int i = 0; i < 20000; ++i) s += "1+(";
        return s + "1" + std::string(20000, ')');
    }();
    result = 0;
    EXPECT_FALSE(vars.CalcFormula(result, deepSum, true));
    EXPECT_EQ(vars.errorText, kFormulaTooDeep);

    std::string chain = "1";
    for (int i = 0; i < 20000; ++i) chain += " && 1";
    EXPECT_FALSE(vars.CalcFormula(result, chain, true));
    std::string ternary;
    for (int i = 0; i < 20000; ++i) ternary += "0 ? 1 : ";
    ternary += "1";
    EXPECT_FALSE(vars.CalcFormula(result, ternary, true));

    // A long flat formula is no nesting at all.
    std::string flat = "1";
    for (int i = 0; i < 20000; ++i) flat += "+1";
    ASSERT_TRUE(vars.CalcFormula(result, flat, true));
    EXPECT_DOUBLE_EQ(result, 20001);
}

// Parsing is for the formulas of templates; a table look-up and nesting no
// evaluation could finish stay text, and answer as the text does.
TEST_F(FormulaTest, ParsedFormulasAnswerAsTheirTexts) {
    EXPECT_TRUE(ParsedFormula("_THREAD==0 && _F>0.0005").IsParsed());
    EXPECT_TRUE(ParsedFormula("a>1 ? sqrt(a*b) : (c-d)/2").IsParsed());
    EXPECT_FALSE(ParsedFormula("select_from_table('T'; 1; 2)*2").IsParsed());
    const std::string deep = std::string(20000, '(') + "1" + std::string(20000, ')');
    EXPECT_FALSE(ParsedFormula(deep).IsParsed());

    vars.formulas = {{"P1", "P2+1"}, {"P2", "P1+1"}, {"P3", "X*2"}, {"Z", "1/0"}};
    std::string nested = "1";
    for (int i = 0; i < kMaxFormulaDepth / 2 - 1; ++i) nested = "a+(" + nested + ")";
    std::string hundred = "(1)";
    for (int i = 1; i <= kMaxFormulaGroups; ++i) hundred += "+(b)";
    const std::string texts[] = {
        "P1",           "P3*P3+Z", "0/0+b",  "Z+c", "sqrt(0-a)+d", "(c>1) ? P3 : b",     "log(0-a)", "1)+(2",
        "(1",           "abs$0",   "q(1)+a", deep,  nested,        "((" + nested + "))", hundred,    "2*-3",
        "(a<b)==(c<d)", "1 ? 2",   "",
    };
    for (const std::string& text : texts) ExpectParsedAsText(vars, text);
    // Enclosing pairs just at the depth limit, directly and through a variable's formula.
    const auto enclosed = [](int pairs) { return std::string(pairs, '(') + "a" + std::string(pairs, ')'); };
    vars.formulas["N"] = enclosed(kMaxFormulaDepth - 2);
    for (const std::string& text : {enclosed(kMaxFormulaDepth - 1), enclosed(kMaxFormulaDepth), std::string("N"),
                                    std::string("(N)"), std::string("1+(N)")})
        ExpectParsedAsText(vars, text);
}

// Random and truncated texts: every outcome is a clean true or false, a
// failure leaves the result, and any message is one of the evaluator's.
TEST_F(FormulaTest, RandomAndTruncatedTextsNeverCrash) {
    vars.formulas = {{"P", "a*(b+P)"}, {"Q", "sqrt(a)"}};
    FakePostLinks links;
    links.table = [](double& r, std::string_view args, bool, PARAMETERS&) { return r = double(args.size()), true; };
    const std::string known[] = {"", kFormulaSyntaxError, kFormulaDivisionByZero, kFormulaSqrtNegative,
                                 kFormulaTooDeep};
    const auto check = [&](const std::string& text) {
        vars.errorText.clear();
        double result = kPreset;
        const bool ok = vars.CalcFormula(result, text, true);
        if (!ok) {
            EXPECT_EQ(result, kPreset) << text;
        }
        EXPECT_NE(std::find(std::begin(known), std::end(known), vars.errorText), std::end(known)) << text;
        ExpectParsedAsText(vars, text);
    };

    const std::string samples[] = {
        "a>1 ? sqrt(a*b) : (c-d)/2",
        "(a+b)*(c+d)^2-floor(X/0.3)",
        "select_from_table('T'; a; b)*2",
        "(a>1) && (b<2) || inv(c)",
        "0 ? P : Q",
        "-2^2+atan(1)*4-log(exp(1))",
    };
    for (const std::string& s : samples)
        for (std::size_t n = 0; n <= s.size(); ++n) check(s.substr(0, n));

    std::mt19937 random(20261209);
    const std::string alphabet = "0123456789.+-*/^()?:&|<>=! $abcdXPQsqrtincoflg_'";
    std::uniform_int_distribution<std::size_t> length(0, 48);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string text(length(random), ' ');
        for (char& ch : text) ch = alphabet[pick(random)];
        check(text);
    }
}

}  // namespace
}  // namespace zarvento
