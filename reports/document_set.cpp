// The document set: every sketch of a plan into one folder.
#include <cstdio>
#include <filesystem>

#include "operations/turn.h"
#include "plan/plan.h"
#include "platform/core/messages.h"
#include "platform/core/stored_path.h"
#include "platform/dialogs/file_dialogs.h"
#include "reports/plan_sketch.h"
#include "reports/turn_sketch.h"

namespace zarvento {

namespace {

void RemoveBackup(const std::string& sketch) {
    std::error_code ec;
    std::filesystem::remove(StoredPathToPath(sketch + ".bak"), ec);
}

}  // namespace

std::string DocumentSetFolder(const std::string& chosenPath) {
    const std::size_t name = chosenPath.find_last_of("\\/");
    const std::size_t dot = chosenPath.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return chosenPath;
    return chosenPath.substr(0, dot);
}

void CreateDocumentSet(CPLAN& plan) {
    std::string initial;
    if (const std::string* file = plan.PlanParameters().GetStringParameter("MODEL.File")) initial = *file;
    const std::optional<std::string> chosen = ShowSaveFileDialog("", "", initial, true, true);
    if (!chosen) return;
    const std::string folder = DocumentSetFolder(*chosen);
    if (folder.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(StoredPathToPath(folder), ec);

    const std::string planSketch = folder + "\\Эскиз 0.rdd";
    CreatePlanDocument(planSketch);
    RemoveBackup(planSketch);
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan.GetTurn(i));
        if (!turn) continue;
        char name[64];
        std::snprintf(name, sizeof name, "\\Эскиз %d.rdd", i + 1);
        const std::string sketch = folder + name;
        CreateSketch(*turn, sketch);
        RemoveBackup(sketch);
    }
    ShowPlainMessageBox("Комплект докуметов сформирован", " ");
}

}  // namespace zarvento
