// What a chisel thread may cut and where it has room. Its passes cut into the
// part by design: the thread's groove, from the crest line down to the
// thread depth. That groove runs along the line over the thread's length,
// its approach and its run-out, but only as far as the part keeps to its
// side of the crest line: a shoulder behind the relief ends it.
#pragma once

#include <limits>
#include <vector>

#include "platform/drawings/curve_2d.h"

namespace zarvento {

class ClearanceOutline;
class CTurn;

// A threading insert as the checks see it: its nose circle and, from the
// tool's model (the outline the simulation cuts with), its outline, whose
// flanks reach past the nose along Z. Pieces and points are (z, x) from the
// nose centre.
struct ThreadInsert {
    double r = 0.0;
    std::vector<Curve2D> pieces;
    std::vector<Point2D> outline;  // points along the pieces, a tenth of a millimetre apart at most
};
// The insert of the operation's tool: its nose alone while its outline is
// not built.
ThreadInsert ThreadInsertOf(const CTurn& op);

// One repetition of a chisel thread as its passes sweep it. Points are
// (z, x) as Point2D (x, y), x the negated radius.
struct ThreadSweep {
    Point2D a, b;        // the crest line on the part, moved to this repetition
    double depth = 0.0;  // the thread depth, in X
    // The Z the nose circle covers: from the approach of the start cut
    // farthest out (with the infeed's shifts along the line) to the end of
    // the run-out, each widened by the nose radius (WidenForInsert widens
    // them by the insert's outline).
    double lo = 0.0, hi = 0.0;
    double r = 0.0;          // the nose radius they are widened by
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

// Widens the sweep's ends by how far the insert's outline reaches along Z
// past its nose where it can meet the part: the insert at the thread's
// depth, its outline within the part's span across the axis. `deeper` is the
// room's side of the material.
void WidenForInsert(ThreadSweep& sweep, double deeper, const ThreadInsert& insert, const ClearanceOutline& part);

// The groove one repetition's passes may cut: below the crest line down to
// the depth, within the sweep and the room.
struct ThreadBand {
    ThreadSweep sweep;
    double deeper = 1.0;
    double lo = 0.0, hi = 0.0;
};
std::vector<ThreadBand> ThreadBandsOf(const CTurn& op, const ClearanceOutline& part, const ThreadInsert& insert,
                                      double tolerance);

// How far a point lies outside the band it is nearest to: 0 inside one,
// infinity without any. A point of the stock as machined is cut by a thread
// pass no deeper than the band allows.
double OutsideThreadBands(const std::vector<ThreadBand>& bands, Point2D p);

// How far the insert whose nose centre runs along the piece reaches into
// the part outside the band it keeps to best, its nose circle and its
// outline: 0 when it stays inside one. Only what lies in the part counts: a
// pass may run deep in a relief.
double ThreadPassReach(const std::vector<ThreadBand>& bands, const ClearanceOutline& part, const Curve2D& centre,
                       const ThreadInsert& insert, double tolerance);

}  // namespace zarvento
