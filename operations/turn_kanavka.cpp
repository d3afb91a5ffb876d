// The groove operation: its tool choice, its record values and its path of
// one plunge chosen by the groove's direction and the tool's binding.
#include "operations/turn_kanavka.h"

#include <algorithm>
#include <cmath>

#include "catalogs/param_tool.h"
#include "nc/cadre_g04.h"
#include "nc/frame_text_format.h"
#include "operations/kind_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "plan/stored_value.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

CTurnKANAVKA::CTurnKANAVKA() {
    kind = kTurnKANAVKA;
    sNameTurn = "Канавка";
    sDescription = sNameTurn +
                   " (позволяет точить простую канавку одним движением. Для многопроходных канавок нужно выбрать "
                   "Многопроходную)";
    ReplaceWorkBuilder(std::make_unique<CContourBuilderKanavka>());
    typeKey = "Turning";
    Vrezanie = 1.0;
    Nshp = Nshp2 = 500.0;
    Spod = Spod2 = 0.05;
    UpdateContourBuilder();
}

CTurnKANAVKA& CTurnKANAVKA::operator=(const CTurnKANAVKA& other) {
    if (this == &other) return *this;
    CTurn::operator=(other);
    indPrivaz = other.indPrivaz;
    Pause = other.Pause;
    isPrivazFromTool = other.isPrivazFromTool;
    UpdateContourBuilder();
    return *this;
}

void CTurnKANAVKA::UpdateContourBuilder() { GrooveBuilder().grooveDirection = indNapr ? 1 : 0; }

void CTurnKANAVKA::SetupTool() {
    nToolPosition = FirstToolOfKind(kGroovingToolKind);
    if (nToolPosition < 0) nToolPosition = FirstToolOfKind(kCutOffToolKind);
    CTurn::SetupTool();
}

bool CTurnKANAVKA::SaveKindValues(StorageRecord& record) {
    record.AddNamedValue("indPrivaz", Variant::I4(indPrivaz));
    record.AddNamedValue("Pause", Variant::R8(Pause));
    return true;
}

bool CTurnKANAVKA::LoadKindValues(StorageRecord& record) {
    record.ReadNamedValue("indPrivaz");
    indPrivaz = record.ReadBuffer().ToI4();
    Pause = ReadStoredR8(record, "Pause");
    UpdateContourBuilder();
    return true;
}

bool CTurnKANAVKA::CreateContourPath() {
    if (!CTurn::CreateContourPath()) return false;
    if (!CutGroove(*calc.regionList.front(), *calc.pairedList.front())) return FailPath();
    FinishContourPath();
    return true;
}

bool CTurnKANAVKA::CutGroove(const Contour& H, const Contour& S) {
    bool adapt = false;
    double bladeWidth = 0.0;
    isPrivazFromTool = false;
    if (const ParamTool* tool = GetTool()) {
        double value = 0.0;
        if (tool->GetVariable("base", value)) {
            std::int32_t corner = 0;
            if (TruncateToInt32(value + 0.01, corner)) {
                indPrivaz = corner;
                isPrivazFromTool = true;
            }
        }
        adapt = tool->Adapt;
        if (!tool->GetVariable("width", bladeWidth)) bladeWidth = 0.0;
        calc.depthOfCut = bladeWidth;
    }

    // An adaptive tool follows the whole working contour, yet plunges no
    // deeper than the region.
    const Contour& G = adapt && workContour && !workContour->Empty() ? *workContour : H;
    if (G.Empty()) return ReportError("Невозможно рассчитать траекторию"), false;
    BoundBox box;
    ContoursBoundingBox(G, S, box);
    if (adapt) {
        BoundBox regionBox;
        ContoursBoundingBox(H, S, regionBox);
        box.xmin = regionBox.xmin;
    }

    const Point3D& p0 = G.GetFirstUnit()->StartPoint;
    const Point3D& pe = G.GetLastUnit()->EndPoint;
    const double z0 = p0.z, x0 = p0.x, ze = pe.z, xe = pe.x;
    const double width = indNapr ? std::fabs(xe - x0) : std::fabs(ze - z0);
    // 0.1 itself is a usable width, whatever the rounding of the end points.
    if (width < 0.1 - 1e-9) return ReportError(kGrooveWidthMessage), false;
    // The blade against the groove, when the tool gives its width; a form
    // tool that adapts to the contour is made for its groove. The region is
    // where the point the program drives may go: the groove less the nose
    // radius at either wall, as the blade's own span between its two corners
    // is its width less the radius of each. Equal spans are one plunge; a
    // wider blade cuts into a wall, a narrower one leaves a strip standing,
    // and either is refused.
    constexpr double kWidthTolerance = 0.001;
    if (bladeWidth > 0.0 && !adapt) {
        const double span = bladeWidth - 2.0 * NoseOffsetRadius('w');
        if (span > width + kWidthTolerance) return ReportError(CTurnMnogoProhod::kGrooveWidthText), false;
        if (span < width - kWidthTolerance) return ReportError(kBladeNarrower), false;
    }

    constexpr double eps = 1e-6;
    const double vr = Vrezanie;
    double sx = x0, sz = z0, ex = x0, ez = z0;
    if (!indNapr) {
        const double za = std::max(box.zmin, ze), zb = std::min(box.zmax, z0);
        if (ze < z0 - eps) {
            sx = box.xmin - vr;
            ex = box.xmax;
            sz = ez = indPrivaz == 0 ? za : zb;
        } else if (ze > z0 + eps) {
            sx = box.xmax + vr;
            ex = box.xmin;
            sz = ez = indPrivaz == 0 ? zb : za;
        }
    } else {
        const double xm = (box.xmin + box.xmax) / 2.0;
        if (xe < x0 - eps) {
            sz = box.zmax + vr;
            ez = box.zmin;
            sx = ex = indPrivaz == 0 ? box.xmin : indPrivaz == 1 ? xm : box.xmax;
        } else if (xe > x0 + eps) {
            sz = box.zmin - vr;
            ez = box.zmax;
            sx = ex = indPrivaz == 0 ? box.xmax : indPrivaz == 1 ? xm : box.xmin;
        }
    }

    MoveToStart(sx, sz);
    AddLineFrame(sx, sz, ex, ez, -1.0, false);
    if (Pause > 0.01) AddFrame(std::make_unique<CCadre_G04>(Pause));
    AddLineFrame(ex, ez, sx, sz, -1.0, true);
    ReturnToHome(sx, sz);
    return true;
}

}  // namespace zarvento
