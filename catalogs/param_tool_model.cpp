// ParamTool: the model file (working copy, loading) and the tool contour
// taken from the model's sketch "Contour".
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/host_folder.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/core/stored_path.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_size_table.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/host_sketch.h"
#include "platform/model_view.h"
#include "platform/part_model.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

constexpr const char* kContourSketch = "Contour";
// The host's projection closes a flat outline with arcs of this radius.
constexpr double kProjectionArcRadius = 10000.0;
// How closely the view's lines and arcs follow the projected outline.
constexpr double kOutlineTolerance = 0.01;

// Makes the sketch the target of 2D drawing calls for its life.
class DrawInto {
public:
    explicit DrawInto(Document2D& target) : previous_(&ActiveDocument2D()) { SetActiveDocument2D(&target); }
    DrawInto(const DrawInto&) = delete;
    DrawInto& operator=(const DrawInto&) = delete;
    ~DrawInto() { SetActiveDocument2D(previous_ == &HiddenWorkDocument2D() ? nullptr : previous_); }

private:
    Document2D* previous_;
};

bool InsideBox(double x, double y, double limit) { return std::fabs(x) <= limit && std::fabs(y) <= limit; }

// Removes the objects lying inside the box -limit..limit in both coordinates.
void DeleteObjectsInBox(Document2D& objects, double limit) {
    Document2D kept;
    for (const Object2D& o : objects.Objects()) {
        if (o.type == kObj2DLine) {
            const LineParam2D& l = o.line;
            if (!(InsideBox(l.x1, l.y1, limit) && InsideBox(l.x2, l.y2, limit)))
                kept.LineSeg(l.x1, l.y1, l.x2, l.y2, l.style);
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& a = o.arc;
            if (!(InsideBox(a.xc - a.rad, a.yc - a.rad, limit) && InsideBox(a.xc + a.rad, a.yc + a.rad, limit)))
                kept.ArcByPoint(a.xc, a.yc, a.rad, a.x1, a.y1, a.x2, a.y2, a.direction, a.style);
        }
    }
    objects.Clear();
    for (const Object2D& o : kept.Objects()) {
        if (o.type == kObj2DLine)
            objects.LineSeg(o.line.x1, o.line.y1, o.line.x2, o.line.y2, o.line.style);
        else
            objects.ArcByPoint(o.arc.xc, o.arc.yc, o.arc.rad, o.arc.x1, o.arc.y1, o.arc.x2, o.arc.y2, o.arc.direction,
                               o.arc.style);
    }
}

}  // namespace

std::string ParamTool::MissingModelMessage(const std::string& path) { return "Не найден файл\n" + path; }

void ParamTool::ReportMissingModel(const std::string& path) {
    HostMessageBox(MissingModelMessage(path), kCaption, kWarningIcon);
}

std::string ParamTool::CatalogModelPath() const {
    const auto dir = ModuleDirectory();
    return AppendStoredPath(dir ? *dir : std::filesystem::path(), sCatalogFolder + sFileName).string();
}

HostDocumentPtr ParamTool::OpenWorkModel(const std::string& path) {
    ToolModelText::Install();
    HostDocuments& docs = ConnectHostApplication().Documents();
    const std::string file = StoredPathToPath(path).string();
    if (HostDocumentPtr open = docs.FindByPath(file)) return open;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
    return docs.Open(file, false);
}

void ParamTool::CopyModelToSession(int index) {
    if (sToolName.empty()) return;
    if (!isFromCatalog) {
        sWorkFile = sFileName;
        return;
    }
    if (isNoContour) return;
    const std::string source = CatalogModelPath();
    std::string session = ToolSessionDirectory();
    std::error_code ec;
    if (session.empty()) {
        // Beside the sessions, in the host's folder that only this user may enter.
        session = (HostFolder() / "zarvento-tools").string();
        std::filesystem::create_directories(session, ec);
    }
    const std::filesystem::path target =
        AppendStoredPath(StoredPathToPath(session), "\\" + sKind + "_" + std::to_string(index + 1) + ".rdp");
    ec.clear();
    std::filesystem::copy_file(StoredPathToPath(source), target, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec || source.empty()) {
        ReportMissingModel(source);
        isNoContour = true;
        return;
    }
    isNoContour = false;
    sWorkFile = target.string();
}

void ParamTool::LoadModel() {
    if (isModelLoaded || isNoContour) return;
    if (!isModelCopied) {
        CopyModelToSession(nCopyIndex);
        isModelCopied = true;
    }
    if (sWorkFile.empty()) return;
    if (!isFromCatalog) {
        ReadModelVariablesFromFile();
        isModelLoaded = true;
        return;
    }
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model) {
        ReportMissingModel(sWorkFile);
        isNoContour = true;
        return;
    }
    const std::shared_ptr<HostSizeTable> table = FindSizeTable(*model);
    hasSizeTable = table && !table->Empty();
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (const auto& var : model->Variables()) {
        if (var->Name() == "Dclamp")
            for (int i = 0; i < n; ++i)
                if (aVariables[i].sName == "d") {
                    aVariables[i].sName = "Dclamp";
                    break;
                }
        for (int i = 0; i < n; ++i) {
            const ParamVariable& entry = aVariables[i];
            if (entry.sName != var->Name()) continue;
            const std::string& note = var->Comment();
            const bool column = hasSizeTable && std::find(table->Columns().begin(), table->Columns().end(),
                                                          var->Name()) != table->Columns().end();
            if (column || !entry.sExpression.empty() || !(IsReferenceNote(note) || IsHiddenNote(note)))
                var->SetValue(entry.dValue);
            break;
        }
    }
    model->Rebuild();
    isModelLoaded = true;
    ReadModelVariables(*model);
    model->Save();
    ConnectHostApplication().Documents().Close(model);
}

void ParamTool::EditVariablesTable() {
    if (isNoContour || sWorkFile.empty()) return;
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model) return;
    const std::shared_ptr<HostSizeTable> table = FindSizeTable(*model);
    if (!table || table->Empty()) {
        HostMessageBox("Модель не содержит таблицу переменных", kCaption, kWarningIcon);
        return;
    }
    const int row = ChooseSizeTableRow(*table);
    if (!table->ApplyRow(*model, row)) return;
    TakeSizeDesignation(table->Rows()[static_cast<std::size_t>(row)].name);
    model->Rebuild();
    ReadModelVariables(*model);
}

void ParamTool::ReadContourSketch() { DrawAdaptiveSketch(); }

void ParamTool::DrawAdaptiveSketch() {
    if (!Adapt || isSketchContour || !pSketchSource || !*pSketchSource || isNoContour || sWorkFile.empty()) return;
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model || model->Type() != DocumentType::Part) return;
    std::shared_ptr<HostSketch> sketch = model->FindSketch(kContourSketch);
    if (!sketch) return;
    sketch->BeginEdit();
    DeleteObjectsInBox(sketch->Objects(), 1000000.0);
    std::unique_ptr<Contour> copy = (*pSketchSource)->Clone();
    double zmin, xmin, zmax, xmax;
    copy->GetBoundBox(zmin, xmin, zmax, xmax);
    if (isInter)
        copy->Move(-zmin, -xmin);
    else
        copy->Move(-zmax, -xmax);
    copy->Rotate90();
    copy->MirrorX();
    {
        DrawInto target(sketch->Objects());
        copy->Draw2D(1);
    }
    copy.reset();
    // The drawn shape replaces what the model's own source would rebuild.
    sketch->SetSource({});
    isSketchContour = true;
    sketch->EndEdit();
    model->Rebuild();
}

void ParamTool::CreateToolContour() {
    if (isNoContour || sWorkFile.empty() || pContour) return;
    const std::string* switchName = nullptr;
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (int i = 0; i < n; ++i) {
        const std::string& name = aVariables[i].sName;
        if (name == "isHide" || name == "isRotated" || name == "isSimple") switchName = &name;
    }
    HostDocumentPtr model = OpenWorkModel(sWorkFile);
    if (!model) {
        ReportMissingModel(sWorkFile);
        isNoContour = true;
        return;
    }
    // The model is closed however its view ends, so that a failed
    // projection leaves no document open behind it.
    ScopeGuard closeAtExit([model] {
        try {
            if (model) ConnectHostApplication().Documents().Close(model);
        } catch (const HostError&) {
            // The failure that ended the view is the one reported.
        }
    });
    const bool is3D = model->Type() == DocumentType::Part || model->Type() == DocumentType::Assembly;
    if (switchName && is3D) {
        if (auto var = model->FindVariable(*switchName)) var->SetValue(1.0);
        model->Rebuild();
    }

    auto contour = std::make_shared<Contour>();
    for (const OutlinePiece& piece : ModelOutline(model, ViewFromAbove(), ViewTurn())) {
        // 2D x is Z, 2D y is X.
        if (piece.kind == OutlinePiece::kLine)
            contour->AddUnit(
                std::make_unique<CLineUnit>(piece.start[0], piece.start[1], piece.end[0], piece.end[1], false));
        else
            contour->AddUnit(std::make_unique<CArcUnit>(piece.centre[0], piece.centre[1], piece.radius, piece.start[0],
                                                        piece.start[1], piece.end[0], piece.end[1], -piece.direction,
                                                        false));
    }
    closeAtExit.Dismiss();
    ConnectHostApplication().Documents().Close(model);
    if (contour->Empty()) {
        isNoContour = true;
        return;
    }
    isNoContour = false;
    pContour = std::move(contour);
    UpdateTipPosition();
    double noseZ = 0, noseX = 0;
    NoseCentre(noseZ, noseX);
    pContour->Move(noseZ, noseX);
}

std::vector<OutlinePiece> ParamTool::ModelOutline(const HostDocumentPtr& model, bool fromAbove, double turnDegrees) {
    std::vector<OutlinePiece> pieces;
    if (!model) return pieces;
    const bool is3D = model->Type() == DocumentType::Part || model->Type() == DocumentType::Assembly;
    const std::shared_ptr<HostPart> part = is3D ? TopPart(model) : nullptr;
    if (part && part->HasBody()) {
        // The host's view of the body already shows it from the named side.
        for (const OutlineChain& chain : ProjectBodyOutline(
                 part->Body(), fromAbove ? ModelViewOrientation::FromAbove : ModelViewOrientation::FromBelow))
            for (const OutlinePiece& piece : ApproximateOutline(chain, kOutlineTolerance)) pieces.push_back(piece);
    } else if (auto sketch = model->FindSketch(kContourSketch)) {
        // The sketch is the view from below; the view from above is its mirror.
        const double mirror = fromAbove ? -1.0 : 1.0;
        for (const Object2D& o : sketch->Objects().Objects()) {
            OutlinePiece piece;
            if (o.type == kObj2DLine) {
                piece.start = {o.line.x1, mirror * o.line.y1};
                piece.end = {o.line.x2, mirror * o.line.y2};
            } else if (o.type == kObj2DArc) {
                const ArcParam2D& a = o.arc;
                piece.kind = OutlinePiece::kArc;
                piece.start = {a.x1, mirror * a.y1};
                piece.end = {a.x2, mirror * a.y2};
                piece.centre = {a.xc, mirror * a.yc};
                piece.radius = a.rad;
                piece.direction = fromAbove ? -a.direction : a.direction;
            } else {
                continue;
            }
            pieces.push_back(piece);
        }
    }
    // The closing arcs the projection leaves on flat outlines are no part
    // of the tool.
    pieces.erase(std::remove_if(pieces.begin(), pieces.end(),
                                [](const OutlinePiece& p) {
                                    return p.kind == OutlinePiece::kArc &&
                                           std::fabs(p.radius - kProjectionArcRadius) <= EPS;
                                }),
                 pieces.end());
    const double turn = turnDegrees * PI / 180.0, c = std::cos(turn), si = std::sin(turn);
    const auto turned = [&](OutlinePoint& p) { p = {p[0] * c - p[1] * si, p[0] * si + p[1] * c}; };
    for (OutlinePiece& piece : pieces) {
        turned(piece.start);
        turned(piece.end);
        turned(piece.centre);
    }
    return pieces;
}

}  // namespace zarvento
