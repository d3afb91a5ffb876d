// Shared test helpers: a fixture that starts every test from clean
// process-wide state, and short accessors for the message log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/process_state.h"

namespace zarvento::test {

class CleanStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    static std::vector<std::string> Messages() { return MessageLog::Instance().AllTexts(); }
    static const std::vector<MessageEntry>& Entries() { return MessageLog::Instance().Entries(); }
};

// The fixture folder of the tests.
std::string FixturePath(const std::string& relative);

}  // namespace zarvento::test
