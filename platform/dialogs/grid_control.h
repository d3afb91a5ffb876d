// The host's grid control as a model: rows of text cells, the per-cell
// setting calls made on it, the current row and redraw requests.
#pragma once

#include <map>
#include <string>
#include <utility>

namespace zarvento {

class GridControl {
public:
    void SetRowCount(int rows);
    int RowCount() const { return rows_; }
    void SetCellText(int row, int col, std::string text);
    // The cell's text; empty for a cell never set.
    std::string CellText(int row, int col) const;
    bool HasCell(int row, int col) const { return cells_.count({row, col}) != 0; }
    // The host grid's per-cell setting call; the model counts them.
    void SetCellSetting(int row, int col);
    int CellSettingCount(int row, int col) const;
    void SetCurrentRow(int row) { currentRow_ = row; }
    int CurrentRow() const { return currentRow_; }
    void Redraw() { ++redraws_; }
    int RedrawCount() const { return redraws_; }

private:
    int rows_ = 0;
    int currentRow_ = -1;
    int redraws_ = 0;
    std::map<std::pair<int, int>, std::string> cells_;
    std::map<std::pair<int, int>, int> settings_;
};

}  // namespace zarvento
