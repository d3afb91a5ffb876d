// Variant kinds and the host's type-change rules.
#include "platform/core/variant.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/host_error.h"
#include "test_support.h"

namespace zarvento {
namespace {

const auto ErrorOf = test::ErrorCodeOf;

TEST(Variant, ChangeTypeTable) {
    struct Case {
        Variant from;
        VarType to;
        Variant expected;
    };
    const Case cases[] = {
        {Variant(), VarType::I4, Variant::I4(0)},
        {Variant::R8(2.5), VarType::I4, Variant::I4(2)},  // half to even
        {Variant::R8(3.5), VarType::I4, Variant::I4(4)},
        {Variant::R8(-2.6), VarType::I4, Variant::I4(-3)},
        {Variant::BStr("12.25"), VarType::R8, Variant::R8(12.25)},
        {Variant::BStr("7"), VarType::I4, Variant::I4(7)},
        {Variant::I4(5), VarType::R8, Variant::R8(5.0)},
        {Variant::Int(5), VarType::I4, Variant::I4(5)},
        {Variant::I4(5), VarType::Int, Variant::Int(5)},
        {Variant::Bool(true), VarType::I4, Variant::I4(-1)},
        {Variant::R8(0.1), VarType::BStr, Variant::BStr("0.1")},
        {Variant::I4(-3), VarType::BStr, Variant::BStr("-3")},
        {Variant::I4(2), VarType::Bool, Variant::Bool(true)},
        {Variant::BStr("0"), VarType::Bool, Variant::Bool(false)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.from.ChangeType(c.to), c.expected) << c.from.DumpText() << " -> " << VarTypeName(c.to);
    }
}

TEST(Variant, ImpossibleChangesRaiseHostErrors) {
    EXPECT_EQ(ErrorOf([] { Variant::BStr("12,5").ToR8(); }), DISP_E_TYPEMISMATCH_);
    EXPECT_EQ(ErrorOf([] { Variant::BStr("1x").ToI4(); }), DISP_E_TYPEMISMATCH_);
    EXPECT_EQ(ErrorOf([] { Variant::R8(3e10).ToI4(); }), DISP_E_OVERFLOW_);
    EXPECT_EQ(ErrorOf([] { Variant::Dispatch(std::make_shared<HostObject>()).ToI4(); }), DISP_E_TYPEMISMATCH_);
    EXPECT_EQ(ErrorOf([] { Variant::I4(1).AsR8(); }), DISP_E_TYPEMISMATCH_);
}

TEST(Variant, DispatchComparesByIdentity) {
    auto a = std::make_shared<HostObject>();
    auto b = std::make_shared<HostObject>();
    EXPECT_EQ(Variant::Dispatch(a), Variant::Dispatch(a));
    EXPECT_FALSE(Variant::Dispatch(a) == Variant::Dispatch(b));
}

TEST(Variant, NumbersAreLocaleFree) {
    double d = 0;
    EXPECT_TRUE(ParseDouble("-0.125", d));
    EXPECT_EQ(d, -0.125);
    EXPECT_FALSE(ParseDouble("0,125", d));
    EXPECT_FALSE(ParseDouble("", d));
    // What from_chars takes but no user means.
    for (const char* text : {"nan", "-nan", "inf", "+inf", "infinity", "nan(1)", "1e400"}) {
        d = 7.0;
        EXPECT_FALSE(ParseDouble(text, d)) << text;
        EXPECT_EQ(d, 7.0) << text;
    }
    EXPECT_TRUE(IsPlausibleValue(-1e6));
    EXPECT_FALSE(IsPlausibleValue(1e300));
    EXPECT_FALSE(IsPlausibleValue(std::nan("")));
    EXPECT_EQ(FormatDouble(1e-7), "1e-07");
    EXPECT_EQ(FormatDouble(123.5), "123.5");
}

}  // namespace
}  // namespace zarvento
