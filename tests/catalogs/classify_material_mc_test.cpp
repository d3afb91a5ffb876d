// The MC classification over a table of materials of every group, with the
// hardness on and beside the boundaries of its rules.
#include "catalogs/classify_material_mc.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace zarvento {
namespace {

using Contents = std::initializer_list<std::pair<double MATERIAL::*, double>>;

constexpr const char* kPrevious = "previous";
constexpr const char* kNoCode = "";

struct Case {
    const char* what;
    const char* group;
    const char* grade;
    double HB;
    double HRC;
    int stock;
    Contents contents;
    const char* code;                  // kNoCode: no rule covers it
    const char* steelClass = nullptr;  // checked when given
    const char* designation = "";
};

MATERIAL Make(const Case& c) {
    MATERIAL m;
    m.sGroup = c.group;
    m.pGrade = c.grade;
    m.sMaterial = c.designation;
    m.HB = c.HB;
    m.HRC = c.HRC;
    m.nSposobStock = c.stock;
    m.sMCcode = kPrevious;
    m.sSteelClass = kPrevious;
    for (const auto& [field, value] : c.contents) m.*field = value;
    return m;
}

// Compositions by grade, as the reference gives them (middles of ranges).
const Contents kSteel45 = {{&MATERIAL::C, 0.46},   {&MATERIAL::Si, 0.27}, {&MATERIAL::Mn, 0.65},
                           {&MATERIAL::Cr, 0.125}, {&MATERIAL::Ni, 0.15}, {&MATERIAL::Cu, 0.15}};
const Contents kSteel40X = {{&MATERIAL::C, 0.40},  {&MATERIAL::Si, 0.27}, {&MATERIAL::Mn, 0.65},
                            {&MATERIAL::Cr, 0.95}, {&MATERIAL::Ni, 0.15}, {&MATERIAL::Cu, 0.15}};
const Contents kHighSpeed = {{&MATERIAL::C, 0.86},  {&MATERIAL::Cr, 4.1},  {&MATERIAL::W, 6},    {&MATERIAL::V, 1.9},
                             {&MATERIAL::Mo, 5.05}, {&MATERIAL::Mn, 0.35}, {&MATERIAL::Si, 0.35}};
const Contents k12X18H10T = {{&MATERIAL::C, 0.06}, {&MATERIAL::Si, 0.4},  {&MATERIAL::Mn, 1.0}, {&MATERIAL::Cr, 18},
                             {&MATERIAL::Ni, 10},  {&MATERIAL::Ti, 0.65}, {&MATERIAL::Cu, 0.15}};
const Contents k08X18H10 = {{&MATERIAL::C, 0.04}, {&MATERIAL::Si, 0.4}, {&MATERIAL::Mn, 1.0},
                            {&MATERIAL::Cr, 18},  {&MATERIAL::Ni, 10},  {&MATERIAL::Cu, 0.15}};
const Contents kDuplex = {{&MATERIAL::C, 0.04}, {&MATERIAL::Si, 0.4},  {&MATERIAL::Mn, 0.4}, {&MATERIAL::Cr, 22},
                          {&MATERIAL::Ni, 5.8}, {&MATERIAL::Ti, 0.52}, {&MATERIAL::Cu, 0.15}};
const Contents kSuperAustenitic = {{&MATERIAL::C, 0.01}, {&MATERIAL::Cr, 20},  {&MATERIAL::Ni, 25},
                                   {&MATERIAL::Mn, 1.5}, {&MATERIAL::Si, 0.5}, {&MATERIAL::Mo, 4.5},
                                   {&MATERIAL::Cu, 1.5}};
const Contents k20X13 = {{&MATERIAL::C, 0.205}, {&MATERIAL::Si, 0.4}, {&MATERIAL::Mn, 0.4},
                         {&MATERIAL::Cr, 13},   {&MATERIAL::Ni, 0.3}, {&MATERIAL::Cu, 0.15}};
const Contents k14X17H2 = {{&MATERIAL::C, 0.14}, {&MATERIAL::Si, 0.4}, {&MATERIAL::Mn, 0.4},
                           {&MATERIAL::Cr, 17},  {&MATERIAL::Ni, 2},   {&MATERIAL::Cu, 0.15}};
const Contents k12X17 = {{&MATERIAL::C, 0.06}, {&MATERIAL::Si, 0.4}, {&MATERIAL::Mn, 0.4},
                         {&MATERIAL::Cr, 17},  {&MATERIAL::Ni, 0.3}, {&MATERIAL::Cu, 0.15}};
const Contents kNickelBase = {{&MATERIAL::C, 0.035}, {&MATERIAL::Cr, 20.5}, {&MATERIAL::Ni, 74.3},
                              {&MATERIAL::Ti, 2.6},  {&MATERIAL::Al, 0.8},  {&MATERIAL::Fe, 0.5}};
const Contents kIronNickel = {{&MATERIAL::C, 0.05}, {&MATERIAL::Cr, 15}, {&MATERIAL::Ni, 35}, {&MATERIAL::Mn, 1}};
const Contents kTitanium = {{&MATERIAL::Ti, 89}, {&MATERIAL::Al, 6}, {&MATERIAL::V, 4.4}};
const Contents kPureTitanium = {{&MATERIAL::Ti, 99.47}, {&MATERIAL::Fe, 0.12}};
const Contents kGreyIron = {{&MATERIAL::C, 3.4}, {&MATERIAL::Si, 1.9}, {&MATERIAL::Mn, 0.85}};
const Contents kWrought = {{&MATERIAL::Al, 92.8}, {&MATERIAL::Cu, 4.35}, {&MATERIAL::Mn, 0.6}, {&MATERIAL::Si, 0.25}};
const Contents kSilumin = {{&MATERIAL::Al, 87}, {&MATERIAL::Si, 11.5}, {&MATERIAL::Fe, 0.75}};
const Contents kBrass = {{&MATERIAL::Cu, 58.5}, {&MATERIAL::Zn, 39.5}, {&MATERIAL::Pb, 1.35}};

TEST(ClassifyMaterialMcTest, TableOfMaterials) {
    const Case cases[] = {
        // H: hardened, whatever the group
        {"40Х hardened", "01.04", "40Х", 480, 50, 0, kSteel40X, "H1.1.Z.HA"},
        {"ШХ15 hardened, 63 nearest", "03.01", "ШХ15", 600, 62, 0, {}, "H1.4.Z.HA"},
        {"HRC between 45 and 50", "01.01", "45", 450, 47.5, 0, {}, "H1.4.Z.HA"},
        {"HRC 45", "01.01", "45", 430, 45, 0, {}, "H1.0.Z.HA"},
        {"hard cast iron", "06.1", "СЧ35", 420, 0, 0, kGreyIron, "H2.0.C.UT"},
        {"HB 400 in an aluminium group", "08.1", "Д16", 400, 0, 0, kWrought, kNoCode},
        {"HB just below 400", "01.01", "45", 399.9, 50, 0, kSteel45, "P1.2.Z.HT"},
        // P1: unalloyed, "at least as near" keeps the tie for the first code
        {"45 at 207", "01.01", "45", 207, 0, 0, kSteel45, "P1.2.Z.HT"},
        {"45 equally near 210 and 190", "01.01", "45", 200, 0, 0, kSteel45, "P1.2.Z.HT"},
        {"45 nearer 190", "01.01", "45", 199.9, 0, 0, kSteel45, "P1.2.Z.AN"},
        {"10 equally near 190 and 125", "01.01", "10", 157.5, 0, 0, {{&MATERIAL::C, 0.1}}, "P1.1.Z.HT"},
        {"10 nearer 125", "01.01", "10", 157, 0, 0, {{&MATERIAL::C, 0.1}}, "P1.1.Z.AN"},
        {"carbon 0.25 is low carbon", "01.01", "25", 100, 0, 0, {{&MATERIAL::C, 0.25}}, "P1.1.Z.AN"},
        {"60 equally near 300 and 190", "01.01", "60", 245, 0, 0, {{&MATERIAL::C, 0.61}}, "P1.3.Z.HT"},
        {"60 nearer 190", "01.01", "60", 244, 0, 0, {{&MATERIAL::C, 0.61}}, "P1.3.Z.AN"},
        {"free-cutting А12", "01.03", "А12", 300, 0, 0, {{&MATERIAL::C, 0.12}}, "P1.4.Z.AN"},
        {"cast, plan's 3", "01.01", "35Л", 225, 0, 3, {{&MATERIAL::C, 0.3}}, "P1.5.C.AN"},
        {"cast, 5", "01.01", "35Л", 224, 0, 5, {{&MATERIAL::C, 0.3}}, "P1.5.C.UT"},
        // P2: low-alloyed
        {"40Х", "01.04", "40Х", 217, 0, 0, kSteel40X, "P2.2.Z.AN"},
        {"manganese 1.651 is alloyed",
         "01.06",
         "20Г2",
         150,
         0,
         0,
         {{&MATERIAL::C, 0.2}, {&MATERIAL::Mn, 1.651}},
         "P2.1.Z.AN"},
        {"high carbon, chromium 1.5",
         "03.01",
         "ШХ15",
         197,
         0,
         0,
         {{&MATERIAL::C, 1.0}, {&MATERIAL::Cr, 1.5}},
         "P2.3.Z.AN"},
        {"within 15 of 330", "01.04", "40Х", 316, 0, 0, kSteel40X, "P2.5.Z.HT"},
        {"15 from 330", "01.04", "40Х", 315, 0, 0, kSteel40X, "P2.2.Z.AN"},
        {"cast equally near 380 and 200", "01.04", "40ХЛ", 290, 0, 3, kSteel40X, "P2.6.C.HT"},
        {"cast nearer 200", "01.04", "40ХЛ", 289, 0, 3, kSteel40X, "P2.6.C.UT"},
        {"free-cutting alloyed", "01.03", "А40Г", 207, 0, 0, {{&MATERIAL::C, 0.4}, {&MATERIAL::Mn, 1.8}}, "P2.4.Z.AN"},
        {"alloys summing to 5",
         "01.04",
         "x",
         200,
         0,
         0,
         {{&MATERIAL::C, 0.3}, {&MATERIAL::Ni, 4}, {&MATERIAL::Cr, 1}},
         "P2.2.Z.AN"},
        // P3: high-alloyed
        {"alloys summing above 5",
         "01.04",
         "x",
         200,
         0,
         0,
         {{&MATERIAL::C, 0.3}, {&MATERIAL::Ni, 4}, {&MATERIAL::Cr, 1.01}},
         "P3.0.Z.AN"},
        {"high-speed group", "02.03", "Р6М5", 241, 0, 0, kHighSpeed, "P3.1.Z.AN"},
        {"tool steel equally near 200 and 380", "02.02", "Х12МФ", 290, 0, 0, kHighSpeed, "P3.0.Z.HT"},
        {"cast manganese steel",
         "01.04",
         "110Г13Л",
         200,
         0,
         3,
         {{&MATERIAL::C, 1.1}, {&MATERIAL::Mn, 13}},
         "P3.2.C.AQ"},
        {"cast high-alloyed equally near", "02.02", "x", 270, 0, 3, kHighSpeed, "P3.0.C.HT"},
        // M: stainless, by the nearest prototype
        {"12Х18Н10Т, A2 ties A3 and is earlier", "04.01", "12Х18Н10Т", 179, 0, 0, k12X18H10T, "M1.3.Z.AQ",
         "аустенитная A2"},
        {"cast stabilised", "04.01", "12Х18Н9ТЛ", 179, 0, 3, k12X18H10T, "M1.3.C.AQ"},
        {"cast unstabilised", "04.01", "10Х18Н9Л", 179, 0, 3, k08X18H10, "M1.0.C.UT"},
        {"08Х18Н10", "04.01", "08Х18Н10", 179, 0, 0, k08X18H10, "M1.0.Z.AQ", "аустенитная A2"},
        {"08Х18Н10 equally near 200 and 300", "04.01", "08Х18Н10", 250, 0, 0, k08X18H10, "M1.0.Z.PH"},
        {"free-cutting austenitic", "04.01", "А08Х18Н10", 179, 0, 0, k08X18H10, "M1.2.Z.AQ"},
        {"SANMAC", "04.01", "SANMAC304L", 179, 0, 0, k08X18H10, "M1.1.Z.AQ"},
        {"duplex", "04.02", "08Х22Н6Т", 200, 0, 0, kDuplex, "M3.1.Z.AQ", "аустинитно-ферритная"},
        {"duplex equally near 260 and 230", "04.02", "08Х22Н6Т", 245, 0, 0, kDuplex, "M3.2.Z.AQ"},
        {"super-austenitic", "04.01", "904L", 170, 0, 0, kSuperAustenitic, "M2.0.Z.AQ", "супераустенитная"},
        {"super-austenitic cast", "04.01", "904L", 170, 0, 5, kSuperAustenitic, "M2.0.C.AQ"},
        {"20Х13", "04.03", "20Х13", 197, 0, 0, k20X13, "P5.0.Z.AN", "мартенситная C1"},
        {"14Х17Н2", "04.03", "14Х17Н2", 285, 0, 0, k14X17H2, "P5.0.Z.HT", "мартенситная C3"},
        {"martensitic cast equally near 330 and 250", "04.03", "20Х13Л", 290, 0, 3, k20X13, "P5.0.C.HT"},
        {"free-cutting martensitic", "04.03", "А20Х13", 197, 0, 0, k20X13, "P5.1.Z.AN"},
        {"12Х17", "04.04", "12Х17", 183, 0, 0, k12X17, "P5.0.Z.AN", "ферритная F1"},
        // S: heat-resistant and titanium
        {"nickel base, 275 nearest", "05.02", "ХН77ТЮР", 300, 0, 0, kNickelBase, "S2.0.Z.UT"},
        {"nickel base at 250", "05.02", "ХН77ТЮР", 250, 0, 0, kNickelBase, "S2.0.Z.AN"},
        {"nickel base between 250 and 275", "05.02", "ХН77ТЮР", 262.5, 0, 0, kNickelBase, "S2.0.Z.UT"},
        {"nickel base cast", "05.02", "ЖС6К", 300, 0, 5, kNickelBase, "S2.0.C.NS"},
        {"iron-nickel equally near 280 and 200", "05.01", "x", 240, 0, 0, kIronNickel, "S1.2.U.AG"},
        {"iron-nickel nearer 200", "05.01", "x", 239, 0, 0, kIronNickel, "S1.1.U.AN"},
        {"molybdenum above 10",
         "05.01",
         "x",
         239,
         0,
         0,
         {{&MATERIAL::Ni, 40}, {&MATERIAL::Cr, 16}, {&MATERIAL::Mo, 12}},
         "S6.0.U.NS"},
        {"tungsten base", "12", "x", 300, 0, 0, {{&MATERIAL::W, 90}, {&MATERIAL::Ni, 5}}, "S5.0.U.NS"},
        {"cobalt base equally near 300 and 200", "12", "x", 250, 0, 0, {{&MATERIAL::Co, 75}}, "S3.0.Z.AG"},
        {"cobalt base cast", "12", "x", 250, 0, 3, {{&MATERIAL::Co, 75}}, "S3.0.C.NS"},
        {"pure titanium", "11.1", "ВТ1-0", 150, 0, 0, kPureTitanium, "S4.1.Z.UT"},
        {"ОТ4", "11.1", "ОТ4", 240, 0, 0, kTitanium, "S4.2.Z.AN"},
        {"ВТ6", "11.2", "ВТ6", 300, 0, 0, kTitanium, "S4.3.Z.AN"},
        {"ВТ6С equally near 375 and 330", "11.2", "ВТ6С", 352.5, 0, 0, kTitanium, "S4.3.Z.AG"},
        {"ВТ15 equally near 410 and 330", "11.2", "ВТ15", 370, 0, 0, kTitanium, "S4.4.Z.AG"},
        {"ВТ15 nearer 330", "11.2", "ВТ15", 369, 0, 0, kTitanium, "S4.4.Z.AN"},
        {"titanium in no list", "11.1", "ПТ-1М", 200, 0, 0, {{&MATERIAL::Ti, 98.5}}, kNoCode},
        {"titanium by content in another group", "07.1", "x", 200, 0, 0, {{&MATERIAL::Ti, 60}}, kNoCode},
        // K: cast irons
        {"grey at 200", "06.1", "СЧ20", 200, 0, 0, kGreyIron, "K2.1.C.UT"},
        {"grey between 180 and 245", "06.1", "СЧ20", 212.5, 0, 0, kGreyIron, "K2.3.C.UT"},
        {"grey at 230", "06.1", "СЧ25", 230, 0, 0, kGreyIron, "K2.2.C.UT"},
        {"grey between 175 and 180", "06.1", "СЧ15", 177.5, 0, 0, kGreyIron, "K2.3.C.UT"},
        {"ductile at 170", "06.3", "ВЧ40", 170, 0, 0, kGreyIron, "K3.1.C.UT"},
        {"ductile at 200, 190 nearest", "06.3", "ВЧ50", 200, 0, 0, kGreyIron, "K3.4.C.UT"},
        {"ductile at 265", "06.3", "ВЧ60", 265, 0, 0, kGreyIron, "K3.3.C.UT"},
        {"austempered between 300 and 400", "06.2", "ВЧ100", 350, 0, 0, kGreyIron, "K5.3.C.NS"},
        {"austempered at 320", "06.2", "ВЧ100", 320, 0, 0, kGreyIron, "K5.1.C.NS"},
        {"malleable at 290", "06.2", "КЧ60-3", 290, 0, 0, kGreyIron, "K1.2.C.NS"},
        {"malleable equally near 200 and 260", "06.2", "КЧ45-7", 230, 0, 0, kGreyIron, "K1.2.C.NS"},
        {"malleable at 150", "06.2", "КЧ35-10", 150, 0, 0, kGreyIron, "K1.1.C.NS"},
        {"vermicular", "06.2", "Чугун", 150, 0, 0, kGreyIron, "K4.1.C.UT", nullptr, "Чугун ЧВГ35 ГОСТ 28394-89"},
        {"vermicular equally near", "06.2", "Чугун", 195, 0, 0, kGreyIron, "K4.2.C.UT", nullptr,
         "Чугун ЧВГ40 ГОСТ 28394-89"},
        // N: non-ferrous
        {"wrought aluminium", "08.1", "Д16", 105, 0, 0, kWrought, "N1.2.Z.AG"},
        {"wrought equally near 60 and 100", "08.1", "Д16", 80, 0, 0, kWrought, "N1.2.Z.AG"},
        {"wrought soft", "08.1", "АМг6", 79, 0, 0, kWrought, "N1.2.Z.UT"},
        {"pure aluminium", "08.1", "АД31", 50, 0, 0, {{&MATERIAL::Al, 98.5}, {&MATERIAL::Si, 0.4}}, "N1.1.Z.UT"},
        {"silumin rolled", "08.2", "АК12", 50, 0, 0, kSilumin, kNoCode},
        {"silumin cast", "08.2", "АК12", 50, 0, 3, kSilumin, "N1.3.C.UT"},
        {"silumin cast equally near 75 and 90", "08.2", "АК12", 82.5, 0, 5, kSilumin, "N1.3.C.AG"},
        {"cast aluminium, little silicon", "08.2", "АМ5", 70, 0, 3, {{&MATERIAL::Si, 1.05}}, "N1.2.C.NS"},
        {"cast hypereutectic", "08.2", "АК18", 90, 0, 3, {{&MATERIAL::Si, 14}}, "N1.4.C.NS"},
        {"cast above 16 silicon", "08.2", "АК21", 90, 0, 3, {{&MATERIAL::Si, 20}}, "N1.5.C.NS"},
        {"magnesium", "10.1", "МА2-1", 55, 0, 0, {{&MATERIAL::Al, 4.4}}, "N2.0.C.UT"},
        {"copper", "07.3", "М1", 45, 0, 0, {{&MATERIAL::Cu, 99.95}, {&MATERIAL::Pb, 0.0025}}, "N3.1.U.UT"},
        {"leaded brass", "07.1", "ЛС59-1", 90, 0, 0, kBrass, "N3.3.U.UT"},
        {"some lead, equally near 90 and 35", "07.1", "ЛС63-3", 62.5, 0, 0, {{&MATERIAL::Pb, 0.5}}, "N3.2.S.UT"},
        {"some lead, nearer 90", "07.1", "ЛС63-3", 70, 0, 0, {{&MATERIAL::Pb, 0.5}}, "N3.2.C.UT"},
        {"hard bronze", "07.2", "БрБ2", 230, 0, 0, {}, "N3.4.C.UT"},
        {"zinc alloy", "09.1", "ЦАМ4-1", 90, 0, 0, {{&MATERIAL::Zn, 94.8}}, "N4.0.C.UT"},
        {"zinc alloy in a steel group", "01", "Zn-Al4", 90, 0, 0, {{&MATERIAL::Zn, 95}}, "N4.0.C.UT"},
        {"a group without rules", "09.1", "x", 90, 0, 0, {}, kNoCode},
    };
    for (const Case& c : cases) {
        MATERIAL m = Make(c);
        ClassifyMaterialMC(m);
        EXPECT_EQ(m.sMCcode, c.code) << c.what;
        if (c.steelClass) {
            EXPECT_EQ(m.sSteelClass, c.steelClass) << c.what;
        }
    }
}

TEST(ClassifyMaterialMcTest, TheTotalOfAlloyingElementsLeavesOutCarbonAndImpurities) {
    MATERIAL m;
    double value = 1;
    for (double MATERIAL::*f :
         {&MATERIAL::Cr, &MATERIAL::Ni, &MATERIAL::Mn, &MATERIAL::Ti, &MATERIAL::Al, &MATERIAL::Nb, &MATERIAL::Ta,
          &MATERIAL::Si, &MATERIAL::N, &MATERIAL::Mo, &MATERIAL::B, &MATERIAL::W, &MATERIAL::V, &MATERIAL::Co,
          &MATERIAL::Cu, &MATERIAL::Zn, &MATERIAL::Se, &MATERIAL::Pb})
        m.*f = value++;
    for (double MATERIAL::*f : {&MATERIAL::C, &MATERIAL::S, &MATERIAL::P, &MATERIAL::Fe, &MATERIAL::Sb, &MATERIAL::Vi})
        m.*f = 1000;
    ClassifyMaterialMC(m);
    EXPECT_EQ(m.SumLeg, 18 * 19 / 2);
}

// Far from every prototype, none wins: the austenitic rules apply and the
// class stays as it was; just inside the cap the nearest one wins.
TEST(ClassifyMaterialMcTest, NoPrototypeWinsAtAMillionOrMore) {
    const auto classify = [](double chromium) {
        MATERIAL m;
        m.sGroup = "04";
        m.pGrade = "x";
        m.HB = 150;
        m.sSteelClass = kPrevious;
        m.C = 0.02;
        m.Cr = chromium;
        m.Ni = 5;
        m.Mo = 3;
        m.Mn = 1;
        m.Cu = 0.45;
        ClassifyMaterialMC(m);
        return m;
    };
    const MATERIAL far = classify(1100);
    EXPECT_EQ(far.sMCcode, "M1.0.Z.AQ");
    EXPECT_EQ(far.sSteelClass, kPrevious);
    // (1022 - 23)² + 0.45² is below a million for the duplex prototype only.
    const MATERIAL near = classify(1022);
    EXPECT_EQ(near.sSteelClass, "аустинитно-ферритная");
    EXPECT_EQ(near.sMCcode, "M3.1.Z.AQ");
}

}  // namespace
}  // namespace zarvento
