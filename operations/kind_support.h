// What the axial and single-plunge kinds share: pass levels shrinking by a
// factor, the bounded pass count, cycle values, tool look-ups by kind and
// model variable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

class Contour;
class CCycle_Auto;
class CTurn;
class ParamTool;

// More passes than this are refused, whether a count was typed in or follows
// from a depth of cut: no path builds millions of frames, and none stops
// short of its depth without a word. The one limit of every kind.
inline constexpr std::int32_t kMaxPasses = 10000;
inline constexpr const char* kNoPassesMessage = "Число проходов должно быть больше нуля";
inline const std::string kTooManyPassesMessage = "Число проходов не должно превышать " + std::to_string(kMaxPasses);
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
// The operation's own cycle in elementary moves becomes its current cycle,
// chained to the operation and evaluated; the frames follow it.
void UseElementaryCycle(CTurn& op, CCycle_Auto& cycle);
// The cycle's number of passes "N", held to the range the checks tell apart.
std::int32_t CyclePassCount(CCycle_Auto& cycle);
// A machine-cycle frame copied from a post-processor's definition (chained
// to the operation and evaluated first), starting and ending at (z, x), with
// the contour as both of its contours and the operation's cycle variables.
std::unique_ptr<CCycle_Auto> MakeCycleFrame(CTurn& op, CCycle_Auto& definition, double x, double z,
                                            const Contour& contour);
// The same with three contours of its own: the working contour, the second
// (the region at the tool's offset) and the contour a template prints.
std::unique_ptr<CCycle_Auto> MakeCycleFrame(CTurn& op, CCycle_Auto& definition, double x, double z,
                                            std::unique_ptr<Contour> work, std::unique_ptr<Contour> second,
                                            std::unique_ptr<Contour> print);

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
