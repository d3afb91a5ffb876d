// The part-variable table and its "MODEL." and "MTRL." lookups.
#include "nc/detail_parameters.h"

#include "geometry/primitives.h"

namespace zarvento {

namespace {

constexpr std::string_view kModelPrefix = "MODEL.";
constexpr std::string_view kMaterialPrefix = "MTRL.";

// "<entry>.t", ".h" or ".l": exactly one letter after the point.
const double* ToleranceValue(const PartVariable& entry, std::string_view key) {
    const PartTolerance* tolerance = entry.tolerance.get();
    const std::size_t n = entry.name.size();
    if (!tolerance || key.size() != n + 2 || key.substr(0, n) != entry.name || key[n] != '.') return nullptr;
    switch (key[n + 1]) {
        case 't': return &tolerance->t.value;
        case 'h': return &tolerance->h.value;
        case 'l': return &tolerance->l.value;
        default: return nullptr;
    }
}

}  // namespace

DETAIL_PARAMETERS::DETAIL_PARAMETERS() : material(std::make_unique<MATERIAL>()) {}

// The prefixes are found anywhere in the name, and the key is what follows the
// name's first six (five) characters: stored formulas are written that way.
const double* DETAIL_PARAMETERS::GetParameter(std::string_view name) {
    if (name.find(kModelPrefix) != std::string_view::npos) {
        const std::string_view key = name.substr(kModelPrefix.size());
        for (const auto& entry : variables) {
            if (entry->kind != 'd') continue;
            if (entry->name == key) return &entry->value;
            if (const double* tolerance = ToleranceValue(*entry, key)) return tolerance;
        }
        return nullptr;
    }
    if (name.find(kMaterialPrefix) != std::string_view::npos) {
        const std::string_view key = name.substr(kMaterialPrefix.size());
        if (!materialUnread.empty() && key != "Density") return nullptr;
        return material->FindValue(key);
    }
    return nullptr;
}

const std::string* DETAIL_PARAMETERS::GetStringParameter(std::string_view name) {
    if (name.find(kModelPrefix) != std::string_view::npos) {
        const std::string_view key = name.substr(kModelPrefix.size());
        for (const auto& entry : variables)
            if (entry->kind == 's' && entry->name == key) return &entry->text;
        return nullptr;
    }
    if (name.find(kMaterialPrefix) != std::string_view::npos) {
        const std::string_view key = name.substr(kMaterialPrefix.size());
        if (!materialUnread.empty() && (key == "sGroup" || key == "sMCcode")) return nullptr;
        return material->FindString(key);
    }
    return nullptr;
}

bool DETAIL_PARAMETERS::FindVariable(std::string_view name) const {
    for (const auto& entry : variables)
        if (entry->name == name) return true;
    return false;
}

PartVariable* DETAIL_PARAMETERS::AddNumeric(std::string_view name, double value, std::string_view description) {
    if (!(value > EPS) || FindVariable(name)) return nullptr;
    PartVariable* entry = Append(name, 'd', description);
    entry->value = value;
    return entry;
}

PartVariable* DETAIL_PARAMETERS::AddString(std::string_view name, std::string_view text, std::string_view description) {
    if (text.empty() || FindVariable(name)) return nullptr;
    PartVariable* entry = Append(name, 's', description);
    entry->text = text;
    return entry;
}

PartVariable* DETAIL_PARAMETERS::AddModelVariable(std::string_view name, double value, std::string_view description) {
    PartVariable* entry = Append(name, 'd', description);
    entry->value = value;
    return entry;
}

void DETAIL_PARAMETERS::AttachTolerance(PartVariable& entry, double lower, double upper) {
    auto tolerance = std::make_unique<PartTolerance>();
    tolerance->t.name = "t";
    tolerance->t.description = "допуск";
    tolerance->t.value = upper - lower;
    tolerance->h.name = "h";
    tolerance->h.description = "верхнее отклонение";
    tolerance->h.value = upper;
    tolerance->l.name = "l";
    tolerance->l.description = "нижнее отклонение";
    tolerance->l.value = lower;
    tolerance->dimension = &entry;
    entry.tolerance = std::move(tolerance);
}

void DETAIL_PARAMETERS::ClearVariables() { variables.clear(); }

PartVariable* DETAIL_PARAMETERS::Append(std::string_view name, char kind, std::string_view description) {
    auto entry = std::make_unique<PartVariable>();
    entry->name = name;
    entry->kind = kind;
    entry->description = description;
    variables.push_back(std::move(entry));
    return variables.back().get();
}

}  // namespace zarvento
