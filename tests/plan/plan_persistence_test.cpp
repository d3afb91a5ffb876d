// Plan persistence: the set-up, coordinate-system, list and plan records, the
// synchronisation that rebuilds the plan from them, and the tools-table import.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "catalogs/tool_model_text.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "plan_test_support.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/host_sketch.h"
#include "platform/processes/module.h"

namespace zarvento::test {
namespace {

// An operation that keeps its name in "Zarvento.Turn.%d" and logs its loads
// and the post-processor it is given.
class StoredTurn : public PlanTurn {
public:
    explicit StoredTurn(std::vector<std::string>& log) : log_(log) {}
    std::string GetNameTurn() const override { return name; }
    void DiagnosticRaschetPath(int position) override { index = position; }
    void Save(int position) override {
        StorageRecord record;
        if (!record.OpenWrite("Zarvento.Turn." + std::to_string(position))) return;
        record.AddNamedValue("sNameTurn", Variant::BStr(name));
        record.Flush();
    }
    void Load(int position) override {
        log_.push_back("load " + std::to_string(position));
        StorageRecord record;
        if (!record.OpenRead("Zarvento.Turn." + std::to_string(position))) return;
        record.ReadNamedValue("sNameTurn");
        name = record.ReadBuffer().ToBStr();
    }
    // A cycle-producing operation whose post-processor changed.
    void SetPostProcessorData(CPostProcessor*) override { ShowPostProcessorNotice(); }

    std::string name;

private:
    std::vector<std::string>& log_;
};

class StoredTurnFactory : public PlanTurnFactory {
public:
    explicit StoredTurnFactory(std::vector<std::string>& log) : log_(log), previous_(RegisterPlanTurnFactory(this)) {}
    ~StoredTurnFactory() override { RegisterPlanTurnFactory(previous_); }
    StoredTurnFactory(const StoredTurnFactory&) = delete;
    StoredTurnFactory& operator=(const StoredTurnFactory&) = delete;
    std::unique_ptr<PlanTurn> CreateTurn(std::int32_t) override { return std::make_unique<StoredTurn>(log_); }

private:
    std::vector<std::string>& log_;
    PlanTurnFactory* previous_;
};

class PlanPersistenceTest : public PlanTest {
protected:
    std::string Dump() const { return DumpDocumentRecords(*part); }

    // The entries of one record of the part, or null when it is missing.
    std::shared_ptr<HostRecord> Record(const std::string& name) const { return test::StoredRecord(*part, name); }
    std::vector<std::string> EntryNames(const std::string& name) const { return test::StoredEntryNames(*part, name); }

    // Writes a record of named values straight into the part.
    void WriteRecord(const std::string& name, const std::vector<std::pair<std::string, Variant>>& values) {
        test::WriteNamedRecord(name, values);
    }

    int CountMessages(const std::string& fragment) const {
        const auto texts = MessageLog::Instance().AllTexts();
        return static_cast<int>(std::count_if(
            texts.begin(), texts.end(), [&](const std::string& t) { return t.find(fragment) != std::string::npos; }));
    }

    // A plan worth storing: a coordinate system, a part to recognise, three
    // tool positions in use, a fixture and a stock of bar, plus operations.
    void BuildPlan(const std::vector<std::string>& names) {
        auto lsc = part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        LscTransform::Global().ReadFromHost(lsc);
        AddProfile(SteppedShaft(80, 20));
        CSPID* spid = GetSPID();
        spid->pLSC = lsc;
        spid->Npositions = 3;
        spid->tools[1].sPsevName = "Резец проходной";
        spid->tools[1].CorrectX = 1.25;
        spid->Ngadgets = 1;
        spid->gadgets[0].sPsevName = "Патрон";
        spid->ProkatL = 90;
        spid->ProkatD = 45;
        spid->X0tool = 150;
        CPLAN* plan = GetPLAN();
        plan->RefreshLSCTreeNode();
        plan->RefreshSPIDTreeNode();
        for (const std::string& n : names) {
            auto op = CPLAN::CreateTurnClass(kTurnKONTUR);
            static_cast<StoredTurn&>(*op).name = n;
            plan->InsertTurn(-1, std::move(op));
        }
    }

    std::vector<std::string> log;
    StoredTurnFactory factory{log};
};

TEST_F(PlanPersistenceTest, SpidRecordHoldsSeventeenValuesAndTheSketchWrittenAtOnce) {
    CSPID* spid = GetSPID();
    ASSERT_TRUE(spid->Save_SPID());
    const std::vector<std::string> keys = {"SposobBuildSource",
                                           "isSourceSketch",
                                           "isContourSourDetail",
                                           "sFileModelSour",
                                           "sRefrModelSour",
                                           "ProkatL",
                                           "ProkatD",
                                           "Prokatd",
                                           "ProkatZ",
                                           "nSposobStock",
                                           "isPripuskZ",
                                           "PripuskZ",
                                           "Xplane",
                                           "Zplane",
                                           "X0tool",
                                           "Z0tool",
                                           "isReferent"};
    EXPECT_EQ(EntryNames("Zarvento.SPID"), keys);
    EXPECT_EQ(Record("Zarvento.SPID.Stock"), nullptr);
    EXPECT_NE(Dump().find("\"nSposobStock\" INT 0"), std::string::npos);

    spid->pSourceSketch = part->AddSketch("Эскиз заготовки");
    ASSERT_TRUE(spid->Save_SPID());
    std::vector<std::string> withSketch = keys;
    withSketch.insert(withSketch.begin(), "pSourceSketch");
    EXPECT_EQ(EntryNames("Zarvento.SPID"), withSketch);
}

TEST_F(PlanPersistenceTest, SpidValuesReadBackAndTheSketchFollowsTheDocument) {
    CSPID* spid = GetSPID();
    spid->pSourceSketch = part->AddSketch("Эскиз");
    spid->SposobBuildSource = 1;
    spid->nSposobStock = 2;
    spid->ProkatL = 120.5;
    spid->isPripuskZ = true;
    spid->PripuskZ = 0.75;
    spid->Xplane = 30;
    spid->isReferent = true;
    ASSERT_TRUE(spid->Save_SPID());

    DeleteSPID();
    CSPID* loaded = GetSPID();
    ASSERT_TRUE(loaded->Load_SPID());
    EXPECT_EQ(loaded->pSourceSketch, part->FindSketch("Эскиз"));
    EXPECT_EQ(loaded->SposobBuildSource, 1);
    EXPECT_EQ(loaded->nSposobStock, 2);
    EXPECT_DOUBLE_EQ(loaded->ProkatL, 120.5);
    EXPECT_TRUE(loaded->isPripuskZ);
    EXPECT_DOUBLE_EQ(loaded->StockBuilder().PripuskZ, 0.75);
    EXPECT_DOUBLE_EQ(loaded->Xplane, 30);
    EXPECT_TRUE(loaded->isReferent);
    EXPECT_FALSE(loaded->isNewPlan);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());
}

TEST_F(PlanPersistenceTest, SpidLoadConvertsKindsAndIsFalseWithoutARecord) {
    CSPID* spid = GetSPID();
    EXPECT_FALSE(spid->Load_SPID());
    EXPECT_TRUE(spid->isNewPlan);
    // An integer field stored as VT_I4, a real as text, a flag as a number.
    WriteRecord("Zarvento.SPID",
                {{"nSposobStock", Variant::I4(2)}, {"ProkatD", Variant::BStr("42.5")}, {"isReferent", Variant::I4(1)}});
    ASSERT_TRUE(spid->Load_SPID());
    EXPECT_EQ(spid->nSposobStock, 2);
    EXPECT_DOUBLE_EQ(spid->ProkatD, 42.5);
    EXPECT_TRUE(spid->isReferent);
    // Keys the record lacks read as empty values.
    EXPECT_DOUBLE_EQ(spid->Xplane, 0.0);
    EXPECT_EQ(spid->SposobBuildSource, 0);
}

TEST_F(PlanPersistenceTest, LostSketchIsReportedOnceAndTheLoadGoesOn) {
    CSPID* spid = GetSPID();
    auto sketch = part->AddSketch("Эскиз");
    spid->pSourceSketch = sketch;
    spid->Z0tool = 77;
    ASSERT_TRUE(spid->Save_SPID());
    spid->pSourceSketch.reset();
    part->RemoveEntity(sketch);

    DeleteSPID();
    CSPID* loaded = GetSPID();
    ASSERT_TRUE(loaded->Load_SPID());
    EXPECT_EQ(loaded->pSourceSketch, nullptr);
    EXPECT_DOUBLE_EQ(loaded->Z0tool, 77);
    ASSERT_EQ(MessageLog::Instance().Entries().size(), 1u);
    const MessageEntry& m = MessageLog::Instance().Entries()[0];
    EXPECT_EQ(m.text, "Потеряна связь с эскизом");
    EXPECT_EQ(m.caption, "Orbisel");
    EXPECT_EQ(m.style, 0x30);
}

TEST_F(PlanPersistenceTest, StockOnThePartIsKeptWithoutAPartContour) {
    WriteRecord("Zarvento.SPID", {{"isContourSourDetail", Variant::Bool(true)}});
    CSPID* spid = GetSPID();
    ASSERT_EQ(spid->GetDetailContour(), nullptr);
    ASSERT_TRUE(spid->Load_SPID());
    EXPECT_EQ(spid->pContourSourDetail, nullptr);
}

TEST_F(PlanPersistenceTest, MovedDocumentRebuildsTheStockModelPath) {
    const auto moved = folder->Path() / "moved";
    std::filesystem::create_directories(moved);
    part->SaveAs((moved / "part.rdp").string());
    WriteRecord("Zarvento.SPID", {{"sFileModelSour", Variant::BStr("/old/place/stock.rdp")},
                                  {"sRefrModelSour", Variant::BStr("stock.rdp")}});
    CSPID* spid = GetSPID();
    ASSERT_TRUE(spid->Load_SPID());
    EXPECT_EQ(spid->sFileModelSour, std::filesystem::path(part->FilePath()).parent_path().string() + "/stock.rdp");
}

// A tool whose catalog model was renamed keeps its new file in the document
// once the plan has looked for it; positions whose file is not found, and
// fixtures, are not written again.
TEST_F(PlanPersistenceTest, ModelFilesFoundAgainAreSavedInTheirRecords) {
    const auto lib = folder->Path() / "lib";
    std::filesystem::create_directories(lib / "TOOLS");
    SetModuleDirectory(lib);
    ToolModelText::Convert(FixturePath("tools/turning_tool.txt"), (lib / "TOOLS" / "Проходной новый.rdp").string());
    CSPID* spid = GetSPID();
    spid->Npositions = 3;
    spid->Ngadgets = 1;
    for (ParamTool* t : {static_cast<ParamTool*>(&spid->tools[0]), static_cast<ParamTool*>(&spid->tools[2]),
                         static_cast<ParamTool*>(&spid->gadgets[0])}) {
        t->sToolName = t == &spid->tools[2] ? "Отрезной" : "Проходной";
        t->sPsevName = t->sToolName;
        t->sFileName = t->sToolName + ".rdp";
    }
    spid->UpdateModelFiles();
    SetModuleDirectory(std::nullopt);

    ASSERT_NE(Record("Zarvento.TOOLS1.T0"), nullptr);
    EXPECT_EQ(Record("Zarvento.TOOLS1.T1"), nullptr);
    EXPECT_EQ(Record("Zarvento.TOOLS1.T2"), nullptr);
    EXPECT_EQ(Record("Zarvento.GADGETS1.G0"), nullptr);
    DeleteSPID();
    CSPID* loaded = GetSPID();
    ASSERT_TRUE(loaded->tools[0].Load("Zarvento.TOOLS1.T0"));
    EXPECT_EQ(loaded->tools[0].sFileName, "Проходной новый.rdp");
    EXPECT_EQ(CountMessages("Инструмент Проходной\nбыл обновлен"), 1);
}

TEST_F(PlanPersistenceTest, ToolListsAreWrittenPerPositionAndStoredCountsAreClamped) {
    CSPID* spid = GetSPID();
    spid->Npositions = 8;
    spid->tools[7].sPsevName = "Последний";
    spid->SaveTools();
    EXPECT_EQ(EntryNames("Zarvento.TOOLS1"), std::vector<std::string>{"Npositions"});
    EXPECT_NE(Dump().find("\"Npositions\" I4 8"), std::string::npos);
    for (int k = 0; k < 8; ++k) EXPECT_NE(Record("Zarvento.TOOLS1.T" + std::to_string(k)), nullptr) << k;
    EXPECT_EQ(Record("Zarvento.TOOLS1.T8"), nullptr);

    DeleteSPID();
    CSPID* loaded = GetSPID();
    ASSERT_TRUE(loaded->LoadTools());
    EXPECT_EQ(loaded->Npositions, 8);
    EXPECT_EQ(loaded->tools[7].sPsevName, "Последний");
    EXPECT_EQ(loaded->tools[7].Position, 7);
    EXPECT_FALSE(loaded->LoadGadgets());

    // A foreign or damaged document: counts beyond the tables or below zero.
    struct Case {
        std::int32_t stored, tools, gadgets;
    };
    for (const Case c : {Case{1000, CSPID::kMaxTools, CSPID::kMaxGadgets}, Case{-5, 0, 0}}) {
        WriteRecord("Zarvento.TOOLS1", {{"Npositions", Variant::I4(c.stored)}});
        WriteRecord("Zarvento.GADGETS1", {{"Ngadgets", Variant::I4(c.stored)}});
        ASSERT_TRUE(loaded->LoadTools());
        ASSERT_TRUE(loaded->LoadGadgets());
        EXPECT_EQ(loaded->Npositions, c.tools) << c.stored;
        EXPECT_EQ(loaded->Ngadgets, c.gadgets) << c.stored;
    }
}

TEST_F(PlanPersistenceTest, CorruptValueRaisesANamedErrorAndKeepsWhatWasRead) {
    WriteRecord("Zarvento.SPID", {{"SposobBuildSource", Variant::I4(2)}, {"ProkatL", Variant::BStr("abc")}});
    CSPID* spid = GetSPID();
    try {
        spid->Load_SPID();
        FAIL() << "no error";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Code(), DISP_E_TYPEMISMATCH_);
        EXPECT_NE(std::string(e.what()).find("\"ProkatL\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Zarvento.SPID"), std::string::npos) << e.what();
    }
    EXPECT_EQ(spid->SposobBuildSource, 2);
}

TEST_F(PlanPersistenceTest, LscRecordRoundTripsAndALostSystemIsReportedOnce) {
    auto lsc = part->AddLocalCoordinateSystem("ЛСК-2", {5, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    CSPID* spid = GetSPID();
    spid->pLSC = lsc;
    spid->sNamePostProcessor = "Нет такого";
    spid->Save_LSC_CNC();
    EXPECT_EQ(EntryNames("Zarvento.LSC"), (std::vector<std::string>{"pLSC", "isLSC", "sNamePostProcessor"}));

    DeleteSPID();
    MessageLog::Instance().Clear();
    CSPID* loaded = GetSPID();
    ASSERT_TRUE(loaded->Load_LSC_CNC());
    EXPECT_EQ(loaded->GetLSC(), lsc);
    EXPECT_EQ(LscTransform::Global().HostObjectRef(), lsc);
    EXPECT_DOUBLE_EQ(LscTransform::Global().originX, 5);
    EXPECT_EQ(loaded->sNamePostProcessor, "Нет такого");
    EXPECT_EQ(CountMessages("Не обнаружен постпроцессор \"Нет такого\""), 1);

    part->RemoveEntity(lsc);
    DeleteSPID();
    CSPID* lost = GetSPID();
    ASSERT_TRUE(lost->Load_LSC_CNC());
    EXPECT_EQ(lost->GetLSC(), nullptr);
    EXPECT_EQ(LscTransform::Global().HostObjectRef(), nullptr);
    EXPECT_EQ(CountMessages("Потеряна связь с ЛСК"), 1);
}

TEST_F(PlanPersistenceTest, SynchronisationReportsALostCoordinateSystemOnce) {
    BuildPlan({"A"});
    SaveWholePlan();
    part->RemoveEntity(GetSPID()->pLSC);
    MessageLog::Instance().Clear();
    DoSynchronizationData(*GetPLAN());
    EXPECT_EQ(GetSPID()->GetLSC(), nullptr);
    EXPECT_EQ(CountMessages("Потеряна связь с ЛСК"), 1);
    EXPECT_EQ(CountMessages("Не удалось распознать контур детали"), 1);
    // The operations are rebuilt all the same.
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 1);
}

TEST_F(PlanPersistenceTest, PlanRecordLayoutWithAndWithoutATree) {
    BuildPlan({"A", "B", "C"});
    SaveWholePlan();
    // Without a tree control the positional part ends with m.
    std::vector<std::string> names = EntryNames("Zarvento.PLAN");
    EXPECT_EQ(std::count(names.begin(), names.end(), " "), 6);
    EXPECT_EQ(names[6], "isElementStat");
    EXPECT_EQ(names.back(), "DP.SigmV");
    EXPECT_EQ(names.size(), 6u + 14u);

    // Loads without a tree: the missing states are just absent.
    CPLAN* plan = GetPLAN();
    plan->Load();
    EXPECT_EQ(plan->typeCodes, (std::vector<std::int32_t>{2, 2, 2}));
    EXPECT_TRUE(plan->treeStates.empty());

    GetPlanTree().CreateControl();
    DoSynchronizationData(*plan);
    plan->Save();
    const std::string dump = Dump();
    const std::string expected =
        "  \" \" BSTR \"\"\n  \" \" I4 3\n  \" \" INT 2\n  \" \" INT 2\n  \" \" INT 2\n"
        "  \" \" I4 5\n  \" \" I4 32\n  \" \" I4 32\n  \" \" I4 0\n  \" \" I4 0\n  \" \" I4 0\n";
    EXPECT_NE(dump.find("record \"Zarvento.PLAN\"\n" + expected), std::string::npos) << dump;
}

TEST_F(PlanPersistenceTest, CorruptPlanRecordCountsAreNotTrusted) {
    StorageRecord record;
    ASSERT_TRUE(record.OpenWrite("Zarvento.PLAN"));
    record.AddValue(Variant::BStr("doc"));
    record.AddValue(Variant::I4(1000000));
    record.AddValue(Variant::Int(4));
    record.Flush();
    CPLAN* plan = GetPLAN();
    plan->Load();
    EXPECT_EQ(plan->typeCodes, std::vector<std::int32_t>{4});
    EXPECT_TRUE(plan->treeStates.empty());
    EXPECT_EQ(plan->storedDocumentPath, "doc");
}

TEST_F(PlanPersistenceTest, SkippedTypeCodesKeepTheRecordPositions) {
    StorageRecord record;
    ASSERT_TRUE(record.OpenWrite("Zarvento.PLAN"));
    record.AddValue(Variant::BStr(""));
    record.AddValue(Variant::I4(3));
    for (int code : {1, 9, 4}) record.AddValue(Variant::Int(code));
    record.AddValue(Variant::I4(5));
    record.Flush();
    CPLAN* plan = GetPLAN();
    DoSynchronizationData(*plan);
    EXPECT_EQ(plan->GetTurnCount(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"load 0", "load 2"}));
    EXPECT_EQ(plan->GetTurn(1)->kind, 4);
}

TEST_F(PlanPersistenceTest, RoundTripThroughSynchronisationAndTheDocumentFile) {
    const std::string path = (folder->Path() / "part.rdp").string();
    part->SaveAs(path);
    GetPlanTree().CreateControl();
    BuildPlan({"Подрезка", "Контур", "Отрезка"});
    SaveWholePlan();
    const std::string saved = Dump();
    part->Save();

    CPLAN* plan = GetPLAN();
    DoSynchronizationData(*plan);
    ASSERT_EQ(plan->GetTurnCount(), 3);
    EXPECT_EQ(static_cast<StoredTurn*>(plan->GetTurn(2))->name, "Отрезка");
    EXPECT_EQ(GetSPID()->tools[1].sPsevName, "Резец проходной");
    SaveWholePlan();
    EXPECT_EQ(Dump(), saved);

    // Closed and opened again: the same plan from the file.
    app->Documents().Close(part);
    DeletePLAN();
    DeleteSPID();
    LscTransform::Global().Reset();
    part = app->Documents().Open(path);
    ASSERT_EQ(app->ActiveDocument(), part);
    DoSynchronizationData(*GetPLAN());
    ASSERT_NE(GetSPID()->GetLSC(), nullptr);
    EXPECT_NE(GetSPID()->GetDetailContour(), nullptr);
    SaveWholePlan();
    EXPECT_EQ(Dump(), saved);
    EXPECT_FALSE(SynchronisingFlag);
}

TEST_F(PlanPersistenceTest, SynchronisationFailureRestoresTheFlagsAndWritesNothing) {
    BuildPlan({"A"});
    SaveWholePlan();
    WriteRecord("Zarvento.TOOLS1", {{"Npositions", Variant::BStr("много")}});
    const std::string saved = Dump();
    BusyFlag = true;
    EXPECT_THROW(DoSynchronizationData(*GetPLAN()), HostError);
    EXPECT_TRUE(BusyFlag);
    EXPECT_FALSE(SynchronisingFlag);
    EXPECT_FALSE(PostProcessorNoticeFlag);
    EXPECT_EQ(Dump(), saved);
    BusyFlag = false;
}

TEST_F(PlanPersistenceTest, PostProcessorNoticeIsShownOncePerSynchronisation) {
    BuildPlan({"A", "B", "C"});
    SaveWholePlan();
    const char* notice = "Постпроцессор был изменен.\nОбработки приняты в элементарных перемещениях";
    for (int round = 1; round <= 2; ++round) {
        DoSynchronizationData(*GetPLAN());
        EXPECT_EQ(CountMessages(notice), round);
    }
    EXPECT_FALSE(ShowPostProcessorNotice());
}

TEST_F(PlanPersistenceTest, StoredPlanIsSavedAgainWhenThePartVariablesChanged) {
    BuildPlan({"A"});
    SaveWholePlan();
    const auto previous = RegisterDetailParametersReader([](DETAIL_PARAMETERS& part, bool) {
        part.materialName = "Сталь 45";
        return true;
    });
    DoSynchronizationData(*GetPLAN());
    RegisterDetailParametersReader(previous);
    EXPECT_NE(Dump().find("\"DP.sMaterial\" BSTR \"Сталь 45\""), std::string::npos);
}

class ImportToolsTest : public PlanPersistenceTest {
protected:
    // A part file holding a turret table of `count` positions (none: no table).
    std::string PartWithTable(const std::string& name, int count, DocumentType type = DocumentType::Part) {
        HostDocumentPtr other = app->Documents().Add(type);
        if (count >= 0) {
            CSPID table;
            table.Npositions = count;
            table.tools[0].sPsevName = "Из " + name;
            table.SaveTools();
        }
        const std::string path = (folder->Path() / (name + DocumentExtension(type))).string();
        other->SaveAs(path);
        app->Documents().Close(other);
        app->SetActiveDocument(part);
        return path;
    }
};

TEST_F(ImportToolsTest, ImportsFromAnotherFileAndReportsEveryFailureAsAFailure) {
    const std::string good = PartWithTable("table", 4);
    const std::string empty = PartWithTable("empty", -1);
    const std::string drawing = PartWithTable("drawing", 2, DocumentType::Drawing2D);
    CSPID* spid = GetSPID();
    spid->tools[0].sPsevName = "Свой";
    struct Case {
        std::string path;
        bool result;
        std::string message;
    };
    const Case cases[] = {
        {(folder->Path() / "missing.rdp").string(), false, "Не удалось открыть файл"},
        {drawing, false, "Файл не является деталью VOVUVE"},
        {empty, false, "Файл не содержит Таблицу инструментов"},
        {"", true, ""},
    };
    for (const Case& c : cases) {
        MessageLog::Instance().Clear();
        EXPECT_EQ(spid->ImportToolsTable(c.path), c.result) << c.path;
        EXPECT_EQ(MessageLog::Instance().AllTexts(),
                  c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
            << c.path;
        EXPECT_EQ(spid->tools[0].sPsevName, "Свой") << c.path;
        EXPECT_EQ(app->ActiveDocument(), part) << c.path;
        EXPECT_EQ(app->Documents().Count(), 1u) << c.path;
        EXPECT_FALSE(BusyFlag) << c.path;
    }

    EXPECT_TRUE(spid->ImportToolsTable(good));
    EXPECT_EQ(spid->Npositions, 4);
    EXPECT_EQ(spid->tools[0].sPsevName, "Из table");
    EXPECT_EQ(app->ActiveDocument(), part);
    EXPECT_EQ(app->Documents().Count(), 1u);
}

TEST_F(ImportToolsTest, DamagedTableRaisesAndPutsEverythingBack) {
    HostDocumentPtr other = app->Documents().Add(DocumentType::Part);
    WriteRecord("Zarvento.TOOLS1", {{"Npositions", Variant::BStr("восемь")}});
    const std::string path = (folder->Path() / "damaged.rdp").string();
    other->SaveAs(path);
    app->Documents().Close(other);
    app->SetActiveDocument(part);
    CSPID* spid = GetSPID();
    spid->Npositions = 6;
    EXPECT_THROW(spid->ImportToolsTable(path), HostError);
    EXPECT_EQ(spid->Npositions, 6);
    EXPECT_EQ(app->ActiveDocument(), part);
    EXPECT_EQ(app->Documents().Count(), 1u);
    EXPECT_FALSE(BusyFlag);
}

TEST_F(ImportToolsTest, ImportFromTheActiveDocumentReadsItsTableAgain) {
    const std::string path = (folder->Path() / "self.rdp").string();
    part->SaveAs(path);
    CSPID* spid = GetSPID();
    spid->Npositions = 5;
    spid->tools[2].sPsevName = "Сохранённый";
    spid->SaveTools();
    spid->Npositions = 2;
    spid->tools[2].sPsevName = "Изменённый";
    EXPECT_TRUE(spid->ImportToolsTable(path));
    EXPECT_EQ(spid->Npositions, 5);
    EXPECT_EQ(spid->tools[2].sPsevName, "Сохранённый");
    EXPECT_EQ(app->ActiveDocument(), part);
}

}  // namespace
}  // namespace zarvento::test
