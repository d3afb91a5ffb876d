// The picture of a simulation: contours and the tool's path as polylines.
#include "simulation/simulation_picture.h"

#include <algorithm>
#include <cmath>

#include "geometry/contour.h"
#include "geometry/intersect_point.h"
#include "geometry/unit.h"

namespace zarvento {

namespace {

constexpr double kMaxPiecesPerUnit = 10000.0;
constexpr double kJoin = 1e-6;

// Colours as 0x00BBGGRR.
constexpr std::uint32_t kPartColour = 0x202020;
constexpr std::uint32_t kStockColour = 0x707070;
constexpr std::uint32_t kMachinedColour = 0xD07030;
constexpr std::uint32_t kFeedColour = 0x3C9A2E;
constexpr std::uint32_t kRapidColour = 0x3030D8;
constexpr std::uint32_t kToolColour = 0x13458B;
constexpr std::uint32_t kDeviationColour = 0xD000D0;

void AddPoint(std::vector<SectionRun>& runs, double z, double x, bool newRun) {
    if (newRun || runs.empty()) runs.emplace_back();
    SectionRun& run = runs.back();
    if (!run.empty() && std::abs(run.back()[0] - z) <= kJoin && std::abs(run.back()[1] - x) <= kJoin) return;
    run.push_back({z, x});
}

bool Continues(const std::vector<SectionRun>& runs, double z, double x) {
    if (runs.empty() || runs.back().empty()) return false;
    const auto& last = runs.back().back();
    return std::abs(last[0] - z) <= kJoin && std::abs(last[1] - x) <= kJoin;
}

void AppendUnitRuns(const CUnit& unit, double chord, std::vector<SectionRun>& runs) {
    if (unit.Kind == 'G' || unit.Kind == 'B') {
        // A gap or a complex unit draws as its plain pieces.
        if (const std::unique_ptr<Contour> pieces = unit.GetContour())
            for (int k = 0; k < pieces->Count(); ++k)
                if (pieces->GetUnit(k)->Kind != 'G' && pieces->GetUnit(k)->Kind != 'B')
                    AppendUnitRuns(*pieces->GetUnit(k), chord, runs);
        return;
    }
    const bool newRun = !Continues(runs, unit.StartPoint.z, unit.StartPoint.x);
    if (unit.Kind == 'L' || unit.IsZeroLength()) {
        AddPoint(runs, unit.StartPoint.z, unit.StartPoint.x, newRun);
        AddPoint(runs, unit.EndPoint.z, unit.EndPoint.x, false);
        return;
    }
    // A chord of length s on radius r strays r (1 - cos(s / 2r)) ~ s^2 / 8r from the arc.
    const double curvature = std::abs(unit.GetCurvature());
    const double length = unit.GetLength();
    double step = curvature > 0.0 ? std::sqrt(8.0 * chord / curvature) : length;
    step = std::max(step, length / kMaxPiecesPerUnit);
    IntersectPointList samples(64);
    unit.GetPointsByStep(samples, std::min(step, length), 1);
    if (samples.Count() == 0) {
        AddPoint(runs, unit.StartPoint.z, unit.StartPoint.x, newRun);
        AddPoint(runs, unit.EndPoint.z, unit.EndPoint.x, false);
        return;
    }
    bool first = true;
    for (const IntersectPoint& p : samples) {
        AddPoint(runs, p.z, p.x, first && newRun);
        first = false;
    }
}

PictureLayer Layer(std::string id, std::string title, std::uint32_t colour, double width, bool dashed, bool filled) {
    PictureLayer layer;
    layer.id = std::move(id);
    layer.title = std::move(title);
    layer.colour = colour;
    layer.width = width;
    layer.dashed = dashed;
    layer.filled = filled;
    return layer;
}

void AddContourLayer(SimulationPicture& picture, PictureLayer layer, const Contour* contour, double chord) {
    if (!contour) return;
    AppendContourRuns(*contour, chord, layer.runs);
    if (!layer.runs.empty()) picture.layers.push_back(std::move(layer));
}

}  // namespace

void AppendContourRuns(const Contour& contour, double chord, std::vector<SectionRun>& runs) {
    for (int k = 0; k < contour.Count(); ++k) AppendUnitRuns(*contour.GetUnit(k), chord, runs);
}

SimulationPicture MakeSimulationPicture(const SimulationScene& scene, const std::string& title, double chord) {
    SimulationPicture picture;
    picture.title = title;
    AddContourLayer(picture, Layer("stock", "stock the run began from", kStockColour, 1.0, true, false),
                    scene.initialStock, chord);
    AddContourLayer(picture, Layer("machined", "stock as machined", kMachinedColour, 1.5, false, true), scene.machined,
                    chord);
    // The part's outline over the machined stock: material left shows
    // outside it, a cut into the part inside it.
    AddContourLayer(picture, Layer("part", "part", kPartColour, 0.8, false, false), scene.part, chord);

    if (scene.points && scene.pointsStepped > 0) {
        // The path between the stepped points, each leg drawn as the move
        // that led to its end point was: at feed or rapid.
        PictureLayer feed = Layer("feed", "path at feed", kFeedColour, 0.8, false, false);
        PictureLayer rapid = Layer("rapid", "rapid moves", kRapidColour, 0.8, true, false);
        const int count = std::min<int>(scene.pointsStepped, static_cast<int>(scene.points->Count()));
        for (int i = 1; i < count; ++i) {
            const SimulationPoint& a = (*scene.points)[static_cast<std::uint32_t>(i - 1)];
            const SimulationPoint& b = (*scene.points)[static_cast<std::uint32_t>(i)];
            auto& runs = b.unit && b.unit->IsRapid ? rapid.runs : feed.runs;
            AddPoint(runs, a.z, a.x, !Continues(runs, a.z, a.x));
            AddPoint(runs, b.z, b.x, false);
        }
        std::erase_if(feed.runs, [](const SectionRun& run) { return run.size() < 2; });
        std::erase_if(rapid.runs, [](const SectionRun& run) { return run.size() < 2; });
        if (!feed.runs.empty()) picture.layers.push_back(std::move(feed));
        if (!rapid.runs.empty()) picture.layers.push_back(std::move(rapid));
    }

    AddContourLayer(picture, Layer("tool", "tool where the run ended", kToolColour, 1.5, false, false), scene.tool,
                    chord);

    if (scene.part && scene.deviations && !scene.deviations->empty()) {
        PictureLayer off =
            Layer("departures", "where the stock departs from the part", kDeviationColour, 3.0, false, false);
        for (const SectionDeviation& d : *scene.deviations)
            if (d.unit >= 0 && d.unit < scene.part->Count()) {
                std::vector<SectionRun> runs;
                AppendUnitRuns(*scene.part->GetUnit(d.unit), chord, runs);
                for (SectionRun& run : runs) off.runs.push_back(std::move(run));
            }
        if (!off.runs.empty()) picture.layers.push_back(std::move(off));
    }
    return picture;
}

}  // namespace zarvento
