// The unit colours, taken from the settings record at every call.
#include "geometry/unit_colours.h"

#include "platform/documents/settings_record.h"

namespace zarvento {

UnitColours CurrentUnitColours() {
    const SettingsRecord& s = SettingsRecord::Global();
    return UnitColours{s.Colour(5), s.Colour(7), s.Colour(8), s.Colour(9)};
}

}  // namespace zarvento
