// HostCallTime: a sum of host-call durations on the steady clock.
#include "platform/core/host_call_time.h"

#include <chrono>

namespace zarvento {

namespace {
bool measuring = false;
int depth = 0;
long long total = 0;  // nanoseconds

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void HostCallTime::Start() {
    measuring = true;
    depth = 0;
    total = 0;
}

void HostCallTime::Stop() { measuring = false; }

double HostCallTime::Seconds() { return static_cast<double>(total) * 1e-9; }

HostCallTime::Scope::Scope() {
    if (!measuring) return;
    outer_ = depth++ == 0;
    if (outer_) start_ = Now();
}

HostCallTime::Scope::~Scope() {
    if (!measuring || depth == 0) return;
    --depth;
    if (outer_) total += Now() - start_;
}

}  // namespace zarvento
