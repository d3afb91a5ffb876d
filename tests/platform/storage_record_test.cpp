// StorageRecord against the headless host's documents: the record layer's
// calling order, its edge cases and the listing of what it wrote.
#include "platform/documents/storage_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/document_file.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::ErrorCodeOf;

class StorageRecordTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }

    // The entries of a record of storage 0, or none when it is absent.
    std::shared_ptr<HostRecord> Record(const std::string& name) const {
        auto storage = doc->Storages().Item(Variant::I4(0));
        return storage ? storage->Record(Variant::BStr(name)) : nullptr;
    }

    HostDocumentPtr doc;
};

TEST_F(StorageRecordTest, PositionalAndNamedValuesReadBackInAnyMix) {
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.T"));
        Variant v = Variant::I4(7);
        EXPECT_TRUE(r.AddValue(v));
        EXPECT_TRUE(v.IsEmpty());  // the caller's value is cleared
        r.AddNamedValue("Npositions", Variant::I4(8));
        r.AddValue(Variant::R8(2.5));
        r.AddValue(Variant::BStr("Прокат"));
        r.AddNamedValue("isLSC", Variant::Bool(true));
    }
    StorageRecord r;
    ASSERT_TRUE(r.OpenRead("Zarvento.T"));
    EXPECT_EQ(r.Name(), "Zarvento.T");
    r.ReadNamedValue("Npositions");
    EXPECT_EQ(r.ReadBuffer(), Variant::I4(8));
    Variant v;
    EXPECT_EQ(r.ReadValue(v), Variant::I4(7));
    EXPECT_EQ(r.ReadValue(v), Variant::R8(2.5));
    r.ReadNamedValue("isLSC");  // does not move the read position
    EXPECT_EQ(r.ReadBuffer(), Variant::Bool(true));
    EXPECT_EQ(r.ReadValue(v), Variant::BStr("Прокат"));
    r.ReadNamedValue("Npositions");
    EXPECT_EQ(r.ReadBuffer(), Variant::I4(8));
    // A fourth positional read asks for index 3, which the host answers as Empty.
    EXPECT_TRUE(r.ReadValue(v).IsEmpty());
    EXPECT_EQ(r.ReadPosition(), 4);
    r.ReadNamedValue("missing");
    EXPECT_TRUE(r.ReadBuffer().IsEmpty());
}

TEST_F(StorageRecordTest, DumpListsRecordsWithPositionalNamesAndKinds) {
    auto lcs = doc->AddLocalCoordinateSystem("ЛСК:1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.LSC"));
        r.AddValue(Variant::BStr("Fanuc"));
        r.WriteNamedValueNow("pLSC", Variant::Dispatch(lcs));
        r.AddNamedValue("isLSC", Variant::Bool(true));
    }
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.PLAN"));
        r.AddValue(Variant::I4(2));
        r.AddValue(Variant::Int(3));
        r.AddNamedValue("Xmax", Variant::R8(-12.5));
    }
    EXPECT_EQ(DumpDocumentRecords(*doc),
              "storage 0\n"
              "record \"Zarvento.LSC\"\n"
              "  \"pLSC\" DISPATCH #1 ЛСК:1\n"
              "  \" \" BSTR \"Fanuc\"\n"
              "  \"isLSC\" BOOL true\n"
              "record \"Zarvento.PLAN\"\n"
              "  \" \" I4 2\n"
              "  \" \" INT 3\n"
              "  \"Xmax\" R8 -12.5\n");
}

TEST_F(StorageRecordTest, SavingNothingLeavesAnEmptyRecordInPlaceOfTheOld) {
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.T");
        r.AddValue(Variant::I4(1));
    }
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.T"));
    }
    auto rec = Record("Zarvento.T");
    ASSERT_TRUE(rec);
    EXPECT_TRUE(rec->Entries().empty());
    EXPECT_EQ(rec->LibraryKey(), StorageRecord::kLibraryKey);
}

TEST_F(StorageRecordTest, RemoveDeletesAndReturnsTrueEvenWhenNothingIsThere) {
    StorageRecord r;
    EXPECT_TRUE(r.Remove("Zarvento.None"));
    EXPECT_EQ(doc->Storages().Count(), 0u);  // removing creates no storage
    r.OpenWrite("Zarvento.T");
    EXPECT_TRUE(r.Remove("Zarvento.T"));
    EXPECT_FALSE(Record("Zarvento.T"));
    EXPECT_TRUE(r.Remove("Zarvento.T"));
}

TEST_F(StorageRecordTest, OnlyOpenWriteCreatesStorageItemZero) {
    StorageRecord r;
    EXPECT_FALSE(r.OpenRead("Zarvento.T"));
    EXPECT_EQ(doc->Storages().Count(), 0u);
    EXPECT_TRUE(r.OpenWrite("Zarvento.T"));
    EXPECT_EQ(doc->Storages().Count(), 1u);
    EXPECT_TRUE(r.OpenWrite("Zarvento.U"));
    EXPECT_EQ(doc->Storages().Count(), 1u);
}

TEST_F(StorageRecordTest, WriteNamedValueNowBypassesThePendingLists) {
    auto sketch = doc->AddSketch("Эскиз:1");
    {
        StorageRecord r;
        ASSERT_TRUE(r.OpenWrite("Zarvento.SPID"));
        EXPECT_EQ(r.WriteNamedValueNow("pSourceSketch", Variant::Dispatch(sketch)), 1);
        EXPECT_TRUE(r.PendingValues().empty());
        EXPECT_TRUE(r.PendingNames().empty());
        EXPECT_FALSE(r.Flush());  // nothing pending: nothing sent
        ASSERT_EQ(Record("Zarvento.SPID")->Entries().size(), 1u);
    }
    // The destructor sends nothing either.
    const auto& entries = Record("Zarvento.SPID")->Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "pSourceSketch");
    EXPECT_TRUE(SameHostObject(entries[0].value.AsDispatch(), sketch));
}

TEST_F(StorageRecordTest, EveryPositionalValueIsNamedWithOneBlank) {
    StorageRecord r;
    r.OpenWrite("Zarvento.T");
    r.AddValue(Variant::I4(1));
    r.AddNamedValue("k", Variant::I4(2));
    r.AddValue(Variant::I4(3));
    EXPECT_EQ(r.PendingNames(), (std::vector<std::string>{" ", "k", " "}));
    EXPECT_EQ(r.PendingValues().size(), r.PendingNames().size());
}

TEST_F(StorageRecordTest, CallsThatNeedAnOpenRecordRaiseEPointer) {
    StorageRecord r;
    Variant v = Variant::I4(5);
    EXPECT_EQ(ErrorCodeOf([&] { r.ReadValue(v); }), E_POINTER_);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(ErrorCodeOf([&] { r.ReadNamedValue("k"); }), E_POINTER_);
    EXPECT_EQ(ErrorCodeOf([&] { r.WriteNamedValueNow("k", Variant::I4(1)); }), E_POINTER_);
    // A read that finds no record leaves none open.
    r.OpenWrite("Zarvento.T");
    EXPECT_FALSE(r.OpenRead("Zarvento.None"));
    EXPECT_EQ(ErrorCodeOf([&] { r.ReadNamedValue("k"); }), E_POINTER_);
}

TEST_F(StorageRecordTest, NoApplicationOrNoActiveDocumentRaisesEPointer) {
    const std::function<void(StorageRecord&)> calls[] = {
        [](StorageRecord& r) { r.OpenRead("Zarvento.T"); },
        [](StorageRecord& r) { r.OpenWrite("Zarvento.T"); },
        [](StorageRecord& r) { r.Remove("Zarvento.T"); },
    };
    for (const auto& call : calls) {
        StorageRecord r;
        HostApplicationObject()->SetActiveDocument(nullptr);
        EXPECT_EQ(ErrorCodeOf([&] { call(r); }), E_POINTER_);
        DisconnectHostApplication();
        EXPECT_EQ(ErrorCodeOf([&] { call(r); }), E_POINTER_);
        doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }
}

TEST_F(StorageRecordTest, AFailingHostCallReachesTheCaller) {
    HostFaults::Arm("HostStorage.AddRecord", E_OUTOFMEMORY_);
    StorageRecord r;
    EXPECT_EQ(ErrorCodeOf([&] { r.OpenWrite("Zarvento.T"); }), E_OUTOFMEMORY_);
    EXPECT_EQ(ErrorCodeOf([&] { r.WriteNamedValueNow("k", Variant::I4(1)); }), E_POINTER_);
}

// Values appended before a second open belong to the record they were
// appended for, not to the one opened next.
TEST_F(StorageRecordTest, PendingValuesStayWithTheirRecordAcrossOpens) {
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.A");
        r.AddValue(Variant::I4(1));
        r.OpenWrite("Zarvento.B");
        EXPECT_TRUE(r.PendingValues().empty());
        r.AddValue(Variant::I4(2));
        r.OpenRead("Zarvento.A");
        Variant v;
        EXPECT_EQ(r.ReadValue(v), Variant::I4(1));
    }
    EXPECT_EQ(DumpDocumentRecords(*doc),
              "storage 0\n"
              "record \"Zarvento.A\"\n"
              "  \" \" I4 1\n"
              "record \"Zarvento.B\"\n"
              "  \" \" I4 2\n");
    // An explicit flush writes once; the destructor does not repeat it.
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.C");
        r.AddValue(Variant::I4(3));
        EXPECT_TRUE(r.Flush());
        EXPECT_FALSE(r.Flush());
    }
    EXPECT_EQ(Record("Zarvento.C")->Entries().size(), 1u);
}

TEST_F(StorageRecordTest, DestructorSwallowsAFailedWriteButFlushReportsIt) {
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.T");
        r.AddValue(Variant::I4(1));
        HostFaults::Arm("HostRecord.Write", E_FAIL_);
        EXPECT_EQ(ErrorCodeOf([&] { r.Flush(); }), E_FAIL_);
        r.AddValue(Variant::I4(2));
        HostFaults::Arm("HostRecord.Write", E_FAIL_);
    }  // must not throw
    EXPECT_TRUE(Record("Zarvento.T")->Entries().empty());
}

// A record taken out to be written anew and not written whole (a failed
// write the destructor swallowed, a failed step of the opening, a writer
// left by an error) was saved as lost, without a word: the save refuses,
// naming the record, and the file keeps it as it was, until it is written
// whole again.
TEST_F(StorageRecordTest, ARecordNotWrittenWholeKeepsTheDocumentFromBeingSaved) {
    test::TempDir dir;
    const std::string path = (dir.Path() / "part.rdp").string();
    auto write = [](int value) {
        StorageRecord r;
        r.OpenWrite("Zarvento.T");
        r.AddValue(Variant::I4(value));
    };
    write(1);
    doc->SaveAs(path);
    const std::string saved = DumpDocumentRecords(*DocumentFile::Read(path));
    const std::vector<std::function<void()>> cutShort = {
        [&] {
            HostFaults::Arm("HostRecord.Write", E_FAIL_);
            write(2);
        },
        [&] {
            HostFaults::Arm("HostRecord.Init", E_FAIL_);
            EXPECT_EQ(ErrorCodeOf([&] { write(2); }), E_FAIL_);
        },
        [&] {
            HostFaults::Arm("HostStorage.AddRecord", E_FAIL_);
            EXPECT_EQ(ErrorCodeOf([&] { write(2); }), E_FAIL_);
        },
        [&] {
            HostFaults::Arm("HostRecord.WriteOne", E_FAIL_);
            StorageRecord r;
            r.OpenWrite("Zarvento.T");
            r.AddValue(Variant::I4(2));
            EXPECT_EQ(ErrorCodeOf([&] { r.WriteNamedValueNow("k", Variant::I4(3)); }), E_FAIL_);
        },
        [&] {
            try {
                StorageRecord r;
                r.OpenWrite("Zarvento.T");
                r.AddValue(Variant::I4(2));
                throw HostError(E_FAIL_, "the writer's own failure");
            } catch (const HostError&) {
            }
        },
    };
    for (std::size_t k = 0; k < cutShort.size(); ++k) {
        SCOPED_TRACE("way " + std::to_string(k));
        cutShort[k]();
        HostFaults::Clear();
        const HostError refused = test::CaughtHostError([&] { doc->Save(); });
        EXPECT_EQ(refused.Code(), STG_E_WRITEFAULT_);
        EXPECT_NE(refused.Message().find("\"Zarvento.T\" could not be written whole"), std::string::npos)
            << refused.Message();
        EXPECT_EQ(DumpDocumentRecords(*DocumentFile::Read(path)), saved);
        // Written whole again, the record lets the document go.
        write(1);
        doc->Save();
        EXPECT_EQ(DumpDocumentRecords(*DocumentFile::Read(path)), saved);
    }
}

TEST_F(StorageRecordTest, ARecordReplacedUnderAHolderNoLongerTakesItsWrites) {
    StorageRecord first;
    first.OpenWrite("Zarvento.T");
    first.AddValue(Variant::I4(1));
    {
        StorageRecord second;
        second.OpenWrite("Zarvento.T");
        second.AddValue(Variant::I4(2));
    }
    EXPECT_FALSE(first.Flush());
    const auto& entries = Record("Zarvento.T")->Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].value, Variant::I4(2));
}

}  // namespace
}  // namespace zarvento
