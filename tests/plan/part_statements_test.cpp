// The script's statements that make the part: coordinate systems by their
// origin and directions or on a face's axis, and the refusals of both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plan/command_script.h"
#include "plan_test_support.h"
#include "platform/core/messages.h"
#include "platform/part_model.h"
#include "test_parts.h"

namespace zarvento::test {
namespace {

class PartStatementsTest : public PlanTest {
protected:
    std::shared_ptr<LocalCoordinateSystem> System(const std::string& name) {
        for (const auto& e : part->ObjectsOfType(LocalCoordinateSystem::kObjectType))
            if (e->Name() == name) return std::dynamic_pointer_cast<LocalCoordinateSystem>(e);
        return nullptr;
    }
    static void ExpectNear(const std::array<double, 3>& a, const std::array<double, 3>& b) {
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-12) << i;
    }
    CommandScript script;
};

TEST_F(PartStatementsTest, CoordinateSystemsTakeTheirOriginAndTheirZAndXDirections) {
    RevolutionAxis alongX;
    alongX.direction = {1, 0, 0};
    alongX.radial = {0, 1, 0};
    SetPartBody(*TopPart(part), SteppedShaft(alongX));
    // The journal from x = 10 to x = 30, nearer the shaft's end at x = 0 (it
    // reaches to x = 62).
    int journal = 0;
    for (const auto& face : TopPart(part)->Faces()) {
        ++journal;
        Point3 min, max;
        face->Box(min, max);
        if (face->IsKind(SurfaceKind::Cylinder) && std::fabs(min[0] - 10) < 1e-6 && std::fabs(max[0] - 30) < 1e-6)
            break;
    }
    const std::string face = "face:" + std::to_string(journal);
    // Typed before the part has a body, the systems are taken as typed; on
    // the body's axis, as typed too.
    const PartShape body = TopPart(part)->Body();
    SetPartBody(*TopPart(part), PartShape());
    script.Run(
        "lsc A\n"
        "lsc B 1 2 3\n"
        "lsc D 0 0 0 0 0 2 1 0 1\n");
    SetPartBody(*TopPart(part), body);
    script.Run(
        "lsc C 0 0 0 1 0 0\n"
        "lsc E " +
        face +
        "\n"
        "lsc F " +
        face + " reversed\n");
    const struct {
        const char* name;
        std::array<double, 3> origin, x, y, z;
    } expected[] = {
        {"A", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"B", {1, 2, 3}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"C", {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
        {"D", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        // Z out of the end the journal lies nearer to, or out of the other.
        {"E", {0, 0, 0}, {0, 1, 0}, {0, 0, -1}, {-1, 0, 0}},
        {"F", {62, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const auto lsc = System(e.name);
        ASSERT_TRUE(lsc);
        ExpectNear(lsc->Origin(), e.origin);
        ExpectNear(lsc->Axes()[0], e.x);
        ExpectNear(lsc->Axes()[1], e.y);
        ExpectNear(lsc->Axes()[2], e.z);
    }
}

TEST_F(PartStatementsTest, DegenerateOrUnplaceableSystemsAreRefusedByTheirLine) {
    SetPartBody(*TopPart(part), SteppedShaft());
    const struct {
        const char* line;
        const char* says;
    } refused[] = {
        {"lsc Z 0 0 0 0 0 0", "Z direction of a coordinate system has no length"},
        {"lsc Z 0 0 0 0 0 1 0 0 -3", "X direction of a coordinate system lies along its Z direction"},
        {"lsc Z 0 0 0 0 0 1 0 0 0", "X direction of a coordinate system has no length"},
        {"lsc Z 0 0 0 0 0 1 0 0 1e-12", "X direction of a coordinate system has no length"},
        {"lsc Z 1 2", "lsc needs a name"},
        {"lsc Z face:99", "the part's body has no face 99 (it has 13)"},
        {"lsc Z face:2 backwards", "lsc needs a name"},
        {"lsc Z face:x", "face number"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.line);
        try {
            CommandScript().Run(r.line);
            ADD_FAILURE() << "not refused";
        } catch (const ScriptError& e) {
            EXPECT_NE(std::string(e.what()).find("line 1: "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(r.says), std::string::npos) << e.what();
        }
    }
    // A plane has no axis to stand on.
    int plane = 0;
    for (const auto& face : TopPart(part)->Faces())
        if (++plane, face->IsKind(SurfaceKind::Plane)) break;
    EXPECT_THROW(CommandScript().Run("lsc Z face:" + std::to_string(plane)), ScriptError);
    EXPECT_FALSE(System("Z"));
}

// A part lying along a skew axis: its system typed to four decimals stands on
// the axis of its faces, and the statement says so; typed to two it is
// refused, saying how far the nearest axis lies.
TEST_F(PartStatementsTest, ATypedAxisWithinTheToleranceStandsOnTheFacesAxis) {
    const auto unit = [](std::array<double, 3> v) {
        const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return std::array<double, 3>{v[0] / l, v[1] / l, v[2] / l};
    };
    RevolutionAxis skew;
    skew.origin = {12.5, -7.25, 3};
    skew.direction = unit({-0.530012, 0.25704, 0.808077});
    const auto& d = skew.direction;
    skew.radial = unit({d[1], -d[0], 0});
    SetPartBody(*TopPart(part), SteppedShaft(skew));
    const auto typed = [&](int decimals) {
        char line[256];
        std::snprintf(line, sizeof line, "%.*f %.*f %.*f %.*f %.*f %.*f", decimals, skew.origin[0], decimals,
                      skew.origin[1], decimals, skew.origin[2], decimals, d[0], decimals, d[1], decimals, d[2]);
        return std::string(line);
    };
    script.Run("lsc A " + typed(4) + "\n");
    const auto lsc = System("A");
    ASSERT_TRUE(lsc);
    ExpectNear(lsc->Axes()[2], skew.direction);
    ExpectNear(lsc->Origin(), skew.origin);
    const std::vector<std::string> said = MessageLog::Instance().Texts(MessageRole::TextOutput);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("lsc A: its Z axis is the axis of face ", 0), 0u) << said[0];
    EXPECT_NE(said[0].find("° and 0.0000 mm from the one given"), std::string::npos) << said[0];
    try {
        CommandScript().Run("lsc B " + typed(2));
        ADD_FAILURE() << "not refused";
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("lsc B: no face of the part turns about this axis; the nearest axis of "
                                             "revolution, of face "),
                  std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("(an axis is taken within 0.0500° and 0.0100 mm of a face's)"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(System("B"));
}

// A system named by its defaults and by the same numbers written out is the
// same system to the last bit, on the body's axis or with no body.
TEST_F(PartStatementsTest, ADefaultSystemAndItsNumbersWrittenOutAreTheSame) {
    for (bool body : {false, true}) {
        SCOPED_TRACE(body);
        SetPartBody(*TopPart(part), body ? SteppedShaft() : PartShape());
        const std::string suffix = body ? "1" : "0";
        script.Run("lsc A" + suffix + "\nlsc B" + suffix + " 0 0 0 0 0 1\nlsc C" + suffix + " 0 0 0 0 0 1 1 0 0\n");
        const auto a = System("A" + suffix), b = System("B" + suffix), c = System("C" + suffix);
        ASSERT_TRUE(a && b && c);
        for (const auto& other : {b, c}) {
            EXPECT_EQ(std::memcmp(a->Origin().data(), other->Origin().data(), sizeof(double) * 3), 0);
            EXPECT_EQ(std::memcmp(a->Axes().data(), other->Axes().data(), sizeof(double) * 9), 0);
        }
    }
    EXPECT_TRUE(MessageLog::Instance().Texts(MessageRole::TextOutput).empty());
}

}  // namespace
}  // namespace zarvento::test
