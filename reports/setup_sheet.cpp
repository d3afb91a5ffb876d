// The setup sheet: its table as plain data, then the drawing.
#include "reports/setup_sheet.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "model/model_tess.h"
#include "nc/frame_text_format.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/check.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/core/stored_path.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/raster_file.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"
#include "reports/sketch_drawing.h"
#include "reports/statistics_text.h"

namespace zarvento {

namespace {

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// " r0.8": the letter and the shortest exact form, without the blank after it.
std::string ToolNumber(const char* letter, double value) {
    std::string text = FormatAddressValue(letter, value, true);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return " " + text;
}

}  // namespace

double SetupSheetTop(int rows) { return rows * kSetupSheetRowHeight + 20.0; }

std::string SetupSheetToolText(const std::string& name, double r, double D) {
    std::string text = name;
    const std::size_t open = name.find('(');
    if (open != std::string::npos) {
        std::string head = name.substr(0, open);
        if (!head.empty() && head.back() == ' ') head.pop_back();
        text = head + " " + name.substr(open);
    }
    if (std::isfinite(r) && r > 0.1) text += ToolNumber("r", r);
    if (std::isfinite(D) && D > 0.1) text += ToolNumber("d", D);
    return text;
}

SetupSheetTable MakeSetupSheetTable(CPLAN& plan) {
    SetupSheetTable table;
    table.rows.push_back({"T", "Инструмент", "n, об/мин", "s, мм/об", "t, мин"});
    CSPID* spid = GetSPID();
    double total = 0.0;
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan.GetTurn(i));
        if (!turn || turn->isExclude || turn->HasMessage()) continue;
        const PathStatistics s = turn->CalcStatistics();
        const double time = s.workTime + s.auxTime;
        if (!ZARVENTO_ALWAYS(std::isfinite(time))) {
            table.refusal = BrokenInvariantText(kBrokenSetupSheetMessage);
            return table;
        }
        total += time;
        const ParamTool* tool = spid ? spid->GetTool(turn->nToolPosition) : nullptr;
        table.rows.push_back({std::to_string(turn->nToolPosition + 1),
                              tool ? SetupSheetToolText(tool->sToolName, tool->r, tool->D) : std::string(),
                              turn->isVconst ? Printf("V=%1.0f", turn->Vconst) : Printf("%1.0f", turn->Nshp),
                              Printf("%1.3f", turn->Spod), FormatFixed2(time)});
    }
    table.rows.push_back({"время обработки, мин", "", "", "", FormatFixed2(total)});
    table.top = SetupSheetTop(static_cast<int>(table.rows.size()));
    return table;
}

namespace {

// The part's picture above the table, as wide as the sheet leaves it.
void PlacePicture(DrawingDocument& drawing, const std::filesystem::path& raster, double y0) {
    DrawingRaster& picture = drawing.AddRaster(raster.string(), 23.0, 120.0);
    ++picture.updates;
    picture.scale = 5.0 * kSetupSheetPictureWidth / picture.Width();
    ++picture.updates;
    picture.y = std::max(275.0 - picture.Height(), y0);
    ++picture.updates;
}

// The operations' table at y0, its last row the total time.
void DrawOperationsGrid(DrawingDocument& drawing, const SetupSheetTable& table, double y0) {
    DrawingTable& grid = drawing.AddTable(1, static_cast<int>(kSetupSheetColumns.size()), kSetupSheetRowHeight,
                                          kSetupSheetColumns[0], kSetupSheetTableX, y0);
    ++grid.updates;
    for (std::size_t c = 0; c < kSetupSheetColumns.size(); ++c)
        SetTableCellSize(grid, static_cast<int>(c), kSetupSheetColumns[c], kSetupSheetRowHeight);
    while (grid.Rows() < static_cast<int>(table.rows.size())) grid.AddRow(kSetupSheetRowHeight);
    const int last = grid.Rows() - 1;
    for (int r = 0; r <= last; ++r) {
        const SetupSheetRow& row = table.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < 5; ++c) {
            if (r == last && c > 0 && c < 4) continue;
            const int align = r == last && c == 0 ? 2 : (r > 0 && c == 1 ? 0 : 1);
            SetTableCellText(grid, r, c, row[static_cast<std::size_t>(c)], align);
        }
    }
    grid.Merge(last, 0, last, 3);
    ++grid.updates;
}

}  // namespace

void CreateSetupSheet(CPLAN& plan) {
    BusyFlagGuard busy;
    CSPID* spid = GetSPID();
    HostApplication& app = ConnectHostApplication();

    // The NC coordinate system's symbol in the view while the picture is taken.
    auto symbol = std::make_unique<CModelTess>();
    std::string symbolFile;
    if (ModuleFilePath(symbolFile, "TESS/LSK.rdp") && symbol->LoadFromFile(symbolFile)) symbol->DrawAt(0, 0, 0);
    const ScopeGuard eraseSymbol([&symbol] {
        try {
            if (symbol) symbol->Erase();
        } catch (...) {
            // The sheet's own failure is the one to report.
        }
        symbol.reset();
    });

    const HostDocumentPtr part = app.ActiveDocumentOrNull();
    std::shared_ptr<HostPart> top;
    if (part && (part->Type() == DocumentType::Part || part->Type() == DocumentType::Assembly)) top = TopPart(part);
    const std::filesystem::path raster = AppendStoredPath(StoredPathToPath(spid->sessionDirectory), kSetupSheetRaster);
    const ScopeGuard removeRaster([&raster] {
        std::error_code ec;
        std::filesystem::remove(raster, ec);
    });
    bool hasPicture = false;
    {
        HiddenPaths paths(plan);
        hasPicture = RenderPartPicture(part, raster);
    }

    const std::string name = top ? top->Name() : std::string();
    const std::string designation = top ? top->Properties().designation : std::string();
    // Everything read from the part and the plan is read while the part is
    // the active document.
    const SetupSheetTable table = MakeSetupSheetTable(plan);
    if (!table.refusal.empty()) {
        HostMessageBox(table.refusal, CTurn::kCaption, MB_OK_);
        return;
    }
    const double y0 = table.top;
    char mass[64];
    std::snprintf(mass, sizeof mass, " %1.3f ", plan.GetDetailMass());

    HostDocumentPtr doc = app.Documents().Add(DocumentType::Drawing2D, true);
    // A sheet that fails half-way stays open, with the part in front again,
    // so that the library's next command finds its part.
    bool finished = false;
    struct PartBackOnFailure {
        HostApplication& app;
        const HostDocumentPtr& part;
        const bool& finished;
        ~PartBackOnFailure() {
            if (finished || !part) return;
            try {
                if (app.Documents().Contains(part)) app.SetActiveDocument(part);
            } catch (...) {
                // The sheet's own failure is the one to report.
            }
        }
    } partBack{app, part, finished};
    DrawingDocument& drawing = DrawingOf(*doc);
    drawing.Sheet().format = 4;
    drawing.Sheet().orientation = 1;
    drawing.Sheet().layoutStyle = 2;
    drawing.Sheet().titleCells[2] = designation;
    ++drawing.sheetUpdates;
    drawing.SetCurrentView(0);

    if (hasPicture) PlacePicture(drawing, raster, y0);
    std::error_code ec;
    std::filesystem::remove(raster, ec);

    if (!name.empty()) AddSketchText(drawing, 100.0, 283.0, name);
    AddSketchText(drawing, 23.0, y0 + 2.5, std::string("Масса детали") + mass + "кг");
    if (!designation.empty()) AddSketchText(drawing, 23.0, y0 + 10.0, designation);
    AddSketchText(drawing, 157.0, y0 + 2.5, "Список переходов");

    DrawOperationsGrid(drawing, table, y0);

    app.SetActiveDocument(doc);
    finished = true;
}

}  // namespace zarvento
