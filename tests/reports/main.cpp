// The suite's start-up: the reports and the layers below them wired as the
// program wires them.
#include <gtest/gtest.h>

#include "reports/reports_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterReportsLayer();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
