// The NC program panel on a plan of the real operations: the intermediate and
// NC texts, the units from the address table, the coding, the saves with the
// post-processor's extension, OK and Cancel, on the layouts of hosts 16 and 23.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "host_fault_sweep.h"
#include "nc/cadre_iso.h"
#include "nc/modal_state.h"
#include "panel_test_support.h"
#include "panels/panel_program.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_version.h"
#include "platform/core/line_reader.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "post/program.h"

namespace zarvento::test {
namespace {

constexpr const char* kIntermediate = "Управляющая программа в кодах промежуточного языка";
constexpr const char* kMessages = "Сообщения постпроцессора";

class PanelProgramTest : public PanelTest {
protected:
    // The program command with the panel's steps.
    void Program(const std::string& steps) { Run("panel program\n" + steps + "end\nprogram\n"); }
    static std::vector<std::string> Lines(const std::string& name) { return Control(name).Lines().Lines(); }
    static std::string NCText(const std::string& post) { return "Программа в кодах системы ЧПУ " + post; }
    static bool Has(const std::vector<std::string>& lines, const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
};

class PanelProgramHostTest : public PanelProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelProgramHostTest, TemplatesWriteTheNCTextAndUnitsComeFromTheAddressTable) {
    const bool newer = GetParam() >= 17;
    SetHostVersion({GetParam(), 0, 0, 0});
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    const fs::path saved = folder.Path() / "shaft";
    Program("print \"" + std::string(kMessages) + "\"\n" +
            "set \"Единицы измерения\" дюймы\n"
            "answer save-file ok file=" +
            saved.string() + "\n" + "press \"Сохранить в файл\"@" + (newer ? "1" : "2") +
            "\n"
            "ok\n");
    EXPECT_EQ(script.CommandsFailed(), 0);
    EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "program-settings") << "stored on OK";

    // VERSION "18" without Python: the frame text is the NC text.
    const std::vector<std::string> nc = Lines(NCText("ISO_Lathe"));
    EXPECT_EQ(nc, Lines(kIntermediate));
    EXPECT_TRUE(Has(UserOutput(),
                    "panel program: \"Сообщения постпроцессора\" text list caption \"Сообщения "
                    "постпроцессора\" help 81000 lines 1\n      |  OK!"));
    EXPECT_EQ(Lines(kMessages), std::vector<std::string>{" OK!"});
    // In inches: the start block sets the control to inches, and X48 of the
    // first approach is 1.89.
    EXPECT_TRUE(std::any_of(nc.begin(), nc.end(), [](const std::string& l) {
        return l.find("N1 G20 G18 G40 G80 G99") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(nc.begin(), nc.end(),
                            [](const std::string& l) { return l.find("G00 X1.8898 Z0.1378") != std::string::npos; }));
    EXPECT_EQ(Control("Единицы измерения").CurrentItem(), 1);
    CPROGRAM stored;
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.nINCH, 1);
    EXPECT_EQ(ProgramUnits::Global().nINCH, 1);
    EXPECT_EQ(nINCH, 1) << "the plan's _INCH follows";
    // The main job, which loads the stored settings, writes inches too.
    ProgramUnits::Global().Set(0);
    CPROGRAM job;
    ASSERT_TRUE(job.Load());
    job.CreateProgram();
    std::vector<std::string> jobLines;
    ASSERT_TRUE(job.MakeProgramText(jobLines));
    EXPECT_EQ(jobLines, nc);

    // Saved with the post-processor's extension, as shown.
    const FileDialogEntry& dialog = FileDialogs::Instance().Entries().back();
    EXPECT_EQ(dialog.request.defaultExtension, "*.nc");
    EXPECT_EQ(dialog.request.filter, "*.nc|*.nc|");
    FileReadResult file = ReadTextFile(saved.string() + ".nc", TextEncoding::Cp1251);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(SplitLines(file.text).size(), nc.size());
    EXPECT_NE(file.text.find("\r\nN9 G01 Z-2.7362 F0.0098\r\n"), std::string::npos);

    // The layout: a program-kind list and one text at a time from 17 on.
    PropertyManager& pm = Shown();
    EXPECT_EQ(pm.Caption(), newer ? "Управляющая программа" : "Orbisel");
    EXPECT_EQ(pm.FindControl("Кодировка программы ЧПУ") != nullptr, newer);
    EXPECT_EQ(Control(kIntermediate).Visible(), !newer);
    EXPECT_TRUE(Control(NCText("ISO_Lathe")).Visible());
    EXPECT_EQ(Control(NCText("ISO_Lathe")).Caption(), newer ? "ISO_Lathe" : NCText("ISO_Lathe"));
    EXPECT_EQ(pm.FindControl("Сохранить в файл", 2) != nullptr, !newer) << "two visible save buttons";
    // The coding list, of ISO_Lathe's one code, is named from 17 on only.
    const PropertyTab& tab = pm.Tab(0);
    const auto coding = std::find_if(tab.Controls().begin(), tab.Controls().end(), [](const auto& c) {
        return c->Kind() == PropertyControlKind::DropDownList && c->IndexOfValue("ISO") == 0;
    });
    ASSERT_NE(coding, tab.Controls().end());
    EXPECT_EQ((*coding)->Caption(), newer ? "Внутренняя кодировка" : "");
    EXPECT_EQ((*coding)->Items().size(), 1u);
    EXPECT_EQ((*coding)->Width(), 5);
    EXPECT_EQ(Control(kMessages).HelpTopic(), 81000);
    EXPECT_FALSE(pm.DefaultTab().Visible());
}

INSTANTIATE_TEST_SUITE_P(Hosts, PanelProgramHostTest, ::testing::Values(16, 23));

TEST_F(PanelProgramTest, OnHost23TheProgramKindShowsOneTextAtATime) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    Program(
        "set \"Кодировка программы ЧПУ\" \"Промежуточный код\"\n"
        "answer save-file ok file=" +
        (folder.Path() / "intermediate").string() +
        "\n"
        "press \"Сохранить в файл\"\n"
        "ok\n");
    EXPECT_TRUE(Control(kIntermediate).Visible());
    EXPECT_FALSE(Control(NCText("ISO_Lathe")).Visible());
    EXPECT_FALSE(Control("Внутренняя кодировка").Visible());
    EXPECT_TRUE(fs::exists(folder.Path() / "intermediate.txt"));
}

TEST_F(PanelProgramTest, WithoutAPostProcessorTheTextSaysSoAndThereIsNoCodingList) {
    ASSERT_NO_FATAL_FAILURE(MakePlan(""));
    Program("ok\n");
    EXPECT_NE(Shown().FindControl(NCText("(не задана)")), nullptr);
    EXPECT_EQ(Shown().FindControl("Внутренняя кодировка"), nullptr);
    const std::vector<std::string> boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    EXPECT_TRUE(Has(boxes, "Не обнаружен постпроцессор\nНевозможно конвертировать программу"));
    EXPECT_FALSE(Lines(kIntermediate).empty());
}

TEST_F(PanelProgramTest, ChoosingTheUnitsAlreadyChosenChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    std::vector<int> puts;
    ScriptedUser::Instance().SetEcho(
        [&puts](const std::string&) { puts.push_back(HostFaults::Calls("PropertyControl.PutValue")); });
    Program(
        "print \"Единицы измерения\"\nset \"Единицы измерения\" мм\nprint \"Единицы измерения\"\n"
        "set \"Единицы измерения\" см\nprint \"Единицы измерения\"\ncancel\n");
    ScriptedUser::Instance().SetEcho(nullptr);
    ASSERT_EQ(puts.size(), 3u);
    EXPECT_EQ(puts[1], puts[0]);
    EXPECT_GT(puts[2], puts[1]);
    // Cancelled: neither the program's record nor the process-wide units keep it.
    EXPECT_EQ(ProgramUnits::Global().nINCH, 0);
    CPROGRAM stored;
    EXPECT_FALSE(stored.Load()) << "nothing stored";
    EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "program");
    EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDCANCEL_);
}

TEST_F(PanelProgramTest, OkGivesOneCancelTwoAndASecondOkDoesNothing) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    CPROGRAM program;
    program.CreateProgram();
    const std::size_t own = program.OwnFrames().size();
    ASSERT_GT(own, 0u);
    {
        CPanelPROGRAM panel(program);
        ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "program", {}, 0});
        EXPECT_EQ(panel.ShowModal(), 2);
    }
    CPanelPROGRAM panel(program);
    std::string error;
    UserStep units, other, ok;
    ASSERT_TRUE(ParsePanelStep({"set", "Единицы измерения", "см"}, units, error));
    ASSERT_TRUE(ParsePanelStep({"click", "5"}, other, error));
    ASSERT_TRUE(ParsePanelStep({"ok"}, ok, error));
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "program", {units, other, ok}, 0});
    EXPECT_EQ(panel.ShowModal(), 1);
    EXPECT_EQ(program.nINCH, 2);
    EXPECT_FALSE(BusyFlag);
    const int ends = HostFaults::Calls("Application.EndProcess");
    EXPECT_TRUE(panel.OnButtonClick(kPanelButtonOK));
    EXPECT_TRUE(panel.OnButtonClick(kPanelButtonCancel));
    EXPECT_EQ(HostFaults::Calls("Application.EndProcess"), ends);
    EXPECT_EQ(panel.Result(), 1);
    // The frames the program made are its own still: the panel's copy never
    // deletes them.
    EXPECT_EQ(program.OwnFrames().size(), own);
    std::vector<std::string> text;
    for (const auto& frame : program.OwnFrames()) frame->WriteText(text, 1);
    EXPECT_FALSE(text.empty());
}

TEST_F(PanelProgramTest, ThePythonScriptMakesTheNCTextAndRunsAgainForAnotherCoding) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Python"));
    Program("set \"Внутренняя кодировка\" ISO-RADIUS\nok\n");
    const std::vector<std::string> nc = Lines(NCText("ISO_Python"));
    ASSERT_FALSE(nc.empty());
    EXPECT_EQ(nc.front(), "%");
    EXPECT_NE(nc, Lines(kIntermediate));
    const std::vector<std::string> messages = Lines(kMessages);
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
        return m.find("coding 1, units mm") != std::string::npos;
    })) << (messages.empty() ? "" : messages.front());
    CPROGRAM stored;
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.indCODE, 1);
}

TEST_F(PanelProgramTest, TheSaveDialogKeepsTheBusyFlagOfTheRunningPanel) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    std::vector<bool> busy;
    PanelScript::Instance().SetEcho([&busy](const PanelEntry& e) {
        if (e.panel == "save-file") busy.push_back(BusyFlag);
    });
    ScriptedUser::Instance().SetEcho([&busy](const std::string&) { busy.push_back(BusyFlag); });
    Program("answer save-file cancel\npress \"Сохранить в файл\"\nprint \"Единицы измерения\"\nok\n");
    PanelScript::Instance().SetEcho(nullptr);
    ScriptedUser::Instance().SetEcho(nullptr);
    EXPECT_EQ(busy, (std::vector<bool>{true, true}));
    EXPECT_FALSE(BusyFlag);
}

// Every host call of the program command fails in turn, the save dialog run
// under its own guard included: the command reports it, the busy flag is
// clear, the panel no longer listens, and the next command runs the panel.
TEST_F(PanelProgramTest, AfterAFailedHostCallInAnyStepTheNextCommandRuns) {
    ASSERT_NO_FATAL_FAILURE(MakePlan("ISO_Lathe"));
    const std::string steps = "panel program\n set \"Единицы измерения\" дюймы\n answer save-file ok file=" +
                              (folder.Path() / "saved").string() +
                              "\n press \"Сохранить в файл\"\n help\n ok\nend\nprogram\n";
    const std::set<std::string> calls =
        HostCallsOf([&] { Run(steps); },
                    [](const std::string& name) { return name.find('.') != std::string::npos || name == "Help"; });
    ASSERT_EQ(script.CommandsFailed(), 0);
    ASSERT_TRUE(fs::exists(folder.Path() / "saved.nc"));
    ASSERT_GT(calls.size(), 20u);
    int failed = 0;
    const FaultSweepOptions fresh{[&] {
        ScriptedUser::Instance().Reset();
        PanelScript::Instance().Reset();
        failed = script.CommandsFailed();
    }};
    FailEachCall(
        {calls.begin(), calls.end()}, E_OUTOFMEMORY_, [&] { Run(steps); },
        [&](const FaultRun& run) {
            // What the first run made once (the tools' contours, which the
            // program's check builds from their models) is not made again.
            if (!run.reached) return;
            EXPECT_EQ(script.CommandsFailed(), failed + 1) << "reported";
            EXPECT_FALSE(BusyFlag);
            EXPECT_EQ(Shown().Subscriber(), nullptr);
            ScriptedUser::Instance().Reset();
            PanelScript::Instance().Reset();
            Run("panel program\n ok\nend\nprogram\n");
            EXPECT_FALSE(BusyFlag);
            EXPECT_EQ(script.CommandsFailed(), failed + 1);
            EXPECT_EQ(PanelScript::Instance().Entries().back().panel, "program-settings") << "stored on OK";
        },
        fresh);
    EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
}

}  // namespace
}  // namespace zarvento::test
