// The channel builder's build from the contour choice.
#include "operations/turn_contour_builder.h"

namespace zarvento {

TurnContourBuilder::~TurnContourBuilder() = default;

std::unique_ptr<Contour> TurnContourBuilder::Build() {
    if (!choice) return nullptr;
    auto built = std::make_unique<Contour>();
    for (int i = 0; i < choice->Count(); ++i) {
        const CUnit* unit = choice->GetUnit(i);
        if (unit && unit->Selected) built->AddUnit(unit->Clone());
    }
    if (built->Count() == 0) return nullptr;
    return built;
}

}  // namespace zarvento
