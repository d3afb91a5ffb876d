// CSPID: construction, copy rules, accessors, extents and the plan instance.
#include "plan/spid.h"

#include <algorithm>

#include "plan/session_dir.h"
#include "platform/core/process_state.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {
std::unique_ptr<CSPID> planInstance;
}  // namespace

ZARVENTO_STATE_RESET { DeleteSPID(); }

CSPID::CSPID() {
    for (int i = 0; i < kMaxTools; ++i) tools[static_cast<std::size_t>(i)].Position = i;
    // A fixture's record holds its index, as loading sets it.
    for (int i = 0; i < kMaxGadgets; ++i) gadgets[static_cast<std::size_t>(i)].Position = i;
    stockBuilder.halfPlaneCheck = true;
    RefreshStockBuilder();
}

CSPID::~CSPID() {
    // The view refresh is a host call; a destructor must not let it escape.
    try {
        pDetailContour.reset();
        pContourSourDetail.reset();
        pSourceContour.reset();
        pLSCModel.reset();
        RefreshHostView();
    } catch (...) {
    }
}

CSPID& CSPID::operator=(const CSPID& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

// Left alone: the session directory and its lock, the display flags, the
// stock tab, the tree items, the part and source contours, the inner point,
// the error text, the LSC model and both extents caches.
void CSPID::CopyFrom(const CSPID& other) {
    if (this == &other) return;
    pLSC = other.pLSC;
    sNamePostProcessor = other.sNamePostProcessor;
    postProcessors = other.postProcessors;
    // The current entry must be one of this object's own list.
    pPostProcessor = postProcessors.FindPostProcessor(sNamePostProcessor);
    SposobBuildSource = other.SposobBuildSource;
    if (other.pContourSourDetail) pContourSourDetail = other.pContourSourDetail->Clone();
    pSourceSketch = other.pSourceSketch;
    sFileModelSour = other.sFileModelSour;
    sRefrModelSour = other.sRefrModelSour;
    ProkatL = other.ProkatL, ProkatD = other.ProkatD, Prokatd = other.Prokatd, ProkatZ = other.ProkatZ;
    nSposobStock = other.nSposobStock;
    Xplane = other.Xplane, Zplane = other.Zplane;
    isNewPlan = other.isNewPlan;
    Npositions = std::clamp(other.Npositions, 0, kMaxTools);
    for (std::size_t i = 0; i < tools.size(); ++i) {
        ParamTool& tool = tools[i];
        if (tool.IsEqual(other.tools[i])) continue;  // keeps its built contour
        tool = other.tools[i];
        // The contour is built again for this record; sharing the other's
        // would leave two owners of one contour.
        tool.ClearContour();
    }
    Ngadgets = std::clamp(other.Ngadgets, 0, kMaxGadgets);
    for (std::size_t i = 0; i < gadgets.size(); ++i) {
        ParamGadget& gadget = gadgets[i];
        // A model left drawn here would stay in the view with no owner; it is
        // made again when the fixtures are next shown.
        if (gadget.pDisplayModel && gadget.pDisplayModel != other.gadgets[i].pDisplayModel)
            gadget.pDisplayModel->Erase();
        if (static_cast<int>(i) < Ngadgets) {
            static_cast<ParamTool&>(gadget) = other.gadgets[i];
            gadget.ClearContour();
        }
        gadget.pDisplayModel.reset();
    }
    X0tool = other.X0tool, Z0tool = other.Z0tool;
    isReferent = other.isReferent;
    isPripuskZ = other.isPripuskZ;
    PripuskZ = other.PripuskZ;
    RefreshStockBuilder();
    const Contour* built = other.stockBuilder.GetStockContour();
    stockBuilder.SetStockContour(built ? built->Clone() : nullptr);
}

void CSPID::RefreshStockBuilder() {
    stockBuilder.buildMethod = SposobBuildSource;
    stockBuilder.sketch = pSourceSketch;
    stockBuilder.accuracy = SettingsRecord::Global().accuracy;
    stockBuilder.isPripuskZ = isPripuskZ;
    stockBuilder.PripuskZ = PripuskZ;
    stockBuilder.SetFileName(sFileModelSour);
    stockBuilder.barLength = ProkatL;
    stockBuilder.barDiameter = ProkatD;
    stockBuilder.barInnerDiameter = Prokatd;
    stockBuilder.barZ = ProkatZ;
    stockBuilder.sourceContour = pContourSourDetail.get();
}

ParamTool* CSPID::GetTool(int i) {
    if (i < 0 || i >= std::min(Npositions, kMaxTools)) return nullptr;
    return &tools[static_cast<std::size_t>(i)];
}

ParamGadget* CSPID::GetGadget(int i) {
    if (i < 0 || i >= std::min(Ngadgets, kMaxGadgets)) return nullptr;
    return &gadgets[static_cast<std::size_t>(i)];
}

CPostProcessor* CSPID::FindPostProcessor() const { return postProcessors.FindPostProcessor(sNamePostProcessor); }

namespace {

// The solid of revolution of a section drawn on the negative X side.
void WriteExtents(const Contour& contour, double& xmax, double& ymax, double& zmax, double& xmin, double& ymin,
                  double& zmin) {
    double cz1 = 0, cx1 = 0, cz2 = 0, cx2 = 0;
    contour.GetBoundBox(cz1, cx1, cz2, cx2);
    xmax = -cx1;
    ymax = -cx1;
    zmax = cz2;
    xmin = cx1;
    ymin = cx1;
    zmin = cz1;
}

}  // namespace

void CSPID::GetDetailExtents(double& xmax, double& ymax, double& zmax, double& xmin, double& ymin, double& zmin) {
    if (isDetailExtents || !pDetailContour) return;
    WriteExtents(*pDetailContour, xmax, ymax, zmax, xmin, ymin, zmin);
    isDetailExtents = true;
}

void CSPID::GetSourceExtents(double& xmax, double& ymax, double& zmax, double& xmin, double& ymin, double& zmin) {
    if (isSourceExtents) return;
    if (!pSourceContour) pSourceContour = CreateSourceContour();
    // No stock contour (no stock, or a stock tab attached): nothing to measure.
    if (!pSourceContour) return;
    WriteExtents(*pSourceContour, xmax, ymax, zmax, xmin, ymin, zmin);
    isSourceExtents = true;
}

const char* CSPID::GetSposobStockName() const {
    switch (nSposobStock) {
        case 0: return "Прокат";
        case 1: return "Поковка";
        case 2: return "Вытяжка";
        case 3: return "Отливка";
        default: return nullptr;
    }
}

CSPID* GetSPID() {
    if (!planInstance) {
        planInstance = std::make_unique<CSPID>();
        CreateSessionDir(*planInstance);
    }
    return planInstance.get();
}

CSPID* ExistingSPID() { return planInstance.get(); }

void DeleteSPID() {
    if (!planInstance) return;
    std::unique_ptr<CSPID> doomed = std::move(planInstance);
    DeleteSessionDir(*doomed);
}

}  // namespace zarvento
