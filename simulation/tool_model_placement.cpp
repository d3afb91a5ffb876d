// The tool's 3D model placed as its contour.
#include "simulation/tool_model_placement.h"

#include "catalogs/param_tool.h"
#include "geometry/primitives.h"
#include "model/model_tess.h"

namespace zarvento {

void ToolModelOrigin(const ParamTool& tool, double pointZ, double pointX, double correctZ, double correctX, double& z,
                     double& x) {
    double noseZ = 0.0, noseX = 0.0;
    tool.NoseCentre(noseZ, noseX);
    z = pointZ + noseZ - correctZ;
    x = -(pointX + noseX) - correctX;
}

void TurnToolModel(CModelTess& model, const ParamTool& tool) {
    // The view from above is the view from below of the model turned over
    // about X; the view's turn by Angle - 90 is the turn by Angle of a model
    // whose X already runs across the axis.
    if (tool.ViewFromAbove()) model.RotateX(PI);
    model.RotateY(PI * (tool.ViewTurn() + 90.0) / -180.0);
}

std::unique_ptr<CModelTess> LoadToolModel(const ParamTool& tool, double z, double x) {
    auto model = std::make_unique<CModelTess>();
    if (!model->LoadFromFile(tool.sWorkFile)) return nullptr;
    model->DrawAt(z, x, 0.0);
    TurnToolModel(*model, tool);
    return model;
}

}  // namespace zarvento
