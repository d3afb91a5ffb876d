// The MC-code rules: hardened materials (H), zinc and other non-ferrous
// alloys (N), steels (P), stainless steels by the nearest of twelve
// composition prototypes (M), heat-resistant and titanium alloys (S) and cast
// irons (K).
#include "catalogs/classify_material_mc.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace zarvento {

namespace {

constexpr double kTiny = 1e-6;

using Code = std::optional<std::string_view>;

// The integer a text starts with, as the C library reads one: blanks, a sign,
// digits; 0 when none.
int LeadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > 1'000'000'000) break;  // far beyond any group number
    }
    return static_cast<int>(negative ? -value : value);
}

// "Value is at least as near `a` as `b`": ties go to `a`.
bool AtLeastAsNear(double value, double a, double b) { return std::fabs(value - a) <= std::fabs(value - b); }
// "Value is nearer `a` than `b`": ties go to `b`.
bool Nearer(double value, double a, double b) { return std::fabs(value - a) < std::fabs(value - b); }

struct Reference {
    double value;
    std::string_view code;
};

// The code of the first listed reference that is strictly nearer the value
// than every other listed one, the references without a code included;
// otherwise `otherwise`.
std::string_view Nearest(double value, std::initializer_list<Reference> coded, std::initializer_list<double> uncoded,
                         std::string_view otherwise) {
    for (const Reference& candidate : coded) {
        const double d = std::fabs(value - candidate.value);
        bool nearest = true;
        for (const Reference& other : coded)
            if (&other != &candidate && !(d < std::fabs(value - other.value))) nearest = false;
        for (double other : uncoded)
            if (!(d < std::fabs(value - other))) nearest = false;
        if (nearest) return candidate.code;
    }
    return otherwise;
}

struct Facts {
    const MATERIAL& m;
    std::string grade;
    int group = 0;
    bool cast = false;

    bool GradeStartsWith(std::string_view start) const { return grade.rfind(start, 0) == 0; }
    bool FreeCutting() const { return GradeStartsWith("А"); }
};

// --- P: steels ---

Code SteelCode(const Facts& f) {
    const MATERIAL& m = f.m;
    bool unalloyed = m.C < 0.81 && m.Mn < 1.651;
    for (double content : {m.Cr, m.Ni, m.N, m.Cu, m.Mo, m.Nb, m.Ti, m.Ta, m.Al, m.W, m.V, m.Co, m.B})
        if (!(content < 0.49)) unalloyed = false;
    if (unalloyed) {
        if (f.cast) return AtLeastAsNear(m.HB, 300, 150) ? "P1.5.C.AN" : "P1.5.C.UT";
        if (f.FreeCutting()) return "P1.4.Z.AN";
        if (m.C < 0.25 + kTiny) return AtLeastAsNear(m.HB, 190, 125) ? "P1.1.Z.HT" : "P1.1.Z.AN";
        if (m.C > 0.25 && m.C < 0.55 + kTiny) return AtLeastAsNear(m.HB, 210, 190) ? "P1.2.Z.HT" : "P1.2.Z.AN";
        return AtLeastAsNear(m.HB, 300, 190) ? "P1.3.Z.HT" : "P1.3.Z.AN";
    }
    if (m.SumLeg < 5 + kTiny) {
        if (f.cast) return AtLeastAsNear(m.HB, 380, 200) ? "P2.6.C.HT" : "P2.6.C.UT";
        if (f.FreeCutting()) return "P2.4.Z.AN";
        if (std::fabs(m.HB - 330) < 15) return "P2.5.Z.HT";
        if (m.C < 0.25 + kTiny) return "P2.1.Z.AN";
        if (m.C < 0.55 + kTiny) return "P2.2.Z.AN";
        return "P2.3.Z.AN";
    }
    if (f.cast) {
        if (m.Mn > 7) return "P3.2.C.AQ";
        return AtLeastAsNear(m.HB, 340, 200) ? "P3.0.C.HT" : "P3.0.C.UT";
    }
    if (m.sGroup.rfind("02.03", 0) == 0) return "P3.1.Z.AN";
    return Nearer(m.HB, 200, 380) ? "P3.0.Z.AN" : "P3.0.Z.HT";
}

// --- M: stainless steels ---

struct Range {
    double min, max;
};

struct Prototype {
    // C, Cr, Ni, Mn, Si, Mo, Cu
    std::array<Range, 7> ranges;
    bool stabilised;  // titanium, niobium and tantalum are weighed against carbon
    const char* steelClass;
};

// Prototype 8's copper range is kept as the table has it, minimum above
// maximum: every copper content is then some way off it.
constexpr Prototype kPrototypes[12] = {
    {{{{0, 0.12}, {16, 19}, {5, 10}, {0, 6.5}, {0, 1}, {0, 0.7}, {1.75, 2.25}}}, true, nullptr},
    {{{{0, 0.1}, {15, 20}, {8, 19}, {0, 2}, {0, 1}, {0, 0}, {0, 4}}}, false, nullptr},
    {{{{0, 0.08}, {17, 19}, {9, 12}, {0, 2}, {0, 1}, {0, 0}, {0, 1}}}, false, nullptr},
    {{{{0, 0.08}, {16, 18.5}, {10, 15}, {0, 2}, {0, 1}, {2, 3}, {0, 4}}}, false, nullptr},
    {{{{0, 0.08}, {16, 18.5}, {10.5, 14}, {0, 2}, {0, 1}, {2, 3}, {0, 1}}}, true, nullptr},
    {{{{0, 0.03}, {16.5, 18.5}, {12.5, 14.5}, {0, 2}, {0, 1}, {4, 5}, {0, 0}}}, false, nullptr},
    {{{{0, 0.02}, {19, 21}, {20, 26}, {0, 2}, {0, 0.7}, {4, 7}, {0.5, 2}}}, false, "супераустенитная"},
    {{{{0, 0.03}, {21, 23}, {4.5, 6.5}, {0, 2}, {0, 1}, {2.5, 3.5}, {0.5, 0}}}, false, "аустинитно-ферритная"},
    {{{{0.09, 0.15}, {11.5, 14}, {0, 1}, {0, 1}, {0, 1}, {0, 0}, {0, 0}}}, false, "мартенситная C1"},
    {{{{0.17, 0.25}, {16, 18}, {1.5, 2.5}, {0, 1}, {0, 1}, {0, 0}, {0, 0}}}, false, "мартенситная C3"},
    {{{{0.08, 0.15}, {12, 14}, {0, 1}, {0, 1.5}, {0, 1}, {0, 0.6}, {0, 0}}}, false, "мартенситная C4"},
    {{{{0, 0.12}, {15, 18}, {0, 1}, {0, 1}, {0, 1}, {0, 0.6}, {0, 0}}}, true, "ферритная F1"},
};

constexpr double kNoPrototype = 1'000'000;

double Off(double value, const Range& r) {
    if (value < r.min - 0.1) return value - r.min;
    if (value > r.max + 0.1) return value - r.max;
    return 0;
}

double PrototypeDistance(const MATERIAL& m, const Prototype& p) {
    const double contents[7] = {m.C, m.Cr, m.Ni, m.Mn, m.Si, m.Mo, m.Cu};
    double distance = 0;
    for (int k = 0; k < 7; ++k) {
        const double d = Off(contents[k], p.ranges[k]);
        distance += d * d;
    }
    if (!p.stabilised) return distance + m.Ti + m.Nb + m.Ta;
    const double t1 = m.Ti < 5 * m.C - 0.1 ? m.Ti - 5 * m.C : m.Ti > 0.8 ? m.Ti - 0.8 : 0;
    const auto carbide = [&](double v) { return v < 10 * m.C - 0.1 ? v - 5 * m.C : v > 1.0 ? v - 1.0 : 0; };
    const double t2 = carbide(m.Nb), t3 = carbide(m.Ta);
    return distance + t1 * t1 + t2 * t2 + t3 * t3;
}

// The number (1 to 12) of the nearest prototype, 0 when none is nearer than
// the cap; ties keep the earlier one.
int NearestPrototype(const MATERIAL& m) {
    int best = 0;
    double bestDistance = kNoPrototype;
    for (int k = 0; k < 12; ++k) {
        const double d = PrototypeDistance(m, kPrototypes[k]);
        if (d < bestDistance) {
            bestDistance = d;
            best = k + 1;
        }
    }
    return best;
}

Code StainlessCode(const Facts& f, std::string& steelClass) {
    const MATERIAL& m = f.m;
    const int prototype = NearestPrototype(m);
    if (prototype >= 1 && prototype <= 6) {
        char text[40];
        std::snprintf(text, sizeof text, "аустенитная A%d", prototype);
        steelClass = text;
    } else if (prototype > 6) {
        steelClass = kPrototypes[prototype - 1].steelClass;
    }
    if (prototype <= 6) {
        const bool stabilised = m.Ti > 5 * m.C - 0.1 || m.Nb > 10 * m.C - 0.1 || m.Ta > 10 * m.C - 0.1;
        if (f.cast) return stabilised ? "M1.3.C.AQ" : "M1.0.C.UT";
        if (f.FreeCutting()) return "M1.2.Z.AQ";
        if (stabilised) return "M1.3.Z.AQ";
        if (f.grade.find("SANMAC") != std::string::npos) return "M1.1.Z.AQ";
        return Nearer(m.HB, 200, 300) ? "M1.0.Z.AQ" : "M1.0.Z.PH";
    }
    if (prototype == 7) return f.cast ? "M2.0.C.AQ" : "M2.0.Z.AQ";
    if (prototype == 8) {
        const bool two = AtLeastAsNear(m.HB, 260, 230);
        if (f.cast) return two ? "M3.2.C.AQ" : "M3.1.C.AQ";
        return two ? "M3.2.Z.AQ" : "M3.1.Z.AQ";
    }
    if (f.cast) return AtLeastAsNear(m.HB, 330, 250) ? "P5.0.C.HT" : "P5.0.C.UT";
    if (f.FreeCutting()) return "P5.1.Z.AN";
    if (Nearer(m.HB, 200, 330)) return "P5.0.Z.AN";
    return m.Cr > 15.9 && m.Ni > 6.4 && m.Al > 0.5 && m.Al < 1.5 ? "P5.0.Z.PH" : "P5.0.Z.HT";
}

// --- S: heat-resistant and titanium alloys ---

struct TitaniumList {
    std::initializer_list<std::string_view> names;
    double hard;  // the hardness that gives the aged code
};

Code TitaniumCode(const Facts& f) {
    const MATERIAL& m = f.m;
    if (m.Ti > 99) return "S4.1.Z.UT";
    static const std::initializer_list<std::string_view> kAnnealed = {"ВТ5",   "ВТ5-1", "ПТ-7М", "4200",  "ОТ4-0",
                                                                      "ОТ4-1", "ОТ4",   "ВТ4",   "ОТ4-2", "ПТ-3В",
                                                                      "АТ2",   "АТ3",   "АТ4",   "ВТ20",  "ТС5"};
    static const std::initializer_list<std::string_view> kAlphaBeta = {"ВТ6С", "ВТ6",  "ВТ3-1", "ВТ8",  "ВТ9",
                                                                       "ВТ14", "ВТ16", "ВТ23",  "ВТ22", "ВТ30"};
    static const std::initializer_list<std::string_view> kBeta = {"ВТ15", "ТС6", "ВТ32", "ВТ35", "4201"};
    const auto listed = [&](const std::initializer_list<std::string_view>& names) {
        for (std::string_view name : names)
            if (f.grade.find(name) != std::string::npos) return true;
        return false;
    };
    if (listed(kAnnealed)) return "S4.2.Z.AN";
    if (listed(kAlphaBeta)) return AtLeastAsNear(m.HB, 375, 330) ? "S4.3.Z.AG" : "S4.3.Z.AN";
    if (listed(kBeta)) return AtLeastAsNear(m.HB, 410, 330) ? "S4.4.Z.AG" : "S4.4.Z.AN";
    return std::nullopt;
}

Code HeatResistantCode(const Facts& f) {
    const MATERIAL& m = f.m;
    if (m.Ni > 49.9) {
        if (f.cast) return "S2.0.C.NS";
        return Nearest(m.HB, {{250, "S2.0.Z.AN"}, {350, "S2.0.Z.AG"}}, {275}, "S2.0.Z.UT");
    }
    if (m.Co <= 70) {
        if (f.group == 11 || m.Ti > 50) return TitaniumCode(f);
        if (m.W <= 50) {
            if (m.Mo > 10) return "S6.0.U.NS";
            return AtLeastAsNear(m.HB, 280, 200) ? "S1.2.U.AG" : "S1.1.U.AN";
        }
        return "S5.0.U.NS";
    }
    if (f.cast) return "S3.0.C.NS";
    return AtLeastAsNear(m.HB, 300, 200) ? "S3.0.Z.AG" : "S3.0.Z.AN";
}

// --- K: cast irons ---

Code CastIronCode(const Facts& f) {
    const MATERIAL& m = f.m;
    const int kind = m.sGroup.size() > 3 ? LeadingInteger(std::string_view(m.sGroup).substr(3)) : 0;
    if (kind == 1) return Nearest(m.HB, {{180, "K2.1.C.UT"}, {245, "K2.2.C.UT"}}, {175}, "K2.3.C.UT");
    if (kind == 3)
        return Nearest(m.HB, {{155, "K3.1.C.UT"}, {215, "K3.2.C.UT"}, {265, "K3.3.C.UT"}}, {190, 330}, "K3.4.C.UT");
    if (kind == 2 && m.HB > 290) return Nearest(m.HB, {{300, "K5.1.C.NS"}, {400, "K5.2.C.NS"}}, {460}, "K5.3.C.NS");
    if (m.sMaterial.find("ГОСТ 28394") != std::string::npos) return Nearer(m.HB, 160, 230) ? "K4.1.C.UT" : "K4.2.C.UT";
    return Nearer(m.HB, 200, 260) ? "K1.1.C.NS" : "K1.2.C.NS";
}

// --- N: non-ferrous alloys ---

bool ZincAlloy(const Facts& f) { return f.GradeStartsWith("Ц") || f.GradeStartsWith("Zn"); }

Code NonFerrousCode(const Facts& f) {
    const MATERIAL& m = f.m;
    if (f.group == 8) {
        if (f.cast) {
            if (m.Si < 1.1) return "N1.2.C.NS";
            if (m.Si > 1.0 && m.Si < 13) return Nearer(m.HB, 75, 90) ? "N1.3.C.UT" : "N1.3.C.AG";
            if (m.Si > 12.999 && m.Si < 16) return "N1.4.C.NS";
            return "N1.5.C.NS";
        }
        if (!(m.Si < 1.1)) return std::nullopt;
        if (m.Al > 95) return "N1.1.Z.UT";
        return Nearer(m.HB, 60, 100) ? "N1.2.Z.UT" : "N1.2.Z.AG";
    }
    if (f.group == 10) return "N2.0.C.UT";
    if (f.group == 7) {
        if (m.HB > 225) return "N3.4.C.UT";
        if (m.Pb < 0.25) return "N3.1.U.UT";
        if (m.Pb < 1.1) return Nearer(m.HB, 90, 35) ? "N3.2.C.UT" : "N3.2.S.UT";
        return "N3.3.U.UT";
    }
    if (ZincAlloy(f)) return "N4.0.C.UT";
    return std::nullopt;
}

// --- H: hardened materials ---

Code HardenedCode(const Facts& f) {
    if (f.group >= 0 && f.group <= 5)
        return Nearest(f.m.HRC, {{45, "H1.0.Z.HA"}, {50, "H1.1.Z.HA"}, {55, "H1.2.Z.HA"}, {60, "H1.3.Z.HA"}}, {63},
                       "H1.4.Z.HA");
    if (f.group == 6) return "H2.0.C.UT";
    return std::nullopt;
}

}  // namespace

void ClassifyMaterialMC(MATERIAL& m) {
    m.SumLeg = m.Cr + m.Ni + m.Mn + m.Ti + m.Al + m.Nb + m.Ta + m.Si + m.N + m.Mo + m.B + m.W + m.V + m.Co + m.Cu +
               m.Zn + m.Se + m.Pb;
    const Facts f{m, m.pGrade.value_or(std::string()), LeadingInteger(m.sGroup),
                  m.nSposobStock == 3 || m.nSposobStock == 5};

    Code code;
    std::string steelClass = m.sSteelClass;
    if (m.HB >= 400) {
        code = HardenedCode(f);
    } else if (ZincAlloy(f)) {
        code = NonFerrousCode(f);
    } else if (f.group >= 0 && f.group <= 5) {
        if (m.Cr < 12 && m.Ni < 5 && m.Ti < 3)
            code = SteelCode(f);
        else if (m.Cr > 11.9 && m.Ni < 27.1 && m.Ti < 5 && m.W < 5 && m.Co < 5 && m.Mo < 5)
            code = StainlessCode(f, steelClass);
        else if (m.Ni > 27)
            code = HeatResistantCode(f);
    } else if (f.group == 11 || m.Ti > 50 || m.W > 50 || m.Co > 70 || m.Mo > 10) {
        code = HeatResistantCode(f);
    } else if (f.group == 6) {
        code = CastIronCode(f);
    } else if (f.group == 7 || f.group == 8 || f.group == 10) {
        code = NonFerrousCode(f);
    }
    m.sSteelClass = std::move(steelClass);
    // A material no rule covers has no code: the code of the material read
    // before (a steel's, say, for a titanium) would send its cutting data.
    m.sMCcode = code ? std::string(*code) : std::string();
}

}  // namespace zarvento
