// The suite's start-up: the operation panels and the layers below them
// wired as the program wires them; each test puts the plan's panels on the
// host in place itself.
#include <gtest/gtest.h>

#include "operation_panels/operation_panels_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterOperationPanelsLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
