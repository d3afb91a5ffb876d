// Lookup order of a machine cycle's provider and its feature names.
#include "nc/manufactur_feature.h"

namespace zarvento {

namespace {

struct FeatureName {
    std::string_view name;
    int field;  // index into the record, or -1 for a type constant
    double constant;
};

// In the order names are tried; fields 13 to 16 are not for formulas.
constexpr FeatureName kFeatureNames[] = {
    {"_FT", 0, 0},
    {"_FX", 1, 0},
    {"_FY", 2, 0},
    {"_FZ", 3, 0},
    {"_FD", 4, 0},
    {"_FL", 5, 0},
    {"_FW", 6, 0},
    {"_FH", 7, 0},
    {"_FA", 8, 0},
    {"_FB", 9, 0},
    {"_FR", 10, 0},
    {"_Fd", 11, 0},
    {"_C_N", 12, 0},
    {"_HOLE", -1, 10},
    {"_POCKET_RECT", -1, 31},
    {"_POCKET_CIRC", -1, 32},
    {"_POCKET_SLOT", -1, 33},
    {"_POCKET_CIRCSLOT", -1, 34},
    {"_FACE_RECT", -1, 41},
    {"_FACE_CIRC", -1, 42},
    {"_FACE_SLOT", -1, 43},
    {"_FACE_CIRCSLOT", -1, 44},
};

}  // namespace

const double* MANUFACTUR_FEATURE::FindFeatureName(const FeatureRecord& record, std::string_view name) {
    if (name.empty() || name.front() != '_') return nullptr;
    for (const FeatureName& entry : kFeatureNames) {
        if (entry.name != name) continue;
        return entry.field >= 0 ? &record[static_cast<std::size_t>(entry.field)] : &entry.constant;
    }
    return nullptr;
}

const double* MANUFACTUR_FEATURE::GetParameter(std::string_view name) {
    if (ownerCycle) {
        if (const double* own = ownerCycle->FindParameter(name)) return own;
    }
    if (featureRecord) {
        if (const double* feature = FindFeatureName(*featureRecord, name)) return feature;
    }
    if (extraProvider) {
        if (const double* extra = extraProvider->GetParameter(name)) return extra;
    }
    return ParentParameter(name);
}

const std::string* MANUFACTUR_FEATURE::GetStringParameter(std::string_view name) { return ParentStringParameter(name); }

}  // namespace zarvento
