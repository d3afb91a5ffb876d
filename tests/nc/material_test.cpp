// The material record: its properties by name, the designation split into
// mark and standard, the grade, clearing.
#include "nc/material.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace zarvento {
namespace {

// The record's numbers in their order, each with its name or "-" for none.
std::vector<std::pair<std::string, std::string>> RecordNumbers() {
    std::ifstream in(test::FixturePath("nc/material_numbers.txt"));
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string field, name;
        words >> field >> name;
        rows.emplace_back(field, name);
    }
    return rows;
}

// Members of one access are laid out in their order: each name must reach
// the number of its place, between the first (HB) and the last (Density),
// and tantalum's place is the one no name reaches.
TEST(MaterialTest, EveryNumericPropertyHasItsNameAndTantalumNone) {
    const auto rows = RecordNumbers();
    ASSERT_EQ(rows.size(), 29u);
    MATERIAL m;
    const double* previous = nullptr;
    std::set<const double*> named;
    for (const auto& [field, name] : rows) {
        SCOPED_TRACE(field);
        if (name == "-") {
            EXPECT_EQ(m.FindValue(field), nullptr);
            EXPECT_EQ(field, "Ta");
            EXPECT_TRUE(std::less<>()(previous, &m.Ta));
            previous = &m.Ta;
            continue;
        }
        const double* value = m.FindValue(name);
        ASSERT_NE(value, nullptr);
        EXPECT_TRUE(previous ? std::less<>()(previous, value) : value == &m.HB);
        named.insert(value);
        previous = value;
    }
    EXPECT_EQ(previous, &m.Density);
    EXPECT_EQ(named.size(), 28u);
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
