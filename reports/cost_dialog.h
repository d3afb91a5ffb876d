// CDialogCalculate: the quick estimate of the technological cost of a part
// and of a batch. Seven tabbed pages: the six cost items (each a parameter
// list over its own copy of the item) and the tools page. Every change of tab
// evaluates all items again; OK stores the items and the tools' figures in
// the part document and hands the batch size and set-up time to the plan;
// Cancel stores nothing. The dialog opens on the tab that was chosen last.
//
// A page's controls carry the page's base above their ids: page k (from 0)
// has its list at (k + 1) * 1000 + 100, the edit of its parameter i at
// (k + 1) * 1000 + 200 + i; the tools page's price edit of row r at 4400 + r
// and its norm edit at 4500 + r.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dialogs/host_dialog.h"
#include "reports/cost_items.h"
#include "reports/cost_page.h"
#include "reports/cost_page_inst.h"
#include "reports/cost_parameters.h"

namespace zarvento {

class CPLAN;
class CSPID;

class CDialogCalculate : public HostDialog {
public:
    static constexpr const char* kScriptName = "costs";
    static constexpr int kTemplate = 1410;
    static constexpr int kTabs = 100;
    static constexpr int kPageCount = 7;
    static constexpr int kToolsPage = 3;
    static constexpr const char* kTitle = "Экспресс-расчет технологической себестоимости";
    // The records of the items, in the order they are written.
    static constexpr const char* kRecords[6] = {"Zarvento.C1", "Zarvento.C2", "Zarvento.C3",
                                                "Zarvento.C5", "Zarvento.C6", "Zarvento.C7"};

    static int PageBase(int page) { return (page + 1) * 1000; }

    // Loads the stored items, makes the pages and the estimate's provider,
    // and evaluates everything once.
    CDialogCalculate(CPLAN& plan, CSPID& spid);
    ~CDialogCalculate() override;

    void OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id, int code) override;
    void OnTabChanged(int tabId, int page) override;

    // The page of an item (tabs 0-2 and 4-6), or null for the tools page.
    CPage* ItemPage(int tab) const { return pages[static_cast<std::size_t>(tab)].get(); }
    CPageInst& ToolsPage() const { return *tools; }
    CostEstimateParameters& Parameters() { return parameters; }
    // The six items in storage order.
    std::array<CCycle_Auto*, 6> Items();

    // The tab chosen last, for the life of the library.
    static int& LastTab();

    // The in-place edit being edited and whether one is.
    std::int32_t editingId = 0;
    bool editing = false;

private:
    // Evaluates every page in tab order.
    void EvaluateAll();
    void ShowPage(int page);

    CPLAN& plan_;
    CCalculate_C1 c1;
    CCalculate_C2 c2;
    CCalculate_C3 c3;
    CCalculate_C5 c5;
    CCalculate_C6 c6;
    CCalculate_C7 c7;
    std::array<std::unique_ptr<CPage>, kPageCount> pages;
    std::unique_ptr<CPageInst> tools;
    CostEstimateParameters parameters;
};

// The estimate as the dialog shows it: per tab its caption, then its rows
// (an item's name, caption, expression and value; a tool's row), then the
// tools' total.
std::string CostEstimateText(const CDialogCalculate& dialog);

}  // namespace zarvento
