// The message log, queued answers and failure injection of the headless host.
#include "platform/core/messages.h"

#include "platform/core/host_faults.h"
#include "platform/core/host_version.h"
#include "platform/processes/module.h"
#include "platform/processes/resource_strings.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class MessagesTest : public CleanStateTest {};

TEST_F(MessagesTest, EveryCallIsRecordedWithRoleAndCaption) {
    ShowMessageBox("one");
    ShowPlainMessageBox("two", "");
    ShowHostMessage("three");
    HostTextOutput("four");
    ASSERT_EQ(Entries().size(), 4u);
    EXPECT_EQ(Entries()[0].caption, " ");
    EXPECT_EQ(Entries()[1].caption, "");
    EXPECT_EQ(Entries()[2].role, MessageRole::HostMessage);
    EXPECT_EQ(Entries()[3].role, MessageRole::TextOutput);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST_F(MessagesTest, QuestionsTakeQueuedAnswersThenTheDefault) {
    MessageLog::Instance().QueueAnswer(IDNO_);
    EXPECT_FALSE(AskQuestion("Удалить?", "Да", "Нет"));
    EXPECT_TRUE(AskQuestion("Удалить?", "Да", "Нет"));
    EXPECT_FALSE(Entries()[0].defaulted);
    EXPECT_TRUE(Entries()[1].defaulted);
    EXPECT_EQ(Entries()[1].caption, kProductTitle);
    EXPECT_EQ(Entries()[1].buttons, (std::vector<std::string>{"Да", "Нет"}));
    // A host before 17 asks its own yes/no question: no caption of ours.
    SetHostVersion({16, 0, 0, 0});
    MessageLog::Instance().QueueAnswer(IDNO_);
    EXPECT_FALSE(AskQuestion("Очистить?", "Очистить", "Оставить"));
    EXPECT_EQ(Entries()[2].caption, "");
    EXPECT_EQ(Entries()[2].buttons, (std::vector<std::string>{"Да", "Нет"}));
    MessageLog::Instance().QueueAnswer(IDCANCEL_);
    EXPECT_EQ(HostMessageBox("?", "Orbisel", MB_OKCANCEL_), IDCANCEL_);
    EXPECT_EQ(HostMessageBox("!", "Orbisel", MB_OK_), IDOK_);
}

TEST_F(MessagesTest, ArmedHostCallsFailWithTheirCode) {
    HostFaults::Arm("RefreshHostView", E_FAIL_, 1);
    RefreshHostView();
    try {
        RefreshHostView();
        FAIL() << "no error raised";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Code(), E_FAIL_);
    }
    RefreshHostView();
    EXPECT_EQ(HostViewRefreshCount(), 2);
    EXPECT_EQ(HostFaults::Calls("RefreshHostView"), 3);
}

TEST_F(MessagesTest, ResourceStringsAndModulePath) {
    EXPECT_EQ(LoadResString(1), "Zarvento");
    EXPECT_EQ(LoadResString(999999), "");
    SetModuleDirectory(std::filesystem::path("/opt/zarvento/lib"));
    std::string out;
    ASSERT_EQ(ModuleFilePath(out, "POSTPROCESSORS"), 1);
    EXPECT_EQ(out, "/opt/zarvento/lib/POSTPROCESSORS");
    EXPECT_EQ(ModuleFilePath(out, "x", 10), 0);  // would not fit: never written past the buffer
    SetModuleDirectory(std::nullopt);
    ASSERT_TRUE(ModuleDirectory().has_value());
    EXPECT_TRUE(std::filesystem::is_directory(*ModuleDirectory()));
}

}  // namespace
}  // namespace zarvento
