// zarvento statistics: the machining statistics of a part's plan and its
// cost estimate, as the statistics dialog and the cost estimate show them.
#pragma once

namespace zarvento::app {

extern const char* const kStatisticsUsage;

int RunStatisticsJob(int argc, char** argv);

}  // namespace zarvento::app
