// CPropertyMaterial: the read-only dialog that lists the part's material
// record: its designation, group, MC code, stock form, structural class,
// hardness and composition, a row for each property that holds something.
#pragma once

#include <string>
#include <vector>

#include "nc/material.h"

namespace zarvento {

struct MaterialPropertyRow {
    std::string caption;
    std::string value;
};

// The dialog's rows, in order: a text property when it is not empty, a
// number (printed "%g") when it is above 1e-6; the stock form always.
std::vector<MaterialPropertyRow> MaterialPropertyRows(const MATERIAL& material);

// The note under the list.
inline constexpr const char* kMaterialSourceNote =
    "Хим. состав получен из справочника \"Материалы и Сортаменты для VOVUVE\"";

}  // namespace zarvento
