// The statistics dialog: its list, its check boxes and its closing.
#include "reports/statistics_dialog.h"

#include "geometry/primitives.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "post/program.h"
#include "reports/cost_dialog.h"
#include "reports/plan_export.h"
#include "reports/setup_sheet.h"
#include "reports/statistics_text.h"

namespace zarvento {

namespace {

constexpr const char* kNoFigures = "---------";

struct Column {
    const char* title;
    int width;
};
constexpr Column kColumns[] = {{"№", 25},         {"Обработка", 190}, {"Поз.", 35},      {"S, об(м)/мин", 77},
                               {"F, мм/об", 70},  {"T, мин", 57},     {"Lраб, мм", 70},  {"Lуск, мм", 70},
                               {"Tраб, мин", 70}, {"Tуск, мин", 70},  {"Tосн, мин", 70}, {"SP, мин", 57}};

}  // namespace

CDialogStatistics::CDialogStatistics(CPLAN& plan, CPROGRAM* program)
    : HostDialog(kScriptName, kTemplate), plan_(plan), program_(program) {
    if (!program_) {
        ownProgram_ = std::make_unique<CPROGRAM>();
        program_ = ownProgram_.get();
    }
    SetTitle(kTitle);
    AddControl(kList, DialogControlKind::ListView);
    AddControl(kNote, DialogControlKind::Static);
    AddControl(kExport, DialogControlKind::Button, "Записать в файл...");
    AddControl(kSetupSheet, DialogControlKind::Button, "Карта наладки...");
    AddControl(kCosts, DialogControlKind::Button, "  Экспресс-расчет затрат...");
    AddControl(kElementStat, DialogControlKind::CheckBox, "Считать в элементарных движениях");
    AddControl(1, DialogControlKind::Button, "Закрыть окно");
    AddControl(kStop, DialogControlKind::CheckBox, "Вкл. точки останова (SP)");
}

void CDialogStatistics::OnInitDialog() {
    elementStatAtOpening_ = plan_.isElementStat;
    stopAtOpening_ = plan_.isSTOP;
    Control(kElementStat).SetChecked(plan_.isElementStat);
    Control(kStop).SetChecked(plan_.isSTOP);
    recorded_.clear();
    for (int i = 0; i < plan_.GetTurnCount(); ++i) {
        CycleChoice choice;
        if (const auto* turn = dynamic_cast<const CTurn*>(plan_.GetTurn(i))) {
            choice.indShema = turn->indShema;
            choice.indCycle = turn->indCycle;
        }
        recorded_.push_back(choice);
    }
    destroyed_ = false;
    // The command's program was passed over the paths the plan has now.
    pathsCurrent_ = !ownProgram_;
    pathsStop_ = plan_.isSTOP;
    FillList();
}

CDialogStatistics::~CDialogStatistics() = default;

void CDialogStatistics::FillList() {
    DialogControl& list = Control(kList);
    list.DeleteAllColumns();
    for (const Column& c : kColumns) list.AddColumn(c.title, c.width);
    list.SetListStyle(true, true, false);

    // In elementary moves every operation's machine cycle is set aside; the
    // choices recorded at opening come back otherwise.
    bool changed = plan_.isSTOP != pathsStop_;
    const int count = std::min<int>(plan_.GetTurnCount(), static_cast<int>(recorded_.size()));
    for (int i = 0; i < count; ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan_.GetTurn(i));
        if (!turn) continue;
        const CycleChoice& choice = recorded_[static_cast<std::size_t>(i)];
        const std::int32_t shema = plan_.isElementStat ? 0 : choice.indShema;
        const std::int32_t cycle = plan_.isElementStat ? 0 : choice.indCycle;
        changed = changed || turn->indShema != shema || turn->indCycle != cycle;
        turn->indShema = shema;
        turn->indCycle = cycle;
    }
    // A recalculation makes the cycle frames afresh, without the script's
    // moves: the program is passed through the post-processor again. Paths
    // made for these very choices, with the program passed over them, are
    // kept as they are.
    if (!pathsCurrent_ || changed) {
        plan_.DiagnosticRaschetPath();
        plan_.PostProcessForStatistics(*program_);
        pathsCurrent_ = true;
        pathsStop_ = plan_.isSTOP;
    }

    double workLength = 0.0, idleLength = 0.0, workTime = 0.0, idleTime = 0.0;
    for (int i = 0; i < plan_.GetTurnCount(); ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan_.GetTurn(i));
        if (!turn) continue;
        std::vector<std::string> cells(std::size(kColumns));
        cells[0] = std::to_string(i + 1);
        cells[1] = turn->GetNameTurn();
        cells[2] = std::to_string(turn->nToolPosition + 1);
        cells[3] = turn->isVconst ? "v=" + FormatG(turn->Vconst) : FormatG(turn->Nshp);
        cells[4] = FormatG(turn->Spod);
        cells[5] = FormatG(turn->TT);
        if (turn->isExclude || turn->HasMessage()) {
            for (int c = 6; c <= 9; ++c) cells[static_cast<std::size_t>(c)] = kNoFigures;
            cells[10] = turn->isExclude ? "исключена" : "ошибка";
        } else {
            const PathStatistics s = turn->CalcStatistics();
            cells[6] = FormatFixed2(s.workLength);
            cells[7] = FormatFixed2(s.idleLength);
            cells[8] = FormatFixed2(s.workTime);
            cells[9] = FormatFixed2(s.auxTime);
            cells[10] = FormatFixed2(s.workTime + s.auxTime);
            if (s.count != 0) {
                cells[1] += std::string("  (") + kNoPathMark + ")";
                cells[10] += "  (!)";
            }
            workLength += s.workLength;
            idleLength += s.idleLength;
            workTime += s.workTime;
            idleTime += s.auxTime;
            if (plan_.isSTOP && turn->stopTime > EPS) cells[11] = FormatFixed2(turn->stopTime);
        }
        list.AddRow(std::move(cells));
    }
    std::vector<std::string> totals(std::size(kColumns));
    totals[1] = "СУММА";
    totals[6] = FormatFixed2(workLength);
    totals[7] = FormatFixed2(idleLength);
    totals[8] = FormatFixed2(workTime);
    totals[9] = FormatFixed2(idleTime);
    totals[10] = FormatFixed2(workTime + idleTime);
    list.AddRow(std::move(totals));

    Control(kNote).SetText(plan_.isElementStat ? kNoteElementary : kNoteCycles);
}

void CDialogStatistics::OnElementStat() {
    plan_.isElementStat = Control(kElementStat).Checked();
    FillList();
}

void CDialogStatistics::OnStop() {
    plan_.isSTOP = Control(kStop).Checked();
    FillList();
}

void CDialogStatistics::OnCommand(int id, int code) {
    if (code != kButtonClicked) return;
    if (id == kElementStat) {
        OnElementStat();
    } else if (id == kStop) {
        OnStop();
    } else if (id == kExport) {
        ExportPlanWithDialog(plan_);
    } else if (id == kSetupSheet) {
        CreateSetupSheet(plan_);
    } else if (id == kCosts) {
        CDialogCalculate costs(plan_, *GetSPID());
        costs.DoModal();
    }
}

void CDialogStatistics::OnDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (plan_.isElementStat) {
        const int count = std::min<int>(plan_.GetTurnCount(), static_cast<int>(recorded_.size()));
        for (int i = 0; i < count; ++i) {
            auto* turn = dynamic_cast<CTurn*>(plan_.GetTurn(i));
            if (!turn) continue;
            turn->indShema = recorded_[static_cast<std::size_t>(i)].indShema;
            turn->indCycle = recorded_[static_cast<std::size_t>(i)].indCycle;
        }
        plan_.DiagnosticRaschetPath();
    }
    recorded_.clear();
    if (plan_.isElementStat != elementStatAtOpening_ || plan_.isSTOP != stopAtOpening_) plan_.Save();
}

void ShowStatisticsDialog(CPLAN& plan, CPROGRAM* program) {
    CDialogStatistics dialog(plan, program);
    try {
        dialog.DoModal();
    } catch (...) {
        dialog.OnDestroy();
        throw;
    }
    dialog.OnDestroy();
}

std::string StatisticsListText(const HostDialog& dialog) {
    const DialogControl* list = dialog.FindControl(CDialogStatistics::kList);
    if (!list) return {};
    std::string out;
    auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) out += (c ? " | " : "") + cells[c];
        out += "\n";
    };
    std::vector<std::string> titles;
    for (const DialogListColumn& c : list->Columns()) titles.push_back(c.title);
    line(titles);
    for (int r = 0; r < list->RowCount(); ++r) line(list->Row(r));
    if (const DialogControl* note = dialog.FindControl(CDialogStatistics::kNote)) out += note->Text() + "\n";
    return out;
}

}  // namespace zarvento
