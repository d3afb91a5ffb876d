// The material record: its properties by name, the designation split into
// mark and standard, the grade, clearing.
#include "nc/material.h"

#include <gtest/gtest.h>

namespace zarvento {
namespace {

TEST(MaterialTest, EveryNumericPropertyHasItsNameAndTantalumNone) {
    MATERIAL m;
    const std::pair<const char*, double MATERIAL::*> names[] = {
        {"HB", &MATERIAL::HB},         {"HRC", &MATERIAL::HRC}, {"Density", &MATERIAL::Density},
        {"MCcode", &MATERIAL::MCcode}, {"C", &MATERIAL::C},     {"Cr", &MATERIAL::Cr},
        {"Ni", &MATERIAL::Ni},         {"Mn", &MATERIAL::Mn},   {"Ti", &MATERIAL::Ti},
        {"Al", &MATERIAL::Al},         {"Nb", &MATERIAL::Nb},   {"Si", &MATERIAL::Si},
        {"S", &MATERIAL::S},           {"P", &MATERIAL::P},     {"N", &MATERIAL::N},
        {"Mo", &MATERIAL::Mo},         {"B", &MATERIAL::B},     {"W", &MATERIAL::W},
        {"V", &MATERIAL::V},           {"Co", &MATERIAL::Co},   {"Cu", &MATERIAL::Cu},
        {"Zn", &MATERIAL::Zn},         {"Se", &MATERIAL::Se},   {"Fe", &MATERIAL::Fe},
        {"Pb", &MATERIAL::Pb},         {"Sb", &MATERIAL::Sb},   {"Vi", &MATERIAL::Vi},
        {"SumLeg", &MATERIAL::SumLeg},
    };
    for (const auto& [name, field] : names) EXPECT_EQ(m.FindValue(name), &(m.*field)) << name;
    for (const char* unknown : {"Ta", "Bi", "hb", "sMaterial", "", "C "}) EXPECT_EQ(m.FindValue(unknown), nullptr);
}

TEST(MaterialTest, MarkAndStandardAreSplitFromTheDesignationWhenAsked) {
    MATERIAL m;
    m.sMaterial = "Сталь 45  ГОСТ 1050-88";
    EXPECT_EQ(*m.FindString("sMark"), "Сталь 45");
    EXPECT_EQ(*m.FindString("sGOST"), "ГОСТ 1050-88");
    // Filled fields are kept; only an empty one is split again.
    m.sMaterial = "Сталь 20 ГОСТ 1050-2013";
    EXPECT_EQ(*m.FindString("sMark"), "Сталь 45");
    m.sGOST.clear();
    EXPECT_EQ(*m.FindString("sGOST"), "ГОСТ 1050-2013");
    EXPECT_EQ(m.sMark, "Сталь 20");

    MATERIAL plain;
    plain.sMaterial = "Сталь 45";
    EXPECT_EQ(*plain.FindString("sMark"), "");
    EXPECT_EQ(*plain.FindString("sGOST"), "");
    // A designation that starts with the standard keeps an empty mark.
    plain.sMaterial = "ГОСТ 380";
    EXPECT_EQ(*plain.FindString("sGOST"), "ГОСТ 380");
    EXPECT_EQ(plain.sMark, "");

    m.sLocation = "steel/45";
    EXPECT_EQ(*m.FindString("sLocation"), "steel/45");
    for (const char* name : {"sMaterial", "sGroup", "sMCcode"}) EXPECT_NE(m.FindString(name), nullptr);
    EXPECT_EQ(m.FindString("sSteelClass"), nullptr);
    EXPECT_EQ(m.FindString("HB"), nullptr);
}

TEST(MaterialTest, TheGradeIsTheWordAfterSteelOrAlloy) {
    const std::pair<const char*, const char*> cases[] = {
        {"Сталь 45 ГОСТ 1050-88", "45"},
        {"Сплав ВТ6 ГОСТ 19807-91", "ВТ6"},
        {"Сталь12Х18Н10Т ГОСТ", "12Х18Н10Т"},
        {"Чугун СЧ20 ГОСТ 1412-85", "Чугун"},
        {"40Х", "40Х"},
        {"Сталь", ""},
        {"", ""},
    };
    for (const auto& [designation, grade] : cases) EXPECT_EQ(MATERIAL::ExtractMark(designation), grade) << designation;
}

TEST(MaterialTest, ClearEmptiesEverything) {
    MATERIAL m;
    m.sMaterial = m.sSteelClass = "x";
    m.pGrade = "45";
    m.nSposobStock = 3;
    m.Ta = m.Vi = m.Density = 1;
    MATERIAL copy = m;
    EXPECT_EQ(copy.pGrade, "45");
    m.Clear();
    EXPECT_TRUE(m.sMaterial.empty() && m.sSteelClass.empty());
    EXPECT_FALSE(m.pGrade);
    EXPECT_EQ(m.nSposobStock, 0);
    EXPECT_EQ(m.Ta + m.Vi + m.Density, 0);
    EXPECT_EQ(copy.Ta, 1);
}

}  // namespace
}  // namespace zarvento
