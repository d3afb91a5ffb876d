// What the axial and single-plunge kinds share: pass levels shrinking by a
// factor, the bounded pass count, cycle values, tool look-ups by kind and
// model variable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

class CCycle_Auto;
class CTurn;
class ParamTool;

// More passes than this are refused: a typed-in count must not make the
// path build millions of frames.
inline constexpr std::int32_t kMaxPasses = 10000;
inline constexpr const char* kNoPassesMessage = "Число проходов должно быть больше нуля";
inline constexpr const char* kTooManyPassesMessage = "Число проходов не должно превышать 10000";
inline constexpr const char* kBadReductionMessage = "Коэффициент уменьшения глубины прохода должен быть больше нуля";
inline constexpr const char* kNegativeRetractMessage = "Длина отвода после прохода не должна быть отрицательной";
inline constexpr const char* kNoToolMessage = "Не задан инструмент";

// The levels n passes reach going from `start` to `end`, pass i covering
// k^i / (k^0 + ... + k^(n-1)) of the way; the last level is `end` exactly,
// so the passes together cover the whole length. Empty for n < 1.
std::vector<double> ReducedPassLevels(double start, double end, std::int32_t n, double k);

// Reports the refusal of a pass count and reduction factor through the
// operation; true when both are usable.
bool CheckPassPlan(CTurn& op, std::int32_t n, double k);

// The evaluated value of a cycle parameter, 0 when it has none.
double CycleValue(CCycle_Auto& cycle, std::string_view name);
// A parameter's value text and kind letter written back by the path; a list
// parameter takes the text's number as its chosen entry too.
void SetCycleText(CCycle_Auto& cycle, std::string_view name, const std::string& text);
void SetCycleKind(CCycle_Auto& cycle, std::string_view name, char kind);

// A real as printf's "%g" writes it, in every locale.
std::string FormatGeneral(double value);

// The first turret position holding a tool of the kind, or -1.
std::int32_t FirstToolOfKind(int toolKind);
// The tool's first model variable named exactly "D" or "d".
bool ToolDiameterVariable(const ParamTool& tool, double& value);


}  // namespace zarvento
