// PartVariable: one named entry of the part-variable table, numeric or text,
// with the tolerance of a dimension when the model shows one.
#pragma once

#include <memory>
#include <string>

namespace zarvento {

struct PartTolerance;

struct PartVariable {
    std::string name;  // without the "MODEL." prefix
    double value = 0.0;
    std::string text;
    char kind = 'd';  // 'd' numeric, 's' text
    std::string description;
    std::unique_ptr<PartTolerance> tolerance;
};

// Read in formulas as "MODEL." + dimension + ".t", ".h" or ".l".
struct PartTolerance {
    PartVariable t;                     // upper minus lower deviation
    PartVariable h;                     // upper deviation
    PartVariable l;                     // lower deviation
    PartVariable* dimension = nullptr;  // the entry this belongs to; not owned
};

}  // namespace zarvento
