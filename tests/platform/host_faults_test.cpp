#include "platform/core/host_faults.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvento {
namespace {

// Calls are counted by their names' text, wherever that text lies: one buffer
// carrying one name and then another, or one name in two buffers.
TEST(HostFaultsTest, CallsAreCountedByNameWhateverBufferCarriesIt) {
    HostFaults::Clear();
    std::string buffer = "Host.First";
    HostFaults::Check(buffer);
    HostFaults::Check(buffer);
    buffer.replace(5, 5, "Other");
    HostFaults::Check(buffer);
    const std::string copy = "Host.First";
    HostFaults::Check(copy);
    HostFaults::Check("Host.First");
    EXPECT_EQ(HostFaults::Calls("Host.First"), 4);
    EXPECT_EQ(HostFaults::Calls("Host.Other"), 1);
    EXPECT_EQ(HostFaults::TotalCalls(), 5);

    HostFaults::Clear();
    EXPECT_EQ(HostFaults::Calls("Host.First"), 0);
    HostFaults::Check(copy);
    EXPECT_EQ(HostFaults::Calls("Host.First"), 1);
    HostFaults::Clear();
}

}  // namespace
}  // namespace zarvento
