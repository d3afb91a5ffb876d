// Helpers the kinds' operation panels share: making their strategy-tab
// controls, and the thread texts of the threading panels (the automatic
// name and the diameter display).
#pragma once

#include <cstdint>
#include <string>

#include "geometry/number_format.h"
#include "platform/dialogs/property_control.h"

namespace zarvento {

class Contour;
class PropertyTab;

// A control of the kind with its caption (none when empty), its hint and its
// tip (the hint when no tip is given).
PropertyControl& AddKindControl(PropertyTab& tab, PropertyControlKind kind, const std::string& caption,
                                const std::string& hint, const std::string& tip = {});
// A number field of that width; a range only when low < high.
PropertyControl& AddNumberField(PropertyTab& tab, const std::string& caption, const std::string& hint, double value,
                                int width, double low = 0.0, double high = 0.0, const std::string& tip = {});
PropertyControl& AddIntegerField(PropertyTab& tab, const std::string& caption, const std::string& hint,
                                 std::int32_t value, int width, double low, double high);
void AddSeparator(PropertyTab& tab);

// "Резьба M<diameter>-<pitch>".
std::string ThreadSizeName(double diameter, double pitch);

// The diameters a thread contour runs through, as the chisel-threading panel
// shows them: the diameter at the first unit's start, then each new diameter
// at a unit's end that differs from the last one written by more than
// 0.001 mm, joined by " - " ("20 - 18"). A thread whose first unit starts
// more than 0.000001 below the last unit's end in Z is internal: its
// diameters are taken 2 × depth larger. Every diameter is rounded up to
// 0.01 mm. `lastDiameter` gets the diameter at the last unit's end. An empty
// contour gives an empty text.
std::string ThreadDiameterText(const Contour& contour, double depth, double& lastDiameter);

}  // namespace zarvento
