// IntegratorEx: the materials reference client that reads the part's
// material: its group, hardness, strength, coefficients and composition into
// the part's variable provider and its material record, completed from the
// grade notation and classified.
#pragma once

#include <cstdint>
#include <string_view>

#include "catalogs/integrator.h"

namespace zarvento {

class DETAIL_PARAMETERS;

class IntegratorEx : public Integrator {
public:
    // The reference's property ids the client reads.
    static constexpr const char* kGroup = "V049FC8B194FF49919867F1719AACAD4F";
    static constexpr const char* kKVMet = "V4E21F003D00111D69930000021274E8E";
    static constexpr const char* kXMat = "V4E21F004D00111D69930000021274E8E";
    static constexpr const char* kKShl = "V4E21F001D00111D69930000021274E8E";
    static constexpr const char* kSigmV = "VA17343B3ACA84947BFA823B6275AE8B4";  // Pa
    static constexpr const char* kHardnessA = "V92CBFA00C9A011D69930000021274E8E";
    static constexpr const char* kHardnessB = "VC65C97C5CAFA11D69930000021274E8E";  // an upper bound
    static constexpr const char* kHRC = "V92CBFA02C9A011D69930000021274E8E";

    // Fills the provider's material values and its MATERIAL from the
    // material at `location`, then completes the composition from the grade
    // and classifies it. Nothing when the reference has no material there;
    // IntegratorException without a server; HostError when the server fails.
    void ReadMaterialProperties(std::string_view location, DETAIL_PARAMETERS& part);
};

// How the plan's stock is made (the plan data's nSposobStock), which the
// material record takes; the plan registers it at start-up. Without one the
// stock is rolled (0). Returns the previous source.
using StockFormSource = std::int32_t (*)();
StockFormSource RegisterStockFormSource(StockFormSource source);
// The registered source's answer, or 0.
std::int32_t CurrentStockForm();

}  // namespace zarvento
