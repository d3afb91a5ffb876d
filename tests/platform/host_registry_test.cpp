// The host registry: keys and values in its file, written whole or not at all.
#include "platform/processes/host_registry.h"

#include <gtest/gtest.h>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/text_file.h"
#include "test_support.h"

namespace zarvento {
namespace {

class HostRegistryTest : public test::CleanStateTest {
protected:
    HostRegistry& registry = HostRegistry::Instance();
    test::TempDir dir;
};

TEST_F(HostRegistryTest, ValuesGoToTheFileAndComeBack) {
    registry.Open(dir / "config" / "registry");
    registry.SetText("HKCU\\Software\\Tindral\\AddIns\\Zarvento", "Path", "C:\\Program Files\\\"Zarvento\"\\z.rdm");
    registry.SetNumber("HKCU\\Software\\Tindral\\AddIns\\Zarvento", "AutoConnect", 1);
    registry.SetText("\\HKCR\\Tindral.TindralCtrl.1\\", "", "pmTreeDlg Control");
    registry.Open(dir / "config" / "registry");
    EXPECT_EQ(registry.Text("hkcu\\software\\tindral\\addins\\zarvento", "path"),
              "C:\\Program Files\\\"Zarvento\"\\z.rdm");
    EXPECT_EQ(registry.Value("HKCU\\Software\\Tindral\\AddIns\\Zarvento", "AutoConnect"), (RegistryValue{true, "", 1}));
    EXPECT_EQ(registry.Text("HKCR\\Tindral.TindralCtrl.1"), "pmTreeDlg Control");
    // A number is no text.
    EXPECT_FALSE(registry.Text("HKCU\\Software\\Tindral\\AddIns\\Zarvento", "AutoConnect"));
    EXPECT_EQ(registry.SubKeys("HKCU\\Software"), std::vector<std::string>{"Tindral"});
    EXPECT_EQ(registry.SubKeys(""), (std::vector<std::string>{"HKCR", "HKCU"}));
    EXPECT_TRUE(registry.KeyExists("HKCU\\Software\\Tindral\\AddIns"));
    EXPECT_EQ(ReadFileBytes(dir / "config" / "registry").text, registry.FileText());
}

TEST_F(HostRegistryTest, DeletingAKeyTakesEverythingBelowItAndNothingBeside) {
    registry.SetText("HKCR\\A\\B\\C", "", "1");
    registry.SetText("HKCR\\A\\BB", "", "2");
    registry.SetText("HKCR\\AB", "", "3");
    EXPECT_TRUE(registry.DeleteKey("hkcr\\a\\b"));
    EXPECT_EQ(registry.Keys(), (std::vector<std::string>{"HKCR", "HKCR\\A", "HKCR\\A\\BB", "HKCR\\AB"}));
    EXPECT_FALSE(registry.DeleteKey("HKCR\\A\\B"));
    EXPECT_TRUE(registry.DeleteValue("HKCR\\AB", ""));
    EXPECT_FALSE(registry.Value("HKCR\\AB"));
    EXPECT_THROW(registry.SetText("HKCR\\\\X", "", "bad path"), HostError);
}

TEST_F(HostRegistryTest, AFileThatIsNoRegistryIsRefusedAndLeftAlone) {
    const std::string cases[] = {
        "[HKCR\\A]\n@ = \"no header\"\n",
        "zarvento registry 1\n@ = \"before a key\"\n",
        "zarvento registry 1\n[HKCR\\A\n",
        "zarvento registry 1\n[HKCR\\A]\n\"Name\" \"no equals\"\n",
        "zarvento registry 1\n[HKCR\\A]\n@ = \"not closed\n",
        "zarvento registry 1\n[HKCR\\A]\n@ = dword:123456789\n",
        "zarvento registry 1\n[HKCR\\A]\n@ = dword:-1\n",
        "zarvento registry 1\n[HKCR\\\\A]\n",
    };
    for (const std::string& text : cases) {
        ASSERT_TRUE(WriteFileAtomic(dir / "registry", text).ok);
        EXPECT_THROW(registry.Open(dir / "registry"), HostError) << text;
        EXPECT_TRUE(registry.File().empty()) << text;
        EXPECT_EQ(ReadFileBytes(dir / "registry").text, text);
    }
}

TEST_F(HostRegistryTest, AnUpdateThatFailsLeavesTheRegistryAndItsFileAsTheyWere) {
    registry.Open(dir / "registry");
    registry.SetText("HKCR\\Kept", "", "1");
    const std::string before = ReadFileBytes(dir / "registry").text;
    EXPECT_THROW(registry.Update([&] {
        registry.SetText("HKCR\\New", "", "2");
        registry.DeleteKey("HKCR\\Kept");
        throw HostError(E_FAIL_, "a change fails");
    }),
                 HostError);
    EXPECT_EQ(registry.Keys(), (std::vector<std::string>{"HKCR", "HKCR\\Kept"}));
    EXPECT_EQ(ReadFileBytes(dir / "registry").text, before);
    // A file that cannot be written: nothing of the update stays.
    HostFaults::Arm("WriteFileAtomic", E_FAIL_);
    EXPECT_THROW(registry.Update([&] { registry.SetText("HKCR\\New", "", "2"); }), HostError);
    EXPECT_FALSE(registry.KeyExists("HKCR\\New"));
    EXPECT_EQ(ReadFileBytes(dir / "registry").text, before);
}

}  // namespace
}  // namespace zarvento
