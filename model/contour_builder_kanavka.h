// The groove builder: the groove's contour, checked for width and prolonged
// onto the stock across the groove's width.
#pragma once

#include <memory>

#include "model/contour_builder.h"

namespace zarvento {

inline constexpr const char* kGrooveWidthMessage = "Ширина канавки должна быть больше 0.1 мм";

class CContourBuilderKanavka : public CContourBuilder {
public:
    // Null, with a message, for a groove narrower than 0.1.
    std::unique_ptr<Contour> Build() override;

    // 0: the groove is cut radially and its width runs along Z; otherwise
    // the width runs along X.
    int grooveDirection = 0;
};

}  // namespace zarvento
