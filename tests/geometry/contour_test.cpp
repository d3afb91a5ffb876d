// The contour object: storage, relation matrix, copies, lookups, registry.
#include "geometry/contour.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "contour_fixtures.h"
#include "geometry/line_unit.h"
#include "geometry/object_registry.h"
#include "platform/dialogs/selection_manager.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;
using test::MakeContour;

class ContourTest : public CleanStateTest {};

UnitPtr Line(double z1, double x1, double z2, double x2) { return std::make_unique<CLineUnit>(z1, x1, z2, x2); }

// Start z of every unit, to read the order at a glance.
std::vector<double> StartZ(const Contour& c) {
    std::vector<double> out;
    for (int k = 0; k < c.Count(); ++k) out.push_back(c.GetUnit(k)->StartPoint.z);
    return out;
}

TEST_F(ContourTest, NewContourHasDefaults) {
    Contour c;
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.Colour, 6617700u);
    EXPECT_EQ(c.PairCount(), 0);
    EXPECT_EQ(c.Tag, 0);
    EXPECT_EQ(c.GetFirstUnit(), nullptr);
    EXPECT_EQ(c.GetUnit(0), nullptr);
    double x = 7, z = 8;
    c.GetStartPoint(x, z);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(z, 8);
}

TEST_F(ContourTest, SizedContourNeedsRoom) {
    EXPECT_EQ(Contour::ContourSized(3)->Count(), 0);
    try {
        Contour::ContourSized(0);
        FAIL() << "no throw";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot create array!\n(operation new failed)");
    }
}

TEST_F(ContourTest, InsertAcceptsZeroToCountOnly) {
    Contour c;
    EXPECT_EQ(c.InsertUnit(0, Line(1, 0, 2, 0)), nullptr);
    EXPECT_EQ(c.InsertUnit(c.Count(), Line(2, 0, 3, 0)), nullptr);  // appends
    EXPECT_EQ(c.InsertUnit(0, Line(0, 0, 1, 0)), nullptr);
    EXPECT_EQ(StartZ(c), (std::vector<double>{0, 1, 2}));
    // Refused units come back to the caller.
    UnitPtr back = c.InsertUnit(c.Count() + 1, Line(9, 0, 9, 1));
    ASSERT_NE(back, nullptr);
    back = c.InsertUnit(-1, std::move(back));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.AddUnit(nullptr), -1);
    EXPECT_EQ(c.Count(), 3);
}

TEST_F(ContourTest, RemoveTakesTheLaterOfTwoSlotsAndIgnoresStrangers) {
    Contour c;
    c.AddUnit(Line(0, 0, 1, 0));
    c.AddUnit(Line(1, 0, 2, 0));
    CUnit* twice = c.GetUnit(1);
    c.AddUnit(Line(2, 0, 3, 0));
    // Two slots holding one pointer; the contour owns it once only, so the
    // first is released before the test ends.
    c.InsertUnit(3, UnitPtr(twice));
    CLineUnit stranger(5, 5, 6, 6);
    EXPECT_EQ(c.RemoveUnit(&stranger), nullptr);
    EXPECT_EQ(c.Count(), 4);
    UnitPtr removed = c.RemoveUnit(twice);
    EXPECT_EQ(removed.get(), twice);
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.GetUnit(1), twice);  // the earlier slot stays
    (void)removed.release();         // slot 1 still owns it
    Contour empty;
    EXPECT_EQ(empty.RemoveUnit(twice), nullptr);
}

TEST_F(ContourTest, RotateAndNeighboursAreCyclic) {
    auto c = MakeContour(test::kSteppedShaft);
    EXPECT_EQ(c->GetNextUnit(c->GetLastUnit()), c->GetFirstUnit());
    EXPECT_EQ(c->GetPrevUnit(c->GetFirstUnit()), c->GetLastUnit());
    CLineUnit same(30, -20, 30, -15);  // equal ends, another object
    EXPECT_EQ(c->GetNextUnit(&same), c->GetUnit(3));
    CLineUnit none(1, 1, 2, 2);
    EXPECT_EQ(c->GetNextUnit(&none), nullptr);
    c->RotateToIndex(4);
    EXPECT_EQ(StartZ(*c), (std::vector<double>{60, 60, 0, 0, 30, 30}));
    c->RotateToIndex(6);
    c->RotateToIndex(-1);
    EXPECT_EQ(StartZ(*c), (std::vector<double>{60, 60, 0, 0, 30, 30}));
}

TEST_F(ContourTest, CopyHoldsClonesAndTheMatrix) {
    auto c = MakeContour(test::kOpenChain);
    c->CreateRelationMatrix();
    c->SetRelation(0, 1, 3);
    c->SetRelation(2, 1, 4);
    c->Colour = 42;
    c->Tag = 2;
    c->BasePoint.z = 5;
    auto copy = c->Clone();
    ASSERT_EQ(copy->Count(), 3);
    EXPECT_NE(copy->GetUnit(0), c->GetUnit(0));
    EXPECT_EQ(copy->PairCount(), 3);
    EXPECT_EQ(copy->GetRelation(0, 1), 3);
    EXPECT_EQ(copy->GetRelation(2, 1), 4);
    EXPECT_EQ(copy->GetRelation(1, 2), 0);
    EXPECT_EQ(copy->Colour, 42u);
    EXPECT_EQ(copy->Tag, 2);
    EXPECT_EQ(copy->BasePoint.z, 5);
    copy.reset();
    EXPECT_DOUBLE_EQ(c->GetUnit(2)->EndPoint.z, 20);  // the source's units live on
    EXPECT_EQ(Contour::ContourCopy(nullptr)->Count(), 0);
}

// A contour that is going hands its plain units over: the copy reads as a
// copy would, while a unit with drawn state (which a clone leaves behind)
// still comes over as a clone.
TEST_F(ContourTest, CopyTakingReadsAsACopyAndHandsPlainUnitsOver) {
    auto c = MakeContour(test::kOpenChain);
    c->AddUnit(Line(20, -10, 30, -10));
    c->CreateRelationMatrix();
    c->SetRelation(2, 1, 4);
    c->Colour = 42;
    c->Tag = 2;
    c->BasePoint.z = 5;
    c->GetUnit(1)->Selected = true;
    c->GetUnit(2)->HostObjectId = 7;
    const CUnit* plain = c->GetUnit(0);
    const CUnit* drawn = c->GetUnit(2);
    const Contour expected(*c);

    auto taken = Contour::CopyTaking(std::move(c));
    ASSERT_EQ(taken->Count(), expected.Count());
    EXPECT_EQ(taken->GetUnit(0), plain);
    EXPECT_NE(taken->GetUnit(2), drawn);
    EXPECT_EQ(taken->GetUnit(2)->HostObjectId, 0);
    EXPECT_TRUE(taken->GetUnit(1)->Selected);
    for (int k = 0; k < expected.Count(); ++k)
        EXPECT_DOUBLE_EQ(taken->GetUnit(k)->EndPoint.z, expected.GetUnit(k)->EndPoint.z);
    EXPECT_EQ(taken->RelationSize(), 4);
    EXPECT_EQ(taken->GetRelation(2, 1), 4);
    EXPECT_EQ(taken->Colour, 42u);
    EXPECT_EQ(taken->Tag, 2);
    EXPECT_EQ(taken->BasePoint.z, 5);
    EXPECT_EQ(Contour::CopyTaking(nullptr)->Count(), 0);

    std::vector<UnitPtr> units = taken->TakeUnits();
    EXPECT_TRUE(taken->Empty());
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0].get(), plain);
}

// A matrix built before units were added is smaller than the contour: a copy
// takes the cells that exist and leaves the new ones 0 instead of throwing.
TEST_F(ContourTest, CopyOfAStaleMatrixTakesOnlyItsCells) {
    auto c = MakeContour(test::kOpenChain);
    c->CreateRelationMatrix();
    c->SetRelation(2, 0, 1);
    c->AddUnit(Line(20, -10, 30, -10));
    Contour copy(*c);
    EXPECT_EQ(copy.RelationSize(), 4);
    EXPECT_EQ(copy.PairCount(), 3);
    EXPECT_EQ(copy.GetRelation(2, 0), 1);
    EXPECT_EQ(copy.GetRelation(3, 3), 0);
}

// The matrix of a contour holds only the cells that are not 0: a cell set
// back to 0 is gone, and the cells come row by row.
TEST_F(ContourTest, MatrixHoldsItsNonZeroCellsRowByRow) {
    auto c = MakeContour(test::kSteppedShaft);
    c->CreateRelationMatrix();
    c->SetRelation(4, 3, 2);
    c->SetRelation(1, 4, 3);
    c->SetRelation(1, 2, 1);
    c->SetRelation(1, 2, 0);
    std::vector<std::array<int, 3>> cells;
    c->ForEachRelation([&](int i, int j, int v) { cells.push_back({i, j, v}); });
    EXPECT_EQ(cells, (std::vector<std::array<int, 3>>{{1, 4, 3}, {4, 3, 2}}));
    EXPECT_EQ(c->GetRelation(1, 2), 0);
    // Built again, the matrix starts empty.
    c->CreateRelationMatrix();
    cells.clear();
    c->ForEachRelation([&](int i, int j, int v) { cells.push_back({i, j, v}); });
    EXPECT_TRUE(cells.empty());
}

TEST_F(ContourTest, MatrixCellsOutsideTheBuiltSizeThrow) {
    Contour empty;
    empty.CreateRelationMatrix();
    EXPECT_EQ(empty.PairCount(), 0);
    auto c = MakeContour(test::kOpenChain);
    c->CreateRelationMatrix();
    try {
        c->GetRelation(3, 0);
        FAIL() << "no throw";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid index of array\ni=3 N=3\nSize of struct=16");
    }
    try {
        c->SetRelation(0, -1, 2);
        FAIL() << "no throw";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid index of array\ni=-1 N=3\nSize of struct=4");
    }
}

TEST_F(ContourTest, MoveToMovesOnlyByTheChangeOfBasePoint) {
    auto c = MakeContour(test::kOpenChain);
    c->MoveTo(5, -1);
    c->MoveTo(5, -1);
    EXPECT_DOUBLE_EQ(c->GetUnit(0)->StartPoint.z, 5);
    EXPECT_DOUBLE_EQ(c->GetUnit(0)->StartPoint.x, -1);
    double x = 0, z = 0;
    c->GetEndPoint(x, z);
    EXPECT_DOUBLE_EQ(z, 25);
    EXPECT_DOUBLE_EQ(x, -11);
}

TEST_F(ContourTest, AppendCopyOfItselfChangesNothing) {
    auto c = MakeContour(test::kOpenChain);
    c->AppendCopy(*c);
    EXPECT_EQ(c->Count(), 3);
    auto d = MakeContour(test::kOpenChain);
    d->AppendCopy(*c);
    EXPECT_EQ(d->Count(), 6);
}

TEST_F(ContourTest, EveryContourIsRegisteredForItsLife) {
    const std::size_t before = RegisteredObjectCount();
    {
        auto c = MakeContour(test::kOpenChain);
        auto copy = c->Clone();
        EXPECT_TRUE(IsObjectRegistered(c.get()));
        EXPECT_TRUE(IsObjectRegistered(copy.get()));
        EXPECT_EQ(RegisteredObjectCount(), before + 2);
    }
    EXPECT_EQ(RegisteredObjectCount(), before);
    EXPECT_TRUE(Messages().empty());
}

class TypedObject : public HostObject {
public:
    explicit TypedObject(int type) : type_(type) {}
    int ObjectType() const override { return type_; }

private:
    int type_;
};

TEST_F(ContourTest, SelectBetweenSelectsTheUnitsStrictlyBetween) {
    SetHostSelectionManager(std::make_shared<SelectionManager>());
    auto c = MakeContour(test::kSteppedShaft);
    auto a = std::make_shared<TypedObject>(6), b = std::make_shared<TypedObject>(6);
    auto wrongType = std::make_shared<TypedObject>(1), loose = std::make_shared<TypedObject>(6);
    c->GetUnit(4)->AddObject(a);
    c->GetUnit(1)->AddObject(b);
    c->GetUnit(2)->AddObject(wrongType);
    c->SelectBetween(a, wrongType);
    c->SelectBetween(a, loose);
    c->SelectBetween(a, nullptr);
    EXPECT_EQ(c->GetSelectedCount(), 0);
    c->SelectBetween(a, b);
    EXPECT_EQ(c->GetSelectedCount(), 2);
    EXPECT_EQ(c->GetSelectedUnit(0), c->GetUnit(2));
    EXPECT_EQ(c->GetSelectedUnit(1), c->GetUnit(3));
    EXPECT_EQ(c->GetSelectedUnit(2), nullptr);
    EXPECT_TRUE(c->HasSelectedUnitWithoutObject());  // unit 3 holds no object
    EXPECT_EQ(c->FindUnitByObject(b), c->GetUnit(1));
}

// The index finds what the scan finds: the first unit holding each object.
TEST_F(ContourTest, UnitsByObjectFindTheFirstUnitHoldingEachObject) {
    auto c = MakeContour(test::kSteppedShaft);
    auto a = std::make_shared<TypedObject>(6), b = std::make_shared<TypedObject>(6);
    auto loose = std::make_shared<TypedObject>(6);
    c->GetUnit(3)->AddObject(a);
    c->GetUnit(1)->AddObject(b);
    c->GetUnit(4)->AddObject(b);
    c->GetUnit(4)->AddObject(a);
    const UnitsByObject index(*c);
    for (const HostObjectPtr& object : {HostObjectPtr(a), HostObjectPtr(b), HostObjectPtr(loose), HostObjectPtr()})
        EXPECT_EQ(index.Find(object), c->FindUnitByObject(object));
    EXPECT_EQ(index.Find(a), c->GetUnit(3));
    EXPECT_EQ(index.Find(b), c->GetUnit(1));
}

}  // namespace
}  // namespace zarvento
