// A tool-life stop, written only by its template; "_Tstop" is the working
// time at which the tool's life ran out.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_SP : public CCadreCode {
public:
    explicit CCadre_SP(double stop) : CCadreCode("SP", nullptr), stopValue(stop) {}

    double* GetVariable(std::string_view name) override {
        if (name == "_Tstop") return &stopValue;
        return CCadreCode::GetVariable(name);
    }

    double stopValue = 0.0;
};

}  // namespace zarvento
