// PostProcessorTable: one TABLE of a post-processor description with its
// rows, and the process-wide list of the tables of the description read last.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zarvento {

class PostProcessorTable {
public:
    std::string name;         // first TABLE argument; the formulas find the table by it
    std::string secondValue;  // second TABLE argument; kept, read by nothing
    std::vector<std::string> columnNames;
    // One per ROW statement. The first row holds the column keys (its first
    // value unused); each later row is a row key followed by its values.
    std::vector<std::vector<double>> rows;
};

// The tables are shared: the post-processor that read them and the global
// list both hold them, so a table lives as long as either still refers to it
// (a rescan may delete the post-processor while the list still names its tables).
using PostProcessorTablePtr = std::shared_ptr<const PostProcessorTable>;

// The tables of the description read last; select_from_table walks them.
std::vector<PostProcessorTablePtr>& GlobalTableList();

}  // namespace zarvento
