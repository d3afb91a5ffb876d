// The suite's start-up: the operations, on whose plans the statistics and
// the cost estimate are tried, and the layers below them wired as the program
// wires them; each test starts the panels and the reports itself.
#include <gtest/gtest.h>

#include "operations/operations_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterOperationsLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
