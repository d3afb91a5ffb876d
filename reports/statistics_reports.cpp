// Masses, density and times of the plan for its variables.
#include "reports/statistics_reports.h"

#include <cmath>

#include "geometry/contour.h"
#include "geometry/intersect_point.h"
#include "geometry/primitives.h"
#include "geometry/unit.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/documents/storage_record.h"
#include "platform/part_model.h"
#include "reports/cost_items.h"

namespace zarvento {

namespace {

constexpr std::uint32_t kMaxSamplesPerUnit = 10000;

double Frustum(double z1, double r1, double z2, double r2) {
    return PI * std::fabs(z2 - z1) * (r1 * r1 + r1 * r2 + r2 * r2) / 3.0;
}

std::shared_ptr<HostPart> ActivePart() {
    const HostDocumentPtr doc = ActiveHostDocument();
    if (!doc) throw HostError(E_POINTER_, "no active part document");
    return TopPart(doc);
}

}  // namespace

double VolumeOfRevolution(const Contour& contour, double step) {
    double volume = 0.0;
    for (int i = 0; i < contour.Count(); ++i) {
        const CUnit* unit = contour.GetUnit(i);
        if (!unit) continue;
        const double z1 = unit->StartPoint.z, z2 = unit->EndPoint.z;
        if (std::fabs(z1 - z2) <= EPS) continue;
        double v = 0.0;
        if (unit->Kind == 'L') {
            v = Frustum(z1, unit->StartPoint.x, z2, unit->EndPoint.x);
        } else {
            const double length = unit->GetLength();
            const double unitStep = std::max(step, length / kMaxSamplesPerUnit);
            IntersectPointList points(64);
            unit->GetPointsByStep(points, unitStep, 0);
            for (std::uint32_t k = 1; k < points.Count(); ++k)
                v += Frustum(points[k - 1].z, points[k - 1].x, points[k].z, points[k].x);
        }
        volume += z1 > z2 ? v : -v;
    }
    return volume;
}

double StatisticsReports::StockMass(CPLAN& plan) {
    CSPID* spid = GetSPID();
    std::unique_ptr<Contour> built;
    const Contour* stock = spid->pSourceContour.get();
    if (!stock) {
        built = spid->CreateSourceContour();
        stock = built.get();
    }
    if (!stock) return 0.0;
    double step = SettingsRecord::Global().accuracy;
    if (!(step > EPS)) step = 0.01;
    return VolumeOfRevolution(*stock, step) * plan.GetDensity() / 1000000.0;
}

double StatisticsReports::DetailMass(CPLAN&) { return ActivePart()->Mass(); }

double StatisticsReports::Density(CPLAN&) { return ActivePart()->Properties().density; }

void StatisticsReports::CalculateTime(CPLAN& plan, double& mainTime, double& auxiliaryTime) {
    mainTime = 0.0;
    auxiliaryTime = 0.0;
    for (int i = 0; i < plan.GetTurnCount(); ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan.GetTurn(i));
        if (!turn) continue;
        const PathStatistics s = turn->CalcStatistics();
        mainTime += s.workTime + s.auxTime;
        auxiliaryTime += s.auxTime;
    }
}

void StatisticsReports::LoadCalculateC1(CPLAN&, double& batchSize, double& setupTime) {
    CCalculate_C1 item;
    StorageRecord record;
    if (record.OpenRead("Zarvento.C1")) item.LoadParameters(record);
    const double* batch = item.FindParameter("_NPAR");
    const double* setup = item.FindParameter("_TPZK");
    batchSize = batch ? *batch : 0.0;
    setupTime = setup ? *setup : 0.0;
}

}  // namespace zarvento
