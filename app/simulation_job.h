// zarvento simulate: the machining simulation of a part's plan on the
// headless host, its messages and the stock as machined.
#pragma once

namespace zarvento::app {

extern const char* const kSimulateUsage;

int RunSimulationJob(int argc, char** argv);

}  // namespace zarvento::app
