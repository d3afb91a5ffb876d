// Shared test helpers: a fixture that starts every test from clean
// process-wide state, and short accessors for the message log.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/host_error.h"

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

// The HostError that f raises; code S_OK_ when it raises none.
HostError CaughtHostError(const std::function<void()>& f);
// Its code alone.
inline HRESULT ErrorCodeOf(const std::function<void()>& f) { return CaughtHostError(f).Code(); }

// The fixture folder of the tests.
std::string FixturePath(const std::string& relative);

}  // namespace zarvento::test
