// One pass of the multi-pass operation along a piece of the part contour:
// the clean-up pass after a region's roughing and each finishing pass, with
// the approach (through a cut-in point where the start is tight), the cut,
// the departure and the retract.
#include <cmath>
#include <memory>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "geometry/primitives.h"
#include "operations/plan_angle_trim.h"
#include "operations/turn_mnogo_prohod.h"

namespace zarvento {

namespace {

// Crossings of the contour with a full circle around (z, x).
int CircleCrossings(const Contour* contour, double z, double x, double radius) {
    if (!contour || radius <= 0.0) return 0;
    Contour circle;
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, radius, z + radius, x, z - radius, x, 1));
    circle.AddUnit(std::make_unique<CArcUnit>(z, x, radius, z - radius, x, z + radius, x, 1));
    return CountContourCrossings(&circle, contour);
}

}  // namespace

// The phases of one pass along a piece: its contour (turned, prolonged and
// kept within the lathe's reach), the approach, the cut and the departure.
class CTurnMnogoProhod::PiecePass {
public:
    PiecePass(CTurnMnogoProhod& op, std::unique_ptr<Contour> piece)
        : op_(op), tag_(piece->Tag), c_(Contour::CopyTaking(std::move(piece))) {}

    // False when nothing of the piece is left within the lathe's reach.
    bool Shape() {
        rev_ = op_.indNapr;
        if (op_.calc.feedDirection == 1) rev_ = !rev_;
        op_.contourReversed = op_.internalMachining ? !rev_ : rev_;
        if (op_.contourReversed) c_ = ReverseContour(std::move(c_));
        const double overrun = std::max(op_.Perebeg, 0.0);
        approach_ = std::max(op_.Vrezanie, 0.0);

        op_.OnePieceAcrossPass = false;
        if (std::fabs(c_->GetFirstUnit()->StartPoint.z - c_->GetLastUnit()->EndPoint.z) < 0.01 || tag_ == 2) {
            c_ = ReverseContour(std::move(c_));
            op_.OnePieceAcrossPass = true;
        }
        const ParamTool* tool = op_.GetTool();
        const double correctionX = (op_.isCorrectLx && tool) ? tool->CorrectX : 0.0;
        // A start on the axis (its diameter, with the correction, is the nose's
        // own) has no room for an approach.
        if (std::fabs(-2.0 * (c_->GetFirstUnit()->StartPoint.x + correctionX) - 2.0 * R_) < 1e-6) approach_ = 0.0;

        {
            // The part as the operation leaves it, where the nose's point goes:
            // only the prolonging reads it, so it is gone before the frames.
            const Contour* obstacleSource = op_.finalContour ? op_.finalContour.get() : op_.sourceContour.get();
            std::unique_ptr<Contour> obstacle = obstacleSource ? obstacleSource->Clone() : std::make_unique<Contour>();
            op_.ApplyToolOffsets(*obstacle);
            c_->ExtendEnds(approach_, tag_ == 0 ? overrun : 0.0, obstacle.get(), R_, &approach_);
        }
        c_->MergeOverlappingUnits();
        if (tag_ != 0) {
            const bool subtract = op_.internalMachining != rev_ ? tag_ != 2 : tag_ == 2;
            const double turn = subtract ? -135.0 : 135.0;
            c_->AppendLine(overrun > 0.0 ? overrun : 0.5, c_->GetLastUnit()->GetEndAngle() * 180.0 / PI + turn, false);
        }
        op_.TrimToLatheReach(*c_);
        if (c_->Empty()) return false;
        xs_ = c_->GetFirstUnit()->StartPoint.x;
        zs_ = c_->GetFirstUnit()->StartPoint.z;
        xe_ = c_->GetLastUnit()->EndPoint.x;
        ze_ = c_->GetLastUnit()->EndPoint.z;
        rx_ = op_.calc.retractX;
        rz_ = op_.calc.retractZ;
        return true;
    }

    // From the retract point to the piece's start, through a cut-in point
    // beside it where the start is tight.
    void Approach() {
        const double a0 = c_->GetFirstUnit()->GetStartAngle();
        const int k = CircleCrossings(op_.sourceContour.get(), zs_, xs_, R_ + 1.0);
        if (op_.OnePieceAcrossPass) {
            if (!rev_) {
                op_.curX = rx_;
                op_.curZ = rz_;
                if (tag_ == 2) op_.MoveTo(rx_, zs_, true);
                op_.MoveTo(xs_, zs_, true);
            } else {
                const double cz = op_.curZ;
                op_.curX = rx_;
                op_.curZ = rz_;
                op_.MoveTo(xs_, cz, true);
                op_.MoveTo(xs_, zs_, false);
            }
        } else if (k > 0 || (a0 > 1.3 * PI && a0 < 1.7 * PI)) {
            double b = op_.internalMachining ? a0 - PI / 2.0 : a0 + PI / 2.0;
            const double r = R_ < 1e-6 ? 0.1 : R_;
            double d = 1.2 * r + (k > 0 ? op_.DepthPass : 0.0);
            if (a0 > 1.4 * PI && a0 < 1.7 * PI) d = r + op_.DepthPass + approach_;
            if (rev_) b -= PI;
            const double pz = zs_ + d * std::cos(b), px = xs_ + d * std::sin(b);
            op_.RapidTo(px, pz, Beyond(px, op_.curX) ? kZFirst : kXFirst);
            op_.MoveTo(xs_, zs_, false);
        } else {
            op_.RapidTo(xs_, zs_, Beyond(xs_, op_.curX) ? kZFirst : kXFirst);
        }
    }

    void Cut() {
        for (int i = 0; i < c_->Count(); ++i) op_.AddUnitFrame(*c_->GetUnit(i), false);
        op_.curX = xe_;
        op_.curZ = ze_;
    }

    // Off the piece's end and back to the retract point.
    void Leave() {
        if (op_.OnePieceAcrossPass) {
            if (tag_ == 2) {
                op_.MoveTo(rx_, ze_, true);
                op_.calc.retractZ = ze_;
            } else {
                op_.MoveTo(xe_, rz_, true);
                op_.MoveTo(rx_, rz_, true);
            }
            return;
        }
        const int k2 = CircleCrossings(op_.sourceContour.get(), ze_, xe_, 1.1 * R_);
        double oz = k2 > 0 ? op_.RetractDZ : 0.0, ox = k2 > 0 ? op_.RetractDX : 0.0;
        const double endAngle = c_->GetLastUnit()->GetEndAngle();
        if (rev_ && endAngle > 0.4 * PI && endAngle < 0.7 * PI) oz = -(R_ + op_.DepthPass + approach_);
        op_.MoveTo(xe_ - ox, ze_ - oz, false);
        const bool outward = op_.internalMachining ? rx_ < op_.curX : rx_ > op_.curX;
        if (tag_ == 1 && !outward) {
            op_.MoveTo(rx_, op_.curZ, true);
            op_.calc.retractZ = op_.curZ;
        } else {
            op_.RapidTo(rx_, rz_, outward ? kDirect : kXFirst);
        }
    }

private:
    // "Outside" the current point: towards the axis for a bore, away from it otherwise.
    bool Beyond(double x, double current) const { return op_.internalMachining ? !(x > current) : x > current; }

    CTurnMnogoProhod& op_;
    const int tag_;
    std::unique_ptr<Contour> c_;
    const double R_ = op_.Rtool;
    bool rev_ = false;
    double approach_ = 0.0;
    double xs_ = 0.0, zs_ = 0.0, xe_ = 0.0, ze_ = 0.0, rx_ = 0.0, rz_ = 0.0;
};

void CTurnMnogoProhod::DoZachistkaContourNew(std::unique_ptr<Contour> piece) {
    if (!piece || piece->Empty()) return;
    PiecePass pass(*this, std::move(piece));
    if (!pass.Shape()) return;
    pass.Approach();
    pass.Cut();
    pass.Leave();
    curX = calc.retractX;
    curZ = calc.retractZ;
}

}  // namespace zarvento
