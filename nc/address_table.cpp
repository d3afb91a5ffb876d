// The process-wide table of NC address words.
#include "nc/address_table.h"

#include <cmath>

#include "platform/core/process_state.h"

namespace zarvento {

AddressTable& AddressTable::Global() {
    static AddressTable table;
    return table;
}

ZARVENTO_STATE_RESET { AddressTable::Global().Clear(); }

namespace {
std::string_view TrimLeadingBreaks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\r' || s.front() == '\n')) s.remove_prefix(1);
    return s;
}
}  // namespace

void AddressTable::AddWord(std::string_view name) {
    name = TrimLeadingBreaks(name);
    for (const Word& w : words_)
        if (w.name == name) return;
    words_.push_back(Word{std::string(name), 1e10, std::string(), 1.0});
}

void AddressTable::SetFormula(std::string_view name, std::string formula) {
    for (Word& w : words_)
        if (w.name == name) {
            w.formula = std::move(formula);
            return;
        }
}

int AddressTable::Reset(int mode, const std::function<bool(const std::string&, double&)>& evaluate) {
    for (Word& w : words_) {
        w.lastValue = 100000.0;
        w.factor = 1.0;
        double v = 0.0;
        if (!w.formula.empty() && evaluate && evaluate(w.formula, v) && std::fabs(v) > 0.000001) w.factor = v;
    }
    return mode;
}

const std::string* AddressTable::FindWord(std::string_view line, int& start, double& value, char suffix,
                                          double& scaled) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    Word* best = nullptr;
    for (Word& w : words_) {
        if (w.name.empty() || w.name.size() > line.size()) continue;
        const std::size_t at = line.size() - w.name.size();
        if (static_cast<long long>(at) <= start) continue;
        if (line.substr(at) != w.name) continue;
        if (best == nullptr || w.name.size() > best->name.size()) best = &w;
    }
    if (best == nullptr) return nullptr;
    start = static_cast<int>(line.size() - best->name.size());
    const double newValue = value;
    value = best->lastValue;
    scaled = newValue * best->factor;
    best->lastValue = suffix == 'f' ? 100000.0 : scaled;
    return &best->name;
}

const double* AddressTable::LastValue(std::string_view name) const {
    for (const Word& w : words_)
        if (w.name == name) return &w.lastValue;
    return nullptr;
}

void AddressTable::SetLastValue(std::string_view name, double value) {
    for (Word& w : words_)
        if (w.name == name) {
            w.lastValue = value;
            return;
        }
}

void AddressTable::ForgetValues() {
    for (Word& w : words_) w.lastValue = 100000.0;
}

void AddressTable::SaveValues() { saved_ = words_; }

void AddressTable::RestoreValues() {
    if (!saved_.empty() || words_.empty()) words_ = saved_;
}

void AddressTable::Clear() {
    words_.clear();
    saved_.clear();
}

}  // namespace zarvento
