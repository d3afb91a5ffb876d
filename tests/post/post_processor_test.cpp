// Post-processor objects: look-ups of definitions by type and code, deep
// copies, the ".PP" record of an operation and the lifetime of tables.
#include <fstream>
#include <memory>
#include <string>

#include "platform/documents/document_dump.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "post/post_processor.h"
#include "post/post_processor_table.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDescription =
    "VERSION 16\nCNC_CODE_0 ISO\nBEGIN_MACHINE_CYCLES\n"
    "BEGIN_CYCLE\nG1\nTYPE Turning\nPARAMETERS\nA D Depth 2\nB D Feed 0.1\nEND_CYCLE\n"
    "BEGIN_CYCLE\nG2\nTYPE Drilling\nPARAMETERS\nP OD Peck\nEND_CYCLE\n"
    "BEGIN_CYCLE\nG1\nNAME Second\nTYPE Turning\nPARAMETERS\nA D Depth 3\nEND_CYCLE\n"
    "END_MACHINE_CYCLES\n";

class PostProcessorTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        std::ofstream(dir / "Lathe.py3", std::ios::binary) << kDescription;
        post = std::make_unique<CPostProcessor>("Lathe", (dir / "Lathe.py3").string());
        ASSERT_TRUE(post->ReadPostProcessorDescription());
    }
    test::TempDir dir;
    std::unique_ptr<CPostProcessor> post;
};

TEST_F(PostProcessorTest, DefinitionsByTypeAndByCode) {
    EXPECT_EQ(post->GetCountCyclesOfType("Turning"), 2);
    EXPECT_EQ(post->GetCountCyclesOfType("Drilling"), 1);
    EXPECT_EQ(post->GetCountCyclesOfType("turning"), 0);
    EXPECT_EQ(post->GetCycleOfType("Turning", 1)->GetName(), "Second");
    EXPECT_EQ(post->GetCycleOfType("Turning", 2), nullptr);  // n equal to the count
    EXPECT_EQ(post->GetCycleOfType("Turning", -1), nullptr);
    EXPECT_EQ(post->GetCycleOfType("Drilling", 0)->GetGCode(), "G2");
    EXPECT_EQ(post->FindCycleDefinition("G1"), post->GetCycles()[0].get());  // the first of two
    EXPECT_EQ(post->FindCycleDefinition("G3"), nullptr);
}

TEST_F(PostProcessorTest, CopiesOwnTheirDefinitionsAndShareTheTables) {
    auto table = std::make_shared<PostProcessorTable>();
    table->name = "Feeds";
    post->AddTable(table);
    CPostProcessor copy(*post);
    ASSERT_EQ(copy.GetCycles().size(), 3u);
    EXPECT_NE(copy.GetCycles()[0].get(), post->GetCycles()[0].get());
    copy.GetCycles()[0]->params[0].valueText = "9";
    EXPECT_EQ(post->GetCycles()[0]->params[0].valueText, "2");
    EXPECT_EQ(copy.GetCncCodes(), post->GetCncCodes());
    ASSERT_EQ(copy.GetTables().size(), 1u);
    EXPECT_EQ(copy.GetTables()[0], table);

    CPostProcessor assigned;
    assigned = copy;
    assigned = assigned;
    EXPECT_EQ(assigned.GetName(), "Lathe");
    EXPECT_EQ(assigned.GetCycles()[0]->params[0].valueText, "9");
}

TEST_F(PostProcessorTest, TablesOutliveTheirPostProcessorWhileTheListNamesThem) {
    auto table = std::make_shared<PostProcessorTable>();
    table->name = "Feeds";
    table->rows = {{0, 1, 2}, {1, 0.25, 0.35}};
    post->AddTable(table);
    GlobalTableList().assign(post->GetTables().begin(), post->GetTables().end());
    const std::weak_ptr<PostProcessorTable> watch = table;
    table.reset();
    post.reset();  // a rescan deletes the post-processor
    ASSERT_EQ(GlobalTableList().size(), 1u);
    EXPECT_EQ(GlobalTableList()[0]->name, "Feeds");
    EXPECT_EQ(GlobalTableList()[0]->rows[1][2], 0.35);
    // The next reading replaces the list, and the last reference goes with it.
    std::ofstream(dir / "Other.py3") << "VERSION 16\n";
    CPostProcessor other("Other", (dir / "Other.py3").string());
    ASSERT_TRUE(other.ReadPostProcessorDescription());
    EXPECT_TRUE(GlobalTableList().empty());
    EXPECT_TRUE(watch.expired());
}

// Operations store their copy under "Zarvento.Turn.<n>.PP"; the definitions
// have distinct codes here, since each writes the record named after its code.
class PostProcessorRecordTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
        std::ofstream(dir / "Lathe.py3", std::ios::binary)
            << "VERSION 16\nBEGIN_MACHINE_CYCLES\n"
               "BEGIN_CYCLE\nG1\nTYPE Turning\nPARAMETERS\nA D Depth 2\nB D Feed 0.1\nEND_CYCLE\n"
               "BEGIN_CYCLE\nG2\nTYPE Drilling\nPARAMETERS\nP OD Peck\nEND_CYCLE\n"
               "END_MACHINE_CYCLES\n";
        post = Installed();
    }
    // The post-processor as the plan's list gives it, freshly read.
    std::unique_ptr<CPostProcessor> Installed() {
        auto p = std::make_unique<CPostProcessor>("Lathe", (dir / "Lathe.py3").string());
        EXPECT_TRUE(p->ReadPostProcessorDescription());
        return p;
    }
    void Reopen() {
        doc = test::SaveCloseReopen(doc, (dir / "part.rdp").string());
        ASSERT_TRUE(doc);
    }
    test::TempDir dir;
    std::unique_ptr<CPostProcessor> post;
    HostDocumentPtr doc;
};

TEST_F(PostProcessorRecordTest, RecordHoldsNameCountAndEachDefinitionBelowIt) {
    post->GetCycles()[0]->params[1].valueText.clear();
    ASSERT_TRUE(post->Save("Zarvento.Turn.3.PP"));
    // G2 has no value at all and writes no record of its own.
    EXPECT_EQ(DumpDocumentRecords(*doc),
              "storage 0\n"
              "record \"Zarvento.Turn.3.PP\"\n"
              "  \" \" BSTR \"Lathe\"\n"
              "  \" \" I4 2\n"
              "record \"Zarvento.Turn.3.PP.G1\"\n"
              "  \" \" I4 1\n"
              "  \" \" INT 0\n  \" \" BSTR \"2\"\n");
}

TEST_F(PostProcessorRecordTest, RoundTripThroughTheDocumentFile) {
    post->GetCycles()[0]->params[0].valueText = "D/2";
    post->GetCycles()[0]->params[1].valueText = "0.15";
    post->GetCycles()[1]->params[0].valueText = "4";
    ASSERT_TRUE(post->Save("Zarvento.Turn.0.PP"));
    Reopen();

    // Loading fills the definitions the copy already holds; it makes none.
    CPostProcessor loaded("Other", "");
    loaded = *Installed();
    ASSERT_TRUE(loaded.Load("Zarvento.Turn.0.PP"));
    EXPECT_EQ(loaded.GetName(), "Lathe");
    EXPECT_EQ(loaded.GetCycles()[0]->params[0].valueText, "D/2");
    EXPECT_EQ(loaded.GetCycles()[0]->params[1].valueText, "0.15");
    EXPECT_EQ(loaded.GetCycles()[1]->params[0].valueText, "4");
    EXPECT_FALSE(loaded.Load("Zarvento.Turn.1.PP"));
    CPostProcessor empty;
    EXPECT_TRUE(empty.Load("Zarvento.Turn.0.PP"));
    EXPECT_EQ(empty.GetName(), "Lathe");
}

// A definition without any value writes no record of its own; loading must
// then find nothing rather than read on past the end of the ".PP" record.
TEST_F(PostProcessorRecordTest, DefinitionsWithoutRecordsKeepTheirValuesAndReadNothingBeyond) {
    for (const auto& c : post->GetCycles())
        for (auto& p : c->params) p.valueText.clear();
    ASSERT_TRUE(post->Save("Zarvento.Turn.0.PP"));
    Reopen();
    post = Installed();
    ASSERT_TRUE(post->Load("Zarvento.Turn.0.PP"));
    EXPECT_EQ(post->GetCycles()[0]->params[0].valueText, "2");
    EXPECT_EQ(post->GetCycles()[0]->params[1].valueText, "0.1");
    EXPECT_EQ(post->GetCycles()[1]->params[0].valueText, "");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PostProcessorRecordTest, DamagedRecordLeavesTheNameAlone) {
    {
        StorageRecord r;
        r.OpenWrite("Zarvento.Turn.0.PP");
        r.AddValue(Variant());
    }
    ASSERT_TRUE(post->Load("Zarvento.Turn.0.PP"));
    EXPECT_EQ(post->GetName(), "Lathe");
}

}  // namespace
}  // namespace zarvento
