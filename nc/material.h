// MATERIAL: the material record of the part: its designation texts, hardness,
// chemical composition, density and machinability group, and its properties
// by name, as formulas read them through "MTRL." names. The materials
// reference fills it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

class MATERIAL {
public:
    // Texts empty, no grade, rolled stock, every number 0.
    void Clear();

    // The numeric property of that exact name: "HB", "HRC", "Density",
    // "MCcode", "SumLeg" and the element contents by their symbols ("Vi" is
    // bismuth); tantalum has no name. Null for any other name.
    double* FindValue(std::string_view name);
    const double* FindValue(std::string_view name) const;
    // "sMaterial", "sGroup", "sMCcode", "sMark", "sGOST" or "sLocation"; null
    // otherwise. An empty mark or standard is first split from sMaterial.
    std::string* FindString(std::string_view name);

    // When sMaterial names a standard ("... ГОСТ 1050-88"): sMark is what
    // stands before "ГОСТ" without trailing blanks (unless that is empty),
    // sGOST "ГОСТ" and what follows it. Otherwise nothing changes.
    void SplitMarkAndGost();

    // The grade of a material designation: the word that follows a leading
    // "Сталь" or "Сплав" ("Сталь 45 ГОСТ 1050-88" gives "45"), else the first word.
    static std::string ExtractMark(std::string_view designation);
    std::string ExtractMark() const { return ExtractMark(sMaterial); }

    std::string sMaterial;              // the full designation, e.g. a grade and its standard
    std::string sMark;                  // the designation before "ГОСТ"
    std::string sGOST;                  // "ГОСТ" and what follows it
    std::string sGroup;                 // the reference's group number, as text
    std::string sMCcode;                // the machinability group code, "P1.2.Z.AN"
    std::string sLocation;              // where the materials reference keeps the material
    std::optional<std::string> pGrade;  // the grade, when it has been taken
    // How the stock is made, from the plan data: 0 rolled, 1 forged, 2 cold
    // drawn, 3 cast.
    std::int32_t nSposobStock = 0;
    double HB = 0, HRC = 0;
    // Element contents in mass per cent; Vi is bismuth.
    double C = 0, Cr = 0, Ni = 0, Mn = 0, Ti = 0, Al = 0, Ta = 0, Nb = 0, Si = 0, S = 0, P = 0, N = 0, Mo = 0, B = 0,
           W = 0, V = 0, Co = 0, Cu = 0, Zn = 0, Se = 0, Fe = 0, Pb = 0, Sb = 0, Vi = 0;
    double SumLeg = 0;  // total of the alloying elements, %
    double MCcode = 0;
    double Density = 0;
    std::string sSteelClass;  // structural class of a stainless steel
};

}  // namespace zarvento
