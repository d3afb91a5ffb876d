// The export of the machining process to the process-planning system
// TECHPLAN: an XML file made by the export post-processor "EXPORT\TECHPLAN.py3"
// of the library's folder, and beside it a folder with a copy of the 3D
// model, the sketches of the plan and of every operation, and the NC program.
// Onto an existing XML file the export post-processor's script merges the new
// text, and names in "path.tmp" the steps to perform.
#pragma once

#include <string>
#include <string_view>

namespace zarvento {

class CPLAN;

inline constexpr const char* kExportPostProcessor = "EXPORT/TECHPLAN.py3";
inline constexpr const char* kExportPostProcessorName = "TECHPLAN.py3";
inline constexpr const char* kExportDone = "Комплект документов сформирован";
inline constexpr const char* kExportCancelled = "Отмена записи файла\n";
inline constexpr const char* kExportCreateFailed = "Ошибка создания файла\n";
inline constexpr const char* kExportXmlFailed = "Не удалось обновить xml-файл\n";
inline constexpr const char* kExportModelFailed = "Не удалось скопировать файл модели\n";
inline constexpr const char* kExportProgramCreateFailed = "Ошибка создания файла управляющей программы\n";
inline constexpr const char* kExportProgramCopyFailed = "Не удалось скопировать управляющую программу\n";
// The script's answer is read up to this many bytes.
inline constexpr std::size_t kExportAnswerBytes = 1024;

// The steps the script names: each keyword counts wherever it occurs.
struct ExportScriptKeywords {
    bool updateXml = false;
    bool copy3dModel = false;
    bool createAllSketches = false;
    bool copyProgram = false;

    static ExportScriptKeywords Parse(std::string_view answer);
};

// The export folder: the chosen path without the extension of its file name
// (a dot in a folder name stays).
std::string ExportFolder(const std::string& xmlPath);
// The file name of the chosen path without its extension.
std::string ExportTitle(const std::string& xmlPath);
// The program's file in the folder: the title in Latin letters and the
// post-processor's extension.
std::string ExportProgramName(const std::string& folder, const std::string& title, const std::string& extension);

// Exports the plan to the XML file and reports the outcome in a message box
// ("Orbisel"); returns its text. The busy flag, the export-run flag and the
// plan's post-processor (with its templates) are put back on every exit.
std::string ExportPlan(CPLAN& plan, const std::string& xmlPath);
// Asks for the XML file (the part's file name offered), then ExportPlan.
// Nothing happens when the dialog is cancelled.
void ExportPlanWithDialog(CPLAN& plan);

}  // namespace zarvento
