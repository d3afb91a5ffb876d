// Thread designations put on the part by a script: the diameter, the pitch and
// the thread surface a designation keeps, and the lines the script refuses.
#include <gtest/gtest.h>

#include "plan/command_script.h"
#include "plan_test_support.h"
#include "platform/host/thread_designation.h"
#include "platform/part_model.h"

namespace zarvento {
namespace {

class ThreadDesignationScriptTest : public test::PlanTest {};

TEST_F(ThreadDesignationScriptTest, AThreadLineAddsADesignationOnTheFace) {
    // A shaft of diameter 24 from z = 0 to z = 30: faces are its end face,
    // its cylinder and its other end face.
    AddProfile("LineSeg( 0,0, 0,-12, 1 );\nLineSeg( 0,-12, 30,-12, 1 );\nLineSeg( 30,-12, 30,0, 1 );\n");
    const std::shared_ptr<HostPart> top = TopPart(part);
    ASSERT_TRUE(top);
    int cylinder = 0;
    for (std::size_t k = 0; k < top->Faces().size(); ++k)
        if (top->Faces()[k]->IsKind(SurfaceKind::Cylinder)) cylinder = static_cast<int>(k) + 1;
    ASSERT_NE(cylinder, 0);
    CommandScript().Run("thread M24x2 " + std::to_string(cylinder) + " 24 2\n");
    const std::vector<HostObjectPtr> found = part->ObjectsOfType(HostThreadDesignation::kObjectType);
    ASSERT_EQ(found.size(), 1u);
    const std::shared_ptr<HostThreadDesignation> designation = ThreadDesignationOf(found[0]);
    ASSERT_TRUE(designation);
    EXPECT_EQ(designation->Name(), "M24x2");
    EXPECT_EQ(designation->Diameter(), 24.0);
    EXPECT_EQ(designation->Pitch(), 2.0);
    EXPECT_EQ(designation->Surface(), top->Faces()[static_cast<std::size_t>(cylinder - 1)]);
    EXPECT_NEAR(designation->SurfaceDiameter(), 24.0, 1e-9);
    EXPECT_EQ(ThreadDesignationOf(top->Faces()[0]), nullptr) << "a face is no designation";

    for (const char* bad : {"thread M24 99 24 2\n", "thread M24 1 0 2\n", "thread M24 1 24\n", "thread M24 x 24 2\n"})
        EXPECT_THROW(CommandScript().Run(bad), ScriptError) << bad;
    EXPECT_EQ(part->ObjectsOfType(HostThreadDesignation::kObjectType).size(), 1u);
}

TEST(ThreadDesignationTest, WithoutASurfaceOfRevolutionTheSurfaceDiameterIsZero) {
    EXPECT_EQ(HostThreadDesignation("M10", 10, 1.5, nullptr).SurfaceDiameter(), 0.0);
}

}  // namespace
}  // namespace zarvento
