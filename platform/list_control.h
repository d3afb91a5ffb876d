// The host's list control as a model: its lines in order.
#pragma once

#include <string>
#include <vector>

namespace zarvento {

class ListControl {
public:
    void Clear() { lines_.clear(); }
    void AddLine(std::string text) { lines_.push_back(std::move(text)); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

}  // namespace zarvento
