// Operation storage: the main record "Zarvento.Turn.%d" with its values by
// name, the sub-records ".W", ".S", ".ELM" and ".PP", the fallbacks of a
// load, lost sketches, repeated saves, the post-processor hand-over and the
// reload through the plan's synchronisation and the document file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "../plan/plan_test_support.h"
#include "catalogs/param_tool.h"
#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "model/revolution_part.h"
#include "nc/cycle_auto.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/host_record.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/host_storages.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/host_sketch.h"
#include "platform/processes/module.h"

namespace zarvento::test {
namespace {

// ---- the table of the base values: stored name, stored kind, member, a value
// that differs from every kind's default ----

using Member = std::variant<std::int32_t CTurn::*, bool CTurn::*, double CTurn::*, std::string CTurn::*>;

struct BaseValue {
    const char* name;
    Member member;
    Variant value;
};

const std::vector<BaseValue>& BaseValues() {
    static const std::vector<BaseValue> rows = {
        {"SposobBuildWork", &CTurn::SposobBuildWork, Variant::I4(2)},
        {"SposobBuildSour", &CTurn::SposobBuildSour, Variant::I4(3)},
        {"isAutoName", &CTurn::isAutoName, Variant::Bool(false)},
        {"sNameTurn", &CTurn::sNameTurn, Variant::BStr("Точение наружное")},
        {"isExist", &CTurn::isExist, Variant::Bool(true)},
        {"isExclude", &CTurn::isExclude, Variant::Bool(true)},
        {"isUsePrevContour", &CTurn::isUsePrevContour, Variant::Bool(false)},
        {"isPripuskW", &CTurn::isPripuskW, Variant::Bool(true)},
        {"isPripuskS", &CTurn::isPripuskS, Variant::Bool(true)},
        {"PripuskW", &CTurn::PripuskW, Variant::R8(0.35)},
        {"PripuskS", &CTurn::PripuskS, Variant::R8(0.45)},
        {"ClosedSposob1", &CTurn::ClosedSposob1, Variant::Int(2)},
        {"ClosedSposob2", &CTurn::ClosedSposob2, Variant::Int(3)},
        {"ClosedAngle1", &CTurn::ClosedAngle1, Variant::R8(15.5)},
        {"ClosedAngle2", &CTurn::ClosedAngle2, Variant::R8(-30.25)},
        {"StepBezieW", &CTurn::StepBezieW, Variant::R8(0.5)},
        {"StepBezieS", &CTurn::StepBezieS, Variant::R8(0.25)},
        {"naprSketchW", &CTurn::naprSketchW, Variant::I4(1)},
        {"naprSketchS", &CTurn::naprSketchS, Variant::I4(-1)},
        {"indShema", &CTurn::indShema, Variant::I4(1)},
        {"indCycle", &CTurn::indCycle, Variant::I4(2)},
        {"indCycleElementar", &CTurn::indCycleElementar, Variant::I4(1)},
        {"indNapr", &CTurn::indNapr, Variant::Bool(true)},
        {"isShowPath", &CTurn::isShowPath, Variant::Bool(false)},
        {"indPerehod", &CTurn::indPerehod, Variant::I4(3)},
        {"naprVihod", &CTurn::naprVihod, Variant::I4(2)},
        {"naprVozvrat", &CTurn::naprVozvrat, Variant::I4(3)},
        {"Vrezanie", &CTurn::Vrezanie, Variant::R8(2.5)},
        {"VrezanieSposob", &CTurn::VrezanieSposob, Variant::I4(1)},
        {"VrezanieAngle", &CTurn::VrezanieAngle, Variant::R8(45)},
        {"Perebeg", &CTurn::Perebeg, Variant::R8(1.5)},
        {"PerebegSposob", &CTurn::PerebegSposob, Variant::I4(2)},
        {"PerebegAngle", &CTurn::PerebegAngle, Variant::R8(30)},
        {"isAutoTool", &CTurn::isAutoTool, Variant::Bool(false)},
        {"nToolPosition", &CTurn::nToolPosition, Variant::I4(1)},
        {"isCheckTool", &CTurn::isCheckTool, Variant::Bool(true)},
        {"isM01", &CTurn::isM01, Variant::Bool(true)},
        {"isM04", &CTurn::isM04, Variant::Bool(true)},
        {"isAutoM34", &CTurn::isAutoM34, Variant::Bool(false)},
        {"Spod", &CTurn::Spod, Variant::R8(0.22)},
        {"indSpod", &CTurn::indSpod, Variant::I4(1)},
        {"sSpod", &CTurn::sSpod, Variant::BStr("TOOL.FEED2*0.5")},
        {"isVconst", &CTurn::isVconst, Variant::Bool(true)},
        {"Nshp", &CTurn::Nshp, Variant::R8(750)},
        {"indNshp", &CTurn::indNshp, Variant::I4(1)},
        {"sNshp", &CTurn::sNshp, Variant::BStr("TOOL.SPIN/2")},
        {"Vconst", &CTurn::Vconst, Variant::R8(210.5)},
        {"Nmin", &CTurn::Nmin, Variant::R8(150)},
        {"Nmax", &CTurn::Nmax, Variant::R8(2500)},
        {"sVcut", &CTurn::sVcut, Variant::BStr("TOOL.VCUT*0.9")},
        {"isCheckCooler", &CTurn::isCheckCooler, Variant::Bool(true)},
        {"isM01end", &CTurn::isM01end, Variant::Bool(false)},
        {"TT", &CTurn::TT, Variant::R8(75)},
        {"isCorrectRadius", &CTurn::isCorrectRadius, Variant::Bool(false)},
        {"DirRcorrect", &CTurn::DirRcorrect, Variant::I4(2)},
        {"TypeObhod", &CTurn::TypeObhod, Variant::I4(1)},
        {"isCorrectLz", &CTurn::isCorrectLz, Variant::Bool(true)},
        {"isCorrectLx", &CTurn::isCorrectLx, Variant::Bool(true)},
        {"CorrectLz", &CTurn::CorrectLz, Variant::R8(0.12)},
        {"CorrectLx", &CTurn::CorrectLx, Variant::R8(-0.08)},
    };
    return rows;
}

void Set(CTurn& op, const BaseValue& row, const Variant& v) {
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(op.*member)>;
            if constexpr (std::is_same_v<T, std::int32_t>)
                op.*member = v.AsI4();
            else if constexpr (std::is_same_v<T, bool>)
                op.*member = v.AsBool();
            else if constexpr (std::is_same_v<T, double>)
                op.*member = v.AsR8();
            else
                op.*member = v.AsBStr();
        },
        row.member);
}

// The member as the record stores it: of the row's kind.
Variant Get(CTurn& op, const BaseValue& row) {
    return std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(op.*member)>;
            if constexpr (std::is_same_v<T, std::int32_t>)
                return row.value.Type() == VarType::Int ? Variant::Int(op.*member) : Variant::I4(op.*member);
            else if constexpr (std::is_same_v<T, bool>)
                return Variant::Bool(op.*member);
            else if constexpr (std::is_same_v<T, double>)
                return Variant::R8(op.*member);
            else
                return Variant::BStr(op.*member);
        },
        row.member);
}

// Every base value of the operation, one "name value" line each.
std::string Describe(CTurn& op) {
    std::string text;
    for (const BaseValue& row : BaseValues()) text += std::string(row.name) + " " + Get(op, row).DumpText() + "\n";
    return text;
}

// A kind with a value of its own in the main record and one cycle value in
// ".ELM", as the operation kinds add theirs.
class KindWithRows : public CTurnMnogoProhod {
public:
    bool SaveKindValues(StorageRecord& record) override {
        record.AddNamedValue("Glubina", Variant::R8(Glubina));
        return true;
    }
    bool LoadKindValues(StorageRecord& record) override {
        record.ReadNamedValue("Glubina");
        Glubina = record.ReadBuffer().ToR8();
        // The base load is complete when the kind reads: the tool is linked.
        radiusSeen = Rtool;
        return true;
    }
    void SaveCycleParameters(StorageRecord& cycles) override { cycles.AddNamedValue("P1", Variant::R8(cycleP1)); }
    void LoadCycleParameters(StorageRecord& cycles) override {
        cycles.ReadNamedValue("P1");
        cycleP1 = cycles.ReadBuffer().ToR8();
    }

    double Glubina = 10.0;
    double cycleP1 = 1.0;
    double radiusSeen = -1.0;
};

// A shaft of two steps on the axis from z = 0 to z = 80: each unit of the
// recognised part contour holds its face of the part.
constexpr const char* kShaft =
    "LineSeg( 0,0, 0,-10, 1 );\n"
    "LineSeg( 0,-10, 40,-10, 1 );\n"
    "LineSeg( 40,-10, 40,-20, 1 );\n"
    "LineSeg( 40,-20, 80,-20, 1 );\n"
    "LineSeg( 80,-20, 80,0, 1 );\n";

class TurnStorageTest : public OperationTest {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        auto lsc = part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        LscTransform::Global().ReadFromHost(lsc);
        CSPID* spid = GetSPID();
        spid->pLSC = lsc;
        SetPartFromProfile(part, *OperationRunner::Parse(kShaft));
        ASSERT_TRUE(RecognizeDetailContour(*spid));
        ASSERT_NE(spid->GetDetailContour(), nullptr);
        machine = MakePostProcessor("Станок");
        spid->SetPostProcessor(machine.get());
        MessageLog::Instance().Clear();
    }

    static std::unique_ptr<CPostProcessor> MakePostProcessor(const std::string& name) {
        auto post = std::make_unique<CPostProcessor>(name, "");
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->SetType("Turning");
        cycle->SetGCode("G71");
        cycle->AddParamDouble("P1", 0.0, "Шаг");
        post->AddCycleDefinition(std::move(cycle));
        return post;
    }

    // A new operation of the kind, given the plan's post-processor as the
    // plan's reload does before it loads one.
    static std::unique_ptr<CTurn> Make(int kind) {
        std::unique_ptr<PlanTurn> made = CPLAN::CreateTurnClass(kind);
        auto* op = dynamic_cast<CTurn*>(made.get());
        EXPECT_NE(op, nullptr);
        made.release();
        std::unique_ptr<CTurn> turn(op);
        turn->SetPostProcessorData(GetSPID()->GetPostProcessor());
        return turn;
    }

    std::shared_ptr<HostRecord> Record(const std::string& name) const { return test::StoredRecord(*part, name); }
    std::vector<std::string> EntryNames(const std::string& name) const { return test::StoredEntryNames(*part, name); }
    // Writes a record of named values straight into the part.
    static void WriteRecord(const std::string& name, const std::vector<std::pair<std::string, Variant>>& values) {
        test::WriteNamedRecord(name, values);
    }
    std::string Dump() const { return DumpDocumentRecords(*part); }

    static int CountMessages(const std::string& text) {
        const auto texts = MessageLog::Instance().AllTexts();
        return static_cast<int>(std::count(texts.begin(), texts.end(), text));
    }

    std::unique_ptr<CPostProcessor> machine;
};

constexpr const char* kNotice = "Постпроцессор был изменен.\nОбработки приняты в элементарных перемещениях";
constexpr const char* kLostSketch = "Потеряна связь с эскизом";

TEST_F(TurnStorageTest, EveryBaseValueIsStoredByNameWithItsKindAndReadBack) {
    std::unique_ptr<CTurn> op = Make(kTurnMnogoProhod);
    for (const BaseValue& row : BaseValues()) Set(*op, row, row.value);
    ASSERT_TRUE(op->SaveTurn(3));

    std::vector<std::string> expected = {"SposobBuildWork", "SposobBuildSour", "isWorkSketch", "isSourSketch"};
    for (std::size_t k = 2; k < BaseValues().size(); ++k) expected.push_back(BaseValues()[k].name);
    // The kind's own rows follow the base values.
    std::vector<std::string> names = EntryNames("Zarvento.Turn.3");
    ASSERT_GE(names.size(), expected.size());
    names.resize(expected.size());
    EXPECT_EQ(names, expected);
    const auto record = Record("Zarvento.Turn.3");
    for (const BaseValue& row : BaseValues()) {
        std::int32_t flags = 0;
        std::string text;
        const Variant stored = record->Read(Variant::BStr(row.name), flags, text);
        EXPECT_EQ(stored.Type(), row.value.Type()) << row.name;
        EXPECT_EQ(stored, row.value) << row.name;
    }
    for (const char* suffix : {".W", ".S", ".ELM", ".PP"})
        EXPECT_NE(Record(std::string("Zarvento.Turn.3") + suffix), nullptr) << suffix;

    op.reset();
    std::unique_ptr<CTurn> loaded = Make(kTurnMnogoProhod);
    ASSERT_TRUE(loaded->LoadTurn(3));
    for (const BaseValue& row : BaseValues()) EXPECT_EQ(Get(*loaded, row), row.value) << row.name;
    EXPECT_DOUBLE_EQ(loaded->Spod2, 0.22);
    EXPECT_DOUBLE_EQ(loaded->Nshp2, 750);
    EXPECT_DOUBLE_EQ(loaded->Vconst2, 210.5);
    EXPECT_DOUBLE_EQ(loaded->Rtool, 0.4) << "the corner radius of tool position 1";
    EXPECT_EQ(GetSPID()->GetTool(1)->pSketchSource, &loaded->workContour);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());

    // By name: the same values in the reverse order, among foreign names,
    // read the same.
    std::vector<std::pair<std::string, Variant>> reversed = {{"Glubina", Variant::R8(5)}};
    for (auto it = BaseValues().rbegin(); it != BaseValues().rend(); ++it) reversed.emplace_back(it->name, it->value);
    WriteRecord("Zarvento.Turn.4", reversed);
    std::unique_ptr<CTurn> again = Make(kTurnMnogoProhod);
    ASSERT_TRUE(again->LoadTurn(4));
    EXPECT_EQ(Describe(*again), Describe(*loaded));
}

TEST_F(TurnStorageTest, MissingValuesLoadEmptyWithTheToolLifeAndFormulaFallbacks) {
    struct Case {
        int kind;
        double toolLife;
    };
    const Case cases[] = {{kTurnMnogoProhod, 60}, {kTurnKONTUR, 60},  {kTurnKANAVKA, 30}, {kTurnDRILL, 45},
                          {kTurnTHREADING, 60},   {kTurnPLASHKA, 60}, {kTurnOTREZKA, 30}};
    for (const Case& c : cases) {
        // No value at all, then every value present but empty or zero.
        for (int variant = 0; variant < 2; ++variant) {
            if (variant == 0)
                WriteRecord("Zarvento.Turn.0", {{"isExist", Variant::Bool(true)}});
            else
                WriteRecord("Zarvento.Turn.0", {{"TT", Variant::R8(0)},
                                                {"sSpod", Variant::BStr("")},
                                                {"sNshp", Variant()},
                                                {"sVcut", Variant::BStr("")},
                                                {"nToolPosition", Variant()}});
            std::unique_ptr<CTurn> op = Make(c.kind);
            ASSERT_TRUE(op->LoadTurn(0));
            SCOPED_TRACE("kind " + std::to_string(c.kind) + ", case " + std::to_string(variant));
            EXPECT_DOUBLE_EQ(op->TT, c.toolLife);
            EXPECT_EQ(op->sSpod, "TOOL.FEED1");
            EXPECT_EQ(op->sNshp, "TOOL.SPIN");
            EXPECT_EQ(op->sVcut, "TOOL.VCUT");
            EXPECT_EQ(op->nToolPosition, 0) << "not the constructor's -1";
            EXPECT_FALSE(op->isShowPath);
            EXPECT_EQ(op->sNameTurn, "");
            EXPECT_DOUBLE_EQ(op->Spod, 0.0);
            EXPECT_DOUBLE_EQ(op->Spod2, 0.0);
        }
    }
}

TEST_F(TurnStorageTest, ContourChoicesKindRowsCycleValuesAndPostProcessorCopyRoundTrip) {
    auto op = std::make_unique<KindWithRows>();
    op->SetPostProcessorData(machine.get());
    CUnit& w = *op->workChoice->GetUnit(1);
    w.Selected = true;
    w.OffsetDistance = 0.5;
    w.StartExtension = 1.5;
    w.EndExtension = 2.5;
    op->sourceChoice->GetUnit(3)->Selected = true;
    op->Glubina = 12.5;
    op->cycleP1 = 3.25;
    op->nToolPosition = 0;
    op->postProcessor.GetCycles()[0]->FindParam("P1")->valueText = "2.5";
    ASSERT_TRUE(op->SaveTurn(3));
    EXPECT_EQ(EntryNames("Zarvento.Turn.3").back(), "Glubina") << "the kind's values follow the base's";
    EXPECT_EQ(EntryNames("Zarvento.Turn.3.ELM"), std::vector<std::string>{"P1"});
    op.reset();

    auto loaded = std::make_unique<KindWithRows>();
    loaded->SetPostProcessorData(machine.get());
    ASSERT_TRUE(loaded->LoadTurn(3));
    const CUnit& lw = *loaded->workChoice->GetUnit(1);
    EXPECT_TRUE(lw.Selected);
    EXPECT_DOUBLE_EQ(lw.OffsetDistance, 0.5);
    EXPECT_DOUBLE_EQ(lw.StartExtension, 1.5);
    EXPECT_DOUBLE_EQ(lw.EndExtension, 2.5);
    EXPECT_EQ(loaded->workChoice->GetSelectedCount(), 1);
    EXPECT_TRUE(loaded->sourceChoice->GetUnit(3)->Selected);
    EXPECT_EQ(loaded->sourceChoice->GetSelectedCount(), 1);
    EXPECT_DOUBLE_EQ(loaded->Glubina, 12.5);
    EXPECT_DOUBLE_EQ(loaded->cycleP1, 3.25);
    EXPECT_DOUBLE_EQ(loaded->radiusSeen, 0.8);
    EXPECT_EQ(loaded->postProcessor.GetName(), "Станок");
    EXPECT_EQ(loaded->postProcessor.GetCycles()[0]->FindParam("P1")->valueText, "2.5");
    // The builders work from what was loaded.
    EXPECT_EQ(loaded->workBuilder->partContour, loaded->workChoice.get());
    EXPECT_EQ(loaded->workBuilder->startMode, loaded->ClosedSposob1);
}

TEST_F(TurnStorageTest, SketchesFollowTheDocumentAndALostOneIsReportedWhileTheLoadGoesOn) {
    auto work = part->AddSketch("Эскиз обработки");
    auto source = part->AddSketch("Эскиз заготовки");
    std::unique_ptr<CTurn> op = Make(kTurnKONTUR);
    op->pWorkSketch = work;
    op->pSourSketch = source;
    op->sNameTurn = "С эскизами";
    ASSERT_TRUE(op->SaveTurn(0));
    op.reset();

    std::unique_ptr<CTurn> loaded = Make(kTurnKONTUR);
    ASSERT_TRUE(loaded->LoadTurn(0));
    EXPECT_EQ(loaded->pWorkSketch, part->FindSketch("Эскиз обработки"));
    EXPECT_EQ(loaded->pSourSketch, source);
    EXPECT_EQ(loaded->workBuilder->sketch, loaded->pWorkSketch);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());

    // The work sketch deleted from the part: dropped, reported, the rest read.
    loaded.reset();
    part->RemoveEntity(work);
    work.reset();
    loaded = Make(kTurnKONTUR);
    ASSERT_TRUE(loaded->LoadTurn(0));
    EXPECT_EQ(loaded->pWorkSketch, nullptr);
    EXPECT_EQ(loaded->pSourSketch, source);
    EXPECT_EQ(loaded->sNameTurn, "С эскизами");
    ASSERT_EQ(MessageLog::Instance().Entries().size(), 1u);
    const MessageEntry& m = MessageLog::Instance().Entries()[0];
    EXPECT_EQ(m.text, kLostSketch);
    EXPECT_EQ(m.caption, "Orbisel");
    EXPECT_EQ(m.style, 0x30);

    // A cleared flag ignores a stored reference; a set flag without an object
    // loads no sketch, with the report, and goes on.
    MessageLog::Instance().Clear();
    WriteRecord("Zarvento.Turn.1", {{"isWorkSketch", Variant::Bool(false)},
                                    {"pWorkSketch", Variant::Dispatch(source)},
                                    {"isSourSketch", Variant::Bool(true)},
                                    {"sNameTurn", Variant::BStr("Без эскиза")}});
    loaded = Make(kTurnKONTUR);
    ASSERT_TRUE(loaded->LoadTurn(1));
    EXPECT_EQ(loaded->pWorkSketch, nullptr);
    EXPECT_EQ(loaded->pSourSketch, nullptr);
    EXPECT_EQ(loaded->sNameTurn, "Без эскиза");
    EXPECT_EQ(CountMessages(kLostSketch), 1);
}

TEST_F(TurnStorageTest, SavingTwiceStoresTheLatestValuesOnceAndNeverLeavesTheRecordEmpty) {
    std::unique_ptr<CTurn> op = Make(kTurnDRILL);
    op->sNameTurn = "Первое";
    op->TT = 20;
    ASSERT_TRUE(op->SaveTurn(0));
    // Written by the save itself, not left pending; the kind's values follow.
    const std::vector<std::string> names = EntryNames("Zarvento.Turn.0");
    ASSERT_GE(names.size(), BaseValues().size() + 2);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "each name once";

    op->sNameTurn = "Второе";
    op->TT = 25;
    ASSERT_TRUE(op->SaveTurn(0));
    EXPECT_EQ(EntryNames("Zarvento.Turn.0"), names) << "each name exactly once";
    const std::string saved = Dump();
    op.reset();
    EXPECT_EQ(Dump(), saved) << "the operation's end writes nothing more";

    std::unique_ptr<CTurn> loaded = Make(kTurnDRILL);
    ASSERT_TRUE(loaded->LoadTurn(0));
    EXPECT_EQ(loaded->sNameTurn, "Второе");
    EXPECT_DOUBLE_EQ(loaded->TT, 25);
}

TEST_F(TurnStorageTest, AFailedWriteOfTheMainRecordPutsThePreviousOneBack) {
    std::unique_ptr<CTurn> op = Make(kTurnKONTUR);
    op->pWorkSketch = part->AddSketch("Эскиз");
    op->sNameTurn = "Сохранено";
    HostFaults::Clear();
    ASSERT_TRUE(op->SaveTurn(0));
    const int writes = HostFaults::Calls("HostRecord.Write");
    const std::string saved = Dump();

    op->sNameTurn = "Не сохранено";
    HostFaults::Arm("HostRecord.Write", E_FAIL_, writes - 1);
    EXPECT_THROW(op->SaveTurn(0), HostError);
    HostFaults::Clear();
    EXPECT_EQ(Dump(), saved);
}

TEST_F(TurnStorageTest, WithoutARecordOrAChoiceNothingIsReadOrWritten) {
    std::unique_ptr<CTurn> op = Make(kTurnOTREZKA);
    op->sNameTurn = "Как было";
    EXPECT_FALSE(op->LoadTurn(5));
    EXPECT_EQ(op->sNameTurn, "Как было");
    EXPECT_DOUBLE_EQ(op->TT, 60.0);
    op->Load(5);  // the plan's hook, the same
    EXPECT_EQ(op->sNameTurn, "Как было");

    op->workChoice.reset();
    const std::string before = Dump();
    EXPECT_FALSE(op->SaveTurn(5));
    EXPECT_EQ(Dump(), before);
}

TEST_F(TurnStorageTest, RemovingDeletesOnlyTheMainRecord) {
    std::unique_ptr<CTurn> op = Make(kTurnKANAVKA);
    ASSERT_TRUE(op->SaveTurn(2));
    op->RemoveStorage(2);
    EXPECT_EQ(Record("Zarvento.Turn.2"), nullptr);
    for (const char* suffix : {".W", ".S", ".ELM", ".PP"})
        EXPECT_NE(Record(std::string("Zarvento.Turn.2") + suffix), nullptr) << suffix;
}

TEST_F(TurnStorageTest, AnotherPostProcessorSwitchesLoadedOperationsToElementaryMovesWithOneNotice) {
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<CTurn> op = Make(kTurnMnogoProhod);
        op->indShema = 1;
        op->indCycle = 2;
        ASSERT_TRUE(op->SaveTurn(i));
    }
    // The same post-processor: the machine cycles stay.
    PostProcessorNoticeFlag = true;
    std::unique_ptr<CTurn> same = Make(kTurnMnogoProhod);
    ASSERT_TRUE(same->LoadTurn(0));
    EXPECT_EQ(same->indShema, 1);
    EXPECT_EQ(same->indCycle, 2);
    EXPECT_FALSE(same->isNoCycles);
    EXPECT_EQ(CountMessages(kNotice), 0);

    // Another one: every such operation goes elementary, one notice for all.
    std::unique_ptr<CPostProcessor> other = MakePostProcessor("Другой станок");
    GetSPID()->SetPostProcessor(other.get());
    std::vector<std::unique_ptr<CTurn>> loaded;
    for (int i = 0; i < 2; ++i) {
        loaded.push_back(Make(kTurnMnogoProhod));
        ASSERT_TRUE(loaded.back()->LoadTurn(i));
        EXPECT_EQ(loaded.back()->indShema, 0);
        EXPECT_EQ(loaded.back()->indCycle, 0);
        EXPECT_EQ(loaded.back()->postProcessor.GetName(), "Другой станок");
    }
    EXPECT_EQ(CountMessages(kNotice), 1);
    EXPECT_FALSE(PostProcessorNoticeFlag);

    // None chosen: no cycles for now, the choice kept for a later one.
    GetSPID()->SetPostProcessor(nullptr);
    PostProcessorNoticeFlag = true;
    std::unique_ptr<CTurn> none = Make(kTurnMnogoProhod);
    ASSERT_TRUE(none->LoadTurn(0));
    EXPECT_TRUE(none->isNoCycles);
    EXPECT_EQ(none->indShema, 1);
    EXPECT_EQ(CountMessages(kNotice), 1);
    GetSPID()->SetPostProcessor(machine.get());
}

// ---- through the plan ----

class TurnReloadTest : public TurnStorageTest {
protected:
    // One operation of every kind, each with values of its own; no machine
    // cycles, since a recalculation without them would reset the choice. The
    // first one carries every value of the table (it is excluded, so the
    // recalculation leaves it alone) and the second one a work sketch.
    void BuildPlan() {
        GetSPID()->SetPostProcessor(nullptr);
        runner->AddKind(kTurnMnogoProhod, "", [](CTurn& op) {
            for (const BaseValue& row : BaseValues()) Set(op, row, row.value);
        });
        runner->AddKind(kTurnKONTUR, "", [this](CTurn& op) { op.pWorkSketch = part->AddSketch("Эскиз"); });
        for (int kind = kFirstTurnType; kind <= kLastTurnType; ++kind) {
            runner->AddKind(kind, "", [kind](CTurn& op) {
                op.sNameTurn = "Обработка " + std::to_string(kind);
                op.PripuskW = 0.1 * kind;
                op.TT = 10.0 + kind;
                op.isExclude = kind % 2 == 0;
                op.CorrectLz = 0.01 * kind;
                op.isM01 = kind % 3 == 0;
                op.sSpod = "TOOL.FEED" + std::to_string(kind);
                // A unit with its face: only those can be found again.
                const int n = op.workChoice->Count();
                for (int k = 0; k < n; ++k) {
                    CUnit& unit = *op.workChoice->GetUnit((kind + k) % n);
                    if (!unit.GetSourceObject(0)) continue;
                    unit.Selected = true;
                    break;
                }
            });
        }
    }
    std::vector<std::string> Describe() {
        std::vector<std::string> all;
        CPLAN* plan = GetPLAN();
        for (int i = 0; i < plan->GetTurnCount(); ++i) {
            CTurn& op = runner->Operation(i);
            all.push_back(std::to_string(op.kind) + "\n" + test::Describe(op) + "selected " +
                          std::to_string(op.workChoice ? op.workChoice->GetSelectedCount() : -1));
        }
        return all;
    }
};

TEST_F(TurnReloadTest, EveryKindComesBackThroughTheSynchronisationAndTheDocumentFile) {
    const std::string path = (folder.Path() / "part.rdp").string();
    part->SaveAs(path);
    BuildPlan();
    const std::vector<std::string> asBuilt = Describe();
    SaveWholePlan();

    // The first reload: every value as built, but for what a kind derives
    // from its own values when it loads (the drill's closing at its point).
    DoSynchronizationData(*GetPLAN());
    const std::vector<std::string> built = Describe();
    ASSERT_EQ(built.size(), asBuilt.size());
    for (std::size_t i = 0; i < built.size(); ++i)
        if (runner->Operation(static_cast<int>(i)).kind != kTurnDRILL) {
            EXPECT_EQ(built[i], asBuilt[i]) << i;
        }
    EXPECT_EQ(runner->Operation(5).sNameTurn, "Обработка 4");
    EXPECT_DOUBLE_EQ(runner->Operation(5).TT, 14);
    SaveWholePlan();
    const std::string saved = Dump();
    part->Save();

    DoSynchronizationData(*GetPLAN());
    EXPECT_EQ(Describe(), built);
    SaveWholePlan();
    EXPECT_EQ(Dump(), saved);

    app->Documents().Close(part);
    runner.reset();
    DeletePLAN();
    DeleteSPID();
    LscTransform::Global().Reset();
    part = app->Documents().Open(path);
    ASSERT_EQ(app->ActiveDocument(), part);
    runner = std::make_unique<OperationRunner>();
    DoSynchronizationData(*GetPLAN());
    EXPECT_EQ(Describe(), built);
    ASSERT_NE(part->FindSketch("Эскиз"), nullptr);
    EXPECT_EQ(runner->Operation(1).pWorkSketch, part->FindSketch("Эскиз"));
    EXPECT_EQ(CountMessages(kLostSketch), 0);
    SaveWholePlan();
    EXPECT_EQ(Dump(), saved);
}

TEST_F(TurnReloadTest, AValueThatCannotBeConvertedFailsTheReloadAndChangesNothing) {
    BuildPlan();
    SaveWholePlan();
    WriteRecord("Zarvento.Turn.5", {{"sNameTurn", Variant::BStr("Сверление")}, {"PripuskW", Variant::BStr("много")}});
    const std::string saved = Dump();

    // The command door is not here yet: DoSynchronizationData is the door that
    // puts the flags back.
    BusyFlag = true;
    const HostError error = CaughtHostError([] { DoSynchronizationData(*GetPLAN()); });
    EXPECT_NE(std::string(error.what()).find("Zarvento.Turn.5"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("PripuskW"), std::string::npos) << error.what();
    EXPECT_TRUE(BusyFlag);
    EXPECT_FALSE(SynchronisingFlag);
    EXPECT_FALSE(PostProcessorNoticeFlag);
    EXPECT_EQ(Dump(), saved);
    // The operations of the failed reload end without writing either.
    runner.reset();
    DeletePLAN();
    EXPECT_EQ(Dump(), saved);
    BusyFlag = false;
}

TEST_F(TurnReloadTest, AFailedReloadThroughTheCommandDoorSavesNoPartialPlan) {
    BuildPlan();
    SaveWholePlan();
    WriteRecord("Zarvento.Turn.5", {{"sNameTurn", Variant::BStr("Сверление")}, {"PripuskW", Variant::BStr("много")}});
    const std::string saved = Dump();
    runner.reset();
    DeletePLAN();
    StartedFlag = false;
    // Excluding an operation saves the plan; twice, so that the second command
    // finds the plan of the failed first reload.
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        MessageLog::Instance().Clear();
        RunLibraryCommand(-1, 5, 0);
        EXPECT_TRUE(LastCommandFailed());
        const auto texts = MessageLog::Instance().AllTexts();
        ASSERT_FALSE(texts.empty());
        EXPECT_NE(texts.back().find("PripuskW"), std::string::npos) << texts.back();
        EXPECT_FALSE(BusyFlag);
        EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
        EXPECT_EQ(Dump(), saved);
    }
}

TEST_F(TurnReloadTest, AnotherChosenPostProcessorSwitchesTheReloadedOperationsWithOneNotice) {
    const std::filesystem::path posts = folder.Path() / "POSTPROCESSORS";
    std::filesystem::create_directories(posts);
    // Two machines of one description with a "Turning" cycle.
    for (const char* name : {"Станок", "Другой станок"})
        std::filesystem::copy_file(FixturePath("post/old_blocks.py3"), posts / (std::string(name) + ".py3"));
    SetModuleDirectory(folder.Path());
    CSPID* spid = GetSPID();
    spid->PostProcessors().ScanFolder();
    spid->sNamePostProcessor = "Станок";
    spid->CheckPostProcessor();
    ASSERT_NE(spid->GetPostProcessor(), nullptr);
    ASSERT_FALSE(spid->GetPostProcessor()->GetCycles().empty());
    for (int i = 0; i < 2; ++i)
        runner->AddKind(kTurnMnogoProhod, "", [](CTurn& op) {
            op.SetPostProcessorData(GetSPID()->GetPostProcessor());
            op.indShema = 1;
            op.indCycle = 1;
        });
    SaveWholePlan();

    DoSynchronizationData(*GetPLAN());
    ASSERT_EQ(GetPLAN()->GetTurnCount(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(runner->Operation(i).indShema, 1) << "the same post-processor keeps the cycles";
    EXPECT_EQ(CountMessages(kNotice), 0);

    GetSPID()->sNamePostProcessor = "Другой станок";
    GetSPID()->Save_LSC_CNC();
    DoSynchronizationData(*GetPLAN());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(runner->Operation(i).indShema, 0);
        EXPECT_EQ(runner->Operation(i).indCycle, 0);
        EXPECT_EQ(runner->Operation(i).postProcessor.GetName(), "Другой станок");
    }
    EXPECT_EQ(CountMessages(kNotice), 1);
    EXPECT_FALSE(PostProcessorNoticeFlag);
}

}  // namespace
}  // namespace zarvento::test
