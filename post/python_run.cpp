// The script's arguments, the units factor and the run's time limits.
#include "post/python_run.h"

#include "platform/core/process_state.h"

namespace zarvento {

PythonRunTimeouts& PythonRunTimeouts::Current() {
    static PythonRunTimeouts timeouts;
    return timeouts;
}

ZARVENTO_STATE_RESET { PythonRunTimeouts::Current() = PythonRunTimeouts{}; }

double UnitsFactor(int nINCH) {
    switch (nINCH) {
        case 1: return 25.40038;
        case 2: return 10.0;
        default: return 1.0;
    }
}

std::string UnitsFactorText(int nINCH) {
    switch (nINCH) {
        case 0: return "1.0";
        case 1: return "25.40038";
        case 2: return "10.0";
        default: return {};
    }
}

std::vector<std::string> ScriptArguments(const std::string& descriptionPath, bool hasCncCodes, int indCODE,
                                         bool exportRun, const std::string& temporaryDirectory, int nINCH) {
    std::vector<std::string> arguments{descriptionPath};
    if (hasCncCodes) arguments.push_back(std::to_string(indCODE));
    if (exportRun) arguments.push_back(temporaryDirectory);
    std::string factor = UnitsFactorText(nINCH);
    if (!factor.empty()) arguments.push_back(std::move(factor));
    return arguments;
}

}  // namespace zarvento
