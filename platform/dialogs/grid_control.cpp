// The grid control model.
#include "platform/dialogs/grid_control.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

void GridControl::SetRowCount(int rows) {
    HostFaults::Check("GridControl.SetRowCount");
    if (rows < 0) throw HostError(E_INVALIDARG_, "a grid cannot have a negative row count");
    rows_ = rows;
    for (auto it = cells_.begin(); it != cells_.end();) it = it->first.first >= rows ? cells_.erase(it) : std::next(it);
}

void GridControl::SetCellText(int row, int col, std::string text) {
    if (row < 0 || row >= rows_ || col < 0) throw HostError(E_INVALIDARG_, "no such grid cell");
    cells_[{row, col}] = std::move(text);
}

std::string GridControl::CellText(int row, int col) const {
    auto it = cells_.find({row, col});
    return it == cells_.end() ? std::string() : it->second;
}

void GridControl::SetCellSetting(int row, int col) { ++settings_[{row, col}]; }

int GridControl::CellSettingCount(int row, int col) const {
    auto it = settings_.find({row, col});
    return it == settings_.end() ? 0 : it->second;
}

}  // namespace zarvento
