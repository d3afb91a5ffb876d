// The command door: the wrapper's first run, the action switch's checks and
// refusals, every plan command, and the bracket and busy flag on every path.
// Scenarios are written in the command script the command-line program runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalogs/tool_model_text.h"
#include "geometry/exception.h"
#include "geometry/simulation_hook.h"
#include "host_fault_sweep.h"
#include "nc/frame_templates.h"
#include "plan/command_door.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_simulation.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/dialogs/panel_script.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/settings_record.h"
#include "platform/documents/storage_record.h"
#include "platform/processes/module.h"
#include "post/program.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

// An operation that logs its saves, removals and redraws and may carry a tool.
class ScenarioTurn : public PlanTurn {
public:
    ScenarioTurn(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    std::string GetNameTurn() const override { return name_; }
    void DiagnosticRaschetPath(int position) override {
        index = position;
        if (throwOnCalculate) throw Exception("Ошибка расчета");
    }
    void Save(int position) override {
        log_.push_back("save " + std::to_string(position) + " " + name_);
        StorageRecord record;
        if (!record.OpenWrite("Zarvento.Turn." + std::to_string(position))) return;
        record.AddNamedValue("sNameTurn", Variant::BStr(name_));
    }
    void Load(int position) override {
        StorageRecord record;
        if (!record.OpenRead("Zarvento.Turn." + std::to_string(position))) return;
        record.ReadNamedValue("sNameTurn");
        name_ = record.ReadBuffer().ToBStr();
    }
    bool RemoveStorage(int position) override {
        log_.push_back("remove " + std::to_string(position));
        StorageRecord record;
        record.Remove("Zarvento.Turn." + std::to_string(position));
        return true;
    }
    void ShowFrames() override { log_.push_back("show " + name_); }
    const Contour* GetToolContour() const override { return hasTool ? &tool_ : nullptr; }

    bool hasTool = true;
    bool throwOnCalculate = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
    Contour tool_;
};

class ScenarioFactory : public PlanTurnFactory {
public:
    explicit ScenarioFactory(std::vector<std::string>& log) : log_(log), previous_(RegisterPlanTurnFactory(this)) {}
    ~ScenarioFactory() override { RegisterPlanTurnFactory(previous_); }
    ScenarioFactory(const ScenarioFactory&) = delete;
    ScenarioFactory& operator=(const ScenarioFactory&) = delete;
    std::unique_ptr<PlanTurn> CreateTurn(std::int32_t type) override {
        return std::make_unique<ScenarioTurn>("op" + std::to_string(++made_) + "k" + std::to_string(type), log_);
    }

private:
    std::vector<std::string>& log_;
    PlanTurnFactory* previous_;
    int made_ = 0;
};

class CommandDoorTest : public PlanTest {
protected:
    void SetUp() override {
        PlanTest::SetUp();
        SetModuleDirectory(folder->Path());
    }
    void TearDown() override {
        // Every path closes the bracket and gives the busy flag back.
        EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
        EXPECT_FALSE(BusyFlag);
        SetModuleDirectory(std::nullopt);
        PlanTest::TearDown();
    }

    void Run(const std::string& text) { script.Run(text); }

    // A part with its coordinate system set through the panel and a bar stock
    // through the plan-data panel.
    void ReadyPlan(int operations = 0) {
        part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        AddProfile(SteppedShaft(80, 20));
        Run("answer lsc ok lsc=ЛСК-1\n"
            "coordinate-system\n"
            "answer spid ok L=90 D=45\n"
            "plan-data\n");
        for (int k = 0; k < operations; ++k) Run("answer turn ok\ncreate 2\n");
        log.clear();
        MessageLog::Instance().Clear();
    }

    std::vector<std::string> Texts() const { return MessageLog::Instance().AllTexts(); }
    std::string LastText() const {
        auto texts = Texts();
        return texts.empty() ? std::string() : texts.back();
    }
    std::vector<std::string> Panels() const {
        std::vector<std::string> out;
        for (const auto& e : PanelScript::Instance().Entries()) out.push_back(e.panel);
        return out;
    }
    bool HasRecord(const std::string& name) const {
        auto storage = part->Storages().Item(Variant::I4(0));
        return storage && storage->Record(Variant::BStr(name)) != nullptr;
    }
    ScenarioTurn* Turn(int i) const { return static_cast<ScenarioTurn*>(GetPLAN()->GetTurn(i)); }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) out.push_back(Turn(i)->GetNameTurn());
        return out;
    }

    // The saves of the log.
    std::vector<std::string> Saves() const {
        std::vector<std::string> out;
        for (const auto& s : log)
            if (s.rfind("save", 0) == 0) out.push_back(s);
        return out;
    }

    std::vector<std::string> log;
    ScenarioFactory factory{log};
    CommandScript script;
};

const char* kNoLSC = "Задайте систему координат ЧПУ";
const char* kNoStock = "Задайте контур заготовки";

TEST_F(CommandDoorTest, FirstCommandBuildsTheTreeAndSynchronisesBeforeItself) {
    EXPECT_EQ(RunLibraryCommand(-1, 4, -1), 1);
    ASSERT_NE(ExistingPlanTree(), nullptr);
    EXPECT_NE(ExistingPlanTree()->Control(), nullptr);
    EXPECT_EQ(GetPLAN()->synchronisedDocument.lock(), part);
    EXPECT_EQ(Texts(), std::vector<std::string>{kNoLSC});
    EXPECT_TRUE(StartedFlag);
}

TEST_F(CommandDoorTest, FirstCommandOfTwentyOrTwentyOneRunsOnlyItself) {
    RunLibraryCommand(-1, kActionCreateTree, -1);
    EXPECT_NE(GetPlanTree().Control(), nullptr);
    EXPECT_TRUE(GetPLAN()->synchronisedDocument.expired());
    DeletePlanTree();
    StartedFlag = false;
    RunLibraryCommand(-1, kActionSynchronize, -1);
    EXPECT_EQ(GetPLAN()->synchronisedDocument.lock(), part);
    // Synchronising makes the tree when there is no control yet.
    ASSERT_NE(ExistingPlanTree(), nullptr);
    EXPECT_NE(ExistingPlanTree()->Control(), nullptr);
    EXPECT_EQ(ExistingPlanTree()->Control()->ItemText(ExistingPlanTree()->Root()), "План токарной обработки");
}

TEST_F(CommandDoorTest, NothingRunsWithoutAPartOrAssembly) {
    app->Documents().Add(DocumentType::Drawing2D);
    EXPECT_EQ(RunLibraryCommand(-1, 4, -1), 0);
    app->SetActiveDocument(nullptr);
    EXPECT_EQ(RunLibraryCommand(-1, 4, -1), 0);
    EXPECT_FALSE(StartedFlag);
    EXPECT_TRUE(Texts().empty());
    app->Documents().Add(DocumentType::Assembly);
    EXPECT_EQ(RunLibraryCommand(-1, 4, -1), 1);
}

TEST_F(CommandDoorTest, WhichActionsNeedACoordinateSystemAndAStock) {
    struct Case {
        std::int32_t action;
        bool lsc;  // the part has a coordinate system (but no stock)
        const char* refusal;
        const char* panel;
    };
    const Case cases[] = {
        {30, false, nullptr, "lsc"},   {25, false, nullptr, "settings"}, {6, false, nullptr, nullptr},
        {0, false, kNoLSC, nullptr},   {4, false, kNoLSC, nullptr},      {1, false, kNoLSC, nullptr},
        {0, true, nullptr, "spid"},    {1, true, kNoStock, nullptr},     {4, true, kNoStock, nullptr},
        {-3, true, kNoStock, nullptr},
    };
    part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    AddProfile(SteppedShaft(80, 20));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        DeletePLAN();
        DeleteSPID();
        if (c.lsc) Run("answer lsc ok lsc=ЛСК-1\ncoordinate-system\n");
        MessageLog::Instance().Clear();
        PanelScript::Instance().Reset();
        RunLibraryCommand(2, c.action, -1);
        // A refused command has done nothing it was asked: it failed.
        EXPECT_EQ(LastCommandFailed(), c.refusal != nullptr);
        EXPECT_EQ(Texts(), c.refusal ? std::vector<std::string>{c.refusal} : std::vector<std::string>{});
        EXPECT_EQ(Panels(), c.panel ? std::vector<std::string>{c.panel} : std::vector<std::string>{});
    }
}

TEST_F(CommandDoorTest, ActionFourRedrawsAndActionTwentyFiveDoesNot) {
    ReadyPlan(1);
    RunLibraryCommand(-1, 4, -1);
    EXPECT_EQ(log, std::vector<std::string>{"show op1k2"});
    log.clear();
    EXPECT_EQ(ExecuteAction(GetPLAN(), -1, 4, -1), 1);
    EXPECT_EQ(ExecuteAction(GetPLAN(), -1, 20, -1), 0);
    log.clear();
    EXPECT_EQ(ExecuteAction(GetPLAN(), -1, 25, -1), 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(CommandDoorTest, ReleaseDropsThePlanAndTheNextCommandRebuildsItFromTheDocument) {
    ReadyPlan(2);
    EXPECT_EQ(RunLibraryCommand(-1, kActionRelease, -1), 1);
    EXPECT_EQ(ExistingPLAN(), nullptr);
    EXPECT_EQ(ExistingSPID(), nullptr);
    EXPECT_EQ(ExistingPlanTree(), nullptr);
    RunLibraryCommand(-1, 4, -1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"op1k2", "op2k2"}));
    EXPECT_NE(GetSPID()->GetLSC(), nullptr);
}

TEST_F(CommandDoorTest, AnotherDocumentIsSynchronisedBeforeTheCommand) {
    ReadyPlan(2);
    // A second unsaved part: its path is as empty as the first one's.
    auto other = app->Documents().Add(DocumentType::Part);
    ASSERT_EQ(other->FilePath(), part->FilePath());
    RunLibraryCommand(-1, 4, -1);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 0);
    EXPECT_EQ(LastText(), kNoLSC);
    // Back to the first: its plan comes from its records again.
    app->SetActiveDocument(part);
    RunLibraryCommand(-1, 4, -1);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
    // A saved document under a new path resynchronises too.
    part->SaveAs((folder->Path() / "part.rdp").string());
    RunLibraryCommand(-1, 4, -1);
    EXPECT_EQ(GetPLAN()->synchronisedDocumentPath, part->FilePath());
}

TEST_F(CommandDoorTest, CreatingAtTheFrontSavesEveryPosition) {
    ReadyPlan(3);
    Run("answer turn ok\ncreate 5 0\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"op4k5", "op1k2", "op2k2", "op3k2"}));
    EXPECT_EQ(log, (std::vector<std::string>{"save 0 op4k5", "save 1 op1k2", "save 2 op2k2", "save 3 op3k2",
                                             "show op4k5", "show op1k2", "show op2k2", "show op3k2"}));
    EXPECT_EQ(GetPLAN()->typeCodes.size(), 0u);  // read at synchronisation only
    EXPECT_TRUE(HasRecord("Zarvento.Turn.3"));
}

TEST_F(CommandDoorTest, DeletingTheLastRemovesItsRecordAndSavesOnlyThePlan) {
    ReadyPlan(3);
    Run("answer question no\ndelete 2\n");
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 3);
    log.clear();
    Run("answer question yes\ndelete 2\n");
    EXPECT_EQ(log, (std::vector<std::string>{"remove 2", "show op1k2", "show op2k2"}));
    EXPECT_FALSE(HasRecord("Zarvento.Turn.2"));
    const auto& questions = MessageLog::Instance().Texts(MessageRole::Question);
    EXPECT_EQ(questions.back(), "Вы действительно хотите удалить обработку?");
}

TEST_F(CommandDoorTest, MovingUpSavesFromThePositionAboveAndKeepsTheMovedItemSelected) {
    ReadyPlan(3);
    Run("up 2\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"op1k2", "op3k2", "op2k2"}));
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2),
              (std::vector<std::string>{"save 1 op3k2", "save 2 op2k2"}));
    TreeControl* tree = GetPlanTree().Control();
    EXPECT_EQ(tree->SelectedItem(), Turn(1)->hTreeItem);
    log.clear();
    Run("down 0\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"op3k2", "op1k2", "op2k2"}));
    EXPECT_EQ(log.front(), "save 0 op3k2");
    // Outside the range (a stale tree event): nothing.
    log.clear();
    Run("up 0\ndown 2\nup 7\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"op3k2", "op1k2", "op2k2"}));
    EXPECT_TRUE(Saves().empty());
}

// A run whose commands did nothing (an index out of range, a refused panel
// field, an unknown type) once ended with "N commands, 0 failed", exit 0;
// and "down 2147483647" and "up -2147483648" overflowed computing the neighbour.
TEST_F(CommandDoorTest, CommandsThatCannotBeCarriedOutFailAndNameTheirLine) {
    ReadyPlan(2);
    struct Case {
        const char* line;
        const char* message;  // empty: the panel's own refusal
    };
    for (const Case& c :
         {Case{"edit 2", "line 1: edit 2: the plan has no operation 2 (it has 2, indexes 0..1)"},
          Case{"delete -1", "line 1: delete -1: the plan has no operation -1 (it has 2, indexes 0..1)"},
          Case{"up 2147483647", "line 1: up 2147483647: the plan has no operation 2147483647"},
          Case{"down -2147483648", "line 1: down -2147483648: the plan has no operation"},
          Case{"create 9", "line 1: create 9: no operation type 9 (types are 1..7)"},
          Case{"create 2 3", "line 1: create 2 3: an operation goes in at 0..2"},
          Case{"answer spid ok L=nan\nplan-data", "Недопустимое значение поля L: \"nan\""},
          Case{"answer spid ok lenght=90\nplan-data", "Панель не имеет поля lenght"},
          Case{"answer lsc ok lsc=ЛСК-1 psot=X\ncoordinate-system", "Панель не имеет поля psot"},
          // Once "Не обнаружен постпроцессор )NoSuchPost", and the run went on well.
          Case{"answer lsc ok post=NoSuchPost\ncoordinate-system", "Недопустимое значение поля post: \"NoSuchPost\""},
          Case{"answer settings ok rapid=10 speed=2\nsettings", "Панель не имеет поля speed"},
          Case{"answer program ok file=a.nc\nprogram", "Панель не имеет поля file"}}) {
        SCOPED_TRACE(c.line);
        MessageLog::Instance().Clear();
        script = CommandScript();
        Run(c.line);
        EXPECT_EQ(script.CommandsFailed(), 1);
        ASSERT_EQ(script.FailedLines().size(), 1u);
        EXPECT_EQ(script.FailedLines().front(), std::string(c.line).find('\n') == std::string::npos ? 1 : 2);
        EXPECT_NE(LastText().find(c.message), std::string::npos) << LastText();
        EXPECT_EQ(Names(), (std::vector<std::string>{"op1k2", "op2k2"}));
    }
    // The raw triple goes to the door as a host would send it: a stale index
    // does nothing, and nothing overflows on the way.
    script = CommandScript();
    Run("command -1 8 -2147483648\ncommand -1 9 2147483647\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"op1k2", "op2k2"}));
    EXPECT_TRUE(Saves().empty());
}

TEST_F(CommandDoorTest, ExcludingSavesFromThatPositionOn) {
    ReadyPlan(3);
    Run("exclude 1\n");
    EXPECT_TRUE(Turn(1)->isExclude);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2),
              (std::vector<std::string>{"save 1 op2k2", "save 2 op3k2"}));
}

TEST_F(CommandDoorTest, CancelledNewOperationIsDeletedUnlessItWaitsForItsTool) {
    ReadyPlan(2);
    Run("answer turn cancel\ncreate 3 0\n");
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
    EXPECT_EQ(GetPLAN()->pendingNewTurn, nullptr);
    // Left for the tool table, edited there, then resumed through the posted
    // command 75 and inserted at its index.
    Run("answer turn cancel wait=1\ncreate 4 1\n");
    ASSERT_NE(WaitingTurn, nullptr);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
    Run("answer spid ok positions=4\nanswer turn ok\nplan-data\n");
    EXPECT_EQ(WaitingTurn, nullptr);
    EXPECT_EQ(Names(), (std::vector<std::string>{"op1k2", "op4k4", "op2k2"}));
    EXPECT_EQ(GetSPID()->Npositions, 4);
}

TEST_F(CommandDoorTest, WaitingOperationIsDroppedWhenThePanelIsCancelledAgain) {
    ReadyPlan(1);
    Run("answer turn cancel wait=1\ncreate 4\nanswer turn cancel\nresume\n");
    EXPECT_EQ(WaitingTurn, nullptr);
    EXPECT_EQ(GetPLAN()->pendingNewTurn, nullptr);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 1);
}

TEST_F(CommandDoorTest, CoordinateSystemChangeIsDetectedByObjectOrPostProcessorName) {
    fs::create_directories(folder->Path() / "POSTPROCESSORS");
    for (const char* name : {"Alpha", "Beta"}) {
        std::ofstream(folder->Path() / "POSTPROCESSORS" / (std::string(name) + ".py3"))
            << "# VERSION 16\n# STRING_INIT G90 " << name
            << "\n\"\"\"\nBEGIN_MACHINE_CYCLES\nEND_MACHINE_CYCLES\n\"\"\"\n";
    }
    part->AddLocalCoordinateSystem("ЛСК-2", {5, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    ReadyPlan(1);
    Run("answer lsc ok post=Alpha\ncoordinate-system\n");
    ASSERT_NE(GetSPID()->GetPostProcessor(), nullptr);
    EXPECT_EQ(Saves(), std::vector<std::string>{"save 0 op1k2"});
    const std::string startText = BuiltInFrameTexts::Global().startText;
    EXPECT_EQ(startText, "G90 Alpha");
    // The same choice again changes nothing.
    log.clear();
    Run("answer lsc ok lsc=ЛСК-1 post=Alpha\ncoordinate-system\n");
    EXPECT_TRUE(Saves().empty());
    // Another system alone is a change.
    Run("answer lsc ok lsc=ЛСК-2\ncoordinate-system\n");
    EXPECT_EQ(GetSPID()->GetLSC()->Name(), "ЛСК-2");
    EXPECT_EQ(Saves(), std::vector<std::string>{"save 0 op1k2"});
    // Beta picked, then the panel cancelled: the plan keeps Alpha, and so do
    // the process-wide templates that picking Beta replaced.
    log.clear();
    Run("answer lsc cancel post=Beta\ncoordinate-system\n");
    EXPECT_TRUE(Saves().empty());
    EXPECT_EQ(GetSPID()->GetPostProcessor()->GetName(), "Alpha");
    EXPECT_EQ(BuiltInFrameTexts::Global().startText, startText);
}

TEST_F(CommandDoorTest, ProgramSimulationAndCheckRefuseAnEmptyPlan) {
    ReadyPlan();
    for (const char* command : {"program", "simulate", "check"}) {
        SCOPED_TRACE(command);
        MessageLog::Instance().Clear();
        Run(std::string(command) + "\n");
        EXPECT_EQ(Texts(), std::vector<std::string>{"Не создано ни одной обработки"});
        EXPECT_EQ(script.CommandsFailed(), 1);
        script = CommandScript();
    }
    EXPECT_TRUE(PanelScript::Instance().Entries().size() == 2u);  // the two panels of ReadyPlan
}

TEST_F(CommandDoorTest, RapidSpeedBoundariesOfTheSimulation) {
    ReadyPlan(1);
    const std::string refusal =
        "Некорректное значение ускоренной подачи. Вызовите команду Настройки. Скорость ускоренных перемещений "
        "должна быть от 0.1 до 1000 м/мин.";
    for (double speed : {0.1, 1000.0, 0.09, 1000.5}) {
        SCOPED_TRACE(speed);
        SettingsRecord::Global().rapidSpeed = speed;
        MessageLog::Instance().Clear();
        PanelScript::Instance().Reset();
        Run("answer simulation ok\nsimulate\n");
        const bool accepted = speed >= 0.1 && speed <= 1000.0;
        EXPECT_EQ(Texts().empty(), accepted);
        if (!accepted) {
            EXPECT_EQ(LastText(), refusal);
        }
        EXPECT_EQ(Panels().empty(), !accepted);
    }
}

TEST_F(CommandDoorTest, MissingToolContourNamesTheIncludedOperation) {
    ReadyPlan(3);
    Turn(0)->hasTool = false;
    Turn(0)->isExclude = true;
    Turn(2)->hasTool = false;
    Run("check\n");
    EXPECT_EQ(LastText(),
              "op3k2 (обработка №3).\nНе определен контур инструмента.\nНевозможно визуализировать обработку.");
    EXPECT_FALSE(SimulationCheckMode);
    Turn(2)->hasTool = true;
    MessageLog::Instance().Clear();
    Run("check\n");
    EXPECT_TRUE(Texts().empty());
    EXPECT_TRUE(SimulationCheckMode);
    // The whole program: the part's comment, the safety block, the closing
    // comment, M05 and M30 (the stand-ins have no frames of their own).
    EXPECT_EQ(PanelScript::Instance().Entries().back().detail, "5 frames, check");
}

// What the simulation panel is given, and the program record it leaves.
class ProgramCapture : public PlanSimulation {
public:
    ProgramCapture() : previous_(RegisterPlanSimulation(this)) {}
    ~ProgramCapture() override { RegisterPlanSimulation(previous_); }
    ProgramCapture(const ProgramCapture&) = delete;
    ProgramCapture& operator=(const ProgramCapture&) = delete;
    void RunPanel(CPROGRAM& program, bool checkMode, PanelAnswer&) override {
        speeds.push_back(program.KoffVelosity);
        modes.push_back(checkMode);
        frames.push_back(static_cast<int>(program.frames.Count()));
        program.KoffVelosity = 25.0;  // what the user set in the panel
    }
    std::vector<double> speeds;
    std::vector<bool> modes;
    std::vector<int> frames;

private:
    PlanSimulation* previous_;
};

TEST_F(CommandDoorTest, TheSimulationRunsOnTheProgramRecordAndTheCheckRunOnItsDefaults) {
    ReadyPlan(2);
    ProgramCapture capture;
    test::WriteNamedRecord(CPROGRAM::kRecordName, {{"KoffVelosity", Variant::R8(7.0)}});
    Run("answer simulation cancel\nsimulate\n");
    Run("answer simulation ok\nsimulate\n");
    // Read before each run; the accepted panel saves what the panel set.
    ASSERT_EQ(capture.speeds, (std::vector<double>{7.0, 7.0}));
    EXPECT_EQ(capture.frames[0], 5);
    Run("simulate\n");
    EXPECT_EQ(capture.speeds.back(), 25.0);

    // The check run neither reads the record nor writes it.
    test::WriteNamedRecord(CPROGRAM::kRecordName, {{"KoffVelosity", Variant::R8(7.0)}});
    Run("answer simulation ok\ncheck\n");
    EXPECT_EQ(capture.speeds.back(), CPROGRAM().KoffVelosity);
    EXPECT_EQ(capture.modes, (std::vector<bool>{false, false, false, true}));
    Run("simulate\n");
    EXPECT_EQ(capture.speeds.back(), 7.0);
}

TEST_F(CommandDoorTest, ClearPlanRemovesThePlanRecordsAndKeepsTheListsAndSubRecords) {
    ReadyPlan(2);
    {
        StorageRecord sub;
        ASSERT_TRUE(sub.OpenWrite("Zarvento.Turn.0.W"));
        sub.AddNamedValue("k", Variant::I4(1));
    }
    ASSERT_TRUE(HasRecord("Zarvento.LSC"));
    ASSERT_TRUE(HasRecord("Zarvento.SPID"));
    Run("answer question no\nclear\n");
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
    Run("answer question yes\nclear\n");
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::Question).back(),
              "Внимание! Вся информация из Плана обработки будет удалена.\nПродолжить?");
    EXPECT_FALSE(HasRecord("Zarvento.LSC"));
    EXPECT_FALSE(HasRecord("Zarvento.SPID"));
    EXPECT_FALSE(HasRecord("Zarvento.Turn.0"));
    EXPECT_FALSE(HasRecord("Zarvento.Turn.1"));
    EXPECT_TRUE(HasRecord("Zarvento.Turn.0.W"));
    EXPECT_TRUE(HasRecord("Zarvento.TOOLS1"));
    EXPECT_TRUE(HasRecord("Zarvento.GADGETS1"));
    EXPECT_TRUE(HasRecord("Zarvento.PLAN"));
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 0);
    EXPECT_EQ(ExistingSPID(), nullptr);
    // The coordinate system went with the plan: a new operation cannot be
    // made, and the script says it failed.
    const int failed = script.CommandsFailed();
    Run("answer turn ok\ncreate 2\n");
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 0);
    EXPECT_EQ(LastText(), kNoLSC);
    EXPECT_EQ(script.CommandsFailed(), failed + 1);
}

// A script run from another folder names a tool's model by a relative name:
// it is found beside the part document; a name found nowhere fails the run.
TEST_F(CommandDoorTest, AToolModelOfARelativeNameIsFoundBesideThePartDocument) {
    const fs::path job = folder->Path() / "job";
    fs::create_directories(job);
    part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    AddProfile(SteppedShaft(80, 20));
    part->SaveAs((job / "part.rdp").string());
    ToolModelText::Parse("zarvento-tool-model 1\nvariable r 0.4 \"Радиус\"\n", "model")
        ->SaveAs((job / "tool.rdp").string());
    ASSERT_NE(fs::current_path(), job);
    Run("answer lsc ok lsc=ЛСК-1\ncoordinate-system\n"
        "answer spid ok L=90 D=45 tool1=Резец model1=tool.rdp\nplan-data\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(fs::path(GetSPID()->tools[0].sFileName), job / "tool.rdp");
    // The model's file has not changed since: a later session reads the plan
    // without loading it again.
    MessageLog::Instance().Clear();
    Run("synchronize\n");
    EXPECT_EQ(GetSPID()->tools[0].sPsevName, "Резец");
    for (const std::string& text : Texts()) EXPECT_EQ(text.find("был обновлен"), std::string::npos) << text;
    Run("answer spid ok model2=job/none.rdp\nplan-data\n");
    EXPECT_EQ(script.CommandsFailed(), 1);
    EXPECT_TRUE(GetSPID()->tools[1].sFileName.empty());
}

TEST_F(CommandDoorTest, FailuresAreReportedAndLeaveTheBracketAndBusyFlagRestored) {
    ReadyPlan(2);
    // The system's own exception, thrown during the recalculation of a change.
    Turn(1)->throwOnCalculate = true;
    Run("exclude 0\n");
    EXPECT_EQ(LastText(), "Ошибка расчета");
    EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
    EXPECT_FALSE(BusyFlag);
    Turn(1)->throwOnCalculate = false;
    // Host errors inside a command, when giving the references back, and in
    // the first run's synchronisation under the busy flag.
    test::FailEachCall(
        {"PostHostCommand", "ReleaseGlobalVariable", "InitGlobalVariables"}, E_FAIL_,
        [&] { Run("answer turn cancel wait=1\nedit 0\nanswer spid ok\nplan-data\n"); },
        [&](const test::FaultRun&) {
            EXPECT_NE(LastText().find("0x80004005"), std::string::npos) << LastText();
            EXPECT_TRUE(LastCommandFailed() || script.CommandsFailed() > 0);
            EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
            EXPECT_FALSE(BusyFlag);
            WaitingTurn = nullptr;
        },
        {[] { MessageLog::Instance().Clear(); }});
    StartedFlag = false;
    HostFaults::Arm("HostRecord.Read", E_FAIL_);
    RunLibraryCommand(-1, 4, -1);
    EXPECT_FALSE(BusyFlag);
    EXPECT_TRUE(LastCommandFailed());
    HostFaults::Clear();
}

TEST_F(CommandDoorTest, UnsavedCancelAndSettingsResynchronise) {
    ReadyPlan(1);
    Run("answer settings ok rapid=12.5\nsettings\n");
    EXPECT_DOUBLE_EQ(SettingsRecord::Global().rapidSpeed, 12.5);
    Run("answer settings ok rapid=много\nsettings\n");
    EXPECT_DOUBLE_EQ(SettingsRecord::Global().rapidSpeed, 12.5);
    EXPECT_EQ(LastText(), "Недопустимое значение поля rapid: \"много\"");
}

TEST_F(CommandDoorTest, RecordedSeamsOfLaterSubsystems) {
    ReadyPlan(1);
    Run("answer program ok\nprogram\nstatistics\npostprocessors\nplan-document\ndocument-set\nsketch 0\n"
        "answer save-file ok file=/tmp/x.rdp\nresult-model 0\nmessage 0\n");
    EXPECT_EQ(Panels(), (std::vector<std::string>{"lsc", "spid", "turn", "program", "program-settings", "statistics",
                                                  "postprocessors", "plan-document", "document-set", "sketch",
                                                  "save-file", "result-model"}));
    EXPECT_EQ(script.CommandsFailed(), 0);
}

TEST_F(CommandDoorTest, ScriptLinesThatCannotBeReadNameTheLine) {
    for (const char* bad : {"frobnicate", "answer question maybe", "answer spid perhaps", "answer spid ok L",
                            "command 1 2", "edit", "create x", "lsc", "answer spid ok name=\"open"}) {
        SCOPED_TRACE(bad);
        try {
            script.Run(std::string("# comment\n\n") + bad + "\n");
            ADD_FAILURE() << "accepted";
        } catch (const ScriptError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("line 3: ", 0), 0u) << e.what();
        }
    }
    EXPECT_EQ(CommandScript::Words("a \"b c\"  d=\"e f\" # g", 1), (std::vector<std::string>{"a", "b c", "d=e f"}));
}

}  // namespace
}  // namespace zarvento::test
