// The chemical composition a GOST grade notation tells: carbon from the
// leading number (hundredths of a per cent, tenths for carbon tool steels),
// an alloying element from the number after its letter (a letter alone means
// about one per cent), bearing and high-speed steels by their own marks.
#pragma once

#include "nc/material.h"

namespace zarvento {

// The content of one element read from the record's grade (pGrade), in per
// cent; `letter` is the element's Cyrillic letter (Х chromium, Н nickel ...)
// or '_' for carbon. Reading carbon from a bearing grade (ШХ15) also sets the
// record's Cr, and from a high-speed grade (Р18) its Cr, V and W.
double GradeContent(MATERIAL& material, char32_t letter);

// Takes the grade from the designation (MATERIAL::ExtractMark) and, for a
// steel (group number 0 to 5, or none), fills each content the reference
// left below 1e-6 from it: C, Si, Mn, Cr, Ni, N, P, Cu, Mo, Nb, Ti, Al, W, V,
// Co, B, Se, Fe in this order.
void CompleteFromGrade(MATERIAL& material);

}  // namespace zarvento
