// The comparison of a computed text with its stored fixture file, shared by
// the suites that keep golden paths.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "test_support.h"

namespace zarvento::test {

// Compares the text with the fixture file at the path under the fixtures
// folder; ZARVENTO_WRITE_GOLDEN=1 stores it anew.
inline void ExpectGolden(const std::string& relative, const std::string& text) {
    const std::string path = FixturePath(relative);
    if (const char* write = std::getenv("ZARVENTO_WRITE_GOLDEN"); write && std::string(write) == "1") {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(text, golden.str()) << relative;
}

}  // namespace zarvento::test
