// Cycle parameters stored under the operation's record: the layout, groups,
// the older layout inside the operation's record, and a document file saved,
// closed and opened again.
#include <memory>

#include "nc/cycle_auto.h"
#include "nc/cycle_g310el.h"
#include "nc/cycle_g700el.h"
#include "nc/cycle_g800el.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

class CycleStorageTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }

    // Saves the cycle under the operation's record "Zarvento.Turn.0".
    bool Save(CCycle_Auto& cycle) {
        StorageRecord op;
        op.OpenWrite("Zarvento.Turn.0");
        op.AddValue(Variant::I4(7));
        return cycle.SaveParameters(op);
    }
    void Load(CCycle_Auto& cycle) {
        StorageRecord op;
        ASSERT_TRUE(op.OpenRead("Zarvento.Turn.0"));
        Variant v;
        op.ReadValue(v);
        EXPECT_TRUE(cycle.LoadParameters(op));
    }
    // The operation's record and a cycle record below it with these entries.
    static void WriteCycleRecord(const std::string& gcode, std::vector<std::pair<int, const char*>> entries) {
        StorageRecord op;
        op.OpenWrite("Zarvento.Turn.0");
        op.AddValue(Variant::I4(7));
        StorageRecord c;
        c.OpenWrite("Zarvento.Turn.0." + gcode);
        c.AddValue(Variant::I4(static_cast<std::int32_t>(entries.size())));
        for (const auto& [index, text] : entries) {
            c.AddValue(Variant::Int(index));
            c.AddValue(Variant::BStr(text));
        }
    }
    std::string Records() const { return DumpDocumentRecords(*doc); }

    HostDocumentPtr doc;
};

TEST_F(CycleStorageTest, FreshMultiPassCycleWritesAllElevenValues) {
    CCycle_G700EL cycle;
    ASSERT_TRUE(Save(cycle));
    EXPECT_EQ(Records(),
              "storage 0\n"
              "record \"Zarvento.Turn.0\"\n"
              "  \" \" I4 7\n"
              "record \"Zarvento.Turn.0.G700EL\"\n"
              "  \" \" I4 11\n"
              "  \" \" INT 0\n  \" \" BSTR \"1.5\"\n"
              "  \" \" INT 1\n  \" \" BSTR \"1.5\"\n"
              "  \" \" INT 2\n  \" \" BSTR \"1\"\n"
              "  \" \" INT 3\n  \" \" BSTR \"1\"\n"
              "  \" \" INT 4\n  \" \" BSTR \"0\"\n"
              "  \" \" INT 5\n  \" \" BSTR \"0\"\n"
              "  \" \" INT 6\n  \" \" BSTR \"0\"\n"
              "  \" \" INT 7\n  \" \" BSTR \"1\"\n"
              "  \" \" INT 8\n  \" \" BSTR \"0\"\n"
              "  \" \" INT 9\n  \" \" BSTR \"0\"\n"
              "  \" \" INT 10\n  \" \" BSTR \"1\"\n");
}

TEST_F(CycleStorageTest, ACycleWithoutValuesWritesNoRecord) {
    CCycle_Auto cycle;
    cycle.gcode = "G1";
    cycle.AddParamInt("N", 0, "");
    cycle.params[0].valueText.clear();
    EXPECT_FALSE(Save(cycle));
    EXPECT_EQ(Records().find("G1"), std::string::npos);
}

TEST_F(CycleStorageTest, ValuesRoundTripThroughTheDocumentFile) {
    CCycle_G700EL cycle;
    cycle.params[0].valueText = "D/2";  // a formula is kept as text
    cycle.params[7].intValue = 2;       // P7: third entry
    cycle.params[4].valueText = "0.25";
    ASSERT_TRUE(Save(cycle));
    EXPECT_EQ(cycle.params[7].valueText, "3");

    test::TempDir dir;
    const std::string path = (dir / "part.rdp").string();
    doc->SaveAs(path);
    HostApplication& app = ConnectHostApplication();
    app.Documents().Close(doc);
    doc = app.Documents().Open(path);
    ASSERT_TRUE(doc);

    CCycle_G700EL loaded;
    Load(loaded);
    EXPECT_EQ(loaded.params[0].valueText, "D/2");
    EXPECT_EQ(loaded.params[0].realValue, 0.0);
    EXPECT_EQ(loaded.params[4].realValue, 0.25);
    EXPECT_EQ(loaded.params[7].intValue, 2);
    EXPECT_EQ(loaded.params[2].intValue, 0);
    EXPECT_EQ(loaded.params[10].valueText, "1");
}

TEST_F(CycleStorageTest, StoredListIndexOutsideTheListAndSlotsOutsideTheTableAreSafe) {
    WriteCycleRecord("G700EL", {{2, "0"}, {3, "99"}, {7, "-4"}, {40, "5"}, {-1, "5"}, {8, "1e300"}});
    CCycle_G700EL cycle;
    cycle.params[10].intValue = 2;
    Load(cycle);
    EXPECT_EQ(cycle.params[2].intValue, 0);  // "0" would be index -1
    EXPECT_EQ(cycle.params[3].intValue, 0);  // "99" is past the list
    EXPECT_EQ(cycle.params[7].intValue, 0);
    EXPECT_EQ(cycle.params[10].intValue, 0);  // cleared by the load
    EXPECT_EQ(cycle.params[8].realValue, 1e300);
}

TEST_F(CycleStorageTest, GroupStoresItsMembersBelowItsRecordAndLoadsAtMostItsOwn) {
    CCycle_Auto group;
    group.gcode = "GR";
    group.groupFlag = 1;
    group.AddParamInt("G1", 0, "");
    for (const char* code : {"G1", "G2", "G3", "G4", "G5"}) {
        auto m = std::make_unique<CCycle_Auto>();
        m->gcode = code;
        m->AddParamDouble("A", 0.0, "");
        m->params[0].valueText = std::string(code) + "0";
        group.members.push_back(std::move(m));
    }
    group.members[3]->params[0].valueText.clear();  // G4 has nothing to store
    ASSERT_TRUE(Save(group));
    const std::string records = Records();
    EXPECT_NE(records.find("record \"Zarvento.Turn.0.GR\"\n  \" \" I4 1\n  \" \" INT 0\n  \" \" BSTR \"0\"\n"
                           "  \"Ncycles\" INT 5\n"),
              std::string::npos)
        << records;
    EXPECT_NE(records.find("record \"Zarvento.Turn.0.GR.G3\""), std::string::npos);
    EXPECT_EQ(records.find("record \"Zarvento.Turn.0.GR.G4\""), std::string::npos);

    CCycle_Auto small;
    small.Copy(group);
    small.members.resize(3);
    for (auto& m : small.members) m->params[0].valueText = "x";
    Load(small);
    EXPECT_EQ(small.members[0]->params[0].valueText, "G10");
    EXPECT_EQ(small.members[2]->params[0].valueText, "G30");
}

TEST_F(CycleStorageTest, OlderLayoutReadsFromTheOperationRecordWithoutClearing) {
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.Turn.0");
        r.AddValue(Variant::I4(7));
        r.AddValue(Variant::I4(2));
        r.AddValue(Variant::I4(0));
        r.AddValue(Variant::BStr("2.5"));
        r.AddValue(Variant::I4(45));  // no such slot: skipped
        r.AddValue(Variant::BStr("9"));
        r.AddValue(Variant::BStr("after"));
    }
    CCycle_G310EL cycle;
    cycle.params[5].valueText = "kept";
    StorageRecord op;
    ASSERT_TRUE(op.OpenRead("Zarvento.Turn.0"));
    Variant v;
    op.ReadValue(v);
    ASSERT_TRUE(cycle.LoadParameters(op));
    EXPECT_EQ(cycle.params[0].valueText, "2.5");
    EXPECT_EQ(cycle.params[0].realValue, 2.5);
    EXPECT_EQ(cycle.params[5].valueText, "kept");
    EXPECT_EQ(op.ReadValue(v).ToBStr(), "after");  // the operation reads on where the cycle stopped
}

TEST_F(CycleStorageTest, AnIntegerTextThatDoesNotFitReadsAsZero) {
    WriteCycleRecord("G800EL", {{0, "3e9"}, {1, "2"}});
    CCycle_G800EL cycle;
    Load(cycle);
    EXPECT_EQ(cycle.params[0].valueText, "3e9");
    EXPECT_EQ(cycle.params[0].intValue, 0);  // never a wrapped integer
    EXPECT_EQ(cycle.params[1].intValue, 1);
}

TEST_F(CycleStorageTest, TapDieCycleRecordCarriesItsCode) {
    CCycle_G310EL cycle;
    ASSERT_TRUE(Save(cycle));
    EXPECT_NE(Records().find("record \"Zarvento.Turn.0.G301EL\""), std::string::npos);
}

}  // namespace
}  // namespace zarvento
