// Scanning a machine-cycle section into statements: keywords, argument
// lists, the select_from_table rewrite and the argument split.
#include "post/description_statement.h"

#include <algorithm>

#include "post/post_processor.h"

namespace zarvento {

namespace {

constexpr std::size_t kSectionWordLength = std::string_view("BEGIN_MACHINE_CYCLES").size();
constexpr std::string_view kTableFunction = "select_from_table";

// The next occurrence of a pattern at or behind a position. The scanner asks
// with positions that only grow, so an answer stays good until the position
// passes it, and the whole scan reads the section a bounded number of times
// however many keywords lack their parentheses.
class ForwardFinder {
public:
    ForwardFinder(std::string_view text, std::string_view pattern) : text_(text), pattern_(pattern) {}

    std::size_t Next(std::size_t from) {
        if (searched_ && (found_ == std::string_view::npos || from <= found_)) return found_;
        found_ = text_.find(pattern_, from);
        searched_ = true;
        return found_;
    }

private:
    std::string_view text_;
    std::string_view pattern_;
    std::size_t found_ = std::string_view::npos;
    bool searched_ = false;
};

bool MayStartKeyword(char c) {
    return c == 'C' || c == 'F' || c == 'T' || c == 'P' || c == 'v' || c == 'A' || c == 'M' || c == 'R';
}

std::string_view KeywordAt(std::string_view text, std::size_t pos) {
    if (!MayStartKeyword(text[pos])) return {};
    for (std::string_view keyword : kStatementKeywords)
        if (CPostProcessor::StartsWithKeyword(text, pos, keyword)) return keyword;
    return {};
}

// Inside select_from_table(...) the apostrophes become blanks and the commas
// ";", so that the call stays one argument; the function splits its own
// arguments at ";". Each stretch is rewritten once, however the calls overlap.
void RewriteTableCalls(std::string& text) {
    std::size_t done = 0;  // rewritten up to here, which is a ')' or the end
    for (std::size_t at = text.find(kTableFunction); at != std::string::npos; at = text.find(kTableFunction, at + 1)) {
        const std::size_t from = at + 1;
        if (from < done) continue;  // inside a stretch already rewritten, with the same ')'
        const std::size_t close = text.find(')', from);
        const std::size_t end = close == std::string::npos ? text.size() : close;
        for (std::size_t i = from; i < end; ++i) {
            if (text[i] == '\'')
                text[i] = ' ';
            else if (text[i] == ',')
                text[i] = ';';
        }
        done = end;
    }
}

bool IsBlank(char c) { return c == ' '; }

}  // namespace

bool CPostProcessor::StartsWithKeyword(std::string_view text, std::size_t pos, std::string_view keyword) {
    return pos <= text.size() && text.substr(pos).starts_with(keyword);
}

void CPostProcessor::AddArgument(DescriptionStatement& statement, std::string_view text, std::size_t start,
                                 std::size_t end) {
    end = std::min(end, text.size());
    start = std::min(start, end);
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    statement.arguments.emplace_back(text.substr(start, end - start));
}

std::size_t CPostProcessor::FindAssignment(std::string_view argument, std::string_view name) {
    constexpr std::size_t npos = std::string_view::npos;
    if (name.empty()) return npos;
    std::size_t pos = argument.find(name);
    if (pos == npos) return npos;
    const auto skipBreaks = [&](std::size_t p) {
        while (p < argument.size() && (argument[p] == ' ' || argument[p] == '\r' || argument[p] == '\n')) ++p;
        return p;
    };
    pos = skipBreaks(pos + name.size());
    if (pos >= argument.size() || argument[pos] != '=') return npos;
    pos = skipBreaks(pos + 1);
    if (pos < argument.size() && argument[pos] == '=') return npos;
    return pos;
}

void SplitStatementArguments(DescriptionStatement& statement, std::string_view text, char separator,
                             bool keepFirstLeadingBlanks) {
    std::size_t pos = 0;
    bool first = true;
    // Every round ends at a comma behind pos or at the end of the text.
    while (true) {
        std::size_t lead = pos;
        while (lead < text.size() && IsBlank(text[lead])) ++lead;
        const bool keepLead = first && keepFirstLeadingBlanks;
        std::size_t comma;
        if (lead < text.size() && text[lead] == '\'') {
            // Quoted: the text up to the next apostrophe, commas included,
            // then whatever follows up to the comma; the argument as a whole
            // loses its blanks at both ends like any other (the first one
            // keeps its leading blanks while a script export runs).
            const std::size_t closing = std::min(text.find('\'', lead + 1), text.size());
            const std::size_t afterQuote = std::min(closing + 1, text.size());
            comma = text.find(separator, afterQuote);
            const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
            std::string argument(text.substr(lead + 1, closing - lead - 1));
            argument += text.substr(afterQuote, end - afterQuote);
            while (!argument.empty() && IsBlank(argument.back())) argument.pop_back();
            if (keepLead) {
                argument.insert(0, text.substr(pos, lead - pos));
            } else {
                argument.erase(0, std::min(argument.find_first_not_of(' '), argument.size()));
            }
            statement.arguments.push_back(std::move(argument));
        } else {
            comma = text.find(separator, lead);
            CPostProcessor::AddArgument(statement, text, lead, comma == std::string_view::npos ? text.size() : comma);
            if (keepLead) statement.arguments.back().insert(0, text.substr(pos, lead - pos));
        }
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
        first = false;
    }
}

std::vector<DescriptionStatement> ScanDescriptionStatements(std::string_view section, bool keepFirstLeadingBlanks) {
    std::vector<DescriptionStatement> statements;
    ForwardFinder openings(section, "(");
    ForwardFinder closings(section, ");");
    std::size_t p = std::min(kSectionWordLength, section.size());
    // p grows by at least one character in every round.
    while (p < section.size()) {
        const std::string_view keyword = KeywordAt(section, p);
        if (keyword.empty()) {
            ++p;
            continue;
        }
        const std::size_t q = p + keyword.size();
        const std::size_t open = openings.Next(q);
        const std::size_t close = closings.Next(q);
        if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) {
            p = q + 1;
            continue;
        }
        const std::string_view argumentText = section.substr(open + 1, close - open - 1);
        // Behind the keyword by the length of the list, which may leave p
        // inside the list when text stands between the keyword and "(".
        p = q + argumentText.size();
        std::string copy(argumentText);
        RewriteTableCalls(copy);
        DescriptionStatement statement;
        statement.keyword = std::string(keyword);
        SplitStatementArguments(statement, copy, ',', keepFirstLeadingBlanks);
        statements.push_back(std::move(statement));
    }
    return statements;
}

}  // namespace zarvento
