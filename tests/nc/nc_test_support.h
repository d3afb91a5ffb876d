// Small providers and post-processing links for the formula and provider tests.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "nc/parameters.h"
#include "nc/post_links.h"

namespace zarvento::test {

// A provider with plain values and with variables that are formulas
// themselves, evaluated nested as a cycle parameter is. Records every name
// it is asked for.
class VariableTable : public PARAMETERS {
public:
    explicit VariableTable(PARAMETERS* parentProvider = nullptr) : PARAMETERS(parentProvider) {}

    const double* GetParameter(std::string_view name) override {
        asked.emplace_back(name);
        const std::string key(name);
        if (auto f = formulas.find(key); f != formulas.end()) {
            double v = 0.0;
            if (!CalcFormula(v, f->second, false)) return nullptr;
            return &(evaluated[key] = v);
        }
        if (auto v = values.find(key); v != values.end()) return &v->second;
        return ParentParameter(name);
    }

    std::map<std::string, double> values;
    std::map<std::string, std::string> formulas;
    std::map<std::string, double> evaluated;
    std::vector<std::string> asked;
};

// Registers itself as the post-processing links for its lifetime.
class FakePostLinks : public PostLinks {
public:
    FakePostLinks() : previous_(RegisterPostLinks(this)) {}
    ~FakePostLinks() override { RegisterPostLinks(previous_); }
    FakePostLinks(const FakePostLinks&) = delete;
    FakePostLinks& operator=(const FakePostLinks&) = delete;

    bool SelectFromTable(double& result, std::string_view arguments, bool reset, PARAMETERS& provider) override {
        tableCalls.emplace_back(arguments);
        return table && table(result, arguments, reset, provider);
    }
    const double* AddressWordValue(std::string_view name) override {
        auto w = words.find(std::string(name));
        return w == words.end() ? nullptr : &w->second;
    }

    std::function<bool(double&, std::string_view, bool, PARAMETERS&)> table;
    std::vector<std::string> tableCalls;
    std::map<std::string, double> words;

private:
    PostLinks* previous_;
};

}  // namespace zarvento::test
