// The suite's start-up: the simulation and the layers below it wired as the program wires them.
#include <gtest/gtest.h>

#include "simulation/simulation_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterSimulationLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
