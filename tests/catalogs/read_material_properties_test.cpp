// Reading a material from the reference into the part's provider and its
// material record: the hardness candidates, the range rule, the units, the
// grade completion and the classification; and the bundled reference read
// whole, in this process and through its program.
#include <gtest/gtest.h>

#include "catalogs/integrator_ex.h"
#include "catalogs/integrator_reference_client.h"
#include "materials_test_support.h"
#include "nc/detail_parameters.h"
#include "platform/processes/host_environment.h"

namespace zarvento {
namespace {

using reference::ElementPropertyId;
using reference::Material;
using reference::MaterialProperty;

class ReadMaterialTest : public test::CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        env.Set("XDG_CONFIG_HOME", (dir / "config").c_str());
        SetIntegratorLibraryFile(dir / "lib" / "libzarvento.so");
        previousStock = RegisterStockFormSource(nullptr);
    }
    void TearDown() override {
        RegisterStockFormSource(previousStock);
        CatalogTest::TearDown();
    }

    // Serves these materials from this process.
    void Serve(const std::vector<Material>& materials) {
        std::string error;
        ASSERT_TRUE(reference::WriteMaterialDatabase(materials, dir / "materials.db", error)) << error;
        std::shared_ptr<const reference::MaterialDatabase> database =
            reference::MaterialDatabase::Open(dir / "materials.db", error);
        ASSERT_TRUE(database) << error;
        ComponentRegistry::RegisterClassObject(Integrator::kServerClassId,
                                               std::make_shared<test::InProcessReference>(database));
    }
    // Reads `location` into `part` through a started client.
    void Read(const std::string& location, DETAIL_PARAMETERS& part) {
        IntegratorEx client;
        ASSERT_TRUE(client.InitIntegrator("", std::nullopt)) << client.ErrorText();
        client.ReadMaterialProperties(location, part);
    }
    static MaterialProperty Element(const char* symbol, std::string low, std::string high = {}) {
        return {ElementPropertyId(symbol), std::move(low), std::move(high)};
    }

    test::EnvironmentScope env;
    StockFormSource previousStock = nullptr;
};

TEST_F(ReadMaterialTest, FillsTheProviderAndTheRecord) {
    Serve({{"t/45",
            "Сталь 45 ГОСТ 1050-2013",
            {{IntegratorEx::kGroup, "01.01", ""},
             {IntegratorEx::kHardnessA, "207", ""},
             {IntegratorEx::kHardnessB, "229", ""},
             {IntegratorEx::kSigmV, "6e+08", ""},
             {IntegratorEx::kKVMet, "1.25", ""},
             {IntegratorEx::kXMat, "1", ""},
             {IntegratorEx::kKShl, "0,8", ""},
             Element("C", "0.42", "0.50"),
             Element("Si", "0.17", "0.37"),
             Element("Mn", "0.50", "0.80"),
             Element("Cr", "0", "0.25"),
             Element("Ni", "0.3"),
             Element("Cu", "0.30", "0.20"),
             Element("S", "0.04", "0.04")}}});
    DETAIL_PARAMETERS part;
    part.materialName = "Сталь 45 ГОСТ 1050-2013";
    part.AddNumeric("Density", 7.826, "Плотность, г/см3");
    part.material->Mo = 0.7;  // left from an earlier material: the reference now says none
    part.material->sSteelClass = "аустенитная A2";
    Read("t/45", part);

    EXPECT_EQ(part.materialGroup, "01.01");
    EXPECT_EQ(part.hardnessHB, 207);
    EXPECT_EQ(part.hardnessHRC, 0);
    EXPECT_DOUBLE_EQ(part.tensileStrength, 600);
    EXPECT_EQ(part.kvMet, 1.25);
    EXPECT_EQ(part.xMat, 1);
    EXPECT_EQ(part.kShl, 0.8);

    const MATERIAL& m = *part.material;
    EXPECT_EQ(m.sMaterial, "Сталь 45 ГОСТ 1050-2013");
    EXPECT_EQ(m.sGroup, "01.01");
    EXPECT_EQ(m.HB, 207);
    EXPECT_EQ(m.Density, 7.826);
    EXPECT_EQ(m.nSposobStock, 0);
    EXPECT_DOUBLE_EQ(m.C, 0.46);
    EXPECT_DOUBLE_EQ(m.Cr, 0.125);
    EXPECT_EQ(m.Ni, 0.3);
    EXPECT_EQ(m.Cu, 0.3);  // a second value below the first is no range
    EXPECT_EQ(m.S, 0.04);
    EXPECT_EQ(m.Mo, 0);
    EXPECT_EQ(m.pGrade, "45");
    EXPECT_EQ(m.sMCcode, "P1.2.Z.HT");
    EXPECT_EQ(m.sSteelClass, "");
    EXPECT_EQ(part.mcCodeText, "P1.2.Z.HT");

    // The part's "MTRL." variables answer from the record.
    EXPECT_DOUBLE_EQ(*part.GetParameter("MTRL.C"), 0.46);
    EXPECT_EQ(*part.GetParameter("MTRL.HB"), 207);
    EXPECT_EQ(*part.GetStringParameter("MTRL.sMCcode"), "P1.2.Z.HT");
    EXPECT_EQ(*part.GetStringParameter("MTRL.sGOST"), "ГОСТ 1050-2013");
    EXPECT_EQ(*part.GetStringParameter("MTRL.sMark"), "Сталь 45");
}

TEST_F(ReadMaterialTest, TheSecondHardnessOnlyLowersTheFirst) {
    struct Case {
        const char* a;
        const char* b;
        double before;
        double hb;
    };
    const Case cases[] = {
        {"200", "180", 0, 180}, {"180", "200", 0, 180}, {"", "180", 0, 0},    {"", "180", 250, 180},
        {"200", "", 0, 200},    {"", "", 150, 150},     {"0", "0", 120, 120}, {"210", "", 150, 210},
    };
    std::vector<Material> materials;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        Material m{"t/" + std::to_string(k), "Сталь 20", {{IntegratorEx::kGroup, "01.01", ""}}};
        if (*cases[k].a) m.properties.push_back({IntegratorEx::kHardnessA, cases[k].a, ""});
        if (*cases[k].b) m.properties.push_back({IntegratorEx::kHardnessB, cases[k].b, ""});
        materials.push_back(m);
    }
    Serve(materials);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        DETAIL_PARAMETERS part;
        part.hardnessHB = cases[k].before;
        Read("t/" + std::to_string(k), part);
        EXPECT_EQ(part.hardnessHB, cases[k].hb) << k;
        EXPECT_EQ(part.material->HB, cases[k].hb) << k;
    }
}

TEST_F(ReadMaterialTest, HrcIsTakenOnlyWhileThePartHasNone) {
    Serve({{"t/tool", "Сталь У8А", {{IntegratorEx::kHRC, "62", ""}}}});
    DETAIL_PARAMETERS none;
    Read("t/tool", none);
    EXPECT_EQ(none.hardnessHRC, 62);
    EXPECT_EQ(none.material->HRC, 62);
    DETAIL_PARAMETERS given;
    given.hardnessHRC = 45;
    Read("t/tool", given);
    EXPECT_EQ(given.hardnessHRC, 45);
}

TEST_F(ReadMaterialTest, TheStockFormComesFromThePlanAndACastSteelIsClassifiedSo) {
    Serve({{"t/35Л", "Сталь 35Л ГОСТ 977-88", {{IntegratorEx::kGroup, "01.01", ""}, Element("C", "0.30", "0.40")}}});
    RegisterStockFormSource([]() -> std::int32_t { return 3; });
    DETAIL_PARAMETERS part;
    part.materialName = "Сталь 35Л ГОСТ 977-88";
    Read("t/35Л", part);
    EXPECT_EQ(part.material->nSposobStock, 3);
    EXPECT_EQ(part.material->sMCcode, "P1.5.C.UT");
}

TEST_F(ReadMaterialTest, AMaterialTheReferenceLacksChangesNothing) {
    Serve({});
    DETAIL_PARAMETERS part;
    part.materialGroup = "kept";
    part.hardnessHB = 150;
    part.material->Cr = 1;
    part.material->sMCcode = "P2.1.Z.AN";
    Read("t/none", part);
    EXPECT_EQ(part.materialGroup, "kept");
    EXPECT_EQ(part.hardnessHB, 150);
    EXPECT_EQ(part.material->Cr, 1);
    EXPECT_EQ(part.material->sMCcode, "P2.1.Z.AN");
}

// What was derived from the material read before goes with it: once asked
// for, the mark and the standard of one material answered for every material
// read after it.
TEST_F(ReadMaterialTest, WhatWasDerivedFromTheMaterialReadBeforeGoesWithIt) {
    Serve({{"t/45", "Сталь 45 ГОСТ 1050-2013", {{IntegratorEx::kGroup, "01.01", ""}}},
           {"t/ВТ6", "Сплав ВТ6", {{IntegratorEx::kGroup, "11", ""}}}});
    DETAIL_PARAMETERS part;
    part.material->sSteelClass = "аустенитная A2";
    part.materialName = "Сталь 45 ГОСТ 1050-2013";
    Read("t/45", part);
    EXPECT_EQ(part.material->sSteelClass, "");
    EXPECT_EQ(*part.material->FindString("sMark"), "Сталь 45");
    EXPECT_EQ(*part.material->FindString("sGOST"), "ГОСТ 1050-2013");
    part.materialName = "Сплав ВТ6";
    Read("t/ВТ6", part);
    EXPECT_EQ(*part.material->FindString("sMark"), "");
    EXPECT_EQ(*part.material->FindString("sGOST"), "");
}

TEST_F(ReadMaterialTest, WithoutAServerTheClientRaises) {
    IntegratorEx client;
    DETAIL_PARAMETERS part;
    EXPECT_THROW(client.ReadMaterialProperties("steel/45", part), IntegratorException);
}

// What the part's reader of its material gets: a client that connects,
// reads and lets go, or says it cannot connect.
TEST_F(ReadMaterialTest, ThePartReadersClientConnectsReadsAndLetsGo) {
    const std::unique_ptr<MaterialsReferenceClient> unregistered = NewIntegratorReferenceClient();
    EXPECT_FALSE(unregistered->Connect());

    Serve({{"t/40Х", "Сталь 40Х", {{IntegratorEx::kGroup, "01.04", ""}, Element("Cr", "0.8", "1.1")}}});
    const std::unique_ptr<MaterialsReferenceClient> client = NewIntegratorReferenceClient();
    ASSERT_TRUE(client->Connect());
    DETAIL_PARAMETERS part;
    part.materialName = "Сталь 40Х ГОСТ 4543-2016";
    client->ReadMaterialProperties("t/40Х", part);
    client->Disconnect();
    EXPECT_DOUBLE_EQ(part.material->Cr, 0.95);
    EXPECT_NEAR(part.material->C, 0.4, 1e-12);
    EXPECT_EQ(part.mcCodeText, "P2.2.Z.AN");
    EXPECT_THROW(client->ReadMaterialProperties("t/40Х", part), IntegratorException);
}

// The bundled reference, whole: each material's group and composition lead
// to a code of the group's letter.
TEST_F(ReadMaterialTest, EveryMaterialOfTheBundledReferenceIsClassifiedByItsGroup) {
    std::string error;
    std::shared_ptr<const reference::MaterialDatabase> database =
        reference::MaterialDatabase::Open(MATERIALS_DATA "/materials.db", error);
    ASSERT_TRUE(database) << error;
    ComponentRegistry::RegisterClassObject(Integrator::kServerClassId,
                                           std::make_shared<test::InProcessReference>(database));
    const FileReadResult table = ReadTextFile(ZARVENTO_SOURCE "/catalogs/reference/materials.txt", TextEncoding::Utf8);
    const reference::TableReadResult read = reference::ReadMaterialTable(table.text);
    ASSERT_EQ(read.error, "");
    ASSERT_GE(read.materials.size(), 50u);
    IntegratorEx client;
    ASSERT_TRUE(client.InitIntegrator("", std::nullopt)) << client.ErrorText();
    for (const Material& material : read.materials) {
        DETAIL_PARAMETERS part;
        part.materialName = material.designation;
        client.ReadMaterialProperties(material.location, part);
        const MATERIAL& m = *part.material;
        const int group = std::stoi(m.sGroup.substr(0, 2));
        std::string letters = group <= 3 ? "P" : group == 4 ? "MP" : group == 5 ? "MS" : group == 6 ? "K" : "N";
        if (group == 11) letters = "S";
        if (m.HB >= 400) letters = "H";
        if (material.location == "aluminium/АК12") {
            EXPECT_EQ(m.sMCcode, "") << "a casting alloy as rolled stock has no code";
            continue;
        }
        ASSERT_FALSE(m.sMCcode.empty()) << material.location;
        EXPECT_NE(letters.find(m.sMCcode[0]), std::string::npos) << material.location << " " << m.sMCcode;
    }
}

TEST_F(ReadMaterialTest, TheReferenceProgramServesTheBundledMaterials) {
    test::RegisterReferenceProgram();
    struct Case {
        const char* location;
        const char* code;
        const char* steelClass;
    };
    const Case cases[] = {
        {"stainless/12Х18Н10Т", "M1.3.Z.AQ", "аустенитная A2"},
        {"tool/Р6М5", "P3.1.Z.AN", ""},
        {"iron/ЧВГ35", "K4.1.C.UT", ""},
        {"titanium/ВТ1-0", "S4.1.Z.UT", ""},
        {"zinc/ЦАМ4-1", "N4.0.C.UT", ""},
        {"steel/40Х-закаленная", "H1.1.Z.HA", ""},
    };
    IntegratorEx client;
    ASSERT_TRUE(client.InitIntegrator("", std::nullopt)) << client.ErrorText();
    for (const Case& c : cases) {
        DETAIL_PARAMETERS part;
        part.materialName = CallMember(*client.GetMaterialInfo(c.location), "Designation").ToBStr();
        client.ReadMaterialProperties(c.location, part);
        EXPECT_EQ(part.material->sMCcode, c.code) << c.location;
        EXPECT_EQ(part.material->sSteelClass, c.steelClass) << c.location;
    }
    DETAIL_PARAMETERS steel;
    steel.materialName = "Сталь 12Х18Н10Т ГОСТ 5632-2014";
    client.ReadMaterialProperties("stainless/12Х18Н10Т", steel);
    EXPECT_DOUBLE_EQ(steel.material->C, 0.06);
    EXPECT_DOUBLE_EQ(steel.material->Cr, 18);
    EXPECT_DOUBLE_EQ(steel.material->Ti, 0.65);
    EXPECT_EQ(steel.hardnessHB, 179);
    EXPECT_DOUBLE_EQ(steel.tensileStrength, 510);
    EXPECT_EQ(steel.materialGroup, "04.01");
}

}  // namespace
}  // namespace zarvento
