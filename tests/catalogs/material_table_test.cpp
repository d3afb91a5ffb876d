// The materials reference's text table and its database.
#include "catalogs/reference/material_table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "materials_test_support.h"

namespace zarvento::reference {
namespace {

constexpr const char* kRow =
    "steel/45 | Сталь 45 ГОСТ 1050-2013 | 01.01 | 207 | 229 |  | 7.826 | 600 | 1.25 | 1 | C 0.42-0.50; Cr ≤0.25; Ni "
    "0.3";

TEST(MaterialTableTest, ReadsRowsIntoPropertiesInTheReferencesUnits) {
    const TableReadResult read = ReadMaterialTable(std::string("# a comment\n\n") + kRow + "\r\n");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.materials.size(), 1u);
    const Material& m = read.materials[0];
    EXPECT_EQ(m.location, "steel/45");
    EXPECT_EQ(m.designation, "Сталь 45 ГОСТ 1050-2013");
    const std::vector<std::tuple<std::string, std::string, std::string>> expected = {
        {property::kGroup, "01.01", ""},           {property::kHardness, "207", ""},
        {property::kHardnessMax, "229", ""},       {property::kDensity, "7.826", ""},
        {property::kTensileStrength, "6e+08", ""}, {property::kSpeedFactor, "1.25", ""},
        {property::kSpeedExponent, "1", ""},       {ElementPropertyId("C"), "0.42", "0.5"},
        {ElementPropertyId("Cr"), "0", "0.25"},    {ElementPropertyId("Ni"), "0.3", ""},
    };
    ASSERT_EQ(m.properties.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(m.properties[k].id, std::get<0>(expected[k])) << k;
        EXPECT_EQ(m.properties[k].value1, std::get<1>(expected[k])) << k;
        EXPECT_EQ(m.properties[k].value2, std::get<2>(expected[k])) << k;
    }
}

TEST(MaterialTableTest, AFaultNamesItsLineAndNothingIsRead) {
    const std::string good = std::string(kRow) + "\n";
    const std::pair<std::string, std::string> cases[] = {
        {"a | b | c\n", "3 fields where a row has 11"},
        {" | Сталь | 01 | | | | | | | | \n", "a material needs a location, a designation and a group"},
        {"x | Сталь | 01 | hard | | | | | | | \n", "HB \"hard\" is no number"},
        {"x | Сталь | 01 | -5 | | | | | | | \n", "HB \"-5\" is no number"},
        {"x | Сталь | 01 | | | | | 1e3x | | | \n", "σв \"1e3x\" is no number"},
        {"x | Сталь | 01 | | | | | | | | Xx 1\n", "the reference keeps no element \"Xx\""},
        {"x | Сталь | 01 | | | | | | | | C 0.1; C 0.2\n", "C is given twice"},
        {"x | Сталь | 01 | | | | | | | | C 0.5-0.4\n", "C: the range \"0.5-0.4\" ends below its start"},
        {"x | Сталь | 01 | | | | | | | | C\n", "\"C\" is no element and content"},
        {"x | Сталь | 01 | | | | | | | | Cr ≤\n", "Cr: no number after ≤"},
        {"steel/45 | Сталь | 01 | | | | | | | | \n", "the location steel/45 is taken"},
    };
    for (const auto& [row, why] : cases) {
        const TableReadResult read = ReadMaterialTable(good + row);
        EXPECT_TRUE(read.materials.empty()) << row;
        EXPECT_EQ(read.error, "2: " + why) << row;
    }
}

TEST(MaterialTableTest, TheDatabaseKeepsWhatTheTableSaysAndIsReplacedOnlyWhole) {
    test::TempDir dir;
    const TableReadResult read = ReadMaterialTable(kRow);
    std::string error;
    ASSERT_TRUE(WriteMaterialDatabase(read.materials, dir / "m.db", error)) << error;
    std::unique_ptr<MaterialDatabase> db = MaterialDatabase::Open(dir / "m.db", error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(db->Designation("steel/45"), "Сталь 45 ГОСТ 1050-2013");
    EXPECT_EQ(db->Designation("steel/40"), std::nullopt);
    const std::optional<MaterialProperty> carbon = db->Property("steel/45", ElementPropertyId("C"));
    ASSERT_TRUE(carbon);
    EXPECT_EQ(carbon->value1, "0.42");
    EXPECT_EQ(carbon->value2, "0.5");
    EXPECT_EQ(db->Property("steel/45", ElementPropertyId("Mo")), std::nullopt);
    EXPECT_EQ(db->Properties("steel/45").size(), 10u);

    // Whatever bytes a field holds come back whole.
    const auto bytes = [](const auto& literal) { return std::string(literal, sizeof literal - 1); };
    const TableReadResult nul = ReadMaterialTable(bytes("x\0y | Ст\0аль | 0\x01 | | | | | | | | \n"));
    ASSERT_EQ(nul.error, "");
    ASSERT_TRUE(WriteMaterialDatabase(nul.materials, dir / "nul.db", error)) << error;
    std::unique_ptr<MaterialDatabase> odd = MaterialDatabase::Open(dir / "nul.db", error);
    ASSERT_TRUE(odd) << error;
    EXPECT_EQ(odd->Designation(bytes("x\0y")), bytes("Ст\0аль"));
    const std::vector<MaterialProperty> group = odd->Properties(bytes("x\0y"));
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0].value1, bytes("0\x01"));

    // A second material of the same location cannot be written; the old
    // database stays.
    std::vector<Material> twice = read.materials;
    twice.push_back(read.materials[0]);
    EXPECT_FALSE(WriteMaterialDatabase(twice, dir / "m.db", error));
    EXPECT_NE(error.find("steel/45"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "m.db.new"));
    db = MaterialDatabase::Open(dir / "m.db", error);
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->Designation("steel/45"));
}

TEST(MaterialTableTest, OnlyAMaterialsDatabaseOpens) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(MaterialDatabase::Open(dir / "none.db", error));
    EXPECT_NE(error.find("no materials database"), std::string::npos);
    test::WriteFile(dir / "text.db", "not a database at all, but long enough to be looked at by SQLite itself");
    EXPECT_FALSE(MaterialDatabase::Open(dir / "text.db", error));
    EXPECT_NE(error.find("is no materials database"), std::string::npos) << error;
}

// Runs SQL on a database file (a test's own damage).
void Damage(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string text = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text;
}

// A changed byte once gave another hardness without a word, and a lost row
// a property the reference seemed not to have: each record carries a check,
// each material the count of its properties, and a query that finds them
// broken is refused, naming the file and the material.
TEST(MaterialTableTest, ARecordThatFailsItsCheckIsRefused) {
    test::TempDir dir;
    const TableReadResult read = ReadMaterialTable(kRow);
    std::string error;
    const std::string hardness = property::kHardness;
    const struct {
        const char* name;
        std::string sql;
        std::string says;
    } cases[] = {
        {"a changed value", "UPDATE property SET value1 = '217' WHERE id = '" + hardness + "'",
         "the material steel/45 has a property HB that fails its check"},
        {"a changed designation", "UPDATE material SET designation = 'Сталь 40'", "steel/45 fails its check"},
        {"a lost property", "DELETE FROM property WHERE id = '" + hardness + "'",
         "steel/45 has 9 properties where 10 were written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = dir / (std::string(c.name) + ".db");
        ASSERT_TRUE(WriteMaterialDatabase(read.materials, file, error)) << error;
        Damage(file, c.sql);
        std::unique_ptr<MaterialDatabase> db = MaterialDatabase::Open(file, error);
        ASSERT_TRUE(db) << error;
        std::string refused;
        try {
            if (db->Designation("steel/45")) {
                db->Property("steel/45", property::kHardness);
                db->Properties("steel/45");
            }
        } catch (const DamagedDatabase& e) {
            refused = e.what();
        }
        EXPECT_NE(refused.find(file.string() + " is damaged: "), std::string::npos) << refused;
        EXPECT_NE(refused.find(c.says), std::string::npos) << refused;
    }
    // A database of the earlier form, without checks, is not taken for one.
    ASSERT_TRUE(WriteMaterialDatabase(read.materials, dir / "old.db", error)) << error;
    Damage(dir / "old.db", "PRAGMA user_version = 1");
    EXPECT_FALSE(MaterialDatabase::Open(dir / "old.db", error));
    EXPECT_NE(error.find("build it again"), std::string::npos) << error;
}

TEST(MaterialTableTest, TheBundledTableReads) {
    const FileReadResult file = ReadTextFile(ZARVENTO_SOURCE "/catalogs/reference/materials.txt", TextEncoding::Utf8);
    ASSERT_TRUE(file.ok);
    const TableReadResult read = ReadMaterialTable(file.text);
    EXPECT_EQ(read.error, "");
    EXPECT_GE(read.materials.size(), 50u);
}

}  // namespace
}  // namespace zarvento::reference
