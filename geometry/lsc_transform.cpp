// LscTransform: reading the host system and the two point conversions.
#include "geometry/lsc_transform.h"

#include <cmath>

#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { LscTransform::Global().Reset(); }

LscTransform& LscTransform::Global() {
    static LscTransform instance;
    return instance;
}

LscTransform::LscTransform() { Reset(); }

void LscTransform::Reset() {
    host_.reset();
    originX = originY = originZ = 0;
    axisX = axisY = axisZ = Axis{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) matrix[r][c] = r == c ? 1.0 : 0.0;
}

void LscTransform::VectorLength(Axis& a) { a.length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

void LscTransform::ReadFromHost(const std::shared_ptr<LocalCoordinateSystem>& lsc) {
    if (!lsc) throw HostError(E_POINTER_, "no local coordinate system");
    if (lsc != host_) host_ = lsc;
    originX = lsc->OriginX();
    originY = lsc->OriginY();
    originZ = lsc->OriginZ();
    lsc->GetAxis(LocalCoordinateSystem::kAxisX, axisX.x, axisX.y, axisX.z);
    lsc->GetAxis(LocalCoordinateSystem::kAxisY, axisY.x, axisY.y, axisY.z);
    lsc->GetAxis(LocalCoordinateSystem::kAxisZ, axisZ.x, axisZ.y, axisZ.z);
    Axis* axes[3] = {&axisX, &axisY, &axisZ};
    for (int c = 0; c < 3; ++c) {
        Axis& a = *axes[c];
        VectorLength(a);
        if (a.length > 1e-30) {
            matrix[0][c] = a.x / a.length;
            matrix[1][c] = a.y / a.length;
            matrix[2][c] = a.z / a.length;
        }
    }
}

void LscTransform::GlobalToLocal(double& x, double& y, double& z) const {
    const double dx = x - originX, dy = y - originY, dz = z - originZ;
    x = dx * matrix[0][0] + dy * matrix[1][0] + dz * matrix[2][0];
    y = dx * matrix[0][1] + dy * matrix[1][1] + dz * matrix[2][1];
    z = dx * matrix[0][2] + dy * matrix[1][2] + dz * matrix[2][2];
}

namespace {
double Det3(double a00, double a01, double a02, double a10, double a11, double a12, double a20, double a21,
            double a22) {
    return a00 * (a11 * a22 - a12 * a21) - a01 * (a10 * a22 - a12 * a20) + a02 * (a10 * a21 - a11 * a20);
}
}  // namespace

void LscTransform::LocalToGlobal(double& x, double& y, double& z) const {
    // Solve d . column j = local j for d: the system's rows are the matrix columns.
    const double(&m)[3][3] = matrix;
    const double det = Det3(m[0][0], m[1][0], m[2][0], m[0][1], m[1][1], m[2][1], m[0][2], m[1][2], m[2][2]);
    if (std::fabs(det) < EPS) return;
    const double l0 = x, l1 = y, l2 = z;
    const double dx = Det3(l0, m[1][0], m[2][0], l1, m[1][1], m[2][1], l2, m[1][2], m[2][2]) / det;
    const double dy = Det3(m[0][0], l0, m[2][0], m[0][1], l1, m[2][1], m[0][2], l2, m[2][2]) / det;
    const double dz = Det3(m[0][0], m[1][0], l0, m[0][1], m[1][1], l1, m[0][2], m[1][2], l2) / det;
    x = dx + originX;
    y = dy + originY;
    z = dz + originZ;
}

}  // namespace zarvento
