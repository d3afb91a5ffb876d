// The tables of a description: finishing, the nearest look-up, the global
// list and select_from_table.
#include "post/post_processor_table.h"

#include <algorithm>
#include <cmath>

#include "nc/parameters.h"
#include "platform/core/process_state.h"
#include "post/description_statement.h"

namespace zarvento {

std::vector<PostProcessorTablePtr>& GlobalTableList() {
    static std::vector<PostProcessorTablePtr> tables;
    return tables;
}

ZARVENTO_STATE_RESET { GlobalTableList().clear(); }

namespace {

// The index of the key nearest to value; the first of equally near keys wins.
std::size_t NearestIndex(std::size_t count, double value, const auto& keyAt) {
    std::size_t best = 0;
    double bestDistance = std::fabs(keyAt(0) - value);
    for (std::size_t i = 1; i < count; ++i) {
        const double distance = std::fabs(keyAt(i) - value);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

void PostProcessorTable::Finish() {
    width = 0;
    columnKeys.clear();
    dataRows.clear();
    if (rows.empty()) return;
    std::size_t w = 0;
    for (const auto& row : rows) w = std::max(w, row.size());
    width = static_cast<int>(w);
    const std::vector<double>& header = rows.front();
    for (std::size_t k = 1; k < w; ++k) columnKeys.push_back(k < header.size() ? header[k] : 0.0);
    dataRows.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<double> data = rows[r];
        data.resize(w, 0.0);
        dataRows.push_back(std::move(data));
    }
}

double PostProcessorTable::Lookup(double x, double y) const {
    // A table one value wide has row keys and no values.
    if (!HasData()) return 0.0;
    const std::size_t row = NearestIndex(dataRows.size(), x, [this](std::size_t i) { return dataRows[i].front(); });
    const std::size_t column =
        width > 2 ? NearestIndex(columnKeys.size(), y, [this](std::size_t i) { return columnKeys[i]; }) : 0;
    return dataRows[row][column + 1];
}

bool SelectFromTable(const std::vector<PostProcessorTablePtr>& tables, double& result, std::string_view arguments,
                     bool reset, PARAMETERS& provider) {
    DescriptionStatement parts;
    SplitStatementArguments(parts, arguments, ';', false);
    if (parts.arguments.size() != 3) return false;
    for (const PostProcessorTablePtr& table : tables) {
        if (!table || table->name != parts.arguments[0] || !table->HasData()) continue;
        double x = 0.0;
        double y = 0.0;
        if (!provider.CalcFormula(x, parts.arguments[1], reset) || !provider.CalcFormula(y, parts.arguments[2], reset))
            continue;
        result = table->Lookup(x, y);
        return true;
    }
    return false;
}

}  // namespace zarvento
