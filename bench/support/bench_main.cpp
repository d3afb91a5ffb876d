// The benchmarks' start-up: the library wired as the program wires it.
#include <benchmark/benchmark.h>

#include "operations/operations_layer.h"

int main(int argc, char** argv) {
    zarvento::RegisterOperationsLayer();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
