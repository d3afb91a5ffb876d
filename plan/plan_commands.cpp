// The plan commands: panels of the plan data and the coordinate system, the
// operation list edits, the display toggles, the program, simulation and
// statistics runs, the settings and the clearing of the plan.
#include <algorithm>
#include <optional>

#include "geometry/exception.h"
#include "geometry/simulation_hook.h"
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/modal_bracket.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/module.h"
#include "post/post_processor.h"
#include "post/program.h"

namespace zarvento {

namespace {

constexpr const char* kEmptyPlan = "Не создано ни одной обработки";
constexpr const char* kBadRapidSpeed =
    "Некорректное значение ускоренной подачи. Вызовите команду Настройки. Скорость ускоренных перемещений должна "
    "быть от 0.1 до 1000 м/мин.";

// The action the host runs to resume an operation waiting for its tool.
constexpr int kResumeWaitingTurn = 75;

TreeControl* PlanTreeControl() {
    PlanTree* tree = ExistingPlanTree();
    return tree ? tree->Control() : nullptr;
}

}  // namespace

void CPLAN::SaveTurnsFrom(int first) {
    for (int k = std::max(first, 0); k < GetTurnCount(); ++k) GetTurn(k)->Save(k);
}

bool CPLAN::IsLSCDefined() { return GetSPID()->GetLSC() != nullptr; }

bool CPLAN::HasSourceContour() {
    if (GetSPID()->CreateSourceContour()) return true;
    ShowHostMessage("Задайте контур заготовки");
    return false;
}

void CPLAN::Synchronize() {
    synchronisedDocument = ActiveHostDocument();
    try {
        DoSynchronizationData(*this);
    } catch (...) {
        // A failed load leaves no half-read plan behind for a later command to
        // save over the document: the operations read so far are dropped and
        // the plan counts as synchronised with no document, so the next
        // command reads the document again.
        ClearTurns();
        synchronisedDocument.reset();
        synchronisedDocumentPath.clear();
        throw;
    }
}

bool CPLAN::IsOtherDocument(const HostDocumentPtr& active) const {
    if (synchronisedDocumentPath != (active ? active->FilePath() : std::string())) return true;
    return synchronisedDocument.lock() != active;
}

void CPLAN::SetParamSPID() {
    CSPID* spid = GetSPID();
    if (!spid->GetDetailContour()) {
        ShowHostMessage("Не удалось распознать контур детали");
        return;
    }
    if (GetPlanPanels().ShowPanelSPID(*spid) == 1) {
        ModalBracket bracket;
        spid->Save_SPID();
        RefreshSPIDTreeNode();
        Save();
        DiagnosticRaschetPath();
        if (TreeControl* tree = PlanTreeControl())
            for (int k = 0; k < GetTurnCount(); ++k) GetTurn(k)->UpdateTreeItem(*tree);
        SaveTurnsFrom(0);
    }
    if (WaitingTurn) {
        PostHostCommand(kResumeWaitingTurn);
    } else if (spid->isShowGadgets) {
        // Built again from the fixtures as they are now.
        spid->isShowGadgets = false;
        spid->ToggleShowGadgets();
    }
}

void CPLAN::CreateNewTurn(std::int32_t type, int index) {
    std::unique_ptr<PlanTurn> op = CreateTurnClass(type);
    if (!op) return;
    op->SetPostProcessorData(GetSPID()->GetPostProcessor());
    if (index < 0 || index > GetTurnCount()) index = GetTurnCount();
    op->index = index;
    // The new operation starts from what the one before it leaves (or the
    // stock), and its panel shows that.
    op->GetPreviousFinalContour(index);
    if (op->Edit() == 1) {
        ModalBracket bracket;
        const bool appended = index == GetTurnCount();
        InsertTurn(index, std::move(op));
        if (appended) {
            DiagnosticRaschetPathAppended();
        } else {
            DiagnosticRaschetPath();
        }
        SaveTurnsFrom(index);
        Save();
        return;
    }
    // Left for the tool table: it lives on outside the plan until action 75.
    if (WaitingTurn == op.get()) pendingNewTurn = std::move(op);
}

void CPLAN::EditTurn(int index) {
    PlanTurn* op = GetTurn(index);
    if (!op || op->Edit() != 1) return;
    ModalBracket bracket;
    DiagnosticRaschetPath();
    if (TreeControl* tree = PlanTreeControl()) op->UpdateTreeItem(*tree);
    op->Save(index);
    Save();
}

void CPLAN::DeleteTurn(int index) {
    if (!AskQuestion("Вы действительно хотите удалить обработку?", "Да", "Отмена")) return;
    PlanTurn* op = GetTurn(index);
    if (!op) return;
    ModalBracket bracket;
    RemoveTurn(op);
    DiagnosticRaschetPath();
    SaveTurnsFrom(index);
    Save();
}

void CPLAN::ExcludeTurn(int index) {
    if (!GetTurn(index)) return;
    ModalBracket bracket;
    ToggleExclude(index);
    DiagnosticRaschetPath();
    SaveTurnsFrom(index);
    Save();
}

void CPLAN::ToggleTurnPath(int index) {
    PlanTurn* op = GetTurn(index);
    if (!op) return;
    ModalBracket bracket;
    op->ToggleShowPath();
    op->Save(index);
    RefreshHostView();
}

void CPLAN::MoveAdjacent(int from, int to) {
    // A stale index from the tree moves nothing.
    if (!GetTurn(from) || !GetTurn(to)) return;
    ModalBracket bracket;
    PlanTurn* moved = GetTurn(from);
    MoveTurn(from, to);
    DiagnosticRaschetPath();
    SaveTurnsFrom(std::min(from, to));
    Save();
    if (TreeControl* tree = PlanTreeControl()) {
        tree->SelectItem(kNoTreeItem);
        tree->SelectItem(moved->hTreeItem);
    }
}

// The index is checked before its neighbour is computed: i - 1 of the least
// int (or i + 1 of the greatest) is no index but an overflow.
void CPLAN::MoveTurnUp(int i) {
    if (GetTurn(i)) MoveAdjacent(i, i - 1);
}

void CPLAN::MoveTurnDown(int i) {
    if (GetTurn(i)) MoveAdjacent(i, i + 1);
}

void CPLAN::EditTurnTool() {
    PlanTurn* op = WaitingTurn;
    if (!op) return;
    const bool inPlan = ContainsTurn(op);
    // Only the plan's own operations and the pending new one can wait here.
    if (!inPlan && op != pendingNewTurn.get()) {
        WaitingTurn = nullptr;
        return;
    }
    if (op->Edit() == 1) {
        if (WaitingTurn == op) WaitingTurn = nullptr;
        ModalBracket bracket;
        const int p = op->index;
        if (inPlan) {
            DiagnosticRaschetPath();
            if (TreeControl* tree = PlanTreeControl()) op->UpdateTreeItem(*tree);
            op->Save(IndexOfTurn(op));
        } else {
            // A position beyond the plan (operations deleted meanwhile) appends.
            InsertTurn(p, std::move(pendingNewTurn));
            DiagnosticRaschetPath();
            SaveTurnsFrom(IndexOfTurn(op));
        }
        Save();
        return;
    }
    if (WaitingTurn != op && !inPlan) pendingNewTurn.reset();
}

void CPLAN::SetParam_LSC() {
    CSPID* spid = ExistingSPID();
    if (!spid) return;
    const std::shared_ptr<LocalCoordinateSystem> keptLSC = spid->GetLSC();
    const std::string keptName = spid->GetPostProcessor() ? spid->GetPostProcessor()->GetName() : std::string();
    if (GetPlanPanels().ShowPanel_LSC(*spid) != 1) {
        // Picking a post-processor in the panel read its description into the
        // process-wide templates; the plan keeps its own, so read that again.
        if (CPostProcessor* kept = spid->GetPostProcessor()) kept->ReadPostProcessorDescription();
        return;
    }
    const bool changed =
        spid->GetLSC() != keptLSC || (spid->GetPostProcessor() && spid->GetPostProcessor()->GetName() != keptName);
    if (!changed) return;
    ModalBracket bracket;
    spid->Save_LSC_CNC();
    Synchronize();
    SaveTurnsFrom(0);
}

void CPLAN::ToggleShowLSC() {
    ModalBracket bracket;
    GetSPID()->ToggleShowLSC();
    RefreshHostView();
}

void CPLAN::ToggleShowSource() {
    ModalBracket bracket;
    GetSPID()->ToggleShowSource();
    RefreshHostView();
}

void CPLAN::ToggleShowGadgets() {
    ModalBracket bracket;
    GetSPID()->ToggleShowGadgets();
    RefreshHostView();
}

void CPLAN::ShowTurnMessage(int index) {
    if (PlanTurn* op = GetTurn(index)) ShowHostMessage(op->messageText);
}

void CPLAN::ShowPostProcessorsList() {
    ModalBracket bracket;
    GetPlanPanels().ShowPostProcessorsList();
}

void CPLAN::RunProgramPanel() {
    if (GetTurnCount() == 0) throw Exception(kEmptyPlan);
    CPROGRAM program;
    // The panel puts the corrections back when it closes; this puts them back
    // when anything fails before.
    std::optional<RadiusCorrectionOff> machineCompensates;
    {
        ModalBracket bracket;
        program.Load();
        machineCompensates.emplace(program);
        program.CreateProgram();
    }
    if (GetPlanPanels().ShowPanelPROGRAM(program) == 1) {
        ModalBracket bracket;
        program.Save();
        GetPlanPanels().SaveProgramSettings();
    }
}

void CPLAN::CheckToolContours() {
    GetSPID()->CreateContourTool(CSPID::kAllPositions);
    for (int k = 0; k < GetTurnCount(); ++k) {
        const PlanTurn* op = GetTurn(k);
        if (op->isExclude || op->GetToolContour()) continue;
        throw Exception(op->GetNameTurn() + " (" + "обработка №" + std::to_string(k + 1) + ").\n" +
                        "Не определен контур инструмента." + "\n" + "Невозможно визуализировать обработку.");
    }
}

void CPLAN::RunVisualization() {
    if (GetTurnCount() == 0) throw Exception(kEmptyPlan);
    const double speed = SettingsRecord::Global().rapidSpeed;
    // Written so that a NaN speed is refused too.
    if (!(speed >= 0.1 && speed <= 1000.0)) throw Exception(kBadRapidSpeed);
    CheckToolContours();
    DeselectTurn();
    SimulationCheckMode = false;
    // The whole program runs, its head, safety, comment and end frames
    // included, with the settings the simulation panel was last left with.
    CPROGRAM program;
    {
        ModalBracket bracket;
        program.Load();
        program.CreateProgram();
    }
    if (GetPlanPanels().ShowPanelVISUAL(program, false) == 1) {
        ModalBracket bracket;
        program.Save();
        GetPlanPanels().SaveProgramSettings();
    }
}

void CPLAN::RunCheckSimulation() {
    if (GetTurnCount() == 0) throw Exception(kEmptyPlan);
    CheckToolContours();
    SimulationCheckMode = true;
    // The check run keeps the program's own defaults: its settings record is
    // neither read nor written.
    CPROGRAM program;
    {
        ModalBracket bracket;
        DiagnosticRaschetPath();
        program.CreateProgram();
    }
    GetPlanPanels().ShowPanelVISUAL(program, true);
}

void CPLAN::ShowStatistics() {
    ModalBracket bracket;
    CSPID* spid = GetSPID();
    if (!spid->pSourceContour) {
        const auto fine = SetForScope(SettingsRecord::Global().accuracy, 0.0001);
        spid->RefreshStockBuilder();
        spid->pSourceContour = spid->CreateSourceContour();
    }
    spid->RefreshStockBuilder();
    ResetModalState();
    CPROGRAM program;
    PostProcessForStatistics(program);
    GetPlanPanels().ShowStatistics(program);
    program.ReleaseFrames();
}

bool CPLAN::UsesMachineCycles() const {
    return std::any_of(turns.begin(), turns.end(), [](const auto& op) { return op->indShema != 0; });
}

void CPLAN::PostProcessForStatistics(CPROGRAM& program) {
    if (!UsesMachineCycles()) return;
    program.CreateProgram();
    std::vector<std::string> lines;
    program.WriteProgramText(lines);
    // Without a script the text is the program, and nothing gives the
    // cycles a path.
    if (!CPROGRAM::UsesScript() || !program.SaveInputFile(lines)) return;
    program.RunPostProcessor(nullptr, nullptr);
    // Whatever the script left in the path file counts, even after a failed
    // run: a script that started had the previous file removed first. One
    // that never started (no post-processor, no interpreter) reads nothing.
    const std::string& error = program.ScriptError();
    const bool started = error != CPROGRAM::kNoPostProcessor && error.rfind(CPROGRAM::kNotStarted, 0) != 0;
    if (started) program.ReadPathFile();
}

void CPLAN::EditSettings() {
    ModalBracket bracket;
    if (GetPlanPanels().EditSettings() != IDOK_) return;
    Synchronize();
    RedrawPaths();
}

void CPLAN::SaveTurnResultModel(int index) {
    ModalBracket bracket;
    BusyFlagGuard busy;
    PlanTurn* op = GetTurn(index);
    if (!op) return;
    const std::string path = GetPlanPanels().AskSaveFile("VOVUVE-Деталь (*.rdp)|*.rdp|", "*.rdp");
    if (!path.empty()) GetPlanPanels().SaveTurnResultModel(*op, path);
}

void CPLAN::CreateTurnSketch(int index) {
    ModalBracket bracket;
    BusyFlagGuard busy;
    if (PlanTurn* op = GetTurn(index)) GetPlanPanels().CreateTurnSketch(*op, "");
}

void CPLAN::ClearPlan() {
    if (!AskQuestion(std::string("Внимание! Вся информация из Плана обработки будет удалена.") + "\n" + "Продолжить?",
                     "Да", "Отмена"))
        return;
    ModalBracket bracket;
    CSPID* spid = GetSPID();
    spid->RemoveLSCRecord();
    spid->RemoveSPIDRecord();
    for (int k = 0; k < GetTurnCount(); ++k) GetTurn(k)->RemoveStorage(k);
    ClearTurns();
    Save();
    Synchronize();
    DeleteSPID();
}

}  // namespace zarvento
