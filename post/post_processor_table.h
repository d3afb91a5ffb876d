// PostProcessorTable: one TABLE of a post-processor description with its
// rows, and the process-wide list of the tables of the description read last.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

class PARAMETERS;

class PostProcessorTable {
public:
    // The nearest look-up; no statement selects another.
    static constexpr int kNearest = 0;

    std::string name;         // first TABLE argument; the formulas find the table by it
    std::string secondValue;  // second TABLE argument; kept, read by nothing
    std::vector<std::string> columnNames;
    // One per ROW statement. The first row holds the column keys (its first
    // value unused); each later row is a row key followed by its values.
    std::vector<std::vector<double>> rows;

    // After Finish: the greatest row length, the column keys (width - 1 of
    // them) and the data rows, each padded with zeros to the width.
    int width = 0;
    std::vector<double> columnKeys;
    std::vector<std::vector<double>> dataRows;
    int lookupMode = kNearest;

    // Builds the keys and data rows from the rows; a table without rows stays empty.
    void Finish();
    // A look-up needs at least one data row (two ROW statements) with a value
    // behind its key.
    bool HasData() const { return !dataRows.empty() && width >= 2; }
    // The value at the data row whose key is nearest to x and the column whose
    // key is nearest to y (column 0 for a table two values wide); the first of
    // equally near keys wins. 0 without data.
    double Lookup(double x, double y) const;
};

// The tables are shared: the post-processor that read them and the global
// list both hold them, so a table lives as long as either still refers to it
// (a rescan may delete the post-processor while the list still names its tables).
using PostProcessorTablePtr = std::shared_ptr<const PostProcessorTable>;

// The tables of the description read last; select_from_table walks them.
std::vector<PostProcessorTablePtr>& GlobalTableList();

// select_from_table(name; row formula; column formula): the argument text is
// split at ";" outside apostrophes and trimmed; the first table of the list
// with exactly that name whose two formulas evaluate on provider (reset as
// given) answers. False with the wrong number of arguments, an unknown name,
// failing formulas or a table without data rows.
bool SelectFromTable(const std::vector<PostProcessorTablePtr>& tables, double& result, std::string_view arguments,
                     bool reset, PARAMETERS& provider);

}  // namespace zarvento
