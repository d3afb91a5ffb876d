// HostSizeTable: the table of variable values, its file form and the row
// chooser; HostModelSource.
#include "platform/documents/host_size_table.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

SizeTableChooser& Chooser() {
    static SizeTableChooser chooser;
    return chooser;
}

// Fields of the file form are separated by tabs, rows by line feeds; a name
// never holds either (they are replaced by blanks when a row is added).
std::string Clean(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

}  // namespace

void HostSizeTable::AddRow(Row row) {
    if (row.values.size() != columns_.size())
        throw HostError(E_INVALIDARG_, "a size-table row needs one value per column");
    row.name = Clean(std::move(row.name));
    rows_.push_back(std::move(row));
}

bool HostSizeTable::ApplyRow(HostDocument& doc, int row) const {
    if (row < 0 || row >= RowCount()) return false;
    const Row& r = rows_[static_cast<std::size_t>(row)];
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (auto var = doc.FindVariable(columns_[c])) var->SetValue(r.values[c]);
    return true;
}

std::string HostSizeTable::Encode() const {
    std::string out;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (c) out += '\t';
        out += Clean(columns_[c]);
    }
    char buffer[32];
    for (const Row& r : rows_) {
        out += '\n';
        out += r.name;
        for (double v : r.values) {
            std::snprintf(buffer, sizeof buffer, "\t%.17g", v);
            out += buffer;
        }
    }
    return out;
}

bool HostSizeTable::Decode(const std::string& text, HostSizeTable& out) {
    out = HostSizeTable();
    if (text.empty()) return true;
    const auto lines = Split(text, '\n');
    std::vector<std::string> columns;
    for (std::string_view c : Split(lines[0], '\t')) columns.emplace_back(c);
    if (columns.size() == 1 && columns[0].empty()) columns.clear();
    out.SetColumns(columns);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = Split(lines[i], '\t');
        if (fields.size() != columns.size() + 1) return false;
        Row row{std::string(fields[0]), {}};
        for (std::size_t f = 1; f < fields.size(); ++f) {
            double v = 0;
            const auto [end, ec] = std::from_chars(fields[f].data(), fields[f].data() + fields[f].size(), v);
            if (ec != std::errc() || end != fields[f].data() + fields[f].size()) return false;
            row.values.push_back(v);
        }
        out.rows_.push_back(std::move(row));
    }
    return true;
}

std::shared_ptr<HostSizeTable> FindSizeTable(const HostDocument& doc) {
    for (const auto& e : doc.Entities())
        if (auto table = std::dynamic_pointer_cast<HostSizeTable>(e)) return table;
    return nullptr;
}

int ChooseSizeTableRow(const HostSizeTable& table) {
    if (Chooser()) return Chooser()(table);
    std::string text = "Таблица переменных";
    for (const auto& row : table.Rows()) text += "\n" + row.name;
    const int answer = MessageLog::Instance().Record(MessageRole::Question, "", text, MB_OK_, 0, true);
    return answer >= 1 && answer <= table.RowCount() ? answer - 1 : -1;
}

void SetSizeTableChooser(SizeTableChooser chooser) { Chooser() = std::move(chooser); }

std::shared_ptr<HostModelSource> FindModelSource(const HostDocument& doc, const std::string& name) {
    for (const auto& e : doc.Entities())
        if (auto source = std::dynamic_pointer_cast<HostModelSource>(e); source && source->Name() == name)
            return source;
    return nullptr;
}

}  // namespace zarvento
