// The clearance of the rapids of a finished path: every rapid keeps the
// tool's nose the operation's clearance off the part and the stock standing;
// the stretch of a rapid that comes nearer is made at feed, so that the tool
// enters the material (and the allowance left on it) at feed only.
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "catalogs/param_tool.h"
#include "nc/cadre_line_g01.h"
#include "nc/modal_state.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

// The stretches of a rapid are found to this length along it.
constexpr double kResolution = 1e-3;
constexpr double kSlack = CTurn::kClearanceSlack;

// What the rapids keep off, as the main job's check has it: the part's
// section, the stock before the operation until its first feed move, and
// what the operation leaves of the stock all along. Each outline is indexed
// when a rapid first asks for it.
class StandingMaterial {
public:
    StandingMaterial(const CTurn& op, double noseRadius, double clearance)
        : r_(noseRadius), keep_(noseRadius + clearance) {
        sources_[0] = GetSPID()->GetDetailContour();
        sources_[1] = op.finalContour.get();
        sources_[2] = op.prevFinalContour.get();
    }

    void Fed() { fed_ = true; }

    // How far the nose about the piece keeps off the material, up to what
    // it must keep; below 0 when it lies inside.
    double Gap(const Curve2D& piece) {
        double least = keep_ - r_;
        for (std::size_t i = 0; i < 3; ++i) {
            if (i == 2 && fed_) continue;
            const ClearanceOutline* o = Outline(i);
            if (!o) continue;
            double d = o->Distance(piece, keep_);
            if (d >= keep_ && o->Inside(piece.a)) d = -d;
            least = std::min(least, d - r_);
        }
        return least;
    }
    bool Near(const Curve2D& piece) { return Gap(piece) < keep_ - r_ - kSlack; }

private:
    const ClearanceOutline* Outline(std::size_t i) {
        if (!outlines_[i] && sources_[i] && !sources_[i]->Empty()) outlines_[i].emplace(*sources_[i]);
        return outlines_[i] && !outlines_[i]->Empty() ? &*outlines_[i] : nullptr;
    }

    double r_, keep_;
    const Contour* sources_[3] = {nullptr, nullptr, nullptr};  // the part, the stock after, the stock before
    std::optional<ClearanceOutline> outlines_[3];
    bool fed_ = false;
};

// The stretches [t0, t1] of the line along which the nose comes nearer than
// the clearance, to the resolution, in order and merged.
void AddNearStretches(StandingMaterial& material, const Curve2D& line, double t0, double t1,
                      std::vector<std::pair<double, double>>& out) {
    const Curve2D piece = line.Sub(t0, t1, line.At(t0), line.At(t1));
    if (!material.Near(piece)) return;
    if (piece.Length() <= kResolution) {
        if (!out.empty() && out.back().second >= t0 - 1e-12)
            out.back().second = t1;
        else
            out.emplace_back(t0, t1);
        return;
    }
    const double mid = 0.5 * (t0 + t1);
    AddNearStretches(material, line, t0, mid, out);
    AddNearStretches(material, line, mid, t1, out);
}

}  // namespace

double CTurn::RapidClearance() const {
    return kind == kTurnKONTUR || kind == kTurnOTREZKA ? kDefaultRapidClearance : 0.0;
}

void CTurn::FeedWithinClearance() {
    const double clearance = RapidClearance();
    if (!(clearance > 0.0)) return;
    const ParamTool* tool = GetTool();
    if (!tool || frames.empty()) return;
    // A path the machine compensates drives the contour, the nose off it.
    const bool point = MachineCompensatesRadius() && !CorrectsRadius();
    const double r = point ? 0.0 : std::max(0.0, tool->r);
    const double dz = point ? 0.0 : tool->dNoseDx, dx = point ? 0.0 : -tool->dNoseDy;
    // A blade goes back into the kerf it cut along its walls: it keeps the
    // clearance as it comes to the stock, until it first cuts.
    const bool blade = kind == kTurnOTREZKA || (kind == kTurnMnogoProhod && indCycleElementar == 1);
    bool fed = false;
    StandingMaterial material(*this, r, clearance);
    const double keep = clearance - kSlack;
    const double position[3] = {ModalState.position[0], ModalState.position[1], ModalState.position[2]};
    std::vector<std::unique_ptr<CCadreISO>> kept;
    kept.reserve(frames.size());
    for (std::unique_ptr<CCadreISO>& frame : frames) {
        auto* line = dynamic_cast<CCadre_LineG01*>(frame.get());
        const bool moves = std::hypot(frame->end.z - frame->start.z, frame->end.x - frame->start.x) > 1e-6;
        if (!line || !moves || line->move3D || !line->rapid || (blade && fed)) {
            if (moves && !frame->rapid) {
                material.Fed();
                fed = true;
            }
            kept.push_back(std::move(frame));
            continue;
        }
        const Point2D a{line->start.z + dz, line->start.x + dx}, b{line->end.z + dz, line->end.x + dx};
        const Curve2D path = Curve2D::Line(a, b);
        // A rapid that sets off nearer, from where a cut left the tool (out
        // of a kerf along its wall, say), and ends the clearance off leaves
        // the material as it should.
        const double from = material.Gap(Curve2D::Line(a, a));
        const double to = material.Gap(Curve2D::Line(b, b));
        if (to >= keep && (from < keep || material.Gap(path) >= keep)) {
            kept.push_back(std::move(frame));
            continue;
        }
        std::vector<std::pair<double, double>> near;
        AddNearStretches(material, path, 0.0, 1.0, near);
        if (near.empty()) {
            kept.push_back(std::move(frame));
            continue;
        }
        // The rapid in pieces: at rapid between the stretches, at feed along them.
        double t = 0.0;
        const auto piece = [&](double t0, double t1, bool rapid) {
            if (t1 - t0 <= 1e-12) return;
            const double z1 = line->start.z + t0 * (line->end.z - line->start.z);
            const double x1 = line->start.x + t0 * (line->end.x - line->start.x);
            const double z2 = line->start.z + t1 * (line->end.z - line->start.z);
            const double x2 = line->start.x + t1 * (line->end.x - line->start.x);
            if (std::hypot(z2 - z1, x2 - x1) < 1e-6) return;
            auto made =
                std::make_unique<CCadre_LineG01>(x1, z1, x2, z2, -1.0, rapid, line->forceAll != 0, line->hidden != 0);
            made->feed = line->feed;
            made->spindleSpeed = line->spindleSpeed;
            made->outF = line->outF;
            made->option1 = line->option1;
            made->operation = this;
            made->CreatePathFigure();
            kept.push_back(std::move(made));
        };
        for (const auto& [t0, t1] : near) {
            piece(t, t0, true);
            piece(t0, t1, false);
            t = t1;
        }
        piece(t, 1.0, true);
    }
    frames = std::move(kept);
    ModalState.position[0] = position[0];
    ModalState.position[1] = position[1];
    ModalState.position[2] = position[2];
}

}  // namespace zarvento
