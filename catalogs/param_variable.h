// ParamVariable: one variable of a tool or fixture model as the record keeps
// it (name, note, value, the expression of the note and its fallback).
#pragma once

#include <string>

namespace zarvento {

struct ParamVariable {
    std::string sName;
    std::string sNote;
    double dValue = 0;
    // The text between the note's braces, evaluated when the value is
    // written into the model.
    std::string sExpression;
    // With a non-empty expression, the grid shows the value read-only.
    bool isComputed = false;
    // Written into the model when the expression cannot be evaluated.
    double dDefault = 0;

    bool operator==(const ParamVariable&) const = default;
};

}  // namespace zarvento
