// The headless model of the plan's panels and dialogs: answers from the
// panel script, applied to a private copy as the real panels do.
#include "plan/plan_panels.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <type_traits>

#include "catalogs/catalog_tools.h"
#include "geometry/lsc_transform.h"
#include "plan/plan.h"
#include "plan/plan_documents.h"
#include "plan/plan_simulation.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/registration.h"
#include "platform/core/stored_path.h"
#include "platform/core/variant.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/local_coordinate_system.h"
#include "post/program.h"

namespace zarvento {

namespace {

Registration<PlanPanels> registration;
Registration<SettingsDialogRunner> settingsDialog;

// Sets a numeric field of the answer into `target`; a text that is no number
// (or a real beyond any size of a lathe job) cancels the answer (after its
// message) and leaves the target as it was.
template <class T>
void TakeNumber(PanelAnswer& answer, const char* field, T& target) {
    const std::string* text = answer.Field(field);
    if (!text || answer.result != IDOK_) return;
    if constexpr (std::is_same_v<T, double>) {
        double v = 0;
        if (ParseDouble(*text, v) && IsPlausibleValue(v)) {
            target = v;
            return;
        }
    } else {
        std::int32_t v = 0;
        if (ParseInt(*text, v)) {
            target = v;
            return;
        }
    }
    PlanPanels::RefuseField(answer, field, *text);
}

// A tool's model document named in the answer. A relative name is looked for
// beside the part document first (where a job keeps its tools' models), then
// in the folder the program runs in; empty when it is in neither.
std::filesystem::path FindModelDocument(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path typed = StoredPathToPath(name);
    std::vector<fs::path> candidates;
    if (typed.is_relative()) {
        const HostDocumentPtr part = ActiveHostDocument();
        const fs::path documentPath = part ? fs::path(part->FilePath()) : fs::path();
        if (!documentPath.empty()) candidates.push_back(fs::absolute(documentPath, ec).parent_path() / typed);
    }
    candidates.push_back(fs::absolute(typed, ec));
    for (const fs::path& file : candidates)
        if (fs::is_regular_file(file, ec)) return file.lexically_normal();
    return {};
}

}  // namespace

PanelAnswer PlanPanels::Show(const std::string& panel, const std::string& detail) {
    return PanelScript::Instance().Show(panel, detail);
}

void PlanPanels::RefuseField(PanelAnswer& answer, const std::string& field, const std::string& value) {
    ShowMessageBox("Недопустимое значение поля " + field + ": \"" + value + "\"");
    answer.result = IDCANCEL_;
    PanelScript::Instance().NoteRefusal();
}

bool PlanPanels::RefuseUnknownFields(PanelAnswer& answer, std::initializer_list<std::string_view> known,
                                     std::initializer_list<std::string_view> numbered) {
    for (const auto& [field, value] : answer.fields) {
        const std::string_view name = field;
        bool ok = std::find(known.begin(), known.end(), name) != known.end();
        // "tool1".."tool30": a prefix and a number from 1 to the count of positions.
        for (std::string_view prefix : numbered) {
            std::int32_t n = 0;
            if (!ok && name.starts_with(prefix) && name.size() > prefix.size() && name[prefix.size()] != '0' &&
                ParseInt(name.substr(prefix.size()), n) && n >= 1 && n <= CSPID::kMaxTools)
                ok = true;
        }
        if (ok) continue;
        ShowMessageBox("Панель не имеет поля " + field);
        answer.result = IDCANCEL_;
        PanelScript::Instance().NoteRefusal();
        return true;
    }
    return false;
}

namespace {

// "Добавить инструмент из Каталога" with position `i` selected: the user
// chooses the model in the catalog dialog; settings in braces in its name
// ("{T3 M4}") may put it in another position.
void AddToolFromCatalog(CSPID& spid, int i) {
    ParamTool chosen = spid.tools[static_cast<std::size_t>(i)];
    // The dialog finds the position's model by its file's name.
    std::string folder, name = chosen.ModelName(), ext;
    CCatalogTools dialog("Tool", folder, name, ext, chosen.aVariables, chosen.Npv);
    if (dialog.DoModal() != 1) return;
    const bool found = chosen.ParseNameSettings(name);
    if (found) {
        if (chosen.Position >= spid.Npositions) {
            char text[160];
            std::snprintf(text, sizeof text, "Инструмент не может быть установлен в позицию %d. Не хватает позиций.",
                          chosen.Position + 1);
            ShowHostMessage(text);
            return;
        }
        i = chosen.Position;
    }
    ParamTool& tool = spid.tools[static_cast<std::size_t>(i)];
    tool = chosen;
    tool.ResetModelFields();
    tool.isNoContour = false;
    tool.isModelCopied = false;
    tool.isModelLoaded = false;
    tool.isFromCatalog = true;
    // The working copy is named by the position: two positions holding one
    // catalog model must not share (and overwrite) one copy.
    tool.nCopyIndex = i;
    tool.ClearContour();
    tool.sFileName = folder + name + ext;
    tool.sToolName = name;
    tool.sExt = ext;
    // Named in the size chosen: the model's name with the row's designation.
    tool.TakeSizeDesignation(dialog.ChosenDesignation());
    tool.FindModelFile(false);
    tool.LoadModel();
    if (found && tool.isInter) tool.CorrectX = -tool.CorrectX;
}

}  // namespace

int PlanPanels::ShowPanelSPID(CSPID& spid) {
    PanelAnswer answer = Show(kSPID);
    if (answer.result != IDOK_) return answer.result;
    if (RefuseUnknownFields(answer,
                            {"L", "D", "d", "Z", "method", "stock", "positions", "x0", "z0", "xplane", "zplane",
                             "allowance", "catalog"},
                            {"tool", "model"}))
        return answer.result;
    auto copy = std::make_unique<CSPID>();
    *copy = spid;
    TakeNumber(answer, "L", copy->ProkatL);
    TakeNumber(answer, "D", copy->ProkatD);
    TakeNumber(answer, "d", copy->Prokatd);
    TakeNumber(answer, "Z", copy->ProkatZ);
    TakeNumber(answer, "method", copy->SposobBuildSource);
    TakeNumber(answer, "stock", copy->nSposobStock);
    TakeNumber(answer, "positions", copy->Npositions);
    TakeNumber(answer, "x0", copy->X0tool);
    TakeNumber(answer, "z0", copy->Z0tool);
    TakeNumber(answer, "xplane", copy->Xplane);
    TakeNumber(answer, "zplane", copy->Zplane);
    TakeNumber(answer, "allowance", copy->PripuskZ);
    if (answer.result == IDOK_ && (copy->Npositions < 1 || copy->Npositions > CSPID::kMaxTools))
        RefuseField(answer, "positions", std::to_string(copy->Npositions));
    for (int i = 0; i < CSPID::kMaxTools && answer.result == IDOK_; ++i) {
        ParamTool& tool = copy->tools[static_cast<std::size_t>(i)];
        if (const std::string* name = answer.Field("tool" + std::to_string(i + 1))) tool.sPsevName = *name;
        // A model document of the user's own, kept beside the part document.
        if (const std::string* model = answer.Field("model" + std::to_string(i + 1))) {
            const std::filesystem::path file = FindModelDocument(*model);
            if (file.empty()) {
                RefuseField(answer, "model" + std::to_string(i + 1), *model);
                break;
            }
            tool.isFromCatalog = false;
            tool.sFileName = file.string();
            tool.sRefrName = file.filename().string();
            if (tool.sToolName.empty()) tool.sToolName = tool.sPsevName.empty() ? file.stem().string() : tool.sPsevName;
            // The model's variables (corner radius, cutting data) go into
            // the tool table, as picking a model does.
            tool.sWorkFile = tool.sFileName;
            tool.TakeModelWriteTime();
            tool.ReadModelVariablesFromFile();
        }
    }
    // The position chosen before "Добавить инструмент из Каталога" was pressed.
    if (const std::string* position = answer.Field("catalog"); position && answer.result == IDOK_) {
        std::int32_t n = 0;
        if (!ParseInt(*position, n) || n < 1 || n > copy->Npositions)
            RefuseField(answer, "catalog", *position);
        else
            AddToolFromCatalog(*copy, n - 1);
    }
    if (answer.result != IDOK_) return answer.result;
    copy->isPripuskZ = copy->PripuskZ != 0.0;
    copy->RefreshStockBuilder();
    spid = *copy;
    return IDOK_;
}

int PlanPanels::ShowPanel_LSC(CSPID& spid) {
    // The fields are what the user picked before pressing the button, so a
    // cancelled panel has had them applied to its copy too.
    PanelAnswer answer = Show(kLSC);
    if (RefuseUnknownFields(answer, {"lsc", "post"})) return answer.result;
    auto copy = std::make_unique<CSPID>();
    *copy = spid;
    if (const std::string* name = answer.Field("lsc")) {
        std::shared_ptr<LocalCoordinateSystem> found;
        for (const HostObjectPtr& obj : ActiveHostDocument()->ObjectsOfType(LocalCoordinateSystem::kObjectType)) {
            if (obj->Name() == *name) {
                found = std::static_pointer_cast<LocalCoordinateSystem>(obj);
                break;
            }
        }
        if (!found) {
            RefuseField(answer, "lsc", *name);
            return answer.result;
        }
        copy->pLSC = found;
    }
    if (const std::string* post = answer.Field("post")) {
        // Picking a post-processor reads its description, as the panel does;
        // that replaces the process-wide templates until someone reads another.
        copy->sNamePostProcessor = *post;
        copy->CheckPostProcessor();
        // The panel lists the installed post-processors only: a name that is
        // none of them (or whose description cannot be read) is no choice.
        if (!copy->GetPostProcessor()) {
            RefuseField(answer, "post", *post);
            return answer.result;
        }
    }
    if (answer.result != IDOK_) return answer.result;
    spid = *copy;
    if (spid.pLSC) LscTransform::Global().ReadFromHost(spid.pLSC);
    return IDOK_;
}

int PlanPanels::EditTurn(PlanTurn& op) {
    PanelAnswer answer = Show(kTurn, op.GetNameTurn());
    if (const std::string* wait = answer.Field("wait"); wait && *wait == "1") {
        WaitingTurn = &op;
        return IDCANCEL_;
    }
    // Closed in any other way, the panel no longer waits for the tool table.
    if (WaitingTurn == &op) WaitingTurn = nullptr;
    if (answer.result == IDOK_) ApplyTurnFields(op, answer);
    return answer.result;
}

void PlanPanels::ApplyTurnFields(PlanTurn&, PanelAnswer&) {}

int PlanPanels::ShowPanelPROGRAM(CPROGRAM& program) {
    PanelAnswer answer = Show(kProgram, std::to_string(program.frames.Count()) + " frames");
    RefuseUnknownFields(answer, {});
    return answer.result;
}

int PlanPanels::ShowPanelVISUAL(CPROGRAM& program, bool checkMode) {
    PanelAnswer answer =
        Show(kSimulation, std::to_string(program.frames.Count()) + " frames" + (checkMode ? ", check" : ""));
    if (PlanSimulation* simulation = GetPlanSimulation())
        simulation->RunPanel(program, checkMode, answer);
    else
        RefuseUnknownFields(answer, {});
    return answer.result;
}

void PlanPanels::SaveProgramSettings() { PanelScript::Instance().Note("program-settings", "saved"); }

void PlanPanels::ShowPostProcessorsList() {
    PanelAnswer answer = Show(kPostProcessors);
    RefuseUnknownFields(answer, {});
}

void PlanPanels::ShowStatistics(CPROGRAM& program) {
    PanelAnswer answer = Show(kStatistics, std::to_string(program.frames.Count()) + " frames");
    RefuseUnknownFields(answer, {});
}

int PlanPanels::EditSettings() {
    if (SettingsDialogRunner* dialog = settingsDialog.Get()) return dialog->RunSettingsDialog();
    PanelAnswer answer = Show(kSettings);
    if (answer.result != IDOK_ || RefuseUnknownFields(answer, {"rapid", "accuracy", "xoutput"})) return answer.result;
    SettingsRecord edited = SettingsRecord::Global();
    TakeNumber(answer, "rapid", edited.rapidSpeed);
    TakeNumber(answer, "accuracy", edited.accuracy);
    TakeNumber(answer, "xoutput", edited.xOutputMode);
    if (answer.result == IDOK_) SettingsRecord::Global() = edited;
    return answer.result;
}

PlanPanels::HostShown PlanPanels::ShownOnHost(std::string_view panel) const {
    // The catalog runs on the host's dialog model whatever panels are in place.
    if (panel == CCatalogTools::kScriptName || panel == CNewDirCatalog::kScriptName) return HostShown::Dialog;
    return HostShown::No;
}

std::string PlanPanels::AskSaveFile(const std::string& filter, const std::string& defaultExtension) {
    return ShowSaveFileDialog(defaultExtension, filter).value_or(std::string());
}

void PlanPanels::SaveTurnResultModel(PlanTurn& op, const std::string& path) {
    PanelScript::Instance().Note("result-model", op.GetNameTurn() + " -> " + path);
}

void PlanPanels::CreateTurnSketch(PlanTurn& op, const std::string& name) {
    if (PlanDocuments* documents = GetPlanDocuments()) return documents->CreateTurnSketch(op, name);
    PanelScript::Instance().Note("sketch", op.GetNameTurn() + (name.empty() ? "" : " " + name));
}

void PlanPanels::CreatePlanDocument(const std::string& name) {
    if (PlanDocuments* documents = GetPlanDocuments()) return documents->CreatePlanDocument(name);
    PanelScript::Instance().Note("plan-document", name);
}

void PlanPanels::CreateDocumentSet() {
    if (PlanDocuments* documents = GetPlanDocuments()) return documents->CreateDocumentSet();
    PanelScript::Instance().Note("document-set", "");
}

PlanPanels& GetPlanPanels() {
    static PlanPanels headless;
    PlanPanels* registered = registration.Get();
    return registered ? *registered : headless;
}

PlanPanels* RegisterPlanPanels(PlanPanels* panels) { return registration.Register(panels); }

SettingsDialogRunner* RegisterSettingsDialog(SettingsDialogRunner* runner) { return settingsDialog.Register(runner); }

}  // namespace zarvento
