// The host's table of variable values of a part (its table of standard
// sizes): the variables it drives as columns and one row per size, each with
// its designation. Choosing a row writes its values into the variables.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/documents/host_document.h"

namespace zarvento {

class HostSizeTable : public HostObject {
public:
    static constexpr int kObjectType = 130;
    struct Row {
        std::string name;
        std::vector<double> values;  // one per column
    };

    HostSizeTable() { SetName("SizeTable"); }
    int ObjectType() const override { return kObjectType; }

    const std::vector<std::string>& Columns() const { return columns_; }
    const std::vector<Row>& Rows() const { return rows_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    bool Empty() const { return columns_.empty() || rows_.empty(); }

    void SetColumns(std::vector<std::string> columns) { columns_ = std::move(columns); }
    // E_INVALIDARG when the row has not one value per column.
    void AddRow(Row row);

    // Writes the row's values into the document's variables of the column
    // names (columns naming no variable are passed by); false for a row
    // outside the table.
    bool ApplyRow(HostDocument& doc, int row) const;

    // The table as the document file keeps it (text, one row a line) and back;
    // false for a text that is no table.
    std::string Encode() const;
    static bool Decode(const std::string& text, HostSizeTable& out);

private:
    std::vector<std::string> columns_;
    std::vector<Row> rows_;
};

// The document's table of variable values, or null.
std::shared_ptr<HostSizeTable> FindSizeTable(const HostDocument& doc);

// The host's window in which the user chooses a row of a size table: the
// row index, or -1 when the window is closed without a choice. Headless, the
// choice is the next answer queued in the message log (a row number from 1;
// 0 or none: no choice); a test may install its own chooser.
using SizeTableChooser = std::function<int(const HostSizeTable&)>;
int ChooseSizeTableRow(const HostSizeTable& table);
void SetSizeTableChooser(SizeTableChooser chooser);

// Source text kept with a model and read again by its rebuild (the body of a
// tool model as its statements).
class HostModelSource : public HostObject {
public:
    static constexpr int kObjectType = 131;
    HostModelSource(std::string name, std::string text) : text_(std::move(text)) { SetName(std::move(name)); }
    int ObjectType() const override { return kObjectType; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

std::shared_ptr<HostModelSource> FindModelSource(const HostDocument& doc, const std::string& name);

}  // namespace zarvento
