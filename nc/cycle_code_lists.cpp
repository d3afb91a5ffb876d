// Template expansion: conditions, repeats, fields, numbering and held lines.
#include "nc/cycle_code_lists.h"

#include <cmath>
#include <optional>

#include "geometry/contour.h"
#include "nc/address_table.h"
#include "nc/cadre_iso.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "nc/plan_contours.h"

namespace zarvento {

namespace {

// Sets ModalState.templateActive for one expansion; an expansion nested in a
// contour output leaves it set for the outer one.
class TemplateActiveGuard {
public:
    TemplateActiveGuard() : saved_(ModalState.templateActive) { ModalState.templateActive = 1; }
    ~TemplateActiveGuard() { ModalState.templateActive = saved_; }
    TemplateActiveGuard(const TemplateActiveGuard&) = delete;
    TemplateActiveGuard& operator=(const TemplateActiveGuard&) = delete;

private:
    std::uint8_t saved_;
};

const std::vector<CodeLine>* SelectList(const CycleCodeLists& t, char selector) {
    switch (selector) {
        case '0': return &t.code;
        case '1': return &t.printPnt;
        case '2': return &t.printEnd;
        default: return nullptr;
    }
}

// The parsed form of one of the line's formulas: slot 0 the condition, 1 the
// repeat, 2 + k argument k.
const ParsedFormula& Parsed(const CodeLine& rec, std::size_t slot, const std::string& text) {
    std::vector<ParsedFormula>& parsed = rec.parsed;
    if (parsed.size() != rec.arguments.size() + 2) parsed.assign(rec.arguments.size() + 2, ParsedFormula());
    if (parsed[slot].Text() != text) parsed[slot] = ParsedFormula(text);
    return parsed[slot];
}

bool ConditionHolds(CCadreISO& frame, const CodeLine& rec) {
    double v = 0.0;
    return frame.EvaluateFormula(Parsed(rec, 0, rec.condition), v) && std::fabs(v) >= 1e-6;
}

// The repetition count: the repeat formula's value + 0.5, truncated. A value
// that is not a sane count (not finite, negative, beyond int32) writes nothing.
std::int32_t RepeatCount(CCadreISO& frame, const CodeLine& rec) {
    if (rec.repeat.empty() || rec.repeat == "1") return 1;
    double v = 0.0;
    frame.EvaluateFormula(Parsed(rec, 1, rec.repeat), v);
    std::int32_t count = 0;
    if (!TruncateToInt32(v + 0.5, count) || count < 0) return 0;
    return count;
}

// Keeps ModalState.lastLineNumbered for the unit frames of a contour output
// and restores it on every exit.
class LastLineNumberedGuard {
public:
    explicit LastLineNumberedGuard(std::uint8_t numbered) : saved_(ModalState.lastLineNumbered) {
        ModalState.lastLineNumbered = numbered;
    }
    ~LastLineNumberedGuard() { ModalState.lastLineNumbered = saved_; }
    LastLineNumberedGuard(const LastLineNumberedGuard&) = delete;
    LastLineNumberedGuard& operator=(const LastLineNumberedGuard&) = delete;

private:
    std::uint8_t saved_;
};

const Contour* NamedPlanContour(const std::string& name) {
    const PlanContours* plan = GetPlanContours();
    if (plan == nullptr) return nullptr;
    if (name == "DETAIL") return plan->DetailContour();
    if (name == "STOCK") return plan->StockContour();
    return nullptr;
}

// Writes the part or stock contour unit by unit, after a rapid lead-in. The
// lead-in goes onto a copy: the plan's own contour is never touched.
void WriteContour(CCadreISO& frame, const CodeLine& rec, std::vector<std::string>& lines, std::int32_t& number) {
    const Contour* source = NamedPlanContour(rec.text);
    if (source == nullptr || source->Empty()) return;
    Contour output(*source);
    output.PrependLine(1000.0, output.GetFirstUnit()->GetStartAngle() * 0.25, true);
    LastLineNumberedGuard numbering(rec.numbered);
    AddressTable::Global().SaveValues();
    for (int i = 0; i < output.Count(); ++i) {
        CadrePtr unitFrame = output.GetUnit(i)->CreateCadre();
        if (!unitFrame) continue;
        unitFrame->codeParameters->parent = frame.codeParameters->parent;
        unitFrame->inheritNumbering = 1;
        unitFrame->SetOutputCoordinates();
        unitFrame->outF = 100000.0;
        unitFrame->WriteText(lines, number);
        if (number != -1) ++number;  // whatever the frame returned; -1 keeps numbering off
    }
}

bool IsFieldEnd(char c) { return c == 'm' || c == 'n' || c == 'f' || c == 's' || c == 't' || c == 'T'; }

void AppendError(std::string message, const CodeLine& rec) {
    ModalState.errorTexts.push_back(std::move(message) + "\n" + rec.text);
}

// Whether a number field's word is a feed: its address is the letter F
// just before the field ("F%m"). A move's block needs a word of where it
// goes; its feed alone moves nothing.
bool IsFeedWord(std::string_view prefix) {
    while (!prefix.empty() && prefix.back() == ' ') prefix.remove_suffix(1);
    return !prefix.empty() && prefix.back() == 'F' && (prefix.size() == 1 || prefix[prefix.size() - 2] == ' ');
}

// Fills the fields of one template line from the record's arguments.
// `unchanged` tells whether the line had fields other than feeds and every
// one of them was a modal word left out: as a move it goes nowhere.
std::string BuildLine(CCadreISO& frame, const CodeLine& rec, bool& unchanged) {
    const std::string& text = rec.text;
    std::string out;
    int fields = 0, leftOut = 0;
    std::size_t argIndex = 0;
    std::size_t segStart = 0;  // where the prefix of the next field begins
    std::size_t pos = 0;
    while (argIndex < rec.arguments.size()) {
        const std::size_t pct = text.find('%', pos);
        if (pct == std::string::npos) break;
        std::size_t j = pct + 1;
        while (j < text.size() && text[j] != ' ' && !IsFieldEnd(text[j])) ++j;
        if (j >= text.size() || text[j] == ' ') {
            pos = pct + 1;
            continue;
        }
        const char kind = text[j];
        std::string pattern = text.substr(pct, j - pct + 1);
        std::string_view prefix(text.data() + segStart, pct - segStart);
        const bool prefixBlank = !prefix.empty() && prefix.front() == ' ';
        if (!ModalState.exportRun)
            while (!prefix.empty() && (prefix.front() == ' ' || prefix.front() == '\r')) prefix.remove_prefix(1);
        pos = j + 1;

        if (pattern.size() == 2 && (kind == 'm' || kind == 'n' || kind == 'f')) {
            const std::string& format = kind == 'm' ? rec.formatM : kind == 'n' ? rec.formatN : rec.formatF;
            if (format.empty()) {
                AppendError(CycleCodeLists::kBadSpecifier, rec);
                continue;
            }
            pattern = format;
        }
        const std::string& argument = rec.arguments[argIndex];
        std::optional<std::string> field;
        bool feed = false;
        if (kind == 'm' || kind == 'n' || kind == 'f') {
            double value = 0.0;
            if (!frame.EvaluateFormula(Parsed(rec, 2 + argIndex, argument), value)) {
                value = 0.0;
                AppendError(CycleCodeLists::kUnknownVariable + argument + CycleCodeLists::kInLine, rec);
            }
            bool left = false;
            field = FormatTemplateNumber(prefix, pattern, value, &left);
            feed = IsFeedWord(prefix);
            if (field && kind == 'm' && left && !feed) ++leftOut;
        } else {
            const std::string* variable = frame.FindTextVariable(argument);
            std::string value = variable != nullptr ? *variable : argument;
            if (kind == 't') value = Transliterate(value);
            if (kind == 'T') value = TransliterateUpper(value);
            // Names come from users and file names: inside a comment they
            // must not close it, nowhere may they break the block.
            const std::string before = out + std::string(prefix);
            value = MarkupSafeText(BlockSafeText(value, IsInsideComment(before)), before);
            field = FormatTemplateText(prefix, pattern, value);
        }
        if (!field) continue;  // the field stays as text and its argument serves the next one
        ++argIndex;
        if (!feed) ++fields;
        if (!field->empty()) {
            if (prefixBlank && !out.empty() && out.back() != ' ') out += ' ';
            out += *field;
        }
        segStart = pos;
    }
    out.append(text, segStart, std::string::npos);
    unchanged = fields > 0 && leftOut == fields;
    return out;
}

// A move whose every word is unchanged moves nowhere as written: its block
// would be an empty "G01".
bool Moves(const CCadreISO& frame) { return frame.kindLetter == 'L' || frame.kindLetter == 'A'; }

}  // namespace

void CycleCodeLists::WriteLines(const CycleCodeLists* templ, CCadreISO* frame, std::vector<std::string>& lines,
                                std::int32_t& number, char selector) {
    if (!ModalState.templatesEnabled || frame == nullptr || templ == nullptr) return;
    const std::vector<CodeLine>* list = SelectList(*templ, selector);
    TemplateActiveGuard active;
    const std::size_t before = lines.size();
    const bool moves = Moves(*frame);
    if (list != nullptr) {
        for (const CodeLine& rec : *list) {
            if (rec.special) {
                if (ConditionHolds(*frame, rec)) WriteContour(*frame, rec, lines, number);
                continue;
            }
            const std::int32_t count = RepeatCount(*frame, rec);
            for (std::int32_t i = 1; i <= count; ++i) {
                ModalState.loopIndex = i;
                if (!ConditionHolds(*frame, rec)) continue;
                bool unchanged = false;
                // A move left unwritten leaves the words as they stood: its
                // new feed is written by the next move that goes somewhere.
                std::vector<AddressTable::Word> words;
                if (moves) words = AddressTable::Global().Words();
                std::string built = BuildLine(*frame, rec, unchanged);
                if (unchanged && moves) {
                    AddressTable::Global().SetWords(std::move(words));
                    continue;
                }
                if (built.empty()) continue;
                if (built == "\\n") built.clear();
                const bool numbered =
                    !rec.hold && (frame->inheritNumbering ? ModalState.lastLineNumbered != 0 : rec.numbered != 0);
                std::string line = ModalState.exportRun ? "" : " ";
                if (numbered && number != -1) {
                    // A record without a usable number format is written unnumbered.
                    if (const auto word = FormatNumberWord(rec.numberFormat, number)) {
                        line += *word + " ";
                        ++number;
                        if (frame->frameNumber == -1) frame->frameNumber = number;
                    }
                }
                line += built;
                if (rec.hold) {
                    ModalState.heldLine = std::move(line);
                } else {
                    CCadreISO::AddTextLine(lines, std::move(line));
                    ModalState.lastLineNumbered = rec.numbered;
                }
            }
            ModalState.loopIndex = 0;
        }
    }
    frame->usedTemplate = templ;
    frame->templateLineCount = static_cast<std::int32_t>(lines.size() - before);
}

}  // namespace zarvento
