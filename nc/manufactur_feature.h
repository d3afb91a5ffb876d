// MANUFACTUR_FEATURE: the variable provider of one machine cycle: its
// parameters, its geometric feature record and the feature-type constants.
#pragma once

#include <array>
#include <memory>

#include "nc/parameter_source.h"
#include "nc/parameters.h"

namespace zarvento {

class MANUFACTUR_FEATURE : public PARAMETERS {
public:
    static constexpr int kFeatureFields = 17;
    using FeatureRecord = std::array<double, kFeatureFields>;

    MANUFACTUR_FEATURE(ParameterSource* cycle, PARAMETERS* parentProvider)
        : PARAMETERS(parentProvider), ownerCycle(cycle) {}
    // The feature owns its record and its extra provider: no copies.
    MANUFACTUR_FEATURE(const MANUFACTUR_FEATURE&) = delete;
    MANUFACTUR_FEATURE& operator=(const MANUFACTUR_FEATURE&) = delete;

    // The cycle's parameter, then the feature names (when the record exists),
    // then the extra provider, then the parent.
    const double* GetParameter(std::string_view name) override;
    const std::string* GetStringParameter(std::string_view name) override;

    // Fields 0 to 12 of the record under their "_F..." names and the type
    // constants ("_HOLE" 10, "_POCKET_*" 31-34, "_FACE_*" 41-44); exact names.
    static const double* FindFeatureName(const FeatureRecord& record, std::string_view name);

    // The owning cycle; not owned.
    ParameterSource* ownerCycle = nullptr;
    // Absent until the cycle fills it.
    std::unique_ptr<FeatureRecord> featureRecord;
    std::unique_ptr<PARAMETERS> extraProvider;
};

}  // namespace zarvento
