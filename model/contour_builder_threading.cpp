// The threading builder's picking rule and build.
#include "model/contour_builder_threading.h"

namespace zarvento {

void CContourBuilderThreading::HighlightUnit(const HostObjectPtr& object) { HighlightSingle(object, true); }

std::unique_ptr<Contour> CContourBuilderThreading::Build() {
    if (suppressBuild) return nullptr;
    return ContourByMethod();
}

}  // namespace zarvento
