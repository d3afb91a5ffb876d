// The suite's start-up: the NC-frame layer wired as the program wires them.
#include <gtest/gtest.h>

#include "nc/nc_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterNcLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
