// The tree's text model: files, Items, and the methods before the window.
#include <gtest/gtest.h>

#include "host_fault_sweep.h"
#include "pelmora_fixture.h"
#include "platform/core/automation_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/text_file.h"

namespace pelmora::test {
namespace {

using zarvento::Variant;
using zarvento::VarType;

using TextModelTest = PelmoraTest;

Variant Strings(const std::vector<std::string>& lines, std::int32_t lowerBound = 0) {
    std::vector<Variant> items;
    for (const std::string& line : lines) items.push_back(Variant::BStr(line));
    return Variant::Array(std::move(items), VarType::BStr, lowerBound);
}

std::string FileBytes(const std::filesystem::path& path) { return zarvento::ReadFileBytes(path).text; }

TEST_F(TextModelTest, ATreeSavesAsTabbedCrLfLinesAndLoadsBackToTheSameShape) {
    const HTREEITEM_ID a = Add(0, "A");
    const HTREEITEM_ID b = Add(a, "B");
    Add(b, "C");
    Add(0, "D");
    zarvento::test::TempDir dir;
    VARIANT_BOOL ok = 0;
    ASSERT_EQ(control->SaveToFile((dir / "tree.txt").string(), &ok), zarvento::S_OK_);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(FileBytes(dir / "tree.txt"), "A\r\n\tB\r\n\t\tC\r\nD\r\n");

    control->put_Items(Variant());
    ASSERT_EQ(Tree().Count(), 0u);
    ASSERT_EQ(control->LoadFromFile((dir / "tree.txt").string(), &ok), zarvento::S_OK_);
    EXPECT_EQ(ok, 1);
    // The same shape: A over B over C, then D at the top.
    const std::vector<zarvento::TreeItem> top = Tree().Children(0);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(Tree().ItemText(top[1]), "D");
    const std::vector<zarvento::TreeItem> underA = Tree().Children(top[0]);
    ASSERT_EQ(underA.size(), 1u);
    ASSERT_EQ(Tree().Children(underA[0]).size(), 1u);
    EXPECT_EQ(Tree().ItemText(Tree().Children(underA[0])[0]), "C");

    Variant items;
    ASSERT_EQ(control->get_Items(&items), zarvento::S_OK_);
    EXPECT_EQ(items, Strings({"A", "\tB", "\t\tC", "D"}));
    EXPECT_EQ(items.ArrayLowerBound(), 0);
}

TEST_F(TextModelTest, LinesBuildTheTreeByTheirTabs) {
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::string> collected;  // the tree's lines afterwards
    };
    const Case cases[] = {
        // A jump of two levels with no item one level up goes to the top.
        {{"A", "\t\tX"}, {"A", "X"}},
        // ... and otherwise under the latest item one level up, anywhere before.
        {{"A", "\tB", "C", "\t\tX"}, {"A", "\tB", "\t\tX", "C"}},
        // Lines of TABs alone, and empty lines, make no item.
        {{"A", "\t\t", "", "\tB"}, {"A", "\tB"}},
        {{"\t\t\t"}, {}},
        // A label keeps its blanks and inner TABs; with no item above, it goes to the top.
        {{"\t A\tB "}, {" A\tB "}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(control->put_Items(Strings(c.lines)), zarvento::S_OK_);
        EXPECT_EQ(Lines(), c.collected) << c.lines.size() << " lines, first \"" << c.lines[0] << "\"";
    }
}

TEST_F(TextModelTest, ItemsTakeAStringOrOneDimensionOfStringsAndEmptyTheTreeOtherwise) {
    struct Case {
        const char* what;
        Variant value;
        std::vector<std::string> collected;
    };
    const Case cases[] = {
        {"one string", Variant::BStr("Один"), {"Один"}},
        {"a lower bound of 5", Strings({"A", "\tB"}, 5), {"A", "\tB"}},
        {"a negative lower bound", Strings({"X"}, -3), {"X"}},
        {"an empty array", Strings({}), {}},
        {"an integer", Variant::I4(7), {}},
        {"an array of variants", Variant::Array({Variant::BStr("A")}), {}},
        {"two dimensions", Variant::Array({Variant::BStr("A"), Variant::BStr("B")}, VarType::BStr, 0, 2), {}},
        {"a null array", Variant::Array({}, VarType::BStr, 0, 0), {}},
        {"empty", Variant(), {}},
    };
    for (const Case& c : cases) {
        control->put_Items(Strings({"old"}));
        EXPECT_EQ(control->put_Items(c.value), zarvento::S_OK_) << c.what;
        EXPECT_EQ(Lines(), c.collected) << c.what;
    }
}

TEST_F(TextModelTest, AnEmptyTreeIsEmptyItemsAndAnEmptyFile) {
    Variant items = Variant::BStr("stale");
    ASSERT_EQ(control->get_Items(&items), zarvento::S_OK_);
    EXPECT_EQ(items.Type(), VarType::Empty);
    zarvento::test::TempDir dir;
    VARIANT_BOOL ok = 0;
    control->SaveToFile((dir / "empty.txt").string(), &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "empty.txt"));
    EXPECT_EQ(FileBytes(dir / "empty.txt"), "");
}

TEST_F(TextModelTest, AFileThatCannotBeReadOrWrittenGivesZeroAndChangesNothing) {
    Add(0, "A");
    zarvento::test::TempDir dir;
    VARIANT_BOOL ok = 1;
    control->LoadFromFile((dir / "missing.txt").string(), &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Lines(), std::vector<std::string>{"A"});
    ok = 1;
    control->SaveToFile((dir / "no folder" / "tree.txt").string(), &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "no folder"));
}

// A save that fails half-way must not leave a cut tree where the old one was,
// nor say it saved.
TEST_F(TextModelTest, ASaveThatFailsKeepsTheOldFileAndSaysSo) {
    zarvento::test::TempDir dir;
    ASSERT_TRUE(zarvento::WriteFileAtomic(dir / "tree.txt", "Old\r\n\tTree\r\n").ok);
    Add(0, "New");
    VARIANT_BOOL ok = 1;
    zarvento::HRESULT result = zarvento::E_FAIL_;
    zarvento::test::FailEachCall(
        {"WriteFileAtomic", "ReplaceFile"}, zarvento::STG_E_WRITEFAULT_,
        [&] { result = control->SaveToFile((dir / "tree.txt").string(), &ok); },
        [&](const zarvento::test::FaultRun&) {
            EXPECT_EQ(result, zarvento::S_OK_);
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(FileBytes(dir / "tree.txt"), "Old\r\n\tTree\r\n");
        },
        {[&] { ok = 1; }});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file stays";
}

TEST_F(TextModelTest, FilesFromWindowsAndOtherEditorsLoad) {
    zarvento::test::TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        // Windows-1251: "План", TAB "Ось".
        {"the Cyrillic code page", "\xCF\xEB\xE0\xED\r\n\t\xCE\xF1\xFC\r\n"},
        {"UTF-8 with a BOM and LF ends", "\xEF\xBB\xBFПлан\n\tОсь"},
        {"old Mac line ends", "План\r\tОсь\r"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(zarvento::WriteFileAtomic(dir / "tree.txt", c.bytes).ok);
        VARIANT_BOOL ok = 0;
        control->LoadFromFile((dir / "tree.txt").string(), &ok);
        EXPECT_EQ(ok, 1) << c.what;
        EXPECT_EQ(Lines(), (std::vector<std::string>{"План", "\tОсь"})) << c.what;
    }
}

TEST_F(TextModelTest, TheFixturePlanTreeLoads) {
    VARIANT_BOOL ok = 0;
    control->LoadFromFile(zarvento::test::FixturePath("treecontrol/plan.tree"), &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(Tree().Count(), 8u);
    EXPECT_EQ(Lines()[2], "\t\tISO_Lathe");
}

TEST_F(TextModelTest, BeforeItsWindowExistsTheControlAnswersZeroYetKeepsItsSettings) {
    CPelmora bare;
    HTREEITEM_ID item = 99, next = 99;
    OLE_HANDLE handle = 99;
    EXPECT_EQ(bare.AddItem(0, "A", 0, 0, zarvento::kTreeLast, &item), zarvento::S_OK_);
    EXPECT_EQ(item, 0);
    EXPECT_EQ(bare.GetNextItem(0, pmTVGN_ROOT, &next), zarvento::S_OK_);
    EXPECT_EQ(next, 0);
    EXPECT_EQ(bare.get_Handle(&handle), zarvento::S_OK_);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(bare.SetImageList(0x20000001, 0), zarvento::S_OK_);
    EXPECT_EQ(bare.SetContextMenu(0x10000001), zarvento::S_OK_);
    EXPECT_EQ(bare.put_ReadOnly(5), zarvento::S_OK_);
    VARIANT_BOOL readOnly = 0;
    bare.get_ReadOnly(&readOnly);
    EXPECT_EQ(readOnly, VARIANT_TRUE_);
    Variant items = Variant::BStr("stale");
    bare.get_Items(&items);
    EXPECT_TRUE(items.IsEmpty());
    // Loading needs a tree to load into: no success without one.
    VARIANT_BOOL ok = 1;
    bare.LoadFromFile(zarvento::test::FixturePath("treecontrol/plan.tree"), &ok);
    EXPECT_EQ(ok, 0);
}

TEST_F(TextModelTest, ANullOutPointerIsAnInvalidArgument) {
    const HRESULT invalid = zarvento::E_INVALIDARG_;
    EXPECT_EQ(control->get_Handle(nullptr), invalid);
    EXPECT_EQ(control->AddItem(0, "A", 0, 0, zarvento::kTreeLast, nullptr), invalid);
    EXPECT_EQ(control->GetNextItem(0, pmTVGN_ROOT, nullptr), invalid);
    EXPECT_EQ(control->LoadFromFile("x", nullptr), invalid);
    EXPECT_EQ(control->SaveToFile("x", nullptr), invalid);
    EXPECT_EQ(control->get_Items(nullptr), invalid);
    EXPECT_EQ(control->get_ReadOnly(nullptr), invalid);
    EXPECT_EQ(control->Advise(log, nullptr), invalid);
    EXPECT_EQ(Tree().Count(), 0u);
}

TEST_F(TextModelTest, AFailedHostCallInsideAMethodComesBackAsItsCodeNotAsAnException) {
    zarvento::HostFaults::Arm("TreeControl.InsertItem", zarvento::E_OUTOFMEMORY_);
    HTREEITEM_ID item = 5;
    EXPECT_EQ(control->AddItem(0, "A", 0, 0, zarvento::kTreeLast, &item), zarvento::E_OUTOFMEMORY_);
    // A failed call of the host's own leaves no record of the library's.
    EXPECT_FALSE(zarvento::TakeErrorInfo());
    EXPECT_EQ(Tree().Count(), 0u);
}

}  // namespace
}  // namespace pelmora::test
