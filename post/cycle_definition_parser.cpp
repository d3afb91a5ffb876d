// Interpreting the statements of a VERSION "17"/"18" machine-cycle section:
// cycle definitions with parameters and choices, frame templates, address
// words and their formulas, line formats and tables.
#include "post/cycle_definition_parser.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "nc/address_table.h"
#include "nc/cycle_code_lists.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "platform/core/messages.h"
#include "post/description_statement.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"
#include "post/post_processor_table.h"

namespace zarvento {

namespace {

constexpr std::string_view kTemplateVersion = "18";

// The message with each "%s" replaced by the next text, in one pass, so that a
// "%s" inside a text stays as it is.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> texts) {
    std::string out;
    auto next = texts.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && next != texts.end()) {
            out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

void ShowParserMessage(std::string_view pattern, std::initializer_list<std::string_view> texts) {
    ShowHostMessage(FormatMessage(pattern, texts));
}

// A number at the start of the text, as the C library reads one: blanks, a
// sign and the digits that follow; anything else gives 0.
std::int64_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        return i < text.size() && text[i] == '-' ? std::numeric_limits<std::int64_t>::min()
                                                 : std::numeric_limits<std::int64_t>::max();
    return ec == std::errc() ? value : 0;
}

std::int32_t LeadingInt32(std::string_view text) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        LeadingInteger(text), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// A ROW value: a decimal number with '.' as its point at the start of the
// text; a text that is no number gives 0.
double LeadingDouble(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data() + i, text.data() + text.size(), value, std::chars_format::general);
    (void)end;
    return ec == std::errc() ? value : 0.0;
}

// What FORMAT sets and every later line takes a copy of.
struct LineSettings {
    std::int32_t code = 0;  // kept for the description's sake; no line reads it
    bool number = true;
    std::string print = "1";
    std::string formatNumber = "N%3f";
    std::string formatM = "%5.3m";
    std::string formatN = "%5.3n";
    std::string formatF = "%5.3f";
};

class StatementInterpreter {
public:
    StatementInterpreter(CPostProcessor& post, bool templates) : post_(post), templates_(templates) {}

    void Interpret(const DescriptionStatement& s);
    // The choice fix-up of the definitions and the tables made ready for look-ups.
    void Finish();

private:
    using Args = std::vector<std::string>;

    void StartCycle(const std::string& keyword, const Args& a);
    void AddParameter(const Args& a);
    void AddChoice(const Args& a);
    void ApplyFormat(const Args& a);
    void StartFrameTemplate(const Args& a);
    void StartTable(const Args& a);
    // A template line with the current settings: text from argument textIndex,
    // the arguments behind it as its fields.
    CodeLine MakeLine(const Args& a, std::size_t textIndex) const;
    // The current cycle's lines, made when its first line arrives.
    CycleCodeLists& CycleLines();
    void ClearCurrent() {
        cycle_ = nullptr;
        cycleLines_.reset();
        frameTemplate_ = nullptr;
        table_ = nullptr;
    }

    CPostProcessor& post_;
    const bool templates_;  // VERSION "18"
    LineSettings settings_;
    // At most one of the cycle, the frame template and the table is current.
    CCycle_Auto* cycle_ = nullptr;
    std::shared_ptr<CycleCodeLists> cycleLines_;
    CycleCodeLists* frameTemplate_ = nullptr;
    PostProcessorTable* table_ = nullptr;
    CycleParameter* parameter_ = nullptr;  // a parameter of the current cycle
};

void StatementInterpreter::Interpret(const DescriptionStatement& s) {
    const std::string& k = s.keyword;
    const Args& a = s.arguments;
    if (k == "CYCLE" || k == "CYCLE_PREPARE" || k == "CYCLE_GROUP") {
        StartCycle(k, a);
    } else if (k == "COMMENT") {
        if (cycle_ && a.size() == 1) cycle_->SetComment(a[0]);
    } else if (k == "FEATURE") {
        if (cycle_ && !a.empty()) cycle_->profilDemands = a[0];
    } else if (k == "TRAJECTORY") {
        if (cycle_ && !a.empty()) {
            cycle_->trajectory = a[0];
            cycle_->entryList.insert(cycle_->entryList.end(), a.begin() + 1, a.end());
        }
    } else if (k == "TOOL") {
        if (cycle_ && a.size() == 1) cycle_->toolDemands = a[0];
    } else if (k == "PARAM") {
        if (cycle_) AddParameter(a);
    } else if (k == "value") {
        if (cycle_ && parameter_) AddChoice(a);
    } else if (!templates_) {
        // The rest belongs to VERSION "18" alone.
    } else if (k == "ALPHABET") {
        for (const std::string& word : a)
            if (!word.empty()) AddressTable::Global().AddWord(word);
    } else if (k == "METRIC") {
        for (const std::string& word : a) AddressTable::Global().SetFormula(word, a.front());
    } else if (k == "FORMAT") {
        ApplyFormat(a);
    } else if (k == "CODE") {
        StartFrameTemplate(a);
    } else if (k == "TABLE") {
        StartTable(a);
    } else if (k == "COLUMN_NAMES") {
        if (table_) table_->columnNames = a;
    } else if (k == "ROW") {
        if (table_) {
            std::vector<double> row;
            row.reserve(a.size());
            for (const std::string& v : a) row.push_back(LeadingDouble(v));
            table_->rows.push_back(std::move(row));
        }
    } else if (k == "PRINT" || k == "PRINT_MEM" || k == "FORMULA") {
        CodeLine line = MakeLine(a, 0);
        line.hold = k != "PRINT" ? 1 : 0;
        if (frameTemplate_) {
            if (k == "FORMULA") line.text += "%m";
            frameTemplate_->code.push_back(std::move(line));
        } else if (cycle_ && k != "FORMULA") {
            CycleLines().code.push_back(std::move(line));
        }
    } else if (k == "PRINT_CONTOUR") {
        if (frameTemplate_) {
            CodeLine line = MakeLine(Args{a.front()}, 0);
            line.special = 1;
            frameTemplate_->code.push_back(std::move(line));
        }
    } else if (k == "PRINT_TBL") {
        if (frameTemplate_) {
            CodeLine line = MakeLine(a, 1);
            line.repeat = a.front();
            frameTemplate_->code.push_back(std::move(line));
        }
    } else if (k == "PRINT_PNT" || k == "PRINT_CNT" || k == "PRINT_END") {
        if (cycle_) {
            CycleCodeLists& lines = CycleLines();
            std::vector<CodeLine>& list = k == "PRINT_PNT"   ? lines.printPnt
                                          : k == "PRINT_CNT" ? lines.printCnt
                                                             : lines.printEnd;
            list.push_back(MakeLine(a, 0));
        }
    }
}

void StatementInterpreter::StartCycle(const std::string& keyword, const Args& a) {
    auto cycle = std::make_unique<CCycle_Auto>();
    cycle->textList.push_back(keyword);
    if (keyword == "CYCLE_GROUP") cycle->groupFlag = 1;
    if (keyword == "CYCLE_PREPARE") cycle->groupFlag2 = 1;
    if (a.size() >= 3) {
        cycle->SetGCode(a[0]);
        cycle->SetName(a[1]);
        cycle->SetType(a[2]);
    } else {
        ShowParserMessage(kCycleArgumentCountError, {keyword});
    }
    cycle->SetPostProcessorName(post_.GetName());
    ClearCurrent();
    cycle_ = cycle.get();
    // A value statement before this cycle's first PARAM must not reach back
    // into the parameters of the cycle before.
    parameter_ = nullptr;
    post_.AddCycleDefinition(std::move(cycle));
}

void StatementInterpreter::AddParameter(const Args& a) {
    if (cycle_->paramCount >= CCadreCycle::kMaxParameters) {
        ShowParserMessage(kTooManyParametersError, {cycle_->GetGCode(), a.empty() ? "" : a[0]});
        parameter_ = nullptr;
        return;
    }
    CycleParameter& p = cycle_->params[static_cast<std::size_t>(std::max(cycle_->paramCount, 0))];
    cycle_->paramCount = std::max(cycle_->paramCount, 0) + 1;
    parameter_ = &p;
    if (a.size() < 3) {
        ShowParserMessage(kParamArgumentCountError, {cycle_->GetGCode()});
        return;
    }
    p.name = a[0];
    if (a[1].size() == 1)
        p.kind = a[1][0];
    else if (a[1] == "OD")
        p.kind = 'K';
    else if (a[1] == "OP")
        p.kind = '1';
    p.caption = a[2];
    if (a.size() >= 4) p.valueText = a[3];
    if (a.size() >= 5) p.autoFormula = a[4];
}

void StatementInterpreter::AddChoice(const Args& a) {
    CycleParameter& p = *parameter_;
    if (p.listCount >= CycleParameter::kMaxListEntries || p.listCount < 0) {
        ShowParserMessage(kTooManyValuesError, {cycle_->GetGCode(), p.name, a.front()});
        return;
    }
    const std::int32_t index = p.listCount;
    const auto i = static_cast<std::size_t>(index);
    p.listTexts[i] = a.front();
    p.listValues[i] = a.size() >= 2 ? LeadingInt32(a[1]) : index;
    p.listCodes[i] = a.size() >= 3 ? LeadingInt32(a[2]) : index;
    p.listCount = index + 1;
}

void StatementInterpreter::ApplyFormat(const Args& a) {
    for (const std::string& arg : a) {
        const std::string_view text = arg;
        if (text.starts_with("%m=")) {
            settings_.formatM = text.substr(3);
        } else if (text.starts_with("%n=")) {
            settings_.formatN = text.substr(3);
        } else if (text.starts_with("%f=")) {
            settings_.formatF = text.substr(3);
        } else if (const std::size_t code = CPostProcessor::FindAssignment(text, "code");
                   code != std::string_view::npos) {
            settings_.code = LeadingInt32(text.substr(code));
        } else if (const std::size_t format = CPostProcessor::FindAssignment(text, "format_number");
                   format != std::string_view::npos) {
            settings_.formatNumber = text.substr(format);
        } else if (const std::size_t number = CPostProcessor::FindAssignment(text, "number");
                   number != std::string_view::npos) {
            settings_.number = number < text.size() && text[number] == '1';
        } else if (const std::size_t print = CPostProcessor::FindAssignment(text, "print");
                   print != std::string_view::npos) {
            settings_.print = text.substr(print);
        }
    }
}

void StatementInterpreter::StartFrameTemplate(const Args& a) {
    ClearCurrent();
    auto templ = std::make_unique<CycleCodeLists>();
    CycleCodeLists* raw = templ.get();
    if (FrameTemplates::Set(a.front(), std::move(templ))) frameTemplate_ = raw;
}

void StatementInterpreter::StartTable(const Args& a) {
    ClearCurrent();
    auto table = std::make_shared<PostProcessorTable>();
    if (a.size() == 2) {
        table->name = a[0];
        table->secondValue = a[1];
    }
    table_ = table.get();
    post_.AddTable(std::move(table));
}

CodeLine StatementInterpreter::MakeLine(const Args& a, std::size_t textIndex) const {
    CodeLine line;
    line.numbered = settings_.number ? 1 : 0;
    line.condition = settings_.print;
    line.numberFormat = settings_.formatNumber;
    line.formatM = settings_.formatM;
    line.formatN = settings_.formatN;
    line.formatF = settings_.formatF;
    line.repeat = "1";
    if (textIndex < a.size()) {
        line.text = a[textIndex];
        line.arguments.assign(a.begin() + static_cast<std::ptrdiff_t>(textIndex) + 1, a.end());
    }
    return line;
}

CycleCodeLists& StatementInterpreter::CycleLines() {
    if (!cycleLines_) {
        cycleLines_ = std::make_shared<CycleCodeLists>();
        cycle_->cycleTemplate = cycleLines_;
    }
    return *cycleLines_;
}

void StatementInterpreter::Finish() {
    // A list parameter's value text is its chosen entry counted from 0; from
    // here on it counts from 1, with the index beside it.
    for (const auto& cycle : post_.GetCycles()) {
        for (CycleParameter& p : cycle->params) {
            if (p.listCount <= 0) continue;
            const std::int32_t index = LeadingInt32(p.valueText);
            p.intValue = index;
            p.valueText = std::to_string(static_cast<std::int64_t>(index) + 1);
        }
    }
    std::vector<PostProcessorTablePtr>& global = GlobalTableList();
    global.clear();
    for (const auto& table : post_.GetTables()) {
        table->Finish();
        if (!table->name.empty() && !table->HasData()) ShowParserMessage(kTableWithoutDataError, {table->name});
        global.push_back(table);
    }
}

}  // namespace

void ParseCycleDefinition(CPostProcessor& post, std::string_view section) {
    const bool templates = PostProcessorSettings::Current().Version == kTemplateVersion;
    StatementInterpreter interpreter(post, templates);
    {
        const std::vector<DescriptionStatement> statements =
            ScanDescriptionStatements(section, ModalState.exportRun != 0);
        for (const DescriptionStatement& statement : statements) interpreter.Interpret(statement);
    }
    interpreter.Finish();
}

}  // namespace zarvento
