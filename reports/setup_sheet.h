// The setup sheet for the machine operator: a new drawing (A4 upright) with a
// picture of the part's 3D view and the NC coordinate-system symbol, the
// part's mass, and the table "Список переходов" of the active operations
// with their tools, speeds, feeds and times. It is left open as the active
// document, unsaved.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace zarvento {

class CPLAN;

// One row of the table: position, tool, speed, feed, time (or the total's
// text in the first cell and the sum in the last).
using SetupSheetRow = std::array<std::string, 5>;

struct SetupSheetTable {
    std::vector<SetupSheetRow> rows;  // the header, one row an operation, the total
    double top = 0;                   // the table's top edge, y of the sheet
    // Not empty when an operation's time broke an invariant (it is a finite
    // number: the settings and the path keep it so): the sheet is refused
    // with this message.
    std::string refusal;
};

// The sheet's message when its input broke an invariant.
inline constexpr const char* kBrokenSetupSheetMessage = "Карта наладки не создана";

// The column widths of the table (its grid of 50 columns of 3.7 merged 2, 31,
// 6, 6 and 5), the row height and where it stands.
inline constexpr std::array<double, 5> kSetupSheetColumns = {7.4, 114.7, 22.2, 22.2, 18.5};
inline constexpr double kSetupSheetRowHeight = 8.0;
inline constexpr double kSetupSheetTableX = 20.0;

// The top of a table of `rows` rows: rows · 8 + 20.
double SetupSheetTop(int rows);
// The tool's text: the name with one blank before its '(' (a blank before
// it dropped, one put in), then " r" and the corner radius and " d" and the
// diameter when above 0.1, each in the shortest of 0 to 3 decimals exact to
// 0.001.
std::string SetupSheetToolText(const std::string& name, double r, double D);
// The table of the plan's counted operations: those that exist, are not
// excluded and hold no message, in plan order.
SetupSheetTable MakeSetupSheetTable(CPLAN& plan);

// Where the setup sheet's picture lives while the sheet is drawn, and the
// size it is shown at: this wide, its height by its proportions.
inline constexpr const char* kSetupSheetRaster = "\\Rastr.tif";
inline constexpr double kSetupSheetPictureWidth = 180.0;

// Draws the setup sheet of the plan. The busy flag is set while it is drawn
// and put back on every exit; the coordinate-system symbol is shown only
// while the picture is taken, and the operation paths come back into view.
// A failing host call leaves the sheet made so far open, with the part
// document active again.
void CreateSetupSheet(CPLAN& plan);

}  // namespace zarvento
