// The operation's sketch.
#include "reports/turn_sketch.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/scope_guard.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/model_view.h"
#include "reports/sketch_drawing.h"

namespace zarvento {

namespace {

double Variable(CTurn& turn, std::string_view name) {
    const double* v = turn.GetNumericVariable(name);
    return v ? *v : 0.0;
}

// The frames of the operation drawn as 2D where they stand, over the
// section: the moves at the part, without the rapid moves from the start
// point before the first feed and back to it after the last.
void DrawFrames(const CTurn& turn) {
    std::vector<CCadreISO*> frames;
    turn.CollectFrames(frames);
    StepArray<CUnit*> units;
    for (CCadreISO* frame : frames)
        if (frame) frame->AddPathUnits(units);
    std::uint32_t first = 0, end = units.Count();
    while (first < end && (!units[first] || units[first]->IsRapid)) ++first;
    while (end > first && (!units[end - 1] || units[end - 1]->IsRapid)) --end;
    for (std::uint32_t i = first; i < end; ++i)
        if (units[i]) units[i]->Draw2D(2);
}

}  // namespace

int AddToolModelView(DrawingDocument& drawing, const std::string& modelFile, double x, double y, double angle) {
    const std::filesystem::path path = StoredPathToPath(modelFile);
    std::error_code ec;
    if (modelFile.empty() || !std::filesystem::is_regular_file(path, ec)) return -1;
    HostDocuments& documents = ConnectHostApplication().Documents();
    HostDocumentPtr model;
    try {
        model = documents.Open(path.string(), false);
    } catch (const HostError&) {
        return -1;
    }
    const ScopeGuard closeAtExit([&documents, model] {
        try {
            if (model && documents.Contains(model)) documents.Close(model);
        } catch (const HostError&) {
            // The sheet's own failure is the one to report.
        }
    });
    const int view = drawing.AddModelView(modelFile, "#Снизу", x, y, angle);
    DrawingView& v = drawing.View(view);
    v.switches = {true, false, false, false, false, false};
    // The tool as the simulation and the program see it, from below, turned
    // by the view's angle about its anchor.
    for (const OutlinePiece& p : ParamTool::ModelOutline(model, false, angle)) {
        if (p.kind == OutlinePiece::kLine)
            v.objects.LineSeg(x + p.start[0], y + p.start[1], x + p.end[0], y + p.end[1], 1);
        else
            v.objects.ArcByPoint(x + p.centre[0], y + p.centre[1], p.radius, x + p.start[0], y + p.start[1],
                                 x + p.end[0], y + p.end[1], p.direction, 1);
    }
    ++v.updates;
    return view;
}

namespace {

// The tool's model beside the part, turned as the turret holds it; the
// view's number, or -1 without one.
int PlaceToolView(DrawingDocument& drawing, const CTurn& turn, ParamTool& tool, double zmax, double xmin) {
    tool.LoadModel();
    const bool flipped = turn.isM04 && tool.isLeft;
    const double x = tool.GetType() < 20 ? zmax + 125.0 : zmax + 25.0;
    const double y = flipped ? xmin * 1.5 + 5.0 : 0.0;
    const double angle = flipped ? tool.Angle + 90.0 : tool.Angle - 90.0;
    const int toolView = AddToolModelView(drawing, tool.sWorkFile, x, y, angle);
    if (toolView >= 0 && !turn.isM04 && tool.isLeft) {
        if (const auto box = drawing.ViewBounds(toolView)) drawing.MoveView(toolView, box->xmax - box->xmin, 0);
        drawing.UpdateView(toolView);
    }
    return toolView;
}

}  // namespace

double SketchCuttingDiameter(CTurn& turn) {
    const double mean = std::fabs(Variable(turn, "_DMID"));
    return turn.kind == kTurnDRILL || turn.kind == kTurnPLASHKA ? mean : 2.0 * mean;
}

namespace {

// The operation's cutting data as a table.
void DrawCuttingTable(DrawingDocument& drawing, CTurn& turn, ParamTool* tool) {
    CuttingData data;
    data.position = turn.nToolPosition;
    if (tool) data.designation = SketchToolText(*tool);
    data.depth = Variable(turn, "_DEPT");
    data.diameter = SketchCuttingDiameter(turn);
    data.feed = Variable(turn, "_FEED");
    data.spindle = Variable(turn, "_SPIN");
    data.cuttingSpeed = Variable(turn, "_VCUT");
    data.nmin = Variable(turn, "_NMIN");
    data.nmax = Variable(turn, "_NMAX");
    data.constantSpeed = turn.isVconst;
    turn.CalcStatistics();
    data.time = turn.workTime + turn.idleTime;
    data.depth2 = turn.calc.finishDepth;
    data.feed2 = turn.calc.finishFeed;
    data.speed2 = turn.calc.finishSpeed;
    const CuttingTable layout = MakeCuttingTable(data);
    DrawingTable& table = drawing.AddTable(1, 8, 10.0, 50.0, 115.0, layout.y);
    for (int c = 0; c < 8; ++c) SetTableCellSize(table, c, layout.widths[c], 10.0);
    for (std::size_t r = 1; r < layout.rows.size(); ++r) table.AddRow(10.0);
    for (std::size_t r = 0; r < layout.rows.size(); ++r)
        for (int c = 0; c < 8; ++c)
            SetTableCellText(table, static_cast<int>(r), c, layout.rows[r][c], r > 0 && c == 1 ? 0 : 1);
    if (layout.secondPass)
        for (int c : {0, 1, 3, 7}) table.Merge(1, c, 2, c);
    ++table.updates;
}

}  // namespace

void CreateSketch(CTurn& turn, const std::string& fileName) {
    SketchScope scope(fileName);
    DrawingDocument& drawing = scope.Drawing();

    std::vector<std::unique_ptr<Contour>> portions;
    if (turn.workContour && turn.sourceContour) portions = MachinedPortions(*turn.workContour, *turn.sourceContour);

    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    if (turn.sourceContour) {
        turn.sourceContour->GetBoundBox(zmin, xmin, zmax, xmax);
        DrawContourBothSides(*turn.sourceContour, 4);
    }
    if (turn.finalContour) DrawContourBothSides(*turn.finalContour, 1);

    DrawMachinedPortions(drawing, portions, xmin, zmax);

    DrawFrames(turn);

    if (turn.finalContour) {
        for (int side = 0; side < 2; ++side) {
            drawing.BeginHatch(0, 45.0, 3.0, std::nullopt);
            turn.finalContour->Draw2D(1);
            drawing.EndHatch();
            turn.finalContour->MirrorX();
        }
    }
    drawing.Objects().LineSeg(zmax + 5.0, 0, zmin - 5.0, 0, 3);
    drawing.BeginCompound();
    drawing.Objects().Circle(0, 0, 1.2, 1);
    drawing.EndCompound();

    ParamTool* tool = turn.GetTool();
    const int toolView = tool ? PlaceToolView(drawing, turn, *tool, zmax, xmin) : -1;

    scope.UseView(0);
    drawing.UpdateView(0);
    AddSketchText(drawing, 1.5, 2.0, "0");
    drawing.MoveView(0, 15.0 - zmin, xmin + 230.0);
    if (toolView >= 0) drawing.MoveView(toolView, 15.0 - zmin, xmin + 230.0);

    DrawCuttingTable(drawing, turn, tool);

    char title[64];
    std::snprintf(title, sizeof title, "Переход %d", turn.index + 1);
    AddSketchText(drawing, 0, 242.0, title);

    const double* roughness = nullptr;
    if (CPLAN* plan = ExistingPLAN()) roughness = plan->PlanParameters().GetParameter("MODEL.RGH");
    DrawingRoughness& mark = drawing.AddRoughness(350.0, 233.0, SketchRoughnessText(roughness));
    mark.switch1 = mark.switch2 = true;
    ++mark.updates;
    DrawSketchFrame(drawing);
    drawing.SetZoom(-3.0, -3.0, 403.0, 252.0);
    PlaceSketchOnSheet(drawing);
    scope.Finish();
}

}  // namespace zarvento
