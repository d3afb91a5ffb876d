// The NC coordinate-system transform, the object registry and number texts.
#include "geometry/lsc_transform.h"
#include "geometry/number_text.h"
#include "geometry/object_registry.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class LscTransformTest : public CleanStateTest {};

TEST_F(LscTransformTest, IdentityBeforeAnySystemIsRead) {
    double x = 1.5, y = -2, z = 3;
    LscTransform::Global().GlobalToLocal(x, y, z);
    EXPECT_EQ(x, 1.5);
    LscTransform::Global().LocalToGlobal(x, y, z);
    EXPECT_EQ(y, -2);
    EXPECT_EQ(z, 3);
}

TEST_F(LscTransformTest, RotatedSystemRoundTrip) {
    auto lsc = std::make_shared<LocalCoordinateSystem>(std::array<double, 3>{10, 0, 0}, std::array<double, 3>{0, 2, 0},
                                                       std::array<double, 3>{-1, 0, 0}, std::array<double, 3>{0, 0, 1});
    LscTransform t;
    t.ReadFromHost(lsc);
    EXPECT_DOUBLE_EQ(t.axisX.length, 2.0);
    double x = 10, y = 1, z = 0;
    t.GlobalToLocal(x, y, z);
    EXPECT_NEAR(x, 1, 1e-15);
    EXPECT_NEAR(y, 0, 1e-15);
    EXPECT_NEAR(z, 0, 1e-15);
    t.LocalToGlobal(x, y, z);
    EXPECT_NEAR(x, 10, 1e-15);
    EXPECT_NEAR(y, 1, 1e-15);
}

TEST_F(LscTransformTest, NonOrthogonalAxesInvertExactly) {
    auto lsc =
        std::make_shared<LocalCoordinateSystem>(std::array<double, 3>{1, 2, 3}, std::array<double, 3>{1, 0.3, 0},
                                                std::array<double, 3>{0.2, 1, 0.1}, std::array<double, 3>{0, 0.4, 1});
    LscTransform t;
    t.ReadFromHost(lsc);
    for (double v : {-7.0, 0.0, 2.5}) {
        double x = v, y = v * 2 - 1, z = 3 - v;
        t.GlobalToLocal(x, y, z);
        t.LocalToGlobal(x, y, z);
        EXPECT_NEAR(x, v, 1e-12);
        EXPECT_NEAR(y, v * 2 - 1, 1e-12);
        EXPECT_NEAR(z, 3 - v, 1e-12);
    }
}

TEST_F(LscTransformTest, ZeroAxisKeepsItsColumnAndDegenerateInverseIsANoOp) {
    auto lsc = std::make_shared<LocalCoordinateSystem>(std::array<double, 3>{0, 0, 0}, std::array<double, 3>{0, 0, 0},
                                                       std::array<double, 3>{0, 1, 0}, std::array<double, 3>{0, 0, 1});
    LscTransform t;
    t.ReadFromHost(lsc);
    EXPECT_EQ(t.matrix[0][0], 1.0);  // the identity column stays
    lsc->SetAxes({1, 0, 0}, {1, 0, 0}, {0, 0, 1});
    t.ReadFromHost(lsc);
    double x = 4, y = 5, z = 6;
    t.LocalToGlobal(x, y, z);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 5);
}

TEST_F(LscTransformTest, HostFailuresAndNullObjectRaise) {
    LscTransform t;
    try {
        t.ReadFromHost(nullptr);
        FAIL();
    } catch (const HostError& e) {
        EXPECT_EQ(e.Code(), E_POINTER_);
    }
    HostFaults::Arm("LocalCoordinateSystem.GetAxis", E_FAIL_);
    EXPECT_THROW(t.ReadFromHost(std::make_shared<LocalCoordinateSystem>()), HostError);
}

class RegistryTest : public CleanStateTest {};

TEST_F(RegistryTest, DuplicateAndUnknownAreReportedOnce) {
    int object = 0;
    RegisterObject(&object, &object);
    RegisterObject(&object, &object);
    EXPECT_EQ(RegisteredObjectCount(), 1u);
    UnregisterObject(&object, &object);
    EXPECT_FALSE(IsObjectRegistered(&object));
    UnregisterObject(&object, &object);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Object dublicate", "Object not exist"}));
    EXPECT_EQ(Entries()[0].caption, " ");
}

TEST(NumberText, NormalizeTable) {
    const std::pair<const char*, const char*> cases[] = {
        {"12,5", "12.5"}, {"-3", "-3"}, {"1.2.3", ""}, {"12a", ""},
        {"--1", "--1"},   {"", ""},     {"1,2,3", ""}, {"0.5", "0.5"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeNumberText(in), out) << in;
}

TEST(NumberText, SkipToNumberAndCommaToPoint) {
    char text[] = "R=1,25";
    char* p = SkipToNumber(text);
    EXPECT_STREQ(p, "1.25");
    EXPECT_STREQ(text, "R=1.25");
    char none[] = "abc";
    EXPECT_STREQ(SkipToNumber(none), "");
    std::string s = "a,b,1,5";
    EXPECT_EQ(SkipToNumber(s), 4u);
    EXPECT_EQ(s, "a,b,1.5");
    CommaToPoint(s);
    EXPECT_EQ(s, "a.b.1.5");
    EXPECT_EQ(TranslateString("Черновой проход"), "Черновой проход");
    EXPECT_EQ(TranslateString(" "), " ");
}

}  // namespace
}  // namespace zarvento
