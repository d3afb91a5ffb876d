// The installed post-processors: scan, names, look-up and owning copies.
#include <filesystem>
#include <fstream>

#include "platform/processes/module.h"
#include "post/post_processors_list.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class PostProcessorsListTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        fs::create_directories(dir.Path() / "POSTPROCESSORS");
        SetModuleDirectory(dir.Path());
    }
    void TearDown() override {
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }
    void Write(const std::string& name, const std::string& text = "") {
        std::ofstream(dir.Path() / "POSTPROCESSORS" / name) << text;
    }
    test::TempDir dir;
};

TEST_F(PostProcessorsListTest, ScanTakesDescriptionFilesByName) {
    Write("b.py3");
    Write("a.txt");
    Write("x.y.py3");
    CPostProcessorsList list;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetName(0), "b");
    EXPECT_EQ(list.GetName(1), "x.y");
    EXPECT_EQ(list.GetName(2), "");
    EXPECT_EQ(list.GetName(-1), "");
    EXPECT_EQ(list.FindPostProcessor("x.y"), list.GetAt(1));
    EXPECT_EQ(list.FindPostProcessor("X.Y"), nullptr);
    EXPECT_EQ(list.FindPostProcessor("a"), nullptr);
}

TEST_F(PostProcessorsListTest, ScanTwiceListsEachDescriptionOnce) {
    Write("a.py3");
    Write("b.txt");
    Write("x.y.py3");
    Write("UPPER.PY3");
    fs::create_directories(dir.Path() / "POSTPROCESSORS" / "sub");
    std::ofstream(dir.Path() / "POSTPROCESSORS" / "sub" / "inner.py3") << "";
    CPostProcessorsList list;
    list.ScanFolder();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetName(0), "UPPER");
    EXPECT_EQ(list.GetName(1), "a");
    EXPECT_EQ(list.GetName(2), "x.y");
    EXPECT_EQ(list.GetAt(1)->GetPath(), (dir.Path() / "POSTPROCESSORS" / "a.py3").string());
}

TEST_F(PostProcessorsListTest, ShippedFolderListsItsPostProcessorsButNotTheSample) {
    SetModuleDirectory(fs::path(test::FixturePath("../..")));
    CPostProcessorsList list;
    ASSERT_NE(list.FindPostProcessor("ISO_Lathe"), nullptr);
    EXPECT_EQ(list.FindPostProcessor("sample"), nullptr);
    EXPECT_TRUE(list.FindPostProcessor("ISO_Lathe")->ReadPostProcessorDescription());
}

TEST_F(PostProcessorsListTest, NoFolderGivesAnEmptyList) {
    SetModuleDirectory(dir.Path() / "elsewhere");
    CPostProcessorsList list;
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(PostProcessorsListTest, CopiesOwnTheirEntries) {
    Write("Fanuc.py3", "FILE_EXTENSION nc\r\nFORMAT_T T%02d\r\n");
    CPostProcessorsList list;
    CPostProcessorsList copy(list);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_NE(copy.GetAt(0), list.GetAt(0));
    ASSERT_TRUE(copy.GetAt(0)->ReadPostProcessorDescription());
    EXPECT_EQ(copy.GetAt(0)->GetFileExtension(), "nc");
    copy = copy;
    EXPECT_EQ(copy.Count(), 1);
    Write("Sinumerik.py3");
    list.ScanFolder();
    copy = list;
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetAt(0)->GetFileExtension(), "");
}

}  // namespace
}  // namespace zarvento
