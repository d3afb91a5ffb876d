// The cost estimate's tools page: its rows, in-place edits and costs.
#include "reports/cost_page_inst.h"

#include <algorithm>
#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/dialogs/host_dialog.h"
#include "reports/cost_dialog.h"
#include "reports/statistics_text.h"

namespace zarvento {

namespace {

constexpr int kPriceColumn = 4;  // list columns
constexpr int kNormColumn = 5;
constexpr int kCostColumn = 6;

}  // namespace

CPageInst::CPageInst(CPLAN& plan, CSPID& spid, HostDialog& host, int idBase, CDialogCalculate* owner)
    : plan_(plan), spid_(spid), host_(host), base_(idBase), owner_(owner) {
    const int positions = std::clamp<int>(spid.Npositions, 0, CSPID::kMaxTools);
    for (int p = 0; p < positions; ++p) {
        ParamTool* tool = spid.GetTool(p);
        if (!tool || tool->sToolName.empty()) continue;
        ToolRow row;
        row.tool = tool;
        row.position = p;
        row.price = tool->Cins;
        row.norm = tool->Hzat;
        rows.push_back(row);
    }
}

DialogControl* CPageInst::Find(int local) const { return host_.FindControl(base_ + local); }

void CPageInst::Create() {
    firstNumberColumnX = kListClientWidth - 420;
    rowHeight = static_cast<int>(std::ceil(kListClientHeight / static_cast<double>(kRowsShown) - 0.5));
    if (!Find(kList)) {
        const char* labels[] = {"№",         "Инструмент",   "Tраб, мин",   "Кол-во дет.",
                                "Цена, руб", "Норма, руб/ч", "Затраты, руб"};
        for (int i = 0; i < 7; ++i) host_.AddControl(base_ + 10 + i, DialogControlKind::Static, labels[i]);
        host_.AddControl(base_ + kList, DialogControlKind::ListView);
        host_.AddControl(base_ + kTotalLabel, DialogControlKind::Static, "Затраты на инструмент Cинс, руб.");
        host_.AddControl(base_ + kTotal, DialogControlKind::Edit).SetReadOnly(true);
    }
    DialogControl& list = *Find(kList);
    list.DeleteAllColumns();
    list.AddColumn("№", 25);
    list.AddColumn("Инструмент", firstNumberColumnX - 25);
    for (const char* title : {"Tраб, мин", "Кол-во дет.", "Цена, руб.", "Норматив, руб.", "Затраты, руб"})
        list.AddColumn(title, kNumberColumnWidth);
    list.SetListStyle(true, true, false);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int i = static_cast<int>(r);
        list.AddRow({std::to_string(i + 1), rows[r].tool->sToolName});
        // The price over number column 2 and the norm over column 3.
        for (int first : {kFirstPriceEdit, kFirstNormEdit}) {
            if (!Find(first + i)) host_.AddControl(base_ + first + i, DialogControlKind::Edit);
            Find(first + i)->SetText(FormatG(first == kFirstPriceEdit ? rows[r].price : rows[r].norm));
        }
        ShowRow(i);
    }
    ShowCosts();
}

void CPageInst::ShowRow(int r) {
    DialogControl* list = Find(kList);
    if (!list || r < 0 || r >= list->RowCount()) return;
    const ToolRow& row = rows[static_cast<std::size_t>(r)];
    list->SetCell(r, 2, FormatFixed2(row.workTime));
    list->SetCell(r, 3, FormatFixed2(row.wear > EPS ? 1.0 / row.wear : 0.0));
    list->SetCell(r, kPriceColumn, FormatG(row.price));
    list->SetCell(r, kNormColumn, FormatG(row.norm));
    list->SetCell(r, kCostColumn, FormatFixed2(row.cost));
}

void CPageInst::CalculateCosts() {
    // Each operation's statistics once, whatever the number of rows.
    struct OperationTime {
        int position;
        double workTime;
        double life;
    };
    std::vector<OperationTime> operations;
    const int count = plan_.GetTurnCount();
    operations.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan_.GetTurn(i));
        if (!turn) continue;
        operations.push_back({turn->nToolPosition, turn->CalcStatistics().workTime, turn->TT});
    }
    total = 0.0;
    for (ToolRow& row : rows) {
        row.workTime = 0.0;
        row.wear = 0.0;
        for (const OperationTime& op : operations) {
            if (op.position != row.position) continue;
            row.workTime += op.workTime;
            // A tool life of 0 wears nothing: no division by it.
            if (op.life > EPS) row.wear += op.workTime / op.life;
        }
        row.cost = row.workTime * row.norm / 60.0;
        total += row.cost;
    }
}

void CPageInst::ShowCosts() {
    for (std::size_t r = 0; r < rows.size(); ++r) ShowRow(static_cast<int>(r));
    if (DialogControl* edit = Find(kTotal)) edit->SetText(" " + FormatFixed2(total));
}

void CPageInst::CommitEdit(int localId) {
    const DialogControl* edit = Find(localId);
    if (!edit) return;
    const double value = ReadTypedNumber(edit->Text());
    const int price = localId - kFirstPriceEdit, norm = localId - kFirstNormEdit;
    const int count = static_cast<int>(rows.size());
    if (price >= 0 && price < 100 && price < count) {
        rows[static_cast<std::size_t>(price)].price = value;
    } else if (norm >= 0 && norm < 100 && norm < count) {
        rows[static_cast<std::size_t>(norm)].norm = value;
    } else {
        return;
    }
    CalculateCosts();
    ShowCosts();
}

void CPageInst::OnEditSetFocus(int localId) {
    if (!owner_) return;
    owner_->editing = true;
    owner_->editingId = base_ + localId;
}

void CPageInst::OnEditKillFocus(int localId) {
    if (owner_) owner_->editing = false;
    CommitEdit(localId);
}

void CPageInst::OnListScroll(int firstRow) { firstRow_ = std::max(firstRow, 0); }

bool CPageInst::OnCommand(int localId, int code) {
    if (localId < kFirstPriceEdit || localId >= kFirstNormEdit + 100) return false;
    if (code == kEditGotFocus) OnEditSetFocus(localId);
    if (code == kEditLostFocus) OnEditKillFocus(localId);
    return true;
}

void CPageInst::StoreTools() {
    for (ToolRow& row : rows) {
        row.tool->Cins = row.price;
        row.tool->Hzat = row.norm;
        row.tool->Save(ParamTool::ToolRecordName(row.tool->Position >= 0 ? row.tool->Position : row.position));
    }
}

}  // namespace zarvento
