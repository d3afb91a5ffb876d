// The drawing routines of the sketches and the scope they are drawn in.
#include "reports/sketch_drawing.h"

#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/contour.h"
#include "geometry/primitives.h"
#include "plan/plan.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/raster_file.h"
#include "platform/view/scene.h"
#include "platform/view/scene_picture.h"

namespace zarvento {

void DrawSketchDimension(DrawingDocument& drawing, const SketchDimension& d) {
    const int arrow = SketchArrowCode(d.value);
    CreateLinearDimension(drawing, d.x1, d.y1, d.x2, d.y2, true, d.vertical ? d.offset : 0.0,
                          d.vertical ? 0.0 : d.offset, d.value, d.vertical ? 1 : 0, arrow, arrow, d.vertical ? 1 : 0,
                          "", "", "");
}

void CreateLinearDimension(DrawingDocument& drawing, double x1, double y1, double x2, double y2, bool autoText,
                           double dx, double dy, double value, int orientation, int arrow1, int arrow2, int sign,
                           const std::string& explicitText, const std::string& prefix, const std::string& suffix) {
    DrawingDimension d;
    d.x1 = x1, d.y1 = y1, d.x2 = x2, d.y2 = y2;
    d.dx = dx, d.dy = dy;
    // Without an orientation the host's own (horizontal) stands.
    if (orientation >= 0) d.orientation = orientation;
    d.arrow1 = arrow1, d.arrow2 = arrow2;
    d.sign = sign;
    d.autoText = autoText;
    d.value = value;
    if (!autoText) d.text = explicitText;
    d.prefix = prefix;
    d.suffix = suffix;
    drawing.AddDimension(std::move(d));
}

void DrawMachinedPortions(DrawingDocument& drawing, std::vector<std::unique_ptr<Contour>>& portions, double xmin,
                          double zmax) {
    std::vector<SketchDimension> lengths, diameters;
    for (auto& portion : portions) {
        portion->MergeOverlappingUnits();
        DrawAndMirrorBack(*portion, 7);
        CollectSketchDimensions(*portion, lengths, diameters);
    }
    portions.clear();
    PlaceSketchDimensions(lengths, diameters, xmin, zmax);
    for (const SketchDimension& d : lengths) DrawSketchDimension(drawing, d);
    for (const SketchDimension& d : diameters) DrawSketchDimension(drawing, d);
}

bool RenderPartPicture(const HostDocumentPtr& part, const std::filesystem::path& raster) {
    if (!part || part->Type() == DocumentType::Drawing2D) return false;
    ScenePictureOptions options;
    options.width = 750;
    options.height = 500;
    std::error_code ec;
    std::filesystem::create_directories(raster.parent_path(), ec);
    WriteRasterFile(ScenePicture::Render(CollectScene(*part), options), raster.string());
    return true;
}

void AddSketchText(DrawingDocument& drawing, double x, double y, const std::string& text) {
    drawing.AddText(x, y, text, 0);
}

void SetTableCellText(DrawingTable& table, int row, int column, const std::string& text, int alignment) {
    table.SetCellText(row, column, text, alignment, kDrawingFont);
}

void SetTableCellSize(DrawingTable& table, int column, double width, double height) {
    table.SetCellSize(column, width, height);
}

void DrawSketchFrame(DrawingDocument& drawing) {
    const double corners[][2] = {
        {0, 0}, {kSketchFrameRight, 0}, {kSketchFrameRight, kSketchFrameTop}, {0, kSketchFrameTop}};
    for (int i = 0; i < 4; ++i) {
        const auto& a = corners[i];
        const auto& b = corners[(i + 1) % 4];
        drawing.Objects().LineSeg(a[0], a[1], b[0], b[1], 1);
    }
}

void PlaceSketchOnSheet(DrawingDocument& drawing) {
    for (int v = 0; v < drawing.ViewCount(); ++v) drawing.MoveView(v, kSketchSheetX, kSketchSheetY);
    if (const auto& zoom = drawing.Zoom())
        drawing.SetZoom((*zoom)[0] + kSketchSheetX, (*zoom)[1] + kSketchSheetY, (*zoom)[2] + kSketchSheetX,
                        (*zoom)[3] + kSketchSheetY);
}

std::string SketchToolText(ParamTool& tool) {
    tool.MakeDesignation();
    if (!tool.sDesignation.empty()) return tool.sDesignation;
    std::string text = tool.sPsevName.empty() ? tool.sToolName : tool.sPsevName;
    if (!tool.sComment.empty() && text.find(tool.sComment) == std::string::npos)
        text += (text.empty() ? "" : " ") + tool.sComment;
    return text;
}

void DrawContourBothSides(const Contour& contour, int style) {
    std::unique_ptr<Contour> clone = contour.Clone();
    std::vector<const CUnit*> onAxis;
    for (int i = 0; i < clone->Count(); ++i) {
        const CUnit* u = clone->GetUnit(i);
        if (std::fabs(u->StartPoint.x) <= EPS && std::fabs(u->EndPoint.x) <= EPS) onAxis.push_back(u);
    }
    for (const CUnit* u : onAxis) clone->DeleteUnit(u);
    clone->Draw2D(style);
    clone->MirrorX();
    clone->Draw2D(style);
}

void DrawAndMirrorBack(Contour& contour, int style) {
    contour.Draw2D(style);
    contour.MirrorX();
    contour.Draw2D(style);
    contour.MirrorX();
}

HiddenPaths::HiddenPaths(CPLAN& plan) : plan_(plan) { plan_.HidePaths(); }

void HiddenPaths::Restore() {
    if (hidden_) {
        hidden_ = false;
        plan_.RestorePaths();
    }
}

SketchScope::SketchScope(std::string fileName) : fileName_(std::move(fileName)) {
    HostApplication& app = ConnectHostApplication();
    previousActive_ = app.ActiveDocumentOrNull();
    doc_ = app.Documents().Add(DocumentType::Drawing2D, fileName_.empty());
    drawing_ = &DrawingOf(*doc_);
    drawing_->Sheet().format = 3;
    drawing_->Sheet().orientation = 0;
    ++drawing_->sheetUpdates;
    drawing_->SetCurrentView(0);
    switch_.emplace(drawing_->Objects());
}

void SketchScope::UseView(int view) {
    drawing_->SetCurrentView(view);
    switch_.reset();
    switch_.emplace(drawing_->Objects());
}

void SketchScope::Finish() {
    switch_.reset();
    HostApplication& app = ConnectHostApplication();
    if (!fileName_.empty()) {
        doc_->SaveAs(StoredPathToPath(fileName_).string());
        app.Documents().Close(doc_);
        if (previousActive_ && app.Documents().Contains(previousActive_)) app.SetActiveDocument(previousActive_);
    }
    finished_ = true;
}

SketchScope::~SketchScope() {
    switch_.reset();
    if (finished_) return;
    // A sketch that failed half-way: its drawing goes, the part comes back.
    HostApplication* app = HostApplicationObject();
    if (!app) return;
    try {
        if (app->Documents().Contains(doc_)) app->Documents().Close(doc_);
        if (previousActive_ && app->Documents().Contains(previousActive_)) app->SetActiveDocument(previousActive_);
    } catch (...) {
        // The failure on its way out is the one to report.
    }
}

}  // namespace zarvento
