// SaveView: the active document's scene through the host's writers, and the
// plan's drawing of the turning plane.
#include "plan/view_export.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <memory>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "nc/cadre_iso.h"
#include "plan/plan.h"
#include "plan/plan_turn.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/zx_drawing.h"
#include "platform/view/scene.h"
#include "platform/view/scene_gltf.h"
#include "platform/view/scene_picture.h"

namespace zarvento {

namespace {

// Settings colours of the drawing.
constexpr int kStockColour = 10;
constexpr std::uint32_t kSectionColour = 0x404040;
// The operations' colours in turn (0x00BBGGRR), far enough apart to tell
// the paths of neighbouring operations apart.
constexpr std::uint32_t kOperationColours[] = {0xB4771F, 0x2827D6, 0x2CA02C, 0x0E7FFF,
                                               0xBD6794, 0x4B568C, 0xC277E3, 0xCFBE17};
constexpr std::uint32_t kRapidSampleColour = 0x606060;
// Units nest (a complex unit of pieces, a gap of bridges) no deeper than this.
constexpr int kUnitDepth = 4;
// Arcs are drawn as chords no longer than this (mm).
constexpr double kArcStep = 0.25;

void AppendPoint(ZxRun& run, double z, double x) {
    if (!run.empty() && run.back()[0] == z && run.back()[1] == x) return;
    run.push_back({z, x});
}

// The unit's points in order, appended to the run (a gap's bridges and a
// complex unit's pieces in their order).
void AppendUnit(const CUnit& unit, ZxRun& run, int depth) {
    if (unit.Kind == kUnitLine) {
        AppendPoint(run, unit.StartPoint.z, unit.StartPoint.x);
        AppendPoint(run, unit.EndPoint.z, unit.EndPoint.x);
    } else if (unit.Kind == kUnitArc) {
        IntersectPointList points(64);
        static_cast<const CArcUnit&>(unit).GetPolyline(points, kArcStep);
        for (const IntersectPoint& p : points) AppendPoint(run, p.z, p.x);
    } else if (depth < kUnitDepth) {
        if (const std::unique_ptr<Contour> pieces = unit.GetContour())
            for (int i = 0; i < pieces->Count(); ++i) AppendUnit(*pieces->GetUnit(i), run, depth + 1);
    }
}

// Units joined into runs where one ends at the next one's start.
class RunCollector {
public:
    void Add(const CUnit& unit) {
        if (runs_.empty() || runs_.back().empty() || runs_.back().back()[0] != unit.StartPoint.z ||
            runs_.back().back()[1] != unit.StartPoint.x)
            runs_.emplace_back();
        AppendUnit(unit, runs_.back(), 0);
    }
    const std::vector<ZxRun>& Runs() const { return runs_; }

private:
    std::vector<ZxRun> runs_;
};

std::vector<ZxRun> ContourRuns(const Contour& contour) {
    RunCollector runs;
    for (int i = 0; i < contour.Count(); ++i) runs.Add(*contour.GetUnit(i));
    return runs.Runs();
}

// A frame's own path and, for a machine cycle, the moves of its sub-frames.
void CollectFramePaths(CCadreISO& frame, RunCollector& feed, RunCollector& rapid, int depth) {
    const Contour& path = frame.Path();
    for (int i = 0; i < path.Count(); ++i) {
        const CUnit& unit = *path.GetUnit(i);
        (unit.IsRapid || frame.rapid ? rapid : feed).Add(unit);
    }
    if (depth >= kUnitDepth) return;
    for (CCadreISO* sub : frame.SubFrames())
        if (sub && sub != &frame) CollectFramePaths(*sub, feed, rapid, depth + 1);
}

HostDocumentPtr ViewDocument() {
    HostDocumentPtr doc = ActiveHostDocument();
    if (doc->Type() == DocumentType::Drawing2D)
        throw HostError(E_INVALIDARG_,
                        "the drawing " + (doc->FilePath().empty() ? std::string("(not saved yet)") : doc->FilePath()) +
                            " is the active document, and a drawing has no 3D view");
    return doc;
}

std::string ViewExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return extension;
}

}  // namespace

void SavePlanDrawing(const std::string& path) {
    const HostDocumentPtr doc = ViewDocument();
    const SettingsRecord& settings = SettingsRecord::Global();
    ZxDrawing drawing(std::filesystem::path(doc->FilePath()).filename().string());
    // The page is fitted to the part and the stock: a rapid move to a far
    // start point is cut at its edge instead of shrinking the part.
    const auto fitted = [&](std::vector<ZxRun> runs) {
        drawing.FitTo(runs);
        return runs;
    };
    bool drawn = false;
    if (CSPID* spid = ExistingSPID()) {
        if (const Contour* section = spid->GetDetailContour()) {
            drawn = true;
            const ZxStyle style{kSectionColour, 1.5, false, true};
            drawing.AddPath("section", fitted(ContourRuns(*section)), style);
            drawing.AddLegend("part section", style);
        }
        std::unique_ptr<Contour> made;
        const Contour* stock = spid->pSourceContour.get();
        if (!stock) stock = (made = spid->CreateSourceContour()).get();
        if (stock) {
            drawn = true;
            const ZxStyle style{settings.Colour(kStockColour), 1.2, false, false};
            drawing.AddPath("stock", fitted(ContourRuns(*stock)), style);
            drawing.AddLegend("stock", style);
        }
    }
    if (CPLAN* plan = ExistingPLAN()) {
        bool anyRapid = false;
        for (int i = 0; i < plan->GetTurnCount(); ++i) {
            PlanTurn* turn = plan->GetTurn(i);
            if (!turn || !turn->IsActive()) continue;
            std::vector<CCadreISO*> frames;
            turn->CollectFrames(frames);
            RunCollector feed, rapid;
            for (CCadreISO* frame : frames)
                if (frame) CollectFramePaths(*frame, feed, rapid, 0);
            const std::string id = "operation-" + std::to_string(i + 1);
            const std::string title = std::to_string(i + 1) + ". " + turn->GetNameTurn();
            const std::uint32_t colour = kOperationColours[static_cast<std::size_t>(i) % std::size(kOperationColours)];
            drawing.BeginGroup(id, title);
            drawing.AddPath(id + "-feed", feed.Runs(), {colour, 1.2, false, false});
            drawing.AddPath(id + "-rapid", rapid.Runs(), {colour, 1.0, true, false});
            drawing.EndGroup();
            drawing.AddLegend(title, {colour, 1.2, false, false});
            anyRapid = anyRapid || !rapid.Runs().empty();
            drawn = true;
        }
        if (anyRapid) drawing.AddLegend("rapid moves", {kRapidSampleColour, 1.0, true, false});
    }
    // An empty page would pass for a view: it is refused, naming what is missing.
    if (!drawn)
        throw HostError(E_FAIL_, "the turning plane has nothing to draw: the plan of " +
                                     (doc->FilePath().empty() ? std::string("the part") : doc->FilePath()) +
                                     " has no part section, stock or operation (no NC coordinate system yet?)");
    drawing.Write(path);
}

bool IsViewFile(const std::string& path) {
    const std::string extension = ViewExtension(path);
    return extension == ".glb" || extension == ".png" || extension == ".svg";
}

void SaveView(const std::string& path) {
    const std::string extension = ViewExtension(path);
    if (!IsViewFile(path)) throw HostError(E_INVALIDARG_, "the view is saved as .glb, .png or .svg, not " + path);
    if (extension == ".svg") return SavePlanDrawing(path);
    const HostDocumentPtr doc = ViewDocument();
    const Scene scene = CollectScene(*doc);
    if (scene.meshes.empty() && scene.lines.empty())
        throw HostError(E_FAIL_, "the 3D view of " +
                                     (doc->FilePath().empty() ? std::string("the part") : doc->FilePath()) +
                                     " shows nothing: the part has no body yet");
    if (extension == ".glb")
        WriteSceneGlb(scene, path);
    else
        ScenePicture::Render(scene).WritePng(path);
}

}  // namespace zarvento
