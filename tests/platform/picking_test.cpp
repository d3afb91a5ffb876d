// Contract tests of the headless host's 3D side: the pick and highlight
// collections, the selection manager's update bracket, the object queries,
// the picking process and its modal run by the scripted user.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/host_faults.h"
#include "platform/core/host_view_object.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/host/host_document_3d.h"
#include "platform/host/object_queries.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

std::vector<std::string> CommandWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

class PickingTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        app = &ConnectHostApplication();
        part = app->Documents().Add(DocumentType::Part);
        a = part->AddLocalCoordinateSystem("A", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
        b = part->AddLocalCoordinateSystem("B", {5, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    }

    HostApplication* app = nullptr;
    HostDocumentPtr part;
    std::shared_ptr<LocalCoordinateSystem> a, b;
};

TEST_F(PickingTest, PickAndHighlightCollectionsHoldEachObjectOnce) {
    HostDocument3D& d3 = Procedural3D(part);
    PickCollection& picks = d3.Picks();
    picks.Add(a);
    picks.Add(a);
    picks.Add(b);
    EXPECT_EQ(picks.Objects().size(), 2u);
    EXPECT_TRUE(picks.Contains(a));
    picks.Remove(a);
    picks.Remove(a);
    EXPECT_FALSE(picks.Contains(a));
    EXPECT_EQ(ErrorCodeOf([&] { picks.Add(nullptr); }), E_POINTER_);
    d3.SecondHighlights().Add(b);
    d3.SecondHighlights().Clear();
    EXPECT_TRUE(d3.SecondHighlights().Objects().empty());
    EXPECT_EQ(d3.SecondHighlights().ClearCount(), 1);
    EXPECT_EQ(&Procedural3D(part), &d3) << "one 3D side per document";
}

TEST_F(PickingTest, ADrawingOrAClosedDocumentHasNo3DSide) {
    auto drawing = app->Documents().Add(DocumentType::Drawing2D);
    EXPECT_EQ(drawing->Document3D(), nullptr);
    EXPECT_EQ(ErrorCodeOf([&] { Procedural3D(drawing); }), E_POINTER_);
    EXPECT_EQ(ErrorCodeOf([&] { Procedural3D(nullptr); }), E_POINTER_);
    app->Documents().Close(part);
    EXPECT_EQ(ErrorCodeOf([&] { Procedural3D(part); }), E_POINTER_);
}

TEST_F(PickingTest, SelectionManagerUpdateBracketBalances) {
    SelectionManager& selection = *Procedural3D(part).Selection();
    selection.Update(1);
    selection.Select(a);
    selection.Update(2);
    EXPECT_TRUE(selection.IsSelected(a));
    EXPECT_EQ(selection.UpdateDepth(), 0);
    EXPECT_EQ(ErrorCodeOf([&] { selection.Update(2); }), E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([&] { selection.Update(3); }), E_FAIL_);
    ASSERT_EQ(selection.Calls().size(), 3u);
    EXPECT_EQ(selection.Calls()[0].action, "Update 1");
}

TEST_F(PickingTest, TypeTestEntityChainAndConversion) {
    auto sketch = part->AddSketch("Эскиз");
    auto viewOfA = std::make_shared<HostViewObject>(a);
    EXPECT_TRUE(IsObjectOfType(a, kObjectTypeCoordinateSystem));
    EXPECT_FALSE(IsObjectOfType(viewOfA, kObjectTypeCoordinateSystem));
    EXPECT_TRUE(IsObjectOfType(sketch, kObjectTypeSketch));
    EXPECT_FALSE(IsObjectOfType(nullptr, kObjectTypeSketch));
    EXPECT_EQ(PickedEntity(viewOfA), a);
    EXPECT_EQ(PickedEntity(a), a);
    EXPECT_EQ(ConvertToCoordinateSystem(PickedEntity(viewOfA)), a);
    EXPECT_EQ(ConvertToCoordinateSystem(sketch), nullptr) << "no interface is no error";
    // An entity no document holds any more, and a view of it, give nothing.
    part->RemoveEntity(b);
    EXPECT_EQ(PickedEntity(b), nullptr);
    auto viewOfGone = std::make_shared<HostViewObject>(std::make_shared<LocalCoordinateSystem>());
    EXPECT_EQ(PickedEntity(viewOfGone), nullptr);
    EXPECT_EQ(Procedural3D(part).TopPartEntities(kObjectTypeCoordinateSystem), std::vector<HostObjectPtr>{a});
}

// A process's callbacks, as a panel hands them over.
std::vector<std::string> seen;
bool OnlyA(const HostObjectPtr& o) { return o->Name() == "A"; }
bool Take(const HostObjectPtr& o, const Variant&) {
    seen.push_back(o->Name());
    return true;
}

TEST_F(PickingTest, TheRunPlaysTheQueuedStepsThroughFilterAndSelection) {
    seen.clear();
    HostDocument3D& d3 = Procedural3D(part);
    auto process = d3.CreatePickProcess(0);
    auto manager = ApplicationPropertyManager();
    manager->Setup(0);
    manager->SetScriptName("probe");
    process->SetFilter(&OnlyA);
    process->SetSelect(&Take);
    process->SetName("Укажите");
    process->AttachPropertyManager(manager);
    EXPECT_EQ(manager->Prompt(), "Укажите");
    EXPECT_FALSE(process->UserPick(a).done) << "no run, no pick";

    UserSession session{UserSession::Kind::Panel, "probe", {}, 1};
    for (const char* text : {"pick B", "pick A", "pick nothing-of-that-name", "ok"}) {
        UserStep step;
        std::string error;
        ASSERT_TRUE(ParsePanelStep(CommandWords(text), step, error)) << error;
        session.steps.push_back(step);
    }
    ScriptedUser::Instance().Queue(session);
    d3.RunProcess(0);
    EXPECT_EQ(seen, std::vector<std::string>{"A"});
    // The unknown object ends the steps; without a panel listening nothing
    // ends the process, so the host gives up on it.
    EXPECT_EQ(ScriptedUser::Instance().TakeFailures(), 2);
    EXPECT_FALSE(process->Running());
    ASSERT_FALSE(PanelScript::Instance().Entries().empty());
    EXPECT_TRUE(PanelScript::Instance().Entries().back().defaulted);
    EXPECT_EQ(ErrorCodeOf([&] { d3.CreatePickProcess(1); }), E_INVALIDARG_);
}

TEST_F(PickingTest, EndProcessEndsTheInnermostRunningOne) {
    EndHostProcess(1, 0);  // none runs: nothing
    EXPECT_EQ(RunningProcess(), nullptr);
    EXPECT_EQ(ErrorCodeOf([] { EndHostProcess(0, 0); }), E_INVALIDARG_);
    HostFaults::Arm("Document3D.RunProcess", E_FAIL_);
    auto process = Procedural3D(part).CreatePickProcess(0);
    EXPECT_EQ(ErrorCodeOf([&] { Procedural3D(part).RunProcess(0); }), E_FAIL_);
    EXPECT_FALSE(process->Running());
}

TEST(PanelStepTest, StepsThatCannotBeReadSayWhy) {
    struct Case {
        const char* text;
        bool panel;
        const char* error;
    };
    const Case cases[] = {
        {"set x", true, "write set <control> <value>"},
        {"click OK", true, "the button id 'OK' is not a whole number"},
        {"select list 1 2 3", true, "write select <list> <row>|none or select <grid> <row> <column>"},
        {"frobnicate", true, "a panel has no step 'frobnicate'"},
        {"wait", true, "write wait <milliseconds>"},
        {"wait -5", true, "time does not run back"},
        {"wait 100", false, "a dialog has no step 'wait'"},
        {"double-click 100", false, "write double-click <list id> <row>"},
        {"check 100 1 maybe", false, "a row is checked on or off, not 'maybe'"},
        {"pick", false, "a dialog has no step 'pick'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        UserStep step;
        std::string error;
        const bool read = c.panel ? ParsePanelStep(CommandWords(c.text), step, error)
                                  : ParseDialogStep(CommandWords(c.text), step, error);
        EXPECT_FALSE(read);
        EXPECT_EQ(error, c.error);
    }
    UserStep step;
    std::string error;
    ASSERT_TRUE(ParsePanelStep({"press", "Сохранить в файл@2"}, step, error));
    EXPECT_EQ(step.target, "Сохранить в файл");
    EXPECT_EQ(step.occurrence, 2);
    ASSERT_TRUE(ParsePanelStep({"set", "@7", "ISO"}, step, error));
    EXPECT_EQ(step.target, "");
    EXPECT_EQ(step.occurrence, 7);
    ASSERT_TRUE(ParsePanelStep({"select", "list", "none"}, step, error));
    EXPECT_EQ(step.row, -1);
}

}  // namespace
}  // namespace zarvento::test
