// The bundled example's scripts, run on the real operations as the
// command-line program runs them: the part made, then planned; the NC
// example reopened and synchronised as the main job does it, and its NC
// program written and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <typeinfo>

#include "catalogs/tool_model_text.h"
#include "geometry/contour_script.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "gltf_read_back.h"
#include "model/model_layer.h"
#include "model/revolution_part.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_line_g01.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "panels/host_panels.h"
#include "plan/command_script.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "plan/view_export.h"
#include "platform/core/host_folder.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/core/text_file.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_record.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/host_storages.h"
#include "platform/documents/settings_record.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/rgba_image.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"
#include "platform/view/scene.h"
#include "post/program.h"
#include "test_support.h"
#include "tests/operations/path_checks.h"
#include "tests/operations/program_checks.h"

namespace zarvento::test {
namespace {

namespace fs = std::filesystem;

class ExampleScriptsTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        SetHostFolder(folder.Path());
        RegisterTurnFactory();
        app = &ConnectHostApplication();
        StartPanels(panels);
    }
    void TearDown() override {
        StopPanels();
        CleanStateTest::TearDown();
    }

    void RunExample(const std::string& name) {
        const fs::path script = examples / "shaft" / name;
        FileReadResult text = ReadTextFile(script, TextEncoding::Utf8);
        ASSERT_TRUE(text.ok) << script;
        CommandScript runner(script.parent_path());
        runner.Run(text.text);
        EXPECT_EQ(runner.CommandsFailed(), 0) << name;
        EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
    }

    const fs::path examples = fs::path(FixturePath("")) / ".." / ".." / "examples";
    TempDir folder;
    HostApplication* app = nullptr;
    HeadlessTurnPanels panels;
};

TEST_F(ExampleScriptsTest, ShaftIsMadeThenPlannedByItsScripts) {
    auto part = app->Documents().Add(DocumentType::Part);
    RunExample("make-shaft.zsc");
    ASSERT_NE(GetSPID()->GetLSC(), nullptr);
    EXPECT_DOUBLE_EQ(GetSPID()->ProkatL, 90.0);
    EXPECT_EQ(GetSPID()->tools[0].sPsevName, "Резец проходной");
    const std::string path = (folder.Path() / "shaft.rdp").string();
    part->SaveAs(path);

    // Opened again in a fresh process state, as a second run of the program.
    app->Documents().Close(part);
    DeletePLAN();
    DeleteSPID();
    part = app->Documents().Open(path);
    RunExample("turning.zsc");
    CPLAN* plan = GetPLAN();
    ASSERT_EQ(plan->GetTurnCount(), 2);
    EXPECT_EQ(plan->GetTurn(0)->GetNameTurn(), "Черновая обработка");
    EXPECT_EQ(plan->GetTurn(1)->GetNameTurn(), "Чистовая обработка");
    EXPECT_TRUE(plan->GetTurn(1)->isExclude);
    EXPECT_EQ(plan->GetTurn(1)->kind, kTurnKONTUR);
}

// The folder the program runs in for a test's life: the example's scripts
// name the tool models relative to it.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

struct MoveEnd {
    double x, z;
};

// One move of the program read back: the tool making it (from its
// "M06 Txx"; 0 before the first), its kind (0 to 3), where it ends (diameter
// X, Z, modal as printed) and the radius of an arc.
struct ProgramMove {
    int tool, g;
    double x, z, r;
};

// The moves of the program as the main job's check reads them.
std::vector<ProgramMove> ProgramMoves(const std::vector<std::string>& lines) {
    std::vector<std::string> faults;
    std::vector<ProgramMove> moves;
    for (const WrittenMove& m : ReadWrittenProgram(lines, WrittenProgramFormat{}, &faults))
        moves.push_back({std::max(0, m.tool / 100), m.g, -2.0 * m.x2, m.z2, m.r});
    for (const std::string& fault : faults) ADD_FAILURE() << fault;
    return moves;
}

// The NC example: the tool models beside the part, the installed
// post-processors beside the program, the program run from the folder the
// example's scripts name their files from.
class ExampleProgramTest : public ExampleScriptsTest {
protected:
    void SetUp() override {
        ExampleScriptsTest::SetUp();
        fs::create_directories(folder.Path() / "POSTPROCESSORS");
        for (const char* name : {"ISO_Lathe.py3", "ISO_Python.py3"})
            fs::copy_file(examples / ".." / "POSTPROCESSORS" / name, folder.Path() / "POSTPROCESSORS" / name);
        SetModuleDirectory(folder.Path());
        working = std::make_unique<WorkingFolder>(folder.Path());
        fs::create_directories("example");
        ToolModelText::Convert((examples / "tools" / "roughing_tool.txt").string(), "example/roughing_tool.rdp");
        ToolModelText::Convert((examples / "tools" / "finishing_tool.txt").string(), "example/finishing_tool.rdp");
        // The example's STEP file, as the build writes it from the profile.
        FileReadResult profile = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
        ASSERT_TRUE(profile.ok);
        BodyOfProfile(*ParseContourScript(profile.text)).WriteStep("example/stepped-shaft.step", "stepped-shaft");
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        ExampleScriptsTest::TearDown();
    }

    // Closes the document and forgets the plan, as a new run of the program would.
    HostDocumentPtr Reopen(HostDocumentPtr part) {
        const std::string path = part->FilePath();
        app->Documents().Close(part);
        DeletePLAN();
        DeleteSPID();
        return app->Documents().Open(path);
    }

    // The example as the run script makes it: the part, its plan, and the
    // plan synchronised in a new run of the program, as the main job does.
    // With `fromProfile` the part's body is turned from the profile text
    // instead of read from the STEP file; `lsc` is the script's line that
    // makes the coordinate system in place of its own.
    void MakeExamplePlan(bool fromProfile = false, const std::string& lsc = {}) {
        HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
        if (!lsc.empty()) {
            FileReadResult text = ReadTextFile(examples / "shaft" / "make-stepped-shaft.zsc", TextEncoding::Utf8);
            ASSERT_TRUE(text.ok);
            const std::string own = "lsc \"ЛСК-1\"\nstep example/stepped-shaft.step\n";
            const std::size_t at = text.text.find(own);
            ASSERT_NE(at, std::string::npos);
            // The part first: a system on a face's axis needs its faces.
            CommandScript runner(examples / "shaft");
            runner.Run(text.text.replace(at, own.size(), "step example/stepped-shaft.step\n" + lsc + "\n"));
            EXPECT_EQ(runner.CommandsFailed(), 0);
        } else if (fromProfile) {
            FileReadResult text = ReadTextFile(examples / "shaft" / "make-stepped-shaft.zsc", TextEncoding::Utf8);
            ASSERT_TRUE(text.ok);
            const std::string step = "step example/stepped-shaft.step";
            const std::size_t at = text.text.find(step);
            ASSERT_NE(at, std::string::npos);
            CommandScript runner(examples / "shaft");
            runner.Run(text.text.replace(at, step.size(), "profile stepped-shaft.profile"));
            EXPECT_EQ(runner.CommandsFailed(), 0);
        } else {
            RunExample("make-stepped-shaft.zsc");
        }
        part->SaveAs((folder.Path() / "example" / "stepped-shaft.rdp").string());
        part = Reopen(part);
        RunExample("nc-plan.zsc");
        part->Save();
        part = Reopen(part);

        CPLAN& plan = *GetPLAN();
        plan.Synchronize();
        ASSERT_EQ(plan.GetTurnCount(), 2);
        for (int i = 0; i < 2; ++i) EXPECT_FALSE(plan.GetTurn(i)->HasMessage()) << plan.GetTurn(i)->messageText;
        EXPECT_EQ(plan.GetTurn(0)->kind, kTurnMnogoProhod);
        EXPECT_EQ(plan.GetTurn(1)->kind, kTurnKONTUR);
        EXPECT_TRUE(dynamic_cast<CTurn&>(*plan.GetTurn(1)).indNapr)
            << "finishing runs from the face towards the collar";
        ASSERT_NE(GetSPID()->GetPostProcessor(), nullptr);
        EXPECT_EQ(GetSPID()->GetPostProcessor()->GetName(), "ISO_Lathe");
    }

    // Writes the plan's program as the main job does and reads the file back.
    std::vector<std::string> SavedProgram(CPROGRAM& program) {
        program.CreateProgram();
        std::vector<std::string> lines;
        EXPECT_TRUE(program.MakeProgramText(lines));
        EXPECT_FALSE(CPROGRAM::UsesScript()) << "the templates alone write the program";
        const fs::path file = folder.Path() / "example" / "stepped-shaft.nc";
        EXPECT_TRUE(program.SaveProgramFile(file.string(), lines));
        FileReadResult read = ReadTextFile(file, TextEncoding::Cp1251);
        EXPECT_TRUE(read.ok);
        return SplitLines(read.text);
    }

    std::unique_ptr<WorkingFolder> working;
};

// Two sections unit for unit: kind, surface, ends and centre.
void ExpectSameSection(const Contour& a, const Contour& b) {
    ASSERT_EQ(b.Count(), a.Count());
    for (int i = 0; i < a.Count(); ++i) {
        const CUnit& u = *a.GetUnit(i);
        const CUnit& v = *b.GetUnit(i);
        EXPECT_EQ(u.Kind, v.Kind) << i;
        EXPECT_EQ(u.SurfaceName, v.SurfaceName) << i;
        for (auto [p, q] :
             {std::pair{u.StartPoint, v.StartPoint}, {u.EndPoint, v.EndPoint}, {u.CentrePoint, v.CentrePoint}}) {
            EXPECT_NEAR(p.z, q.z, 1e-6) << i;
            EXPECT_NEAR(p.x, q.x, 1e-6) << i;
        }
    }
}

// The part read from the STEP file and the part turned from its profile text
// take the one road: the same section, the same program.
TEST_F(ExampleProgramTest, StepFileAndProfileTextGiveTheSameSectionAndTheSameProgram) {
    std::unique_ptr<Contour> sections[2];
    std::vector<std::string> programs[2];
    for (int road = 0; road < 2; ++road) {
        SCOPED_TRACE(road == 0 ? "STEP" : "profile");
        ASSERT_NO_FATAL_FAILURE(MakeExamplePlan(road == 1));
        ASSERT_TRUE(GetSPID()->GetDetailContour());
        sections[road] = GetSPID()->GetDetailContour()->Clone();
        CPROGRAM program;
        programs[road] = SavedProgram(program);
        app->Documents().CloseAll();
        DeletePLAN();
        DeleteSPID();
    }
    ASSERT_EQ(sections[0]->Count(), 13);
    ExpectSameSection(*sections[0], *sections[1]);
    EXPECT_GT(programs[0].size(), 50u);
    EXPECT_EQ(programs[0], programs[1]);
}

// The example's shaft exported lying along X, along Y and along a skew axis,
// with its system along its axis (given by its directions, or placed on a
// face's axis): the same section and the same NC program as along Z.
TEST_F(ExampleProgramTest, AShaftExportedAlongXOrYGivesTheSameProgramAsAlongZ) {
    FileReadResult profile = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
    ASSERT_TRUE(profile.ok);
    const PartShape alongZ = BodyOfProfile(*ParseContourScript(profile.text));
    // The index of the journal of diameter 30 (from z = -1 to z = -36) among
    // the faces the import makes of the body, for a system on its axis.
    const auto journal = [&]() {
        HostDocumentPtr scratch = app->Documents().Add(DocumentType::Part, false);
        ImportStep(scratch, "example/stepped-shaft.step");
        int index = 0;
        // The only cylinder of that area: 15 off the axis over 35.
        for (const auto& face : TopPart(scratch)->Faces()) {
            ++index;
            if (face->IsKind(SurfaceKind::Cylinder) && std::fabs(face->Area() - PI * 30 * 35) < 1e-6) break;
        }
        app->Documents().Close(scratch);
        return index;
    };
    const struct {
        const char* name;
        Point3 turnAxis;
        double degrees;
        std::string lsc;  // the script's line; a face's number replaces %
    } cases[] = {
        {"Z", {0, 0, 1}, 0, "lsc \"ЛСК-1\""},
        {"X", {0, 1, 0}, 90, "lsc \"ЛСК-1\" 0 0 0 1 0 0"},
        {"Y", {1, 0, 0}, -90, "lsc \"ЛСК-1\" face:%"},
        {"skew", {1, 1, 0.5}, 50, "lsc \"ЛСК-1\" face:%"},
    };
    std::unique_ptr<Contour> sections[std::size(cases)];
    std::vector<std::string> programs[std::size(cases)];
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].name);
        const PartShape body =
            cases[k].degrees == 0 ? alongZ : alongZ.Rotated({0, 0, 0}, cases[k].turnAxis, cases[k].degrees);
        body.WriteStep("example/stepped-shaft.step", "stepped-shaft");
        std::string lsc = cases[k].lsc;
        if (const std::size_t at = lsc.find('%'); at != std::string::npos)
            lsc.replace(at, 1, std::to_string(journal()));
        ASSERT_NO_FATAL_FAILURE(MakeExamplePlan(false, lsc));
        ASSERT_TRUE(GetSPID()->GetDetailContour());
        sections[k] = GetSPID()->GetDetailContour()->Clone();
        CPROGRAM program;
        programs[k] = SavedProgram(program);
        app->Documents().CloseAll();
        DeletePLAN();
        DeleteSPID();
    }
    ASSERT_EQ(sections[0]->Count(), 13);
    for (std::size_t k = 1; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].name);
        ExpectSameSection(*sections[0], *sections[k]);
        EXPECT_EQ(programs[k], programs[0]);
    }
    EXPECT_GT(programs[0].size(), 50u);
}

// The working contours are kept as the faces the user picked: after the
// document is saved and opened again, they resolve to the same faces.
TEST_F(ExampleProgramTest, PickedFacesOfTheWorkingContoursResolveAfterReopening) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    auto picked = [](const CTurn& op) {
        std::vector<std::int64_t> faces;
        for (int i = 0; i < op.workChoice->Count(); ++i)
            if (const CUnit* u = op.workChoice->GetUnit(i); u->Selected) {
                const auto face = std::dynamic_pointer_cast<HostFace>(u->GetSourceObject(0));
                EXPECT_TRUE(face) << i;
                faces.push_back(face ? face->PersistentId() : 0);
            }
        return faces;
    };
    const auto& roughing = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(0));
    const std::vector<std::int64_t> before = picked(roughing);
    EXPECT_EQ(before.size(), 10u);  // units 2 to 11 of the section
    HostDocumentPtr part = app->ActiveDocumentOrNull();
    part->Save();
    part = Reopen(part);
    GetPLAN()->Synchronize();
    const auto& again = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(0));
    EXPECT_EQ(picked(again), before);
    EXPECT_FALSE(again.HasMessage()) << again.messageText;
    // The faces are the part's own, and tell the same surfaces as before.
    for (std::int64_t id : picked(again)) EXPECT_EQ(part->FindEntity(id)->ObjectType(), HostFace::kObjectType);
}

TEST_F(ExampleProgramTest, OperationPanelRefusesWhatItCannotTake) {
    app->Documents().Add(DocumentType::Part);
    RunExample("make-shaft.zsc");
    const std::string kValue = "Недопустимое значение поля ";
    struct Case {
        int kind;  // 1 multi-pass turning, 2 contour pass
        const char* field;
        std::string refusal;
    };
    for (const Case& c :
         {Case{2, "tool=0", kValue + "tool: \"0\""}, Case{2, "tool=31", kValue + "tool: \"31\""},
          Case{2, "work=1-99", kValue + "work: \"1-99\""}, Case{2, "work=3-1", kValue + "work: \"3-1\""},
          Case{2, "allowance=-0.5", kValue + "allowance: \"-0.5\""},
          Case{2, "allowance=1e3", kValue + "allowance: \"1e3\""},
          Case{2, "direction=sideways", kValue + "direction: \"sideways\""},
          Case{2, "feed=0.2*", kValue + "feed: \"0.2*\""}, Case{2, "alowance=0.5", "Операция не имеет поля alowance"},
          Case{2, "output=cycle", kValue + "output: \"cycle\""},
          Case{2, "strategy=groove", kValue + "strategy: \"groove\""},
          Case{2, "cycle.I=2", "Операция не имеет поля cycle.I"}, Case{1, "output=both", kValue + "output: \"both\""},
          Case{1, "cycle.P3=4", kValue + "cycle.P3: \"4\""}, Case{1, "cycle.P3=0", kValue + "cycle.P3: \"0\""},
          Case{1, "cycle.Q=1", kValue + "cycle.Q: \"1\""}}) {
        SCOPED_TRACE(c.field);
        MessageLog::Instance().Clear();
        CommandScript runner(examples / "shaft");
        runner.Run(std::string("answer turn ok ") + c.field + "\ncreate " + std::to_string(c.kind) + "\n");
        EXPECT_EQ(GetPLAN()->GetTurnCount(), 0) << "a refused panel creates nothing";
        const std::vector<std::string> texts = MessageLog::Instance().AllTexts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.refusal), texts.end());
    }
    CommandScript runner(examples / "shaft");
    // A post-processor with a turning cycle, so the machine's cycle stays chosen.
    runner.Run(
        "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
        "answer turn ok direction=along\ncreate 2\nanswer turn ok direction=against\ncreate 2\n"
        "answer turn ok output=cycle cycle.P3=3 cycle.I=TOOL.r*2\ncreate 1\n"
        "answer turn ok strategy=groove cycle.P1=0.5\ncreate 1\n");
    ASSERT_EQ(GetPLAN()->GetTurnCount(), 4);
    EXPECT_TRUE(dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(0)).indNapr);
    EXPECT_FALSE(dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(1)).indNapr);
    auto& turning = dynamic_cast<CTurnMnogoProhod&>(*GetPLAN()->GetTurn(2));
    EXPECT_EQ(turning.indShema, 1);
    EXPECT_EQ(turning.turningCycle.FindParam("P3")->intValue, 2) << "the third entry, profile feed";
    EXPECT_EQ(turning.turningCycle.FindParam("I")->valueText, "TOOL.r*2");
    auto& groove = dynamic_cast<CTurnMnogoProhod&>(*GetPLAN()->GetTurn(3));
    EXPECT_EQ(groove.indCycleElementar, 1);
    EXPECT_EQ(groove.grooveCycle.FindParam("P1")->valueText, "0.5");
}

// Every operation's path and message as a text, to compare calculations.
std::string PlanPaths() {
    std::string text;
    CPLAN& plan = *GetPLAN();
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        const auto& op = dynamic_cast<const CTurn&>(*plan.GetTurn(i));
        text += "op " + std::to_string(i) + " " + op.messageText + "\n";
        for (const auto& f : op.Frames())
            text += std::string(typeid(*f).name()) + " " + FormatDouble(f->start.x) + " " + FormatDouble(f->start.z) +
                    " " + FormatDouble(f->end.x) + " " + FormatDouble(f->end.z) + " " + FormatDouble(f->feed) + " " +
                    std::to_string(f->toolNumber) + " " + std::to_string(f->rapid) + "\n";
    }
    return text;
}

// Appending operations one after another once recalculated the whole plan
// each time: 2,000 "create" lines took minutes. The calculation now goes on
// from the last active operation before the new one, and must give what the
// whole calculation gives, whatever kinds, tools, failures and exclusions
// stand before.
TEST_F(ExampleProgramTest, AnAppendedOperationIsCalculatedAsTheWholePlanWouldBe) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    const char* answers[] = {
        "answer turn ok tool=1 work=2-11 allowance=0.5 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 1",
        "answer turn ok tool=2 work=2-11 direction=along feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2",
        "answer turn ok tool=1 work=2-5 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 2",
        "answer turn ok tool=2 work=6-11\ncreate 2",
        "answer turn ok tool=1\ncreate 2",  // no working contour: an error
        "answer turn ok tool=1 work=2-11 allowance=0.5\ncreate 1",
        "answer turn ok tool=2 work=3 feed=TOOL.FEED1 spin=TOOL.SPIN\ncreate 7",
    };
    std::mt19937 random(35);
    for (int step = 0; step < 24; ++step) {
        SCOPED_TRACE(step);
        CommandScript runner(examples / "shaft");
        runner.Run(answers[random() % std::size(answers)]);
        // Now and then an operation is left out, which the next append must
        // see through.
        if (random() % 5 == 0) runner.Run("exclude " + std::to_string(GetPLAN()->GetTurnCount() - 1));
        const std::string appended = PlanPaths();
        GetPLAN()->DiagnosticRaschetPath();
        ASSERT_EQ(PlanPaths(), appended);
    }
}

// An operation the plan takes with an error has no path: the command that
// created it has failed, though the plan keeps the operation to be edited.
TEST_F(ExampleProgramTest, AnOperationCreatedWithAnErrorFailsItsCommand) {
    app->Documents().Add(DocumentType::Part);
    RunExample("make-shaft.zsc");
    CommandScript runner(examples / "shaft");
    runner.Run("answer turn ok name=A work=1-4\ncreate 2\nanswer turn ok name=B\ncreate 2\n");
    ASSERT_EQ(GetPLAN()->GetTurnCount(), 2);
    EXPECT_FALSE(GetPLAN()->GetTurn(0)->HasMessage()) << GetPLAN()->GetTurn(0)->messageText;
    EXPECT_TRUE(GetPLAN()->GetTurn(1)->HasErrorMessage());
    EXPECT_EQ(runner.CommandsFailed(), 1);
    EXPECT_EQ(runner.FailedLines(), std::vector<int>{4});
}

// "answer spid ok x0=nan z0=inf" once gave "G00 Xnan Zinf", and x0=1e300 a
// 301-digit word: the panels refuse what no lathe job has, as the operation
// panel refuses allowance=nan, and keep the values they had.
TEST_F(ExampleProgramTest, PanelsRefuseValuesNoLatheJobHas) {
    app->Documents().Add(DocumentType::Part);
    RunExample("make-shaft.zsc");
    const double x0 = GetSPID()->X0tool;
    const std::string kValue = "Недопустимое значение поля ";
    struct Case {
        const char* answer;
        std::string refusal;
    };
    for (const Case& c : {Case{"answer spid ok x0=nan\nplan-data", kValue + "x0: \"nan\""},
                          Case{"answer spid ok z0=inf\nplan-data", kValue + "z0: \"inf\""},
                          Case{"answer spid ok x0=1e300\nplan-data", kValue + "x0: \"1e300\""},
                          Case{"answer spid ok L=-1e7\nplan-data", kValue + "L: \"-1e7\""},
                          Case{"answer settings ok accuracy=nan\nsettings", kValue + "accuracy: \"nan\""},
                          Case{"answer turn ok feed=1e300\ncreate 2", kValue + "feed: \"1e300\""},
                          Case{"answer turn ok spin=1e300\ncreate 2", kValue + "spin: \"1e300\""},
                          Case{"answer turn ok allowance=nan\ncreate 2", kValue + "allowance: \"nan\""}}) {
        SCOPED_TRACE(c.answer);
        MessageLog::Instance().Clear();
        CommandScript runner(examples / "shaft");
        runner.Run(c.answer);
        const std::vector<std::string> texts = MessageLog::Instance().AllTexts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), c.refusal), texts.end());
    }
    EXPECT_EQ(GetSPID()->X0tool, x0);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 0);
    EXPECT_TRUE(std::isfinite(SettingsRecord::Global().accuracy));
}

// Values edited in the document (NaN, absurd sizes, a turret position of a
// million that printed "T10000011000001") are refused when the plan is read,
// with the record and the value named, and no program is made of them.
TEST_F(ExampleProgramTest, StoredValuesNoLatheJobHasRefuseThePlan) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    const std::string path = ActiveHostDocument()->FilePath();
    struct Case {
        const char* record;
        const char* key;
        Variant value;
        const char* named;
    };
    const double nan = std::nan("");
    for (const Case& c : {Case{"Zarvento.SPID", "X0tool", Variant::R8(nan), "value \"X0tool\": nan is out of range"},
                          Case{"Zarvento.SPID", "Z0tool", Variant::R8(1e300), "\"Z0tool\": 1e+300 is out of range"},
                          Case{"Zarvento.Turn.0", "Vrezanie", Variant::R8(1e300), "\"Vrezanie\": 1e+300"},
                          Case{"Zarvento.Turn.1", "Perebeg", Variant::R8(-nan), "\"Perebeg\": "},
                          Case{"Zarvento.Turn.1", "nToolPosition", Variant::I4(1000000),
                               "\"nToolPosition\": 1000000 is outside -1..29"}}) {
        SCOPED_TRACE(std::string(c.record) + " " + c.key);
        HostDocumentPtr part = Reopen(ActiveHostDocument());
        // The record as it is, with the one value replaced.
        std::shared_ptr<HostRecord> stored = part->Storages().Item(Variant::I4(0))->Record(Variant::BStr(c.record));
        ASSERT_TRUE(stored);
        const std::vector<RecordEntry> entries = stored->Entries();
        const Variant kept = [&] {
            for (const RecordEntry& e : entries)
                if (e.name == c.key) return e.value;
            return Variant();
        }();
        auto write = [&](const Variant& value) {
            StorageRecord record;
            ASSERT_TRUE(record.OpenWrite(c.record));
            for (const RecordEntry& e : entries) {
                if (e.value.Type() == VarType::Dispatch) {
                    record.Flush();
                    record.WriteNamedValueNow(e.name, e.value);
                } else {
                    record.AddNamedValue(e.name, e.name == c.key ? value : e.value);
                }
            }
            record.Flush();
        };
        write(c.value);
        part->Save();
        part = Reopen(part);
        const HostError e = test::CaughtHostError([] { GetPLAN()->Synchronize(); });
        EXPECT_EQ(e.Code(), DISP_E_OVERFLOW_);
        EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        EXPECT_EQ(GetPLAN()->GetTurnCount(), 0) << "no half-read plan";
        write(kept);
        part->Save();
    }
    Reopen(ActiveHostDocument());
    GetPLAN()->Synchronize();
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 2);
}

TEST_F(ExampleProgramTest, TheProgramsMovesEndWhereTheFramesEnd) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    CPROGRAM program;
    const std::vector<std::string> saved = SavedProgram(program);
    ASSERT_GT(saved.size(), 2u);
    EXPECT_EQ(saved.front(), "(stepped-shaft)");
    EXPECT_EQ(saved[1], "%");

    std::vector<MoveEnd> frames;
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) {
        CCadreISO* frame = program.frames[i];
        if (dynamic_cast<CCadre_LineG01*>(frame) || dynamic_cast<CCadre_ArcG02*>(frame))
            frames.push_back({-2.0 * frame->end.x, frame->end.z});
    }
    const std::vector<ProgramMove> moves = ProgramMoves(saved);
    ASSERT_GT(moves.size(), 20u);
    ASSERT_EQ(moves.size(), frames.size());
    for (std::size_t k = 0; k < moves.size(); ++k) {
        // Three decimals are printed.
        EXPECT_NEAR(moves[k].x, frames[k].x, 0.0005 + 1e-9) << k;
        EXPECT_NEAR(moves[k].z, frames[k].z, 0.0005 + 1e-9) << k;
    }
}

// The moves of the program by the tool that makes them.
std::map<int, std::vector<ProgramMove>> MovesByTool(const std::vector<std::string>& lines) {
    std::map<int, std::vector<ProgramMove>> moves;
    for (const ProgramMove& m : ProgramMoves(lines))
        if (m.tool > 0) moves[m.tool].push_back(m);
    return moves;
}

struct PlanePoint {
    double z, x;
};

// Points along a move from (z1, x1) in the turning plane (x the negated
// radius): a line, or an arc of the printed radius, G02 turning clockwise
// with Z to the right and the printed X (the diameter) up, as a control
// reads it.
std::vector<PlanePoint> PointsAlong(const ProgramMove& m, double z1, double x1) {
    const double z2 = m.z, x2 = -m.x / 2;
    std::vector<PlanePoint> points;
    constexpr int kSteps = 20;
    if (m.g < 2) {
        for (int i = 0; i <= kSteps; ++i) {
            const double t = static_cast<double>(i) / kSteps;
            points.push_back({z1 + t * (z2 - z1), x1 + t * (x2 - x1)});
        }
        return points;
    }
    // In (Z, radius): the centre lies right of the chord for G02, left for G03.
    const double r1 = -x1, r2 = -x2;
    const double dz = z2 - z1, dr = r2 - r1, chord = std::hypot(dz, dr);
    if (chord < 1e-9) return {{z2, x2}};
    const double h = std::sqrt(std::max(0.0, m.r * m.r - chord * chord / 4));
    const double side = m.g == 2 ? 1.0 : -1.0;
    const double cz = (z1 + z2) / 2 + side * h * dr / chord, cr = (r1 + r2) / 2 - side * h * dz / chord;
    const double a1 = std::atan2(r1 - cr, z1 - cz);
    double sweep = std::atan2(r2 - cr, z2 - cz) - a1;
    // The minor arc the radius gives, in the arc's own sense.
    if (m.g == 2 && sweep > 0) sweep -= 2 * PI;
    if (m.g == 3 && sweep < 0) sweep += 2 * PI;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = a1 + sweep * i / kSteps;
        points.push_back({cz + m.r * std::cos(a), -(cr + m.r * std::sin(a))});
    }
    return points;
}

TEST_F(ExampleProgramTest, TheToolsKeepOffThePartAndRoughingLeavesItsAllowance) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    CPROGRAM program;
    const std::vector<std::string> saved = SavedProgram(program);
    const auto moves = MovesByTool(saved);
    ASSERT_EQ(moves.size(), 2u);

    FileReadResult text = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
    ASSERT_TRUE(text.ok);
    std::unique_ptr<Contour> part = ParseContourScript(text.text);
    ASSERT_TRUE(part);
    const CUnit& last = *part->GetLastUnit();
    part->AddUnit(std::make_unique<CLineUnit>(last.EndPoint.z, last.EndPoint.x, 0, 0));  // along the axis
    ASSERT_TRUE(part->IsClosed());

    // X is printed to 0.001 of the diameter, Z to 0.001.
    const double printed = std::hypot(0.0005 / 2, 0.0005);
    CPLAN& plan = *GetPLAN();
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        const auto& op = dynamic_cast<const CTurn&>(*plan.GetTurn(i));
        const ParamTool& tool = GetSPID()->tools[static_cast<std::size_t>(op.nToolPosition)];
        const double allowance = op.isPripuskW ? op.PripuskW : 0.0;
        SCOPED_TRACE(op.sNameTurn);
        ASSERT_GT(tool.r, 0);
        const auto found = moves.find(op.nToolPosition + 1);
        ASSERT_NE(found, moves.end());
        ASSERT_GT(found->second.size(), 10u);
        // The point the program drives is the imaginary tip, off the nose
        // circle by up to (sqrt 2 - 1) r: in a hollow it may lie that much in
        // the material while the tool itself keeps clear; never deeper.
        const double tipDepth = (std::sqrt(2.0) - 1.0) * tool.r + printed;
        double z = 0, x = 0;
        bool started = false;
        for (const ProgramMove& m : found->second) {
            const double ez = m.z, ex = -m.x / 2;
            EXPECT_FALSE(part->IsPointInside(ez, ex) && test::Distance(*part, ez, ex) > tipDepth)
                << "X" << m.x << " Z" << m.z << " lies in the part";
            if (started && m.g != 0) {
                for (const PlanePoint& p : PointsAlong(m, z, x)) {
                    const double cz = p.z + tool.dNoseDx, cx = p.x - tool.dNoseDy;
                    EXPECT_FALSE(part->IsPointInside(cz, cx)) << "G0" << m.g << " X" << m.x << " Z" << m.z;
                    EXPECT_GE(test::Distance(*part, cz, cx), tool.r + allowance - printed)
                        << "G0" << m.g << " X" << m.x << " Z" << m.z << " at (" << p.z << ", " << p.x << ")";
                }
            }
            z = ez, x = ex, started = true;
        }
    }
}

// The finishing insert's second edge leaves its nose at about 14 degrees:
// down the undercut's wall the pass leaves the journal's corner along that
// edge's line, so that the insert, placed as the simulation places its
// outline, keeps off the part there too.
TEST_F(ExampleProgramTest, TheFinishingInsertKeepsOffTheJournalsCorner) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    FileReadResult text = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
    ASSERT_TRUE(text.ok);
    std::unique_ptr<Contour> part = ParseContourScript(text.text);
    ASSERT_TRUE(part);
    const auto& finishing = dynamic_cast<const CTurn&>(*GetPLAN()->GetTurn(1));
    GetSPID()->CreateContourTool(CSPID::kAllPositions);
    const ParamTool* tool = finishing.GetTool();
    ASSERT_NE(tool, nullptr);
    ASSERT_NE(tool->pContour, nullptr);
    const test::OutlineGouge gouge = test::DeepestOutlineGouge(finishing, *part, *tool->pContour);
    EXPECT_LT(gouge.depth, 0.01) << "with the tool at (" << gouge.z << ", " << gouge.x << ")";
}

// The saved program read as a control reads it, the nose circle swept along
// it against the bar and the part: no move into the part or the chuck, no
// rapid into the stock, the finishing pass on the part all along its
// working contour; with the plan angles heeded in the roughing too.
TEST_F(ExampleProgramTest, AControlRunsTheProgramWithoutAFault) {
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    FileReadResult profile = ReadTextFile(examples / "shaft" / "stepped-shaft.profile", TextEncoding::Utf8);
    ASSERT_TRUE(profile.ok);
    std::unique_ptr<Contour> part = ParseContourScript(profile.text);
    ASSERT_TRUE(part);
    const auto bar = BarContour(90, 45, 0, 2);
    CPLAN& plan = *GetPLAN();
    auto op = [&](int i) -> CTurn& { return dynamic_cast<CTurn&>(*plan.GetTurn(i)); };
    for (const char* angles : {"", "cycle.P7=3 cycle.P8=93 cycle.P9=32", "cycle.P7=2"}) {
        SCOPED_TRACE(angles);
        if (*angles) {
            CommandScript runner(examples / "shaft");
            runner.Run(std::string("answer turn ok ") + angles + "\nedit 0\n");
            EXPECT_EQ(runner.CommandsFailed(), 0);
        }
        for (int i = 0; i < plan.GetTurnCount(); ++i) EXPECT_FALSE(op(i).HasMessage()) << op(i).messageText;
        CPROGRAM program;
        std::string text;
        for (const std::string& line : SavedProgram(program)) text += line + "\n";
        std::vector<ReadMove> moves = ReadProgram(text, 0, 0.0, 0.0);
        for (ReadMove& m : moves) m.op = m.tool / 100 - 1;  // T0101: the roughing, T0202: the finishing
        for (int i = 0; i < plan.GetTurnCount(); ++i) ExpectArcsReadAsComputed(op(i), moves, i);
        MachiningCheck check(*bar, *part);
        EXPECT_EQ(check.Run(moves, [&](const ReadMove& m) { return m.op < 0 ? Nose{} : NoseOf(op(m.op)); }), "")
            << text;
        EXPECT_EQ(check.FirstUnreached(*op(1).workContour, NoseOf(op(1)).r), "") << text;
    }
}

// Whether the pixel is the colour (0x00BBGGRR) as flat shading darkens it.
bool IsShadeOf(const RgbaImage::Pixel& pixel, std::uint32_t colour) {
    const double c[3] = {double(colour & 0xFF), double(colour >> 8 & 0xFF), double(colour >> 16 & 0xFF)};
    const double top = std::max({c[0], c[1], c[2]});
    const double k = std::max({pixel[0], pixel[1], pixel[2]}) / top;
    if (k < 0.25 || k > 1.01) return false;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(pixel[i] - k * c[i]) > 2.0) return false;
    return true;
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The example's view saved for a person: the glTF file read back by Open
// CASCADE's reader with the scene's triangles and colours, a picture with the
// part and both kinds of move in it, and the turning plane drawn with a path
// for the section, the stock and each kind of move of each operation.
TEST_F(ExampleProgramTest, TheViewIsSavedAsGltfPictureAndDrawing) {
    RegisterModelLayer();
    ASSERT_NO_FATAL_FAILURE(MakeExamplePlan());
    // As the program's run statements save it.
    const fs::path glb = folder.Path() / "view.glb", png = folder.Path() / "view.png", svg = folder.Path() / "view.svg";
    CommandScript runner(examples / "shaft");
    runner.Run("synchronize\nview " + glb.string() + "\nview " + png.string() + "\nview " + svg.string() + "\n");
    ASSERT_EQ(runner.CommandsFailed(), 0);

    HostDocumentPtr part = app->ActiveDocument();
    const Scene scene = CollectScene(*part);
    const std::uint32_t partColour = TopPart(part)->Faces()[0]->Colour();
    const std::uint32_t path = SettingsRecord::Global().Colour(4), rapid = SettingsRecord::Global().Colour(5);
    std::set<std::uint32_t> colours;
    int partTriangles = 0;
    for (const SceneMesh& mesh : scene.meshes) {
        colours.insert(mesh.colour);
        if (mesh.name.find(" face ") != std::string::npos) partTriangles += static_cast<int>(mesh.corners.size() / 3);
    }
    EXPECT_GT(partTriangles, 100) << "the part's body is in the view";
    EXPECT_GT(scene.lines.size(), 10u) << "so are the paths";
    EXPECT_TRUE(colours.count(partColour) && colours.count(path)) << "the part and the paths' arrows";

    const GltfReadBack read = ReadGltfWithOcct(glb.string());
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.triangles, scene.TriangleCount());
    EXPECT_EQ(read.colours, colours);

    const RgbaImage picture = RgbaImage::ReadPng(png.string());
    int partPixels = 0, pathPixels = 0, rapidPixels = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const RgbaImage::Pixel p = picture.At(x, y);
            partPixels += IsShadeOf(p, partColour);
            pathPixels += p[0] == (path & 0xFF) && p[1] == (path >> 8 & 0xFF) && p[2] == (path >> 16 & 0xFF);
            rapidPixels += p[0] == (rapid & 0xFF) && p[1] == (rapid >> 8 & 0xFF) && p[2] == (rapid >> 16 & 0xFF);
        }
    const int pixels = picture.Width() * picture.Height();
    EXPECT_GT(partPixels, pixels / 10);
    EXPECT_GT(pathPixels, 500);
    EXPECT_GT(rapidPixels, 500);

    FileReadResult drawing = ReadTextFile(svg, TextEncoding::Utf8);
    ASSERT_TRUE(drawing.ok);
    const std::string& text = drawing.text;
    const int operations = GetPLAN()->GetTurnCount();
    EXPECT_EQ(Occurrences(text, "<path "), 2 + 2 * operations) << text;
    EXPECT_EQ(Occurrences(text, "<path id=\"section\""), 1);
    EXPECT_EQ(Occurrences(text, "<path id=\"stock\""), 1);
    for (int i = 1; i <= operations; ++i) {
        const std::string id = "operation-" + std::to_string(i);
        EXPECT_EQ(Occurrences(text, "<g id=\"" + id + "\">"), 1) << id;
        const std::size_t feed = text.find("<path id=\"" + id + "-feed\""),
                          moves = text.find("<path id=\"" + id + "-rapid\"");
        ASSERT_NE(feed, std::string::npos) << id;
        ASSERT_NE(moves, std::string::npos) << id;
        EXPECT_EQ(text.substr(feed, text.find('\n', feed) - feed).find("stroke-dasharray"), std::string::npos);
        EXPECT_NE(text.substr(moves, text.find('\n', moves) - moves).find("stroke-dasharray"), std::string::npos);
    }

    DeletePLAN();
    DeleteSPID();
    UnregisterModelLayer();
}

}  // namespace
}  // namespace zarvento::test
