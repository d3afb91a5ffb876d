// Resource modules: the description of toolbars and strings, and loading by
// file with a count of loads.
#include "platform/processes/resource_module.h"

#include <gtest/gtest.h>

#include "platform/core/text_file.h"
#include "test_support.h"

namespace zarvento {
namespace {

using ResourceModuleTest = test::CleanStateTest;

TEST_F(ResourceModuleTest, ADescriptionGivesToolbarsByNumberAndByNameAndStrings) {
    ResourceModule module;
    std::string error;
    ASSERT_TRUE(
        module.Parse("# comment\n"
                     "toolbar 7 bitmap \"a b.bmp\" size 24 22   # trailing comment\n"
                     "  button 3501\n  separator\n  button 3502\nend\n"
                     "toolbar \"12\"\n  button 1\nend\n"
                     "string 3501 \"Пересчитать \\\"всё\\\" # не комментарий\"\n",
                     error))
        << error;
    const ToolBarResource* numbered = module.FindToolBar(7);
    ASSERT_NE(numbered, nullptr);
    EXPECT_EQ(numbered->bitmap, "a b.bmp");
    EXPECT_EQ(numbered->imageWidth, 24);
    EXPECT_EQ(numbered->buttons, (std::vector<int>{3501, 0, 3502}));
    EXPECT_EQ(module.FindToolBar("#7"), numbered);
    EXPECT_EQ(module.FindToolBar("7"), nullptr);
    // A quoted number is a name.
    EXPECT_NE(module.FindToolBar("12"), nullptr);
    EXPECT_EQ(module.FindToolBar(12), nullptr);
    EXPECT_EQ(module.String(3501), "Пересчитать \"всё\" # не комментарий");
    EXPECT_FALSE(module.String(3502));
}

TEST_F(ResourceModuleTest, AMalformedDescriptionNamesItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"button 1\n", "line 1: \"button\" outside a toolbar"},
        {"toolbar 1\nbutton 1\n", "line 3: the toolbar has no \"end\""},
        {"toolbar 1\ntoolbar 2\n", "line 2: a toolbar inside a toolbar (\"end\" missing)"},
        {"toolbar 70000\nend\n", "line 1: toolbar id \"70000\" is not a number 1..65535"},
        {"toolbar 1 size 0 15\nend\n", "line 1: the image size is not two numbers 1..256"},
        {"toolbar 1 colour red\nend\n", "line 1: \"colour\" is not a toolbar setting (bitmap \"file\", size W H)"},
        {"toolbar 1\nbutton x\nend\n", "line 2: a button takes one command id 1..65535"},
        {"toolbar 1\nend\ntoolbar 1\nend\n", "line 3: toolbar \"1\" is given twice"},
        {"string 5 \"a\"\nstring 5 \"b\"\n", "line 2: string 5 is given twice"},
        {"string 5 \"open\n", "line 1: a quoted text is not closed"},
        {"bitmap 5\n", "line 1: \"bitmap\" is not toolbar, button, separator, end or string"},
    };
    for (const Case& c : cases) {
        ResourceModule module;
        std::string error;
        EXPECT_FALSE(module.Parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST_F(ResourceModuleTest, LoadsOfOneFileShareAHandleUntilTheLastFree) {
    test::TempDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / "bar.resources", "toolbar 1\nbutton 2\nend\n").ok);
    const ModuleHandle first = ResourceModule::Load(dir / "bar.resources");
    ASSERT_NE(first, 0);
    EXPECT_EQ(ResourceModule::Load(dir / "." / "bar.resources"), first);
    EXPECT_EQ(ResourceModule::LoadCount(first), 2);
    EXPECT_TRUE(ResourceModule::Free(first));
    EXPECT_NE(ResourceModule::FromHandle(first), nullptr);
    EXPECT_TRUE(ResourceModule::Free(first));
    EXPECT_EQ(ResourceModule::FromHandle(first), nullptr);
    EXPECT_FALSE(ResourceModule::Free(first));
    // A freed module is loaded anew under a new handle.
    const ModuleHandle again = ResourceModule::Load(dir / "bar.resources");
    EXPECT_NE(again, first);
    std::string error;
    EXPECT_EQ(ResourceModule::Load(dir / "missing.resources", &error), 0);
    EXPECT_NE(error.find("missing.resources"), std::string::npos);
    ASSERT_TRUE(WriteFileAtomic(dir / "bad.resources", "end\n").ok);
    EXPECT_EQ(ResourceModule::Load(dir / "bad.resources", &error), 0);
    EXPECT_NE(error.find("line 1"), std::string::npos);
}

}  // namespace
}  // namespace zarvento
