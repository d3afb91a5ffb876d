// ParseContourScript: a small reader of the units' call texts.
#include "geometry/contour_script.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/number_format.h"
#include "platform/core/variant.h"

namespace zarvento {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// "Name( a, b, ... );" -> the name and the numbers; false when malformed.
bool SplitCall(std::string_view line, std::string_view& name, std::vector<double>& args) {
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
    if (Trim(line.substr(close + 1)) != ";") return false;
    name = Trim(line.substr(0, open));
    std::string_view rest = line.substr(open + 1, close - open - 1);
    args.clear();
    while (true) {
        const auto comma = rest.find(',');
        double v = 0.0;
        if (!ParseDouble(Trim(rest.substr(0, comma)), v)) return false;
        args.push_back(v);
        if (comma == std::string_view::npos) break;
        rest = rest.substr(comma + 1);
    }
    return true;
}

}  // namespace

std::unique_ptr<Contour> ParseContourScript(std::string_view text, std::string* error, double maxMagnitude) {
    auto contour = std::make_unique<Contour>();
    int lineNo = 0;
    std::vector<double> args;
    while (!text.empty()) {
        ++lineNo;
        const auto eol = text.find('\n');
        const std::string_view line = Trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (line.empty() || line.substr(0, 2) == "//" || line.front() == '#') continue;
        std::string_view name;
        std::string problem;
        if (!SplitCall(line, name, args)) {
            problem = "not a call with numbers";
        } else if (std::find_if(args.begin(), args.end(), [&](double v) { return !(std::fabs(v) <= maxMagnitude); }) !=
                   args.end()) {
            problem = "a value beyond " + FormatFixed(maxMagnitude, 0);
        } else if (name == "LineSeg" && args.size() == 5) {
            contour->AddUnit(std::make_unique<CLineUnit>(args[0], args[1], args[2], args[3]));
        } else if (name == "ArcByPoint" && args.size() == 9 && (args[7] == 1.0 || args[7] == -1.0)) {
            if (!(args[2] > 0.0)) {
                problem = "the radius must be positive";
            } else {
                contour->AddUnit(std::make_unique<CArcUnit>(args[0], args[1], args[2], args[3], args[4], args[5],
                                                            args[6], -static_cast<int>(args[7])));
            }
        } else {
            problem = "unknown call or wrong number of values";
        }
        if (!problem.empty()) {
            if (error) *error = "line " + std::to_string(lineNo) + ": " + problem;
            return nullptr;
        }
    }
    return contour;
}

std::string ContourScriptText(const Contour& contour) {
    std::string text;
    for (int k = 0; k < contour.Count(); ++k) text += contour.GetUnit(k)->GetScriptText();
    return text;
}

}  // namespace zarvento
