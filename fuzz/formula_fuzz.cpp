// The formula evaluator: any text, with a few numeric variables to name.
#include <string>
#include <unordered_map>

#include "fuzz_support.h"
#include "nc/parameters.h"

namespace {

using namespace zarvento;

class Variables : public PARAMETERS {
public:
    const double* GetParameter(std::string_view name) override {
        const auto it = values_.find(std::string(name));
        return it == values_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string, double> values_{{"_X", -20.0}, {"_Z", 2.5},    {"_F", 0.2},    {"_S", 900.0},
                                                    {"i", 3.0},    {"_INCH", 1.0}, {"TOOL.r", 0.8}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshState fresh;
    Variables variables;
    double result = 0.0;
    variables.CalcFormula(result, fuzz::Text(data, size), true);
    std::string normalized;
    PARAMETERS::NormalizeSigns(fuzz::Text(data, size), normalized);
    return 0;
}
