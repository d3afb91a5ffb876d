// PARAMETERS: the base of every variable provider and the one formula
// evaluator of the system, with the process-wide FormulaErrorText.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

// The last cyclic-dependency error of any provider; machine cycles empty it
// before each parameter and the parameter dialog shows it.
extern std::string FormulaErrorText;

inline constexpr const char* kFormulaSyntaxError = "синтаксическая ошибка";
inline constexpr const char* kFormulaDivisionByZero = "деление на ноль";
inline constexpr const char* kFormulaSqrtNegative = "аргумент sqrt отрицательная величина";
inline constexpr const char* kFormulaCyclicDependency = "Циклическая зависимость ";
// Ours: nesting beyond kMaxFormulaDepth would only exhaust the stack.
inline constexpr const char* kFormulaTooDeep = "слишком глубокая вложенность формулы";

// Nested evaluations (parentheses, logical parts, variables that are formulas
// themselves) allowed at once, over all providers.
inline constexpr int kMaxFormulaDepth = 200;
// Parenthesised groups expanded on one level; a further group is left as text.
inline constexpr int kMaxFormulaGroups = 100;

// A formula read once for evaluating many times: CalcFormula on it gives the
// value, the errors and the calls to providers that its text gives. A text
// that names select_from_table, or nests deeper than any evaluation may go,
// is evaluated as text.
class ParsedFormula {
public:
    ParsedFormula() = default;
    explicit ParsedFormula(std::string_view text);

    const std::string& Text() const { return text_; }
    // False when the text itself is evaluated.
    bool IsParsed() const { return root_ != nullptr; }

    struct Node;

private:
    friend class PARAMETERS;
    std::string text_;
    std::shared_ptr<const Node> root_;
};

class PARAMETERS {
public:
    virtual ~PARAMETERS() = default;

    // The named numeric variable, or null. The pointer refers to storage of the
    // answering object and stays valid while that object lives unchanged.
    virtual const double* GetParameter(std::string_view name);
    virtual const std::string* GetStringParameter(std::string_view name);

    // Evaluates a formula on this provider. The caller presets result; an empty
    // formula and a false comparison leave it. Top-level callers pass reset
    // true; a provider evaluating a variable's own formula passes false, so a
    // formula met again while it is still being evaluated is a cycle.
    bool CalcFormula(double& result, std::string_view formula, bool reset);
    bool CalcFormula(double& result, const ParsedFormula& formula, bool reset);
    // The recursive evaluator; logical true runs the ?:, &&, || and comparison
    // layer before the arithmetic.
    bool EvaluateFormula(double& result, std::string_view text, bool logical);

    // Drops blanks and folds sign runs into out; false on a syntax error.
    static bool NormalizeSigns(std::string_view text, std::string& out);
    static bool IsNumber(std::string_view text);

    // The next provider outward; not owned, null at the end of the chain.
    PARAMETERS* parent = nullptr;
    // The evaluator's last error message on this provider; only ever assigned.
    std::string errorText;

protected:
    explicit PARAMETERS(PARAMETERS* parentProvider = nullptr) : parent(parentProvider) {}
    // A copy links to the same parent and starts with nothing under evaluation.
    PARAMETERS(const PARAMETERS& other) : parent(other.parent), errorText(other.errorText) {}
    PARAMETERS& operator=(const PARAMETERS& other) {
        parent = other.parent;
        errorText = other.errorText;
        return *this;
    }

    // The parent's answer, null at the end of the chain.
    const double* ParentParameter(std::string_view name) const { return parent ? parent->GetParameter(name) : nullptr; }
    const std::string* ParentStringParameter(std::string_view name) const {
        return parent ? parent->GetStringParameter(name) : nullptr;
    }

private:
    friend class FormulaStackEntry;

    bool EvaluateLogical(double& result, std::string_view text);
    bool EvaluateArithmetic(double& result, std::string_view text);
    bool EvaluateOperand(std::string_view operand, const double* groups, int groupCount, double& value);

    // Formula texts under evaluation on this provider, innermost last. Each
    // entry views a text that lives in the frame of the CalcFormula that
    // pushed it, and is popped when that call returns.
    std::vector<std::string_view> formulaStack;
};

}  // namespace zarvento
