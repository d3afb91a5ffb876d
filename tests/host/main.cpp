// The suite's start-up: the library module is linked in, so the suite plays
// the host that loads it: it starts the module (its attach step wires every
// layer) and ends it after the tests.
#include <gtest/gtest.h>

#include "host/zarvento_module.h"
#include "platform/processes/loaded_module.h"

int main(int argc, char** argv) {
    DllMain(zarvento::kDllProcessAttach);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    DllMain(zarvento::kDllProcessDetach);
    return result;
}
