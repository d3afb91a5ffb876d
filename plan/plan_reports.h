// PlanReports: the masses, times and cost values of the plan, which the
// statistics layer above computes; it registers its implementation here.
#pragma once

namespace zarvento {

class CPLAN;

class PlanReports {
public:
    virtual ~PlanReports() = default;
    virtual double StockMass(CPLAN& plan) = 0;
    virtual double DetailMass(CPLAN& plan) = 0;
    virtual double Density(CPLAN& plan) = 0;
    // The total machining time and the auxiliary time, in minutes.
    virtual void CalculateTime(CPLAN& plan, double& mainTime, double& auxiliaryTime) = 0;
    // The batch size and the set-up time of the stored cost item C1.
    virtual void LoadCalculateC1(CPLAN& plan, double& batchSize, double& setupTime) = 0;
};

// The registered reports, or null: then every value is 0 (not computed).
// Registration is wiring, not process state: a state reset keeps it.
PlanReports* GetPlanReports();
// Returns the previous registration, so that a caller can put it back.
PlanReports* RegisterPlanReports(PlanReports* reports);

}  // namespace zarvento
