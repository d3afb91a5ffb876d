// The cost estimate's dialog: its pages, the change of tab, OK and Cancel.
#include "reports/cost_dialog.h"

#include "plan/plan.h"
#include "platform/core/process_state.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

int lastTab = 0;

ZARVENTO_STATE_RESET { lastTab = 0; }

const char* const kTabCaptions[CDialogCalculate::kPageCount] = {
    "  Исходные данные  ",     "  Материал  ",   "  Зарплата  ", "  Инструмент  ", "  Оборудование  ",
    "  Общецеховые расходы  ", "  Калькуляция  "};

}  // namespace

int& CDialogCalculate::LastTab() { return lastTab; }

CDialogCalculate::CDialogCalculate(CPLAN& plan, CSPID& spid)
    : HostDialog(kScriptName, kTemplate), plan_(plan), parameters(&plan.PlanParameters()) {
    SetTitle(kTitle);
    AddControl(kTabs, DialogControlKind::TabControl);
    AddControl(1, DialogControlKind::Button, "ОК");
    AddControl(2, DialogControlKind::Button, "Отмена");

    // The items as the document keeps them.
    const std::array<CCycle_Auto*, 6> items = Items();
    for (std::size_t k = 0; k < items.size(); ++k) {
        StorageRecord record;
        if (record.OpenRead(kRecords[k])) items[k]->LoadParameters(record);
    }
    // The pages in tab order, each over its own copy of its item.
    const std::array<CCycle_Auto*, kPageCount> byTab = {&c1, &c2, &c3, nullptr, &c5, &c6, &c7};
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (tab == kToolsPage) {
            tools = std::make_unique<CPageInst>(plan, spid, *this, PageBase(tab), this);
        } else {
            pages[static_cast<std::size_t>(tab)] =
                std::make_unique<CPage>(*byTab[static_cast<std::size_t>(tab)], *this, PageBase(tab));
        }
    }
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (CPage* page = ItemPage(tab)) {
            page->Cycle().SetParentParameters(&parameters);
            parameters.items.push_back(&page->Cycle());
        }
    }
    parameters.tools = tools.get();
    plan.ClearReportValues();
    EvaluateAll();
}

CDialogCalculate::~CDialogCalculate() = default;

std::array<CCycle_Auto*, 6> CDialogCalculate::Items() { return {&c1, &c2, &c3, &c5, &c6, &c7}; }

void CDialogCalculate::EvaluateAll() {
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (CPage* page = ItemPage(tab)) {
            page->Evaluate();
        } else {
            tools->CalculateCosts();
            tools->ShowCosts();
        }
    }
}

void CDialogCalculate::OnInitDialog() {
    DialogControl& tabs = Control(kTabs);
    if (tabs.Pages().empty())
        for (const char* caption : kTabCaptions) tabs.AddPage(caption);
    const int current = lastTab >= 0 && lastTab < kPageCount ? lastTab : 0;
    tabs.SetCurrentPage(current);
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (CPage* page = ItemPage(tab)) {
            page->Create();
        } else {
            tools->Create();
        }
    }
    ShowPage(current);
}

void CDialogCalculate::ShowPage(int page) {
    // Only the current page's controls are shown (and so usable).
    for (const auto& control : Controls()) {
        const int id = control->Id();
        if (id < PageBase(0) || id >= PageBase(kPageCount)) continue;
        control->SetVisible(id >= PageBase(page) && id < PageBase(page + 1));
        control->SetFocused(false);
    }
    if (DialogControl* list = FindControl(PageBase(page) + CDialogParam::kList)) list->SetFocused(true);
}

void CDialogCalculate::OnTabChanged(int tabId, int page) {
    if (tabId != kTabs || page < 0 || page >= kPageCount) return;
    lastTab = page;
    EvaluateAll();
    ShowPage(page);
}

void CDialogCalculate::OnCommand(int id, int code) {
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (id < PageBase(tab) || id >= PageBase(tab + 1)) continue;
        if (CPage* page = ItemPage(tab)) {
            page->OnCommand(id, code);
        } else {
            tools->OnCommand(id - PageBase(tab), code);
        }
        return;
    }
}

void CDialogCalculate::OnOK() {
    if (editing) {
        tools->CommitEdit(editingId - tools->Base());
        editing = false;
    }
    const std::array<CCycle_Auto*, 6> items = Items();
    std::size_t k = 0;
    for (int tab = 0; tab < kPageCount; ++tab) {
        if (CPage* page = ItemPage(tab)) {
            page->DoDataExchange();
            items[k++]->Copy(page->Cycle());
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        // The tools' figures go between item 3 and item 5.
        if (i == 3) tools->StoreTools();
        StorageRecord record;
        if (!record.OpenWrite(kRecords[i])) continue;
        items[i]->CCadreCycle::SaveParameters(record);
        record.Flush();
    }
    EndDialog(1);
    const double* batch = c1.FindParameter("_NPAR");
    const double* setup = c1.FindParameter("_TPZK");
    plan_.SetBatchValues(batch ? *batch : 0.0, setup ? *setup : 0.0);
}

std::string CostEstimateText(const CDialogCalculate& dialog) {
    std::string out;
    const DialogControl& tabs = dialog.Control(CDialogCalculate::kTabs);
    for (int tab = 0; tab < CDialogCalculate::kPageCount; ++tab) {
        const int base = CDialogCalculate::PageBase(tab);
        out += "[" +
               (tab < static_cast<int>(tabs.Pages().size()) ? tabs.Pages()[static_cast<std::size_t>(tab)]
                                                            : std::string(kTabCaptions[tab])) +
               "]\n";
        const DialogControl* list = dialog.FindControl(base + CDialogParam::kList);
        if (!list) continue;
        for (int r = 0; r < list->RowCount(); ++r) {
            std::vector<std::string> cells = list->Row(r);
            if (tab != CDialogCalculate::kToolsPage) {
                // The expression is the edit's over the row.
                const DialogControl* edit = dialog.FindControl(base + CDialogParam::kFirstEdit + r);
                if (cells.size() > 2 && edit) cells[2] = edit->Text();
            }
            std::string line;
            for (std::size_t c = 0; c < cells.size(); ++c) line += (c ? " | " : "") + cells[c];
            out += line + "\n";
        }
        if (const DialogControl* total = dialog.FindControl(base + CPageInst::kTotal))
            out += "Затраты на инструмент Cинс, руб.:" + total->Text() + "\n";
    }
    return out;
}

}  // namespace zarvento
