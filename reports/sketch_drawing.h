// The drawing routines the operation sketch and the plan sketch share, and the
// scope a sketch is drawn in: a new drawing document that takes the system's
// 2D calls, with the busy flag set; on every exit the flag and the active
// document are put back, and a drawing that failed half-way is closed.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/busy_flag.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/document_2d.h"
#include "reports/sketch_layout.h"

namespace zarvento {

class Contour;
class CPLAN;
class ParamTool;

// Draws one dimension: automatic text, its line shifted by the offset across
// its orientation, arrows by its value, the diameter sign for a diameter.
void DrawSketchDimension(DrawingDocument& drawing, const SketchDimension& dimension);
// One linear dimension in the current view; the orientation is set only when
// it is at least 0. Without automatic text the text is the value ("%g") when
// it exceeds 0.0001, else the explicit text; prefix and suffix go around it.
void CreateLinearDimension(DrawingDocument& drawing, double x1, double y1, double x2, double y2, bool autoText,
                           double dx, double dy, double value, int orientation, int arrow1, int arrow2, int sign,
                           const std::string& explicitText, const std::string& prefix, const std::string& suffix);
// The part's picture from its 3D view, written to `raster` (its folder made);
// false, with nothing written, for no document or a drawing.
bool RenderPartPicture(const HostDocumentPtr& part, const std::filesystem::path& raster);
// A free text of one line in the current view, in the drawing font.
void AddSketchText(DrawingDocument& drawing, double x, double y, const std::string& text);
void SetTableCellText(DrawingTable& table, int row, int column, const std::string& text, int alignment);
// Width and height of cell (0, column).
void SetTableCellSize(DrawingTable& table, int column, double width, double height);

// The frame both sketches are drawn in: the rectangle from the origin to
// (kSketchFrameRight, kSketchFrameTop), whose bottom line the tables stand on.
inline constexpr double kSketchFrameRight = 403.0;
inline constexpr double kSketchFrameTop = 252.0;
void DrawSketchFrame(DrawingDocument& drawing);
// The frame's lower left corner on the sheet: the sketch is laid out from
// the frame's corner and then stands in the middle of its A3 sheet, clear of
// the paper's edges.
inline constexpr double kSketchSheetX = (420.0 - kSketchFrameRight) / 2.0;
inline constexpr double kSketchSheetY = (297.0 - kSketchFrameTop) / 2.0;
// Moves every view of the finished sketch, and the window's rectangle, from
// the frame's corner to its place on the sheet.
void PlaceSketchOnSheet(DrawingDocument& drawing);
// The text of a tool's cell in the sketches' tables: its designation when it
// has one, else its name and insert code as the plan shows it.
std::string SketchToolText(ParamTool& tool);

// Draws a clone of the contour without its units on the axis, and its mirror
// image about the axis, in the style.
void DrawContourBothSides(const Contour& contour, int style);
// Draws the contour, mirrors it, draws it again and mirrors it back.
void DrawAndMirrorBack(Contour& contour, int style);
// The portions an operation or the plan machines (merged and then left
// empty), and their lengths and diameters placed around the stock.
void DrawMachinedPortions(DrawingDocument& drawing, std::vector<std::unique_ptr<Contour>>& portions, double xmin,
                          double zmax);

// The plan's tool paths and start-point marker hidden for a scope, shown
// again on every exit (or at Restore).
class HiddenPaths {
public:
    explicit HiddenPaths(CPLAN& plan);
    ~HiddenPaths() { Restore(); }
    HiddenPaths(const HiddenPaths&) = delete;
    HiddenPaths& operator=(const HiddenPaths&) = delete;
    void Restore();

private:
    CPLAN& plan_;
    bool hidden_ = true;
};

class SketchScope {
public:
    // A new drawing (visible when the name is empty), sheet A3 landscape,
    // view 0 current and taking the 2D calls.
    explicit SketchScope(std::string fileName);
    // Puts back the busy flag and the active document; a drawing not finished
    // is closed.
    ~SketchScope();
    SketchScope(const SketchScope&) = delete;
    SketchScope& operator=(const SketchScope&) = delete;

    DrawingDocument& Drawing() { return *drawing_; }
    const HostDocumentPtr& Document() const { return doc_; }
    // Sends the 2D calls to another view.
    void UseView(int view);
    // With a name: saves the drawing under it, closes it and makes the part
    // document active again. Without: leaves it open and active.
    void Finish();

private:
    std::string fileName_;
    BusyFlagGuard busy_;
    HostDocumentPtr previousActive_;
    HostDocumentPtr doc_;
    DrawingDocument* drawing_ = nullptr;
    std::optional<ActiveDocument2DSwitch> switch_;
    bool finished_ = false;
};

}  // namespace zarvento
