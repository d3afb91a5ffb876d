// The library's small exports, the host's first notification, help,
// registration, detach, and the module loaded as the program loads it.
#include <gtest/gtest.h>

#include "host/base_event.h"
#include "host_test_support.h"
#include "panels/base_panel.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/dialogs/host_events.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/help_calls.h"
#include "platform/processes/host_registry.h"
#include "platform/processes/library_module.h"
#include "platform/processes/module.h"

namespace zarvento::test {
namespace {

class ExportsTest : public HostBindingTest {};

TEST_F(ExportsTest, SmallExportsAnswerAsTheHostExpects) {
    EXPECT_EQ(LIBRARYID(), 100u);
    EXPECT_STREQ(LIBRARYNAMEW(), "Zarvento V23");
    EXPECT_EQ(LIBRARYHELPFILEW(), nullptr);
    EXPECT_EQ(LibIsOnApplication7(), 1);
    EXPECT_EQ(LibToolBarId(1, 0), 6001);
    EXPECT_EQ(LibToolBarId(7, 0), 6001);
    EXPECT_EQ(LibToolBarId(0, 0), -1);
    EXPECT_EQ(LibToolBarId(1, 1), -1);
    const std::int32_t begins[] = {1000, 2000, 3000, 4000, 0};
    for (std::int32_t kind = 0; kind <= 4; ++kind) EXPECT_EQ(LibraryBmpBeginID(kind), begins[kind]) << kind;
    EXPECT_EQ(LibraryBmpBeginID(-1), 0);
}

TEST_F(ExportsTest, HelpFileByHostVersionAndInterfaceLanguage) {
    struct Case {
        int major;
        const char* language;
        const char* file;
    };
    for (const Case& c :
         {Case{16, "en-US", "Zarvento.chm"}, Case{17, "en-US", "Zarvento.chm"}, Case{17, "tr-TR", "Zarvento.chm"},
          Case{18, "en-US", "Zarvento_en-US.chm"}, Case{23, "tr-TR", "Zarvento_tr-TR.chm"},
          Case{23, "ru-RU", "Zarvento.chm"}, Case{23, "de-DE", "Zarvento.chm"}})
        EXPECT_EQ(HelpFileName(c.major, c.language), c.file) << c.major << " " << c.language;
    // The call itself: the library's folder, command 1, the topic.
    SetHostInterfaceLanguage("en-US");
    CheckHostVersion(false);
    OpenHelp(71001);
    ASSERT_EQ(HostHelpCalls().size(), 1u);
    EXPECT_EQ(HostHelpCalls()[0].file, (LibraryModuleFile().parent_path() / "Zarvento_en-US.chm").string());
    EXPECT_EQ(HostHelpCalls()[0].command, 1);
    EXPECT_EQ(HostHelpCalls()[0].topic, 71001);
}

TEST_F(ExportsTest, RegistrationStoresTheWholePathAndConnectsAtStart) {
    HostRegistry& registry = HostRegistry::Instance();
    registry.Open(folder / "registry");
    EXPECT_EQ(DllRegisterServer(), 0u);
    EXPECT_EQ(registry.Text(kAddInKey, "Path"), LibraryModuleFile().string());
    EXPECT_EQ(LibraryModuleFile(), std::filesystem::path(ZARVENTO_MODULE_FILE));
    EXPECT_EQ(registry.Value(kAddInKey, "AutoConnect"), (RegistryValue{true, "", 1}));
    // Read back from the file as a host starting afresh would.
    registry.Close();
    registry.Open(folder / "registry");
    EXPECT_EQ(registry.Text(kAddInKey, "Path"), LibraryModuleFile().string());
    EXPECT_EQ(DllUnregisterServer(), 0u);
    EXPECT_FALSE(registry.KeyExists(kAddInKey));
    // Nothing to delete, and a registry that cannot be written.
    EXPECT_EQ(DllUnregisterServer(), 0x8000FFFFu);
    HostFaults::Arm("WriteFileAtomic", E_FAIL_);
    EXPECT_EQ(DllRegisterServer(), 0x8000FFFFu);
    EXPECT_FALSE(registry.KeyExists(kAddInKey));
    registry.Close();
}

TEST_F(ExportsTest, FirstNotificationConnectsLoadsSettingsAndKeepsTheEntryText) {
    const std::string python = "/opt/python/bin/python3";
    SettingsRecord saved;
    saved.SetDefaults();
    saved.pythonPath = python;
    ASSERT_TRUE(saved.Save(SettingsFilePath()));
    EXPECT_EQ(LibInterfaceNotifyEntry(), 0);
    EXPECT_EQ(Globals().application, &ConnectHostApplication());
    EXPECT_NE(Globals().automation, nullptr);
    EXPECT_EQ(SettingsRecord::Global().pythonPath, python);
    EXPECT_EQ(HostSubscriptionCount(kApplicationEvents), 1);
    EXPECT_EQ(LibraryEntryText(), "entry text");
    // A second notification connects nothing twice.
    EXPECT_EQ(LibInterfaceNotifyEntry(), 0);
    EXPECT_EQ(HostSubscriptionCount(kApplicationEvents), 1);
    // Below host 17 the library list is not asked.
    ResetProcessState();
    SetHostFolder(folder.Path());
    SetHostExecutablePath(kProgramDir / "zarvento");
    SetHostVersion({16, 0, 0, 0});
    EXPECT_EQ(LibInterfaceNotifyEntry(), 0);
    EXPECT_EQ(LibraryEntryText(), "");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ExportsTest, DetachWithNothingCreatedAndWithEverything) {
    DetachLibrary();
    EXPECT_TRUE(Messages().empty());
    // Everything the library makes in a session goes, in its order.
    Connect();
    LIBRARYENTRY(21);
    CreateHiddenDocument();
    ASSERT_NE(ExistingPLAN(), nullptr);
    ASSERT_NE(ExistingPlanTree(), nullptr);
    EXPECT_GT(HostSubscriptionCount(), 0);
    DetachLibrary();
    EXPECT_EQ(ExistingPLAN(), nullptr);
    EXPECT_EQ(ExistingSPID(), nullptr);
    EXPECT_EQ(ExistingPlanTree(), nullptr);
    EXPECT_EQ(HostSubscriptionCount(), 0);
    EXPECT_TRUE(EventList().empty());
    EXPECT_EQ(HiddenDocument(), nullptr);
    EXPECT_EQ(Globals().application, nullptr);
    EXPECT_FALSE(HostMainWindowAttached());
    // The part the user had open stays.
    EXPECT_FALSE(part->Closed());
}

TEST_F(ExportsTest, SynchronExportBuildsTheTreeAndSynchronises) {
    Connect();
    TreeControl* control = SYNCHRON();
    ASSERT_NE(ExistingPlanTree(), nullptr);
    EXPECT_EQ(control, ExistingPlanTree()->Control());
    EXPECT_EQ(CreatePlanSketch("План"), 1);
}

TEST_F(ExportsTest, ProgramLoadsTheModuleByItsFileAndTheLibraryListKnowsIt) {
    std::string error;
    auto module = LibraryModule::Load(ZARVENTO_MODULE_FILE, error);
    ASSERT_TRUE(module) << error;
    EXPECT_EQ(module->LibraryId(), 100u);
    EXPECT_EQ(module->Title(), "Zarvento V23");
    const HostLibraryEntry* entry = HostLibraries::Instance().Item("Zarvento V23");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text, std::filesystem::path(ZARVENTO_MODULE_FILE).string());
    // The notification ran: the host is connected through its module.
    EXPECT_NE(Globals().automation, nullptr);
    module.reset();
    EXPECT_EQ(HostLibraries::Instance().Item("Zarvento V23"), nullptr);
}

TEST_F(ExportsTest, MissingOrForeignModuleIsRefusedWithAClearMessage) {
    std::string error;
    EXPECT_FALSE(LibraryModule::Load(folder / "libzarvento.so", error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
    // The host module is a shared library but no library of the host.
    EXPECT_FALSE(LibraryModule::Load(kProgramDir / "librdzAPI5.so", error));
    EXPECT_NE(error.find("is not a library of this host: it does not export LIBRARYID"), std::string::npos) << error;
    WriteFileAtomic(folder / "text.so", "not a library");
    EXPECT_FALSE(LibraryModule::Load(folder / "text.so", error));
    EXPECT_NE(error.find("cannot load the library"), std::string::npos) << error;
}

}  // namespace
}  // namespace zarvento::test
