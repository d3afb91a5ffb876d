// The host's list control as a model: its lines in order.
#pragma once

#include <string>
#include <vector>

namespace zarvento {

class ListControl {
public:
    void Clear() { lines_.clear(); }
    void AddLine(std::string text) { lines_.push_back(std::move(text)); }
    // All items at once, in place of those there were (one host call).
    void SetLines(std::vector<std::string> lines) { lines_ = std::move(lines); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

}  // namespace zarvento
