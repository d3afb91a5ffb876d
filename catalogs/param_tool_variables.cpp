// ParamTool: the tool-model variable protocol (reading and writing the
// model's variables, note markers, the tip position and the insert code).
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogs/param_tool.h"
#include "catalogs/params_grid.h"
#include "nc/plan_parameters.h"
#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/host_size_table.h"

namespace zarvento {

namespace {

// Length of the UTF-8 character that starts with byte c (1 for a stray byte).
std::size_t Utf8Length(unsigned char c) {
    if (c >= 0xF0 && c < 0xF8) return 4;
    if (c >= 0xE0) return 3;
    if (c >= 0xC0) return 2;
    return 1;
}

// The characters (not bytes) of a UTF-8 text.
std::vector<std::string_view> Utf8Chars(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = std::min(Utf8Length(static_cast<unsigned char>(text[i])), text.size() - i);
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

// "%g" without the C library's locale.
std::string FormatG(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Shape letters by Form 1..8.
constexpr std::array<const char*, 8> kShapeLetters{"C", "D", "K", "R", "S", "T", "V", "W"};

struct Clearance {
    double angle;
    const char* letter;
};
constexpr std::array<Clearance, 9> kClearances{
    {{3, "A"}, {5, "B"}, {7, "C"}, {15, "D"}, {20, "E"}, {25, "F"}, {30, "G"}, {0, "N"}, {11, "P"}}};

constexpr std::array<double, 23> kInscribedCircles{3.97,  4.76,  5.56,  6.0,  6.35,  7.94,   8.0,  9.525,
                                                   10.0,  11.11, 12.0,  12.7, 14.29, 15.875, 16.0, 17.46,
                                                   19.05, 20.0,  22.22, 25.0, 25.4,  31.75,  32.0};

// Size numbers by shape (rows C D K R S T V W) and inscribed circle.
constexpr std::array<std::array<int, 23>, 8> kSizeNumbers{{
    {4, 4, 5, 0, 6, 8, 0, 9, 0, 11, 0, 12, 14, 16, 0, 17, 19, 0, 22, 0, 25, 32, 0},
    {4, 5, 6, 0, 7, 9, 0, 11, 0, 13, 0, 15, 17, 19, 0, 21, 23, 0, 27, 0, 31, 38, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {3, 4, 5, 6, 6, 7, 8, 9, 10, 11, 12, 12, 14, 15, 16, 17, 19, 20, 22, 25, 25, 31, 32},
    {3, 4, 5, 0, 6, 7, 0, 9, 0, 11, 0, 12, 14, 15, 0, 17, 19, 0, 22, 0, 25, 31, 0},
    {6, 8, 9, 0, 11, 13, 0, 16, 0, 19, 0, 22, 24, 27, 0, 30, 33, 0, 38, 0, 44, 54, 0},
    {0, 8, 9, 0, 11, 13, 0, 16, 0, 19, 0, 22, 24, 27, 0, 30, 33, 0, 38, 0, 44, 54, 0},
    {0, 3, 3, 0, 4, 5, 0, 6, 0, 7, 0, 8, 9, 10, 0, 11, 13, 0, 15, 0, 17, 21, 0},
}};

constexpr std::array<double, 14> kThicknesses{1.0,  1.59, 1.98, 2.38, 3.18, 3.97, 4.76,
                                              5.56, 6.35, 7.94, 9.52, 10,   11,   12};
// The fourteenth thickness, 12, has no code of its own in the list; ISO
// 1832's symbol of the nearest standard thickness (12.70) is "12".
constexpr std::array<const char*, 14> kThicknessCodes{"T0", "T1", "02", "03", "T3", "04", "05",
                                                      "06", "07", "09", "10", "11", "12", "12"};

// Index of the nearest entry; the first one wins a tie (and a NaN gives 0).
template <std::size_t N>
std::size_t Nearest(const std::array<double, N>& table, double value) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < N; ++i)
        if (std::fabs(table[i] - value) < std::fabs(table[best] - value)) best = i;
    return best;
}

// A spindle/hand mapping of the tip code: `from` codes become `to` codes.
int MapCode(int code, const std::array<int, 3>& from, const std::array<int, 3>& to) {
    for (std::size_t i = 0; i < from.size(); ++i)
        if (code == from[i]) return to[i];
    return code;
}

}  // namespace

bool IsReferenceNote(std::string_view note) { return !note.empty() && note.back() == '*'; }
bool IsHiddenNote(std::string_view note) { return !note.empty() && note.back() == '%'; }

bool ExtractNoteExpression(std::string_view note, std::string& out) {
    const auto open = note.rfind('{');
    const auto close = note.rfind('}');
    if (open == std::string_view::npos || close == std::string_view::npos || open > close) return false;
    std::string_view inside = note.substr(open + 1, close - open - 1);
    // The first character after "{" marks the expression and is not part of it.
    if (!inside.empty())
        inside.remove_prefix(std::min(Utf8Length(static_cast<unsigned char>(inside[0])), inside.size()));
    while (!inside.empty() && (inside.front() == ' ' || inside.front() == '\t')) inside.remove_prefix(1);
    out.assign(inside);
    return true;
}

void ParamTool::ReadModelVariables(const HostDocument& model) {
    const auto vars = model.Variables();
    Npv = static_cast<std::int32_t>(std::min<std::size_t>(vars.size(), kMaxVariables));
    for (int i = 0; i < Npv; ++i) {
        ParamVariable& entry = aVariables[i];
        entry.sName = vars[i]->Name();
        entry.sNote = vars[i]->Comment();
        entry.dValue = vars[i]->Value();
        // A model edited by hand must not bring NaN or an absurd value into
        // the tool table, whence feeds and speeds reach the program.
        if (!IsPlausibleValue(entry.dValue))
            throw HostError(DISP_E_OVERFLOW_, "the tool model \"" + model.FilePath() + "\": variable " + entry.sName +
                                                  " = " + FormatDouble(entry.dValue) + " is out of range");
        TakeDerivedField(entry, true);
        std::string expression;
        if (ExtractNoteExpression(entry.sNote, expression)) {
            entry.sExpression = std::move(expression);
            entry.isComputed = !entry.sExpression.empty();
            // The model's value is what the tool had when the expression
            // was last good; it stands in when it no longer evaluates.
            entry.dDefault = entry.dValue;
        }
    }
    TakeMounting();
    if (Form != 0) MakeInsertDesignation();
}

void ParamTool::ReadModelVariablesFromFile() {
    if (isNoContour || sWorkFile.empty()) return;
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model) return;
    const std::shared_ptr<HostSizeTable> table = FindSizeTable(*model);
    hasSizeTable = table && !table->Empty();
    ReadModelVariables(*model);
}

void ParamTool::WriteModelVariables(PARAMETERS* provider) {
    if (Npv == 0 || isNoContour || sWorkFile.empty()) return;
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model) return;
    PLAN_PARAMETERS standalone;
    if (!provider) provider = ToolFormulaProvider();
    if (!provider) provider = &standalone;
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (const auto& var : model->Variables()) {
        const ParamVariable* entry = nullptr;
        for (int i = 0; i < n && !entry; ++i)
            if (aVariables[i].sName == var->Name()) entry = &aVariables[i];
        if (!entry) continue;
        const std::string& note = var->Comment();
        if (IsReferenceNote(note) || IsHiddenNote(note)) {
            if (IsReferenceNote(note) && !(std::fabs(var->Value() - entry->dValue) <= 0.001))
                HostMessageBox("Значения справочных переменных изменить нельзя", kCaption, kInformationIcon);
            continue;
        }
        if (!entry->sExpression.empty()) {
            double result = entry->dDefault;
            if (!provider->CalcFormula(result, entry->sExpression, true)) result = entry->dDefault;
            var->SetValue(result);
        } else {
            var->SetValue(entry->dValue);
        }
    }
    model->Rebuild();
    ReadModelVariables(*model);
}

void ParamTool::TakeMounting() {
    double stated = 0.0;
    if (GetType() == 12) {
        isInter = true;
    } else if (!GetVariable("isInter", stated) && (nP == 1 || nP == 2 || nP == 6)) {
        isInter = true;
    }
}

void ParamTool::UpdateTipPosition() {
    // Mirrored first for the spindle direction and the hand of the tool ...
    static constexpr std::array<int, 3> kRightM3From{4, 5, 1}, kRightM3To{3, 7, 2};
    static constexpr std::array<int, 3> kRightM4From{3, 7, 2}, kRightM4To{4, 5, 1};
    if (M34 == 3)
        nP = isLeft ? MapCode(nP, kRightM4From, kRightM4To) : MapCode(nP, kRightM3From, kRightM3To);
    else if (M34 == 4)
        nP = isLeft ? MapCode(nP, kRightM3From, kRightM3To) : MapCode(nP, kRightM4From, kRightM4To);
    // ... then for the mounting side.
    nP = isInter ? MapCode(nP, {3, 8, 4}, {2, 6, 1}) : MapCode(nP, {2, 6, 1}, {3, 8, 4});
    SetVariable("nP", static_cast<double>(nP));
    switch (nP) {
        case 1: dNoseDx = -r, dNoseDy = -r; break;
        case 2: dNoseDx = r, dNoseDy = -r; break;
        case 3: dNoseDx = r, dNoseDy = r; break;
        case 4: dNoseDx = -r, dNoseDy = r; break;
        case 5: dNoseDx = -r, dNoseDy = 0; break;
        case 6: dNoseDx = 0, dNoseDy = -r; break;
        case 7: dNoseDx = r, dNoseDy = 0; break;
        case 8: dNoseDx = 0, dNoseDy = r; break;
        default: dNoseDx = 0, dNoseDy = 0; break;
    }
}

void ParamTool::MakeInsertDesignation() {
    GetVariable("iC", iC);
    GetVariable("gamma", gamma);
    GetVariable("s", s);
    if (Form == 0) {
        sComment.clear();
        return;
    }
    // No shape letter or size row is defined for another form: a mark the
    // user gave is kept rather than replaced by a code without a shape.
    if (Form < 1 || Form > 8) return;
    const std::size_t shape = static_cast<std::size_t>(Form - 1);

    std::string code = kShapeLetters[shape];
    const char* clearance = "O";
    for (const auto& c : kClearances)
        if (std::fabs(gamma - c.angle) <= 0.1) {
            clearance = c.letter;
            break;
        }
    code += clearance;
    const auto chars = Utf8Chars(sComment);
    code += chars.size() > 2 ? std::string(chars[2]) : std::string("M");
    code += chars.size() > 3 ? std::string(chars[3]) : std::string("G");
    code += TwoDigits(kSizeNumbers[shape][Nearest(kInscribedCircles, iC)]);
    code += kThicknessCodes[Nearest(kThicknesses, s)];
    if (kShapeLetters[shape][0] == 'R')
        code += "M0";
    else {
        // Two digits hold corners up to 9.9 mm; a NaN or negative radius gives 00.
        const double tenths = r * 10 + 0.01;
        code += TwoDigits(tenths >= 99 ? 99 : tenths > 0 ? static_cast<int>(tenths) : 0);
    }
    sComment = std::move(code);
}

void ParamTool::FillParamsGrid(ParamsGrid& grid) const {
    const int n = std::clamp(Npv, 0, kMaxVariables);
    int shown = 0;
    for (int i = 0; i < n; ++i)
        if (!IsHiddenNote(aVariables[i].sNote)) ++shown;
    const bool withMark = !sComment.empty();
    grid.SetSize(shown + 1 + (withMark ? 1 : 0), 3);
    int row = 1;
    if (withMark) {
        grid.SetCell(row, 0, "Обозначение");
        grid.SetCell(row, 1, "sMark");
        grid.SetCell(row, 2, sComment);
        ++row;
    }
    for (int i = 0; i < n; ++i) {
        const ParamVariable& v = aVariables[i];
        if (IsHiddenNote(v.sNote)) continue;
        grid.SetCell(row, 0, v.sNote);
        grid.SetCell(row, 1, v.sName);
        grid.SetCell(row, 2, FormatG(v.dValue));
        grid.SetReadOnly(row, 2, IsReferenceNote(v.sNote) || (v.isComputed && !v.sExpression.empty()));
        ++row;
    }
    grid.Refresh();
}

}  // namespace zarvento
