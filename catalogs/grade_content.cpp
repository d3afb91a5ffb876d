// Reading a grade notation for its composition.
#include "catalogs/grade_content.h"

#include <charconv>
#include <string>

#include "platform/core/utf8_text.h"

namespace zarvento {

namespace {

constexpr double kTiny = 1e-6;

// The number that starts at `at` as the C library reads one: blanks, a sign,
// digits with an optional fraction; 0 when none stands there.
double NumberAt(const std::u32string& grade, std::size_t at) {
    while (at < grade.size() && (grade[at] == U' ' || grade[at] == U'\t')) ++at;
    std::string digits;
    if (at < grade.size() && (grade[at] == U'-' || grade[at] == U'+')) digits += static_cast<char>(grade[at++]);
    bool point = false;
    for (; at < grade.size(); ++at) {
        const char32_t c = grade[at];
        if (c >= U'0' && c <= U'9') {
            digits += static_cast<char>(c);
        } else if (c == U'.' && !point) {
            point = true;
            digits += '.';
        } else {
            break;
        }
    }
    const char* first = digits.data();
    if (!digits.empty() && digits.front() == '+') ++first;
    double value = 0;
    if (std::from_chars(first, digits.data() + digits.size(), value).ec != std::errc()) return 0;
    return value;
}

bool StartsWith(const std::u32string& text, std::u32string_view start) {
    return text.size() >= start.size() && std::u32string_view(text).substr(0, start.size()) == start;
}

struct ElementLetter {
    double MATERIAL::*field;
    char32_t letter;
};

constexpr ElementLetter kGradeLetters[] = {
    {&MATERIAL::C, U'_'},  {&MATERIAL::Si, U'С'}, {&MATERIAL::Mn, U'Г'}, {&MATERIAL::Cr, U'Х'}, {&MATERIAL::Ni, U'Н'},
    {&MATERIAL::N, U'А'},  {&MATERIAL::P, U'П'},  {&MATERIAL::Cu, U'Д'}, {&MATERIAL::Mo, U'М'}, {&MATERIAL::Nb, U'Б'},
    {&MATERIAL::Ti, U'Т'}, {&MATERIAL::Al, U'Ю'}, {&MATERIAL::W, U'В'},  {&MATERIAL::V, U'Ф'},  {&MATERIAL::Co, U'К'},
    {&MATERIAL::B, U'Р'},  {&MATERIAL::Se, U'Е'}, {&MATERIAL::Fe, U'Ж'},
};

}  // namespace

double GradeContent(MATERIAL& material, char32_t letter) {
    if (!material.pGrade) return 0;
    const std::u32string grade = Utf8ToUtf32(*material.pGrade);
    if (grade.size() < 2) return 0;

    // The marks in front that name no element: the supply group of an
    // ordinary steel (БСт, ВСт), the У of carbon tool steels and the leading
    // К and М of other series (copper М1); the А of free-cutting steels and
    // the С (lead, or an ordinary steel's Ст) or Ц (calcium, or a zinc alloy)
    // that follows it or stands first.
    std::size_t from = 0;
    const bool toolSteel = grade[0] == U'У';
    if (StartsWith(grade, U"БС") || StartsWith(grade, U"ВС") || toolSteel || grade[0] == U'К' || grade[0] == U'М') {
        from = 1;
    } else {
        if (grade[from] == U'А') ++from;
        if (from < grade.size() && (grade[from] == U'С' || grade[from] == U'Ц')) ++from;
    }
    std::u32string text = grade.substr(from);
    if (text.size() < 2) return 0;
    // The marks of quality (А, high grade) and of a casting (Л), and the К of
    // boiler steels, stand last.
    if (text.back() == U'А' || text.back() == U'К' || text.back() == U'Л') text.pop_back();

    if (letter != U'_') {
        // The Р that opens a high-speed grade is its own mark, not boron.
        const std::size_t searchFrom = letter == U'Р' && text.front() == U'Р' ? 1 : 0;
        const std::size_t at = text.find(letter, searchFrom);
        if (at == std::u32string::npos) return 0;
        const double value = NumberAt(text, at + 1);
        if (value < -kTiny) return 0;
        if (value < kTiny) return 1.0;  // the letter alone: about one per cent
        return value;
    }

    if (StartsWith(text, U"ШХ")) {
        material.Cr = NumberAt(text, 2) * 0.1;
        return 1.0;
    }
    if (text.front() == U'Р') {
        material.Cr = 3.5;
        material.V = 1.5;
        material.W = NumberAt(text, 1);
        return 1.0;
    }
    // Carbon tool steels give carbon in tenths of a per cent.
    return NumberAt(text, 0) * (toolSteel ? 0.1 : 0.01);
}

namespace {

// The reference's group number a text starts with; steels are 0 to 5, and a
// material without a group counts as one.
bool SteelGroup(const std::string& group) {
    std::size_t at = 0;
    while (at < group.size() && group[at] == ' ') ++at;
    int number = 0;
    for (; at < group.size() && group[at] >= '0' && group[at] <= '9' && number < 100; ++at)
        number = number * 10 + (group[at] - '0');
    return number <= 5;
}

}  // namespace

void CompleteFromGrade(MATERIAL& material) {
    material.pGrade = material.ExtractMark();
    // The notation is the steels': read into an aluminium alloy's В95 it
    // would give 95 % tungsten.
    if (!SteelGroup(material.sGroup)) return;
    for (const ElementLetter& e : kGradeLetters) {
        double& content = material.*e.field;
        if (content < kTiny) content = GradeContent(material, e.letter);
    }
}

}  // namespace zarvento
