// CPageInst: the cost estimate's tools page. One row per turret position
// whose tool has a name: its working time over the plan's operations, the
// parts one tool life makes, its price and its cost norm (in-place edits),
// and its cost (working time × norm / 60). The total is the estimate's "Cins".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

class CPLAN;
class CSPID;
class CDialogCalculate;
class DialogControl;
class HostDialog;
class ParamTool;

class CPageInst {
public:
    static constexpr int kTemplate = 1420;
    // Controls of the page (ids above the page's base).
    static constexpr int kList = 100;
    static constexpr int kTotal = 101;
    static constexpr int kTotalLabel = 17;
    static constexpr int kFirstPriceEdit = 400;
    static constexpr int kFirstNormEdit = 500;
    static constexpr int kNumberColumnWidth = 80;
    // The list's client size in pixels, and the rows its height holds.
    static constexpr int kListClientWidth = 725;
    static constexpr int kListClientHeight = 238;
    static constexpr int kRowsShown = 14;

    struct ToolRow {
        double workTime = 0.0;      // min
        double price = 0.0;         // the tool's Cins
        double norm = 0.0;          // the tool's Hzat, roubles an hour
        double cost = 0.0;          // roubles
        double wear = 0.0;          // working time over tool life, summed
        ParamTool* tool = nullptr;  // not owned
        int position = 0;
    };

    // Builds the rows from the plan's turret; the controls go into `host`,
    // `idBase` above their own ids.
    CPageInst(CPLAN& plan, CSPID& spid, HostDialog& host, int idBase, CDialogCalculate* owner);

    // The page's controls and rows (its opening).
    void Create();
    // The rows' working times, wear and costs, and the total. Each
    // operation's statistics are taken once.
    void CalculateCosts();
    // Rewrites every row's cost and the total.
    void ShowCosts();
    // Takes the number typed into the in-place edit `localId` (a decimal
    // comma reads as a point), then the costs again.
    void CommitEdit(int localId);
    void OnEditSetFocus(int localId);
    void OnEditKillFocus(int localId);
    // The list scrolled to first row `firstRow`: each edit moves with its row.
    void OnListScroll(int firstRow);
    // The price and norm of every row into its tool, and the tool's record.
    void StoreTools();
    // A notification of the page's controls; false when it is not the page's.
    bool OnCommand(int localId, int code);

    const std::vector<ToolRow>& Rows() const { return rows; }
    int Base() const { return base_; }
    // The top of row r's edits at the current scroll position, in pixels.
    int EditTop(int row) const { return (row - firstRow_) * rowHeight; }

    double total = 0.0;  // the estimate's "Cins"
    int firstNumberColumnX = 0;
    int rowHeight = 0;

private:
    DialogControl* Find(int local) const;
    void ShowRow(int r);

    CPLAN& plan_;
    CSPID& spid_;
    HostDialog& host_;
    int base_;
    CDialogCalculate* owner_;
    std::vector<ToolRow> rows;
    int firstRow_ = 0;
};

}  // namespace zarvento
