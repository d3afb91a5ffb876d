// Property lookup of the material record.
#include "nc/material.h"

namespace zarvento {

namespace {

struct NumericProperty {
    std::string_view name;
    double MATERIAL::*field;
};

constexpr NumericProperty kNumeric[] = {
    {"HB", &MATERIAL::HB},         {"HRC", &MATERIAL::HRC},       {"Density", &MATERIAL::Density},
    {"MCcode", &MATERIAL::MCcode}, {"SumLeg", &MATERIAL::SumLeg}, {"C", &MATERIAL::C},
    {"Si", &MATERIAL::Si},         {"Mn", &MATERIAL::Mn},         {"Cr", &MATERIAL::Cr},
    {"Ni", &MATERIAL::Ni},         {"Mo", &MATERIAL::Mo},         {"Al", &MATERIAL::Al},
    {"Ti", &MATERIAL::Ti},         {"V", &MATERIAL::V},
};

struct StringProperty {
    std::string_view name;
    std::string MATERIAL::*field;
};

constexpr StringProperty kStrings[] = {
    {"sMaterial", &MATERIAL::sMaterial}, {"sGroup", &MATERIAL::sGroup}, {"sMCcode", &MATERIAL::sMCcode},
    {"sMark", &MATERIAL::sMark},         {"sGOST", &MATERIAL::sGOST},
};

}  // namespace

double* MATERIAL::FindValue(std::string_view name) {
    for (const NumericProperty& p : kNumeric)
        if (p.name == name) return &(this->*p.field);
    return nullptr;
}

const double* MATERIAL::FindValue(std::string_view name) const { return const_cast<MATERIAL*>(this)->FindValue(name); }

std::string* MATERIAL::FindString(std::string_view name) {
    for (const StringProperty& p : kStrings)
        if (p.name == name) return &(this->*p.field);
    return nullptr;
}

const std::string* MATERIAL::FindString(std::string_view name) const {
    return const_cast<MATERIAL*>(this)->FindString(name);
}

std::string MATERIAL::ExtractMark(std::string_view designation) {
    std::string_view rest = designation;
    for (std::string_view prefix : {std::string_view("Сталь"), std::string_view("Сплав")})
        if (rest.substr(0, prefix.size()) == prefix) {
            rest.remove_prefix(prefix.size());
            break;
        }
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return std::string(rest.substr(0, rest.find(' ')));
}

}  // namespace zarvento
