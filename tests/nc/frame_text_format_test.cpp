// Number and text formatting of frame text.
#include "nc/frame_text_format.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "nc/address_table.h"
#include "nc/modal_state.h"
#include "platform/core/variant.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

TEST(FormatAddressValue, ShortestExactFormAndZeroRules) {
    struct Case {
        const char* letter;
        double value;
        bool force;
        const char* text;
    };
    const Case cases[] = {
        {"F", 0.0, false, ""},           {"F", 0.0, true, "F0 "},         {"X", 0.0, false, "X0 "},
        {"Y", 0.0, false, "Y0 "},        {"Z", -0.0005, false, "Z0 "},    {"X", 12.5, false, "X12.5 "},
        {"Z", -3.25, false, "Z-3.25 "},  {"X", 1.2346, false, "X1.235 "}, {"X", 2.9995, false, "X3 "},
        {"X", 1.2999, false, "X1.300 "}, {"S", 1500, false, "S1500 "},    {"_MAXS", 0.0, false, ""},
        {"F", 0.15, false, "F0.15 "},    {"R", -5.0, false, "R-5 "},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatAddressValue(c.letter, c.value, c.force), c.text) << c.value;
}

class TemplateNumberTest : public CleanStateTest {};

TEST_F(TemplateNumberTest, FieldShapes) {
    struct Case {
        const char* pattern;
        double value;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"%3.3f", 12.5, "X12.5"},       {"%3.3.f", 12.0, "X12."},   {"%04.1f", 5.0, "X0005"},
        {"%04.1f", -5.0, "X-0005"},     {"%5f", 12.7, "X13"},       {"%52f", 1.256, "X1.26"},
        {"%5xf", 1.256, "X1"},          {"%3.3f", -0.00001, "X0"},  {"%3.3f", -0.0002, "X0"},
        {"%12345f", 1.0, std::nullopt}, {"%0f", 1.0, std::nullopt}, {"%xf", 1.0, std::nullopt},
        {"%x.3f", 1.0, std::nullopt},   {"%f", 1.0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTemplateNumber("X", c.pattern, c.value), c.text) << c.pattern << " " << c.value;
}

TEST_F(TemplateNumberTest, ModalAndNonZeroWordsLeaveTheAddressOut) {
    AddressTable::Global().AddWord("X");
    AddressTable::Global().AddWord("F");
    EXPECT_EQ(FormatTemplateNumber("G01 X", "%3.3m", 12.5), "G01 X12.5");
    EXPECT_EQ(FormatTemplateNumber("G01 X", "%3.3m", 12.5004), "G01 ");
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3m", 12.6), "X12.6");
    EXPECT_EQ(FormatTemplateNumber("F", "%3.3n", 0.0), "");
    EXPECT_EQ(FormatTemplateNumber("F", "%3.3n", 0.2), "F0.2");
    // A plain field always writes and makes the next modal field write too.
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3f", 12.6), "X12.6");
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3m", 12.6), "X12.6");
    // Without an address word nothing is left out.
    EXPECT_EQ(FormatTemplateNumber("Q", "%3.3n", 0.0), "Q0");
}

// A modal word is compared with what it printed last, not with the value
// asked for last: a run of steps each below the field's resolution once
// printed nothing at all while the target moved on by hundreds of them.
TEST_F(TemplateNumberTest, ModalWordsFollowTheTargetThroughStepsBelowTheirResolution) {
    AddressTable::Global().AddWord("X");
    const struct {
        const char* pattern;
        double step;
    } cases[] = {{"%6.3m", 0.0004}, {"%6.3m", 0.0009}, {"%5.2m", 0.004}, {"%5.0m", 0.3}};
    for (const auto& c : cases) {
        AddressTable::Global().Reset(0);
        double written = 0.0;
        ASSERT_EQ(FormatTemplateNumber("G01 X", c.pattern, 0.0), "G01 X0");
        for (int k = 1; k <= 500; ++k) {
            const double target = k * c.step;
            const std::string text = FormatTemplateNumber("G01 X", c.pattern, target).value_or("?");
            if (text != "G01 ") {
                ASSERT_TRUE(ParseDouble(text.substr(5), written)) << text;
            }
            const double resolution = 0.5 * std::pow(10.0, -(c.pattern[3] - '0'));
            EXPECT_LE(std::fabs(written - target), resolution + 1e-12) << c.pattern << " at " << target;
        }
    }
}

TEST_F(TemplateNumberTest, ScaledWordsPrintAndRememberTheScaledValue) {
    AddressTable::Global().AddWord("X");
    AddressTable::Global().SetFormula("X", "2");
    AddressTable::Global().Reset(0, [](const std::string& f, double& v) { return ParseDouble(f, v); });
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3m", 10.0), "X20");
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3m", 10.0), "");
}

// "G00 Xnan Zinf" and a 301-digit X once went into programs: a word no control
// reads is written as its letter and "?" and noted, so the program is refused.
TEST_F(TemplateNumberTest, WordsThatNoControlReadsAreRefusedAndNoted) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatTemplateNumber("G00 X", "%3.3m", nan), "G00 X?");
    EXPECT_EQ(FormatTemplateNumber(" Z", "%3.3f", -inf), " Z?");
    EXPECT_EQ(FormatTemplateNumber("S", "%5.0f", 1e300), "S?");
    EXPECT_EQ(FormatAddressValue("F", nan, false), "F? ");
    EXPECT_EQ(FormatAddressValue("_Zend=", 1e9, true), "_Zend=? ");
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3f", 999999999.0), "X999999999");
    EXPECT_EQ(ModalState.refusedWords,
              (std::vector<std::string>{"X=nan", "Z=-inf", "S=1e+300", "F=nan", "_Zend=1e+09"}));
    // A scale that blows a sane value up past the bound is caught too.
    ModalState.refusedWords.clear();
    AddressTable::Global().AddWord("X");
    AddressTable::Global().SetFormula("X", "1e300");
    AddressTable::Global().Reset(0, [](const std::string& f, double& v) { return ParseDouble(f, v); });
    EXPECT_EQ(FormatTemplateNumber("X", "%3.3m", 10.0), "X?");
    EXPECT_EQ(ModalState.refusedWords.size(), 1u);
}

TEST_F(TemplateNumberTest, NumberWordPrintsTheGivenNumberAndCounts) {
    ModalState.frameCounter = 7;
    EXPECT_EQ(FormatNumberWord("N%3f", 12), "N12");
    EXPECT_EQ(ModalState.frameCounter, 8);
    EXPECT_EQ(FormatNumberWord("N%03f", 5), "N005");
    EXPECT_EQ(FormatNumberWord("N", 5), std::nullopt);
    EXPECT_EQ(ModalState.frameCounter, 9);
}

TEST(FormatTemplateText, WidthAndShape) {
    EXPECT_EQ(FormatTemplateText("T=", "%s", "abc"), "T=abc");
    EXPECT_EQ(FormatTemplateText("", "%6s", "abc"), "abc   ");
    EXPECT_EQ(FormatTemplateText("", "%4t", "Щи"), "Щи  ");  // width counts characters
    EXPECT_EQ(FormatTemplateText("", "%x1s", "abc"), std::nullopt);
    EXPECT_EQ(FormatTemplateText("", "%99999s", "abc"), std::nullopt);
    const std::string longText(5000, 'a');
    EXPECT_EQ(FormatTemplateText("P", "%s", longText)->size(), 5001u);
}

TEST(FormatIntegerField, OnlyOneCheckedIntegerConversion) {
    struct Case {
        const char* format;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"T%d", "T3"},
        {"T%02d", "T03"},
        {"T%-3d|", "T3  |"},
        {"T%+d", "T+3"},
        {"T%.3d", "T003"},
        {"%d%%", "3%"},
        {"T%i", "T3"},
        {"T%s", std::nullopt},
        {"T%n", std::nullopt},
        {"T%d%d", std::nullopt},
        {"T", std::nullopt},
        {"T%ld", std::nullopt},
        {"T%99999d", std::nullopt},
        {"T%", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatIntegerField(c.format, 3), c.text) << c.format;
    EXPECT_EQ(FormatIntegerField("%05d", -42), "-0042");
    EXPECT_EQ(FormatSuffixed("Инструмент ", 7, "%d"), "Инструмент 7 ");
}

TEST(Transliterate, TableAndCapitals) {
    EXPECT_EQ(Transliterate("щ Щ ж Ю ъь ё"), "shch Shch zh Ju  e");
    EXPECT_EQ(Transliterate("Сверло 12"), "Sverlo 12");
    EXPECT_EQ(TransliterateUpper("ёd щ"), "ED SHCH");
    EXPECT_EQ(TransliterateUpper("резец 3"), "REZEC 3");
    const std::string longText(3000, 'b');
    EXPECT_EQ(Transliterate(longText), longText);
}

TEST(BlockSafeText, ControlCharactersAlwaysAndBracketsInsideComments) {
    EXPECT_EQ(BlockSafeText("a)b(c\r\nd\te\x7f", true), "a]b[c  d e ");
    EXPECT_EQ(BlockSafeText("T0101 (x)\n", false), "T0101 (x) ");
    EXPECT_EQ(BlockSafeText("Резец (T1)", true), "Резец [T1]");
    EXPECT_TRUE(IsInsideComment("N10 (T01 "));
    EXPECT_TRUE(IsInsideComment("(a) (b"));
    EXPECT_FALSE(IsInsideComment("(a) G00 "));
    EXPECT_FALSE(IsInsideComment("G00 X"));
}

// A name or a comment put into an export's XML by a template never closes
// the comment or the CDATA section the template opened before it.
TEST(MarkupSafeText, NothingClosesTheCommentOrTheSectionItStandsIn) {
    struct Case {
        const char* text;
        const char* before;
        const char* safe;
    };
    const Case cases[] = {
        {"a -- b---c-", "<!-- ", "a - - b- - -c- "},
        {"a -- b", "<!-- x --> <y>", "a -- b"},
        {"x]]>y]]>", "<operation><![CDATA[", "x]]]]><![CDATA[>y]]]]><![CDATA[>"},
        {"x]]>y", "<a><![CDATA[1]]></a> ", "x]]>y"},
        {"N10 -- ]]>", "G00 (", "N10 -- ]]>"},
    };
    for (const Case& c : cases) EXPECT_EQ(MarkupSafeText(c.text, c.before), c.safe) << c.text;
}

TEST(TruncateToInt32, RefusesWhatDoesNotFit) {
    std::int32_t n = 0;
    EXPECT_TRUE(TruncateToInt32(3.1, n));
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(TruncateToInt32(3e9, n));
    EXPECT_FALSE(TruncateToInt32(std::numeric_limits<double>::quiet_NaN(), n));
    EXPECT_FALSE(TruncateToInt32(-std::numeric_limits<double>::infinity(), n));
}

class AddressTableTest : public CleanStateTest {};

TEST_F(AddressTableTest, LongestWordEndingTheLineWins) {
    AddressTable& t = AddressTable::Global();
    t.AddWord("X");
    t.AddWord("Y");
    t.AddWord(" \r\nZ");
    t.AddWord("UZ");
    t.AddWord("X");
    EXPECT_EQ(t.Words().size(), 4u);
    int start = -1;
    double value = 5.0, scaled = 0.0;
    ASSERT_NE(t.FindWord("G01 XY  ", start, value, 'm', scaled), nullptr);
    EXPECT_EQ(start, 5);
    EXPECT_EQ(value, 1e10);
    start = -1;
    value = 1.0;
    EXPECT_EQ(*t.FindWord("G00 UZ", start, value, 'm', scaled), "UZ");
    start = 3;
    value = 1.0;
    EXPECT_EQ(t.FindWord("X", start, value, 'm', scaled), nullptr);
    t.SaveValues();
    start = -1;
    value = 7.0;
    t.FindWord("X", start, value, 'f', scaled);
    EXPECT_EQ(*t.LastValue("X"), 100000.0);
    t.RestoreValues();
    EXPECT_EQ(*t.LastValue("X"), 1e10);
    t.Reset(0);
    EXPECT_EQ(*t.LastValue("UZ"), 100000.0);
    EXPECT_EQ(t.LastValue("Q"), nullptr);
}

class ModalStateTest : public CleanStateTest {};

TEST_F(ModalStateTest, NamedResetValuesKeepTheBuildersTexts) {
    ModalState.versionText = "18";
    ModalState.errorTexts = {"e"};
    ModalState.builtInTextWritten = 1;
    ModalState.frameCounter = 9;
    ModalState.heldLine = "held";
    ResetModalState();
    EXPECT_EQ(ModalState.previousTool, -1);
    EXPECT_EQ(ModalState.spindleState, 5);
    EXPECT_EQ(ModalState.frameCounter, 0);
    EXPECT_EQ(ModalState.templatesEnabled, 1);
    EXPECT_EQ(ModalState.constantSpeed, 0);
    EXPECT_EQ(ModalState.heldLine, "");
    EXPECT_EQ(ModalState.versionText, "18");
    EXPECT_EQ(ModalState.builtInTextWritten, 1);
    {
        ExportRunGuard guard;
        EXPECT_EQ(ModalState.exportRun, 1);
    }
    EXPECT_EQ(ModalState.exportRun, 0);
}

}  // namespace
}  // namespace zarvento
