// A variable of the part model: a name, a numeric value and a comment, in the
// model's order. A variable with an equation is computed by the model: a
// rebuild of the document sets its value.
#pragma once

#include <string>

#include "platform/core/host_object.h"

namespace zarvento {

class HostVariable : public HostObject {
public:
    HostVariable(std::string name, double value, std::string comment = {})
        : value_(value), comment_(std::move(comment)) {
        SetName(std::move(name));
    }

    double Value() const { return value_; }
    void SetValue(double v) { value_ = v; }
    const std::string& Comment() const { return comment_; }
    void SetComment(std::string c) { comment_ = std::move(c); }
    const std::string& Equation() const { return equation_; }
    void SetEquation(std::string e) { equation_ = std::move(e); }

private:
    double value_;
    std::string comment_;
    std::string equation_;
};

}  // namespace zarvento
