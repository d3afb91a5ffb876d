// A circular move: G02 (clockwise in the internal (Z, X) frame) and the base
// of G03. The program names the sense the arc has in the coordinates it
// prints: where X is written mirrored (the diameter, or the radius in +X)
// a clockwise arc of the internal frame is a G03 block.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_ArcG02 : public CCadreISO {
public:
    // The feed applies only when above 0; otherwise the frame keeps the modal feed.
    CCadre_ArcG02(double centreXValue, double centreZValue, double radiusValue, double startX, double startZ,
                  double endX, double endZ, double feedValue, bool isRapid);

    void SetOutputCoordinates() override;
    double* GetVariable(std::string_view name) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    void Move(double dx, double dy, double dz) override;
    void CreatePathFigure() override;
    std::int32_t SimulateStep(FrameSimulation& simulation) override;
    // Under constant cutting speed the arc is timed piece by piece, each
    // piece as a straight cut between its end radii.
    PathStatistics GetStatistics() override;

    // The swept angle in radians, by the arc's sense.
    double SweepAngle() const;
    // The radius, negated for an arc of more than a half turn.
    double SignedRadius() const;
    // '2' or '3': the letter of the block, for the sense the arc has in the
    // printed coordinates.
    char PrintedArcLetter() const;

    double centreX = 0.0;
    double centreY = 0.0;
    double centreZ = 0.0;
    double radius = 0.0;
    double valueR = 0.0, valueI = 0.0, valueJ = 0.0, valueK = 0.0;
    std::int32_t plane = 1;  // for a 3D arc: 0 (Y, X), 1 (Z, X), 2 (Y, Z)
    char arcLetter = '2';
    double outCentreX = 0.0;
    double startZCopy = 0.0;
    double valueANG = 0.0, valueX3 = 0.0, valueY3 = 0.0, valueZ3 = 0.0;
    std::uint8_t computed = 0;
    // The tool centre's path, made once during the simulation's pre-calculation.
    std::unique_ptr<Contour> toolEquidistant;

protected:
    void ComputeValues();
};

}  // namespace zarvento
