// The suite's start-up: post-processing and the layers below it wired as the program wires them.
#include <gtest/gtest.h>

#include "post/post_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterPostLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
