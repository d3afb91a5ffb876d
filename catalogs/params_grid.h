// ParamsGrid: the tool-parameters grid of a panel as a model: rows of cell
// texts, read-only cells and a redraw count.
#pragma once

#include <string>
#include <vector>

namespace zarvento {

class ParamsGrid {
public:
    // Sets the size; existing cells inside it keep their text.
    void SetSize(int rows, int columns);
    int Rows() const { return static_cast<int>(cells_.size()); }
    int Columns() const { return columns_; }

    // Cells outside the grid are ignored (the host's grid does the same).
    void SetCell(int row, int column, std::string text);
    const std::string& Cell(int row, int column) const;
    void SetReadOnly(int row, int column, bool readOnly);
    bool ReadOnly(int row, int column) const;

    void Refresh() { ++refreshes_; }
    int Refreshes() const { return refreshes_; }

private:
    struct CellData {
        std::string text;
        bool readOnly = false;
    };
    bool Inside(int row, int column) const { return row >= 0 && row < Rows() && column >= 0 && column < columns_; }

    std::vector<std::vector<CellData>> cells_;
    int columns_ = 0;
    int refreshes_ = 0;
};

}  // namespace zarvento
