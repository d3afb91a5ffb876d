// The suite's start-up: the plan and the layers below it wired as the program wires them.
#include <gtest/gtest.h>

#include "plan/plan_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterPlanLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
