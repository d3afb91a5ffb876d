// DrawingDocument: the content of a drawing document (".rdd") of the headless
// host: its sheet, its views with their lines, arcs and circles, and what is
// drawn on them (texts, linear dimensions, tables, hatches, roughness marks,
// raster pictures, views of 3D models). It is the drawing's one entity, saved
// with the document file; a drawing is also exported for people (SVG) and for
// other CAD systems (DXF), both from one exploded list of primitives.
//
// Coordinates are millimetres on the sheet, y upwards. Everything added to a
// view is placed where it is given; moving a view moves what it holds then.
// Raster pictures measure one pixel a millimetre at scale 5 (their size on the
// sheet is pixels · scale / 5); they are inserted at that scale.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/rgba_image.h"

namespace zarvento {

class HostDocument;

inline constexpr const char* kDrawingFont = "GOST Type AU";
inline constexpr double kDrawingTextHeight = 3.5;

struct DrawingSheet {
    int format = 3;       // 3: A3
    int orientation = 0;  // 0: landscape
    int layoutStyle = 0;
    std::map<int, std::string> titleCells;
    // Width and height in millimetres by format and orientation.
    double Width() const;
    double Height() const;
};

struct DrawingText {
    int view = 0;
    double x = 0, y = 0;
    std::string text;
    std::string font = kDrawingFont;
    double height = kDrawingTextHeight;
    int align = 0;  // 0 left, 1 centred
};

struct DrawingDimension {
    int view = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double dx = 0, dy = 0;       // shift of the dimension line from the first point
    int orientation = 0;         // 0 horizontal, 1 vertical
    int arrow1 = 1, arrow2 = 1;  // 1 inside the extension lines, 2 outside
    int sign = 0;                // 1: diameter sign
    bool autoText = true;
    double value = 0;
    std::string text, prefix, suffix;
    // The text the dimension shows (prefix, sign, value or explicit text, suffix).
    std::string ShownText() const;
    // The measured distance along the orientation.
    double Measured() const;
};

struct DrawingTableCell {
    std::string text;
    int align = 1;  // 1 centred, 0 left, 2 right
    std::string font = kDrawingFont;
    int rowSpan = 1, colSpan = 1;
    bool covered = false;  // inside another cell's merge
};

struct DrawingTable {
    int view = 0;
    double x = 0, y = 0;  // top-left corner
    std::vector<double> columnWidths;
    std::vector<double> rowHeights;
    std::vector<std::vector<DrawingTableCell>> cells;  // [row][column]
    int updates = 0;

    int Rows() const { return static_cast<int>(rowHeights.size()); }
    int Columns() const { return static_cast<int>(columnWidths.size()); }
    void AddRow(double height);
    // False outside the table.
    bool SetCellText(int row, int column, const std::string& text, int align, const std::string& font);
    // Width of the column and height of the first row.
    bool SetCellSize(int column, double width, double height);
    // The rectangle of cells from (r0, c0) to (r1, c1) becomes one cell.
    bool Merge(int r0, int c0, int r1, int c1);
    const DrawingTableCell* Cell(int row, int column) const;
};

struct DrawingHatch {
    int view = 0;
    int style = 0;
    double angle = 45, step = 3;
    std::vector<Object2D> boundary;  // copies of the boundary's lines and arcs
    std::optional<std::array<double, 2>> point;
};

struct DrawingRoughness {
    int view = 0;
    double x = 0, y = 0;
    std::string text;
    bool switch1 = false, switch2 = false;
    int updates = 0;
};

struct DrawingRaster {
    int view = 0;
    std::string file;
    double x = 0, y = 0;  // bottom-left corner
    double scale = 5;
    RgbaImage image;
    int updates = 0;
    double Width() const { return image.Width() * scale / 5.0; }
    double Height() const { return image.Height() * scale / 5.0; }
};

struct DrawingView {
    int number = 0;
    double x = 0, y = 0;  // where it was moved, summed
    Document2D objects;
    // A view of a 3D model: its file, projection, angle and display switches.
    bool isModelView = false;
    std::string modelFile, projection;
    double angle = 0;
    std::array<bool, 6> switches{};
    int updates = 0;
};

// One exploded primitive of the drawing.
struct DrawingPrimitive {
    enum Kind { Line, Arc, Circle, Text, Picture };
    Kind kind = Line;
    int style = 1;  // line style; texts have 0
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double xc = 0, yc = 0, r = 0;
    double a1 = 0, a2 = 0;  // an arc from a1 counter-clockwise to a2, degrees
    std::string text;
    double height = kDrawingTextHeight;
    double rotation = 0;  // degrees
    int align = 0;        // 0 left, 1 centred, 2 right
    const DrawingRaster* raster = nullptr;
};

class DrawingDocument : public HostObject {
public:
    DrawingDocument();

    DrawingSheet& Sheet() { return sheet_; }
    const DrawingSheet& Sheet() const { return sheet_; }
    int sheetUpdates = 0;

    // Views: view 0 exists from the start.
    int ViewCount() const { return static_cast<int>(views_.size()); }
    DrawingView& View(int n);
    const DrawingView& View(int n) const;
    int CurrentView() const { return current_; }
    void SetCurrentView(int n);
    // The system's 2D calls go to the current view's objects.
    Document2D& Objects() { return View(current_).objects; }
    void UpdateView(int n) { ++View(n).updates; }
    // Moves the view and everything it holds.
    void MoveView(int n, double dx, double dy);
    // The box of everything the view holds; none for an empty view.
    std::optional<Box2D> ViewBounds(int n) const;
    // A view of the model's outline pieces (already turned and placed).
    int AddModelView(const std::string& file, const std::string& projection, double x, double y, double angle);

    // Groups of the current view: objects drawn between the two calls.
    void BeginGroup();
    Ref2D EndGroup();
    std::optional<Box2D> GroupBounds(Ref2D group) const;
    void MoveGroup(Ref2D group, double dx, double dy);

    // A compound object: the objects drawn between the two calls.
    void BeginCompound();
    Ref2D EndCompound();
    const std::vector<std::pair<int, Ref2D>>& Compounds() const { return compounds_; }

    // A hatch bounded by the objects drawn between the two calls.
    void BeginHatch(int style, double angle, double step, std::optional<std::array<double, 2>> point);
    void EndHatch();

    void AddText(double x, double y, const std::string& text, int align = 0);
    void AddDimension(DrawingDimension d);
    // A table of rows × columns cells of one size, top-left at (x, y).
    DrawingTable& AddTable(int rows, int columns, double rowHeight, double columnWidth, double x, double y);
    DrawingRoughness& AddRoughness(double x, double y, const std::string& text);
    // A raster picture of a PNG or TIFF file, at scale 5 with its bottom-left
    // corner at (x, y); HostError when the file cannot be read.
    DrawingRaster& AddRaster(const std::string& file, double x, double y);
    void SetZoom(double x1, double y1, double x2, double y2) { zoom_ = {x1, y1, x2, y2}; }
    const std::optional<std::array<double, 4>>& Zoom() const { return zoom_; }

    const std::vector<DrawingText>& Texts() const { return texts_; }
    const std::vector<DrawingDimension>& Dimensions() const { return dimensions_; }
    const std::vector<std::unique_ptr<DrawingTable>>& Tables() const { return tables_; }
    const std::vector<DrawingHatch>& Hatches() const { return hatches_; }
    const std::vector<std::unique_ptr<DrawingRoughness>>& Roughness() const { return roughness_; }
    const std::vector<std::unique_ptr<DrawingRaster>>& Rasters() const { return rasters_; }

    // Every line, arc, circle, text and picture of the drawing, dimensions,
    // tables, hatches and marks broken into them.
    std::vector<DrawingPrimitive> Explode() const;

    // The document file's form: a text of one item a line; Decode gives
    // false for a damaged text, and says why in `why` where it can tell
    // more than that (a picture too large to take in).
    std::string Encode() const;
    static bool Decode(const std::string& text, DrawingDocument& out, std::string* why = nullptr);

private:
    DrawingSheet sheet_;
    std::vector<std::unique_ptr<DrawingView>> views_;
    int current_ = 0;
    std::vector<std::pair<int, Ref2D>> compounds_;
    struct OpenHatch {
        DrawingHatch hatch;
        int view = 0;
    };
    std::optional<OpenHatch> openHatch_;
    std::vector<DrawingText> texts_;
    std::vector<DrawingDimension> dimensions_;
    std::vector<std::unique_ptr<DrawingTable>> tables_;
    std::vector<DrawingHatch> hatches_;
    std::vector<std::unique_ptr<DrawingRoughness>> roughness_;
    std::vector<std::unique_ptr<DrawingRaster>> rasters_;
    std::optional<std::array<double, 4>> zoom_;
};

// The drawing of a drawing document (made on first use); HostError
// (E_INVALIDARG) for a document of another type.
DrawingDocument& DrawingOf(HostDocument& doc);

// Exports, by the file's extension: ".svg" (an SVG of the sheet, pictures
// embedded) or ".dxf" (DXF R12, one layer a line style, texts in the Cyrillic
// code page; pictures are left out). HostError when the file cannot be written
// or the extension is neither.
void ExportDrawing(const DrawingDocument& drawing, const std::string& path);
std::string DrawingSvg(const DrawingDocument& drawing);
std::string DrawingDxf(const DrawingDocument& drawing);

}  // namespace zarvento
