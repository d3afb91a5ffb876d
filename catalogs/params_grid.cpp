// ParamsGrid: cells by row and column.
#include "catalogs/params_grid.h"

namespace zarvento {

void ParamsGrid::SetSize(int rows, int columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) columns = 0;
    cells_.resize(static_cast<std::size_t>(rows));
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(columns));
    columns_ = columns;
}

void ParamsGrid::SetCell(int row, int column, std::string text) {
    if (Inside(row, column)) cells_[row][column].text = std::move(text);
}

const std::string& ParamsGrid::Cell(int row, int column) const {
    static const std::string none;
    return Inside(row, column) ? cells_[row][column].text : none;
}

void ParamsGrid::SetReadOnly(int row, int column, bool readOnly) {
    if (Inside(row, column)) cells_[row][column].readOnly = readOnly;
}

bool ParamsGrid::ReadOnly(int row, int column) const { return Inside(row, column) && cells_[row][column].readOnly; }

}  // namespace zarvento
