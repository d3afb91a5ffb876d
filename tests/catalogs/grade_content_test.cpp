// The composition read from a grade notation, and its completion of the
// contents the reference left out.
#include "catalogs/grade_content.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace zarvento {
namespace {

using Contents = std::initializer_list<std::pair<double MATERIAL::*, double>>;

MATERIAL Graded(const char* grade) {
    MATERIAL m;
    m.pGrade = grade;
    return m;
}

TEST(GradeContentTest, ReadsTheElementsOfTheNotation) {
    struct Case {
        const char* grade;
        char32_t letter;
        double content;
    };
    const Case cases[] = {
        {"40Х", U'_', 0.40},
        {"40Х", U'Х', 1.0},
        {"12Х18Н10Т", U'_', 0.12},
        {"12Х18Н10Т", U'Х', 18},
        {"12Х18Н10Т", U'Н', 10},
        {"12Х18Н10Т", U'Т', 1.0},
        {"12Х18Н10Т", U'М', 0},
        {"09Г2С", U'Г', 2},
        {"09Г2С", U'С', 1.0},
        {"Х12МФ", U'_', 0},
        {"Х12МФ", U'Х', 12},
        {"Х12МФ", U'М', 1.0},
        // carbon tool steels: tenths of a per cent; one digit after У is no grade
        {"У10", U'_', 1.0},
        {"У10А", U'_', 1.0},
        {"У8", U'_', 0},
        {"У8А", U'_', 0.8},
        // the quality mark А, the boiler К and the cast Л at the end name no element
        {"40ХН2МА", U'А', 0},
        {"40ХН2МА", U'М', 1.0},
        {"20К", U'К', 0},
        {"20К", U'_', 0.20},
        {"110Г13Л", U'_', 1.10},
        {"110Г13Л", U'Г', 13},
        {"35ХМЛ", U'М', 1.0},
        // marks in front: БСт / ВСт, У, К, М; А and a following С or Ц
        {"БСт3сп", U'_', 0},
        {"ВСт3", U'С', 1.0},
        {"А12", U'_', 0.12},
        {"АС40", U'_', 0.40},
        {"АС40", U'С', 0},
        {"АЦ45Г2", U'_', 0.45},
        {"АЦ45Г2", U'Г', 2},
        {"Ст3сп", U'С', 0},
        {"М1", U'_', 0},
        {"КЧ35-10", U'_', 0},
        // a number below zero after a letter counts nothing
        {"ПТ-7М", U'Т', 0},
        {"ПТ-7М", U'П', 1.0},
        {"1", U'_', 0},
        {"", U'_', 0},
    };
    for (const Case& c : cases) {
        MATERIAL m = Graded(c.grade);
        EXPECT_NEAR(GradeContent(m, c.letter), c.content, 1e-12) << c.grade;
    }
    MATERIAL none;
    EXPECT_EQ(GradeContent(none, U'_'), 0);
}

TEST(GradeContentTest, BearingAndHighSpeedGradesSetTheirAlloyWithTheCarbon) {
    MATERIAL bearing = Graded("ШХ15");
    EXPECT_EQ(GradeContent(bearing, U'_'), 1.0);
    EXPECT_NEAR(bearing.Cr, 1.5, 1e-12);

    MATERIAL highSpeed = Graded("Р18");
    EXPECT_EQ(GradeContent(highSpeed, U'_'), 1.0);
    EXPECT_EQ(highSpeed.W, 18);
    EXPECT_EQ(highSpeed.Cr, 3.5);
    EXPECT_EQ(highSpeed.V, 1.5);
}

// The У of a carbon tool steel scales its carbon, not an alloying letter:
// У8Г holds about 1 % manganese, not 10 %.
TEST(GradeContentTest, ToolSteelScaleAppliesToCarbonOnly) {
    MATERIAL m = Graded("У8Г");
    EXPECT_EQ(GradeContent(m, U'Г'), 1.0);
    EXPECT_NEAR(GradeContent(m, U'_'), 0.8, 1e-12);
}

// The Р that opens a high-speed grade is the grade's mark, not boron.
TEST(GradeContentTest, TheMarkOfAHighSpeedSteelIsNoBoron) {
    MATERIAL highSpeed = Graded("Р6М5");
    EXPECT_EQ(GradeContent(highSpeed, U'Р'), 0);
    EXPECT_EQ(GradeContent(highSpeed, U'М'), 5);
    MATERIAL boron = Graded("20ХГНР");
    EXPECT_EQ(GradeContent(boron, U'Р'), 1.0);
}

TEST(CompleteFromGradeTest, FillsOnlyWhatTheReferenceLeftOut) {
    MATERIAL m;
    m.sMaterial = "Сталь 12Х18Н10Т ГОСТ 5632-2014";
    m.Ni = 9.5;
    CompleteFromGrade(m);
    EXPECT_EQ(m.pGrade, "12Х18Н10Т");
    EXPECT_NEAR(m.C, 0.12, 1e-12);
    EXPECT_EQ(m.Cr, 18);
    EXPECT_EQ(m.Ni, 9.5);
    EXPECT_EQ(m.Ti, 1.0);
    for (double MATERIAL::*f : {&MATERIAL::Si, &MATERIAL::Mn, &MATERIAL::Mo, &MATERIAL::W, &MATERIAL::N, &MATERIAL::B})
        EXPECT_EQ(m.*f, 0);
}

TEST(CompleteFromGradeTest, HighSpeedAndBearingGradesSetCrVAndWWheneverCarbonIsMissing) {
    const auto complete = [](const char* designation, Contents read) {
        MATERIAL m;
        m.sMaterial = designation;
        for (const auto& [field, value] : read) m.*field = value;
        CompleteFromGrade(m);
        return m;
    };
    MATERIAL noCarbon = complete("Сталь Р18", {{&MATERIAL::Cr, 4.1}, {&MATERIAL::W, 17.8}, {&MATERIAL::V, 1.2}});
    EXPECT_EQ(noCarbon.C, 1.0);
    EXPECT_EQ(noCarbon.Cr, 3.5);
    EXPECT_EQ(noCarbon.W, 18);
    EXPECT_EQ(noCarbon.V, 1.5);
    MATERIAL withCarbon = complete("Сталь Р18", {{&MATERIAL::C, 0.78}, {&MATERIAL::Cr, 4.1}, {&MATERIAL::W, 17.8}});
    EXPECT_EQ(withCarbon.C, 0.78);
    EXPECT_EQ(withCarbon.Cr, 4.1);
    EXPECT_EQ(withCarbon.W, 17.8);
    EXPECT_EQ(withCarbon.V, 0);  // Ф is not in the grade

    MATERIAL bearing = complete("Сталь ШХ15 ГОСТ 801-78", {{&MATERIAL::Cr, 1.45}, {&MATERIAL::Mn, 0.3}});
    EXPECT_EQ(bearing.C, 1.0);
    EXPECT_NEAR(bearing.Cr, 1.5, 1e-12);
    EXPECT_EQ(bearing.Mn, 0.3);
}

// The notation is the steels': an aluminium alloy's В95 holds no tungsten.
TEST(CompleteFromGradeTest, OnlyASteelsGradeIsReadForItsComposition) {
    MATERIAL aluminium;
    aluminium.sMaterial = "Сплав В95 ГОСТ 4784-2019";
    aluminium.sGroup = "08.1";
    CompleteFromGrade(aluminium);
    EXPECT_EQ(aluminium.pGrade, "В95");
    EXPECT_EQ(aluminium.W, 0);

    MATERIAL steel;
    steel.sMaterial = "Сталь 40Х";
    for (const char* group : {"", "01.04", "05"}) {
        steel.sGroup = group;
        steel.C = steel.Cr = 0;
        CompleteFromGrade(steel);
        EXPECT_NEAR(steel.C, 0.4, 1e-12) << group;
        EXPECT_EQ(steel.Cr, 1.0) << group;
    }
}

}  // namespace
}  // namespace zarvento
