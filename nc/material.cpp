// Property lookup, designation texts and clearing of the material record.
#include "nc/material.h"

namespace zarvento {

namespace {

struct NumericProperty {
    std::string_view name;
    double MATERIAL::*field;
};

constexpr NumericProperty kNumeric[] = {
    {"HB", &MATERIAL::HB},         {"HRC", &MATERIAL::HRC}, {"Density", &MATERIAL::Density},
    {"MCcode", &MATERIAL::MCcode}, {"C", &MATERIAL::C},     {"Cr", &MATERIAL::Cr},
    {"Ni", &MATERIAL::Ni},         {"Mn", &MATERIAL::Mn},   {"Ti", &MATERIAL::Ti},
    {"Al", &MATERIAL::Al},         {"Nb", &MATERIAL::Nb},   {"Si", &MATERIAL::Si},
    {"S", &MATERIAL::S},           {"P", &MATERIAL::P},     {"N", &MATERIAL::N},
    {"Mo", &MATERIAL::Mo},         {"B", &MATERIAL::B},     {"W", &MATERIAL::W},
    {"V", &MATERIAL::V},           {"Co", &MATERIAL::Co},   {"Cu", &MATERIAL::Cu},
    {"Zn", &MATERIAL::Zn},         {"Se", &MATERIAL::Se},   {"Fe", &MATERIAL::Fe},
    {"Pb", &MATERIAL::Pb},         {"Sb", &MATERIAL::Sb},   {"Vi", &MATERIAL::Vi},
    {"SumLeg", &MATERIAL::SumLeg},
};

struct StringProperty {
    std::string_view name;
    std::string MATERIAL::*field;
};

constexpr StringProperty kStrings[] = {
    {"sMaterial", &MATERIAL::sMaterial}, {"sGroup", &MATERIAL::sGroup}, {"sMCcode", &MATERIAL::sMCcode},
    {"sMark", &MATERIAL::sMark},         {"sGOST", &MATERIAL::sGOST},   {"sLocation", &MATERIAL::sLocation},
};

constexpr std::string_view kStandard = "ГОСТ";

}  // namespace

void MATERIAL::Clear() { *this = MATERIAL(); }

double* MATERIAL::FindValue(std::string_view name) {
    for (const NumericProperty& p : kNumeric)
        if (p.name == name) return &(this->*p.field);
    return nullptr;
}

const double* MATERIAL::FindValue(std::string_view name) const { return const_cast<MATERIAL*>(this)->FindValue(name); }

std::string* MATERIAL::FindString(std::string_view name) {
    for (const StringProperty& p : kStrings) {
        if (p.name != name) continue;
        std::string& text = this->*p.field;
        if (text.empty() && (p.field == &MATERIAL::sMark || p.field == &MATERIAL::sGOST)) SplitMarkAndGost();
        return &text;
    }
    return nullptr;
}

void MATERIAL::SplitMarkAndGost() {
    const std::size_t at = sMaterial.find(kStandard);
    if (at == std::string::npos) return;
    std::string mark = sMaterial.substr(0, at);
    while (!mark.empty() && (mark.back() == ' ' || mark.back() == '\t')) mark.pop_back();
    if (!mark.empty()) sMark = std::move(mark);
    sGOST = sMaterial.substr(at);
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
