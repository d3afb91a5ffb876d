// The library's registration in the host's component registry, and its
// controls made by ProgID through the class factories of the loaded module.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/text_file.h"
#include "platform/dialogs/host_control.h"
#include "platform/dialogs/host_window.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_registry.h"
#include "platform/tree/tree_control.h"
#include "test_support.h"
#include "treecontrol/pelmora_app.h"
#include "treecontrol/pelmora_lib.h"

namespace pelmora::test {
namespace {

using zarvento::ComponentRegistry;
using zarvento::HostRegistry;

class RegistrationTest : public zarvento::test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        HostRegistry::Instance().Open(dir / "registry");
    }
    zarvento::test::TempDir dir;
    const std::filesystem::path module = PELMORA_MODULE;
};

TEST_F(RegistrationTest, RegistrationWritesExactlyTheProgIdsTheAliasAndTheTypeLibrary) {
    ASSERT_EQ(CPelmoraApp::RegisterServer(module), zarvento::S_OK_);
    EXPECT_EQ(
        ComponentRegistry::ProgIds(),
        (std::vector<std::string>{"Tindral.TindralCtrl.1", "Tindral.TindralDlgPropPage.1", "Tindral.TindralViewCtrl.1",
                                  "Tindral.TindralViewPropPage.1", "Tindral.TreeDlgCtrl.1"}));
    EXPECT_EQ(ComponentRegistry::ClsidFromProgId("Tindral.TreeDlgCtrl.1"), kPmTreeDlgClsid);
    EXPECT_EQ(ComponentRegistry::ClsidFromProgId("tindral.tindralctrl.1"), kPmTreeDlgClsid);
    EXPECT_EQ(ComponentRegistry::ClsidFromProgId(kPelmoraProgId), kPelmoraClsid);
    EXPECT_EQ(ComponentRegistry::ModuleOfClass(kPelmoraClsid), module);
    EXPECT_TRUE(ComponentRegistry::TypeLibRegistered(kLibId, "1.0"));
    const HostRegistry& registry = HostRegistry::Instance();
    const std::string control = std::string("HKCR\\CLSID\\") + kPmTreeDlgClsid;
    EXPECT_EQ(registry.Value(control + "\\MiscStatus")->number, 0x20191u);
    EXPECT_EQ(registry.Text(control + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(registry.Text(control + "\\TypeLib"), kLibId);
    EXPECT_EQ(registry.Text(control + "\\ToolboxBitmap32"), module.string() + ", 1");
    EXPECT_EQ(registry.Text(std::string("HKCR\\CLSID\\") + kPelmoraPropPageClsid), "Pelmora Property Page");
    // The entries are in the host's registry file.
    HostRegistry::Instance().Open(dir / "registry");
    EXPECT_EQ(ComponentRegistry::ProgIds().size(), 5u);

    ASSERT_EQ(CPelmoraApp::UnregisterServer(), zarvento::S_OK_);
    EXPECT_TRUE(ComponentRegistry::ProgIds().empty());
    EXPECT_FALSE(ComponentRegistry::TypeLibRegistered(kLibId, "1.0"));
    EXPECT_EQ(registry.Keys(), (std::vector<std::string>{"HKCR", "HKCR\\CLSID", "HKCR\\TypeLib"}));
}

TEST_F(RegistrationTest, UnregistrationLeavesWhatOthersRegistered) {
    ComponentRegistry::RegisterProgId("Other.Control.1", "{00000000-0000-0000-0000-000000000001}", "Other");
    // Someone else's control took the alias: it stays theirs.
    ASSERT_EQ(CPelmoraApp::RegisterServer(module), zarvento::S_OK_);
    ComponentRegistry::RegisterProgId(kPmTreeDlgAliasProgId, "{00000000-0000-0000-0000-000000000002}", "Theirs");
    ASSERT_EQ(CPelmoraApp::UnregisterServer(), zarvento::S_OK_);
    EXPECT_EQ(ComponentRegistry::ProgIds(), (std::vector<std::string>{"Other.Control.1", "Tindral.TreeDlgCtrl.1"}));
}

TEST_F(RegistrationTest, ARegistryThatCannotBeWrittenFailsTheRegistration) {
    // The registry's file lies in a folder that is a file.
    ASSERT_TRUE(zarvento::WriteFileAtomic(dir / "blocked", "").ok);
    HostRegistry::Instance().Open(dir / "blocked" / "registry");
    EXPECT_EQ(CPelmoraApp::RegisterServer(module), zarvento::SELFREG_E_TYPELIB_);
    EXPECT_TRUE(HostRegistry::Instance().Keys().empty());
}

TEST_F(RegistrationTest, TheClassFactoriesServeTheFourClassesOnly) {
    for (const char* clsid : {kPmTreeDlgClsid, kPelmoraClsid, kPmTreeDlgPropPageClsid, kPelmoraPropPageClsid}) {
        std::shared_ptr<zarvento::ClassFactory> factory;
        ASSERT_EQ(CPelmoraApp::GetClassObject(clsid, &factory), zarvento::S_OK_) << clsid;
        std::shared_ptr<zarvento::HostObject> object;
        ASSERT_EQ(factory->CreateInstance(object), zarvento::S_OK_) << clsid;
        EXPECT_EQ(CPelmoraApp::Instance().LiveObjects(), std::string(clsid) == kPmTreeDlgClsid ? 2 : 1) << clsid;
    }
    EXPECT_EQ(CPelmoraApp::Instance().LiveObjects(), 0);
    std::shared_ptr<zarvento::ClassFactory> none;
    EXPECT_EQ(CPelmoraApp::GetClassObject(kLibId, &none), zarvento::CLASS_E_CLASSNOTAVAILABLE_);
    EXPECT_EQ(CPelmoraApp::GetClassObject(kLibId, nullptr), zarvento::E_INVALIDARG_);
}

// The host makes the control from the registered module, as Zarvento's plan
// tree asks for it, and reaches it only through the type library.
TEST_F(RegistrationTest, AContainerCreatesTheControlByProgIdFromTheModule) {
    std::shared_ptr<zarvento::HostObject> object;
    EXPECT_EQ(ComponentRegistry::CreateInstance(kPmTreeDlgAliasProgId, object), zarvento::CO_E_CLASSSTRING_);
    ASSERT_EQ(CPelmoraApp::RegisterServer(module), zarvento::S_OK_);
    ASSERT_EQ(ComponentRegistry::CreateInstance(kPmTreeDlgAliasProgId, object), zarvento::S_OK_);
    EXPECT_EQ(ComponentRegistry::LoadedModules(), std::vector<std::filesystem::path>{module});
    auto dlg = std::dynamic_pointer_cast<IpmTreeDlg>(object);
    auto site = std::dynamic_pointer_cast<zarvento::HostControl>(object);
    ASSERT_TRUE(dlg && site);
    zarvento::HostWindow panel;
    ASSERT_TRUE(site->CreateControlWindow(&panel, {0, 0, 200, 300}));
    std::shared_ptr<IPelmora> tree;
    ASSERT_EQ(dlg->get_TreeView(&tree), zarvento::S_OK_);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->put_ReadOnly(VARIANT_TRUE_), zarvento::S_OK_);
    HTREEITEM_ID root = 0, child = 0;
    tree->AddItem(0, "План токарной обработки", 0, 0, zarvento::kTreeLast, &root);
    tree->AddItem(root, "Система ЧПУ", 0, 0, zarvento::kTreeLast, &child);
    zarvento::Variant items;
    tree->get_Items(&items);
    ASSERT_EQ(items.AsArray().size(), 2u);
    EXPECT_EQ(items.AsArray()[1].AsBStr(), "\tСистема ЧПУ");

    // The module stays while any of its objects lives.
    object.reset();
    dlg.reset();
    EXPECT_EQ(ComponentRegistry::FreeUnusedLibraries(), 0);
    site->DestroyControlWindow();
    site.reset();
    tree.reset();
    EXPECT_EQ(ComponentRegistry::FreeUnusedLibraries(), 1);
    EXPECT_TRUE(ComponentRegistry::LoadedModules().empty());
}

TEST_F(RegistrationTest, CreationTellsWhatIsMissing) {
    std::shared_ptr<zarvento::HostObject> object;
    EXPECT_EQ(ComponentRegistry::CreateInstance(kPelmoraClsid, object), zarvento::REGDB_E_CLASSNOTREG_);
    ASSERT_EQ(CPelmoraApp::RegisterServer(dir / "Missing.so"), zarvento::S_OK_);
    EXPECT_EQ(ComponentRegistry::CreateInstance(kPelmoraProgId, object), zarvento::CO_E_DLLNOTFOUND_);
    EXPECT_FALSE(object);
}

}  // namespace
}  // namespace pelmora::test
