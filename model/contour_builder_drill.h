// The hole builder of a drilling operation: the hole from chosen faces, by
// its parameters, or a centre-drill hole.
#pragma once

#include <memory>

#include "model/contour_builder.h"

namespace zarvento {

class CContourBuilderDrill : public CContourBuilder {
public:
    // Hole-definition modes.
    static constexpr int kHoleFromFaces = 0;
    static constexpr int kHoleByParameters = 1;
    static constexpr int kCentreDrill = 2;

    // Single choice outside the mode from faces.
    void HighlightUnit(const HostObjectPtr& object) override;
    // The chosen faces; a cone first takes the tip angle with it when asked.
    std::unique_ptr<Contour> CreateContourFromFaces() override;
    // The hole by its mode, closed onto the source.
    std::unique_ptr<Contour> Build() override;
    // Null for a diameter below 0.001 and for a tip angle that makes no cone
    // (at most EPS, or above 180).
    std::unique_ptr<Contour> CreateHoleContour();
    // Null for a diameter below 0.001; the tip angle becomes 120.
    std::unique_ptr<Contour> CreateCentreDrillContour();

    int SposobDrill = kHoleFromFaces;
    double Zbase = 0.0;
    double Glubina = 0.0;       // depth
    double Diametr = 0.0;       // diameter
    double AngleDrill = 118.0;  // tip angle, degrees
    // Take the tip angle from a conical first face.
    bool isAngleFromCone = false;
    // The tip angle changed and is to be shown in the panel.
    bool isAngleChanged = false;
    // The hole by its parameters, measured from the chosen faces.
    bool isByParameters = false;
    // The panel's tip angle and diameter fields; may be null. Not owned. A
    // build writes into them what it derives from the contour: the tip angle
    // of a chosen cone or of a centre drill, the diameter of the chosen wall.
    BuilderControl* tipAngleControl = nullptr;
    BuilderControl* diameterControl = nullptr;
    // Set by a build that took the diameter from the chosen faces (into
    // Diametr).
    bool isDiameterChanged = false;

private:
    // The hole base Z plus the largest Z of the first chosen unit.
    double BaseZ() const;
    // The diameter of the chosen faces' wall into Diametr.
    void TakeWallDiameter(const Contour& faces);
};

}  // namespace zarvento
