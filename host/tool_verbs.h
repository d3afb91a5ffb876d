// zarvento tool-model and tool-contour: a tool model document from its text
// form, and the 2D contour of a tool from its model.
#pragma once

namespace zarvento::app {

extern const char* const kToolUsage;

int RunToolModel(int argc, char** argv);
int RunToolContour(int argc, char** argv);

}  // namespace zarvento::app
