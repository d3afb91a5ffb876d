// The headless host's documents: the application's collection, saving to and
// opening from a document file, and refusing files that are not documents.
#include "platform/documents/host_document.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_named_object.h"
#include "platform/core/host_variable.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/document_file.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

const auto ErrorOf = test::CaughtHostError;

class HostDocumentTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "zarvento-doc-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        app = &ConnectHostApplication();
    }
    void TearDown() override {
        CleanStateTest::TearDown();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    std::string PathOf(const std::string& name) const { return (dir / name).string(); }

    // Writes a record through the record layer into the active document.
    static void WriteRecord(const std::string& name, std::vector<Variant> positional) {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite(name));
        for (auto& v : positional) r.AddValue(v);
    }

    static std::string Dump(const HostDocumentPtr& d) { return DumpDocumentRecords(*d); }

    // A saved part with one record, closed again.
    std::string SavedPart(const std::string& name, int records = 1) {
        auto doc = app->Documents().Add(DocumentType::Part);
        for (int i = 0; i < records; ++i)
            WriteRecord("Zarvento.R" + std::to_string(i), {Variant::I4(i), Variant::BStr(std::string(200, 'x'))});
        const std::string path = PathOf(name);
        doc->SaveAs(path);
        app->Documents().Close(doc);
        return path;
    }

    fs::path dir;
    HostApplication* app = nullptr;
};

TEST_F(HostDocumentTest, DocumentsAreCreatedFoundActivatedAndClosed) {
    auto part = app->Documents().Add(DocumentType::Part);
    EXPECT_EQ(app->ActiveDocument(), part);
    auto hidden = app->Documents().Add(DocumentType::Drawing2D, false);
    EXPECT_EQ(app->ActiveDocument(), part);  // an invisible document does not take over
    EXPECT_EQ(app->Documents().Count(), 2u);
    EXPECT_TRUE(part->FilePath().empty());

    const std::string path = PathOf("a.rdp");
    part->SaveAs(path);
    EXPECT_EQ(part->FilePath(), NormalizeDocumentPath(path));
    EXPECT_EQ(app->Documents().FindByPath((dir / "." / "a.rdp").string()), part);
    EXPECT_EQ(app->Documents().Open(path), part);  // an open document is not opened twice
    EXPECT_EQ(app->Documents().FindByPath(PathOf("b.rdp")), nullptr);

    app->SetActiveDocument(hidden);
    EXPECT_EQ(ActiveHostDocument(), hidden);
    EXPECT_TRUE(app->Documents().Close(hidden));
    EXPECT_FALSE(app->Documents().Close(hidden));
    EXPECT_EQ(app->ActiveDocument(), nullptr);
    EXPECT_EQ(ErrorOf([] { ActiveHostDocument(); }).Code(), E_POINTER_);
    EXPECT_EQ(ErrorOf([&] { app->SetActiveDocument(hidden); }).Code(), E_INVALIDARG_);
    EXPECT_EQ(ErrorOf([&] { hidden->Storages(); }).Code(), E_POINTER_);

    EXPECT_STREQ(DocumentExtension(DocumentType::Part), ".rdp");
    EXPECT_STREQ(DocumentExtension(DocumentType::Assembly), ".rda");
    EXPECT_STREQ(DocumentExtension(DocumentType::Drawing2D), ".rdd");
}

TEST_F(HostDocumentTest, SaveCloseReopenKeepsEveryValueKindAndObjectReference) {
    auto doc = app->Documents().Add(DocumentType::Assembly);
    auto lcs = doc->AddLocalCoordinateSystem("ЛСК:1", {1.5, -2, 3}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0});
    auto sketch = doc->AddSketch("Эскиз:1");
    auto face = doc->AddNamedObject(6, "Грань:4");
    doc->AddVariable("HB", 210.5, "твёрдость");
    const Variant nested = Variant::Array(
        {Variant::I4(1), Variant::Array({Variant::BStr("a"), Variant::Dispatch(face)}), Variant(), Variant::R8(0.1)});
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.ALL"));
        r.WriteNamedValueNow("pLSC", Variant::Dispatch(lcs));
        r.AddValue(Variant());
        r.AddValue(Variant::I4(-2147483647 - 1));
        r.AddValue(Variant::Int(2147483647));
        r.AddValue(Variant::R8(0.1));
        r.AddValue(Variant::R8(-0.0));
        r.AddValue(Variant::R8(std::nan("")));
        r.AddValue(Variant::Bool(true));
        r.AddValue(Variant::BStr("Прокат \"круг\"\n"));
        r.AddValue(Variant::BStr(""));
        r.AddValue(Variant::Dispatch(nullptr));
        r.AddValue(Variant::Array({}));
        r.AddNamedValue("nested", nested);
        r.AddNamedValue("pSourceSketch", Variant::Dispatch(sketch));
    }
    doc->Storages().Add(0);  // a second, empty storage
    const std::string before = Dump(doc);
    const std::string path = PathOf("all.rda");
    doc->SaveAs(path);
    app->Documents().Close(doc);

    auto again = app->Documents().Open(path);
    EXPECT_EQ(app->ActiveDocument(), again);
    EXPECT_EQ(again->Type(), DocumentType::Assembly);
    EXPECT_EQ(Dump(again), before);
    EXPECT_EQ(again->Storages().Count(), 2u);

    StorageRecord r;
    ASSERT_TRUE(r.OpenRead("Zarvento.ALL"));
    Variant v;
    EXPECT_TRUE(r.ReadValue(v).IsEmpty());
    EXPECT_EQ(r.ReadValue(v), Variant::I4(-2147483647 - 1));
    EXPECT_EQ(r.ReadValue(v), Variant::Int(2147483647));
    EXPECT_EQ(r.ReadValue(v), Variant::R8(0.1));
    EXPECT_TRUE(std::signbit(r.ReadValue(v).AsR8()));
    EXPECT_TRUE(std::isnan(r.ReadValue(v).AsR8()));
    EXPECT_EQ(r.ReadValue(v), Variant::Bool(true));
    EXPECT_EQ(r.ReadValue(v), Variant::BStr("Прокат \"круг\"\n"));
    EXPECT_EQ(r.ReadValue(v), Variant::BStr(""));
    EXPECT_EQ(r.ReadValue(v), Variant::Dispatch(nullptr));
    EXPECT_EQ(r.ReadValue(v), Variant::Array({}));

    r.ReadNamedValue("pLSC");
    auto lcs2 = std::dynamic_pointer_cast<LocalCoordinateSystem>(r.ReadBuffer().AsDispatch());
    ASSERT_TRUE(lcs2);
    EXPECT_TRUE(SameHostObject(lcs2, again->FindEntity(lcs->PersistentId())));
    EXPECT_EQ(lcs2->Name(), "ЛСК:1");
    EXPECT_EQ(lcs2->Origin(), lcs->Origin());
    EXPECT_EQ(lcs2->Axes(), lcs->Axes());
    EXPECT_EQ(again->ObjectsOfType(LocalCoordinateSystem::kObjectType), std::vector<HostObjectPtr>{lcs2});

    r.ReadNamedValue("pSourceSketch");
    auto sketch2 = std::dynamic_pointer_cast<HostSketch>(r.ReadBuffer().AsDispatch());
    ASSERT_TRUE(sketch2);
    EXPECT_EQ(sketch2->PersistentId(), sketch->PersistentId());
    EXPECT_EQ(sketch2->Name(), "Эскиз:1");

    r.ReadNamedValue("nested");
    const auto& inner = r.ReadBuffer().AsArray().at(1).AsArray();
    EXPECT_EQ(inner.at(1).AsDispatch()->Name(), "Грань:4");
    EXPECT_EQ(inner.at(1).AsDispatch()->ObjectType(), 6);

    auto vars = again->Variables();
    ASSERT_EQ(vars.size(), 1u);
    EXPECT_EQ(vars[0]->Name(), "HB");
    EXPECT_EQ(vars[0]->Value(), 210.5);
    EXPECT_EQ(vars[0]->Comment(), "твёрдость");
}

TEST_F(HostDocumentTest, ReferencesToDeletedEntitiesReadBackAsNullAndIdsAreNotReused) {
    auto doc = app->Documents().Add(DocumentType::Part);
    auto kept = doc->AddSketch("kept");
    auto gone = doc->AddSketch("gone");
    WriteRecord("Zarvento.SPID", {Variant::Dispatch(gone), Variant::Dispatch(kept)});
    EXPECT_TRUE(doc->RemoveEntity(gone));
    EXPECT_FALSE(doc->RemoveEntity(gone));
    const std::string path = PathOf("p.rdp");
    doc->SaveAs(path);
    app->Documents().Close(doc);

    auto again = app->Documents().Open(path);
    StorageRecord r;
    ASSERT_TRUE(r.OpenRead("Zarvento.SPID"));
    Variant v;
    EXPECT_EQ(r.ReadValue(v), Variant::Dispatch(nullptr));
    EXPECT_EQ(r.ReadValue(v).AsDispatch()->Name(), "kept");
    auto fresh = again->AddSketch("new");
    EXPECT_GT(fresh->PersistentId(), gone->PersistentId());
    // An object of one document cannot be added to another.
    EXPECT_EQ(ErrorOf([&] { again->AddEntity(kept); }).Code(), E_INVALIDARG_);
}

// A save that fails at any step leaves the previous file whole and readable,
// the document's own file name unchanged and no temporary file behind.
TEST_F(HostDocumentTest, AFailedSaveLeavesThePreviousFileIntact) {
    const char* steps[] = {"HostDocument.Save", "DocumentFile.WriteEntity", "DocumentFile.WriteRecord",
                           "DocumentFile.Replace"};
    const std::string path = PathOf("keep.rdp");
    auto doc = app->Documents().Add(DocumentType::Part);
    doc->AddSketch("s");
    WriteRecord("Zarvento.OLD", {Variant::I4(1)});
    doc->SaveAs(path);
    const std::string saved = Dump(doc);
    WriteRecord("Zarvento.NEW1", {Variant::I4(2)});
    WriteRecord("Zarvento.NEW2", {Variant::I4(3)});

    for (const char* step : steps) {
        SCOPED_TRACE(step);
        // Fail at the second record, so part of the new content is already written.
        HostFaults::Arm(step, STG_E_WRITEFAULT_, std::string(step) == "DocumentFile.WriteRecord" ? 1 : 0);
        EXPECT_EQ(ErrorOf([&] { doc->Save(); }).Code(), STG_E_WRITEFAULT_);
        HostFaults::Arm(step, STG_E_WRITEFAULT_, std::string(step) == "DocumentFile.WriteRecord" ? 1 : 0);
        EXPECT_EQ(ErrorOf([&] { doc->SaveAs(PathOf("other.rdp")); }).Code(), STG_E_WRITEFAULT_);
        EXPECT_EQ(doc->FilePath(), NormalizeDocumentPath(path));
        EXPECT_FALSE(fs::exists(PathOf("other.rdp")));
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(dir)) files.push_back(e.path().filename().string());
        EXPECT_EQ(files, std::vector<std::string>{"keep.rdp"});
        EXPECT_EQ(Dump(DocumentFile::Read(path)), saved);
    }
    // A temporary file left by a save that was cut off does not stand in the way.
    std::ofstream(path + ".saving") << "half a document";
    doc->Save();
    EXPECT_EQ(Dump(DocumentFile::Read(path)), Dump(doc));
    EXPECT_FALSE(fs::exists(path + ".saving"));
}

// A write-protected document was replaced by a save and came back with
// another mode; a new document took an existing one's place unasked; a save
// went over a file another program had saved since it was read.
TEST_F(HostDocumentTest, SavesKeepTheModeRefuseProtectedFilesAndNeverOverwriteAnotherSave) {
    namespace perms = std::filesystem;
    const std::string path = PathOf("mode.rdp");
    auto doc = app->Documents().Add(DocumentType::Part);
    doc->SaveAs(path);
    fs::permissions(path, perms::perms::owner_read | perms::perms::owner_write | perms::perms::group_read);
    doc->AddSketch("s");
    doc->Save();
    EXPECT_EQ(fs::status(path).permissions(),
              perms::perms::owner_read | perms::perms::owner_write | perms::perms::group_read);

    fs::permissions(path, perms::perms::owner_read);
    auto entities = [&] { return DocumentFile::Read(path)->Entities().size(); };
    const std::size_t before = entities();
    doc->AddSketch("t");
    const HostError protectedFile = ErrorOf([&] { doc->Save(); });
    EXPECT_EQ(protectedFile.Code(), STG_E_ACCESSDENIED_);
    EXPECT_NE(std::string(protectedFile.what()).find("write-protected"), std::string::npos) << protectedFile.what();
    EXPECT_EQ(entities(), before);
    EXPECT_EQ(fs::status(path).permissions(), perms::perms::owner_read);
    fs::permissions(path, perms::perms::owner_read | perms::perms::owner_write);

    // A new document does not take the place of an existing file unless told to.
    auto fresh = app->Documents().Add(DocumentType::Part);
    EXPECT_EQ(ErrorOf([&] { fresh->SaveAs(PathOf("mode.rdp"), false); }).Code(), E_INVALIDARG_)
        << "the open document's own file";
    EXPECT_EQ(ErrorOf([&] { fresh->SaveAs(SavedPart("other.rdp"), false); }).Code(), STG_E_FILEALREADYEXISTS_);
    fresh->SaveAs(PathOf("new.rdp"), false);
    EXPECT_TRUE(DocumentFile::IsDocumentFile(PathOf("new.rdp")));

    // Another program saves the document meanwhile: its save stays, ours is refused.
    auto other = DocumentFile::Read(path);
    other->AddSketch("theirs");
    DocumentFile::Write(*other, path);
    const std::size_t theirs = entities();
    const HostError changed = ErrorOf([&] { doc->Save(); });
    EXPECT_EQ(changed.Code(), STG_E_WRITEFAULT_);
    EXPECT_NE(std::string(changed.what()).find("changed by another program"), std::string::npos) << changed.what();
    EXPECT_EQ(entities(), theirs);
    // Saved elsewhere, the document is free again.
    doc->SaveAs(PathOf("mine.rdp"));
    doc->Save();

    // Only our own files pass for documents.
    std::ofstream(PathOf("text.rdp")) << "SQLite format 3";
    EXPECT_FALSE(DocumentFile::IsDocumentFile(PathOf("text.rdp")));
    EXPECT_FALSE(DocumentFile::IsDocumentFile(dir.string()));
    EXPECT_FALSE(DocumentFile::IsDocumentFile(PathOf("none.rdp")));
}

// A umask that keeps group and others out, and what it was put back after.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// A new document, like every file the program makes, gets the mode the
// user's umask leaves of 0666; one it replaces keeps its own.
TEST_F(HostDocumentTest, ANewDocumentGetsTheUmasksMode) {
    const ScopedUmask mask(027);
    auto doc = app->Documents().Add(DocumentType::Part);
    doc->SaveAs(PathOf("new.rdp"));
    EXPECT_EQ(fs::status(PathOf("new.rdp")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::permissions(PathOf("new.rdp"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    doc->Save();
    EXPECT_EQ(fs::status(PathOf("new.rdp")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ::umask(0);
    DocumentFile::Write(*doc, PathOf("open.rdp"));
    EXPECT_EQ(fs::status(PathOf("open.rdp")).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                                fs::perms::group_read | fs::perms::group_write |
                                                                fs::perms::others_read | fs::perms::others_write);
}

// What saves cut off by a kill left beside a document goes at its next
// save: never the file of a save under way (it holds its lock), nor another
// document's, nor a name the save would not have made.
TEST_F(HostDocumentTest, TheNextSaveRemovesWhatCutOffSavesOfTheDocumentLeft) {
    auto doc = app->Documents().Add(DocumentType::Part);
    doc->SaveAs(PathOf("part.rdp"));
    const std::vector<std::string> leftovers = {"part.rdp.saving-0123456789abcdef", "part.rdp.saving-fedcba9876543210"};
    const std::vector<std::string> kept = {"part.rdp.saving-00000000000000ff",  // a save under way
                                           "other.rdp.saving-0123456789abcdef", "apart.rdp.saving-0123456789abcdef",
                                           "part.rdp.saving-0123456789abcdeF",  "part.rdp.saving-0123",
                                           "part.rdp.saving-0123456789abcdef0", "part.rdp.saving"};
    for (const auto& name : leftovers) std::ofstream(PathOf(name)) << "half a document";
    for (const auto& name : kept) std::ofstream(PathOf(name)) << "not ours to remove";
    const int underWay = ::open(PathOf(kept[0]).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(underWay, 0);
    ASSERT_EQ(::flock(underWay, LOCK_EX), 0);
    fs::create_directory(PathOf("part.rdp.saving-aaaaaaaaaaaaaaaa"));  // a folder is no leftover of a save
    doc->AddSketch("s");
    doc->Save();
    ::close(underWay);
    for (const auto& name : leftovers) EXPECT_FALSE(fs::exists(PathOf(name))) << name;
    for (const auto& name : kept)
        EXPECT_EQ(fs::exists(PathOf(name)), name != "part.rdp.saving") << name;  // the old fixed name goes too
    EXPECT_TRUE(fs::is_directory(PathOf("part.rdp.saving-aaaaaaaaaaaaaaaa")));
    EXPECT_EQ(Dump(DocumentFile::Read(PathOf("part.rdp"))), Dump(doc));
}

// A document behind links that go round says so, not that it is missing.
TEST_F(HostDocumentTest, ADocumentThatCannotBeReachedSaysWhy) {
    fs::create_symlink("b.rdp", dir / "a.rdp");
    fs::create_symlink("a.rdp", dir / "b.rdp");
    fs::create_symlink("gone.rdp", dir / "dangling.rdp");
    const struct {
        std::string path;
        HRESULT code;
        std::string says;
    } cases[] = {
        {PathOf("a.rdp"), STG_E_ACCESSDENIED_, "go round"},
        {PathOf("missing.rdp"), STG_E_FILENOTFOUND_, "not found"},
        {PathOf("dangling.rdp"), STG_E_FILENOTFOUND_, "not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const HostError e = ErrorOf([&] { app->Documents().Open(c.path); });
        EXPECT_EQ(e.Code(), c.code) << e.what();
        EXPECT_NE(e.Message().find(c.says), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find(c.path), std::string::npos) << e.Message();
    }
}

// A document saved to a link goes where the link leads, even to a file that
// is not there yet, and the link stays; links that go round are refused.
TEST_F(HostDocumentTest, ASaveToALinkWritesWhereItLeads) {
    fs::create_directory(dir / "shared");
    fs::create_symlink("shared/part.rdp", dir / "link.rdp");
    auto doc = app->Documents().Add(DocumentType::Part);
    doc->AddSketch("s");
    DocumentFile::Write(*doc, PathOf("link.rdp"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.rdp")));
    EXPECT_TRUE(DocumentFile::IsDocumentFile((dir / "shared" / "part.rdp").string()));
    fs::create_symlink("round.rdp", dir / "round.rdp");
    EXPECT_EQ(ErrorOf([&] { DocumentFile::Write(*doc, PathOf("round.rdp")); }).Code(), STG_E_ACCESSDENIED_);
}

TEST_F(HostDocumentTest, SavingNeedsAFileNameAnOpenDocumentAndAFreePath) {
    auto a = app->Documents().Add(DocumentType::Part);
    auto b = app->Documents().Add(DocumentType::Part);
    EXPECT_EQ(ErrorOf([&] { a->Save(); }).Code(), E_FAIL_);
    a->SaveAs(PathOf("a.rdp"));
    EXPECT_EQ(ErrorOf([&] { b->SaveAs(PathOf("a.rdp")); }).Code(), E_INVALIDARG_);
    EXPECT_EQ(ErrorOf([&] { b->SaveAs(PathOf("missing/b.rdp")); }).Code(), STG_E_WRITEFAULT_);
    app->Documents().Close(b);
    EXPECT_EQ(ErrorOf([&] { b->SaveAs(PathOf("b.rdp")); }).Code(), E_POINTER_);
}

void ExecSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    const std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << msg;
}

// Files that are not documents, or damaged ones, are refused with a clear
// error naming the file, and the application stays as it was.
TEST_F(HostDocumentTest, ForeignAndDamagedFilesAreRefusedAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<std::string()> make;
        HRESULT code;
        const char* words;
    };
    const Case cases[] = {
        {"missing", [&] { return PathOf("none.rdp"); }, STG_E_FILENOTFOUND_, "not found"},
        {"folder", [&] { return dir.string(); }, STG_E_ACCESSDENIED_, "is a folder"},
        {"text",
         [&] {
             std::ofstream(PathOf("t.rdp")) << std::string(5000, 'z');
             return PathOf("t.rdp");
         },
         STG_E_INVALIDHEADER_, "not a Zarvento document"},
        {"empty",
         [&] {
             std::ofstream(PathOf("e.rdp")).flush();
             return PathOf("e.rdp");
         },
         STG_E_INVALIDHEADER_, "not a Zarvento document"},
        {"other database",
         [&] {
             ExecSql(PathOf("o.rdp"), "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
             return PathOf("o.rdp");
         },
         STG_E_INVALIDHEADER_, "not a Zarvento document"},
        {"header only",
         [&] {
             const std::string p = SavedPart("h.rdp");
             fs::resize_file(p, 60);
             return p;
         },
         STG_E_INVALIDHEADER_, "not a Zarvento document"},
        {"truncated",
         [&] {
             const std::string p = SavedPart("tr.rdp", 300);
             fs::resize_file(p, fs::file_size(p) / 2);
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
        {"a page overwritten",
         [&] {
             const std::string p = SavedPart("pg.rdp", 300);
             const auto size = fs::file_size(p);
             std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(size / 2 / 4096 * 4096));
             f << std::string(4096, '\xA5');
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
        {"newer version",
         [&] {
             const std::string p = SavedPart("v.rdp");
             ExecSql(p, "UPDATE document SET value = 99 WHERE key = 'version';");
             return p;
         },
         STG_E_INVALIDHEADER_, "newer version"},
        {"unknown value kind",
         [&] {
             const std::string p = SavedPart("k.rdp");
             ExecSql(p, "UPDATE entries SET kind = 77;");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
        {"value stored as the wrong kind",
         [&] {
             const std::string p = SavedPart("w.rdp");
             ExecSql(p, "UPDATE entries SET value = 'text' WHERE kind = 3;");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
        {"reference to a missing entity",
         [&] {
             const std::string p = SavedPart("r.rdp");
             ExecSql(p, "UPDATE entries SET kind = 9, value = 42 WHERE kind = 3;");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "missing entity"},
        {"array cut short",
         [&] {
             const std::string p = SavedPart("a.rdp");
             ExecSql(p, "UPDATE entries SET kind = 8192, value = x'0300FFFF' WHERE kind = 3;");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
        {"sketch objects cut short",
         [&] {
             const std::string p = PathOf("s.rdp");
             auto doc = app->Documents().Add(DocumentType::Part, false);
             doc->AddSketch("Contour")->Objects().LineSeg(0, 0, 1, 1, 1);
             doc->SaveAs(p);
             app->Documents().Close(doc);
             ExecSql(p, "UPDATE entities SET data = substr(data, 1, 10) WHERE class = 'sketch';");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "sketch"},
        {"no document table",
         [&] {
             const std::string p = SavedPart("d.rdp");
             ExecSql(p, "DROP TABLE document;");
             return p;
         },
         STG_E_DOCFILECORRUPT_, "damaged"},
    };
    auto active = app->Documents().Add(DocumentType::Part);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        app->SetActiveDocument(active);
        const HostError e = ErrorOf([&] { app->Documents().Open(path); });
        EXPECT_EQ(e.Code(), c.code) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_EQ(app->Documents().Count(), 1u);
        EXPECT_EQ(app->ActiveDocument(), active);
    }
}

// A sketch keeps its lines and arcs and its source, a variable its
// equation; a rebuild runs the registered rebuild once per call.
TEST_F(HostDocumentTest, SketchObjectsAndVariableEquationsSurviveReopeningAndRebuildsRunTheHook) {
    auto doc = app->Documents().Add(DocumentType::Part);
    auto sketch = doc->AddSketch("Contour");
    sketch->Objects().LineSeg(0, 0, 10, -2.5, 1);
    sketch->Objects().ArcByPoint(10, 0, 2.5, 10, -2.5, 10, 2.5, -1, 3);
    sketch->SetSource("line 0 0 L 0\n");
    doc->AddVariable("L", 10, "Длина")->SetEquation("W*2");
    doc->AddVariable("W", 5);
    const std::string path = PathOf("tool.rdp");
    doc->SaveAs(path);
    app->Documents().Close(doc);

    doc = app->Documents().Open(path);
    auto back = doc->FindSketch("Contour");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Source(), "line 0 0 L 0\n");
    const auto& objects = back->Objects().Objects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].type, kObj2DLine);
    EXPECT_EQ(objects[0].line.y2, -2.5);
    EXPECT_EQ(objects[1].type, kObj2DArc);
    EXPECT_EQ(objects[1].arc.direction, -1);
    EXPECT_EQ(objects[1].arc.style, 3);
    EXPECT_EQ(objects[1].arc.y2, 2.5);
    EXPECT_EQ(doc->FindVariable("L")->Equation(), "W*2");
    EXPECT_EQ(doc->FindVariable("W")->Equation(), "");
    EXPECT_FALSE(doc->FindSketch("Other"));

    int rebuilt = 0;
    SetDocumentRebuildHandler([&](HostDocument& d) {
        ++rebuilt;
        d.FindVariable("L")->SetValue(d.FindVariable("W")->Value() * 2);
    });
    doc->FindVariable("W")->SetValue(7);
    doc->Rebuild();
    SetDocumentRebuildHandler(nullptr);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(doc->RebuildCount(), 1);
    EXPECT_EQ(doc->FindVariable("L")->Value(), 14);
    app->Documents().Close(doc);
    EXPECT_EQ(ErrorOf([&] { doc->Rebuild(); }).Code(), E_POINTER_);
}

}  // namespace
}  // namespace zarvento
