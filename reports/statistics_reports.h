// The plan's masses, density and machining times, and the batch values of
// the stored cost item 1: what the plan's variables _MZAG, _MDET, _DENS,
// _TOSN, _TVSP, _NPAR and _TPZK give once the reports are started.
#pragma once

#include "plan/plan_reports.h"

namespace zarvento {

class Contour;

class StatisticsReports : public PlanReports {
public:
    // The stock contour's mass from its volume of revolution.
    double StockMass(CPLAN& plan) override;
    // The part's mass as the host computes it for its bodies.
    double DetailMass(CPLAN& plan) override;
    // The density of the part's material, g/cm³.
    double Density(CPLAN& plan) override;
    void CalculateTime(CPLAN& plan, double& mainTime, double& auxiliaryTime) override;
    void LoadCalculateC1(CPLAN& plan, double& batchSize, double& setupTime) override;
};

// The signed volume (mm³) the contour sweeps about the Z axis, X the radius:
// a unit running towards -Z adds, one towards +Z subtracts, so a closed
// contour gives the volume it encloses. Lines are frustums; other units are
// sampled at `step` (at most 10,000 samples a unit). Units whose ends lie
// within EPS in Z add nothing.
double VolumeOfRevolution(const Contour& contour, double step);

}  // namespace zarvento
