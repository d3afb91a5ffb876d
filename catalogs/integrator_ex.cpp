// Reading a material's properties from the materials reference.
#include "catalogs/integrator_ex.h"

#include <charconv>
#include <string>

#include "catalogs/classify_material_mc.h"
#include "catalogs/grade_content.h"
#include "nc/detail_parameters.h"

namespace zarvento {

namespace {

StockFormSource stockFormSource = nullptr;

struct ElementProperty {
    const char* id;
    double MATERIAL::*field;
};

// Tantalum and selenium are not read.
constexpr ElementProperty kElements[] = {
    {"VBCF2670006994187BBB44CAFDAAE53AB", &MATERIAL::C},  {"V28FCFDFECF224BF9AA7FD2F7F0AF23E0", &MATERIAL::Si},
    {"V7D749D36C53741BA9C8C5346E46A22C1", &MATERIAL::Mn}, {"V071B3C2DB0CD44248A376A56715CF566", &MATERIAL::Cr},
    {"V104A6D22C8D7414788FDECAECFF0139C", &MATERIAL::S},  {"V3BE6B3077BD047BEB12D85F52DCD17D0", &MATERIAL::P},
    {"V9C23756F936A4AA4B49BF20928D299A1", &MATERIAL::Ni}, {"V13E9177351884796AAC9271707A51E21", &MATERIAL::N},
    {"V56BF8AEA62AA4F4E8833D888CAFEF486", &MATERIAL::Cu}, {"V6544DA428C2840B297E675D2772AE1B9", &MATERIAL::Mo},
    {"V93C4314F191A4D6087EDC36A405310B7", &MATERIAL::Nb}, {"VA8F94E4C0EC142B4AD5DC56F41FE2230", &MATERIAL::Ti},
    {"V90D4013D20FE4409AA4FA478418FAC81", &MATERIAL::Al}, {"VD3842F4F5FA84174928CDE02CCF743FE", &MATERIAL::W},
    {"V8236AD112EAB4E3A88F8D5F3BDC8466E", &MATERIAL::V},  {"V2AE2BC9C954748FFA88D763845C611C9", &MATERIAL::Co},
    {"VC85304B8937E499B8DB96ADEDD465C09", &MATERIAL::B},  {"VE0661DFD4EE64391857B5978E1F4FEDE", &MATERIAL::Fe},
    {"V98DF4B0422384DE8B1A4322D19944E4B", &MATERIAL::Pb}, {"V85FC1805EB6E4AA484AE2E37EB996B4E", &MATERIAL::Sb},
    {"V5864334CA8D141B7AC11E243335CA8E5", &MATERIAL::Zn}, {"V903BA677113246E38322D003E71CF872", &MATERIAL::Vi},
};

// A property's text read as a number, as the C library reads one: the
// number the text starts with (a decimal comma taken as a point), else 0.
double Number(std::string text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) return 0;
    if (const std::size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    if (text[at] == '+') ++at;
    double value = 0;
    std::from_chars(text.data() + at, text.data() + text.size(), value);
    return value;
}

std::string Text(const Variant& value) { return value.IsEmpty() ? std::string() : value.ToBStr(); }

// The two values of one property of the material; empty texts when it has
// no such property.
struct PropertyValues {
    std::string first, second;
};

PropertyValues Read(AutomationObject& info, const char* id, bool both) {
    const AutomationObjectPtr property = AutomationObjectOf(CallMember(info, "Property", {Variant::BStr(id)}));
    if (!property) return {};
    PropertyValues values{Text(CallMember(*property, "Value1")), {}};
    if (both) values.second = Text(CallMember(*property, "Value2"));
    return values;
}

}  // namespace

StockFormSource RegisterStockFormSource(StockFormSource source) {
    const StockFormSource previous = stockFormSource;
    stockFormSource = source;
    return previous;
}

std::int32_t CurrentStockForm() { return stockFormSource ? stockFormSource() : 0; }

void IntegratorEx::ReadMaterialProperties(std::string_view location, DETAIL_PARAMETERS& part) {
    const AutomationObjectPtr info = GetMaterialInfo(location);
    if (!info) return;
    const auto number = [&](const char* id) { return Number(Read(*info, id, false).first); };

    part.materialGroup = Read(*info, kGroup, false).first;
    part.kvMet = number(kKVMet);
    part.xMat = number(kXMat);
    part.kShl = number(kKShl);
    part.tensileStrength = number(kSigmV) * 1e-6;
    // The second hardness is an upper bound: it lowers the first, and is
    // never taken alone.
    const double hardness = number(kHardnessA), bound = number(kHardnessB);
    if (hardness > 0) part.hardnessHB = hardness;
    if (bound > 0 && part.hardnessHB > bound) part.hardnessHB = bound;
    if (part.hardnessHRC < 1e-6) part.hardnessHRC = number(kHRC);

    MATERIAL& m = *part.material;
    m.sMaterial = part.materialName;
    // The mark and the standard are split from the designation when first
    // asked for; those of the material read before must not answer for this one.
    m.sMark.clear();
    m.sGOST.clear();
    m.sGroup = part.materialGroup;
    m.HB = part.hardnessHB;
    m.HRC = part.hardnessHRC;
    const double* density = part.GetParameter("MODEL.Density");
    m.Density = density ? *density : 0;
    m.nSposobStock = CurrentStockForm();
    // The class of the material read before must not stay with this one.
    m.sSteelClass.clear();

    // A range gives its middle; a single value (or a second one not above the
    // first) the first.
    for (const ElementProperty& e : kElements) {
        const PropertyValues values = Read(*info, e.id, true);
        const double low = Number(values.first), high = Number(values.second);
        m.*e.field = high > low ? (low + high) / 2 : low;
    }

    CompleteFromGrade(m);
    ClassifyMaterialMC(m);
    // The part's own code text follows the record's, so that "MODEL.sMCcode"
    // and the numeric code tell the same.
    part.mcCodeText = m.sMCcode;
}

}  // namespace zarvento
