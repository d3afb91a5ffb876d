// LIBRARYENTRY: the locale step, the version, busy and document checks, the
// window sink, the selected role of the real plan tree, the post-command call.
#include <gtest/gtest.h>

#include "host/base_event.h"
#include "host_test_support.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/dialogs/host_events.h"
#include "platform/documents/hidden_document.h"
#include "platform/processes/loaded_module.h"

namespace zarvento::test {
namespace {

using Triple = RecordedCommands::Triple;

class LibraryEntryTest : public HostBindingTest {
protected:
    void SetUp() override {
        HostBindingTest::SetUp();
        Connect();
        MessageLog::Instance().Clear();
    }
    static int LocaleCalls() { return HostFaults::Calls("SetCommandLocale"); }
};

TEST_F(LibraryEntryTest, VersionGateMatrix) {
    struct Case {
        HostVersion version;
        bool passes;
    };
    for (const Case& c : {Case{{15, 0, 1, 0}, false}, Case{{15, 0, 2, 0}, true}, Case{{15, 9, 3, 9}, false},
                          Case{{16, 0, 0, 0}, true}, Case{{16, 3, 7, 1}, true}, Case{{14, 0, 2, 0}, false},
                          Case{{23, 0, 0, 0}, true}, Case{{24, 1, 0, 0}, true}}) {
        SCOPED_TRACE(std::to_string(c.version[0]) + "." + std::to_string(c.version[2]));
        SetHostVersion(c.version);
        MessageLog::Instance().Clear();
        EXPECT_EQ(CheckHostVersion(false), c.passes);
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(CheckHostVersion(true), c.passes);
        EXPECT_EQ(Messages(), c.passes ? std::vector<std::string>{} : std::vector<std::string>{kHostTooOldMessage});
        EXPECT_EQ(Globals().hostMajorVersion, c.version[0]);
    }
}

TEST_F(LibraryEntryTest, OlderHostIsToldOnceAtLoadAndIgnoredSilentlyAfter) {
    SetHostVersion({15, 0, 0, 0});
    DllMain(kDllProcessAttach);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].role, MessageRole::MessageBox);
    EXPECT_EQ(Entries()[0].caption, " ");
    EXPECT_EQ(Entries()[0].text, kHostTooOldMessage);
    RecordedCommands recorded;
    const int locale = LocaleCalls();
    LIBRARYENTRY(1);
    EXPECT_EQ(recorded.Take(), std::vector<Triple>{});
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_EQ(LocaleCalls(), locale + 1);
    EXPECT_EQ(HostPostCommandCount(), 0);
}

TEST_F(LibraryEntryTest, EarlyReturnsKeepTheLocaleStepAndSayWhatTheTextSays) {
    RecordedCommands recorded;
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::string> messages;
    };
    HostApplication& app = ConnectHostApplication();
    const std::vector<Case> cases = {
        {"busy", [] { BusyFlag = true; }, {}},
        {"no document", [&app] { app.SetActiveDocument(nullptr); }, {"Нет открытых документов"}},
        {"the hidden work document",
         [&app] { app.SetActiveDocument(CreateHiddenDocument()); },
         {"Нет открытых документов"}},
        {"an assembly",
         [&app] { app.SetActiveDocument(app.Documents().Add(DocumentType::Assembly)); },
         {"Документ не является деталью"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.SetActiveDocument(part);
        BusyFlag = false;
        MessageLog::Instance().Clear();
        c.arrange();
        const int locale = LocaleCalls();
        LIBRARYENTRY(1);
        EXPECT_EQ(LocaleCalls(), locale + 1);
        EXPECT_EQ(Messages(), c.messages);
        for (const MessageEntry& e : Entries()) EXPECT_EQ(e.role, MessageRole::HostMessage);
        EXPECT_EQ(recorded.Take(), std::vector<Triple>{});
        EXPECT_EQ(HostPostCommandCount(), 0);
    }
    BusyFlag = false;
}

TEST_F(LibraryEntryTest, TwoDimensionalDocumentIsNotRefusedHere) {
    RecordedCommands recorded;
    ConnectHostApplication().Documents().Add(DocumentType::Drawing2D);
    LIBRARYENTRY(21);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{-1, 24, -1}}));
    // A drawing has no 3D window to follow.
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 0);
}

TEST_F(LibraryEntryTest, CommandFollowsThePartsWindowOnceAndPostsWhereTheRowAsks) {
    RecordedCommands recorded;
    LIBRARYENTRY(1);
    LIBRARYENTRY(21);
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{-1, 0, -1}, {-1, 24, -1}}));
    EXPECT_EQ(HostPostCommandCount(), 1);
    // One window sink and one document sink, however many commands came.
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 1);
    EXPECT_EQ(HostSubscriptionCount(kDocumentFileEvents), 1);
    EXPECT_EQ(FindEvent(kDocumentFrameEvents, DocumentReference(part), -1, DocumentFrame(part, 0)), EventList().back());
}

TEST_F(LibraryEntryTest, RolesComeFromThePlanTreesSelection) {
    RecordedCommands recorded;
    PlanTree& tree = GetPlanTree();
    TreeControl& control = tree.CreateControl();
    // Without a selection, a click deselects and inserts nothing.
    LIBRARYENTRY(116);
    LIBRARYENTRY(621);
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{1, 6, -3}}));
    control.SelectItem(tree.Root());
    EXPECT_EQ(tree.GetSelectedRole(), 1000);
    LIBRARYENTRY(15);
    LIBRARYENTRY(116);
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{-1, 30, -1}, {1, 6, 998}}));
    // Only a click with nothing selected clears the selection.
    EXPECT_EQ(control.SelectedItem(), tree.Root());
}

// A program started from a copy of its folder runs on the host module it
// took at start: the library connects to that one, not to a second copy
// beside the program (nor to none when there is no file there).
TEST_F(LibraryEntryTest, TheHostIsTheModuleTheProcessRunsOn) {
    Globals().application = nullptr;
    Globals().automation = nullptr;
    SetHostExecutablePath(folder.Path() / "zarvento");  // no host module beside it
    LibInterfaceNotifyEntry();
    ASSERT_NE(Globals().application, nullptr);
    EXPECT_EQ(Globals().application, HostApplicationObject());
}

TEST_F(LibraryEntryTest, MissingApplicationIsAHostErrorReportedAtTheDoor) {
    Globals().application = nullptr;
    Globals().automation = nullptr;
    HostFaults::Arm("CreateRedozuObject", E_FAIL_);
    LibInterfaceNotifyEntry();
    EXPECT_EQ(Globals().application, nullptr);
    MessageLog::Instance().Clear();
    LIBRARYENTRY(1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("0x80004003"), std::string::npos) << Messages()[0];
}

TEST_F(LibraryEntryTest, MenuCommandOfTheScriptRunsThroughTheEntryAndItsPostedCommands) {
    // Action 75 resumes an operation left for the tool table; with none it
    // does nothing, but it arrives through the library's entry by its id.
    RecordedCommands recorded;
    EXPECT_TRUE(SendMenuCommand(1));
    PostHostCommand(75);
    PostHostCommand(777);  // never posted
    EXPECT_EQ(HostLibraries::Instance().RunPosted(), 1);
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{-1, 0, -1}, {-1, 75, -1}}));
    SetHostIdle(false);
    PostHostCommand(75);
    EXPECT_TRUE(HostLibraries::Instance().Posted().empty());
}

}  // namespace
}  // namespace zarvento::test
