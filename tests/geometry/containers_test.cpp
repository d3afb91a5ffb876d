// The system's own containers and their exact complaints.
#include "geometry/checked_array.h"
#include "geometry/cursor_list.h"
#include "geometry/step_array.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

std::string ThrownMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<nothing thrown>";
}

TEST(CheckedArray, BadIndexNamesIndexSizeAndElementSize) {
    CheckedArray<void*> pointers;
    pointers.SetSize(3);
    EXPECT_EQ(ThrownMessage([&] { pointers.GetAt(-1); }), "Invalid index of array\ni=-1 N=3\nSize of struct=8");
    EXPECT_EQ(ThrownMessage([&] { pointers.GetAt(3); }), "Invalid index of array\ni=3 N=3\nSize of struct=8");
    CheckedArray<int> cells;
    cells.SetSize(2);
    EXPECT_EQ(ThrownMessage([&] { cells.GetAt(2); }), "Invalid index of array\ni=2 N=2\nSize of struct=4");
    CheckedArray<CheckedArray<int>> rows;
    rows.SetSize(1);
    EXPECT_EQ(ThrownMessage([&] { rows.GetAt(1); }), "Invalid index of array\ni=1 N=1\nSize of struct=16");
    EXPECT_EQ(rows[0].Size(), 0);  // rows start empty
}

TEST(CheckedArray, SetSizeZeroEmptiesAndThrows) {
    CheckedArray<int> a;
    a.SetSize(4);
    a[3] = 7;
    EXPECT_EQ(ThrownMessage([&] { a.SetSize(0); }), "Cannot create array!\n(operation new failed)");
    EXPECT_EQ(a.Size(), 0);
    EXPECT_EQ(ThrownMessage([&] { a.SetSize(-2); }), "Cannot create array!\n(operation new failed)");
}

TEST(CheckedArray, CopiesAreDeep) {
    CheckedArray<CheckedArray<int>> m;
    m.SetSize(2);
    m[1].SetSize(2);
    m[1][1] = 5;
    CheckedArray<CheckedArray<int>> copy = m;
    copy[1][1] = 9;
    EXPECT_EQ(m[1][1], 5);
}

TEST(Exception, MessageIsCutAtTheCharacterLimit) {
    std::string longText;
    for (int i = 0; i < 1100; ++i) longText += "Ж";
    Exception e(longText);
    EXPECT_EQ(e.Message().size(), Exception::kMaxChars * 2);
}

TEST(StepArray, GrowsByItsStepAndKeepsValues) {
    StepArray<int> a(5);
    for (int i = 0; i < 5; ++i) a.Add(i * 10);
    EXPECT_EQ(a.Capacity(), 5u);
    a.Add(50);
    EXPECT_EQ(a.Capacity(), 10u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a[static_cast<std::uint32_t>(i)], i * 10);
}

TEST(StepArray, InsertRemoveAndFreeExtra) {
    StepArray<int> a(1);
    a.Add(1);
    a.Add(3);
    a.InsertAt(1, 2);
    a.InsertAt(0, 0);
    a.InsertAt(4, 4);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{0, 1, 2, 3, 4}));
    a.RemoveAt(0);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{1, 2, 3, 4}));
    a.FreeExtra();
    EXPECT_EQ(a.Capacity(), 4u);
    StepArray<int> empty(10);
    empty.FreeExtra();
    EXPECT_EQ(empty.Capacity(), 0u);
    EXPECT_EQ(empty.Data(), nullptr);
}

TEST(StepArray, ReserveTakesExactlyWhatItIsAskedAndKeepsValues) {
    StepArray<int> a(1000);
    a.Reserve(2);
    EXPECT_EQ(a.Capacity(), 2u) << "no whole step for an array that knows its size";
    a.Add(7);
    a.Add(8);
    EXPECT_EQ(a.Capacity(), 2u);
    a.Reserve(1);
    EXPECT_EQ(a.Capacity(), 2u) << "never shrinks";
    a.Reserve(3);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{7, 8}));
    EXPECT_EQ(a.Capacity(), 3u);
}

// An index out of range is a broken invariant: a user's build ends the
// operation by its Exception.
TEST(StepArray, AnIndexOutOfRangeThrowsInAUsersBuild) {
    const detail::UserBuildInvariants userBuild;
    StepArray<int> a;
    a.Add(1);
    const StepArray<int>& constant = a;
    EXPECT_THROW(a[1], Exception);
    EXPECT_THROW(constant[1], Exception);
    EXPECT_THROW(a.RemoveAt(1), Exception);
    EXPECT_THROW(a.InsertAt(2, 5), Exception);
    EXPECT_EQ(a.Count(), 1u);
    EXPECT_EQ(a[0], 1);
}

TEST(StepArray, LongAppendsAreNotQuadratic) {
    // A step of 1 must not mean one copy per element: capacity grows geometrically past the step.
    StepArray<int> a(1);
    int growths = 0;
    std::uint32_t last = 0;
    for (int i = 0; i < 100000; ++i) {
        a.Add(i);
        if (a.Capacity() != last) ++growths, last = a.Capacity();
    }
    EXPECT_LT(growths, 60);
}

class CursorListTest : public CleanStateTest {};

TEST_F(CursorListTest, MisuseIsReportedAndTheHeadReturned) {
    CursorList<int*> list;
    int a = 1, b = 2, c = 3;
    EXPECT_EQ(list.GetAt(0), nullptr);
    list.AddTail(&a);
    list.AddTail(&b);
    list.AddTail(&c);
    EXPECT_EQ(list.GetAt(5), list.Head());
    list.Rewind();
    EXPECT_EQ(list.Next()->value, &a);
    EXPECT_EQ(list.Next()->value, &b);
    EXPECT_EQ(list.Next()->value, &c);
    EXPECT_EQ(list.Next(), list.Head());
    list.SetCursor(7);
    EXPECT_EQ(list.Cursor(), nullptr);
    list.SetCursor(-1);
    EXPECT_EQ(list.Cursor(), list.Head());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Empty array", "Invalid index of array\ni=5 N=3",
                                                    "next Invalid pCurr", "curr: Invalid index of array\ni=7 N=3",
                                                    "curr: Invalid index of array\ni=-1 N=3"}));
    for (const auto& e : Entries()) EXPECT_EQ(e.caption, "");
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Head(), nullptr);
}

TEST_F(CursorListTest, StringListOwnsItsValues) {
    CursorList<std::string> list;
    list.AddTail("CODE");
    list.AddTail("PRINT_PNT");
    CursorList<std::string> copy = list;
    list.RemoveAll();
    EXPECT_EQ(copy.GetAt(1)->value, "PRINT_PNT");
}

}  // namespace
}  // namespace zarvento
