// The plan sketch.
#include "reports/plan_sketch.h"

#include <filesystem>

#include "catalogs/param_tool.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/raster_file.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"
#include "reports/sketch_drawing.h"

namespace zarvento {

namespace {

bool HoldsTool(ParamTool* tool) { return tool && !tool->isNoContour && !tool->sToolName.empty(); }

// The picture of the part stands at x = 250 and keeps 3 mm off the frame's
// right line.
constexpr double kPictureWidth = kSketchFrameRight - 3.0 - 250.0;

// The finished part's section hatched on both sides of the axis.
void HatchSection(DrawingDocument& drawing, const Contour& finalContour, const CSPID& spid) {
    std::unique_ptr<Contour> section = finalContour.Clone();
    for (int side = 0; side < 2; ++side) {
        const double mirror = side == 0 ? 1.0 : -1.0;
        drawing.BeginHatch(0, 45.0, 3.0, std::array<double, 2>{spid.innerPointZ, spid.innerPointX * mirror});
        section->Draw2D(1);
        drawing.EndHatch();
        section->MirrorX();
    }
}

// The turret's tools as a table.
void DrawToolTable(DrawingDocument& drawing, CSPID& spid) {
    std::vector<SketchToolRow> rows;
    for (int i = 0; i < spid.Npositions; ++i) {
        ParamTool* tool = spid.GetTool(i);
        if (!tool) continue;
        tool->LoadModel();
        if (!HoldsTool(tool)) continue;
        rows.push_back({i, SketchToolText(*tool), tool->r, tool->D, tool->CorrectX, tool->CorrectZ});
    }
    const int k = static_cast<int>(rows.size());
    DrawingTable& table = drawing.AddTable(1, 6, 10.0, 50.0, 200.0, 10.0 * k + 10.0);
    ++table.updates;
    const double widths[] = {10.0, 110.0, 20.0, 20.0, 20.0, 20.0};
    const char* headers[] = {"ПИ", "Инструмент", "r", "D", "Wx", "Wz"};
    for (int c = 0; c < 6; ++c) {
        SetTableCellSize(table, c, widths[c], 10.0);
        SetTableCellText(table, 0, c, headers[c], 1);
    }
    for (const SketchToolRow& row : rows) {
        table.AddRow(10.0);
        const auto texts = SketchToolRowTexts(row);
        for (int c = 0; c < 6; ++c) SetTableCellText(table, table.Rows() - 1, c, texts[c], c == 1 ? 0 : 1);
    }
    ++table.updates;
}

// The part's picture at the sheet's top right.
void PlacePicture(DrawingDocument& drawing, const std::filesystem::path& raster) {
    DrawingRaster& picture = drawing.AddRaster(raster.string(), 225.0, 0.0);
    ++picture.updates;
    const double w = picture.Width(), h = picture.Height();
    // As wide as the frame leaves right of x = 250, as high as 155.
    picture.scale = 5.0 * std::min(kPictureWidth / w, 155.0 / h);
    ++picture.updates;
    const double hh = picture.Height();
    picture.x = 250.0;
    picture.y = 245.0 - hh;
    ++picture.updates;
}

}  // namespace

void CreatePlanDocument(const std::string& fileName) {
    CPLAN* plan = GetPLAN();
    if (plan->GetTurnCount() == 0) {
        ShowHostMessage("План обработки не содержит переходов");
        return;
    }
    CSPID* spid = GetSPID();
    HiddenPaths paths(*plan);
    std::unique_ptr<Contour> stock = spid->CreateSourceContour();
    if (!stock) {
        ShowHostMessage("Заготовка не задана");
        return;
    }
    plan->PlanParameters().GetParameter("_MDET");
    plan->PlanParameters().GetParameter("_MZAG");
    const std::string* modelFile = plan->PlanParameters().GetStringParameter("MODEL.File");
    const std::string modelFileText = modelFile ? *modelFile : std::string();
    BusyFlagGuard busy;

    // The part's picture from its 3D view.
    const std::filesystem::path raster = AppendStoredPath(StoredPathToPath(spid->sessionDirectory), "\\Rastr.tif");
    const bool hasPicture = RenderPartPicture(ConnectHostApplication().ActiveDocumentOrNull(), raster);
    paths.Restore();
    // The picture exists only while the sketch is drawn.
    const ScopeGuard removeRaster([raster] {
        std::error_code ec;
        std::filesystem::remove(raster, ec);
    });

    SketchScope scope(fileName);
    DrawingDocument& drawing = scope.Drawing();
    drawing.UpdateView(0);

    auto* last = dynamic_cast<CTurn*>(plan->GetTurn(plan->GetTurnCount() - 1));
    const Contour* finalContour = last ? last->finalContour.get() : nullptr;
    std::vector<std::unique_ptr<Contour>> portions;
    if (finalContour && spid->GetDetailContour()) {
        std::vector<const Contour*> works;
        for (int i = 0; i < plan->GetTurnCount(); ++i)
            if (auto* t = dynamic_cast<CTurn*>(plan->GetTurn(i))) works.push_back(t->workContour.get());
        portions = PlanMachinedPortions(*finalContour, *stock, *spid->GetDetailContour(), works);
    }

    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    stock->GetBoundBox(zmin, xmin, zmax, xmax);
    DrawContourBothSides(*stock, 4);
    if (finalContour) DrawContourBothSides(*finalContour, 1);
    DrawMachinedPortions(drawing, portions, xmin, zmax);
    if (finalContour) HatchSection(drawing, *finalContour, *spid);
    drawing.Objects().LineSeg(zmax + 5.0, 0, zmin - 5.0, 0, 3);
    drawing.BeginCompound();
    drawing.Objects().Circle(0, 0, 1.2, 1);
    drawing.EndCompound();
    AddSketchText(drawing, 1.5, 2.0, "0");
    drawing.MoveView(0, 100.0 - (zmin + zmax) * 0.5 - 25.0, xmin + 225.0);

    DrawToolTable(drawing, *spid);

    if (hasPicture) PlacePicture(drawing, raster);
    if (modelFile) AddSketchText(drawing, 0, 240.0, modelFileText);
    DrawingRoughness& mark =
        drawing.AddRoughness(350.0, 230.0, SketchRoughnessText(plan->PlanParameters().GetParameter("MODEL.RGH")));
    mark.switch1 = mark.switch2 = true;
    ++mark.updates;
    DrawSketchFrame(drawing);
    drawing.SetZoom(-3.0, -3.0, 403.0, 250.0);
    PlaceSketchOnSheet(drawing);
    scope.Finish();
}

}  // namespace zarvento
