// Packing values for host calls, by table.
#include "geometry/value_packing.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace zarvento::test {
namespace {

class ValuePackingTest : public CleanStateTest {};

TEST_F(ValuePackingTest, PackingGivesOneDimensionalArraysFromZero) {
    Variant out = Variant::I4(5);
    StepArray<Point3D> points;
    PointsToSafeArray(out, points);
    // No points are an empty array of reals, not an empty Variant.
    EXPECT_EQ(out.Type(), VarType::Array);
    EXPECT_EQ(out.ArrayElementType(), VarType::R8);
    EXPECT_EQ(out.ArrayDimensions(), 1);
    EXPECT_TRUE(out.AsArray().empty());
    points.Add(Point3D{1, 2, 3});
    points.Add(Point3D{-4, 5.5, 0});
    PointsToSafeArray(out, points);
    EXPECT_EQ(out, Variant::Array({Variant::R8(1), Variant::R8(2), Variant::R8(3), Variant::R8(-4), Variant::R8(5.5),
                                   Variant::R8(0)},
                                  VarType::R8));

    StepArray<std::int32_t> ints;
    IntsToSafeArray(out, ints);
    EXPECT_EQ(out, Variant::Array({}, VarType::I4));
    ints.Add(7);
    ints.Add(-1);
    IntsToSafeArray(out, ints);
    EXPECT_EQ(out, Variant::Array({Variant::I4(7), Variant::I4(-1)}, VarType::I4));

    // Empty vectors of Variants and of texts give an empty Variant.
    VariantsToSafeArray(out, {});
    EXPECT_TRUE(out.IsEmpty());
    VariantsToSafeArray(out, {Variant::BStr("a"), Variant::R8(1)});
    EXPECT_EQ(out, Variant::Array({Variant::BStr("a"), Variant::R8(1)}));
    EXPECT_EQ(out.ArrayElementType(), VarType::Empty);
    StringVectorToSafeArray(out, {});
    EXPECT_TRUE(out.IsEmpty());
    StringVectorToSafeArray(out, {"G01", "Резец"});
    EXPECT_EQ(out, Variant::Array({Variant::BStr("G01"), Variant::BStr("Резец")}, VarType::BStr));

    CursorList<std::string> list;
    StringListToSafeArray(out, list);
    EXPECT_EQ(out, Variant::Array({}, VarType::BStr));
    list.AddTail("M3");
    list.AddTail("M30");
    StringListToSafeArray(out, list);
    EXPECT_EQ(out, Variant::Array({Variant::BStr("M3"), Variant::BStr("M30")}, VarType::BStr));
}

TEST_F(ValuePackingTest, UnpackingTakesOneDimensionalArraysAndSingleValuesOnly) {
    auto a = std::make_shared<HostObject>();
    auto b = std::make_shared<HostObject>();
    CheckedArray<HostObject*> objects;
    CheckedArray<double> reals;
    // A single value is one element.
    EXPECT_EQ(SafeArrayToDoubles(Variant::R8(2.5), reals), 1);
    EXPECT_EQ(reals.Size(), 1);
    EXPECT_EQ(reals[0], 2.5);
    EXPECT_EQ(SafeArrayToDispatches(Variant::Dispatch(a), objects), 1);
    EXPECT_EQ(objects[0], a.get());
    // An array in order, without holding the objects.
    const Variant both = Variant::Array({Variant::Dispatch(b), Variant::Dispatch(a)}, VarType::Dispatch);
    EXPECT_EQ(SafeArrayToDispatches(both, objects), 2);
    EXPECT_EQ(objects[0], b.get());
    EXPECT_EQ(objects[1], a.get());
    EXPECT_EQ(a.use_count(), 2);  // the test's and the Variant's
    EXPECT_EQ(SafeArrayToDoubles(Variant::Array({Variant::R8(1), Variant::R8(-2), Variant::R8(3)}, VarType::R8), reals),
              3);
    EXPECT_EQ(reals[2], 3.0);

    // Anything else gives 0 and leaves the arrays as they were.
    struct Case {
        const char* what;
        Variant value;
    };
    const Case others[] = {
        {"two dimensions",
         Variant::Array({Variant::R8(9), Variant::R8(9), Variant::R8(9), Variant::R8(9)}, VarType::R8, 0, 2)},
        {"no elements", Variant::Array({}, VarType::R8)},
        {"an array of Variants", Variant::Array({Variant::R8(9)})},
        {"an array of integers", Variant::Array({Variant::I4(9)}, VarType::I4)},
        {"a text", Variant::BStr("9")},
        {"empty", Variant()},
    };
    for (const Case& c : others) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SafeArrayToDoubles(c.value, reals), 0);
        EXPECT_EQ(reals.Size(), 3);
        EXPECT_EQ(reals[0], 1.0);
        EXPECT_EQ(SafeArrayToDispatches(c.value, objects), 0);
        EXPECT_EQ(objects.Size(), 2);
    }
    const Variant twoByOne = Variant::Array({Variant::Dispatch(a), Variant::Dispatch(b)}, VarType::Dispatch, 0, 2);
    EXPECT_EQ(SafeArrayToDispatches(twoByOne, objects), 0);
    EXPECT_EQ(objects[0], b.get());
}

}  // namespace
}  // namespace zarvento::test
