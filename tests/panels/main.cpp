// The suite's start-up: the operations, on whose plans the panels are tried,
// and the layers below them wired as the program wires them; each test puts
// the panels on the host in place itself (StartPanels).
#include <gtest/gtest.h>

#include "operations/operations_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterOperationsLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
