// The script's statements that make the part: coordinate systems by their
// origin and directions or on a face's axis, and the refusals of both.
#include <gtest/gtest.h>

#include <cmath>

#include "plan/command_script.h"
#include "plan_test_support.h"
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
    script.Run(
        "lsc A\n"
        "lsc B 1 2 3\n"
        "lsc C 0 0 0 1 0 0\n"
        "lsc D 0 0 0 0 0 2 1 0 1\n"
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

}  // namespace
}  // namespace zarvento::test
