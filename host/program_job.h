// zarvento program: the main job. Opens a part document, synchronises and
// recalculates its plan and writes the plan's NC program to a file.
#pragma once

namespace zarvento::app {

extern const char* const kProgramUsage;

int RunProgramJob(int argc, char** argv);

}  // namespace zarvento::app
