// DocumentFile: the SQLite layout of a document and its checked reading.
//
// Tables: document (key/value: format name, version, type, next id),
// entities (id, class, object type, name, text, data), storages (index),
// records (id, storage, name, library key; id gives the order) and entries
// (record, sequence, name, kind, value). Values keep their kind exactly:
// integers as INTEGER, reals as their 8 bytes (SQLite would turn NaN into
// NULL and may drop the sign of -0.0), texts as TEXT, object references as
// the entity's persistent id (0 for none or lost), arrays as a small binary
// encoding. A sketch keeps its source as its text and its lines and arcs as
// its data; a variable its value and then its equation (absent in older
// files).
#include "platform/documents/document_file.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_named_object.h"
#include "platform/core/host_variable.h"
#include "platform/core/unique_fd.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/host_size_table.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

// Nesting of arrays inside a stored value; deeper data is refused on reading.
constexpr int kMaxArrayDepth = 16;

const char* const kSchema =
    "CREATE TABLE document(key TEXT PRIMARY KEY NOT NULL, value);"
    "CREATE TABLE entities(id INTEGER PRIMARY KEY, class TEXT NOT NULL, type INTEGER NOT NULL,"
    " name TEXT NOT NULL, text TEXT NOT NULL, data BLOB);"
    "CREATE TABLE storages(idx INTEGER PRIMARY KEY);"
    "CREATE TABLE records(id INTEGER PRIMARY KEY, storage INTEGER NOT NULL, name TEXT NOT NULL,"
    " library_key TEXT NOT NULL);"
    "CREATE TABLE entries(record INTEGER NOT NULL, seq INTEGER NOT NULL, name TEXT NOT NULL,"
    " kind INTEGER NOT NULL, value, PRIMARY KEY(record, seq)) WITHOUT ROWID;"
    // Results derived from the content, each keyed by what it came from
    // (HostDocument::DerivedResult); a file without the table has none.
    "CREATE TABLE derived(name TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL) WITHOUT ROWID;";

// ---- little-endian bytes ----

void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void PutDouble(std::string& out, double v) { PutU64(out, std::bit_cast<std::uint64_t>(v)); }

// Reads bytes of a blob; every read checks what is left.
class ByteReader {
public:
    ByteReader(const void* data, std::size_t size) : p_(static_cast<const unsigned char*>(data)), left_(size) {}
    bool Get(std::uint64_t& v, int bytes) {
        if (left_ < static_cast<std::size_t>(bytes)) return false;
        v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
        p_ += bytes;
        left_ -= static_cast<std::size_t>(bytes);
        return true;
    }
    bool GetDouble(double& d) {
        std::uint64_t v = 0;
        if (!Get(v, 8)) return false;
        d = std::bit_cast<double>(v);
        return true;
    }
    bool GetText(std::string& s, std::size_t n) {
        if (left_ < n) return false;
        s.assign(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return true;
    }
    std::size_t Left() const { return left_; }

private:
    const unsigned char* p_;
    std::size_t left_;
};

// ---- sketch objects ----

void EncodeSketchObjects(std::string& out, const Document2D& objects) {
    PutU32(out, static_cast<std::uint32_t>(objects.Objects().size()));
    for (const auto& o : objects.Objects()) {
        PutU16(out, static_cast<std::uint16_t>(o.type));
        if (o.type == kObj2DLine) {
            for (double d : {o.line.x1, o.line.y1, o.line.x2, o.line.y2}) PutDouble(out, d);
            PutU32(out, static_cast<std::uint32_t>(o.line.style));
        } else {
            const ArcParam2D& a = o.arc;
            for (double d : {a.xc, a.yc, a.rad, a.x1, a.y1, a.x2, a.y2}) PutDouble(out, d);
            PutU32(out, static_cast<std::uint32_t>(a.direction));
            PutU32(out, static_cast<std::uint32_t>(a.style));
        }
    }
}

// False when the data is cut short or holds an unknown object type.
bool DecodeSketchObjects(ByteReader& in, Document2D& objects) {
    if (in.Left() == 0) return true;  // a sketch saved without objects
    std::uint64_t count = 0;
    if (!in.Get(count, 4)) return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t type = 0, style = 0, dir = 0;
        if (!in.Get(type, 2)) return false;
        if (type == kObj2DLine) {
            double v[4];
            for (double& d : v)
                if (!in.GetDouble(d)) return false;
            if (!in.Get(style, 4)) return false;
            objects.LineSeg(v[0], v[1], v[2], v[3], static_cast<int>(static_cast<std::int32_t>(style)));
        } else if (type == kObj2DArc) {
            double v[7];
            for (double& d : v)
                if (!in.GetDouble(d)) return false;
            if (!in.Get(dir, 4) || !in.Get(style, 4)) return false;
            objects.ArcByPoint(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                               static_cast<int>(static_cast<std::int32_t>(dir)),
                               static_cast<int>(static_cast<std::int32_t>(style)));
        } else {
            return false;
        }
    }
    return true;
}

// The sketch's plane and placement follow its objects: the id of the
// coordinate system (0 for none), the plane number, the origin and the x-axis
// point. Files written before sketches had a placement end after the objects.
void EncodeSketchPlacement(std::string& out, const HostSketch& sketch) {
    const auto& system = sketch.PlaneSystem();
    PutU64(out, system ? static_cast<std::uint64_t>(system->PersistentId()) : 0);
    PutU32(out, static_cast<std::uint32_t>(sketch.PlaneNumber()));
    for (double d : sketch.PlacementOrigin()) PutDouble(out, d);
    for (double d : sketch.PlacementAxisPoint()) PutDouble(out, d);
}

struct SketchPlacement {
    std::int64_t systemId = 0;
    int planeNumber = 0;
    std::array<double, 3> origin{0, 0, 0};
    std::array<double, 3> axisPoint{1, 0, 0};
};

// False when the placement is cut short or data follows it.
bool DecodeSketchPlacement(ByteReader& in, SketchPlacement& placement) {
    if (in.Left() == 0) return true;
    std::uint64_t id = 0, number = 0;
    if (!in.Get(id, 8) || !in.Get(number, 4)) return false;
    placement.systemId = static_cast<std::int64_t>(id);
    placement.planeNumber = static_cast<int>(static_cast<std::int32_t>(number));
    for (auto* p : {&placement.origin, &placement.axisPoint})
        for (double& d : *p)
            if (!in.GetDouble(d)) return false;
    return in.Left() == 0;
}

// ---- SQLite handles ----

class Database {
public:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database() { Close(); }
    sqlite3*& Handle() { return h_; }
    sqlite3* operator*() const { return h_; }
    int Close() {
        int rc = SQLITE_OK;
        if (h_) rc = sqlite3_close(h_);
        h_ = nullptr;
        return rc;
    }
    std::string Error() const { return h_ ? sqlite3_errmsg(h_) : "cannot open the file"; }

private:
    sqlite3* h_ = nullptr;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &h_, nullptr); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(h_); }
    bool Ok() const { return rc_ == SQLITE_OK && h_; }
    sqlite3_stmt* operator*() const { return h_; }

private:
    sqlite3_stmt* h_ = nullptr;
    int rc_;
};

// ---- writing ----

class Writer {
public:
    Writer(const HostDocument& doc, sqlite3* db) : doc_(doc), db_(db) {}

    void Exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail("cannot write the document");
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw HostError(STG_E_WRITEFAULT_, what + ": " + sqlite3_errmsg(db_));
    }

    void Prepare(Statement& s) const {
        if (!s.Ok()) Fail("cannot write the document");
    }
    void Done(Statement& s) const {
        if (sqlite3_step(*s) != SQLITE_DONE) Fail("cannot write the document");
        sqlite3_reset(*s);
        sqlite3_clear_bindings(*s);
    }
    void BindText(Statement& s, int col, const std::string& text) const {
        sqlite3_bind_text(*s, col, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void BindBlob(Statement& s, int col, const std::string& bytes) const {
        sqlite3_bind_blob(*s, col, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }

    // The stored id of a referenced object: 0 for none and for an object that
    // is not (or no longer) an entity of this document.
    std::int64_t RefId(const HostObjectPtr& obj) const { return doc_.Owns(obj.get()) ? obj->PersistentId() : 0; }

    void EncodeItem(std::string& out, const Variant& v) const {
        PutU16(out, static_cast<std::uint16_t>(v.Type()));
        switch (v.Type()) {
            case VarType::Empty: break;
            case VarType::I4:
            case VarType::Int: PutU32(out, static_cast<std::uint32_t>(v.AsI4())); break;
            case VarType::Bool: PutU32(out, v.AsBool() ? 1u : 0u); break;
            case VarType::R8: PutDouble(out, v.AsR8()); break;
            case VarType::BStr:
                PutU32(out, static_cast<std::uint32_t>(v.AsBStr().size()));
                out += v.AsBStr();
                break;
            case VarType::Dispatch: PutU64(out, static_cast<std::uint64_t>(RefId(v.AsDispatch()))); break;
            case VarType::Array:
                PutU32(out, static_cast<std::uint32_t>(v.AsArray().size()));
                for (const auto& item : v.AsArray()) EncodeItem(out, item);
                break;
        }
    }

    void BindValue(Statement& s, int col, const Variant& v) const {
        switch (v.Type()) {
            case VarType::Empty: sqlite3_bind_null(*s, col); break;
            case VarType::I4:
            case VarType::Int: sqlite3_bind_int64(*s, col, v.AsI4()); break;
            case VarType::Bool: sqlite3_bind_int64(*s, col, v.AsBool() ? 1 : 0); break;
            case VarType::R8: {
                std::string b;
                PutDouble(b, v.AsR8());
                BindBlob(s, col, b);
                break;
            }
            case VarType::BStr: BindText(s, col, v.AsBStr()); break;
            case VarType::Dispatch: sqlite3_bind_int64(*s, col, RefId(v.AsDispatch())); break;
            case VarType::Array: {
                std::string b;
                for (const auto& item : v.AsArray()) EncodeItem(b, item);
                BindBlob(s, col, b);
                break;
            }
        }
    }

    void WriteAll() {
        Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        Exec(("PRAGMA application_id=" + std::to_string(DocumentFile::kApplicationId) +
              "; PRAGMA user_version=" + std::to_string(DocumentFile::kFormatVersion) + ";")
                 .c_str());
        Exec("BEGIN");
        Exec(kSchema);
        WriteHeader();
        WriteEntities();
        WriteRecords();
        WriteDerived();
        Exec("COMMIT");
    }

private:
    void WriteHeader() {
        Statement s(db_, "INSERT INTO document(key, value) VALUES(?, ?)");
        Prepare(s);
        BindText(s, 1, "format");
        BindText(s, 2, DocumentFile::kFormatName);
        Done(s);
        BindText(s, 1, "version");
        sqlite3_bind_int64(*s, 2, DocumentFile::kFormatVersion);
        Done(s);
        BindText(s, 1, "type");
        sqlite3_bind_int64(*s, 2, static_cast<std::int64_t>(doc_.Type()));
        Done(s);
        BindText(s, 1, "next_id");
        sqlite3_bind_int64(*s, 2, doc_.NextId());
        Done(s);
    }

    void WriteEntities() {
        Statement s(db_, "INSERT INTO entities(id, class, type, name, text, data) VALUES(?, ?, ?, ?, ?, ?)");
        Prepare(s);
        for (const auto& e : doc_.Entities()) {
            HostFaults::Check("DocumentFile.WriteEntity");
            std::string cls = "object", text, data;
            if (EncodePartModelEntity(*e, cls, text, data)) {
                // the part model's own entities
            } else if (auto lcs = std::dynamic_pointer_cast<LocalCoordinateSystem>(e)) {
                cls = "lcs";
                for (double d : lcs->Origin()) PutDouble(data, d);
                for (const auto& axis : lcs->Axes())
                    for (double d : axis) PutDouble(data, d);
            } else if (auto sketch = std::dynamic_pointer_cast<HostSketch>(e)) {
                cls = "sketch";
                text = sketch->Source();
                EncodeSketchObjects(data, sketch->Objects());
                EncodeSketchPlacement(data, *sketch);
            } else if (auto drawing = std::dynamic_pointer_cast<DrawingDocument>(e)) {
                cls = "drawing";
                text = drawing->Encode();
            } else if (auto table = std::dynamic_pointer_cast<HostSizeTable>(e)) {
                cls = "size_table";
                text = table->Encode();
            } else if (auto source = std::dynamic_pointer_cast<HostModelSource>(e)) {
                cls = "model_source";
                text = source->Text();
            } else if (auto var = std::dynamic_pointer_cast<HostVariable>(e)) {
                cls = "variable";
                text = var->Comment();
                PutDouble(data, var->Value());
                PutU32(data, static_cast<std::uint32_t>(var->Equation().size()));
                data += var->Equation();
            }
            sqlite3_bind_int64(*s, 1, e->PersistentId());
            BindText(s, 2, cls);
            sqlite3_bind_int64(*s, 3, e->ObjectType());
            BindText(s, 4, e->Name());
            BindText(s, 5, text);
            BindBlob(s, 6, data);
            Done(s);
        }
    }

    void WriteRecords() {
        Statement st(db_, "INSERT INTO storages(idx) VALUES(?)");
        Statement rec(db_, "INSERT INTO records(id, storage, name, library_key) VALUES(?, ?, ?, ?)");
        Statement ent(db_, "INSERT INTO entries(record, seq, name, kind, value) VALUES(?, ?, ?, ?, ?)");
        Prepare(st);
        Prepare(rec);
        Prepare(ent);
        std::int64_t recordId = 0;
        const auto& storages = doc_.Storages().Items();
        for (std::size_t si = 0; si < storages.size(); ++si) {
            sqlite3_bind_int64(*st, 1, static_cast<std::int64_t>(si));
            Done(st);
            for (const auto& r : storages[si]->Records()) {
                HostFaults::Check("DocumentFile.WriteRecord");
                ++recordId;
                sqlite3_bind_int64(*rec, 1, recordId);
                sqlite3_bind_int64(*rec, 2, static_cast<std::int64_t>(si));
                BindText(rec, 3, r->Name());
                BindText(rec, 4, r->LibraryKey());
                Done(rec);
                for (std::size_t i = 0; i < r->EntryCount(); ++i) {
                    const Variant value = r->EntryValue(i);
                    sqlite3_bind_int64(*ent, 1, recordId);
                    sqlite3_bind_int64(*ent, 2, static_cast<std::int64_t>(i));
                    BindText(ent, 3, r->EntryName(i));
                    sqlite3_bind_int64(*ent, 4, static_cast<std::int64_t>(value.Type()));
                    BindValue(ent, 5, value);
                    Done(ent);
                }
            }
        }
    }

    void WriteDerived() {
        Statement s(db_, "INSERT INTO derived(name, value) VALUES(?, ?)");
        Prepare(s);
        for (const auto& [name, bytes] : doc_.DerivedResults()) {
            BindText(s, 1, name);
            BindBlob(s, 2, bytes);
            Done(s);
        }
    }

    const HostDocument& doc_;
    sqlite3* db_;
};

// Makes the file's bytes (and, best effort, its directory entry) durable.
bool SyncFile(const std::string& path, bool directory) {
    const int fd = ::open(path.c_str(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// ---- reading ----

// A check of the file's content failed: the file is damaged.
struct Damaged {
    std::string what;
};

class Reader {
public:
    Reader(sqlite3* db, HostDocument& doc) : db_(db), doc_(doc) {}

    void ReadEntities() {
        {
            // Room for every entity at once, not grown as they come.
            Statement count(db_, "SELECT COUNT(*) FROM entities");
            Need(count);
            if (sqlite3_step(*count) == SQLITE_ROW && sqlite3_column_int64(*count, 0) > 0)
                doc_.ReserveEntities(static_cast<std::size_t>(sqlite3_column_int64(*count, 0)));
        }
        Statement s(db_, "SELECT id, class, type, name, text, data FROM entities ORDER BY id");
        Need(s);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            const std::int64_t id = sqlite3_column_int64(*s, 0);
            const std::string cls = Text(s, 1);
            const std::int64_t type = sqlite3_column_int64(*s, 2);
            const std::string name = Text(s, 3);
            const std::string text = Text(s, 4);
            ByteReader data(sqlite3_column_blob(*s, 5), static_cast<std::size_t>(sqlite3_column_bytes(*s, 5)));
            if (id <= 0) throw Damaged{"an entity has no valid id"};
            if (type < std::numeric_limits<int>::min() || type > std::numeric_limits<int>::max())
                throw Damaged{"an entity has no valid type"};
            HostObjectPtr obj;
            std::string error;
            if (DecodePartModelEntity(cls, name, text, BlobView(s, 5), obj, error)) {
                if (!obj) throw Damaged{error};
            } else if (cls == "lcs") {
                std::array<std::array<double, 3>, 4> v{};
                for (auto& p : v)
                    for (double& d : p)
                        if (!data.GetDouble(d)) throw Damaged{"a coordinate system is cut short"};
                obj = std::make_shared<LocalCoordinateSystem>(v[0], v[1], v[2], v[3]);
                obj->SetName(name);
            } else if (cls == "revolution_face") {
                throw Damaged{
                    "it was made by an older version whose faces of revolution are no longer read; make "
                    "the part again from its profile or its STEP file"};
            } else if (cls == "sketch") {
                auto sketch = std::make_shared<HostSketch>(name);
                sketch->SetSource(text);
                SketchPlacement placement;
                if (!DecodeSketchObjects(data, sketch->Objects()) || !DecodeSketchPlacement(data, placement))
                    throw Damaged{"the objects of sketch \"" + name + "\" are damaged"};
                sketchPlacements_.emplace_back(sketch, placement);
                obj = sketch;
            } else if (cls == "variable") {
                double value = 0;
                if (!data.GetDouble(value)) throw Damaged{"a variable has no value"};
                auto var = std::make_shared<HostVariable>(name, value, text);
                if (data.Left() > 0) {
                    std::uint64_t n = 0;
                    std::string equation;
                    if (!data.Get(n, 4) || !data.GetText(equation, static_cast<std::size_t>(n)))
                        throw Damaged{"the equation of variable \"" + name + "\" is cut short"};
                    var->SetEquation(std::move(equation));
                }
                obj = var;
            } else if (cls == "drawing") {
                auto drawing = std::make_shared<DrawingDocument>();
                std::string why;
                if (!DrawingDocument::Decode(text, *drawing, &why))
                    throw Damaged{why.empty() ? "the drawing is damaged" : "the drawing is refused: " + why};
                obj = drawing;
            } else if (cls == "size_table") {
                auto table = std::make_shared<HostSizeTable>();
                if (!HostSizeTable::Decode(text, *table)) throw Damaged{"the size table is damaged"};
                obj = table;
            } else if (cls == "model_source") {
                obj = std::make_shared<HostModelSource>(name, text);
            } else if (cls == "object") {
                obj = std::make_shared<HostNamedObject>(static_cast<int>(type), name);
            } else {
                throw Damaged{"unknown entity class \"" + cls + "\""};
            }
            if (doc_.FindEntity(id)) throw Damaged{"two entities share the id " + std::to_string(id)};
            obj->SetPersistentId(id);
            doc_.LoadEntity(obj);
        }
        Finished(rc);
        // A sketch may be stored before the system it lies on.
        for (auto& [sketch, placement] : sketchPlacements_) {
            if (placement.systemId != 0) {
                auto system = std::dynamic_pointer_cast<LocalCoordinateSystem>(doc_.FindEntity(placement.systemId));
                if (!system) throw Damaged{"sketch \"" + sketch->Name() + "\" lies on a missing coordinate system"};
                sketch->SetPlane(system, placement.planeNumber);
            }
            sketch->SetPlacement(placement.origin, placement.axisPoint);
        }
        sketchPlacements_.clear();
    }

    void ReadRecords() {
        {
            Statement s(db_, "SELECT idx FROM storages ORDER BY idx");
            Need(s);
            int rc;
            std::int64_t expected = 0;
            while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
                if (sqlite3_column_int64(*s, 0) != expected++) throw Damaged{"storages are not numbered from 0"};
                doc_.Storages().LoadStorage(std::make_shared<HostStorage>());
            }
            Finished(rc);
        }
        std::unordered_map<std::int64_t, std::shared_ptr<HostRecord>> records;
        {
            Statement s(db_, "SELECT id, storage, name, library_key FROM records ORDER BY id");
            Need(s);
            int rc;
            const auto& storages = doc_.Storages().Items();
            while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
                const std::int64_t storage = sqlite3_column_int64(*s, 1);
                if (storage < 0 || static_cast<std::uint64_t>(storage) >= storages.size())
                    throw Damaged{"a record refers to a missing storage"};
                auto r = std::make_shared<HostRecord>(Text(s, 2), Text(s, 3));
                if (!storages[static_cast<std::size_t>(storage)]->LoadRecord(r))
                    throw Damaged{"two records are named \"" + r->Name() + "\""};
                records[sqlite3_column_int64(*s, 0)] = r;
            }
            Finished(rc);
        }
        {
            // Each record takes its entries into room made for all of them,
            // not into room doubled as they come. A record numbers its
            // entries from 0, so its last number tells their count without
            // reading them; a damaged file's numbers only make the room
            // wrong, never larger than all entries together.
            std::int64_t total = 0;
            {
                Statement count(db_, "SELECT COUNT(*) FROM entries");
                Need(count);
                if (sqlite3_step(*count) == SQLITE_ROW) total = sqlite3_column_int64(*count, 0);
            }
            Statement s(db_, "SELECT id, (SELECT MAX(seq) + 1 FROM entries WHERE record = records.id) FROM records");
            Need(s);
            int rc;
            while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
                const auto it = records.find(sqlite3_column_int64(*s, 0));
                const std::int64_t count = std::min<std::int64_t>(sqlite3_column_int64(*s, 1), total);
                if (it != records.end() && count > 0) it->second->ReserveEntries(static_cast<std::size_t>(count));
            }
            Finished(rc);
        }
        Statement s(db_, "SELECT record, name, kind, value FROM entries ORDER BY record, seq");
        Need(s);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            auto it = records.find(sqlite3_column_int64(*s, 0));
            if (it == records.end()) throw Damaged{"a value belongs to a missing record"};
            it->second->LoadEntry(TextView(s, 1), Value(s));
        }
        Finished(rc);
    }

    // Files of older versions have no derived results.
    void ReadDerived() {
        {
            Statement table(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'derived'");
            Need(table);
            if (sqlite3_step(*table) != SQLITE_ROW) return;
        }
        Statement s(db_, "SELECT name, value FROM derived");
        Need(s);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) doc_.SetDerivedResult(Text(s, 0), std::string(BlobView(s, 1)));
        Finished(rc);
    }

    // The blob where SQLite holds it, valid until the statement moves on.
    static std::string_view BlobView(Statement& s, int col) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(*s, col));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(*s, col))) : std::string_view();
    }

    // The text where SQLite holds it, valid until the statement moves on.
    static std::string_view TextView(Statement& s, int col) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(*s, col));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(*s, col))) : std::string_view();
    }

    static std::string Text(Statement& s, int col) { return std::string(TextView(s, col)); }

    void Need(Statement& s) const {
        if (!s.Ok()) throw Damaged{sqlite3_errmsg(db_)};
    }
    void Finished(int rc) const {
        if (rc != SQLITE_DONE) throw Damaged{sqlite3_errmsg(db_)};
    }

private:
    HostObjectPtr Resolve(std::int64_t id) const {
        if (id == 0) return nullptr;
        HostObjectPtr obj = doc_.FindEntity(id);
        if (!obj) throw Damaged{"a value refers to the missing entity #" + std::to_string(id)};
        return obj;
    }

    static std::int32_t ToInt32(std::int64_t v) {
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            throw Damaged{"an integer value is out of range"};
        return static_cast<std::int32_t>(v);
    }

    Variant DecodeItem(ByteReader& in, int depth) const {
        if (depth > kMaxArrayDepth) throw Damaged{"arrays are nested too deeply"};
        std::uint64_t kind = 0, v = 0;
        if (!in.Get(kind, 2)) throw Damaged{"an array is cut short"};
        switch (static_cast<VarType>(kind)) {
            case VarType::Empty: return Variant();
            case VarType::I4:
            case VarType::Int:
            case VarType::Bool: {
                if (!in.Get(v, 4)) throw Damaged{"an array is cut short"};
                const auto i = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
                if (static_cast<VarType>(kind) == VarType::Bool) {
                    if (i != 0 && i != 1) throw Damaged{"a flag holds " + std::to_string(i)};
                    return Variant::Bool(i != 0);
                }
                return static_cast<VarType>(kind) == VarType::I4 ? Variant::I4(i) : Variant::Int(i);
            }
            case VarType::R8: {
                double d = 0;
                if (!in.GetDouble(d)) throw Damaged{"an array is cut short"};
                return Variant::R8(d);
            }
            case VarType::BStr: {
                std::string s;
                if (!in.Get(v, 4) || !in.GetText(s, static_cast<std::size_t>(v)))
                    throw Damaged{"an array is cut short"};
                return Variant::BStr(std::move(s));
            }
            case VarType::Dispatch:
                if (!in.Get(v, 8)) throw Damaged{"an array is cut short"};
                return Variant::Dispatch(Resolve(static_cast<std::int64_t>(v)));
            case VarType::Array: {
                if (!in.Get(v, 4)) throw Damaged{"an array is cut short"};
                // Every item takes at least its two kind bytes.
                if (v > in.Left() / 2) throw Damaged{"an array is cut short"};
                std::vector<Variant> items;
                items.reserve(static_cast<std::size_t>(v));
                for (std::uint64_t i = 0; i < v; ++i) items.push_back(DecodeItem(in, depth + 1));
                return Variant::Array(std::move(items));
            }
        }
        throw Damaged{"unknown value kind " + std::to_string(kind)};
    }

    Variant Value(Statement& s) const {
        const std::int64_t kind = sqlite3_column_int64(*s, 2);
        const int storage = sqlite3_column_type(*s, 3);
        auto expect = [&](int t) {
            if (storage != t) throw Damaged{"a value of kind " + std::to_string(kind) + " is stored wrongly"};
        };
        auto blob = [&] {
            return ByteReader(sqlite3_column_blob(*s, 3), static_cast<std::size_t>(sqlite3_column_bytes(*s, 3)));
        };
        switch (kind) {
            case static_cast<std::int64_t>(VarType::Empty): expect(SQLITE_NULL); return Variant();
            case static_cast<std::int64_t>(VarType::I4):
                expect(SQLITE_INTEGER);
                return Variant::I4(ToInt32(sqlite3_column_int64(*s, 3)));
            case static_cast<std::int64_t>(VarType::Int):
                expect(SQLITE_INTEGER);
                return Variant::Int(ToInt32(sqlite3_column_int64(*s, 3)));
            case static_cast<std::int64_t>(VarType::Bool): {
                expect(SQLITE_INTEGER);
                const std::int64_t b = sqlite3_column_int64(*s, 3);
                if (b != 0 && b != 1) throw Damaged{"a flag holds " + std::to_string(b)};
                return Variant::Bool(b != 0);
            }
            case static_cast<std::int64_t>(VarType::R8): {
                expect(SQLITE_BLOB);
                ByteReader in = blob();
                double d = 0;
                if (!in.GetDouble(d) || in.Left() != 0) throw Damaged{"a real value is not 8 bytes"};
                return Variant::R8(d);
            }
            case static_cast<std::int64_t>(VarType::BStr): expect(SQLITE_TEXT); return Variant::BStr(Text(s, 3));
            case static_cast<std::int64_t>(VarType::Dispatch):
                expect(SQLITE_INTEGER);
                return Variant::Dispatch(Resolve(sqlite3_column_int64(*s, 3)));
            case static_cast<std::int64_t>(VarType::Array): {
                // An empty array is stored as an empty blob, which SQLite may give back as NULL.
                if (storage == SQLITE_NULL) return Variant::Array({});
                expect(SQLITE_BLOB);
                ByteReader in = blob();
                std::vector<Variant> items;
                while (in.Left() > 0) items.push_back(DecodeItem(in, 1));
                return Variant::Array(std::move(items));
            }
            default: throw Damaged{"unknown value kind " + std::to_string(kind)};
        }
    }

    sqlite3* db_;
    HostDocument& doc_;
    std::vector<std::pair<std::shared_ptr<HostSketch>, SketchPlacement>> sketchPlacements_;
};

// One integer answer of a pragma; false when it cannot be read.
bool PragmaInt(sqlite3* db, const char* sql, std::int64_t& out) {
    Statement s(db, sql);
    if (!s.Ok() || sqlite3_step(*s) != SQLITE_ROW) return false;
    out = sqlite3_column_int64(*s, 0);
    return true;
}

constexpr std::string_view kSavingTag = ".saving-";
constexpr std::size_t kSavingDigits = 16;

// A name beside the target that no other save uses: "<file>.saving-<hex>".
std::string TemporaryName(const std::string& path) {
    static const char* digits = "0123456789abcdef";
    std::random_device rd;
    std::string name = path + std::string(kSavingTag);
    for (std::size_t i = 0; i < kSavingDigits / 8; ++i) {
        const unsigned v = rd();
        for (int k = 0; k < 8; ++k) name += digits[(v >> (4 * k)) & 0xF];
    }
    return name;
}

// Whether `name` is the temporary file of a save of the document named
// `document` (both without their folder): that name, the tag and the digits.
bool IsTemporaryOf(std::string_view name, std::string_view document) {
    if (name.size() != document.size() + kSavingTag.size() + kSavingDigits) return false;
    if (name.substr(0, document.size()) != document || name.substr(document.size(), kSavingTag.size()) != kSavingTag)
        return false;
    const std::string_view digits = name.substr(document.size() + kSavingTag.size());
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Takes the save's lock of an open temporary file without waiting.
bool LockTemporary(int fd) {
    int r = 0;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes what saves of this document that were cut off (a kill, a power
// cut) left beside it. A save under way holds the lock of its temporary file
// (flock) until it ends, so its file is passed by; only names made of this
// document's own name are looked at.
void RemoveLeftovers(const std::string& path) {
    const std::filesystem::path target(path);
    const std::string document = target.filename().string();
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    std::vector<std::filesystem::path> found;
    std::filesystem::directory_iterator it(folder, ec);
    for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec))
        if (IsTemporaryOf(it->path().filename().string(), document)) found.push_back(it->path());
    for (const std::filesystem::path& leftover : found) {
        UniqueFd fd(::open(leftover.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat held {
        }, named{};
        if (!fd.IsOpen() || ::fstat(fd.Get(), &held) != 0 || !S_ISREG(held.st_mode) || !LockTemporary(fd.Get()))
            continue;
        // The name still leads to the file locked, not to a new save's.
        if (::lstat(leftover.c_str(), &named) == 0 && SameFile(held, named)) ::unlink(leftover.c_str());
    }
}

// The temporary file of one save, and the lock that tells other saves of
// the document that it is in use.
struct Temporary {
    std::string name;
    UniqueFd lock;
};

// Creates the temporary file, empty (SQLite takes an empty file as a new
// database): with the mode of the file it replaces, else the usual 0666 less
// the umask.
Temporary CreateTemporary(const std::string& path, std::optional<mode_t> replacedMode) {
    // A name taken by chance, or a file another save took for a leftover
    // before it was locked, is tried again; a few tries are plenty.
    for (int attempt = 0; attempt < 8; ++attempt) {
        Temporary temp{TemporaryName(path), {}};
        temp.lock = UniqueFd(::open(temp.name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!temp.lock.IsOpen()) {
            if (errno == EEXIST) continue;
            throw HostError(STG_E_WRITEFAULT_, "cannot create " + temp.name + ": " + std::strerror(errno));
        }
        struct stat held {
        }, named{};
        if (!LockTemporary(temp.lock.Get()) || ::fstat(temp.lock.Get(), &held) != 0 ||
            ::lstat(temp.name.c_str(), &named) != 0 || !SameFile(held, named))
            continue;
        // The umask took bits of a mode that the replaced file had.
        if (replacedMode) ::fchmod(temp.lock.Get(), *replacedMode);
        return temp;
    }
    throw HostError(STG_E_WRITEFAULT_, "cannot create a temporary file beside " + path);
}

void CheckUnchanged(const std::string& path, const FileIdentity* expected) {
    if (expected == nullptr || !expected->exists) return;
    const FileIdentity now = FileIdentity::Of(path);
    // A file deleted meanwhile has nothing to lose; one replaced or written has.
    if (now.exists && !(now == *expected))
        throw HostError(STG_E_WRITEFAULT_, "the document " + path +
                                               " was changed by another program since it was opened; it is left as "
                                               "that program saved it");
}

// Puts the finished file in place: over what is there, or only where nothing is.
void MoveIntoPlace(const std::string& temp, const std::string& path, bool mayReplace) {
    if (mayReplace) {
        if (::rename(temp.c_str(), path.c_str()) != 0)
            throw HostError(STG_E_WRITEFAULT_, "cannot replace " + path + ": " + std::strerror(errno));
        return;
    }
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // A file system without the no-replace rename: a hard link fails alike on an existing name.
        if (::link(temp.c_str(), path.c_str()) == 0) {
            ::unlink(temp.c_str());
            return;
        }
        err = errno;
    }
    if (err == EEXIST) throw HostError(STG_E_FILEALREADYEXISTS_, "the file " + path + " exists already");
    throw HostError(STG_E_WRITEFAULT_, "cannot create " + path + ": " + std::strerror(err));
}

}  // namespace

FileIdentity DocumentFile::Write(const HostDocument& doc, const std::string& named, bool mayReplace,
                                 const FileIdentity* expected) {
    // A link is saved through: the document takes the place of the file it
    // leads to (one that does not exist yet included), and the link stays.
    std::filesystem::path through;
    std::string linkError;
    if (!ThroughLinks(named, through, linkError))
        throw HostError(STG_E_ACCESSDENIED_, "cannot save the document: " + linkError);
    const std::string path = through.string();
    if (const std::string refusal = ReplaceRefusal(path); !refusal.empty())
        throw HostError(STG_E_ACCESSDENIED_, "cannot save the document: " + refusal);
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && !mayReplace) throw HostError(STG_E_FILEALREADYEXISTS_, "the file " + path + " exists already");
    // A document takes the place of a document (or of an empty file), never
    // of someone's text, program or picture.
    if (exists && old.st_size > 0 && !IsDocumentFile(path))
        throw HostError(STG_E_ACCESSDENIED_,
                        "cannot save the document: \"" + path + "\" is not a Zarvento document and is left as it is");
    CheckUnchanged(path, expected);
    // What cut-off saves left: an older version's under its one fixed name,
    // this one's under names of their own.
    std::error_code ec;
    std::filesystem::remove(path + ".saving", ec);
    RemoveLeftovers(path);
    Temporary made = CreateTemporary(path, exists ? std::optional<mode_t>(old.st_mode & 07777) : std::nullopt);
    const std::string& temp = made.name;
    FileIdentity saved;
    try {
        {
            Database db;
            if (sqlite3_open_v2(temp.c_str(), &db.Handle(), SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
                throw HostError(STG_E_WRITEFAULT_, "cannot create " + temp + ": " + db.Error());
            Writer(doc, *db).WriteAll();
            if (db.Close() != SQLITE_OK) throw HostError(STG_E_WRITEFAULT_, "cannot finish " + temp);
        }
        HostFaults::Check("DocumentFile.Replace");
        if (!SyncFile(temp, false)) throw HostError(STG_E_WRITEFAULT_, "cannot flush " + temp + " to disk");
        saved = FileIdentity::Of(temp);
        // Once more, as late as can be: a save of another program meanwhile is not overwritten.
        CheckUnchanged(path, expected);
        MoveIntoPlace(temp, path, mayReplace);
    } catch (...) {
        std::filesystem::remove(temp, ec);
        throw;
    }
    const std::filesystem::path dir = std::filesystem::path(path).parent_path();
    SyncFile(dir.empty() ? std::string(".") : dir.string(), true);
    return saved;
}

bool DocumentFile::IsDocumentFile(const std::string& path) {
    // The database header: its magic text, and the application id stored
    // big-endian at byte 68.
    constexpr std::string_view kMagic("SQLite format 3\0", 16);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    unsigned char header[72] = {};
    const bool read =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, header, sizeof header) == sizeof header;
    ::close(fd);
    if (!read || std::string_view(reinterpret_cast<const char*>(header), kMagic.size()) != kMagic) return false;
    const std::uint32_t id = (std::uint32_t{header[68]} << 24) | (std::uint32_t{header[69]} << 16) |
                             (std::uint32_t{header[70]} << 8) | std::uint32_t{header[71]};
    return id == static_cast<std::uint32_t>(kApplicationId);
}

namespace {

// Refuses a path that leads to no regular file, saying why: missing, links
// that go round, a folder, a device or a path that may not be searched.
void CheckReadable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode)) return;
        const std::string what = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
        throw HostError(STG_E_ACCESSDENIED_, "cannot open the document: \"" + path + "\" is " + what);
    }
    const int err = errno;
    if (err == ELOOP) {
        std::filesystem::path through;
        std::string why = "the links from \"" + path + "\" go round";
        ThroughLinks(path, through, why);
        throw HostError(STG_E_ACCESSDENIED_, "cannot open the document: " + why);
    }
    if (err == ENOENT || err == ENOTDIR) throw HostError(STG_E_FILENOTFOUND_, "document file not found: " + path);
    throw HostError(STG_E_ACCESSDENIED_, "cannot open the document " + path + ": " + std::strerror(err));
}

}  // namespace

HostDocumentPtr DocumentFile::Read(const std::string& path) {
    CheckReadable(path);
    const std::string notDocument = "the file is not a Zarvento document: " + path;

    Database db;
    // The connection is this call's alone: SQLite need not lock it at every call.
    if (sqlite3_open_v2(path.c_str(), &db.Handle(), SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        throw HostError(STG_E_INVALIDHEADER_, notDocument + " (" + db.Error() + ")");
    std::int64_t appId = 0, version = 0;
    if (!PragmaInt(*db, "PRAGMA application_id", appId)) {
        const int code = sqlite3_errcode(*db);
        if (code == SQLITE_NOTADB) throw HostError(STG_E_INVALIDHEADER_, notDocument);
        throw HostError(STG_E_DOCFILECORRUPT_, "the document file is damaged: " + path + " (" + db.Error() + ")");
    }
    if (appId != kApplicationId) throw HostError(STG_E_INVALIDHEADER_, notDocument);

    try {
        {
            Statement check(*db, "PRAGMA quick_check");
            if (!check.Ok() || sqlite3_step(*check) != SQLITE_ROW) throw Damaged{db.Error()};
            const std::string answer = Reader::Text(check, 0);
            if (answer != "ok") throw Damaged{answer};
        }
        std::string format;
        std::int64_t type = 0;
        {
            Statement s(*db, "SELECT key, value FROM document");
            if (!s.Ok()) throw Damaged{db.Error()};
            int rc;
            while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
                const std::string key = Reader::Text(s, 0);
                if (key == "format") format = Reader::Text(s, 1);
                if (key == "version") version = sqlite3_column_int64(*s, 1);
                if (key == "type") type = sqlite3_column_int64(*s, 1);
            }
            if (rc != SQLITE_DONE) throw Damaged{db.Error()};
        }
        if (format != kFormatName) throw HostError(STG_E_INVALIDHEADER_, notDocument);
        if (version > kFormatVersion)
            throw HostError(STG_E_INVALIDHEADER_, "the document " + path + " was written by a newer version (format " +
                                                      std::to_string(version) + ", this program reads up to " +
                                                      std::to_string(kFormatVersion) + ")");
        if (version < 1) throw Damaged{"no valid format version"};
        DocumentType docType;
        if (!DocumentTypeFromCode(type, docType)) throw Damaged{"unknown document type " + std::to_string(type)};

        auto doc = std::make_shared<HostDocument>(docType);
        Reader reader(*db, *doc);
        reader.ReadEntities();
        if (std::string error; !LinkPartModelEntities(doc, error)) throw Damaged{error};
        reader.ReadRecords();
        reader.ReadDerived();
        std::int64_t nextId = 0;
        {
            Statement s(*db, "SELECT value FROM document WHERE key = 'next_id'");
            if (s.Ok() && sqlite3_step(*s) == SQLITE_ROW) nextId = sqlite3_column_int64(*s, 0);
        }
        // Ids are never reused, even those of entities deleted before the save.
        if (nextId > doc->NextId()) doc->SetNextId(nextId);
        return doc;
    } catch (const Damaged& d) {
        throw HostError(STG_E_DOCFILECORRUPT_, "the document file is damaged: " + path + " (" + d.what + ")");
    }
}

}  // namespace zarvento
