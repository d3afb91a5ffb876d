// The headless host's services for a library module: event subscriptions,
// the library list with its posted commands, the folders by kind, the host
// module's file name, and the dialog model.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/host_faults.h"
#include "platform/core/host_folder.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/dialog_model.h"
#include "platform/dialogs/host_events.h"
#include "platform/dialogs/panel_script.h"
#include "platform/host/redozu_object.h"
#include "platform/processes/host_libraries.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

class HostServicesTest : public CleanStateTest {};

// A sink that logs its events and may end its own or another's subscription.
class LoggingSink : public HostNotifySink {
public:
    LoggingSink(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    bool IsEventHandled(std::int32_t event) override { return event <= 5; }
    bool OnHostEvent(std::int32_t event, const HostEventArgs&) override {
        log_.push_back(name_ + std::to_string(event));
        if (unsubscribeOnEvent) UnsubscribeHostEvents(unsubscribeOnEvent);
        return answer;
    }
    std::int32_t unsubscribeOnEvent = 0;
    bool answer = true;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST_F(HostServicesTest, EventsReachTheirSinksInSubscriptionOrder) {
    std::vector<std::string> log;
    LoggingSink a("a", log), b("b", log), other("other", log);
    auto doc = std::make_shared<HostDocument>(DocumentType::Part);
    const std::uint32_t ref = DocumentReference(doc);
    EXPECT_EQ(DocumentReference(doc), ref);
    EXPECT_EQ(DocumentOfReference(ref), doc);
    EXPECT_EQ(DocumentReference(nullptr), 0u);
    const std::int32_t ca = SubscribeHostEvents({ref, 0, kDocumentFileEvents, nullptr, nullptr}, &a);
    const std::int32_t cb = SubscribeHostEvents({ref, 0, kDocumentFileEvents, nullptr, nullptr}, &b);
    SubscribeHostEvents({0, 0, kApplicationEvents, nullptr, nullptr}, &other);
    ASSERT_NE(ca, 0);
    ASSERT_NE(cb, ca);
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, ref, 2));
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, ref, 9));  // handled by no one
    EXPECT_EQ(log, (std::vector<std::string>{"a2", "b2"}));
    // A sink that ends another's subscription in its handler: that one is skipped.
    log.clear();
    a.unsubscribeOnEvent = cb;
    a.answer = false;
    EXPECT_FALSE(FireHostEvent(kDocumentFileEvents, ref, 3));
    EXPECT_EQ(log, std::vector<std::string>{"a3"});
    EXPECT_EQ(HostSubscriptionCount(kDocumentFileEvents), 1);
    // Refusals: by the host's switch and by an injected failure.
    RefuseHostSubscriptions(true);
    EXPECT_EQ(SubscribeHostEvents({ref, 0, kDocumentFileEvents, nullptr, nullptr}, &b), 0);
    RefuseHostSubscriptions(false);
    HostFaults::Arm("SubscribeHostEvents", E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([&] { SubscribeHostEvents({ref, 0, kDocumentFileEvents, nullptr, nullptr}, &b); }), E_FAIL_);
    // One window per 3D document, none for a drawing.
    EXPECT_EQ(DocumentFrame(doc, 0), DocumentFrame(doc, 0));
    EXPECT_EQ(ErrorCodeOf([&] { DocumentFrame(doc, 1); }), E_INVALIDARG_);
    EXPECT_EQ(ErrorCodeOf([] { DocumentFrame(std::make_shared<HostDocument>(DocumentType::Drawing2D), 0); }),
              E_NOINTERFACE_);
}

std::vector<unsigned int> entered;
void RecordingEntry(unsigned int command) {
    entered.push_back(command);
    // A command that posts itself again, as a panel left once more would.
    if (command == 9) PostHostCommand(9);
}

TEST_F(HostServicesTest, PostedCommandsRunThroughTheLibrarysEntryAfterTheCommand) {
    entered.clear();
    // Not loaded: nothing is posted and the menu has no one to send to.
    PostHostCommand(75);
    EXPECT_TRUE(HostLibraries::Instance().Posted().empty());
    EXPECT_FALSE(SendMenuCommand(1));
    HostLibraries::Instance().Add(HostLibraryEntry{LibraryTitle(), "text", &RecordingEntry});
    EXPECT_EQ(HostLibraries::Instance().Item(LibraryTitle())->text, "text");
    int after = 0;
    PostHostCommand(75);
    EXPECT_TRUE(SendMenuCommand(1, [&after] { ++after; }));
    EXPECT_EQ(entered, (std::vector<unsigned int>{1, 75}));
    EXPECT_EQ(after, 2);
    // A command that keeps posting itself runs once a round, and the rounds end.
    entered.clear();
    PostHostCommand(9);
    EXPECT_EQ(HostLibraries::Instance().RunPosted(), HostLibraries::kMaxPostedRounds);
    EXPECT_EQ(entered.size(), static_cast<std::size_t>(HostLibraries::kMaxPostedRounds));
    // Unloading takes the library's waiting commands with it.
    HostLibraries::Instance().Remove(LibraryTitle());
    EXPECT_TRUE(HostLibraries::Instance().Posted().empty());
}

TEST_F(HostServicesTest, FoldersByKindAndTheHostModulesFile) {
    TempDir dir;
    SetHostFolder(dir.Path());
    EXPECT_EQ(HostFolderOfKind(2), dir.Path() / "Temp");
    EXPECT_EQ(HostFolderOfKind(3), dir.Path() / "Settings");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Settings"));
    SetHostFolderOfKind(3, dir.Path() / "elsewhere");
    EXPECT_EQ(HostFolderOfKind(3), dir.Path() / "elsewhere");
    EXPECT_EQ(ErrorCodeOf([] { HostFolderOfKind(4); }), E_INVALIDARG_);
    EXPECT_EQ(SharedLibraryFileName("rdzAPI5.dll"), "librdzAPI5.so");
    EXPECT_EQ(SharedLibraryFileName("RDZAPI7.DLL"), "libRDZAPI7.so");
    EXPECT_EQ(SharedLibraryFileName("tool"), "libtool.so");
    ASSERT_NE(CreateRedozuObject(), nullptr);
    EXPECT_EQ(&CreateRedozuObject()->Application(), &ConnectHostApplication());
    HostFaults::Arm("CreateRedozuObject", E_FAIL_);
    EXPECT_EQ(CreateRedozuObject(), nullptr);
}

// An environment variable set (or removed) for a scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Whether the folder is this user's and no one else may enter it.
::testing::AssertionResult IsPrivate(const std::filesystem::path& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return ::testing::AssertionFailure() << folder << " is not there";
    if (!S_ISDIR(st.st_mode)) return ::testing::AssertionFailure() << folder << " is no folder";
    if (st.st_uid != ::geteuid()) return ::testing::AssertionFailure() << folder << " is another user's";
    if ((st.st_mode & 07777) != 0700)
        return ::testing::AssertionFailure() << folder << " has mode " << std::oct << (st.st_mode & 07777);
    return ::testing::AssertionSuccess();
}

// Another user who makes the shared name a file, or a folder of their own,
// neither stops the host nor has the library's scripts written where they
// can reach them: with no folder set, the host's folder is the user's alone.
TEST_F(HostServicesTest, TheDefaultHostFolderIsTheUsersAlone) {
    namespace fs = std::filesystem;
    TempDir scratch;
    const ScopedVariable temp("TMPDIR", scratch.Path().string());
    const ScopedVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    std::ofstream(scratch / "zarvento-host") << "someone else's";
    fs::create_directory(scratch / "zarvento-host-taken");
    const fs::path fresh = HostFolder();
    EXPECT_EQ(fresh.parent_path(), scratch.Path());
    EXPECT_NE(fresh.filename(), "zarvento-host");
    EXPECT_NE(fresh.filename(), "zarvento-host-taken");
    EXPECT_TRUE(IsPrivate(fresh));
    EXPECT_EQ(HostFolder(), fresh) << "one folder for the process";
    EXPECT_EQ(HostFolderOfKind(2), fresh);
    std::ofstream(fresh / "input.tmp") << "x";
    // Its state reset (a session's end), the process leaves nothing behind.
    ResetProcessState();
    EXPECT_FALSE(fs::exists(fresh));
    const ScopedVariable noConfig("XDG_CONFIG_HOME", std::nullopt);
    const ScopedVariable noHome("HOME", std::nullopt);
    EXPECT_TRUE(IsPrivate(HostFolderOfKind(3).parent_path())) << "settings without a home go in the private folder";
    ResetProcessState();

    // The user's runtime folder, which only the user may enter, holds "zarvento".
    const fs::path runtime = scratch / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    {
        const ScopedVariable run("XDG_RUNTIME_DIR", runtime.string());
        EXPECT_EQ(HostFolder(), runtime / "zarvento");
        EXPECT_TRUE(IsPrivate(runtime / "zarvento"));
        // One of ours that others may enter is narrowed.
        fs::permissions(runtime / "zarvento", fs::perms::all);
        EXPECT_EQ(HostFolder(), runtime / "zarvento");
        EXPECT_TRUE(IsPrivate(runtime / "zarvento"));
        // A link in its place, or a runtime folder others may enter, is passed by.
        fs::remove(runtime / "zarvento");
        fs::create_directory(scratch / "elsewhere");
        fs::create_directory_symlink(scratch / "elsewhere", runtime / "zarvento");
        EXPECT_NE(HostFolder().parent_path(), runtime);
        EXPECT_TRUE(IsPrivate(HostFolder()));
        ResetProcessState();
        fs::remove(runtime / "zarvento");
        fs::permissions(runtime, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
        EXPECT_EQ(HostFolder().parent_path(), scratch.Path());
        ResetProcessState();
        fs::permissions(runtime, fs::perms::owner_all);
        // A folder of another user under our name (only root can make one here).
        if (::geteuid() == 0) {
            fs::create_directory(runtime / "zarvento");
            ASSERT_EQ(::chown((runtime / "zarvento").c_str(), 65534, 65534), 0);
            EXPECT_NE(HostFolder().parent_path(), runtime);
            ResetProcessState();
        }
    }
    // An armed failure is raised as every host call's.
    HostFaults::Arm("HostFolder", E_FAIL_);
    EXPECT_EQ(ErrorCodeOf([] { HostFolder(); }), E_FAIL_);
}

class TwoEditsDialog : public DialogModel {
public:
    TwoEditsDialog() : DialogModel(7, "Проба", "probe") {
        AddControl(10, ControlKind::Edit, "Число", "number");
        AddControl(11, ControlKind::Edit, "Имя", "name").maxChars = 3;
        AddControl(12, ControlKind::DropDownList, "Режим", "mode");
    }
    int oks = 0;

protected:
    void OnInitDialog() override { SetItems(12, {"первый", "второй"}); }
    // OK is refused until the number is 1.
    void OnButton(int id) override {
        if (id == IDOK_) {
            ++oks;
            if (Text(10) == "1") EndDialog(IDOK_);
            return;
        }
        DialogModel::OnButton(id);
    }
};

TEST_F(HostServicesTest, DialogModelTakesAnswersUntilAButtonEndsIt) {
    TwoEditsDialog dialog;
    PanelScript::Instance().Queue("probe", PanelAnswer{IDOK_, {{"number", "2"}, {"name", "Абвгд"}, {"mode", "1"}}});
    PanelScript::Instance().Queue("probe", PanelAnswer{IDOK_, {{"10", "1"}}});
    EXPECT_EQ(dialog.DoModal(), IDOK_);
    EXPECT_EQ(dialog.oks, 2);
    // Cut by characters, not bytes; the entry chosen by number or by text.
    EXPECT_EQ(dialog.Find(11)->text, "Абв");
    EXPECT_EQ(dialog.Find(12)->selected, 1);
    EXPECT_EQ(dialog.Dump(), "10 Число: 1\n11 Имя: Абв\n12 Режим: второй\n");
    // An entry the list has not is refused with a message; no answer is a cancel.
    PanelScript::Instance().Queue("probe", PanelAnswer{IDOK_, {{"mode", "третий"}, {"number", "2"}}});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL_);
    EXPECT_EQ(dialog.Find(12)->selected, -1);  // refilled when it opened
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox).size(), 1u);
    ASSERT_FALSE(PanelScript::Instance().Entries().empty());
    EXPECT_TRUE(PanelScript::Instance().Entries().back().defaulted);
}

}  // namespace
}  // namespace zarvento::test
