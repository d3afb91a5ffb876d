// The operation panel's recalculation of its copy's path, as every change of
// a control that moves the path makes it: multi-pass roughing of a wavy shaft
// of 200 units at 0.5 mm a pass through 100 mm of radial stock (a bar of
// 240 mm over a shaft of about 40 mm). The aim is an interactive edit: well
// under 50 ms. The counters give the frames and passes made.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>
#include <string>

#include "../tests/operations/multipass_test_support.h"
#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_mnogo_prohod.h"
#include "platform/core/numbers.h"
#include "platform/documents/hidden_document.h"
#include "runner_session.h"

namespace {

using namespace zarvento;

// A shaft of radius 20 with a wave of amplitude 1 over 199 lines of 0.2 mm,
// then the shoulder down to the bar's axis side.
std::string WavyShaft(int units, double& length) {
    std::ostringstream s;
    s.precision(17);
    const int n = units - 1;
    length = 0.2 * n;
    auto x = [](double z) { return -20.0 - std::sin(z * 2.0 * PI / 5.0); };
    for (int i = 0; i < n; ++i) {
        const double z1 = 5.0 - 0.2 * i, z2 = 5.0 - 0.2 * (i + 1);
        s << "LineSeg( " << z1 << "," << x(z1) << ", " << z2 << "," << x(z2) << ", 1 );\n";
    }
    const double z = 5.0 - length;
    s << "LineSeg( " << z << "," << x(z) << ", " << z << ",-130, 1 );\n";
    return s.str();
}

void BM_PanelRecalculatePath(benchmark::State& state) {
    bench::RunnerSession session("zarvento-turn-panel-bench");
    double length = 0.0;
    const std::string profile = WavyShaft(200, length);
    // 100 mm of stock over the shaft's radius of about 20 mm.
    session.Runner().Bar(length + 5.0, 240, 0, 2).InnerPoint(-1, -5);
    session.Runner().Tool(0, "Резец проходной", 0.8);
    session.Runner().Part(profile);
    auto& op = dynamic_cast<CTurnMnogoProhod&>(session.Runner().AddKind(kTurnMnogoProhod, profile, [](CTurn& o) {
        auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
        o.nToolPosition = 0;
        o.isAutoTool = false;
        test::SetCycleValue(m.turningCycle, "I", 0.5);
        test::SetCycleValue(m.turningCycle, "P4", 0.3);
    }));
    session.Runner().Run();
    if (op.HasErrorMessage()) {
        state.SkipWithError(op.messageText.c_str());
        return;
    }
    CreateHiddenDocument();
    TurnKindPanel<CTurnMnogoProhod> panel(op);
    panel.workContour = Contour::ContourCopy(op.workContour.get());
    panel.sourceContour = Contour::ContourCopy(op.sourceContour.get());
    for (auto _ : state) panel.RecalculatePath();
    state.counters["frames"] = static_cast<double>(panel.Frames().size());
    if (panel.HasErrorMessage()) state.SkipWithError(panel.messageText.c_str());
}
BENCHMARK(BM_PanelRecalculatePath)->Unit(benchmark::kMillisecond);

}  // namespace
