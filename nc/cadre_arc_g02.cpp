// Circular moves: arc variables, output centre and built-in text.
#include "nc/cadre_arc_g02.h"

#include <algorithm>
#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/primitives.h"
#include "nc/frame_simulation.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

CCadre_ArcG02::CCadre_ArcG02(double centreXValue, double centreZValue, double radiusValue, double startX, double startZ,
                             double endX, double endZ, double feedValue, bool isRapid) {
    centreX = centreXValue;
    centreZ = centreZValue;
    radius = radiusValue;
    start = FramePoint{startX, 0.0, startZ};
    end = FramePoint{endX, 0.0, endZ};
    if (feedValue > 0.0) feed = feedValue;
    rapid = isRapid ? 1 : 0;
    kindLetter = 'A';
    aux = end;
    TakeOutputValues();
    outCentreX = start.x;
    startZCopy = start.z;
    ModalState.position[0] = end.x;
    ModalState.position[2] = end.z;
}

void CCadre_ArcG02::SetOutputCoordinates() {
    CCadreISO::SetOutputCoordinates();
    const int mode = SettingsRecord::Global().xOutputMode;
    outCentreX = mode == 0 ? centreX * -2.0 : mode == 1 ? centreX : -centreX;
}

double CCadre_ArcG02::SweepAngle() const {
    constexpr double twoPi = 2.0 * PI;
    // Angles in the (Z, X) frame from +Z towards +X; G02 runs clockwise.
    const double a1 = std::atan2(start.x - centreX, start.z - centreZ);
    const double a2 = std::atan2(end.x - centreX, end.z - centreZ);
    double sweep = arcLetter == '2' ? a1 - a2 : a2 - a1;
    sweep = std::fmod(sweep, twoPi);
    if (sweep < 0.0) sweep += twoPi;
    return sweep;
}

double CCadre_ArcG02::SignedRadius() const { return SweepAngle() > PI + 1e-6 ? -radius : radius; }

namespace {

// X is printed mirrored (the diameter, or the radius in +X) in every
// convention but the internal value's.
bool PrintedXMirrored() { return SettingsRecord::Global().xOutputMode != 1; }

}  // namespace

char CCadre_ArcG02::PrintedArcLetter() const {
    // A spatial arc prints its internal X, Y and Z as they are.
    if (move3D || !PrintedXMirrored()) return arcLetter;
    return arcLetter == '2' ? '3' : '2';
}

void CCadre_ArcG02::ComputeValues() {
    if (computed) return;
    const double sweep = SweepAngle();
    valueANG = sweep * 180.0 / PI;
    const double a1 = std::atan2(start.x - centreX, start.z - centreZ);
    const double mid = arcLetter == '2' ? a1 - sweep / 2.0 : a1 + sweep / 2.0;
    valueX3 = centreX + radius * std::sin(mid);
    valueY3 = centreY;
    valueZ3 = (start.z + end.z) / 2.0;
    computed = 1;
}

double* CCadre_ArcG02::GetVariable(std::string_view name) {
    if (name == "_R") {
        valueR = SignedRadius();
        return &valueR;
    }
    if (name == "_X0") return &outCentreX;
    if (name == "_Y0") return &centreY;
    if (name == "_Z0") return &centreZ;
    // The centre's X offset is a radius along the printed X, as every lathe
    // control reads it, diameter programming included.
    if (name == "_I") return &(valueI = !move3D && PrintedXMirrored() ? start.x - centreX : centreX - start.x);
    if (name == "_J") return &(valueJ = centreY - start.y);
    if (name == "_K") return &(valueK = centreZ - start.z);
    if (name == "_ANG" || name == "_X3" || name == "_Y3" || name == "_Z3") {
        ComputeValues();
        return name == "_ANG" ? &valueANG : name == "_X3" ? &valueX3 : name == "_Y3" ? &valueY3 : &valueZ3;
    }
    return CCadreISO::GetVariable(name);
}

int CCadre_ArcG02::WriteText(std::vector<std::string>& lines, int number) {
    const bool g02 = PrintedArcLetter() == '2';
    if (WriteByTemplate(g02 ? "G02" : "G03", lines, number)) return number;
    std::string line = FormatFrameNumber(number) + (g02 ? "G02  " : "G03  ");
    if (!move3D) {
        // An arc states both ends, and the words stand there after it.
        line += FormatModalAxisWord("X", outX2, ModalState.writtenX, true);
        line += FormatModalAxisWord("Z", end.z, ModalState.writtenZ, true);
    } else {
        line += FormatAddressValue("X", end.x, false);
        line += FormatAddressValue("Y", end.y, false);
        if (std::fabs(end.z - start.z) > 0.0001) line += FormatAddressValue("Z", end.z, false);
        ModalState.writtenX.clear();
        ModalState.writtenZ.clear();
    }
    valueR = SignedRadius();
    line += FormatAddressValue("R", valueR, false);
    if ((!rapid && ModalState.lastMoveRapid) || std::fabs(feed - ModalState.feed) > 0.001)
        line += FormatAddressValue("F", feed, false);
    ModalState.lastMoveRapid = 0;
    ModalState.feed = feed;
    AddTextLine(lines, std::move(line));
    return NextNumber(number);
}

void CCadre_ArcG02::Move(double dx, double dy, double dz) {
    CCadreISO::Move(dx, dy, dz);
    centreX += dx;
    centreY += dy;
    centreZ += dz;
    computed = 0;
}

namespace {

// The (z, x) pair of a 3D point in the arc's plane, and the coordinate across it.
void PlanePoint(int plane, double x, double y, double z, double& pz, double& px, double& across) {
    switch (plane) {
        case 0:
            pz = y;
            px = x;
            across = z;
            break;
        case 2:
            pz = y;
            px = z;
            across = x;
            break;
        default:
            pz = z;
            px = x;
            across = y;
            break;
    }
}

// More pieces than this add nothing to the accuracy of the time.
constexpr double kMaxTimedPieces = 1e6;

}  // namespace

void CCadre_ArcG02::CreatePathFigure() {
    const bool clockwise = arcLetter == '2';
    if (!move3D) {
        SetPathUnit(std::make_unique<CArcUnit>(centreZ, centreX, radius, start.z, start.x, end.z, end.x,
                                               clockwise ? 1 : -1, rapid != 0));
        return;
    }
    double cz = 0.0, cx = 0.0, cAcross = 0.0, sz = 0.0, sx = 0.0, sAcross = 0.0, ez = 0.0, ex = 0.0, eAcross = 0.0;
    PlanePoint(plane, centreX, centreY, centreZ, cz, cx, cAcross);
    PlanePoint(plane, start.x, start.y, start.z, sz, sx, sAcross);
    PlanePoint(plane, end.x, end.y, end.z, ez, ex, eAcross);
    // Seen from the far side of its plane, a spatial arc runs the other way round.
    SetPathUnit(
        CArcUnit::CArcUnitXYZ(cz, cx, radius, sz, sx, ez, ex, clockwise ? -1 : 1, rapid != 0, plane, sAcross, eAcross));
}

std::int32_t CCadre_ArcG02::SimulateStep(FrameSimulation& simulation) {
    simulation.SetTurn(operation);
    if (simulation.IsPreCalculation() && !toolEquidistant)
        toolEquidistant = simulation.CreateToolEquidistant(centreZ, centreX, radius);
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    return pointCount;
}

PathStatistics CCadre_ArcG02::GetStatistics() {
    EnsurePathFigure();
    const double length = move3D ? path.GetLength3D() : path.GetLength();
    PathStatistics s = MoveStatistics(length);
    if (rapid || !ModalState.constantSpeed || path.Empty() || !(length > EPS) || !std::isfinite(length)) return s;
    const double pieces = std::min(std::ceil(2.0 * length), kMaxTimedPieces);
    IntersectPointList points(1000);
    path.GetUnit(0)->GetPointsByStep(points, length / pieces, 1);
    if (points.Count() < 2) return s;
    // The walk may round to one piece more than asked; the pieces share the length.
    const double piece = length / (points.Count() - 1);
    for (std::uint32_t i = 0; i + 1 < points.Count(); ++i)
        s.workTime += ConstantSpeedTime(piece, -points[i].x, -points[i + 1].x, ModalState.cuttingSpeed,
                                        ModalState.minSpindleSpeed, ModalState.maxSpindleSpeed, ModalState.feed);
    return s;
}
}  // namespace zarvento
