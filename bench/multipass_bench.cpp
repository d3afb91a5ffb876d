// Benchmarks of the multi-pass operation through the headless runner:
// longitudinal roughing with the clean-up and finishing passes of a wavy
// shaft and of a stepped shaft of 100, 1,000 and 5,000 units, recalculated
// whole (regions, plan-angle trimming, passes, finishing); the counters give
// the frames made.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "../tests/operations/multipass_test_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "platform/core/numbers.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

// Profiles as a spline approximation or a drawing gives them: units of
// 0.1 to 0.5 mm, so that a longer profile is a longer shaft.
struct Shaft {
    std::string profile;
    double length;  // from z = 5 towards -Z
};

// A shaft of radius 20 with a wave of amplitude 1 and a period of 5 mm,
// approximated by lines of 0.1 mm, then the shoulder.
Shaft WavyShaft(int units) {
    std::ostringstream s;
    s.precision(17);
    const int n = units - 1;
    const double length = 0.1 * n;
    auto x = [](double z) { return -20.0 - std::sin(z * 2.0 * PI / 5.0); };
    for (int i = 0; i < n; ++i) {
        const double z1 = 5.0 - 0.1 * i, z2 = 5.0 - 0.1 * (i + 1);
        s << "LineSeg( " << z1 << "," << x(z1) << ", " << z2 << "," << x(z2) << ", 1 );\n";
    }
    const double z = 5.0 - length;
    s << "LineSeg( " << z << "," << x(z) << ", " << z << ",-30, 1 );\n";
    return {s.str(), length};
}

// A shaft stepping out from radius 10 at the free end to radius 24 in
// `units` / 2 steps of 0.5 mm, each a diameter then a face.
Shaft SteppedShaft(int units) {
    std::ostringstream s;
    s.precision(17);
    const int steps = units / 2;
    double z = 5.0, x = -10.0;
    for (int i = 0; i < steps; ++i) {
        const double z2 = z - 0.5;
        const double x2 = i + 1 == steps ? -30.0 : x - 14.0 / steps;
        s << "LineSeg( " << z << "," << x << ", " << z2 << "," << x << ", 1 );\n";
        s << "LineSeg( " << z2 << "," << x << ", " << z2 << "," << x2 << ", 1 );\n";
        z = z2;
        x = x2;
    }
    return {s.str(), 0.5 * steps};
}

class Bench {
public:
    Bench(const Shaft& shaft, int feedDirection) : session_("zarvento-multipass-bench") {
        // The bar reaches past the shoulder at the profile's end.
        session_.Runner().Bar(shaft.length + 5.0, 50, 0, 2).InnerPoint(-1, -5);
        session_.Runner().Tool(0, "Резец проходной", 0.8);
        session_.Runner().Part(shaft.profile);
        op_ =
            &dynamic_cast<CTurnMnogoProhod&>(session_.Runner().AddKind(kTurnMnogoProhod, shaft.profile, [&](CTurn& o) {
                auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
                test::SetCycleValue(m.turningCycle, "I", 1.0);
                test::SetCycleValue(m.turningCycle, "P3", feedDirection);
                test::SetCycleValue(m.turningCycle, "P4", 0.3);
            }));
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    void Run() { session_.Runner().Run(); }
    const CTurnMnogoProhod& Operation() const { return *op_; }

private:
    bench::RunnerSession session_;
    CTurnMnogoProhod* op_ = nullptr;
};

void Report(benchmark::State& state, const Bench& bench) {
    state.counters["frames"] = static_cast<double>(bench.Operation().Frames().size());
    state.counters["units"] = static_cast<double>(state.range(0));
    if (!bench.Operation().messageText.empty()) state.SkipWithError(bench.Operation().messageText.c_str());
}

void BM_RoughAndFinishWavyShaft(benchmark::State& state) {
    Bench bench(WavyShaft(static_cast<int>(state.range(0))), static_cast<int>(state.range(1)));
    for (auto _ : state) bench.Run();
    Report(state, bench);
}
BENCHMARK(BM_RoughAndFinishWavyShaft)
    ->ArgsProduct({{100, 1000, 5000}, {0, 1}})
    ->ArgNames({"units", "facing"})
    ->Unit(benchmark::kMillisecond);

void BM_RoughAndFinishSteppedShaft(benchmark::State& state) {
    Bench bench(SteppedShaft(static_cast<int>(state.range(0))), static_cast<int>(state.range(1)));
    for (auto _ : state) bench.Run();
    Report(state, bench);
}
BENCHMARK(BM_RoughAndFinishSteppedShaft)
    ->ArgsProduct({{100, 1000, 5000}, {0, 1}})
    ->ArgNames({"units", "facing"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
