// A smoke run (scripts/bench-smoke.sh, in the test suite) runs every benchmark
// once at its smallest size so that none rots; a program that prints a
// comparison before its figures makes it at its smallest size too.
#pragma once

#include <cstdlib>
#include <string_view>

namespace zarvento::bench {

inline bool SmokeRun() {
    const char* value = std::getenv("ZARVENTO_BENCH_SMOKE");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

}  // namespace zarvento::bench
