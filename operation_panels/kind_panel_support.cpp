// The kinds' panels' shared control makers and thread texts.
#include "operation_panels/kind_panel_support.h"

#include <cmath>

#include "geometry/contour.h"
#include "geometry/unit.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento {

PropertyControl& AddKindControl(PropertyTab& tab, PropertyControlKind kind, const std::string& caption,
                                const std::string& hint, const std::string& tip) {
    PropertyControl& control = tab.AddControl(kind);
    if (!caption.empty()) control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(tip.empty() ? hint : tip);
    return control;
}

PropertyControl& AddNumberField(PropertyTab& tab, const std::string& caption, const std::string& hint, double value,
                                int width, double low, double high, const std::string& tip) {
    PropertyControl& control = AddKindControl(tab, PropertyControlKind::RealEdit, caption, hint, tip);
    if (low < high) control.SetRange(low, high);
    control.SetWidth(width);
    control.SetValue(Variant::R8(value));
    return control;
}

PropertyControl& AddIntegerField(PropertyTab& tab, const std::string& caption, const std::string& hint,
                                 std::int32_t value, int width, double low, double high) {
    PropertyControl& control = AddKindControl(tab, PropertyControlKind::IntegerEdit, caption, hint);
    control.SetRange(low, high);
    control.SetWidth(width);
    control.SetValue(Variant::I4(value));
    return control;
}

void AddSeparator(PropertyTab& tab) { tab.AddControl(PropertyControlKind::Empty); }

std::string ThreadSizeName(double diameter, double pitch) {
    return "Резьба M" + FormatG(diameter) + "-" + FormatG(pitch);
}

std::string ThreadDiameterText(const Contour& contour, double depth, double& lastDiameter) {
    const int count = contour.Count();
    if (count == 0) return {};
    const CUnit& first = *contour.GetUnit(0);
    const CUnit& last = *contour.GetUnit(count - 1);
    const bool internal = first.StartPoint.z < last.EndPoint.z - 0.000001;
    auto diameter = [&](double x) {
        const double d = -2.0 * x + (internal ? 2.0 * depth : 0.0);
        return std::ceil(d * 100.0 - 0.000001) / 100.0;
    };
    double written = diameter(first.StartPoint.x);
    lastDiameter = written;
    std::string text = FormatG(written);
    for (int k = 0; k < count; ++k) {
        lastDiameter = diameter(contour.GetUnit(k)->EndPoint.x);
        if (std::fabs(lastDiameter - written) > 0.001) {
            text += " - " + FormatG(lastDiameter);
            written = lastDiameter;
        }
    }
    return text;
}

}  // namespace zarvento
