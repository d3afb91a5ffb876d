// Reading the materials table, and writing and reading its database.
#include "catalogs/reference/material_table.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <system_error>

#include "platform/core/line_reader.h"
#include "platform/core/variant.h"

namespace zarvento::reference {

namespace {

struct Element {
    std::string_view symbol;
    const char* id;
};

constexpr Element kElements[] = {
    {"C", "VBCF2670006994187BBB44CAFDAAE53AB"},  {"Si", "V28FCFDFECF224BF9AA7FD2F7F0AF23E0"},
    {"Mn", "V7D749D36C53741BA9C8C5346E46A22C1"}, {"Cr", "V071B3C2DB0CD44248A376A56715CF566"},
    {"S", "V104A6D22C8D7414788FDECAECFF0139C"},  {"P", "V3BE6B3077BD047BEB12D85F52DCD17D0"},
    {"Ni", "V9C23756F936A4AA4B49BF20928D299A1"}, {"N", "V13E9177351884796AAC9271707A51E21"},
    {"Cu", "V56BF8AEA62AA4F4E8833D888CAFEF486"}, {"Mo", "V6544DA428C2840B297E675D2772AE1B9"},
    {"Nb", "V93C4314F191A4D6087EDC36A405310B7"}, {"Ti", "VA8F94E4C0EC142B4AD5DC56F41FE2230"},
    {"Al", "V90D4013D20FE4409AA4FA478418FAC81"}, {"W", "VD3842F4F5FA84174928CDE02CCF743FE"},
    {"V", "V8236AD112EAB4E3A88F8D5F3BDC8466E"},  {"Co", "V2AE2BC9C954748FFA88D763845C611C9"},
    {"B", "VC85304B8937E499B8DB96ADEDD465C09"},  {"Fe", "VE0661DFD4EE64391857B5978E1F4FEDE"},
    {"Pb", "V98DF4B0422384DE8B1A4322D19944E4B"}, {"Sb", "V85FC1805EB6E4AA484AE2E37EB996B4E"},
    {"Zn", "V5864334CA8D141B7AC11E243335CA8E5"}, {"Bi", "V903BA677113246E38322D003E71CF872"},
};

// The table's columns after location, designation and group: figures, each
// one number or empty.
struct FigureColumn {
    const char* name;
    const char* id;
    double scale;      // what the table's unit is in the reference's
    const char* unit;  // the reference's unit, when it has one
};

constexpr FigureColumn kFigures[] = {
    {"HB", property::kHardness, 1, ""},
    {"HB max", property::kHardnessMax, 1, ""},
    {"HRC", property::kHRC, 1, ""},
    {"density", property::kDensity, 1, "g/cm3"},
    {"σв", property::kTensileStrength, 1e6, "Pa"},  // MPa in the table
    {"Kmv", property::kSpeedFactor, 1, ""},
    {"nv", property::kSpeedExponent, 1, ""},
};

constexpr std::size_t kColumns = 3 + std::size(kFigures) + 1;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(Trim(text.substr(0, at)));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

bool Fail(std::string& why, std::string text) {
    why = std::move(text);
    return false;
}

bool Number(std::string_view text, double& value) { return !text.empty() && ParseDouble(text, value) && value >= 0; }

// "0.42-0.50", "0.8" or "≤0.25" (which is "0-0.25").
bool Content(std::string_view text, MaterialProperty& p, std::string& why) {
    constexpr std::string_view kAtMost = "≤";
    double low = 0, high = 0;
    if (text.substr(0, kAtMost.size()) == kAtMost) {
        if (!Number(Trim(text.substr(kAtMost.size())), high)) return Fail(why, "no number after ≤");
        p.value1 = "0";
        p.value2 = FormatDouble(high);
        return true;
    }
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        if (!Number(text, low)) return Fail(why, "\"" + std::string(text) + "\" is no content");
        p.value1 = FormatDouble(low);
        return true;
    }
    if (!Number(Trim(text.substr(0, dash)), low) || !Number(Trim(text.substr(dash + 1)), high))
        return Fail(why, "\"" + std::string(text) + "\" is no range");
    if (high < low) return Fail(why, "the range \"" + std::string(text) + "\" ends below its start");
    p.value1 = FormatDouble(low);
    p.value2 = FormatDouble(high);
    return true;
}

bool Composition(std::string_view text, Material& m, std::string& why) {
    if (text.empty()) return true;
    std::set<std::string_view> seen;
    for (std::string_view entry : Split(text, ';')) {
        const std::size_t blank = entry.find(' ');
        if (blank == std::string_view::npos)
            return Fail(why, "\"" + std::string(entry) + "\" is no element and content");
        const std::string_view symbol = entry.substr(0, blank);
        const char* id = ElementPropertyId(symbol);
        if (!id) return Fail(why, "the reference keeps no element \"" + std::string(symbol) + "\"");
        if (!seen.insert(symbol).second) return Fail(why, std::string(symbol) + " is given twice");
        MaterialProperty p{id, {}, {}};
        if (!Content(Trim(entry.substr(blank + 1)), p, why)) return Fail(why, std::string(symbol) + ": " + why);
        m.properties.push_back(std::move(p));
    }
    return true;
}

bool Row(std::string_view line, Material& m, std::string& why) {
    const std::vector<std::string_view> fields = Split(line, '|');
    if (fields.size() != kColumns) {
        why = std::to_string(fields.size()) + " fields where a row has " + std::to_string(kColumns);
        return false;
    }
    m.location = fields[0];
    m.designation = fields[1];
    if (m.location.empty() || m.designation.empty() || fields[2].empty()) {
        why = "a material needs a location, a designation and a group";
        return false;
    }
    m.properties.push_back({property::kGroup, std::string(fields[2]), {}});
    for (std::size_t k = 0; k < std::size(kFigures); ++k) {
        const std::string_view text = fields[3 + k];
        if (text.empty()) continue;
        double value = 0;
        if (!Number(text, value)) {
            why = std::string(kFigures[k].name) + " \"" + std::string(text) + "\" is no number";
            return false;
        }
        m.properties.push_back({kFigures[k].id, FormatDouble(value * kFigures[k].scale), {}});
    }
    return Composition(fields.back(), m, why);
}

// The database's form: 2 since its records carry checks.
constexpr int kDatabaseVersion = 2;

// The check of a record: FNV-1a (64 bits) over its fields, each ended by a
// byte no text of the table holds, as sixteen hex digits.
std::string RecordCheck(std::initializer_list<std::string_view> fields) {
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (std::string_view field : fields) {
        for (char c : field) add(static_cast<unsigned char>(c));
        add(0xFF);
    }
    static const char* digits = "0123456789abcdef";
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4) text[static_cast<std::size_t>(k)] = digits[hash & 0xF];
    return text;
}

std::string MaterialCheck(std::string_view location, std::string_view designation, std::int64_t properties) {
    return RecordCheck({location, designation, std::to_string(properties)});
}

std::string PropertyCheck(std::string_view location, const MaterialProperty& p) {
    return RecordCheck({location, p.id, p.value1, p.value2});
}

// Runs one statement; false with SQLite's message in `error`.
bool Exec(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    void Bind(int index, std::string_view text) {
        sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt, index, value); }
    // By its length: a text the table gave may hold any byte, a NUL included.
    std::string Column(int index) const {
        const unsigned char* text = sqlite3_column_text(stmt, index);
        if (!text) return {};
        return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt, index))};
    }
};

bool Fill(sqlite3* db, const std::vector<Material>& materials, std::string& error) {
    if (!Exec(db,
              "BEGIN;"
              "CREATE TABLE material (location TEXT PRIMARY KEY, designation TEXT NOT NULL,"
              " properties INTEGER NOT NULL, checksum TEXT NOT NULL);"
              "CREATE TABLE property (location TEXT NOT NULL REFERENCES material, id TEXT NOT NULL,"
              " value1 TEXT NOT NULL, value2 TEXT NOT NULL, checksum TEXT NOT NULL, PRIMARY KEY (location, id));",
              error) ||
        !Exec(db, ("PRAGMA user_version = " + std::to_string(kDatabaseVersion) + ";").c_str(), error))
        return false;
    Statement material(db, "INSERT INTO material VALUES (?, ?, ?, ?)");
    Statement property(db, "INSERT INTO property VALUES (?, ?, ?, ?, ?)");
    if (!material.stmt || !property.stmt) return Fail(error, sqlite3_errmsg(db));
    for (const Material& m : materials) {
        const auto count = static_cast<std::int64_t>(m.properties.size());
        material.Bind(1, m.location);
        material.Bind(2, m.designation);
        material.Bind(3, count);
        material.Bind(4, MaterialCheck(m.location, m.designation, count));
        if (sqlite3_step(material.stmt) != SQLITE_DONE) return Fail(error, m.location + ": " + sqlite3_errmsg(db));
        sqlite3_reset(material.stmt);
        for (const MaterialProperty& p : m.properties) {
            property.Bind(1, m.location);
            property.Bind(2, p.id);
            property.Bind(3, p.value1);
            property.Bind(4, p.value2);
            property.Bind(5, PropertyCheck(m.location, p));
            if (sqlite3_step(property.stmt) != SQLITE_DONE) return Fail(error, m.location + ": " + sqlite3_errmsg(db));
            sqlite3_reset(property.stmt);
        }
    }
    return Exec(db, "COMMIT;", error);
}

}  // namespace

const char* ElementPropertyId(std::string_view symbol) {
    for (const Element& e : kElements)
        if (e.symbol == symbol) return e.id;
    return nullptr;
}

std::string PropertyName(std::string_view id) {
    if (id == property::kGroup) return "group";
    for (const FigureColumn& f : kFigures)
        if (id == f.id) return *f.unit ? std::string(f.name) + ", " + f.unit : std::string(f.name);
    for (const Element& e : kElements)
        if (id == e.id) return std::string(e.symbol);
    return std::string(id);
}

TableReadResult ReadMaterialTable(std::string_view text) {
    TableReadResult result;
    std::set<std::string> locations;
    LineReader lines(text);
    std::string_view line;
    for (int number = 1; lines.Next(line); ++number) {
        const std::string_view content = Trim(line);
        if (content.empty() || content.front() == '#') continue;
        Material m;
        std::string why;
        if (!Row(content, m, why)) {
            result.materials.clear();
            result.error = std::to_string(number) + ": " + why;
            return result;
        }
        if (!locations.insert(m.location).second) {
            result.materials.clear();
            result.error = std::to_string(number) + ": the location " + m.location + " is taken";
            return result;
        }
        result.materials.push_back(std::move(m));
    }
    return result;
}

bool WriteMaterialDatabase(const std::vector<Material>& materials, const std::filesystem::path& file,
                           std::string& error) {
    const std::filesystem::path temporary = file.string() + ".new";
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
    if (!ok) error = db ? sqlite3_errmsg(db) : "out of memory";
    if (ok) ok = Fill(db, materials, error);
    if (sqlite3_close(db) != SQLITE_OK && ok) {
        error = "cannot close the database";
        ok = false;
    }
    if (ok) {
        std::filesystem::rename(temporary, file, ec);
        if (ec) {
            error = ec.message();
            ok = false;
        }
    }
    if (!ok) std::filesystem::remove(temporary, ec);
    return ok;
}

std::unique_ptr<MaterialDatabase> MaterialDatabase::Open(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = "no materials database " + file.string();
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = file.string() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<MaterialDatabase> database(new MaterialDatabase(db, file.string()));
    Statement check(db, "SELECT count(*) FROM material");
    if (!check.stmt || sqlite3_step(check.stmt) != SQLITE_ROW) {
        error = file.string() + " is no materials database";
        return nullptr;
    }
    Statement version(db, "PRAGMA user_version");
    if (!version.stmt || sqlite3_step(version.stmt) != SQLITE_ROW ||
        sqlite3_column_int(version.stmt, 0) != kDatabaseVersion) {
        error = file.string() +
                " is a materials database of another form (its records carry no checks); build it "
                "again with build-database";
        return nullptr;
    }
    return database;
}

MaterialDatabase::~MaterialDatabase() { sqlite3_close(db_); }

void MaterialDatabase::Damaged(std::string_view location, const std::string& what) const {
    throw DamagedDatabase("the materials database " + file_ + " is damaged: the material " + std::string(location) +
                          " " + what);
}

std::optional<std::string> MaterialDatabase::Designation(std::string_view location) const {
    Statement s(db_, "SELECT designation, properties, checksum FROM material WHERE location = ?");
    s.Bind(1, location);
    const int step = s.stmt ? sqlite3_step(s.stmt) : SQLITE_ERROR;
    if (step == SQLITE_DONE) return std::nullopt;
    if (step != SQLITE_ROW) Damaged(location, std::string("cannot be read (") + sqlite3_errmsg(db_) + ")");
    const std::string designation = s.Column(0);
    const std::int64_t properties = sqlite3_column_int64(s.stmt, 1);
    if (s.Column(2) != MaterialCheck(location, designation, properties)) Damaged(location, "fails its check");
    Statement count(db_, "SELECT count(*) FROM property WHERE location = ?");
    count.Bind(1, location);
    if (!count.stmt || sqlite3_step(count.stmt) != SQLITE_ROW)
        Damaged(location, std::string("cannot be read (") + sqlite3_errmsg(db_) + ")");
    if (sqlite3_column_int64(count.stmt, 0) != properties)
        Damaged(location, "has " + std::to_string(sqlite3_column_int64(count.stmt, 0)) + " properties where " +
                              std::to_string(properties) + " were written");
    return designation;
}

std::optional<MaterialProperty> MaterialDatabase::Property(std::string_view location, std::string_view id) const {
    Statement s(db_, "SELECT value1, value2, checksum FROM property WHERE location = ? AND id = ?");
    s.Bind(1, location);
    s.Bind(2, id);
    const int step = s.stmt ? sqlite3_step(s.stmt) : SQLITE_ERROR;
    if (step == SQLITE_DONE) return std::nullopt;
    if (step != SQLITE_ROW) Damaged(location, std::string("cannot be read (") + sqlite3_errmsg(db_) + ")");
    MaterialProperty property{std::string(id), s.Column(0), s.Column(1)};
    if (s.Column(2) != PropertyCheck(location, property))
        Damaged(location, "has a property " + PropertyName(id) + " that fails its check");
    return property;
}

std::vector<MaterialProperty> MaterialDatabase::Properties(std::string_view location) const {
    std::vector<MaterialProperty> properties;
    Statement s(db_, "SELECT id, value1, value2, checksum FROM property WHERE location = ? ORDER BY rowid");
    s.Bind(1, location);
    int step = SQLITE_ERROR;
    while (s.stmt && (step = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        properties.push_back({s.Column(0), s.Column(1), s.Column(2)});
        if (s.Column(3) != PropertyCheck(location, properties.back()))
            Damaged(location, "has a property " + PropertyName(properties.back().id) + " that fails its check");
    }
    if (step != SQLITE_DONE) Damaged(location, std::string("cannot be read (") + sqlite3_errmsg(db_) + ")");
    return properties;
}

}  // namespace zarvento::reference
