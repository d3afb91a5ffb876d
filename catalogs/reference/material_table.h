// The materials reference's data: the text table of the repository
// (materials.txt) read into materials with their properties, and the SQLite
// database the server answers from, built from the table at build time.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zarvento::reference {

// One property of a material as the reference keeps it: two texts, such as
// the lower and upper end of a range (the second empty for one figure).
struct MaterialProperty {
    std::string id;  // the reference's property id, "V…"
    std::string value1;
    std::string value2;
};

struct Material {
    std::string location;  // the material's key in the reference
    std::string designation;
    std::vector<MaterialProperty> properties;
};

// The property ids of the reference's figures.
namespace property {
inline constexpr const char* kGroup = "V049FC8B194FF49919867F1719AACAD4F";
inline constexpr const char* kHardness = "V92CBFA00C9A011D69930000021274E8E";
inline constexpr const char* kHardnessMax = "VC65C97C5CAFA11D69930000021274E8E";
inline constexpr const char* kHRC = "V92CBFA02C9A011D69930000021274E8E";
inline constexpr const char* kDensity = "V6B0E4D52A1F34C0C9E7D2B8A5F1C3E47";
inline constexpr const char* kTensileStrength = "VA17343B3ACA84947BFA823B6275AE8B4";  // Pa
inline constexpr const char* kSpeedFactor = "V4E21F003D00111D69930000021274E8E";
inline constexpr const char* kSpeedExponent = "V4E21F004D00111D69930000021274E8E";
}  // namespace property

// The property id of an element's content, by its chemical symbol ("Bi" for
// bismuth); null for an element the reference does not keep.
const char* ElementPropertyId(std::string_view symbol);

// What a property id stands for, in the table's words ("HB max", "C");
// the id itself for one the table does not give.
std::string PropertyName(std::string_view id);

struct TableReadResult {
    std::vector<Material> materials;
    std::string error;  // "<line>: <what>" of the first fault; empty when read
};

// Reads the text table (see materials.txt for its form). A fault names its
// line; nothing is read then.
TableReadResult ReadMaterialTable(std::string_view text);

// Writes the database: a new file replaces `file` only when whole. False
// with the reason in `error`. Each record carries a check of its fields, and
// each material the number of its properties, so that damage to the file
// (a changed byte, a lost row) is found when the record is read.
bool WriteMaterialDatabase(const std::vector<Material>& materials, const std::filesystem::path& file,
                           std::string& error);

// What a query raises when the database cannot answer it whole: a record
// that fails its check, a material missing properties, a query SQLite
// refuses. Its text names the file and the material.
class DamagedDatabase : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The database the server reads, opened read-only.
class MaterialDatabase {
public:
    // Null with the reason in `error` when the file is missing, no
    // materials database, or one of an earlier form without checks.
    static std::unique_ptr<MaterialDatabase> Open(const std::filesystem::path& file, std::string& error);
    ~MaterialDatabase();
    MaterialDatabase(const MaterialDatabase&) = delete;
    MaterialDatabase& operator=(const MaterialDatabase&) = delete;

    // The material's designation, when the reference has one at `location`;
    // DamagedDatabase when its record, or the count of its properties,
    // fails the check.
    std::optional<std::string> Designation(std::string_view location) const;
    // One property of the material; none when it has not that property;
    // DamagedDatabase when the record fails its check.
    std::optional<MaterialProperty> Property(std::string_view location, std::string_view id) const;
    // Every property of the material, in the table's order; DamagedDatabase
    // as above.
    std::vector<MaterialProperty> Properties(std::string_view location) const;

private:
    MaterialDatabase(sqlite3* db, std::string file) : db_(db), file_(std::move(file)) {}
    [[noreturn]] void Damaged(std::string_view location, const std::string& what) const;
    sqlite3* db_;
    std::string file_;
};

}  // namespace zarvento::reference
