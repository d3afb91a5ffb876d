// The built-in table of structural alloy steel grades by which the part
// variables complete a material that the materials reference left empty.
#pragma once

#include <span>
#include <string_view>

namespace zarvento {

// One grade: its group, mass fractions in percent, hardness and strength.
struct SteelGrade {
    std::string_view grade;
    double group;  // the steel's group by its alloying elements
    double C, Si, Mn, Cr, Ni, Mo, Al, Ti, V;
    double HB;          // Brinell hardness
    double tensileMPa;  // ultimate tensile strength; 0 where none is given
};

// The 106 grades in the table's order.
std::span<const SteelGrade> SteelTable();
// The row of exactly that grade, or null.
const SteelGrade* FindSteelGrade(std::string_view grade);

}  // namespace zarvento
