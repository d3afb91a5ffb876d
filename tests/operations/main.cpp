// The suite's start-up: the operations and the layers below them wired as the program wires them.
#include <gtest/gtest.h>

#include "operations/operations_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterOperationsLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
