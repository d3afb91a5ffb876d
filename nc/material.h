// MATERIAL: the material record of the part: properties by name, as formulas
// read them through "MTRL." names. The materials reference and the steel
// table fill it.
#pragma once

#include <string>
#include <string_view>

namespace zarvento {

class MATERIAL {
public:
    // The numeric property of that exact name: "HB", "HRC", "Density",
    // "MCcode", "SumLeg" and the element fractions "C", "Si", "Mn", "Cr", "Ni",
    // "Mo", "Al", "Ti", "V"; null for any other name.
    double* FindValue(std::string_view name);
    const double* FindValue(std::string_view name) const;
    // "sMaterial", "sGroup", "sMCcode", "sMark" or "sGOST"; null otherwise.
    std::string* FindString(std::string_view name);
    const std::string* FindString(std::string_view name) const;

    // The grade of a material designation: the word that follows a leading
    // "Сталь" or "Сплав" ("Сталь 45 ГОСТ 1050-88" gives "45"), else the first word.
    static std::string ExtractMark(std::string_view designation);
    std::string ExtractMark() const { return ExtractMark(sMaterial); }

    double HB = 0, HRC = 0, Density = 0, MCcode = 0, SumLeg = 0;
    // Mass fractions in percent.
    double C = 0, Si = 0, Mn = 0, Cr = 0, Ni = 0, Mo = 0, Al = 0, Ti = 0, V = 0;
    std::string sMaterial, sGroup, sMCcode, sMark, sGOST;
    // Where the materials reference keeps this material.
    std::string location;
};

}  // namespace zarvento
