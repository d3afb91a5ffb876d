// The formula evaluator: table look-up and cycle check, then a logical layer
// (?:, && ||, comparisons within EPS) over an arithmetic layer (signs, groups,
// twelve functions, ^ then * / then + -).
#include "nc/parameters.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "geometry/primitives.h"
#include "nc/post_links.h"
#include "platform/core/process_state.h"

namespace zarvento {

std::string FormulaErrorText;

namespace {

// Nesting of EvaluateFormula over all providers: formulas nest through
// variables from one provider into another, so one counter guards them all.
int g_formulaDepth = 0;

ZARVENTO_STATE_RESET {
    FormulaErrorText.clear();
    g_formulaDepth = 0;
}

class DepthGuard {
public:
    DepthGuard() { ++g_formulaDepth; }
    ~DepthGuard() { --g_formulaDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return g_formulaDepth > kMaxFormulaDepth; }
};

constexpr std::string_view kTableFunction = "select_from_table";

bool IsOperator(char c) { return c == '+' || c == '-' || c == '*' || c == '/' || c == '^'; }

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// True when the text's first "(" is closed by its last ")". Testing only the
// two end characters would strip (a+b)*(c+d) into a+b)*(c+d.
bool EnclosedInPair(std::string_view text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') {
            ++depth;
        } else if (text[i] == ')') {
            if (--depth == 0) return i == text.size() - 1;
        }
    }
    return false;
}

// Position of the first c outside parentheses, at or after from.
std::size_t FindAtTopLevel(std::string_view text, char c, std::size_t from = 0) {
    int depth = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '(') {
            ++depth;
        } else if (ch == ')') {
            --depth;
        } else if (depth == 0 && ch == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Position of the first "&&" or "||" outside parentheses.
std::size_t FindLogicalOperator(std::string_view text) {
    int depth = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '(') {
            ++depth;
        } else if (ch == ')') {
            --depth;
        } else if (depth == 0 && (ch == '&' || ch == '|') && text[i + 1] == ch) {
            return i;
        }
    }
    return std::string_view::npos;
}

enum class Comparison { None, Equal, NotEqual, Greater, GreaterEqual, Less, LessEqual };

// The first comparison outside parentheses; a lone "=" or "!" starts none.
Comparison FindComparison(std::string_view text, std::size_t& pos, std::size_t& length) {
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const bool nextIsEqual = i + 1 < text.size() && text[i + 1] == '=';
        if (ch == '(') {
            ++depth;
            continue;
        }
        if (ch == ')') {
            --depth;
            continue;
        }
        if (depth != 0) continue;
        pos = i;
        length = nextIsEqual ? 2 : 1;
        if (ch == '=' && nextIsEqual) return Comparison::Equal;
        if (ch == '!' && nextIsEqual) return Comparison::NotEqual;
        if (ch == '>') return nextIsEqual ? Comparison::GreaterEqual : Comparison::Greater;
        if (ch == '<') return nextIsEqual ? Comparison::LessEqual : Comparison::Less;
    }
    return Comparison::None;
}

bool ComparisonHolds(Comparison op, double a, double b) {
    switch (op) {
        case Comparison::Equal: return std::fabs(a - b) < EPS;
        case Comparison::NotEqual: return std::fabs(a - b) > EPS;
        case Comparison::Greater: return a > b + EPS;
        case Comparison::GreaterEqual: return a > b - EPS;
        case Comparison::Less: return a < b - EPS;
        case Comparison::LessEqual: return a < b + EPS;
        case Comparison::None: break;
    }
    return false;
}

// A number operand that passed IsNumber: "", "." and "5." read as usual.
// A value beyond the range of a double is no number we can compute with.
bool ReadNumber(std::string_view text, double& value) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (!ReadNumber(text.substr(1), value)) return false;
        if (text.front() == '-') value = -value;
        return true;
    }
    if (text.empty() || text == ".") {
        value = 0.0;
        return true;
    }
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow has a non-zero digit before the point.
        const std::string_view whole = text.substr(0, text.find('.'));
        if (whole.find_first_not_of('0') != std::string_view::npos) return false;
        value = 0.0;
        return true;
    }
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = v;
    return true;
}

bool ApplyFunction(std::string_view name, double x, double& value, std::string& errorText) {
    if (name.size() == 3) {
        if (name == "cos") return value = std::cos(x), true;
        if (name == "sin") return value = std::sin(x), true;
        if (name == "tan") return value = std::tan(x), true;
        if (name == "log") return value = std::log(x), true;
        if (name == "exp") return value = std::exp(x), true;
        if (name == "abs") return value = std::fabs(x), true;
        if (name == "inv") return value = (x == 0.0 ? 1.0 : 0.0), true;
    } else if (name.size() == 4) {
        if (name == "asin") return value = std::asin(x), true;
        if (name == "atan") return value = std::atan(x), true;
        if (name == "ceil") return value = std::ceil(x), true;
        if (name == "sqrt") {
            // Rounding leaves zero a hair below 0; only a true negative is an error.
            if (x < -EPS) {
                errorText = kFormulaSqrtNegative;
                return false;
            }
            value = x > 0.0 ? std::sqrt(x) : 0.0;
            return true;
        }
    } else if (name.size() == 5) {
        if (name == "floor") return value = std::floor(x), true;
    }
    return false;
}

void AppendIndex(std::string& text, int index) {
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, index);
    text += '$';
    text.append(buf, end);
}

// A table value as it replaces the select_from_table call: seven decimals; a
// negative value in parentheses, so that 2*select_from_table(...) stays valid.
std::string FormatTableValue(double value) {
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 7);
    std::string text = ec == std::errc() ? std::string(buf, end) : std::string("nan");
    if (value < 0.0) text = "(" + text + ")";
    return text;
}

// Operands in text order, folded as they come: a run joined by ^ (left to
// right), then * and / over those runs, then + and -. A division by zero is
// remembered rather than reported, so that every operand is evaluated first
// and its own error comes first.
class ArithmeticFold {
public:
    explicit ArithmeticFold(bool negative) : negative_(negative) {}

    // The next operand and the operator before it (0 for the first).
    void Add(char op, double value) {
        if (op == 0) {
            power_ = negative_ ? -value : value;
        } else if (op == '^') {
            power_ = std::pow(power_, value);
        } else {
            ClosePower();
            if (op == '+' || op == '-') {
                CloseProduct();
                sumOp_ = op;
                productOp_ = 0;
            } else {
                productOp_ = op;
            }
            power_ = value;
        }
    }
    // The value, into `result`; false (and `result` untouched) after a
    // division by zero.
    bool Finish(double& result) {
        ClosePower();
        CloseProduct();
        if (divisionByZero_) return false;
        result = sum_;
        return true;
    }

private:
    void ClosePower() {
        if (productOp_ == 0) {
            product_ = power_;
        } else if (productOp_ == '*') {
            product_ *= power_;
        } else if (std::fabs(power_) < EPS) {
            divisionByZero_ = true;
        } else {
            product_ /= power_;
        }
    }
    void CloseProduct() {
        if (sumOp_ == 0)
            sum_ = product_;
        else if (sumOp_ == '+')
            sum_ += product_;
        else
            sum_ -= product_;
    }

    bool negative_;
    double sum_ = 0.0;
    char sumOp_ = 0;  // 0 until the first term is complete
    double product_ = 0.0;
    char productOp_ = 0;
    double power_ = 0.0;
    bool divisionByZero_ = false;
};

}  // namespace

// --- parsed formulas ---
//
// A parsed formula keeps what the evaluator above finds in the text: the
// pieces of each layer and where its errors stand. Every node is evaluated
// where the text evaluator makes a nested EvaluateFormula call, with the same
// depth count, so that values, error texts and the order in which variables
// are asked for stay those of the text.

struct ParsedOperand {
    enum class Kind : std::uint8_t { Fail, Number, Group, Function, Variable };
    Kind kind = Kind::Fail;
    int index = 0;       // the group of Group and Function
    double value = 0.0;  // Number
    std::string name;    // the function or the variable
};

struct ParsedFormula::Node {
    enum class Kind : std::uint8_t { Ternary, Logical, Comparison, Arithmetic };
    Kind kind = Kind::Arithmetic;
    // Logical layer: enclosing pairs stripped before the node's own text.
    int pairs = 0;
    bool hasElse = false;
    char logicalOp = 0;
    Comparison comparison = Comparison::None;
    // Ternary: condition, then [, else]; Logical: both sides (logical);
    // Comparison: both sides (arithmetic).
    std::vector<Node> parts;
    // Arithmetic layer.
    bool syntaxError = false;
    std::vector<Node> groups;   // evaluated in order before the operands
    bool brokenGroups = false;  // unbalanced: fails after the groups above
    bool empty = false;         // no operand: the result stays
    bool negative = false;
    std::vector<ParsedOperand> operands;
    std::string ops;  // ops[k] stands between operands k and k + 1
};

namespace {

using Node = ParsedFormula::Node;

// Parsing goes no deeper than an evaluation may: a text nested deeper is
// evaluated as text and fails there as it always did.
constexpr int kMaxParseDepth = kMaxFormulaDepth + 2;

ParsedOperand ParseOperand(std::string_view operand, int groupCount) {
    ParsedOperand out;
    const std::size_t dollar = operand.find('$');
    if (dollar != std::string_view::npos) {
        const std::string_view digits = operand.substr(dollar + 1);
        int index = -1;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec != std::errc() || end != digits.data() + digits.size() || index < 0 || index >= groupCount) return out;
        out.index = index;
        if (dollar == 0) {
            out.kind = ParsedOperand::Kind::Group;
        } else {
            out.kind = ParsedOperand::Kind::Function;
            out.name = operand.substr(0, dollar);
        }
        return out;
    }
    if (PARAMETERS::IsNumber(operand)) {
        if (ReadNumber(operand, out.value)) out.kind = ParsedOperand::Kind::Number;
        return out;
    }
    out.kind = ParsedOperand::Kind::Variable;
    out.name = operand;
    return out;
}

bool ParseArithmetic(std::string_view text, Node& node, int depth);

bool ParseLogical(std::string_view text, Node& node, int depth) {
    if (depth > kMaxParseDepth) return false;
    text = TrimBlanks(text);
    while (EnclosedInPair(text)) {
        if (++node.pairs > kMaxParseDepth) return false;
        text = TrimBlanks(text.substr(1, text.size() - 2));
    }
    if (const std::size_t question = FindAtTopLevel(text, '?'); question != std::string_view::npos) {
        const std::size_t colon = FindAtTopLevel(text, ':', question + 1);
        node.kind = Node::Kind::Ternary;
        node.hasElse = colon != std::string_view::npos;
        node.parts.resize(node.hasElse ? 3 : 2);
        const std::string_view thenPart =
            node.hasElse ? text.substr(question + 1, colon - question - 1) : text.substr(question + 1);
        return ParseLogical(text.substr(0, question), node.parts[0], depth + 1) &&
               ParseLogical(thenPart, node.parts[1], depth + 1) &&
               (!node.hasElse || ParseLogical(text.substr(colon + 1), node.parts[2], depth + 1));
    }
    if (const std::size_t op = FindLogicalOperator(text); op != std::string_view::npos) {
        node.kind = Node::Kind::Logical;
        node.logicalOp = text[op];
        node.parts.resize(2);
        return ParseLogical(text.substr(0, op), node.parts[0], depth + 1) &&
               ParseLogical(text.substr(op + 2), node.parts[1], depth + 1);
    }
    std::size_t pos = 0;
    std::size_t length = 0;
    if (const Comparison op = FindComparison(text, pos, length); op != Comparison::None) {
        node.kind = Node::Kind::Comparison;
        node.comparison = op;
        node.parts.resize(2);
        return ParseArithmetic(text.substr(0, pos), node.parts[0], depth + 1) &&
               ParseArithmetic(text.substr(pos + length), node.parts[1], depth + 1);
    }
    return ParseArithmetic(text, node, depth);
}

bool ParseArithmetic(std::string_view text, Node& node, int depth) {
    if (depth > kMaxParseDepth) return false;
    node.kind = Node::Kind::Arithmetic;
    std::string normalized;
    if (!PARAMETERS::NormalizeSigns(text, normalized)) {
        node.syntaxError = true;
        return true;
    }
    std::string substituted;
    std::string_view work = normalized;
    if (normalized.find_first_of("()") != std::string::npos) {
        substituted.reserve(normalized.size());
        int open = 0;
        std::size_t start = 0;
        std::size_t i = 0;
        for (; i < normalized.size() && static_cast<int>(node.groups.size()) < kMaxFormulaGroups; ++i) {
            const char c = normalized[i];
            if (c == '(') {
                if (open == 0) start = i;
                ++open;
            } else if (c == ')') {
                if (open == 0) {
                    node.brokenGroups = true;
                    return true;
                }
                if (--open == 0) {
                    node.groups.emplace_back();
                    const std::string_view inner = std::string_view(normalized).substr(start + 1, i - start - 1);
                    if (!ParseArithmetic(inner, node.groups.back(), depth + 1)) return false;
                    AppendIndex(substituted, static_cast<int>(node.groups.size()) - 1);
                }
            } else if (open == 0) {
                substituted += c;
            }
        }
        if (i < normalized.size()) {
            substituted.append(normalized, i, std::string::npos);
        } else if (open != 0) {
            node.brokenGroups = true;
            return true;
        }
        work = substituted;
    }
    if (work.empty()) {
        node.empty = true;
        return true;
    }
    std::size_t pos = 0;
    if (work.front() == '-' || work.front() == '+') {
        node.negative = work.front() == '-';
        pos = 1;
    }
    const int groupCount = static_cast<int>(node.groups.size());
    while (true) {
        std::size_t next = pos;
        while (next < work.size() && !IsOperator(work[next])) ++next;
        node.operands.push_back(ParseOperand(work.substr(pos, next - pos), groupCount));
        if (next >= work.size()) break;
        node.ops += work[next];
        pos = next + 1;
    }
    return true;
}

bool EvaluateParsedLogical(PARAMETERS& p, const Node& node, double& result);
bool EvaluateParsedArithmetic(PARAMETERS& p, const Node& node, double& result);

// Stands where the text evaluator calls EvaluateFormula.
bool EvaluateNode(PARAMETERS& p, const Node& node, double& result, bool logical) {
    DepthGuard depth;
    if (depth.TooDeep()) {
        p.errorText = kFormulaTooDeep;
        return false;
    }
    return logical ? EvaluateParsedLogical(p, node, result) : EvaluateParsedArithmetic(p, node, result);
}

bool EvaluateParsedLogical(PARAMETERS& p, const Node& node, double& result) {
    // The text evaluator checks the depth before stripping each pair.
    if (node.pairs > 0 && node.pairs - 1 + g_formulaDepth >= kMaxFormulaDepth) {
        p.errorText = kFormulaTooDeep;
        return false;
    }
    double a = 0.0;
    double b = 0.0;
    switch (node.kind) {
        case Node::Kind::Ternary: {
            double c = 0.0;
            const bool conditionOk = EvaluateNode(p, node.parts[0], c, true);
            const bool thenOk = EvaluateNode(p, node.parts[1], a, true);
            if (!node.hasElse) {
                if (!conditionOk || !thenOk || c == 0.0) return false;
                result = a;
                return true;
            }
            const bool elseOk = EvaluateNode(p, node.parts[2], b, true);
            if (!conditionOk || !thenOk || !elseOk) return false;
            result = c != 0.0 ? a : b;
            return true;
        }
        case Node::Kind::Logical: {
            const bool leftOk = EvaluateNode(p, node.parts[0], a, true);
            const bool rightOk = EvaluateNode(p, node.parts[1], b, true);
            if (!leftOk || !rightOk) return false;
            if (node.logicalOp == '&')
                result = (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
            else
                result = (a != 0.0 || b != 0.0) ? 1.0 : 0.0;
            return true;
        }
        case Node::Kind::Comparison: {
            const bool leftOk = EvaluateNode(p, node.parts[0], a, false);
            const bool rightOk = EvaluateNode(p, node.parts[1], b, false);
            if (!leftOk || !rightOk) return false;
            if (ComparisonHolds(node.comparison, a, b)) result = 1.0;
            return true;
        }
        case Node::Kind::Arithmetic: break;
    }
    return EvaluateParsedArithmetic(p, node, result);
}

bool EvaluateParsedOperand(PARAMETERS& p, const ParsedOperand& operand, const double* groups, double& value) {
    switch (operand.kind) {
        case ParsedOperand::Kind::Fail: return false;
        case ParsedOperand::Kind::Number: value = operand.value; return true;
        case ParsedOperand::Kind::Group: value = groups[operand.index]; return true;
        case ParsedOperand::Kind::Function:
            return ApplyFunction(operand.name, groups[operand.index], value, p.errorText);
        case ParsedOperand::Kind::Variable: break;
    }
    const double* variable = p.GetParameter(operand.name);
    if (!variable) return false;
    value = *variable;
    return true;
}

bool EvaluateParsedArithmetic(PARAMETERS& p, const Node& node, double& result) {
    if (node.syntaxError) {
        p.errorText = kFormulaSyntaxError;
        return false;
    }
    double groups[kMaxFormulaGroups];
    for (std::size_t k = 0; k < node.groups.size(); ++k) {
        double value = 0.0;
        if (!EvaluateNode(p, node.groups[k], value, false)) return false;
        groups[k] = value;
    }
    if (node.brokenGroups) return false;
    if (node.empty) return true;

    ArithmeticFold fold(node.negative);
    for (std::size_t k = 0; k < node.operands.size(); ++k) {
        double value = 0.0;
        if (!EvaluateParsedOperand(p, node.operands[k], groups, value)) return false;
        fold.Add(k == 0 ? 0 : node.ops[k - 1], value);
    }
    if (!fold.Finish(result)) {
        p.errorText = kFormulaDivisionByZero;
        return false;
    }
    return true;
}

}  // namespace

ParsedFormula::ParsedFormula(std::string_view text) : text_(text) {
    if (text.find(kTableFunction) != std::string_view::npos) return;  // its value is looked up on every call
    auto root = std::make_shared<Node>();
    if (ParseLogical(text_, *root, 1)) root_ = std::move(root);
}

// Keeps one formula on its provider's stack for the time of one CalcFormula.
// A reset starts a new stack. A formula already on the stack depends on
// itself: it is not put on again, and the entry is not open.
class FormulaStackEntry {
public:
    FormulaStackEntry(PARAMETERS& provider, std::string_view text, bool reset) : stack_(provider.formulaStack) {
        if (reset) stack_.clear();
        index_ = stack_.size();
        if (!reset && std::find(stack_.begin(), stack_.end(), text) != stack_.end()) {
            FormulaErrorText = kFormulaCyclicDependency;
            return;
        }
        stack_.push_back(text);
        open_ = true;
    }
    bool Open() const { return open_; }
    ~FormulaStackEntry() {
        if (stack_.size() > index_) stack_.resize(index_);
    }
    FormulaStackEntry(const FormulaStackEntry&) = delete;
    FormulaStackEntry& operator=(const FormulaStackEntry&) = delete;

private:
    std::vector<std::string_view>& stack_;
    std::size_t index_ = 0;
    bool open_ = false;
};

const double* PARAMETERS::GetParameter(std::string_view) { return nullptr; }

const std::string* PARAMETERS::GetStringParameter(std::string_view) { return nullptr; }

bool PARAMETERS::CalcFormula(double& result, std::string_view formula, bool reset) {
    std::string substituted;
    std::string_view text = formula;
    const std::size_t name = formula.find(kTableFunction);
    if (name != std::string_view::npos) {
        const std::size_t open = formula.find('(', name + kTableFunction.size());
        const std::size_t close = formula.find(')', name + kTableFunction.size());
        PostLinks* links = GetPostLinks();
        double value = 0.0;
        if (links && open != std::string_view::npos && close != std::string_view::npos && close > open + 1 &&
            links->SelectFromTable(value, formula.substr(open + 1, close - open - 1), reset, *this)) {
            substituted.reserve(formula.size() + 16);
            substituted.append(formula.substr(0, name));
            substituted += FormatTableValue(value);
            substituted.append(formula.substr(close + 1));
            text = substituted;
        }
    }

    const FormulaStackEntry entry(*this, text, reset);
    if (!entry.Open()) return false;
    return EvaluateFormula(result, text, true);
}

bool PARAMETERS::CalcFormula(double& result, const ParsedFormula& formula, bool reset) {
    if (!formula.root_) return CalcFormula(result, std::string_view(formula.text_), reset);
    const std::string_view text = formula.text_;
    const FormulaStackEntry entry(*this, text, reset);
    if (!entry.Open()) return false;
    return EvaluateNode(*this, *formula.root_, result, true);
}

bool PARAMETERS::EvaluateFormula(double& result, std::string_view text, bool logical) {
    DepthGuard depth;
    if (depth.TooDeep()) {
        errorText = kFormulaTooDeep;
        return false;
    }
    return logical ? EvaluateLogical(result, text) : EvaluateArithmetic(result, text);
}

bool PARAMETERS::EvaluateLogical(double& result, std::string_view text) {
    text = TrimBlanks(text);
    // Every enclosing pair goes, so ((a>1)) is a comparison like (a>1). Each
    // pair is one level of nesting and costs a scan of the text.
    for (int pairs = 0; EnclosedInPair(text); ++pairs) {
        if (pairs + g_formulaDepth >= kMaxFormulaDepth) {
            errorText = kFormulaTooDeep;
            return false;
        }
        text = TrimBlanks(text.substr(1, text.size() - 2));
    }

    if (const std::size_t question = FindAtTopLevel(text, '?'); question != std::string_view::npos) {
        // The parts are trimmed by their own evaluation, so "1?5:7" reads 5 and
        // 7 like "1 ? 5 : 7" does.
        const std::size_t colon = FindAtTopLevel(text, ':', question + 1);
        const std::string_view condition = text.substr(0, question);
        const std::string_view thenPart = colon == std::string_view::npos
                                              ? text.substr(question + 1)
                                              : text.substr(question + 1, colon - question - 1);
        double c = 0.0;
        double a = 0.0;
        double b = 0.0;
        // Every part is evaluated, so an error in either branch always shows.
        const bool conditionOk = EvaluateFormula(c, condition, true);
        const bool thenOk = EvaluateFormula(a, thenPart, true);
        if (colon == std::string_view::npos) {
            if (!conditionOk || !thenOk || c == 0.0) return false;
            result = a;
            return true;
        }
        const bool elseOk = EvaluateFormula(b, text.substr(colon + 1), true);
        if (!conditionOk || !thenOk || !elseOk) return false;
        result = c != 0.0 ? a : b;
        return true;
    }

    if (const std::size_t op = FindLogicalOperator(text); op != std::string_view::npos) {
        double a = 0.0;
        double b = 0.0;
        // Both sides always: a side's error must not depend on the other's value.
        const bool leftOk = EvaluateFormula(a, text.substr(0, op), true);
        const bool rightOk = EvaluateFormula(b, text.substr(op + 2), true);
        if (!leftOk || !rightOk) return false;
        if (text[op] == '&')
            result = (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
        else
            result = (a != 0.0 || b != 0.0) ? 1.0 : 0.0;
        return true;
    }

    std::size_t pos = 0;
    std::size_t length = 0;
    if (const Comparison op = FindComparison(text, pos, length); op != Comparison::None) {
        double a = 0.0;
        double b = 0.0;
        const bool leftOk = EvaluateFormula(a, text.substr(0, pos), false);
        const bool rightOk = EvaluateFormula(b, text.substr(pos + length), false);
        if (!leftOk || !rightOk) return false;
        if (ComparisonHolds(op, a, b)) result = 1.0;
        return true;
    }

    return EvaluateArithmetic(result, text);
}

bool PARAMETERS::EvaluateArithmetic(double& result, std::string_view text) {
    std::string normalized;
    if (!NormalizeSigns(text, normalized)) {
        errorText = kFormulaSyntaxError;
        return false;
    }

    // Groups: each top-level (...) is evaluated and stands as "$index" in work.
    double groups[kMaxFormulaGroups];
    int groupCount = 0;
    std::string substituted;
    std::string_view work = normalized;
    if (normalized.find_first_of("()") != std::string::npos) {
        substituted.reserve(normalized.size());
        int depth = 0;
        std::size_t open = 0;
        std::size_t i = 0;
        for (; i < normalized.size() && groupCount < kMaxFormulaGroups; ++i) {
            const char c = normalized[i];
            if (c == '(') {
                if (depth == 0) open = i;
                ++depth;
            } else if (c == ')') {
                if (depth == 0) return false;
                if (--depth == 0) {
                    double value = 0.0;
                    if (!EvaluateFormula(value, std::string_view(normalized).substr(open + 1, i - open - 1), false))
                        return false;
                    groups[groupCount] = value;
                    AppendIndex(substituted, groupCount);
                    ++groupCount;
                }
            } else if (depth == 0) {
                substituted += c;
            }
        }
        if (i < normalized.size()) {
            // The group limit was reached: the rest stays as it stands.
            substituted.append(normalized, i, std::string::npos);
        } else if (depth != 0) {
            return false;
        }
        work = substituted;
    }
    if (work.empty()) return true;

    bool negative = false;
    std::size_t pos = 0;
    if (work.front() == '-' || work.front() == '+') {
        negative = work.front() == '-';
        pos = 1;
    }
    ArithmeticFold fold(negative);
    char op = 0;
    // Each turn consumes at least the operator after the operand.
    while (true) {
        std::size_t next = pos;
        while (next < work.size() && !IsOperator(work[next])) ++next;
        double value = 0.0;
        if (!EvaluateOperand(work.substr(pos, next - pos), groups, groupCount, value)) return false;
        fold.Add(op, value);
        if (next >= work.size()) break;
        op = work[next];
        pos = next + 1;
    }
    if (!fold.Finish(result)) {
        errorText = kFormulaDivisionByZero;
        return false;
    }
    return true;
}

bool PARAMETERS::EvaluateOperand(std::string_view operand, const double* groups, int groupCount, double& value) {
    const std::size_t dollar = operand.find('$');
    if (dollar != std::string_view::npos) {
        const std::string_view digits = operand.substr(dollar + 1);
        int index = -1;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec != std::errc() || end != digits.data() + digits.size() || index < 0 || index >= groupCount) return false;
        if (dollar == 0) {
            value = groups[index];
            return true;
        }
        return ApplyFunction(operand.substr(0, dollar), groups[index], value, errorText);
    }
    if (IsNumber(operand)) return ReadNumber(operand, value);
    const double* variable = GetParameter(operand);
    if (!variable) return false;
    value = *variable;
    return true;
}

bool PARAMETERS::NormalizeSigns(std::string_view text, std::string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\r')) ++i;
    out.reserve(text.size() - i);
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (c == '$') return false;
        if (c == '+' || c == '-') {
            // A run of signs (blanks between them dropped) folds into one.
            bool minus = false;
            while (i < text.size() && (text[i] == '+' || text[i] == '-' || text[i] == ' ')) {
                if (text[i] == '-') minus = !minus;
                ++i;
            }
            if (!out.empty() && (out.back() == '*' || out.back() == '/' || out.back() == '^')) return false;
            out += minus ? '-' : '+';
            continue;
        }
        if ((c == '*' || c == '/' || c == '^') && !out.empty() && IsOperator(out.back())) return false;
        out += c;
        ++i;
    }
    return out.empty() || !IsOperator(out.back());
}

bool PARAMETERS::IsNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '.') {
            if (point) return false;
            point = true;
        } else if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace zarvento
