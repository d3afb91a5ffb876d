// What a chisel thread may cut and where it has room. Its passes cut into the
// part by design: the thread's groove, from the crest line down to the
// thread depth. That groove runs along the line over the thread's length,
// its approach and its run-out, but only as far as the part keeps to its
// side of the crest line: a shoulder behind the relief ends it.
#pragma once

#include <limits>
#include <vector>

#include "platform/curve_2d.h"

namespace zarvento {

class ClearanceOutline;
class CTurn;

// One repetition of a chisel thread as its passes sweep it. Points are
// (z, x) as Point2D (x, y), x the negated radius.
struct ThreadSweep {
    Point2D a, b;        // the crest line on the part, moved to this repetition
    double depth = 0.0;  // the thread depth, in X
    // The Z the nose circle covers: from the approach of the start cut
    // farthest out (with the infeed's shifts along the line) to the end of
    // the run-out, each widened by the nose radius.
    double lo = 0.0, hi = 0.0;
    bool runOutAtLo = true;  // the cut runs towards -Z: the run-out lies at lo
};

// Every repetition of a chisel threading operation's thread; none for
// another kind, a missing line or a line across the axis (a face thread,
// whose passes take no depth).
std::vector<ThreadSweep> ThreadSweepsOf(const CTurn& op, double noseRadius);

// Where the part leaves a thread line room: the side of the line its
// material lies on, and the nearest material across the line's extension
// before and after the line (a shoulder, a bore's bottom).
struct ThreadRoom {
    double deeper = 0.0;  // the sign of X into the material; 0 when neither side holds it
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
};
ThreadRoom RoomAlongThread(const ClearanceOutline& part, const ThreadSweep& sweep, double tolerance);

// The groove one repetition's passes may cut: below the crest line down to
// the depth, within the sweep and the room.
struct ThreadBand {
    ThreadSweep sweep;
    double deeper = 1.0;
    double lo = 0.0, hi = 0.0;
};
std::vector<ThreadBand> ThreadBandsOf(const CTurn& op, const ClearanceOutline& part, double noseRadius,
                                      double tolerance);

// How far a point lies outside the band it is nearest to: 0 inside one,
// infinity without any. A point of the stock as machined is cut by a thread
// pass no deeper than the band allows.
double OutsideThreadBands(const std::vector<ThreadBand>& bands, Point2D p);

// How far a nose circle of radius r whose centre runs along the piece
// reaches into the part outside the band it keeps to best: 0 when it stays
// inside one. Only what lies in the part counts: a pass may run deep in a
// relief.
double ThreadPassReach(const std::vector<ThreadBand>& bands, const ClearanceOutline& part, const Curve2D& centre,
                       double r, double tolerance);

}  // namespace zarvento
