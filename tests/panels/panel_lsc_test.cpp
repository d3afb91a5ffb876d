// The NC coordinate-system and post-processor panel, driven as a user would
// through the plan command: picks, typed names, the post-processor list, OK
// and Cancel, on the host versions whose layouts differ.
#include <gtest/gtest.h>

#include <algorithm>

#include "nc/frame_templates.h"
#include "panel_test_support.h"
#include "panels/panel_lsc.h"
#include "platform/core/host_version.h"
#include "platform/core/host_view_object.h"
#include "platform/core/messages.h"
#include "platform/drawings/host_sketch.h"
#include "platform/host/host_document_3d.h"
#include "post/post_processor_settings.h"

namespace zarvento::test {
namespace {

class PanelLscTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        MakePart();
    }
    HostDocument3D& Part3D() { return Procedural3D(part); }
    // The panel's steps, then the command that shows it.
    void Choose(const std::string& steps) { Run("panel lsc\n" + steps + "end\ncoordinate-system\n"); }
    bool Said(const std::string& text) const {
        return std::find(UserOutput().begin(), UserOutput().end(), text) != UserOutput().end();
    }
};

class PanelLscHostTest : public PanelLscTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelLscHostTest, OkStaysDisabledUntilASystemIsChosen) {
    SetHostVersion({GetParam(), 0, 0, 0});
    Choose("ok\npick ЛСК-2\nok\n");
    EXPECT_TRUE(Said("panel lsc, line 2: the button 1 is disabled"));
    EXPECT_EQ(GetSPID()->GetLSC(), lsc2);
    EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDOK_);
    // The next time it opens on the chosen system, OK enabled.
    Choose("pick ЛСК-1\nok\n");
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1);
    Choose("pick ЛСК-2\ncancel\n");
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1) << "Cancel keeps the plan's choice";
    EXPECT_EQ(script.CommandsFailed(), 0);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PanelLscHostTest, ::testing::Values(16, 23));

TEST_F(PanelLscTest, ShowPanelGivesOneForOkAndTwoForCancel) {
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "lsc", {}, 0});
    EXPECT_EQ(ShowPanel_LSC(*GetSPID()), 2) << "an empty script: Cancel, by default";
    EXPECT_TRUE(PanelScript::Instance().Entries().back().defaulted);
    std::string error;
    UserStep pick, ok;
    ASSERT_TRUE(ParsePanelStep({"pick", "ЛСК-1"}, pick, error));
    ASSERT_TRUE(ParsePanelStep({"ok"}, ok, error));
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "lsc", {pick, ok}, 0});
    EXPECT_EQ(ShowPanel_LSC(*GetSPID()), 1);
    EXPECT_FALSE(BusyFlag);
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1);
}

// Picking A, then B, then A again chooses A: a system that another replaced
// leaves the pick collection, so picking it again chooses it.
TEST_F(PanelLscTest, PickingASystemThenAnotherThenTheFirstAgainEndsWithTheFirst) {
    Choose("pick ЛСК-1\npick ЛСК-2\npick ЛСК-1\ndump\nok\n");
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1);
    EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDOK_);
    EXPECT_TRUE(std::any_of(UserOutput().begin(), UserOutput().end(), [](const std::string& s) {
        return s.find("buttons: OK enabled") != std::string::npos &&
               s.find("value BSTR \"ЛСК-1\"") != std::string::npos;
    }));
    // The same through names: a typed name replaces a pick, and the picked
    // system can be chosen again.
    Choose("pick ЛСК-2\nset \"Система координат ЧПУ\" ЛСК-1\npick ЛСК-2\nok\n");
    EXPECT_EQ(GetSPID()->GetLSC(), lsc2);
}

TEST_F(PanelLscTest, PickingTheChosenSystemAgainChoosesNone) {
    Choose("pick ЛСК-1\npick ЛСК-1\nprint \"Система координат ЧПУ\"\nok\ncancel\n");
    EXPECT_EQ(GetSPID()->GetLSC(), nullptr);
    EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDCANCEL_);
    EXPECT_TRUE(
        Said("panel lsc: \"Система координат ЧПУ\" text caption \"Система координат\" hint \"Система "
             "координат ЧПУ\" help 70001 width 20 setup 0 value BSTR \"\""));
    EXPECT_TRUE(Part3D().Picks().Objects().empty()) << "closing clears the highlights";
}

TEST_F(PanelLscTest, TypingTheExactNameChoosesItAndAnotherCaseIsRefusedWithItsQuotes) {
    Choose(
        "set \"Система координат ЧПУ\" лск-1\nprint \"Система координат ЧПУ\"\n"
        "set \"Система координат ЧПУ\" ЛСК-1\nok\n");
    const std::vector<std::string> boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), "Не обнаружена ЛСК с именем\"лск-1\"");
    EXPECT_EQ(MessageLog::Instance().Entries().front().caption, " ");
    EXPECT_TRUE(
        Said("panel lsc: \"Система координат ЧПУ\" text caption \"Система координат\" hint \"Система "
             "координат ЧПУ\" help 70001 width 20 setup 0 value BSTR \"\""));
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1);
    // Chosen by name it is selected in the document; the one it replaces is not.
    SelectionManager& selection = *Part3D().Selection();
    Choose("set \"Система координат ЧПУ\" ЛСК-2\nok\n");
    EXPECT_TRUE(selection.IsSelected(lsc2));
    EXPECT_FALSE(selection.IsSelected(lsc1));
}

TEST_F(PanelLscTest, APostProcessorWhoseDescriptionIsMissingKeepsItsNameAndShowsThePlansMessage) {
    Choose("pick ЛСК-1\nset \"Система ЧПУ (постпроцессор)\" ISO_Lathe\nok\n");
    ASSERT_NE(GetSPID()->GetPostProcessor(), nullptr);
    EXPECT_EQ(GetSPID()->GetPostProcessor()->GetName(), "ISO_Lathe");
    // Listed when the plan data was made, gone since.
    fs::remove(folder.Path() / "POSTPROCESSORS" / "ISO_Python.py3");
    MessageLog::Instance().Clear();
    Choose("set \"Система ЧПУ\" ISO_Python\nprint \"Система ЧПУ\"\nok\n");
    EXPECT_EQ(GetSPID()->sNamePostProcessor, "ISO_Python");
    EXPECT_EQ(GetSPID()->GetPostProcessor(), nullptr);
    const std::vector<std::string> texts = MessageLog::Instance().AllTexts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("Ошибка открытия файла постпроцессора:\n", 0) == 0 &&
               t.find("ISO_Python.py3") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("Не обнаружен постпроцессор \"ISO_Python\"", 0) == 0;
    }));
}

TEST_F(PanelLscTest, AnItemTheListDoesNotHaveEndsTheStepsAndFailsTheCommand) {
    Choose("pick ЛСК-1\nset \"Система ЧПУ\" NoSuchPost\nok\n");
    EXPECT_EQ(script.CommandsFailed(), 1);
    EXPECT_TRUE(Said("panel lsc, line 3: the list has no item \"NoSuchPost\""));
    EXPECT_TRUE(PanelScript::Instance().Entries().back().defaulted);
    EXPECT_EQ(GetSPID()->GetLSC(), nullptr) << "cancelled, not accepted";
}

TEST_F(PanelLscTest, AfterOkTheFilterTakesEveryObjectAndAViewOfASystemIsOne) {
    auto sketch = part->AddSketch("Эскиз");
    auto viewOfLsc2 = std::make_shared<HostViewObject>(lsc2);
    CPanel_LSC panel(GetSPID());
    EXPECT_TRUE(panel.FilterObject(viewOfLsc2)) << "through its entity";
    EXPECT_FALSE(panel.FilterObject(sketch));
    EXPECT_FALSE(panel.FilterObject(std::make_shared<HostViewObject>()));
    std::string error;
    UserStep pick, ok;
    ASSERT_TRUE(ParsePanelStep({"pick", "ЛСК-2"}, pick, error));
    ASSERT_TRUE(ParsePanelStep({"ok"}, ok, error));
    ScriptedUser::Instance().Queue(UserSession{UserSession::Kind::Panel, "lsc", {pick, ok}, 0});
    EXPECT_EQ(panel.ShowModal(), 1);
    EXPECT_EQ(GetSPID()->GetLSC(), lsc2);
    EXPECT_TRUE(panel.FilterObject(sketch)) << "a late pick cannot change the result";
    // A late selection changes nothing either.
    panel.OnSelectObject(lsc1, Variant());
    EXPECT_EQ(panel.PlanData().GetLSC(), lsc2);
}

TEST_F(PanelLscTest, TheLayoutByHostVersion) {
    for (int major : {16, 23}) {
        SCOPED_TRACE(major);
        SetHostVersion({major, 0, 0, 0});
        ScriptedUser::Instance().Reset();
        Choose("dump\ncancel\n");
        ASSERT_FALSE(UserOutput().empty());
        const bool newer = major >= 17;
        const std::string expected =
            std::string("panel [lsc] \"") + (newer ? "Выбор системы ЧПУ (постпроцессора)" : "Система координат ЧПУ") +
            "\"\n"
            "  prompt \"Укажите систему координат ЧПУ\"\n"
            "  buttons: OK disabled, Cancel enabled\n"
            "  tab 0 \"Система ЧПУ\" (library 1030) current expanded\n"
            "    0: text caption \"" +
            (newer ? "Система координат\" hint \"Система координат ЧПУ" : "Система координат ЧПУ") +
            "\" help 70001 width 20 setup 0 value BSTR \"\"\n"
            "    1: empty\n"
            "    2: drop-down caption \"" +
            (newer ? "Система ЧПУ\" hint \"Система ЧПУ (постпроцессор)" : "Система ЧПУ (постпроцессор)") +
            "\" help 70001 width 30 setup 1 items [\"ISO_Lathe\", \"ISO_Python\"] current -1\n";
        EXPECT_EQ(UserOutput().front(), expected);
        EXPECT_EQ(Shown().TabsSetupCalls(), std::vector<int>{0});
        EXPECT_EQ(Shown().SetupCalls(), (std::vector<int>{0, 1, 3}));
    }
}

}  // namespace
}  // namespace zarvento::test
