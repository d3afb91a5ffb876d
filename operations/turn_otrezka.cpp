// The cut-off operation: its tool choice, its record values and its path.
#include "operations/turn_otrezka.h"

#include <algorithm>
#include <cmath>

#include "catalogs/param_tool.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g04.h"
#include "nc/frame_text_format.h"
#include "operations/kind_support.h"
#include "plan/stored_value.h"
#include "platform/core/numbers.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

CTurnOTREZKA::CTurnOTREZKA() {
    kind = kTurnOTREZKA;
    sNameTurn = "Отрезка";
    ReplaceWorkBuilder(std::make_unique<CContourBuilderOtrezka>());
    typeKey = "Turning";
    indShema = 0;
    Vrezanie = 1.0;
    Perebeg = 0.5;
    Nshp = Nshp2 = 500.0;
    Spod = Spod2 = 0.05;
    CutOffBuilder().width = Width;
    cycle.SetParentParameters(&Parameters());
}

CTurnOTREZKA::~CTurnOTREZKA() {
    // The frames may lead their variables to the cycle member.
    currentCycle = nullptr;
    ReleaseFrames();
}

CTurnOTREZKA& CTurnOTREZKA::operator=(const CTurnOTREZKA& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    Width = other.Width;
    indPrivaz = other.indPrivaz;
    Pause = other.Pause;
    cycle.Copy(other.cycle);
    cycle.SetParentParameters(&Parameters());
    CutOffBuilder().width = Width;
    return *this;
}

void CTurnOTREZKA::SetupTool() {
    nToolPosition = FirstToolOfKind(kCutOffToolKind);
    CTurn::SetupTool();
}

bool CTurnOTREZKA::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("Width", Variant::R8(Width));
    record.AddNamedValue("indPrivaz", Variant::I4(indPrivaz));
    record.AddNamedValue("Pause", Variant::R8(Pause));
    return true;
}

bool CTurnOTREZKA::LoadKindValues(StorageRecord& record) {
    Width = ReadStoredR8(record, "Width");
    record.ReadNamedValue("indPrivaz");
    indPrivaz = record.ReadBuffer().ToI4();
    Pause = ReadStoredR8(record, "Pause");
    CutOffBuilder().width = Width;
    return true;
}

void CTurnOTREZKA::TakeToolValues() {
    const ParamTool* tool = GetTool();
    if (!tool) return;
    bool hasWidth = false, hasBase = false;
    const int count = std::min(tool->Npv, ParamTool::kMaxVariables);
    for (int i = 0; i < count; ++i) {
        const ParamVariable& v = tool->aVariables[static_cast<std::size_t>(i)];
        if (v.sName == "width") {
            Width = v.dValue;
            SetCycleText(cycle, "B", FormatGeneral(v.dValue));
            hasWidth = true;
        } else if (v.sName == "base") {
            std::int32_t corner = 0;
            if (!TruncateToInt32(v.dValue + 0.01, corner)) continue;
            indPrivaz = corner;
            SetCycleText(cycle, "P", std::to_string(corner));
            hasBase = true;
        }
    }
    SetCycleKind(cycle, "B", hasWidth ? 'R' : 'd');
    SetCycleKind(cycle, "P", hasBase ? 'R' : 'i');
}

bool CTurnOTREZKA::CreateContourPath() {
    if (!CTurn::CreateContourPath()) return false;
    if (!CutOff(*calc.regionList.front())) return FailPath();
    FinishContourPath();
    return true;
}

namespace {

// The least x (the outermost) the stock reaches over [lo, hi] along Z, or x
// when it stays lower: where a blade's approach stands off the stock.
double OutermostStock(const Contour* stock, double lo, double hi, double x) {
    if (!stock) return x;
    for (int i = 0; i < stock->Count(); ++i) {
        BoundBox b;
        stock->GetUnit(i)->GetBoundBox(b);
        if (b.zmax < lo || b.zmin > hi) continue;
        x = std::min(x, b.xmin);
    }
    return x;
}

}  // namespace

bool CTurnOTREZKA::CutOff(Contour& H) {
    TakeToolValues();
    UseElementaryCycle(*this, cycle);
    const std::int32_t n = CyclePassCount(cycle);
    const double k = CycleValue(cycle, "K");
    if (!CheckPassPlan(*this, n, k)) return false;
    Width = CycleValue(cycle, "B");
    indPrivaz = static_cast<std::int32_t>(CycleValue(cycle, "P"));
    const bool removal = CycleValue(cycle, "T") != 0.0;
    const double pause = CycleValue(cycle, "P1");
    const double dwell = CycleValue(cycle, "P2");
    const double retract = CycleValue(cycle, "L");
    double slow = CycleValue(cycle, "S");
    const double slowFactor = CycleValue(cycle, "KF");
    double chamfer = CycleValue(cycle, "faska");
    const double chamferAngle = CycleValue(cycle, "angle");
    if (retract < 0.0) return ReportError(kNegativeRetractMessage), false;

    H.MergeOverlappingUnits();
    if (H.Empty()) return ReportError("Невозможно рассчитать траекторию"), false;
    CUnit& u = *H.GetUnit(0);
    if (u.EndPoint.x < u.StartPoint.x) u.Reverse();
    const double z = u.StartPoint.z;
    const double xE = u.EndPoint.x + Perebeg;
    const bool shifted = Width > 0.1 && ((isM04 && indPrivaz == 1) || (!isM04 && indPrivaz != 1));
    const double zc = shifted ? z - Width : z;
    // The approach stands off the stock where the blade goes in, which may
    // stand higher than the part there (a bar over the part's diameter).
    const double blade = std::max(Width, 0.0);
    double x0 = OutermostStock(sourceContour.get(), std::min(z, zc) - blade, std::max(z, zc) + blade, u.StartPoint.x) -
                Vrezanie;

    constexpr double eps = 1e-6;
    if (std::fabs(chamfer) <= eps) chamfer = 0.0;
    if (chamfer < -eps) return ReportError(kNegativeChamfer), false;
    if (chamfer > eps && chamfer > std::fabs(xE - x0)) return ReportError(kChamferTooLong), false;
    if (chamfer > eps && (chamferAngle < 5.0 || chamferAngle > 85.0)) return ReportError(kChamferAngle), false;

    MoveToStart(x0, zc);

    if (chamfer > eps) {
        const double a = chamferAngle * PI / 180.0;
        const double xa = x0 + Vrezanie + chamfer;
        const double d = chamfer / std::cos(a) + Vrezanie;
        const double xb = xa - d * std::cos(a), zb = zc + d * std::sin(a);
        AddLineFrame(x0, zc, xa, zc, -1.0, false);
        AddLineFrame(xa, zc, x0, zc, -1.0, true);
        AddLineFrame(x0, zc, xb, zb, -1.0, true);
        AddLineFrame(xb, zb, xa, zc, -1.0, false);
        AddLineFrame(xa, zc, x0 + chamfer, zc, -1.0, true);
        x0 += chamfer;
    }

    double length = xE - x0;
    // The stretch at reduced feed is measured to the face; it grows by the
    // overrun, and only a stretch shorter than the whole cut leaves room for
    // the passes before it.
    const double grown = slow + std::max(Perebeg, 0.0);
    const bool reduced = slow > 0.01 && slowFactor > 0.1 && slowFactor < 1.0 && grown < length;
    if (reduced) {
        slow = grown;
        length -= slow;
    }

    const std::vector<double> levels = ReducedPassLevels(x0, x0 + length, n, k);
    double xc = x0;
    for (std::int32_t i = 0; i < n; ++i) {
        const bool lastPass = i == n - 1;
        if (i > 0 && removal) AddLineFrame(x0, zc, xc - retract, zc, -1.0, true);
        double xn = levels[static_cast<std::size_t>(i)];
        AddLineFrame(i == 0 ? x0 : xc - retract, zc, xn, zc, -1.0, false);
        if (lastPass && reduced) {
            AddFrame(std::make_unique<CCadre_F>(slowFactor * Spod));
            AddLineFrame(xn, zc, xE, zc, -1.0, false);
            xn = xE;
        }
        if (dwell > 0.001) AddFrame(std::make_unique<CCadre_G04>(dwell));
        if (lastPass || removal) {
            AddLineFrame(xn, zc, x0, zc, -1.0, true);
        } else if (retract != 0.0) {
            AddLineFrame(xn, zc, xn - retract, zc, -1.0, true);
        }
        if (pause > 0.001 && !lastPass) AddFrame(std::make_unique<CCadre_G04>(pause));
        xc = xn;
    }

    const bool keepsZ = Width > 0.1 && (!isM04 || indPrivaz == 1);
    ReturnToHome(x0 - chamfer, keepsZ ? zc : u.EndPoint.z);
    calc.depthOfCut = Width;
    return true;
}

}  // namespace zarvento
