// The simulation panel on a plan of the real operations: the run's controls on
// the host's clock, the rules of selection and commands, the speed and
// transparency fields, OK and Cancel, the display put back on close, and the
// result model and fragment, on the layouts of hosts 16 and 23.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>

#include "nc/cadre_iso.h"
#include "panel_test_support.h"
#include "panels/panel_visual.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/core/numbers.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/host_timers.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/host_sketch.h"
#include "platform/part_model.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"
#include "post/program.h"
#include "simulation/simulation.h"

namespace zarvento::test {
namespace {

constexpr const char* kProgramList = "\"Программа ЧПУ (промежуточный код)\"";
constexpr const char* kRun = "\"Управление процессом визуализации\"";

// What the running panel shows at a moment of the host's clock.
struct Probe {
    bool seen = false;
    bool running = false;
    bool paused = false;
    int startFrame = -1;
    int pointIndex = -1;
    int selectedLine = -1;
    bool stockShown = true;
    // The part's view at that moment: its meshes, and its picture kept under
    // this name in $ZARVENTO_KEEP_PICTURES when set.
    std::string picture;
    int meshes = 0;
};

class PanelVisualTest : public PanelTest {
protected:
    void TearDown() override {
        for (std::uintptr_t id : probes_) KillHostTimer(HostMainWindowHandle(), id);
        PanelTest::TearDown();
    }
    // The simulation command with the panel's steps.
    void Simulate(const std::string& steps) { Run("panel visual\n" + steps + "end\nsimulate\n"); }
    static std::string Command(int id) { return std::string(" command ") + kRun + " " + std::to_string(id) + "\n"; }

    // Looks at the panel once, `afterMs` after now on the host's clock.
    void Watch(Probe& probe, std::uint32_t afterMs) {
        const std::uintptr_t id = 4200 + probes_.size();
        probes_.push_back(id);
        SetHostTimer(HostMainWindowHandle(), id, afterMs,
                     [this, &probe](WindowHandle window, std::uintptr_t timer, auto) {
                         KillHostTimer(window, timer);
                         const CPanelVISUAL* panel = CPanelVISUAL::Running();
                         if (!panel) return;
                         probe.seen = true;
                         probe.selectedLine = panel->SelectedLine();
                         if (const CSPID* spid = ExistingSPID()) probe.stockShown = spid->isShowSource;
                         if (const CSimulation* simulation = panel->Simulation()) {
                             probe.running = simulation->IsRunning();
                             probe.paused = simulation->IsPaused();
                             probe.startFrame = simulation->StartFrame();
                             probe.pointIndex = simulation->PointIndex();
                         }
                         const Scene scene = CollectScene(*part);
                         probe.meshes = static_cast<int>(scene.meshes.size());
                         if (const char* keep = std::getenv("ZARVENTO_KEEP_PICTURES"); keep && !probe.picture.empty())
                             ScenePicture::Render(scene).WritePng((fs::path(keep) / probe.picture).string());
                     });
    }
    static bool Said(const std::string& text) {
        const auto& out = UserOutput();
        return std::any_of(out.begin(), out.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
    static int BoxesSaying(const std::string& text) {
        int n = 0;
        for (const MessageEntry& e : MessageLog::Instance().Entries())
            if (e.role == MessageRole::MessageBox && e.text == text) ++n;
        return n;
    }

    std::vector<std::uintptr_t> probes_;
};

TEST_F(PanelVisualTest, TheRunStartsPausesAndStopsOnTheClockAndRefusesWhatItMust) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    Probe started, pausedEarly, pausedLate, resumed;
    pausedLate.picture = "paused-run.png";
    resumed.picture = "resumed-run.png";
    Watch(started, 2);
    Watch(pausedEarly, 100);
    Watch(pausedLate, 900);
    Watch(resumed, 2900);
    Simulate(Command(CPanelVISUAL::kPause) + Command(CPanelVISUAL::kStart) + " wait 5\n select " + kProgramList +
             " 3\n" + Command(CPanelVISUAL::kPause) + " wait 1000\n" + Command(CPanelVISUAL::kStart) + " wait 2000\n" +
             Command(CPanelVISUAL::kStop) + " select " + kProgramList + " 3\n ok\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    // A command before any line or run: the one message, and nothing else.
    EXPECT_EQ(BoxesSaying("Выберите сначала кадр программы"), 1);
    const auto& entries = MessageLog::Instance().Entries();
    const auto first = std::find_if(entries.begin(), entries.end(),
                                    [](const MessageEntry& e) { return e.text == "Выберите сначала кадр программы"; });
    ASSERT_NE(first, entries.end());
    EXPECT_EQ(first->caption, "Orbisel");
    // Пуск without a line runs from line 0.
    ASSERT_TRUE(started.seen);
    EXPECT_TRUE(started.running);
    EXPECT_FALSE(started.paused);
    EXPECT_EQ(started.startFrame, 0);
    EXPECT_FALSE(started.stockShown) << "the plan's stock is hidden while the panel runs";
    // No line can be chosen while the run goes on, paused or not.
    EXPECT_TRUE(Said("line 5: the panel kept its selection"));
    ASSERT_TRUE(pausedEarly.seen && pausedLate.seen);
    EXPECT_TRUE(pausedEarly.paused);
    EXPECT_EQ(pausedEarly.pointIndex, pausedLate.pointIndex) << "a paused run stands still";
    EXPECT_GT(pausedLate.meshes, 1) << "the simulated stock and the tool are in the view";
    // Пуск on a paused run goes on with it.
    ASSERT_TRUE(resumed.seen);
    EXPECT_TRUE(resumed.running);
    EXPECT_FALSE(resumed.paused);
    EXPECT_EQ(resumed.startFrame, 0);
    EXPECT_GT(resumed.pointIndex, pausedLate.pointIndex);
    // Stopped, the run ends with its message and lines can be chosen again.
    EXPECT_EQ(BoxesSaying(CSimulation::kRunEnded), 1);
    EXPECT_FALSE(Said("line 11: the panel kept its selection"));
    EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "program-settings") << "stored on OK";
}

TEST_F(PanelVisualTest, ARunLeftAloneEndsWithItsMessageAndGivesTheFieldsBack) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    Probe during;
    Watch(during, 1);
    Simulate(" select " + std::string(kProgramList) + " 4\n" + Command(CPanelVISUAL::kStart) +
             " wait 2\n"
             " set \"Коэффициент скорости\" 20\n"
             " wait 600000\n"
             " set \"Коэффициент скорости\" 20\n"
             " cancel\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    ASSERT_TRUE(during.seen);
    EXPECT_TRUE(during.running);
    EXPECT_GT(during.startFrame, 0) << "from the line before the chosen one";
    EXPECT_EQ(during.selectedLine, 0) << "Пуск takes the line";
    EXPECT_TRUE(Said("line 5: the control is disabled")) << "the speed is not changed while running";
    EXPECT_EQ(BoxesSaying(CSimulation::kRunEnded), 1);
    EXPECT_FALSE(Said("line 7:")) << "enabled again once the run has ended";
}

TEST_F(PanelVisualTest, FieldsTakeTheirRangesOkKeepsThemAndCancelKeepsNone) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    Simulate(
        " set \"Коэффициент скорости\" 0.5\n"
        " set \"Коэффициент скорости\" 1000.5\n"
        " set \"Коэффициент скорости\" 1000\n"
        " set \"Коэффициент скорости\" 250\n"
        " set \"Прозрачность, %\" -1\n"
        " set \"Прозрачность, %\" 100.5\n"
        " set \"Прозрачность, %\" 100\n"
        " set \"Прозрачность, %\" 30\n"
        " ok\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    for (const char* refused :
         {"line 2: 0.5 is outside", "line 3: 1000.5 is outside", "line 6: -1 is outside", "line 7: 100.5 is outside"})
        EXPECT_TRUE(Said(refused)) << refused;
    EXPECT_FALSE(Said("line 4:"));
    EXPECT_FALSE(Said("line 8:"));
    CPROGRAM stored;
    ASSERT_TRUE(stored.Load());
    EXPECT_DOUBLE_EQ(stored.KoffVelosity, 250.0);
    EXPECT_DOUBLE_EQ(stored.Transparency, 30.0);

    Simulate(" set \"Коэффициент скорости\" 7\n set \"Прозрачность, %\" 80\n cancel\n");
    CPROGRAM kept;
    ASSERT_TRUE(kept.Load());
    EXPECT_DOUBLE_EQ(kept.KoffVelosity, 250.0);
    EXPECT_DOUBLE_EQ(kept.Transparency, 30.0);
}

TEST_F(PanelVisualTest, ClosingPutsTheStockAndFixturesDisplayBack) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    Run("show-stock\n");
    ASSERT_TRUE(GetSPID()->isShowSource);
    const bool fixtures = GetSPID()->isShowGadgets;
    Probe during;
    Watch(during, 1);
    Simulate(std::string(" select ") + kProgramList + " 2\n" + Command(CPanelVISUAL::kStart) + " wait 3\n cancel\n");
    ASSERT_TRUE(during.seen);
    EXPECT_FALSE(during.stockShown);
    EXPECT_TRUE(GetSPID()->isShowSource);
    EXPECT_EQ(GetSPID()->isShowGadgets, fixtures);

    Run("show-stock\n");
    Simulate(" ok\n");
    EXPECT_FALSE(GetSPID()->isShowSource);
}

// The panel's copy holds only links to the frames: after OK the program that
// made them still has every one, without the stocks the run left in them.
TEST_F(PanelVisualTest, TheProgramStaysTheOneOwnerOfItsFrames) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    CPROGRAM program;
    program.CreateProgram();
    const std::size_t own = program.OwnFrames().size();
    const std::uint32_t count = program.frames.Count();
    ASSERT_GT(own, 0u);
    std::string error;
    UserStep select, ok;
    ASSERT_TRUE(ParsePanelStep({"select", "Программа ЧПУ (промежуточный код)", "5"}, select, error));
    ASSERT_TRUE(ParsePanelStep({"ok"}, ok, error));
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "visual", {select, ok}, 0});
    EXPECT_EQ(ShowPanelVISUAL(program), 1);
    EXPECT_EQ(program.OwnFrames().size(), own);
    EXPECT_EQ(program.frames.Count(), count);
    std::vector<std::string> text;
    for (CCadreISO* frame : program.frames) {
        EXPECT_EQ(frame->simulatedStock, nullptr);
        frame->WriteText(text, 1);
    }
    EXPECT_FALSE(text.empty());
    EXPECT_FALSE(BusyFlag);
}

// pi times the integral of r^2 dz round a closed section: the volume it sweeps
// turning once about the axis (arcs are summed over short chords).
double TurnedVolume(const Contour& section) {
    Document2D drawing;
    {
        ActiveDocument2DSwitch to(drawing);
        std::unique_ptr<Contour> copy = section.Clone();
        copy->Draw2D(1);
    }
    auto piece = [](double z1, double x1, double z2, double x2) {
        return (z2 - z1) * (x1 * x1 + x1 * x2 + x2 * x2) / 3.0;
    };
    double sum = 0;
    for (const Object2D& o : drawing.Objects()) {
        if (o.type == kObj2DLine) {
            sum += piece(o.line.x1, o.line.y1, o.line.x2, o.line.y2);
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& a = o.arc;
            const double a1 = std::atan2(a.y1 - a.yc, a.x1 - a.xc);
            double sweep = a.direction >= 0 ? std::atan2(a.y2 - a.yc, a.x2 - a.xc) - a1
                                            : a1 - std::atan2(a.y2 - a.yc, a.x2 - a.xc);
            while (sweep <= 0) sweep += 2 * PI;
            const double step = (a.direction >= 0 ? 1.0 : -1.0) * sweep / 256;
            for (int k = 0; k < 256; ++k)
                sum +=
                    piece(a.xc + a.rad * std::cos(a1 + k * step), a.yc + a.rad * std::sin(a1 + k * step),
                          a.xc + a.rad * std::cos(a1 + (k + 1) * step), a.yc + a.rad * std::sin(a1 + (k + 1) * step));
        }
    }
    return PI * std::fabs(sum);
}

TEST_F(PanelVisualTest, AnOperationsResultModelIsTheStockItLeavesTurned) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    const fs::path model = folder.Path() / "after-roughing.rdp";
    Run("answer save-file ok file=" + model.string() + "\nresult-model 0\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    const auto* turn = dynamic_cast<const CTurn*>(GetPLAN()->GetTurn(0));
    ASSERT_TRUE(turn && turn->finalContour);
    const double expected = TurnedVolume(*turn->finalContour);
    ASSERT_TRUE(fs::exists(model));
    HostDocumentPtr result = app->Documents().Open(model.string(), false);
    EXPECT_NEAR(TopPart(result)->Volume(), expected, expected * 1e-3);
    EXPECT_EQ(FileDialogs::Instance().Entries().back().request.filter, "VOVUVE-Деталь (*.rdp)|*.rdp|");
}

class PanelVisualHostTest : public PanelVisualTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelVisualHostTest, TheResultModelAndFragmentComeFromTheSimulatedStock) {
    const bool newer = GetParam() >= 17;
    SetHostVersion({GetParam(), 0, 0, 0});
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    const std::string group = newer ? kRun : "\"Результат визуализации\"";
    const fs::path model = folder.Path() / "machined.rdp";
    const fs::path failed = folder.Path() / "failed.rdp";
    const std::string model3D = " command " + group + " " + std::to_string(CPanelVISUAL::kResultModel) + "\n";
    // The first model fails on the way: it is reported and the panel goes on.
    HostFaults::Arm("HostPart.RotationAdd", E_FAIL_);
    Simulate(model3D +  // before a line: disabled
             " select " + kProgramList + " 12\n answer save-file ok file=" + failed.string() + "\n" + model3D +
             " answer save-file ok file=" + model.string() + "\n" + model3D + " command " + group + " " +
             std::to_string(CPanelVISUAL::kResultFragment) + "\n dump\n ok\n");
    HostFaults::Clear();
    EXPECT_FALSE(fs::exists(failed));
    const auto& entries = MessageLog::Instance().Entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const MessageEntry& e) {
        return e.text.rfind("Ошибка обращения к системе: ", 0) == 0;
    }));
    EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "program-settings") << "OK after the failure";
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_TRUE(Said("line 2: the button 10160 is disabled"));

    const FileDialogEntry& dialog = FileDialogs::Instance().Entries().back();
    EXPECT_EQ(dialog.request.defaultExtension, "*.rdp");
    EXPECT_EQ(dialog.request.filter, "VOVUVE-Деталь (*.rdp)|*.rdp|");
    ASSERT_TRUE(fs::exists(model));
    HostDocumentPtr result = app->Documents().Open(model.string(), false);
    EXPECT_GT(TopPart(result)->Volume(), 0.0);
    for (const auto& face : TopPart(result)->Faces()) EXPECT_EQ(face->Colour(), Rgb(150, 180, 170));
    app->Documents().Close(result);
    EXPECT_TRUE(fs::exists(fs::path(GetSPID()->sessionDirectory) / "LSC.txt"));

    // The fragment: a new visible 2D document with the part, the stock and
    // the tool drawn; the part stays the active document.
    HostDocumentPtr fragment;
    for (std::size_t k = 0; k < app->Documents().Count(); ++k)
        if (app->Documents().Item(k)->Type() == DocumentType::Drawing2D) fragment = app->Documents().Item(k);
    ASSERT_NE(fragment, nullptr);
    EXPECT_TRUE(fragment->Visible());
    const auto layer = fragment->FindSketch(CPanelVISUAL::kFragmentLayer);
    ASSERT_NE(layer, nullptr);
    std::set<int> styles;
    for (const Object2D& o : layer->Objects().Objects()) styles.insert(o.style);
    EXPECT_EQ(styles, (std::set<int>{1, 2})) << "the stock in style 1, the part and the tool in style 2";
    EXPECT_EQ(app->ActiveDocumentOrNull(), part);

    PropertyManager& pm = Shown();
    EXPECT_EQ(pm.Caption(), newer ? "Визуализация обработки (в промежуточном коде)" : "Orbisel");
    EXPECT_EQ(pm.FindControl(CPanelVISUAL::kResultHint) != nullptr, !newer);
    EXPECT_EQ(Control("Управление процессом визуализации").Button(CPanelVISUAL::kResultModel) != nullptr, newer);
    EXPECT_EQ(Control("Текущее значение функции подачи").Visible(), !newer) << "hidden from 17 on";
    EXPECT_EQ(Control("Текущее значение функции главного движения").Caption(), newer ? "Режимы" : " S");
    EXPECT_EQ(Control("Сообщения визуализации").HelpTopic(), 83000);
    EXPECT_FALSE(pm.DefaultTab().Visible());
}

INSTANTIATE_TEST_SUITE_P(Hosts, PanelVisualHostTest, ::testing::Values(16, 23));

}  // namespace
}  // namespace zarvento::test
